// The tools that build the topology of a line layer in its tree: nodes, edges, links,
// faces, the regions and their matching with areas.
#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <numbers>

#include "geos_support.h"
#include "kernel/class_registry.h"
#include "platform/sysutils.h"
#include "wendrik/wendrik.h"

namespace G = wendrik_geos;

namespace {

using Key = std::pair<int64_t, int64_t>;

bool Finite(const T2DPoint& p) { return std::isfinite(p.X) && std::isfinite(p.Y); }

Key KeyOf(const T2DPoint& p, double step) { return {std::llround(p.X / step), std::llround(p.Y / step)}; }

// The step of the grid that line ends are matched on and the distance within which a line
// passes through an end: a share (1/Precision) of the typical line (the median of the
// lines' larger sides), never finer than what rounding their coordinates leaves. Taken
// from the data, so that the same lines in other units or scaled meet alike, and robust
// to a few lines far off.
double GridStep(const TQTreeTopLin* tree) {
    std::vector<double> sizes, magnitudes;
    for (int32_t i = 0; i < tree->LineCount(); ++i) {
        TPolyLineElement* line = tree->Line(i);
        if (!line || line->VertexCount() == 0) continue;
        const TRectangle& r = line->Rect();
        double size = std::max(r.Max.X - r.Min.X, r.Max.Y - r.Min.Y);
        double magnitude = std::max({std::fabs(r.Min.X), std::fabs(r.Min.Y), std::fabs(r.Max.X), std::fabs(r.Max.Y)});
        if (!std::isfinite(size) || !std::isfinite(magnitude)) continue;
        sizes.push_back(size);
        magnitudes.push_back(magnitude);
    }
    if (sizes.empty()) return 1;
    auto median = [](std::vector<double>& v) {
        std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
        return v[v.size() / 2];
    };
    double steps = tree->Precision > 0 ? tree->Precision : 10000000.0;
    double step = std::max(median(sizes) / steps, median(magnitudes) * 1e-13);
    return step > 0 && std::isfinite(step) ? step : 1;
}

// The first and last vertex of a line, when finite and in range for the node grid.
bool EndPoint(TPolyLineElement* line, bool start, double step, T2DPoint& p) {
    if (line->VertexCount() == 0) return false;
    p = line->Vertex(start ? 0 : line->VertexCount() - 1);
    return Finite(p) && std::fabs(p.X / step) < 1e15 && std::fabs(p.Y / step) < 1e15;
}

// Direction (radians) in which the line leaves its end: towards the nearest other vertex.
bool LeavingAngle(TPolyLineElement* line, bool start, double& angle) {
    int32_t n = line->VertexCount();
    if (n < 2) return false;
    T2DPoint p = line->Vertex(start ? 0 : n - 1);
    for (int32_t k = 1; k < n; ++k) {
        T2DPoint q = line->Vertex(start ? k : n - 1 - k);
        if (!(q == p) && Finite(q)) {
            angle = std::atan2(q.Y - p.Y, q.X - p.X);
            return true;
        }
    }
    return false;
}

// The distance from a point to the rings of an area or the pieces of a line.
double DistanceToOutline(const TPolyElement* e, double x, double y) {
    double best = INFINITY;
    const auto& pts = e->Points();
    for (int32_t part = 0; part < e->PartCount(); ++part)
        for (int32_t i = e->Parts()[static_cast<size_t>(part)] + 1; i < e->PartEnd(part); ++i)
            best = std::min(best, Mathlib::DistanceToSegment(x, y, pts[i - 1].X, pts[i - 1].Y, pts[i].X, pts[i].Y));
    return best;
}

// A point of the edge that is no vertex: the middle of its first segment of length.
bool ProbeOf(const std::vector<T2DPoint>& pts, T2DPoint& probe) {
    for (size_t i = 1; i < pts.size(); ++i)
        if (!(pts[i] == pts[i - 1])) {
            probe = {(pts[i].X + pts[i - 1].X) / 2, (pts[i].Y + pts[i - 1].Y) / 2};
            return true;
        }
    return false;
}

TPolyLineElement* NewEdge(TPolyLineElement* source, std::vector<T2DPoint> points) {
    TPolyLineElement* edge = source ? static_cast<TPolyLineElement*>(source->ClassType()->CreateInstance())
                                    : TPolyLineElement::New();
    if (source) {
        edge->Assign(source);
        edge->SetName(source->GetName());
        if (TElement* props = source->GetPropertyObject()) edge->SetPropertyObject(props);
    }
    edge->SetPoints(std::move(points));
    return edge;
}

template <class F> void ForAreas(TElement* element, F&& f) {
    if (auto* a = As<TAreaElement>(element)) {
        f(a);
        return;
    }
    auto* entity = As<TEntity>(element);
    if (!entity || As<TSpaceEntity>(element)) return;
    for (int32_t i = 0; i < entity->ElementsCount(); ++i) ForAreas(entity->Get(i), f);
}

}  // namespace

