#include "composer/map_sheet_production.h"

#include <algorithm>
#include <functional>
#include <memory>

#include "composition/map_spaces.h"
#include "composition/pages.h"
#include "composition/text_blocks.h"
#include "composition/views.h"
#include "kernel/class_registry.h"
#include "kernel/property_access.h"
#include "kernel/string_routines.h"
#include "kernel/value_elements.h"
#include "platform/classes.h"
#include "platform/controls.h"
#include "platform/files.h"
#include "platform/host.h"
#include "platform/sysutils.h"
#include "quintel/quintel.h"
#include "workbench/desktop_template_text.h"
#include "kernel/element_holder.h"

namespace {

constexpr char CR = '\r';
constexpr std::string_view kDelimiters = "().:";
constexpr int32_t tm_OpenComposition = 30;


// Every view of the desktop, through its child desktops.
void ForEachView(TEntity* desktop, const std::function<void(TView*)>& f) {
    for (int32_t i = 0; i < desktop->ElementsCount(); ++i) {
        TElement* child = desktop->Get(i);
        if (auto* view = As<TView>(child)) f(view);
        else if (auto* page = As<TDesktop>(child)) ForEachView(page, f);
    }
}

// The view the map space centres: "SMO10" for the 1:10000 series and those below it in
// the class tree, "SMO5" for the 1:5000 ones, else (and when those are missing) "MAIN".
TView* TargetView(TDesktop* desktop, TMapSpace* space) {
    TView* view = nullptr;
    if (space->Is<TSMO_10>()) view = FindView(desktop, "SMO10");
    else if (space->Is<TSMO_5>()) view = FindView(desktop, "SMO5");
    if (!view) view = FindView(desktop, "MAIN");
    return view;
}

std::string ExceptionText(const std::exception& e) {
    if (auto* ex = dynamic_cast<const Exception*>(&e)) return ex->Message();
    return e.what();
}

}  // namespace

bool IsVariableText(const std::string& text, std::string* rest) {
    std::string token;
    int32_t position = 0;
    char delimiter = 0;
    ReadToDelimiterWithoutWS(text, kDelimiters, 1, token, position, delimiter);
    if (delimiter != ':' || token != "?") return false;
    if (rest) *rest = text.substr(std::min(text.size(), static_cast<size_t>(position - 1)));
    return true;
}

// ---- TMapSheetFiller ------------------------------------------------------------------------

void TMapSheetFiller::Publish(PropertyTable& t) { t.Field("FillGraphics", &TMapSheetFiller::FillGraphics); }

TMapSpace* TMapSheetFiller::GetMapSpace() {
    if (FMapSpace && (!IsLive(FMapSpace) || IndexOf(FMapSpace) < 0)) FMapSpace = nullptr;
    return FMapSpace;
}

void TMapSheetFiller::SetInput(TElement* element) {
    if (!element || element->Is<TMapSpace>()) {
        TMapSpace* held = GetMapSpace();
        if (held == element) return;
        FMapSpace = nullptr;
        if (held) FreeElement(held);
        if (element) {
            AddElement(element);
            FMapSpace = As<TMapSpace>(element);
        }
        return;
    }
    auto* value = As<TStringElement>(element);
    if (!value) return;
    for (int32_t i = ElementsCount() - 1; i >= 0; --i) {
        auto* old = As<TStringElement>(Get(i));
        if (old && old != value && AnsiSameText(old->OwnName(), value->OwnName())) FreeElement(old);
    }
    if (IndexOf(value) < 0) AddElement(value);
}

std::string TMapSheetFiller::NamedString(const std::string& name) {
    for (int32_t i = 0; i < ElementsCount(); ++i)
        if (auto* s = As<TStringElement>(Get(i)); s && AnsiSameText(s->OwnName(), name)) return s->GetAsString();
    return {};
}

