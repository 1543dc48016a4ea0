#include "checker/script_tools.h"

#include "kernel/class_registry.h"
#include "platform/host.h"

// ---- TPropertiesToListTool ----------------------------------------------------------

void TPropertiesToListTool::Publish(PropertyTable& t) {
    using C = TPropertiesToListTool;
    t.Obj<C, TStringListElement>("List", &C::GetList, &C::SetList);
}

TStringListElement* TPropertiesToListTool::GetList() {
    TStringListElement* list = FList.Get();
    if (!list) {
        list = TStringListElement::New();
        FList.Set(list);
    }
    return list;
}

void TPropertiesToListTool::SetList(TStringListElement* list) {
    TStringListElement* own = GetList();
    if (list == own) return;
    own->FreeAll();
    if (!IsLive(list)) return;
    for (int32_t i = 0; i < list->ElementsCount(); ++i) {
        TStringElement* item = list->GetSElems(i);
        own->AddNameString(item ? item->OwnName() : std::string(), list->GetString(i));
    }
}

bool TPropertiesToListTool::QProcessBefore(TElement*) { return true; }

bool TPropertiesToListTool::QGoInside(TElement* element) {
    return inherited::QGoInside(element) && !As<TZarixClass>(element);
}

// A class record is listed by its class's property table, which is what an instance of
// it would list; no instance is made.
void TPropertiesToListTool::Process(TElement* element) {
    TStringListElement* list = GetList();
    list->AddString(element->GetName());
    if (auto* record = As<TZarixClass>(element)) {
        if (TElementClass cls = record->ElementClass())
            for (const TPropInfo& p : cls->Props) list->AddString("\t" + p.Name);
        return;
    }
    for (const TPropInfo& p : GetPropInfos(element)) list->AddString("\t" + p.Name);
}

void TPropertiesToListTool::Destroy() {
    TStringListElement* list = FList.Get();
    FList.Set(nullptr);
    Free(list);
    inherited::Destroy();
}

// ---- TPropertiesToTextTool ----------------------------------------------------------

void TPropertiesToTextTool::Publish(PropertyTable& t) {
    using C = TPropertiesToTextTool;
    t.Str<C>("FileName", [](C* c) { return c->FileName; }, [](C* c, const std::string& v) { c->FileName = v; });
}

void TPropertiesToTextTool::DoIt() {
    inherited::DoIt();
    if (!FileName.empty()) GetList()->CreateStringList()->SaveToFile(FileName);
}

// ---- TShowMessage -------------------------------------------------------------------

void TShowMessage::Publish(PropertyTable& t) {
    using C = TShowMessage;
    t.Str<C>("Text", [](C* c) { return c->Text; }, [](C* c, const std::string& v) { c->Text = v; });
}

std::string TShowMessage::NumberToPropertyName(int32_t) { return "Text"; }

void TShowMessage::DoIt() {
    inherited::DoIt();
    ShowMessage(Text);
}
