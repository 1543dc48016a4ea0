#include "checker/check_interprets.h"

#include "composition/text_devices.h"
#include "gravo/gravo.h"
#include "kernel/string_routines.h"
#include "platform/forms.h"
#include "platform/sysutils.h"
#include "space/space.h"
#include "checker/folder_structure_checks.h"

// ---- property objects ---------------------------------------------------------------

TElement* PropertyObjectOf(TElement* element) {
    auto* e = As<TSpaceEntity>(element);
    if (!e) return nullptr;
    TElement* object = e->GetPropertyObject();
    return IsLive(object) ? object : nullptr;
}

int32_t PropertyObjectNumber(TElement* object) {
    if (auto* gravo = As<TGravoProps>(object)) return gravo->Number;
    return object && object->HasPropertyByName("Number") ? object->GetPropertyLongIntByName("Number") : 0;
}

std::string PropertyObjectText(TElement* object) {
    if (auto* gravo = As<TGravoProps>(object)) return gravo->GetText();
    return object && object->HasPropertyByName("Text") ? object->GetPropertyStringByName("Text") : std::string();
}

// ---- TCheckInterpret ----------------------------------------------------------------

void TCheckInterpret::Publish(PropertyTable& t) {
    using C = TCheckInterpret;
    t.Field<C>("BeforeRow", &C::BeforeRow);
    t.Field<C>("AfterRow", &C::AfterRow);
    t.Field<C>("Header", &C::Header);
}

void TCheckInterpret::WriteObjectLine(TElement*) {}

// ---- TTestInterpret -----------------------------------------------------------------

void TTestInterpret::WriteLine(const std::string& text) {
    if (TDevice* d = GetDevice()) d->WriteLine(text);
}

void TTestInterpret::WriteText(const std::string& text) {
    if (TDevice* d = GetDevice()) d->WriteText(text);
}

const std::vector<TCheckTool*>& TTestInterpret::Checks() {
    if (!FChecksTaken || FChecksDestroyed != DestroyedCount()) {
        FChecks.clear();
        const int32_t n = ToolsCount();
        for (int32_t i = 0; i < n; ++i)
            if (auto* check = As<TCheckTool>(GetTool(i))) FChecks.push_back(check);
        FChecksDestroyed = DestroyedCount();
        FChecksTaken = true;
    }
    return FChecks;
}

void TTestInterpret::Reset(TDevice* device) {
    FChecksTaken = false;  // tools may have been added since
    inherited::Reset(device);
}

void TTestInterpret::Process(TElement* element) {
    const std::vector<TCheckTool*>& checks = Checks();
    bool failed = false, toWrite = false;
    for (TCheckTool* check : checks) {
        check->Reset();
        check->SetInput(element);
        check->DoIt();
        if (check->Error > 0) {
            ++check->ErrorCount;
            failed = true;
            if (!check->DontSendErrors) toWrite = true;
        }
    }
    if (!failed || !toWrite) return;
    if (!Header.empty()) WriteText(Header);
    if (!BeforeRow.empty()) WriteText(BeforeRow);
    WriteObjectLine(element);
    for (TCheckTool* check : Checks())
        if (IsLive(check) && check->Error >= 1 && !check->DontSendErrors)
            WriteLine(check->ErrorTxt + " " + check->GetErrorMsg());
    if (!AfterRow.empty()) WriteLine(AfterRow);
}

void TTestInterpret::WriteObjectLine(TElement* element) { WriteLine(element ? element->GetName() : std::string()); }

void TTestInterpret::WriteSummary() {
    static const std::string tested = Cz(" objektů bylo testováno nástrojem ");
    static const std::string faulty = Cz(" Z toho chybných:");
    WriteLine("   ");
    WriteLine(kProtocolStars);
    WriteLine(IntToStr(ObjectCount) + tested + GetName());
    WriteLine(faulty);
    FChecksTaken = false;
    for (TCheckTool* check : Checks())
        WriteLine("   " + IntToStr(check->ErrorCount) + " .... " + check->GetName() + " " + check->GetResultMsg());
    WriteLine(kProtocolStars);
}

void TTestInterpret::Close() {
    WriteSummary();
    inherited::Close();
}

// ---- TTestTplInterpret --------------------------------------------------------------

void TTestTplInterpret::Publish(PropertyTable& t) { t.Field<TTestTplInterpret>("MsgProp", &TTestTplInterpret::MsgProp); }

void TTestTplInterpret::CountObject() {
    ++ObjectCount;
    if (ObjectCount % 100 == 0 || ObjectCount == 1) {
        static const std::string object = Cz("Objekt č. ");
        SetProgressText(object + IntToStr(ObjectCount));
    }
}

void TTestTplInterpret::Process(TElement* element) {
    CountObject();
    inherited::Process(element);
}

void TTestTplInterpret::Reset(TDevice* device) {
    inherited::Reset(device);
    StartProgress(GetName(), 0, 0);
    Application().ProcessMessages();
}

void TTestTplInterpret::Close() {
    EndProgress();
    Application().ProcessMessages();
    inherited::Close();
}

void TTestTplInterpret::WriteObjectLine(TElement* element) {
    TElement* object = PropertyObjectOf(element);
    if (!object) return;
    static const std::string number = Cz(" č.");
    std::string line = number + IntToStr(PropertyObjectNumber(object)) + " ";
    if (!MsgProp.empty())
        for (const std::string& name : SplitCommaList(MsgProp)) line += " * " + element->GetPropertyStringByName(name);
    LastObjectText = PropertyObjectText(object);
    line += " " + LastObjectText;
    WriteLine(line);
}

// ---- kind-restricted interprets -----------------------------------------------------

void TTestAreaInterpret::Process(TElement* element) {
    if (As<TAreaElement>(element)) inherited::Process(element);
}

void TTestLineInterpret::Process(TElement* element) {
    if (As<TPolyLineElement>(element)) inherited::Process(element);
}

void TTestPointInterpret::Process(TElement* element) {
    if (As<TPointElement>(element)) inherited::Process(element);
}

void TTestTextInterpret::Process(TElement* element) {
    if (As<TTextElement>(element)) inherited::Process(element);
}

// ---- TTextDeviceInterpret -----------------------------------------------------------

void TTextDeviceInterpret::Process(TElement* element) {
    auto* device = As<TTextFileDevice>(GetDevice());
    if (device && element) device->WriteLine("TDI: " + element->GetName());
}
