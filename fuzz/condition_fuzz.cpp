// Feeds arbitrary text to the condition compiler; every condition that compiles is
// evaluated against an element with a property of each kind, a string list and a bare
// element. Only the condition errors may come out; nothing may leak or crash.
#include <cstddef>
#include <cstdint>
#include <string>

#include "kernel/kernel.h"
#include "kernel/value_elements.h"
#include "platform/host.h"
#include "yesk/condition.h"
#include "yesk/yesk.h"

namespace {

class TFuzzSubject : public TOwnerElement {
    ZARIX_CLASS(TFuzzSubject, TOwnerElement)
    static void Publish(PropertyTable& t) {
        using C = TFuzzSubject;
        static const TTypeInfo* kind = MakeEnumType("TFuzzKind", {"kA", "kB"});
        t.Int<C>("A", [](C*) { return 1; }, nullptr);
        t.Int64<C>("Big", [](C*) { return INT64_MIN; }, nullptr);
        t.Float<C>("F", [](C*) { return -0.0; }, nullptr);
        t.Str<C>("B", [](C*) { return std::string("x'y"); }, nullptr);
        t.Bool<C>("Visible", [](C*) { return true; }, nullptr);
        t.Enum<C, int>("Kind", kind, [](C*) { return 7; }, nullptr);  // outside its identifiers
        t.Char<C>("Ch", [](C*) { return '\0'; }, nullptr);
        t.Obj<C, TElement>("Link", [](C* c) { return c; }, nullptr);
        t.Int<C>("W", nullptr, [](C*, int32_t) {});
    }
};

ScriptedHost gHost;
TElement* gSubjects[3];

void Init() {
    RegisterKernelClasses();
    RegisterYeskClasses();
    SetUserHost(&gHost);
    gSubjects[0] = TFuzzSubject::New();
    auto* list = TStringListElement::New();
    list->AddNameString("A", "12");
    list->AddNameString("B", "abc");
    gSubjects[1] = list;
    gSubjects[2] = TElement::New();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool ready = (Init(), true);
    (void)ready;
    std::string text(reinterpret_cast<const char*>(data), size);
    TCondCreator* creator = TCondCreator::New();
    creator->Text = text;
    try {
        creator->DoIt();
    } catch (const ECondSyntaxError& e) {
        if (e.Position < 1 || static_cast<size_t>(e.Position) > size + 1) __builtin_trap();
    }
    if (auto* condition = As<TCondition>(creator->Output)) {
        for (TElement* subject : gSubjects) {
            condition->SetSubject(subject);
            try {
                condition->Evaluate();
            } catch (const ECondError&) {
            }
        }
    }
    Free(creator);
    ClearHostLog();
    return 0;
}