// ---- reading and nodes ------------------------------------------------------------------------

void TReadLinesIntoQTree::DoIt() {
    SetOutput(nullptr);
    auto* lines = As<TPolyLineString>(Input);
    if (!lines) return;
    TQTreeTopLin* tree = TQTreeTopLin::New();
    for (int32_t i = 0; i < lines->ElementsCount(); ++i)
        if (auto* l = As<TPolyLineElement>(lines->Get(i))) tree->AddSpaceEntity(l);
    SetOutput(tree);
}

void TPutNodesIntoQTree::DoIt() {
    Error = 0;
    auto* tree = As<TQTreeTopLin>(Input);
    if (!tree) return;
    tree->SetLines();
    double step = GridStep(tree);
    std::map<Key, size_t> index;
    std::vector<TTopNode> nodes;
    for (int32_t i = 0; i < tree->LineCount(); ++i) {
        TPolyLineElement* line = tree->Line(i);
        if (!line) continue;
        for (bool start : {true, false}) {
            T2DPoint p;
            if (!EndPoint(line, start, step, p)) continue;
            auto [it, added] = index.try_emplace(KeyOf(p, step), nodes.size());
            if (added) nodes.push_back({p, {}});
            nodes[it->second].Ends.push_back({i, start});
        }
    }
    tree->SetNodes(std::move(nodes));

    // The edges: the lines noded at every crossing and shared vertex.
    GEOSContextHandle_t h = G::Context();
    std::vector<GEOSGeometry*> parts;
    for (int32_t i = 0; i < tree->LineCount(); ++i) {
        TPolyLineElement* line = tree->Line(i);
        if (!line) continue;
        for (int32_t part = 0; part < line->PartCount(); ++part) {
            int32_t first = line->Parts()[static_cast<size_t>(part)];
            G::Geom g = G::LineString(line->Points().data() + first, static_cast<size_t>(line->PartEnd(part) - first));
            if (g) parts.push_back(g.release());
        }
    }
    if (parts.empty()) return;
    try {
        G::Geom all = G::Check(GEOSGeom_createCollection_r(h, GEOS_MULTILINESTRING, parts.data(),
                                                           static_cast<unsigned>(parts.size())),
                               "GEOS");
        G::Geom noded = G::Check(GEOSNode_r(h, all.get()), Cz("Uzlování linií").c_str());
        int n = GEOSGetNumGeometries_r(h, noded.get());
        for (int k = 0; k < n; ++k) {
            std::vector<T2DPoint> pts = G::Points(GEOSGetGeometryN_r(h, noded.get(), k));
            T2DPoint probe;
            if (!ProbeOf(pts, probe)) continue;
            int32_t source = -1;
            double best = INFINITY;
            for (int32_t i : tree->QueryIndexes(probe.X, probe.Y, probe.X, probe.Y, step)) {
                auto* line = As<TPolyLineElement>(tree->Entry(i));
                if (!line) continue;
                double d = DistanceToOutline(line, probe.X, probe.Y);
                if (d < best) {
                    best = d;
                    source = i;
                }
            }
            tree->AddEdge(NewEdge(source >= 0 ? As<TPolyLineElement>(tree->Entry(source)) : nullptr, std::move(pts)),
                          source);
        }
    } catch (const G::Failure& f) {
        Error = 1;
        FailureText = f.what();
        PostTextMsgToOwners(tm_TextNote, FailureText);
    }
}

