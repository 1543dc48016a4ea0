// Marking all 1:5000 sheets of the sample sheet list through the sheet selector and drawing
// the key-map window, beside the same number of plain rectangle draws on the same canvas.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "composition/key_map.h"
#include "composition/key_map_interprets.h"
#include "composition/map_spaces.h"
#include "device/device.h"
#include "kernel/world.h"
#include "platform/forms.h"
#include "platform/host.h"
#include "workbench/key_map_window.h"
#include "workbench/main_tool_base.h"
#include "workbench/workbench.h"

namespace {

// A main tool whose ini file and key-map file lie in a scratch folder.
class TBenchMain : public TOldMainTool {
    ZARIX_CLASS(TBenchMain, TOldMainTool)

public:
    static std::string& Folder() {
        static std::string f;
        return f;
    }
    std::string GetIniDirectory() override { return Folder(); }
    std::string GetIniFileName() override { return Folder() + "Bench.INI"; }
};

struct Window {
    ScriptedHost host;
    TGuideFormTool* tool = nullptr;
    std::vector<TPixelPoint> cells;  // the centre of every 1:5000 sheet, in pixels

    Window() {
        RegisterWorkbenchClasses();
        SetUserHost(&host);
        TBenchMain::Folder() = std::filesystem::temp_directory_path().string() + "/keymap_bench_" +
                               std::to_string(getpid()) + "/";
        std::filesystem::create_directories(TBenchMain::Folder());
        TOldMainTool::InstallWorld(TBenchMain::New());
        tool = TGuideFormTool::New();
        World->GetMainTool()->AddTool(tool);
        tool->DoIt();
        Application().ProcessMessages();
        tool->GuideForm()->Resize(1000, 800);
        tool->PostMsg(tm_ResizeView, tool, nullptr, false);
        Application().ProcessMessages();
    }
    ~Window() {
        Free(World);
        World = nullptr;
        Application().ProcessMessages();
        std::filesystem::remove_all(TBenchMain::Folder());
        SetUserHost(nullptr);
    }
    // A new key map of the sample sheet list, 1:5000 sheets shown, the selector active.
    void NewGuide() {
        TGuide* g = TGuide::New();
        g->ReadSheetList(SAMPLE_SERVICE_DIR "/MAPLSMO.txt");
        g->EnsureStructure();
        tool->SetGuide(g);
        tool->SetBackupGuide(nullptr);
        TGuideSelector* s = tool->Selector();
        s->Show_50 = s->Show_25 = s->Show_10 = s->Show_2 = s->Show_U = s->Show_ZM = false;
        s->Show_5 = true;
        s->Detail = false;
        TGuideInterpret* i = tool->GuideInterpret();
        i->Show_50 = i->Show_5 = i->Show_Text = i->Fill_Page = true;
        i->Show_25 = i->Show_10 = i->Show_2 = i->Show_U = i->Show_ZM = false;
        tool->ShowTool("TGuideSelector");
        Application().ProcessMessages();
        cells.clear();
        TPageProjection* p = tool->GetProjection();
        for (int32_t c = 0; c < g->ColumnCount(); ++c)
            if (TSpaces* col = g->Column(c))
                for (int32_t k = 0; k < col->ElementsCount(); ++k)
                    if (auto* s50 = As<TSMO_50>(col->Get(k)))
                        for (int i5 = 0; i5 < 10; ++i5)
                            for (int j5 = 0; j5 < 10; ++j5)
                                cells.push_back(p->GetPagePoint(s50->GetMaxX() - 1250 - 2500 * i5,
                                                                s50->GetMaxY() - 500 - 2000 * j5));
    }
};

// Two clicks per sheet (the first makes it, the second marks it), then one drawing.
void BM_MarkAll5000AndDraw(benchmark::State& state) {
    Window w;
    size_t sheets = 0;
    for (auto _ : state) {
        state.PauseTiming();
        w.NewGuide();
        state.ResumeTiming();
        TGuideForm& form = *w.tool->GuideForm();
        for (const TPixelPoint& p : w.cells)
            for (int k = 0; k < 2; ++k) {
                form.MouseDown(mbLeft, 0, p.X, p.Y);
                form.MouseUp(mbLeft, 0, p.X, p.Y);
                Application().ProcessMessages();
            }
        w.tool->PostMsg(tm_ReView, w.tool, nullptr, false);
        Application().ProcessMessages();
        sheets = w.cells.size();
    }
    state.counters["sheets"] = static_cast<double>(sheets);
}

// The same number of filled, framed rectangles drawn on the window's device.
void BM_PlainRectangles(benchmark::State& state) {
    Window w;
    w.NewGuide();
    TDevice* d = w.tool->GetDevice();
    TPageProjection* p = d->GetProjection();
    std::vector<T2DPoint> rects;
    for (const TPixelPoint& c : w.cells) rects.push_back(p->GetModelPoint(c.X, c.Y));
    for (auto _ : state) {
        d->Clear();
        d->GetPen()->SetColor(0x008000);
        d->GetBrush()->SetStyle(bsSolid);
        d->GetBrush()->SetColor(0x00FFFF);
        for (const T2DPoint& m : rects) d->Rectangle(m.X - 1250, m.Y - 1000, m.X + 1250, m.Y + 1000);
        d->FlushOutput();
    }
    state.counters["sheets"] = static_cast<double>(rects.size());
}

}  // namespace

BENCHMARK(BM_MarkAll5000AndDraw)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainRectangles)->Unit(benchmark::kMillisecond);
