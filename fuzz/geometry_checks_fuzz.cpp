// Feeds arbitrary coordinates (any double: NaN, infinities, huge values, repeated and
// crossing vertices) to the geometric and topological checks, the topology build of a
// line layer and the region tools. Nothing may throw, crash or leak, and every fault
// number must be one its check can give.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <set>
#include <string>

#include "checker/check_tools.h"
#include "checker/geometry_checks.h"
#include "fuzz_support.h"
#include "kernel/kernel.h"
#include "wendrik/wendrik.h"

namespace {

struct Reader {
    const uint8_t* p;
    size_t n;
    bool Byte(uint8_t& b) {
        if (!n) return false;
        b = *p++;
        --n;
        return true;
    }
    // A raw double, or with small set a value of a 16-bit grid (so that lines meet).
    bool Coordinate(bool small, double& v) {
        if (small) {
            if (n < 2) return false;
            int16_t s;
            std::memcpy(&s, p, 2);
            p += 2, n -= 2;
            v = s / 4.0;
            return true;
        }
        if (n < 8) return false;
        std::memcpy(&v, p, 8);
        p += 8, n -= 8;
        return true;
    }
};

template <class T> T* Make() { return T::New(); }

void Run(TCheckTool* check, TEntity* layer, const std::set<int32_t>& allowed) {
    for (int32_t i = 0; i < layer->ElementsCount(); ++i) {
        check->Reset();
        check->SetInput(layer->Get(i));
        check->DoIt();
        FUZZ_CHECK(check->Error == 0 || allowed.count(check->Error));
        (void)check->GetErrorMsg();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool init = [] {
        RegisterCheckerClasses();
        return true;
    }();
    (void)init;
    Reader in{data, size};
    TRectEntity* model = TRectEntity::New();
    auto* points = TPointString::New();
    auto* lines = TPolyLineString::New();
    auto* areas = TAreaString::New();
    model->AddElement(points);
    model->AddElement(lines);
    model->AddElement(areas);
    uint8_t head = 0;
    in.Byte(head);
    for (int e = 0; e < 48; ++e) {
        uint8_t count;
        if (!in.Byte(count)) break;
        bool small = count & 0x80;
        std::vector<T2DPoint> pts;
        for (int k = 0; k < (count & 0x0F); ++k) {
            T2DPoint v;
            if (!in.Coordinate(small, v.X) || !in.Coordinate(small, v.Y)) break;
            pts.push_back(v);
        }
        auto* line = TPolyLineElement::New();
        line->SetPoints(pts);
        lines->AddElement(line);
        auto* area = TAreaElement::New();
        area->SetPoints(pts, (count & 0x40) && pts.size() > 3 ? std::vector<int32_t>{0, 2} : std::vector<int32_t>{});
        areas->AddElement(area);
        if (!pts.empty()) points->AddElement(TPointElement::New(pts[0].X, pts[0].Y));
    }
    double tolerance = (head & 0x0F) / 4.0;
    fuzz::Note("elements " + std::to_string(lines->ElementsCount()) + " tolerance " + std::to_string(tolerance));

    auto topology = std::make_shared<TGravoTopology>();
    topology->SetLayer('P', areas);
    topology->SetLayer('L', lines);
    AttachTopologyProps(lines, topology);
    AttachTopologyProps(areas, topology);
    for (int32_t i = 0; i < areas->ElementsCount(); ++i)
        As<TGravoAreaProps>(GravoPropsOf(areas->Get(i)))->FatherIndex = (i * 7 + head) % 5 - 1;
    BuildLineTopology(lines);

    auto* angle = Make<TCheckPolyAngle>();
    angle->MinValue = 10;
    angle->MaxValue = 170;
    auto* length = Make<TCheckPolyDistance>();
    length->MinValue = 1;
    length->MaxValue = 100;
    length->OutSide = head & 0x10;
    auto* overlay = Make<TCheckPolyLineOverlay>();
    overlay->Tolerance = tolerance;
    auto* pp = Make<TCheckPointPointDistance>();
    pp->Tolerance = tolerance;
    auto* pl = Make<TCheckPointLineDistance>();
    pl->Tolerance = tolerance;
    pl->InTolerance = head & 0x20;
    auto* inside = Make<TCheckAreaPointInside>();
    auto* father = Make<TCheckGravoAreaInFather>();
    auto* links = Make<TCheckLineConnection>();
    Run(angle, lines, {5001, 5002, 5003});
    Run(angle, areas, {5001, 5002, 5003});
    Run(length, lines, {5011, 5012, 5013});
    Run(overlay, lines, {5021, 5022, 5023});
    Run(overlay, areas, {5021, 5022, 5023});
    Run(pp, points, {6021});
    Run(pl, points, {6021});
    Run(inside, areas, {6001});
    Run(father, areas, {6011, 6012});
    Run(links, lines, {10001, 10002, 10003, 10004, 10005, 10006});
    for (TCheckTool* t : {static_cast<TCheckTool*>(angle), static_cast<TCheckTool*>(length),
                          static_cast<TCheckTool*>(overlay), static_cast<TCheckTool*>(pp), static_cast<TCheckTool*>(pl),
                          static_cast<TCheckTool*>(inside), static_cast<TCheckTool*>(father),
                          static_cast<TCheckTool*>(links)})
        Free(t);

    // The line-layer run of the regions.
    if (auto* tree = As<TQTreeTopLin>(RunAndFree(Make<TReadLinesIntoQTree>(), lines))) {
        RunAndFree(Make<TPutNodesIntoQTree>(), tree);
        RunAndFree(Make<TNodesConector>(), tree);
        RunAndFree(Make<TDeleteDirectRelationsToLinesInQTree>(), tree);
        TElement* built = RunAndFree(Make<TCreateAreasForQTree>(), tree);
        RunAndFree(Make<TSubAreaMakerInQTree>(), built);
        TElement* regions = RunAndFree(Make<THledacPloch>(), built);
        if (built) Free(built);
        if (auto* r = As<TEntity>(regions)) {
            for (int32_t i = 0; i < r->ElementsCount(); ++i) RunAndFree(Make<TFindAreaThroughLines>(), r->Get(i));
            RunAndFree(Make<TMultiAreaPointPlacer>(), r);
            Free(r);
        }
        Free(tree);
    }
    RunAndFree(Make<TMultiAreaPointPlacer>(), areas);
    Free(model);
    return 0;
}
