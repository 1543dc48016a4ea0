#include "checker/check_set_run.h"

#include "checker/folder_structure_checks.h"
#include "kernel/element_holder.h"
#include "kernel/string_routines.h"
#include "kernel/world.h"
#include "platform/forms.h"
#include "platform/host.h"
#include "platform/sysutils.h"
#include "quintel/quintel.h"
#include "space/space.h"

namespace {

}  // namespace

// ---- TInterpretNodeEntityInterpret --------------------------------------------------

void TInterpretNodeEntityInterpret::Publish(PropertyTable& t) {
    using C = TInterpretNodeEntityInterpret;
    t.Obj<C, TOwnerEntity>("WorkingArea", &C::GetWorkingArea, &C::SetWorkingArea).Stored(false);
    t.Field<C>("DataDirectory", &C::DataDirectory);
    t.Field<C>("InterpretIModel", &C::InterpretIModel);
    t.Obj<C, TUniversalInterpret>("UI", &C::GetUI, nullptr);
}

TOwnerEntity* TInterpretNodeEntityInterpret::GetWorkingArea() {
    if (FWorkingArea && IsLive(FWorkingArea, FWorkingAreaSerial)) return FWorkingArea;
    FWorkingArea = nullptr;
    if (!World) return nullptr;
    TObjectModel* objects = World->GetObjectModel();
    auto* area = As<TOwnerEntity>(objects->FindElementName("WORK"));
    if (!area) {
        area = TOwnerEntity::New();
        area->SetName("WORK");
        objects->AddElement(area);
    }
    SetWorkingArea(area);
    return area;
}

void TInterpretNodeEntityInterpret::SetWorkingArea(TOwnerEntity* area) {
    FWorkingArea = area;
    FWorkingAreaSerial = area ? area->Serial() : 0;
}

TUniversalInterpret* TInterpretNodeEntityInterpret::GetUI() {
    TOwnerEntity* area = GetWorkingArea();
    if (!area) return nullptr;
    if (auto* ui = As<TUniversalInterpret>(area->FindElementClass(TUniversalInterpret::StaticClass()))) return ui;
    TUniversalInterpret* ui = TUniversalInterpret::New();
    ui->SetName("UI");
    area->AddElement(ui);
    return ui;
}

TInterpretNode* TInterpretNodeEntityInterpret::GetCurrentNode() const {
    return FCurrentNode && IsLive(FCurrentNode, FCurrentNodeSerial) ? FCurrentNode : nullptr;
}

bool TInterpretNodeEntityInterpret::QGoInside(TElement*) { return false; }

bool TInterpretNodeEntityInterpret::QProcessBefore(TElement* element) { return As<TInterpretNodeEntity>(element); }

bool TInterpretNodeEntityInterpret::IsItsClass(TElement* element) { return As<TInterpretNodeEntity>(element); }

void TInterpretNodeEntityInterpret::Process(TElement* element) {
    auto* entity = As<TInterpretNodeEntity>(element);
    TDevice* device = GetDevice();
    if (!entity || !device) return;
    device->BeginOutput();
    try {
        RunNodes(entity, device);
    } catch (...) {
        // What a failed run left in the working area goes; the protocol keeps what was
        // written. Failures of this cleanup give way to the run's own; on the normal path
        // a failing end of output is the caller's to hear.
        try {
            ClearWorkingArea();
            EndProgress();
            if (IsLive(device)) device->EndOutput();
        } catch (...) {
        }
        throw;
    }
    device->EndOutput();
}

void TInterpretNodeEntityInterpret::RunNodes(TInterpretNodeEntity* entity, TDevice* device) {
    InterpretIModel = !entity->GetNoSettings();
    const int32_t count = entity->ElementsCount();
    StartProgress(entity->GetName(), 0, count - 1);
    for (int32_t i = 0; i < count && i < entity->ElementsCount(); ++i) {
        SetProgress(i);
        TElement* child = entity->Get(i);
        if (auto* folders = As<TDirectoryHCheckNode>(child)) {
            TElementHolder<TDirectoryHCheckTool> tool{TDirectoryHCheckTool::New()};
            tool->SetNode(folders);
            tool->Directory = DataDirectory;
            tool->SetDevice(device);
            tool->DoIt();
        } else if (auto* node = As<TInterpretNode>(child)) {
            RunCheckNode(node, i, count, device);
        }
    }
    EndProgress();
    Application().ProcessMessages();
}

void TInterpretNodeEntityInterpret::RunCheckNode(TInterpretNode* node, int32_t index, int32_t count,
                                                 TDevice* device) {
    FCurrentNode = node;
    FCurrentNodeSerial = node->Serial();
    ClearWorkingArea();
    const std::string prefix = Cz("Uzel č.") + IntToStr(index + 1) + "/" + IntToStr(count) + ": " + node->GetName();
    // A skipped node leaves nothing in the working area, also when it is the last.
    auto skip = [this] {
        ClearWorkingArea();
        EndProgress();
        Application().ProcessMessages();
    };
    SetProgressText(prefix + Cz(" -načítání dat ..."));
    Application().ProcessMessages();
    if (!LoadData(node)) return skip();
    SetProgressText(prefix + Cz(" -vytváření interpretů ..."));
    Application().ProcessMessages();
    if (!CreateScript(node)) return skip();

    device->WriteLine("  ");
    device->WriteLine("  " + node->GetName());
    device->WriteLine(kProtocolStars);
    if (InterpretIModel) {
        TElementHolder<TInterpretIModel> print{TInterpretIModel::New()};
        print->SetInput(node->GetInterpretModel());
        print->SetDevice(device);
        print->DoIt();
        PrintDataModel(node, device);
    }
    SetProgressText(prefix + Cz(" -interpretace ..."));
    Application().ProcessMessages();

    TOwnerEntity* area = GetWorkingArea();
    TUniversalInterpret* ui = GetUI();
    {
        auto dropUi = MakeScopeExit([ui, area] {
            if (IsLive(ui) && IsLive(area)) area->FreeElement(ui);
        });
        ui->SetInput(area->FindElementName("DATA"));
        ui->SetScript(As<TInterpretScript>(area->FindElementClass(TInterpretScript::StaticClass())));
        ui->SetDevice(device);
        ui->DoIt();
    }
    ClearWorkingArea();
}