// ---- links ------------------------------------------------------------------------------------

void TNodesConector::Publish(PropertyTable& t) {
    using C = TNodesConector;
    t.Bool<C>("JoinNearEnds", [](C* o) { return o->JoinNearEnds; }, [](C* o, bool v) { o->JoinNearEnds = v; });
    t.Bool<C>("FreeEndsUnlinked", [](C* o) { return o->FreeEndsUnlinked; },
              [](C* o, bool v) { o->FreeEndsUnlinked = v; });
    t.Int<C>("NearPrecision", [](C* o) { return o->NearPrecision; }, [](C* o, int32_t v) { o->NearPrecision = v; });
}

void TNodesConector::DoIt() {
    auto* tree = As<TQTreeTopLin>(Input);
    if (!tree) return;
    double step = GridStep(tree);
    double near = JoinNearEnds ? std::max(step, 1.0 / (NearPrecision > 0 ? NearPrecision : 1000)) : step;
    std::map<Key, size_t> nodeOf;
    for (size_t k = 0; k < tree->Nodes().size(); ++k) nodeOf[KeyOf(tree->Nodes()[k].At, step)] = k;

    struct Candidate {
        int32_t Line;
        bool Start;
        double Angle;
    };
    std::vector<TLineLinks> links(static_cast<size_t>(tree->LineCount()));
    for (int32_t i = 0; i < tree->LineCount(); ++i) {
        TPolyLineElement* line = tree->Line(i);
        if (!line) continue;
        for (bool start : {true, false}) {
            T2DPoint p;
            double own = 0;
            if (!EndPoint(line, start, step, p)) continue;
            bool hasOwn = LeavingAngle(line, start, own);
            std::vector<Candidate> found;
            // Other ends at the node.
            if (auto it = nodeOf.find(KeyOf(p, step)); it != nodeOf.end())
                for (const TLineEnd& e : tree->Nodes()[it->second].Ends) {
                    if (e.Line == i && e.Start == start) continue;
                    TPolyLineElement* other = tree->Line(e.Line);
                    double a;
                    if (other && LeavingAngle(other, e.Start, a)) found.push_back({e.Line, e.Start, a});
                }
            // Lines passing through the end (or, joining near ends, passing near it).
            auto passing = [&](double tol) {
                for (int32_t idx : tree->QueryIndexes(p.X, p.Y, p.X, p.Y, tol)) {
                    auto* other = As<TPolyLineElement>(tree->Entry(idx));
                    if (!other || other == line) continue;
                    int32_t j = tree->Line(idx) == other ? idx : -1;
                    for (int32_t k = 0; j < 0 && k < tree->LineCount(); ++k)
                        if (tree->Line(k) == other) {
                            j = k;
                            break;
                        }
                    if (j < 0) continue;
                    T2DPoint s, e;
                    bool atEnd = (EndPoint(other, true, step, s) && KeyOf(s, step) == KeyOf(p, step)) ||
                                 (EndPoint(other, false, step, e) && KeyOf(e, step) == KeyOf(p, step));
                    if (atEnd && tol <= step) continue;
                    const auto& pts = other->Points();
                    for (int32_t part = 0; part < other->PartCount(); ++part)
                        for (int32_t v = other->Parts()[static_cast<size_t>(part)] + 1; v < other->PartEnd(part); ++v) {
                            const T2DPoint &a = pts[v - 1], &b = pts[v];
                            if (a == b || Mathlib::DistanceToSegment(p.X, p.Y, a.X, a.Y, b.X, b.Y) > tol) continue;
                            double ang = std::atan2(b.Y - a.Y, b.X - a.X);
                            found.push_back({j, false, ang});
                            found.push_back({j, false, ang + std::numbers::pi});
                            part = other->PartCount();
                            break;
                        }
                }
            };
            passing(step);
            if (found.empty() && JoinNearEnds) passing(near);
            int32_t link = FreeEndsUnlinked ? 0 : i + 1;
            bool flag = FreeEndsUnlinked ? false : start;
            double bestTurn = INFINITY;
            for (const Candidate& c : found) {
                double turn = hasOwn ? std::fmod(c.Angle - own + 4 * std::numbers::pi, 2 * std::numbers::pi) : 0;
                if (turn <= 0) turn += 2 * std::numbers::pi;
                if (turn < bestTurn) {
                    bestTurn = turn;
                    link = c.Line + 1;
                    flag = c.Start;
                }
            }
            TLineLinks& l = links[static_cast<size_t>(i)];
            if (start) {
                l.A = link;
                l.FlagA = flag;
            } else {
                l.B = link;
                l.FlagB = flag;
            }
        }
    }
    tree->SetLinks(std::move(links));
}

