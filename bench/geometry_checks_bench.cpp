// The geometric checks over a generated layer of 100,000 areas (a jittered grid of
// parcels, 12 vertices each, neighbours sharing their edges) and 100,000 points, each
// beside a plain loop that calls GEOS or does the arithmetic on the same geometry.
#include <benchmark/benchmark.h>
#include <geos_c.h>
#include <sys/resource.h>

#include <chrono>
#include <cmath>
#include <random>
#include <unordered_map>
#include <vector>

#include "checker/check_tools.h"
#include "checker/geometry_checks.h"
#include "kernel/kernel.h"

namespace {

// Frees the element at the end of the scope.
template <class T> struct Owned {
    T* p;
    explicit Owned(T* e) : p(e) {}
    ~Owned() { Free(p); }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    T* operator->() const { return p; }
};

constexpr int kSide = 317;  // 317 x 316 = 100,172 cells of 100 m
constexpr int kRows = 316;
constexpr double kCell = 100;

struct Layer {
    TAreaString* Areas = nullptr;
    TPointString* Points = nullptr;
    std::vector<TAreaElement*> AreaList;
    std::vector<TPointElement*> PointList;
};

// A grid node, jittered the same for every cell that shares it.
T2DPoint Node(int i, int j) {
    std::mt19937 rng(static_cast<uint32_t>(i * 100003 + j));
    std::uniform_real_distribution<double> d(-20, 20);
    return {i * kCell + d(rng), j * kCell + d(rng)};
}

// Two vertices along the edge between two nodes, bent the same for both cells.
void EdgeVertices(T2DPoint a, T2DPoint b, int key, std::vector<T2DPoint>& out) {
    std::mt19937 rng(static_cast<uint32_t>(key));
    std::uniform_real_distribution<double> d(-3, 3);
    double bend1 = d(rng), bend2 = d(rng);
    double dx = b.X - a.X, dy = b.Y - a.Y, len = std::hypot(dx, dy);
    double nx = -dy / len, ny = dx / len;
    out.push_back({a.X + dx / 3 + nx * bend1, a.Y + dy / 3 + ny * bend1});
    out.push_back({a.X + 2 * dx / 3 + nx * bend2, a.Y + 2 * dy / 3 + ny * bend2});
}

const Layer& TheLayer() {
    static const Layer layer = [] {
        RegisterCheckerClasses();
        Layer l;
        l.Areas = TAreaString::New();
        l.Points = TPointString::New();
        for (int i = 0; i < kSide; ++i)
            for (int j = 0; j < kRows; ++j) {
                T2DPoint c[4] = {Node(i, j), Node(i + 1, j), Node(i + 1, j + 1), Node(i, j + 1)};
                int keys[4] = {(i * 1000 + j) * 4, ((i + 1) * 1000 + j) * 4 + 1, (i * 1000 + j + 1) * 4,
                               (i * 1000 + j) * 4 + 1};
                bool forward[4] = {true, true, false, false};  // the edge's own direction
                std::vector<T2DPoint> pts;
                for (int k = 0; k < 4; ++k) {
                    T2DPoint a = c[k], b = c[(k + 1) % 4];
                    pts.push_back(a);
                    std::vector<T2DPoint> mid;
                    if (forward[k]) EdgeVertices(a, b, keys[k], mid);
                    else {
                        EdgeVertices(b, a, keys[k], mid);
                        std::swap(mid[0], mid[1]);
                    }
                    pts.insert(pts.end(), mid.begin(), mid.end());
                }
                pts.push_back(c[0]);
                auto* area = TAreaElement::New();
                area->SetPoints(std::move(pts));
                l.Areas->AddElement(area);
                l.AreaList.push_back(area);
            }
        std::mt19937 rng(7);
        std::uniform_real_distribution<double> x(0, kSide * kCell), y(0, kRows * kCell);
        for (size_t k = 0; k < l.AreaList.size(); ++k) {
            auto* p = TPointElement::New(x(rng), y(rng));
            l.Points->AddElement(p);
            l.PointList.push_back(p);
        }
        return l;
    }();
    return layer;
}

template <class C> void RunCheck(benchmark::State& state, C* check, const std::vector<TElement*>& elements) {
    int64_t faults = 0;
    for (TElement* e : elements) {
        check->Reset();
        check->SetInput(e);
        check->DoIt();
        faults += check->Error != 0;
    }
    state.counters["faults"] = static_cast<double>(faults);
}

std::vector<TElement*> Areas() {
    const Layer& l = TheLayer();
    return {l.AreaList.begin(), l.AreaList.end()};
}

// ---- angles ----------------------------------------------------------------------------------

void BM_AngleCheck(benchmark::State& state) {
    auto areas = Areas();
    Owned<TCheckPolyAngle> check(TCheckPolyAngle::New());
    check->MinValue = 30;
    check->MaxValue = 180;
    for (auto _ : state) RunCheck(state, check.p, areas);
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(areas.size()));
}