bool TInterpretNodeEntityInterpret::LoadData(TInterpretNode* node) {
    TOwnerEntity* area = GetWorkingArea();
    if (!area) return false;
    TElementHolder<TStringListElement> settings{TStringListElement::New()};
    if (TStringListElement* model = node->GetDataModel())
        for (int32_t i = 0; i < model->ElementsCount(); ++i)
            settings->AddNameString(model->GetNameAtIndex(i), model->GetString(i));
    TElementHolder<TModelScriptCreator> creator{TModelScriptCreator::New()};
    creator->SetDataDirectory(DataDirectory);
    creator->SetInput(settings.Get());
    creator->DoIt();
    TElementHolder<TElement> script{creator->Output};
    creator->SetOutput(nullptr);
    TElementHolder<TModelByScriptCreator> converter{node->GetDynamic() ? TModelScriptToDynamicModel::New()
                                                                : TModelByScriptCreator::New()};
    converter->SetInput(script.Get());
    converter->DoIt();
    TElement* data = converter->Output;
    converter->SetOutput(nullptr);
    if (!data) return false;
    data->SetName("DATA");
    if (auto* dynamic = As<TDynamicModel>(data)) dynamic->SetActive(true);
    area->AddElement(data);
    return true;
}

bool TInterpretNodeEntityInterpret::CreateScript(TInterpretNode* node) {
    TOwnerEntity* area = GetWorkingArea();
    if (!area) return false;
    TElementHolder<TInterpretModelToIntrepretScript> converter{TInterpretModelToIntrepretScript::New()};
    converter->SetInput(node->GetInterpretModel());
    converter->DoIt();
    TElement* script = converter->Output;
    converter->SetOutput(nullptr);
    if (!script) return false;
    area->AddElement(script);
    return true;
}

void TInterpretNodeEntityInterpret::PrintDataModel(TInterpretNode* node, TDevice* device) {
    device->WriteLine(Cz("Datový model:"));
    device->WriteLine(kProtocolStars);
    if (TStringListElement* model = node->GetDataModel())
        for (int32_t i = 0; i < model->ElementsCount(); ++i)
            device->WriteLine(model->GetNameAtIndex(i) + "=" + model->GetString(i));
    device->WriteLine(kProtocolStars);
}

void TInterpretNodeEntityInterpret::ClearWorkingArea() {
    TOwnerEntity* area = GetWorkingArea();
    if (!area) return;
    try {
        if (TElement* data = area->FindElementName("DATA")) {
            if (auto* dynamic = As<TDynamicModel>(data)) dynamic->SetActive(false);
            area->FreeElement(data);
        }
        if (World) {
            TObjectModel* objects = World->GetObjectModel();
            if (TElement* reg = objects->FindElementClass(TRegister::StaticClass())) objects->FreeElement(reg);
        }
    } catch (const std::exception&) {
        ShowErrorMessage(Cz("Chyba uvolnění dat nebo registru"));
    }
    if (TElement* script = area->FindElementClass(TInterpretScript::StaticClass())) area->FreeElement(script);
}

// ---- TInterpretIModel ---------------------------------------------------------------

void TInterpretIModel::Publish(PropertyTable& t) { t.Field<TInterpretIModel>("Header", &TInterpretIModel::Header); }

void TInterpretIModel::WriteProperties(TElementModel* model, TDevice* device) {
    std::vector<TPropertyModel*> properties = PropertyModelsOf(model);
    if (properties.empty()) return;
    FIndent += "   ";
    for (TPropertyModel* p : properties) device->WriteLine(FIndent + p->GetName() + " = " + p->Value);
}

void TInterpretIModel::DoIt() {
    auto* entity = As<TInterpretModelEntity>(IsLive(Input) ? Input : nullptr);
    TDevice* device = GetDevice();
    if (!entity || !device) return;
    if (!Header.empty()) device->WriteLine(Header);
    device->WriteLine(Cz("Interpretační model:"));
    device->WriteLine(kProtocolStars);
    for (TToolModel* model : entity->GetModels()) {
        FIndent = "    ";
        device->WriteLine(FIndent + "-" + model->GetName());
        WriteProperties(model, device);
        for (TToolModel* sub : SubModelsOf(model)) {
            FIndent = std::string(9, ' ');
            device->WriteLine(FIndent + "-" + sub->GetName());
            WriteProperties(sub, device);
        }
    }
    device->WriteLine(kProtocolStars);
}