void TDeleteDirectRelationsToLinesInQTree::DoIt() {
    if (auto* tree = As<TQTreeTopLin>(Input)) {
        tree->SetLines();
        tree->IndexEdges();
    }
}

// ---- faces ------------------------------------------------------------------------------------

void TCreateAreasForQTree::DoIt() {
    Error = 0;
    SetOutput(nullptr);
    auto* tree = As<TQTreeTopLin>(Input);
    if (!tree) return;
    GEOSContextHandle_t h = G::Context();
    TRectEntity* areas = TRectEntity::New();
    SetOutput(areas);
    std::vector<G::Geom> edges;
    std::vector<const GEOSGeometry*> raw;
    for (int32_t i = 0; i < tree->EdgeCount(); ++i) {
        TPolyLineElement* e = tree->Edge(i);
        if (!e) continue;
        if (G::Geom g = G::LineString(e->Points().data(), e->Points().size())) {
            raw.push_back(g.get());
            edges.push_back(std::move(g));
        }
    }
    TSpaceEntityQTree* edgeTree = TSpaceEntityQTree::New();
    TSpaceEntityQTree* faceTree = TSpaceEntityQTree::New();
    // The face on the left of each directed segment of the faces' rings.
    std::map<std::array<double, 4>, int32_t> leftOf;
    try {
        for (int32_t i = 0; i < tree->EdgeCount(); ++i) edgeTree->AddSpaceEntity(tree->Edge(i));
        if (!raw.empty()) {
            G::Geom faces = G::Check(GEOSPolygonize_r(h, raw.data(), static_cast<unsigned>(raw.size())),
                                     Cz("Tvorba ploch").c_str());
            int n = GEOSGetNumGeometries_r(h, faces.get());
            for (int k = 0; k < n; ++k) {
                const GEOSGeometry* polygon = GEOSGetGeometryN_r(h, faces.get(), k);
                std::vector<std::vector<T2DPoint>> rings{G::Points(GEOSGetExteriorRing_r(h, polygon))};
                int holes = GEOSGetNumInteriorRings_r(h, polygon);
                for (int r = 0; r < holes; ++r) rings.push_back(G::Points(GEOSGetInteriorRingN_r(h, polygon, r)));
                if (rings.front().empty()) continue;
                std::vector<T2DPoint> points;
                std::vector<int32_t> starts;
                for (const std::vector<T2DPoint>& ring : rings) {
                    starts.push_back(static_cast<int32_t>(points.size()));
                    points.insert(points.end(), ring.begin(), ring.end());
                }
                TPolyLineAreaElement* face = TPolyLineAreaElement::New();
                face->SetName(Cz("Plocha ") + IntToStr(areas->ElementsCount() + 1));
                face->SetPoints(std::move(points), std::move(starts));
                const TRectangle& r = face->Rect();
                // Rounding of the coordinates only: edges of the face lie on its outline.
                double tol = 1e-9 * std::max({std::fabs(r.Min.X), std::fabs(r.Min.Y), std::fabs(r.Max.X), std::fabs(r.Max.Y)});
                for (TSpaceEntity* candidate : edgeTree->Query(r.Min.X, r.Min.Y, r.Max.X, r.Max.Y, tol)) {
                    auto* edge = static_cast<TPolyLineElement*>(candidate);
                    T2DPoint probe;
                    if (ProbeOf(edge->Points(), probe) && DistanceToOutline(face, probe.X, probe.Y) <= tol)
                        face->AddElement(edge);
                }
                areas->AddAndUpdateRect(face);
                int32_t number = faceTree->Count() + 1;
                if (!faceTree->AddSpaceEntity(face)) continue;
                for (size_t ring = 0; ring < rings.size(); ++ring) {
                    // The face lies left of an outer ring running counter-clockwise and of
                    // a hole running clockwise.
                    const std::vector<T2DPoint>& pts = rings[ring];
                    double twiceArea = 0;
                    for (size_t v = 1; v < pts.size(); ++v)
                        twiceArea += pts[v - 1].X * pts[v].Y - pts[v].X * pts[v - 1].Y;
                    bool left = (ring == 0) == (twiceArea > 0);
                    for (size_t v = 1; v < pts.size(); ++v) {
                        const T2DPoint &a = left ? pts[v - 1] : pts[v], &b = left ? pts[v] : pts[v - 1];
                        leftOf[{a.X, a.Y, b.X, b.Y}] = number;
                    }
                }
            }
        }
        // C and D: the faces left and right of the middle of each line's longest segment,
        // read from the rings of the faces through the edge that holds that middle; an
        // edge on no ring (a dangle) has the face it lies in on both sides.
        std::vector<TLineLinks>& links = tree->MutableLinks();
        links.resize(static_cast<size_t>(tree->LineCount()));
        auto faceAt = [&](double x, double y) {
            for (int32_t idx : faceTree->QueryIndexes(x, y, x, y))
                if (auto* f = As<TAreaElement>(faceTree->Entry(idx)); f && f->IsPointInside(x, y)) return idx + 1;
            return 0;
        };
        for (int32_t i = 0; i < tree->LineCount(); ++i) {
            TPolyLineElement* line = tree->Line(i);
            if (!line) continue;
            double bestLen = 0;
            T2DPoint a{}, b{};
            const auto& pts = line->Points();
            for (int32_t part = 0; part < line->PartCount(); ++part)
                for (int32_t v = line->Parts()[static_cast<size_t>(part)] + 1; v < line->PartEnd(part); ++v) {
                    double d = std::hypot(pts[v].X - pts[v - 1].X, pts[v].Y - pts[v - 1].Y);
                    if (d > bestLen && std::isfinite(d)) {
                        bestLen = d;
                        a = pts[v - 1];
                        b = pts[v];
                    }
                }
            if (!(bestLen > 0)) continue;
            double mx = (a.X + b.X) / 2, my = (a.Y + b.Y) / 2;
            // The segment of an edge nearest to the middle, running as the line runs.
            double nearest = INFINITY;
            T2DPoint e0{}, e1{};
            double margin = bestLen * 1e-6;
            for (TSpaceEntity* candidate : edgeTree->Query(mx, my, mx, my, margin)) {
                const auto& ep = static_cast<TPolyLineElement*>(candidate)->Points();
                for (size_t v = 1; v < ep.size(); ++v) {
                    if (ep[v] == ep[v - 1]) continue;
                    double d = Mathlib::DistanceToSegment(mx, my, ep[v - 1].X, ep[v - 1].Y, ep[v].X, ep[v].Y);
                    if (d < nearest) {
                        nearest = d;
                        e0 = ep[v - 1];
                        e1 = ep[v];
                    }
                }
            }
            int32_t c = 0, d = 0;
            if (nearest <= margin) {
                if ((e1.X - e0.X) * (b.X - a.X) + (e1.Y - e0.Y) * (b.Y - a.Y) < 0) std::swap(e0, e1);
                auto l = leftOf.find({e0.X, e0.Y, e1.X, e1.Y});
                auto r = leftOf.find({e1.X, e1.Y, e0.X, e0.Y});
                if (l != leftOf.end() || r != leftOf.end()) {
                    c = l != leftOf.end() ? l->second : 0;
                    d = r != leftOf.end() ? r->second : 0;
                } else {
                    c = d = faceAt(mx, my);
                }
            } else {
                c = d = faceAt(mx, my);
            }
            links[static_cast<size_t>(i)].C = c;
            links[static_cast<size_t>(i)].D = d;
        }
    } catch (const G::Failure& f) {
        Error = 1;
        FailureText = f.what();
        PostTextMsgToOwners(tm_TextNote, FailureText);
    }
    Free(edgeTree);
    Free(faceTree);
}