void BM_AngleLoop(benchmark::State& state) {
    const Layer& l = TheLayer();
    for (auto _ : state) {
        int64_t faults = 0;
        for (TAreaElement* a : l.AreaList) {
            const auto& p = a->Points();
            for (size_t i = 2; i < p.size(); ++i) {
                double v = Mathlib::AngleAtVertex(p[i - 2].X, p[i - 2].Y, p[i - 1].X, p[i - 1].Y, p[i].X, p[i].Y);
                if (v < 30 || v > 180) {
                    ++faults;
                    break;
                }
            }
        }
        state.counters["faults"] = static_cast<double>(faults);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(l.AreaList.size()));
}

// ---- segment lengths -------------------------------------------------------------------------

void BM_SegmentLengthCheck(benchmark::State& state) {
    auto areas = Areas();
    Owned<TCheckPolyDistance> check(TCheckPolyDistance::New());
    check->MinValue = 5;
    check->MaxValue = 1000;
    for (auto _ : state) RunCheck(state, check.p, areas);
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(areas.size()));
}

void BM_SegmentLengthLoop(benchmark::State& state) {
    const Layer& l = TheLayer();
    for (auto _ : state) {
        int64_t faults = 0;
        for (TAreaElement* a : l.AreaList) {
            const auto& p = a->Points();
            for (size_t i = 1; i < p.size(); ++i) {
                double v = std::hypot(p[i].X - p[i - 1].X, p[i].Y - p[i - 1].Y);
                if (v < 5 || v > 1000) {
                    ++faults;
                    break;
                }
            }
        }
        state.counters["faults"] = static_cast<double>(faults);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(l.AreaList.size()));
}

// ---- reference point inside ------------------------------------------------------------------

void BM_AreaPointInsideCheck(benchmark::State& state) {
    auto areas = Areas();
    Owned<TCheckAreaPointInside> check(TCheckAreaPointInside::New());
    for (auto _ : state) RunCheck(state, check.p, areas);
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(areas.size()));
}

struct Geos {
    GEOSContextHandle_t H = GEOS_init_r();
    ~Geos() { GEOS_finish_r(H); }
    GEOSGeometry* Ring(const std::vector<T2DPoint>& pts, bool linear) {
        GEOSCoordSequence* s = GEOSCoordSeq_create_r(H, static_cast<unsigned>(pts.size()), 2);
        for (size_t i = 0; i < pts.size(); ++i) GEOSCoordSeq_setXY_r(H, s, static_cast<unsigned>(i), pts[i].X, pts[i].Y);
        return linear ? GEOSGeom_createLineString_r(H, s) : GEOSGeom_createLinearRing_r(H, s);
    }
};

// GEOS point-in-polygon on polygons made beforehand (making them is not timed).
void BM_AreaPointInsideGeos(benchmark::State& state) {
    const Layer& l = TheLayer();
    Geos g;
    std::vector<GEOSGeometry*> polygons;
    for (TAreaElement* a : l.AreaList) polygons.push_back(GEOSGeom_createPolygon_r(g.H, g.Ring(a->Points(), false), nullptr, 0));
    for (auto _ : state) {
        int64_t faults = 0;
        for (size_t i = 0; i < polygons.size(); ++i) {
            GEOSGeometry* pt = GEOSGeom_createPointFromXY_r(g.H, l.AreaList[i]->GetRefX(), l.AreaList[i]->GetRefY());
            faults += GEOSIntersects_r(g.H, polygons[i], pt) != 1;
            GEOSGeom_destroy_r(g.H, pt);
        }
        state.counters["faults"] = static_cast<double>(faults);
    }
    for (GEOSGeometry* p : polygons) GEOSGeom_destroy_r(g.H, p);
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(l.AreaList.size()));
}

// ---- overlay ---------------------------------------------------------------------------------

// A new check for each run: its tree grows over the run, each outline compared with those
// before it.
void BM_LineOverlayCheck(benchmark::State& state) {
    auto areas = Areas();
    for (auto _ : state) {
        Owned<TCheckPolyLineOverlay> check(TCheckPolyLineOverlay::New());
        check->Tolerance = 0.01;
        RunCheck(state, check.p, areas);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(areas.size()));
}

