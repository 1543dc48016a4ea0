#include "workbench/desktop_template_text.h"

#include <filesystem>
#include <memory>

#include "composition/pages.h"
#include "composition/views.h"
#include "kernel/class_registry.h"
#include "kernel/file_elements.h"
#include "kernel/parameter_files.h"
#include "kernel/property_access.h"
#include "kernel/string_routines.h"
#include "platform/files.h"
#include "platform/host.h"
#include "platform/sysutils.h"
#include "quintel/quintel.h"
#include "platform/scope_exit.h"
#include "kernel/element_holder.h"

namespace {

constexpr char CR = '\r';

// The picture class lives in the raster package, which registers it.
TElementClass GraphicFileClass() { return GetZarixClass("TGraphicFileElement"); }

bool IsWrittenClass(TElement* e) {
    if (!e) return false;
    if (e->Is<TDesktop>() || e->Is<TDrawRectangle>() || e->Is<TText>() || e->Is<TView>()) return true;
    TElementClass picture = GraphicFileClass();
    return picture && e->InheritsFrom(picture);
}

void ErrorBox(const std::string& text) { MessageDlg(text, mtError, {mbOK}, 0); }

// Whether the text can be written into an enumeration or set property.
bool FitsOrdinal(const TPropInfo& p, const std::string& text) {
    int code = 0;
    int64_t v = ValInt64(text, code);
    if (code == 0) return p.Kind() == tkSet ? (v >= 0 && v <= UINT32_MAX) : (v >= p.PropType->MinValue && v <= p.PropType->MaxValue);
    return GetEnumValue(p.PropType, text) >= 0;
}

// A value line cannot hold a line break: it would end the line and start another.
std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\r' || c == '\n') c = ' ';
    return text;
}

// Templates being read on this thread, by canonical path: a nested template file that is
// one of them is refused.
std::vector<std::string>& TemplatesBeingRead() {
    static thread_local std::vector<std::string> paths;
    return paths;
}

std::string CanonicalPath(const std::string& path) {
    std::error_code ec;
    std::filesystem::path p = std::filesystem::weakly_canonical(MapPath(path), ec);
    return ec ? MapPath(path) : p.string();
}

// What a file element would do to the file on disk (rename it, date it, change its
// attributes) is never taken from a template.
bool ActsOnDisk(const std::string& key) {
    for (const char* k : {"NAME", "FILETIME", "FILETIMESTRING", "ATTRIBUTES", "ATTRREADONLY", "ATTRHIDDEN",
                          "ATTRSYSFILE", "ATTRARCHIVE"})
        if (SameText(key, k)) return true;
    return false;
}

}  // namespace

// ---- TMSTemplateGenerator -----------------------------------------------------------------

void TMSTemplateGenerator::Publish(PropertyTable& t) {
    t.Field("DeltaX", &TMSTemplateGenerator::DeltaX);
    t.Field("DeltaY", &TMSTemplateGenerator::DeltaY);
}

TText* TMSTemplateGenerator::ReadText() {
    TElementHolder<TText> text(TText::New());
    ReadProperties(text.Get());
    return text.Release();
}

TElement* TMSTemplateGenerator::ReadGraphicFile() {
    TElementClass cls = GraphicFileClass();
    if (!cls) return nullptr;
    TElementHolder<TElement> picture(As<TElement>(cls->CreateInstance()));
    if (picture) ReadProperties(picture.Get());
    return picture.Release();
}

TDrawRectangle* TMSTemplateGenerator::ReadDrawRectangle() {
    TElementHolder<TDrawRectangle> rect(TDrawRectangle::New());
    ReadProperties(rect.Get());
    rect->SetBrushStyle(bsClear);
    return rect.Release();
}

void TMSTemplateGenerator::ReadProperties(TElement* element) { ReadLines(element, nullptr); }

void TMSTemplateGenerator::ReadView(TView* view) { ReadLines(view, view); }