void TSubAreaMakerInQTree::Publish(PropertyTable& t) {
    t.Float<TSubAreaMakerInQTree>("MinArea", [](TSubAreaMakerInQTree* o) { return o->MinArea; },
                                  [](TSubAreaMakerInQTree* o, double v) { o->MinArea = v; });
}

void TSubAreaMakerInQTree::DoIt() {
    auto* areas = As<TEntity>(Input);
    if (!areas) return;
    for (int32_t i = areas->ElementsCount() - 1; i >= 0; --i)
        if (auto* a = As<TAreaElement>(areas->Get(i)); a && !(a->GetWholeArea() >= MinArea)) areas->FreeElement(a);
}

void THledacPloch::DoIt() {
    SetOutput(nullptr);
    auto* areas = As<TEntity>(Input);
    if (!areas) return;
    TRectEntity* regions = nullptr;
    for (int32_t i = 0; i < areas->ElementsCount(); ++i) {
        auto* a = As<TAreaElement>(areas->Get(i));
        if (!a || !a->NotEmpty()) continue;
        TPolyLineAreaElement* region = TPolyLineAreaElement::New();
        region->SetName(Cz("Oblast ") + IntToStr(regions ? regions->ElementsCount() + 1 : 1));
        region->SetPoints(a->Points(), a->Parts());
        for (int32_t k = 0; k < a->ElementsCount(); ++k)
            if (auto* line = As<TPolyLineElement>(a->Get(k))) region->AddElement(line);
        if (!regions) regions = TRectEntity::New();
        regions->AddAndUpdateRect(region);
    }
    SetOutput(regions);
}