void TMapSheetFiller::DoIt() {
    SetOutput(nullptr);
    FTemplate = NamedString("TEMPLATE");
    TDesktop* desktop = nullptr;
    if (!FTemplate.empty() && FileExists(FTemplate)) {
        auto generator = Hold(TMSTemplateGenerator::New());
        generator->SetTemplatePath(FTemplate);
        generator->DoIt();
        desktop = As<TDesktop>(generator->Output);
    }
    if (!desktop) return;

    if (TMapSpace* space = GetMapSpace()) {
        desktop->SetMapSpace(space);
        if (TView* view = TargetView(desktop, space)) {
            view->SetModelCenterX(space->GetCenterX());
            view->SetModelCenterY(space->GetCenterY());
            if (space->GetScale() > 0 && view->GetScale() == 0) view->SetScale(space->GetScale());
        } else {
            ShowErrorMessage("Pro " + space->GetName() + Cz(" nebyl nalezen cílový pohled"));
        }
    }

    const std::string data = NamedString("DATADIR");
    ForEachView(desktop, [&](TView* view) { view->GetModelScript()->FillWildNames(data); });

    if (FillGraphics) {
        ForEachView(desktop, [](TView* view) {
            if (!view->GetReadAfter()) view->BuildModel();
        });
        const uint64_t serial = desktop->Serial();
        auto script = Hold(TMSCInterpret::New(ChangeFileExt(FTemplate, ".MSC")));
        script->SetInput(desktop);
        script->DoIt();
        if (!IsLive(desktop, serial)) return;
    }
    SetOutput(desktop);
}

// ---- TMSCInterpret --------------------------------------------------------------------------

TMSCInterpret* TMSCInterpret::New(const std::string& scriptPath) {
    TMSCInterpret* tool = New();
    tool->SetName(scriptPath);
    return tool;
}

void TMSCInterpret::Report(int n, const std::string& text) {
    ShowErrorMessage(Cz("Čtení souboru ") + GetName() + CR + Cz("Chyba na řádku ") + IntToStr(n) + ": " + text);
}

void TMSCInterpret::DoIt() {
    auto* desktop = As<TDesktop>(Input);
    if (desktop) SetOutput(desktop);
    const std::string path = GetName();
    try {
        if (!FileExists(path)) return;
        TStringList lines;
        lines.LoadFromFile(path);
        const uint64_t serial = desktop ? desktop->Serial() : 0;
        for (int i = 0; i < lines.Count(); ++i) {
            // A tool the script ran may have freed the page: the script ends there.
            if (desktop && !IsLive(desktop, serial)) {
                SetOutput(nullptr);
                return;
            }
            try {
                if (desktop) ExecuteLine(desktop, lines[i], i + 1);
            } catch (const std::exception& e) {
                Report(i + 1, ExceptionText(e));
            }
        }
    } catch (const std::exception&) {
        // a script that cannot be loaded ends the run silently
    }
}

void TMSCInterpret::ExecuteLine(TDesktop* desktop, const std::string& line, int n) {
    std::string name, value;
    if (!StringAsParameter(line, name, value)) {
        if (UpperCase(name) == "QUERYTEXTDLG") QueryTexts(desktop);
        return;
    }
    bool ask = false, command = false, list = false;
    std::string token;
    int32_t position = 0;
    char delimiter = 0;
    // Leading modifiers; other text before a ":" is dropped as well.
    for (;;) {
        ReadToDelimiterWithoutWS(value, kDelimiters, 1, token, position, delimiter);
        if (delimiter != ':') break;
        if (token == "?") ask = true;
        else if (token == "!") command = true;
        else if (UpperCase(token) == "LIST") list = true;
        value = value.substr(std::min(value.size(), static_cast<size_t>(position - 1)));
    }

    TElement* target = desktop;
    std::string property = name;
    ReadToDelimiterWithoutWS(name, kDelimiters, 1, token, position, delimiter);
    if (delimiter == '.') {
        target = desktop->FindElementName(token);
        if (!target) {
            Report(n, Cz("neznámý objekt (") + token + ")");
            return;
        }
        property = name.substr(std::min(name.size(), static_cast<size_t>(position - 1)));
    } else if (GetPropIndex(desktop, name) < 0) {
        TElement* element = desktop->ExecuteCommandLineToElement(value);
        if (!element) {
            Report(n, Cz("neznámý objekt (") + value + ")");
            return;
        }
        if (!CreateAndExecuteTool(name, element)) Report(n, Cz("neznámá vlastnost (") + name + ")");
        return;
    }

    if (command && list) {
        std::unique_ptr<TStringList> lines(desktop->ExecuteCommandLineToList(value));
        const TPropInfo* p = GetPropInfo(target, property);
        const TClassInfo* cls = p && p->Kind() == tkClass ? p->PropType->ClassRef() : nullptr;
        // A property that is missing or holds no string list is left as it is.
        if (!lines || !cls || !cls->InheritsFrom(TPersistentStringList::StaticClass()) || !p->HasWriter()) return;
        auto held = Hold(TPersistentStringList::New());
        held->AssignLines(*lines);
        SetObjectPropByName(target, property, held.Get());  // the property copies the lines
        return;
    }
    std::string text;
    if (command) desktop->ExecuteCommandLine(value, text);
    else text = TakeFromApos(value);
    if (ask) text = "?:" + text;
    SetPropStringByName(target, property, text);
}