// GEOS: each outline intersected with the outlines before it that its envelope meets (an
// STRtree of all outlines made beforehand, not timed; the order filter in the loop).
void BM_LineOverlayGeos(benchmark::State& state) {
    const Layer& l = TheLayer();
    Geos g;
    std::vector<GEOSGeometry*> lines;
    GEOSSTRtree* tree = GEOSSTRtree_create_r(g.H, 10);
    for (size_t i = 0; i < l.AreaList.size(); ++i) {
        lines.push_back(g.Ring(l.AreaList[i]->Points(), true));
        GEOSSTRtree_insert_r(g.H, tree, lines.back(), reinterpret_cast<void*>(i));
    }
    for (auto _ : state) {
        int64_t faults = 0;
        for (size_t i = 0; i < lines.size(); ++i) {
            struct Q {
                Geos* G;
                std::vector<GEOSGeometry*>* Lines;
                size_t Self;
                bool Overlay = false;
            } q{&g, &lines, i};
            GEOSSTRtree_query_r(g.H, tree, lines[i], [](void* item, void* data) {
                auto* q = static_cast<Q*>(data);
                auto j = reinterpret_cast<size_t>(item);
                if (j >= q->Self || q->Overlay) return;
                GEOSGeometry* x = GEOSIntersection_r(q->G->H, (*q->Lines)[q->Self], (*q->Lines)[j]);
                double len = 0;
                if (x && GEOSLength_r(q->G->H, x, &len) && len > 0.02) q->Overlay = true;
                if (x) GEOSGeom_destroy_r(q->G->H, x);
            }, &q);
            faults += q.Overlay;
        }
        state.counters["faults"] = static_cast<double>(faults);
    }
    GEOSSTRtree_destroy_r(g.H, tree);
    for (GEOSGeometry* x : lines) GEOSGeom_destroy_r(g.H, x);
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(l.AreaList.size()));
}

// ---- point-point -----------------------------------------------------------------------------

// The check keeps its cells' memory for the next check of the thread; the first check of
// the process, which takes that memory from the system, is the counter first_ms (its page
// faults first_faults).
void BM_PointPointCheck(benchmark::State& state) {
    const Layer& l = TheLayer();
    std::vector<TElement*> points(l.PointList.begin(), l.PointList.end());
    static long firstFaults = 0;
    static double first = [&] {
        rusage u{};
        getrusage(RUSAGE_SELF, &u);
        firstFaults = u.ru_minflt;
        auto start = std::chrono::steady_clock::now();
        Owned<TCheckPointPointDistance> check(TCheckPointPointDistance::New());
        check->Tolerance = 5;
        RunCheck(state, check.p, points);
        double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        getrusage(RUSAGE_SELF, &u);
        firstFaults = u.ru_minflt - firstFaults;
        return ms;
    }();
    state.counters["first_ms"] = first;
    state.counters["first_faults"] = static_cast<double>(firstFaults);
    for (auto _ : state) {
        Owned<TCheckPointPointDistance> check(TCheckPointPointDistance::New());
        check->Tolerance = 5;
        RunCheck(state, check.p, points);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(points.size()));
}

// The arithmetic: a hash grid of tolerance-sized cells, each point against the earlier
// points of the nine cells around it.
void BM_PointPointLoop(benchmark::State& state) {
    const Layer& l = TheLayer();
    const double tol = 5;
    for (auto _ : state) {
        std::unordered_map<int64_t, std::vector<const TPointElement*>> grid;
        grid.reserve(l.PointList.size());
        int64_t faults = 0;
        for (const TPointElement* p : l.PointList) {
            auto cx = static_cast<int64_t>(std::floor(p->GetX() / tol)), cy = static_cast<int64_t>(std::floor(p->GetY() / tol));
            bool near = false;
            for (int64_t dx = -1; dx <= 1 && !near; ++dx)
                for (int64_t dy = -1; dy <= 1 && !near; ++dy) {
                    auto it = grid.find((cx + dx) * 1000003 + cy + dy);
                    if (it == grid.end()) continue;
                    for (const TPointElement* q : it->second)
                        if (std::hypot(p->GetX() - q->GetX(), p->GetY() - q->GetY()) < tol) {
                            near = true;
                            break;
                        }
                }
            faults += near;
            grid[cx * 1000003 + cy].push_back(p);
        }
        state.counters["faults"] = static_cast<double>(faults);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(l.PointList.size()));
}

BENCHMARK(BM_AngleCheck)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AngleLoop)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SegmentLengthCheck)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SegmentLengthLoop)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AreaPointInsideCheck)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AreaPointInsideGeos)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LineOverlayCheck)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_LineOverlayGeos)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PointPointCheck)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PointPointLoop)->Unit(benchmark::kMillisecond);

}  // namespace