void TMSTemplateGenerator::ReadLines(TElement* element, TView* view) {
    if (!FReader || !element) return;
    const std::string cls = element->ClassName();
    const bool fileElement = element->Is<TFileElement>();
    while (!FAtEnd) {
        const std::string raw = BezVnejsichMezer(FReader->Radek());
        bool isParameter = false, isSection = false, isLast = false;
        std::string key, value;
        FReader->DejRadek(isParameter, isSection, isLast, key, value);
        if (isLast) FAtEnd = true;
        if (!isParameter) {
            if (!isSection && SameText(raw, "END")) return;
            continue;
        }
        if (fileElement && ActsOnDisk(key)) continue;
        const TPropInfo* p = GetPropInfo(element, key);
        if (!p) {
            if (view) view->GetModelScript()->AddLayerOrParameter(key, value);
            else ErrorBox(cls + Cz(": Neregistrovaná vlastnost ") + key);
            continue;
        }
        const TTypeKind kind = p->Kind();
        bool ok = !p->WriteOnly && kind != tkClass && kind != tkMethod;
        if (ok && (kind == tkEnumeration || kind == tkSet)) ok = FitsOrdinal(*p, value);
        if (ok) {
            try {
                SetPropByString(element, p, value);
            } catch (const std::exception&) {
                ok = false;
            }
        }
        if (!ok) ErrorBox(cls + Cz(": Chyba nastavení") + CR + key + " <- " + value);
    }
}

void TMSTemplateGenerator::ReadNested(TElement* file, TDesktop* desktop) {
    auto* nested = As<TDeskTopFile>(file);
    const std::string path = nested->GetFileName();
    const std::string canonical = CanonicalPath(path);
    for (const std::string& open : TemplatesBeingRead())
        if (open == canonical) throw Exception(Cz("Šablona se načítá sama do sebe: ") + path);
    auto* generator = As<TMSTemplateGenerator>(CreateElementByName(ClassName()));
    if (!generator) return;
    TElementHolder<TMSTemplateGenerator> holder(generator);
    generator->SetTemplatePath(path);
    generator->DeltaX = nested->DeltaX;
    generator->DeltaY = nested->DeltaY;
    generator->DoIt();
    if (auto* page = As<TDesktop>(generator->Output)) desktop->AddElement(page);
}

void TMSTemplateGenerator::ReadSection(const std::string& section, TDesktop*& desktop) {
    TElement* element = CreateElementByName(section);
    if (!element) return;  // the registry has shown its box; the lines are skipped
    TElementHolder<TElement> held(element);
    if (!desktop) {
        auto* page = As<TDesktop>(element);
        if (!page) return;  // anything before the desktop is dropped unread
        ReadProperties(page);
        page->Move(DeltaX, DeltaY);
        desktop = page;
        held.Release();
        return;
    }
    if (element->Is<TDeskTopFile>()) {
        ReadProperties(element);
        ReadNested(element, desktop);
        return;
    }
    if (auto* view = As<TView>(element)) ReadView(view);
    else ReadProperties(element);
    if (auto* rect = As<TRectEntity>(element)) {
        rect->Move(DeltaX, DeltaY);
        desktop->AddElement(rect);
        held.Release();
    }
}

void TMSTemplateGenerator::DoIt() {
    SetOutput(nullptr);
    // Only a plain file is a template (a device or a pipe would never end).
    std::error_code ec;
    if (FTemplatePath.empty() || !std::filesystem::is_regular_file(MapPath(FTemplatePath), ec)) return;
    bool ok = false;
    auto reader = std::make_unique<TCteniParametru>(FTemplatePath, ok);
    if (!ok) return;
    std::vector<std::string>& reading = TemplatesBeingRead();
    reading.push_back(CanonicalPath(FTemplatePath));
    struct Leave {
        std::vector<std::string>& list;
        ~Leave() { list.pop_back(); }
    } leave{reading};

    FReader = reader.get();
    FAtEnd = false;
    TDesktop* desktop = nullptr;
    while (!FAtEnd) {
        bool isParameter = false, isSection = false, isLast = false;
        std::string key, section;
        FReader->DejRadek(isParameter, isSection, isLast, key, section);
        if (isLast) FAtEnd = true;
        if (!isSection) continue;
        try {
            ReadSection(section, desktop);
        } catch (const std::exception&) {
            ErrorBox(Cz("Chyba v načítání elementu ") + section);
        }
    }
    FReader = nullptr;
    SetOutput(desktop);
}

