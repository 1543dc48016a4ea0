// A click of the area selector on a map window showing 100,000 areas, the pick-uper's walk
// alone, and beside them a plain loop of point-in-area tests over the same areas.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "kernel/kernel.h"
#include "kernel/world.h"
#include "platform/forms.h"
#include "space/space.h"
#include "workbench/form_tool_manager.h"
#include "workbench/selection_tools.h"
#include "workbench/workbench.h"

namespace {

constexpr int kSide = 317;  // 100,489 areas

// A grid of irregular octagons 10 m apart, each 8 m across, listed row by row.
struct Layer {
    TAreaString* areas = nullptr;
    std::vector<TAreaElement*> list;
    Layer() {
        areas = TAreaString::New();
        for (int row = 0; row < kSide; ++row)
            for (int col = 0; col < kSide; ++col) {
                double cx = col * 10.0 + 5, cy = row * 10.0 + 5;
                std::vector<T2DPoint> ring;
                for (int k = 0; k < 8; ++k) {
                    double a = k * M_PI / 4, r = 4 - 0.3 * ((row + col + k) % 3);
                    ring.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
                }
                auto* area = TAreaElement::New();
                area->SetPoints(std::move(ring));
                areas->AddAndUpdateRect(area);
                list.push_back(area);
            }
    }
};

// The world, the map window on the layer with its area selector active.
struct Window {
    TWorld* world;
    TFormToolManager* manager;
    Layer layer;
    Window() {
        RegisterWorkbenchClasses();
        world = TWorld::New();
        World = world;
        world->HookApplication();
        TTechnology* main = TTechnology::New();
        world->SetMainTool(main);
        manager = TFormToolManager::New();
        main->AddTool(manager);
        manager->SetFormVisible(true);
        manager->SetInput(layer.areas);
        manager->GetForm()->Find("TAreaSelector")->Click();
        Application().ProcessMessages();
    }
};

Window& TheWindow() {
    static Window* w = new Window();
    return *w;
}

// The centre of the last area: the walk meets it last.
T2DPoint Target() { return {(kSide - 1) * 10.0 + 5, (kSide - 1) * 10.0 + 5}; }

void BM_AreaSelectorClickOnMapWindow(benchmark::State& state) {
    Window& w = TheWindow();
    TPixelPoint px = w.manager->GetProjection()->GetPagePoint(Target());
    TStandardImageForm* form = w.manager->GetForm();
    TTool* selector = w.manager->GetActiveTool();
    for (auto _ : state) {
        selector->SetOutput(nullptr);
        form->MouseUp(mbLeft, 0, px.X, px.Y);
        Application().ProcessMessages();
        if (!selector->Output) state.SkipWithError("no hit");
    }
    state.counters["areas"] = static_cast<double>(w.layer.list.size());
}

void BM_PickUpAreaWalk(benchmark::State& state) {
    Window& w = TheWindow();
    TPickUpArea* pick = TPickUpArea::New();
    pick->SetX(Target().X);
    pick->SetY(Target().Y);
    pick->SetInput(w.layer.areas);
    for (auto _ : state) {
        pick->DoIt();
        if (!pick->Output) state.SkipWithError("no hit");
    }
    Free(pick);
}

// Baseline: every area asked in order until one holds the point.
void BM_PlainPointInAreaLoop(benchmark::State& state) {
    Window& w = TheWindow();
    T2DPoint t = Target();
    for (auto _ : state) {
        TAreaElement* hit = nullptr;
        for (TAreaElement* a : w.layer.list)
            if (a->IsPointInside(t.X, t.Y)) {
                hit = a;
                break;
            }
        benchmark::DoNotOptimize(hit);
    }
}

BENCHMARK(BM_AreaSelectorClickOnMapWindow)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PickUpAreaWalk)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainPointInAreaLoop)->Unit(benchmark::kMillisecond);

}  // namespace