void TMSCInterpret::QueryTexts(TDesktop* desktop) {
    auto texts = Hold(TQuickEntity::New());
    for (int32_t i = 0; i < desktop->ElementsCount(); ++i) {
        auto* text = As<TText>(desktop->Get(i));
        std::string rest;
        if (!text || !IsVariableText(text->GetText(), &rest)) continue;
        text->SetText(rest);
        texts->AddElement(text);
    }
    if (texts->ElementsCount() > 0) {
        auto dialog = Hold(TVarTextDialog::New());
        dialog->SetInput(texts.Get());
        dialog->DoIt();
    }
    texts->Clear();  // the texts stay the desktop's
}

// ---- TMapCreator ----------------------------------------------------------------------------

void TMapCreator::Publish(PropertyTable& t) {
    using C = TMapCreator;
    t.Obj<C, TMapSpace>("MapSpace", &C::GetMapSpace, &C::SetMapSpace);
    t.Field("DataDirectory", &C::DataDirectory);
    t.Field("TemplateName", &C::TemplateName);
    t.Field("FillGraphics", &C::FillGraphics);
}

void TMapCreator::Create() {
    inherited::Create();
    FillGraphics = true;
}

TMapSpace* TMapCreator::GetMapSpace() { return IsLive(Input) ? As<TMapSpace>(Input) : nullptr; }

void TMapCreator::SetMapSpace(TMapSpace* space) { SetInput(space); }

void TMapCreator::DoIt() {
    auto filler = Hold(TMapSheetFiller::New());
    filler->SetInput(GetMapSpace());
    filler->SetInput(TStringElement::New("TEMPLATE", TemplateName));
    filler->SetInput(TStringElement::New("DATADIR", DataDirectory));
    filler->FillGraphics = FillGraphics;
    filler->DoIt();
    SetOutput(filler->Output);
}

// ---- TVarTextDialog -------------------------------------------------------------------------

void TVarTextDialog::DoIt() {
    auto* holder = As<TEntity>(Input);
    if (!holder) return;
    std::vector<TText*> texts;
    for (int32_t i = 0; i < holder->ElementsCount(); ++i)
        if (auto* t = As<TText>(holder->Get(i))) texts.push_back(t);
    if (texts.empty()) return;

    TForm form("Tf_AskForText");
    form.Caption = Cz("Nastavení proměnných textů");
    TControl& header = form.Add(TControlKind::Other, "HeaderControl1");
    header.Items = {Cz("Název"), "Text"};
    TControl& grid = form.Add(TControlKind::Grid, "StringGrid1");
    grid.ColCount = 2;
    grid.RowCount = std::max<int>(9, static_cast<int>(texts.size()));
    for (size_t i = 0; i < texts.size(); ++i) {
        grid.SetCell(0, static_cast<int>(i), texts[i]->GetName());
        grid.SetCell(1, static_cast<int>(i), texts[i]->GetText());
    }
    form.Add(TControlKind::Button, "OK", Cz("Potvrzení")).ModalResult = mrOk;
    form.Add(TControlKind::Button, "Storno", "Storno").ModalResult = mrCancel;
    form.Add(TControlKind::PopupMenu, "PopupMenu1");
    grid.PopupMenu = "PopupMenu1";
    form.Add(TControlKind::MenuItem, "Font1", Cz("Nastavení písma"), "PopupMenu1").OnClick = [](TControl&) {
        GetUserHost().ShowModal("TFontDialog");
    };
    if (form.ShowModal() != mrOk) return;
    for (size_t i = 0; i < texts.size(); ++i)
        if (IsLive(texts[i])) texts[i]->SetText(grid.Cell(1, static_cast<int>(i)));
}

// ---- the main tool's entry --------------------------------------------------------------------

TDesktop* ProduceMapComposition(TTool* mainTool, TMapSheetFiller* filler, TElement* mapSpace,
                                const std::string& templatePath, const std::string& dataDirectory) {
    if (!filler) return nullptr;
    filler->SetInput(mapSpace);
    filler->SetInput(TStringElement::New("TEMPLATE", templatePath));
    filler->SetInput(TStringElement::New("DATADIR", dataDirectory));
    filler->FillGraphics = true;
    filler->DoIt();
    auto* desktop = As<TDesktop>(filler->Output);
    if (desktop && mainTool) mainTool->PostMsg(tm_OpenComposition, mainTool, desktop, false);
    return desktop;
}

void RegisterMapSheetProductionUnit() { RegisterZarixClass<TMapCreator>(); }
