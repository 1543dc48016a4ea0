#include "checker/check_interprets.h"
#include "checker/folder_structure_checks.h"
#include "gravo/topology.h"
#include "kernel/element_holder.h"
#include "kernel/string_routines.h"
#include "platform/forms.h"
#include "platform/scope_exit.h"
#include "platform/sysutils.h"
#include "space/space.h"
#include "wendrik/wendrik.h"

namespace {

// Creates, names and runs one topology tool on the input; answers its output.
template <class T> TElement* RunTool(const std::string& name, TElement* input, T* tool = nullptr) {
    TElementHolder<T> held{tool ? tool : T::New()};
    held->SetName(name);
    held->SetInput(input);
    held->DoIt();
    TElement* out = held->Output;
    held->SetOutput(nullptr);
    return out;
}

// The gauge of the region walk: progress captioned with the interpret's name.
struct Gauge {
    TTool* tool;
    Gauge(const std::string& caption, int32_t maximum) : tool(TTool::New()) {
        tool->SetName(caption);
        tool->StartProgress(caption, 0, maximum);
    }
    void Position(int32_t value) { tool->SetProgress(value); }
    ~Gauge() {
        tool->EndProgress();
        Free(tool);
    }
};


}  // namespace

void TCheckLineStringInterpret::Publish(PropertyTable& t) {
    using C = TCheckLineStringInterpret;
    t.Field<C>("ErrorTxt", &C::ErrorTxt);
    t.Field<C>("OutputDir", &C::OutputDir);
    t.Field<C>("DontSendError", &C::DontSendError);
}

void TCheckLineStringInterpret::Destroy() {
    FreeWork();
    inherited::Destroy();
}

void TCheckLineStringInterpret::FreeWork() {
    if (FRegions && IsLive(FRegions)) {
        if (IndexOf(FRegions) >= 0) FreeElement(FRegions);
        else Free(FRegions);
    }
    FRegions = nullptr;
    if (FQTree && IsLive(FQTree)) Free(FQTree);
    FQTree = nullptr;
}

void TCheckLineStringInterpret::Process(TElement* element) {
    auto* lines = As<TPolyLineString>(element);
    if (!lines) return;
    FreeWork();
    FQTree = As<TQTreeTopLin>(RunTool<TReadLinesIntoQTree>("", lines));
    if (!FQTree) return;
    struct Cleanup {
        TCheckLineStringInterpret* self;
        ~Cleanup() { self->FreeWork(); }
    } cleanup{this};

    RunTool<TPutNodesIntoQTree>(Cz("Vytváření uzlů v QTREE"), FQTree);
    TNodesConector* connector = TNodesConector::New();
    connector->JoinNearEnds = false;
    connector->FreeEndsUnlinked = false;
    connector->NearPrecision = 1000;
    RunTool<TNodesConector>(Cz("Zapojování uzlů v QTree"), FQTree, connector);
    RunTool<TDeleteDirectRelationsToLinesInQTree>(Cz("Rušení QTree vazeb na linie"), FQTree);
    TElementHolder<TElement> built{RunTool<TCreateAreasForQTree>(Cz("Tvorba ploch v QTree"), FQTree)};
    if (!built.Get()) return;
    RunTool<TSubAreaMakerInQTree>("", built.Get());
    FRegions = As<TEntity>(RunTool<THledacPloch>("", built.Get()));
    if (!FRegions) return;
    AddElement(FRegions);
    built.Reset();

    ExamineRegions(FRegions);
    if (!OutputDir.empty()) {
        std::string dir = OutputDir;
        if (dir.back() != '\\' && dir.back() != '/') dir += '\\';
        FBlockName = dir + "Err" + IntToStr(static_cast<int32_t>(FBlockNames.size())) + ".blk";
        FBlockNames.push_back(FBlockName);
        ExportRegions(FRegions);
        WriteLine(kProtocolStars);
        WriteLine(Cz("Nalezené oblasti uloženy v bloku: ") + FBlockName);
    } else {
        FBlockNames.push_back(IntToStr(static_cast<int32_t>(FBlockNames.size())));
    }
    if (!DontSendError) WriteLine(kProtocolStars);
}

void TCheckLineStringInterpret::ExamineRegions(TEntity* regions) {
    Gauge gauge(GetName(), regions->ElementsCount());
    int32_t done = 0;
    for (int32_t i = regions->ElementsCount() - 1; i >= 0; --i, ++done) {
        gauge.Position(done);
        if (i >= regions->ElementsCount()) continue;
        auto* region = As<TPolyLineAreaElement>(regions->Get(i));
        if (!region) continue;
        try {
            TElementHolder<TFindAreaThroughLines> finder{TFindAreaThroughLines::New()};
            finder->SetInput(region);
            finder->DoIt();
            finder->SetOutput(nullptr);
            if (finder->ClearFinding) {
                regions->FreeElement(region);
                continue;
            }
            ++UnclosedCount;
            if (DontSendError) continue;
            if (!BeforeRow.empty()) WriteText(BeforeRow);
            if (region->ElementsCount() > 0) WriteObjectLine(region->Get(0));
            if (!ErrorTxt.empty()) WriteLine(ErrorTxt);
            if (!AfterRow.empty()) WriteLine(AfterRow);
        } catch (const std::exception&) {
            // a region that cannot be examined is not reported
        }
    }
}

void TCheckLineStringInterpret::ExportRegions(TEntity* regions) {
    if (regions->ElementsCount() == 0) return;
    RunTool<TMultiAreaPointPlacer>("", regions);
    Screen().SetCursor(crHourGlass);
    auto cursor = MakeScopeExit([] { Screen().SetCursor(crDefault); });
    TElementHolder<TExportAreasToGravo> exporter{TExportAreasToGravo::New()};
    exporter->SetInput(regions);
    exporter->SetName(Cz("Export ploch z QTree do ") + FBlockName);
    exporter->BlockName = FBlockName;
    exporter->DoIt();
}

void TCheckLineStringInterpret::WriteSummary() {
    WriteLine("   ");
    WriteLine(kProtocolStars);
    WriteLine(Cz(" Nástroj ") + GetName() + " nalezl ");
    WriteLine(IntToStr(UnclosedCount) + Cz(" nezaplochovaných oblastí"));
    if (!OutputDir.empty()) {
        WriteLine(Cz(" Výsledek je uložen v blocích:"));
        for (const std::string& name : FBlockNames) WriteLine("    " + name);
    }
    FBlockNames.clear();
    WriteLine(" ");
    WriteLine(kProtocolStars);
}