void TFindAreaThroughLines::DoIt() {
    ClearFinding = false;
    SetOutput(nullptr);
    auto* region = As<TAreaElement>(Input);
    if (!region || !region->NotEmpty()) return;
    TGravoTopology* topology = nullptr;
    for (int32_t i = 0; i < region->ElementsCount() && !topology; ++i)
        if (TGravoProps* p = GravoPropsOf(region->Get(i))) topology = p->GetTopology();
    TSpaceEntityQTree* areas = topology ? topology->AreaTree() : nullptr;
    if (!areas) return;
    double x = region->GetRefX(), y = region->GetRefY();
    for (TSpaceEntity* e : areas->LeafAt(x, y)) {
        auto* area = As<TAreaElement>(e);
        if (area && area->IsPointInside(x, y) && region->IsPointInside(area->GetRefX(), area->GetRefY())) {
            ClearFinding = true;
            SetOutput(area);
            return;
        }
    }
}

void TMultiAreaPointPlacer::DoIt() {
    GEOSContextHandle_t h = G::Context();
    ForAreas(Input, [&](TAreaElement* area) {
        G::Geom polygon = G::Polygon(area);
        if (!polygon) return;
        G::Geom point(GEOSPointOnSurface_r(h, polygon.get()));
        double x, y;
        if (point && GEOSGeomGetX_r(h, point.get(), &x) && GEOSGeomGetY_r(h, point.get(), &y) && std::isfinite(x) &&
            std::isfinite(y)) {
            area->SetRefX(x);
            area->SetRefY(y);
        }
        G::TakeError();
    });
}

