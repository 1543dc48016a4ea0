#include "checker/check_tools.h"

#include "kernel/string_routines.h"
#include "platform/host.h"
#include "yesk/condition.h"

namespace {

std::string JoinValues(TIntegerListElement* list) {
    std::string text;
    for (int32_t i = 0; i < list->ElementsCount(); ++i) {
        if (i) text += ',';
        text += IntToStr(list->GetInteger(i));
    }
    return text;
}

}  // namespace

TElement* LiveInput(TTool* tool) { return IsLive(tool->Input) ? tool->Input : nullptr; }

std::vector<std::string> SplitCommaList(const std::string& text) {
    std::vector<std::string> pieces;
    std::string rest = text, first, second;
    while (StringAsTwoParams(rest, ',', first, second)) {
        pieces.push_back(first);
        rest = second;
        second.clear();
    }
    pieces.push_back(first);
    return pieces;
}

// ---- TCheckTool ---------------------------------------------------------------------

void TCheckTool::Publish(PropertyTable& t) {
    using C = TCheckTool;
    t.Str<C>("ErrorTxt", [](C* c) { return c->ErrorTxt; }, [](C* c, const std::string& v) { c->ErrorTxt = v; });
    t.Bool<C>("DontSendErrors", [](C* c) { return c->DontSendErrors; }, [](C* c, bool v) { c->DontSendErrors = v; });
    t.Str<C>("ErrorMsg", &C::GetErrorMsg, nullptr);
    t.Str<C>("ResultMsg", &C::GetResultMsg, nullptr);
}

int32_t TCheckTool::CheckNumber() { return 0; }
std::string TCheckTool::GetErrorMsg() { return {}; }
std::string TCheckTool::GetResultMsg() { return {}; }
bool TCheckTool::Test() { return true; }
void TCheckTool::Reset() { Error = 0; }

void TCheckTool::DoIt() {
    if (Test()) Error = 0;
    else Error = CheckNumber();
}

// ---- TCheckPropsTool ----------------------------------------------------------------

void TCheckPropsTool::Publish(PropertyTable& t) {
    using C = TCheckPropsTool;
    t.Str<C>("TestCondition", [](C* c) { return c->TestCondition; },
             [](C* c, const std::string& v) { c->TestCondition = v; });
    t.Str<C>("MsgProp", [](C* c) { return c->MsgProp; }, [](C* c, const std::string& v) { c->MsgProp = v; });
}

std::string TCheckPropsTool::GetErrorMsg() {
    if (Error <= 0) return {};
    TElement* input = LiveInput(this);
    std::string text = ": ";
    bool first = true;
    for (const std::string& name : SplitCommaList(MsgProp)) {
        if (!first) text += " * ";
        first = false;
        if (input) text += input->GetPropertyStringByName(name);
    }
    return text;
}

bool TCheckPropsTool::Test() {
    TElement* input = LiveInput(this);
    if (TestCondition.empty() || !input) return true;
    try {
        if (!FCompiled || FTreeText != TestCondition) {
            FCompiled = false;
            FTree = CompileCondition(TestCondition);
            FTreeText = TestCondition;
            FCompiled = true;
        }
        return !FTree || EvaluateCondition(*FTree, input);
    } catch (const std::exception&) {
        ShowMessage("Condition processing Error\r\n" + TestCondition);
        return true;
    }
}

// ---- TIntegerPropertyFilter ---------------------------------------------------------

void TIntegerPropertyFilter::Publish(PropertyTable& t) {
    using C = TIntegerPropertyFilter;
    t.Str<C>("PropertyName", [](C* c) { return c->PropertyName; },
             [](C* c, const std::string& v) { c->PropertyName = v; });
    t.Bool<C>("Exclude", [](C* c) { return c->Exclude; }, [](C* c, bool v) { c->Exclude = v; });
    // The values themselves are stored with the child list.
    t.Str<C>("ValuesString", &C::GetValuesString, &C::SetValuesString).Stored(false);
    t.Int<C>("NextValue", nullptr, &C::AddValue);
}

TIntegerListElement* TIntegerPropertyFilter::GetValues() { return ChildOnFirstUse(this, FValues); }

std::string TIntegerPropertyFilter::GetValuesString() { return JoinValues(GetValues()); }

void TIntegerPropertyFilter::AddValue(int32_t value) {
    TIntegerListElement* values = GetValues();
    if (!values->ValueExists(value)) values->AddInteger(value);
}

void TIntegerPropertyFilter::SetValuesString(const std::string& text) {
    for (const std::string& piece : SplitCommaList(text)) {
        int code = 0;
        int32_t v = ValInt(piece, code);
        if (code == 0 && !piece.empty()) AddValue(v);
    }
}

void TIntegerPropertyFilter::DoIt() {
    Result = Exclude;
    TElement* input = IsLive(Input) ? Input : nullptr;
    if (!input || PropertyName.empty()) return;
    LastValue = input->GetPropertyLongIntByName(PropertyName);
    TIntegerListElement* values = GetValues();
    for (int32_t i = 0; i < values->ElementsCount(); ++i)
        if (values->GetInteger(i) == LastValue) {
            Result = !Exclude;
            return;
        }
}

// ---- TCheckPropsByFilter ------------------------------------------------------------

void TCheckPropsByFilter::Publish(PropertyTable& t) {
    using C = TCheckPropsByFilter;
    // Forwarded to the filter, which is stored as a child with them.
    t.Str<C>("PropertyName", [](C* c) { return c->GetFilter()->PropertyName; },
             [](C* c, const std::string& v) { c->GetFilter()->PropertyName = v; })
        .Stored(false);
    t.Str<C>("ValuesString", [](C* c) { return c->GetFilter()->GetValuesString(); },
             [](C* c, const std::string& v) { c->GetFilter()->SetValuesString(v); })
        .Stored(false);
    t.Bool<C>("Exclude", [](C* c) { return c->GetFilter()->Exclude; }, [](C* c, bool v) { c->GetFilter()->Exclude = v; })
        .Stored(false);
}

TIntegerPropertyFilter* TCheckPropsByFilter::GetFilter() { return ChildOnFirstUse(this, FFilter); }

TIntegerListElement* TCheckPropsByFilter::GetFoundValues() {
    TIntegerListElement* found = ChildOnFirstUse(this, FFoundValues);
    found->KeepSorted = true;
    found->AllowDuplicates = false;
    return found;
}

std::string TCheckPropsByFilter::GetErrorMsg() {
    TElement* input = LiveInput(this);
    if (Error <= 0 || !input) return {};
    return input->GetPropertyStringByName(GetFilter()->PropertyName);
}

std::string TCheckPropsByFilter::GetResultMsg() { return JoinValues(GetFoundValues()); }

bool TCheckPropsByFilter::Test() {
    TIntegerPropertyFilter* filter = GetFilter();
    filter->SetInput(LiveInput(this));
    filter->DoIt();
    if (filter->Result) return true;
    GetFoundValues()->AddInteger(filter->LastValue);
    return false;
}