// ---- TDeskTopSaveToText -------------------------------------------------------------------

void TDeskTopSaveToText::Publish(PropertyTable& t) { t.Field("MSDFileName", &TDeskTopSaveToText::MSDFileName); }

void TDeskTopSaveToText::Create() {
    inherited::Create();
    FHeaderClosed = false;
}

std::vector<std::string> TemplatePropertyLines(TElement* element) {
    std::vector<std::string> lines;
    if (!element) return lines;
    // The bookkeeping properties of the element and entity base classes lead the table.
    const int skip = (element->Is<TEntity>() ? TEntity::StaticClass() : TElement::StaticClass())->PropCount();
    const TPropList& props = GetPropInfos(element);
    for (size_t i = static_cast<size_t>(skip); i < props.size(); ++i) {
        const TPropInfo& p = props[i];
        if (p.Kind() == tkClass || p.Kind() == tkMethod || !p.HasReader()) continue;
        if (!IsStoredProp(element, p)) continue;
        std::string text;
        FillWithData(element, &p, text);
        lines.push_back(p.Name + "=" + OneLine(text));
    }
    return lines;
}

void TDeskTopSaveToText::Line(const std::string& text) { FLines->Add(text); }

void TDeskTopSaveToText::DoIt() {
    if (!As<TDesktop>(Input) || MSDFileName.empty()) return;
    TStringList lines;
    {
        FLines = &lines;
        auto forget = MakeScopeExit([this] { FLines = nullptr; });
        TRecursor::DoIt();
    }
    lines.SaveToFile(MSDFileName);
}

bool TDeskTopSaveToText::QGoInside(TElement* element) { return IsWrittenClass(element); }

bool TDeskTopSaveToText::QProcessBefore(TElement* element) {
    if (!IsWrittenClass(element) || !FLines) return true;
    // The desktop's own lines end before its first child that is no desktop; every other
    // section ends after its children.
    if (!FHeaderClosed && !element->Is<TDesktop>()) {
        Line("END");
        Line("");
        FHeaderClosed = true;
    }
    FLastClassName = element->ClassName();
    Line("[" + FLastClassName + "]");
    const std::string name = element->GetName();
    if (name != FLastClassName) Line("NAME=" + OneLine(name));
    return true;
}

void TDeskTopSaveToText::Process(TElement* element) {
    if (!IsWrittenClass(element) || !FLines) return;
    for (const std::string& line : TemplatePropertyLines(element)) Line(line);
    auto* view = As<TView>(element);
    if (!view) return;
    auto* script = As<TModelScript>(view->FindElementClass(TModelScript::StaticClass()));
    if (!script) return;
    auto items = [this](TEntity* holder) {
        auto* list = As<TPropertyList>(holder->FindElementClass(TPropertyList::StaticClass()));
        if (!list) return;
        for (int32_t i = 0; i < list->ElementsCount(); ++i)
            if (TStringElement* item = list->GetSElems(i))
                Line(OneLine(item->OwnName()) + "=" + OneLine(item->GetAsString()));
    };
    // Parameters given before the first layer read back as the script's own.
    items(script);
    for (TLayerScript* layer : script->Layers()) {
        // An unnamed layer stays unnamed (GetName would answer the class name).
        Line(OneLine(layer->StoreName() ? layer->GetName() : std::string()) + "=" + OneLine(layer->GetValue()));
        items(layer);
    }
}

bool TDeskTopSaveToText::QProcessAfter(TElement* element) {
    if (!IsWrittenClass(element) || !FLines) return false;
    Line("END");
    Line("");
    return false;
}

void RegisterDesktopTemplateUnit() { RegisterZarixClass<TMSTemplateGenerator>(); }