void TProchazecPlochGauge::DoIt() {
    int32_t count = 0;
    ForAreas(Input, [&](TAreaElement*) { ++count; });
    StartProgress(GetName(), 0, count);
    int32_t done = 0;
    ForAreas(Input, [&](TAreaElement* area) {
        ProcessArea(area);
        SetProgress(++done);
    });
    EndProgress();
}

void TProchazecPlochGauge::ProcessArea(TAreaElement*) {}

// ---- the whole build --------------------------------------------------------------------------

std::vector<std::string> BuildLineTopology(TPolyLineString* lines) {
    std::vector<std::string> messages;
    if (!lines) return messages;
    auto* tree = As<TQTreeTopLin>(RunAndFree(TReadLinesIntoQTree::New(), lines));
    if (!tree) return messages;
    auto* nodes = TPutNodesIntoQTree::New();
    nodes->SetInput(tree);
    nodes->DoIt();
    if (nodes->Error) messages.push_back(nodes->FailureText);
    Free(nodes);
    RunAndFree(TNodesConector::New(), tree);
    RunAndFree(TDeleteDirectRelationsToLinesInQTree::New(), tree);
    auto* faces = TCreateAreasForQTree::New();
    faces->SetInput(tree);
    faces->DoIt();
    if (faces->Error) messages.push_back(faces->FailureText);
    TElement* built = faces->Output;
    Free(faces);
    auto number = [&](int32_t link) {
        TPolyLineElement* l = tree->Line(link - 1);
        TGravoProps* p = l ? GravoPropsOf(l) : nullptr;
        return p ? p->Number : 0;
    };
    for (int32_t i = 0; i < tree->LineCount() && i < static_cast<int32_t>(tree->Links().size()); ++i) {
        TGravoProps* props = GravoPropsOf(tree->Line(i));
        if (!props) continue;
        TLineLinks l = tree->Links()[static_cast<size_t>(i)];
        l.A = l.A > 0 ? number(l.A) : l.A;
        l.B = l.B > 0 ? number(l.B) : l.B;
        WriteLinkRecord(props->LinkRecord, l);
    }
    if (built) Free(built);
    Free(tree);
    return messages;
}

void RegisterWendrikClasses() {
    static bool done = false;
    if (done) return;
    done = true;
    RegisterZarixClass<TQTreeTopLin>();
    RegisterZarixClass<TLinesAbscEntity>();
    RegisterZarixClass<TLinComparator>();
    RegisterZarixClass<TReadLinesIntoQTree>();
    RegisterZarixClass<TPutNodesIntoQTree>();
    RegisterZarixClass<TNodesConector>();
    RegisterZarixClass<TDeleteDirectRelationsToLinesInQTree>();
    RegisterZarixClass<TCreateAreasForQTree>();
    RegisterZarixClass<TSubAreaMakerInQTree>();
    RegisterZarixClass<THledacPloch>();
    RegisterZarixClass<TFindAreaThroughLines>();
    RegisterZarixClass<TMultiAreaPointPlacer>();
    RegisterZarixClass<TProchazecPlochGauge>();
}
