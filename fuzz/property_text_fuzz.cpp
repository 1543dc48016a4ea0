// Properties of every kind set from text on elements of the core classes, with texts
// that may name the elements' own addresses: no element ever holds itself or one of its
// owners, reading every property afterwards is safe, and freeing leaves nothing behind
// (the sanitizers see a double free or a leak).
#include <fuzzer/FuzzedDataProvider.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "element_checks.h"
#include "fuzz_support.h"
#include "kernel/class_registry.h"
#include "kernel/elements.h"
#include "kernel/inheritance_models.h"
#include "kernel/messages.h"
#include "kernel/property_access.h"
#include "kernel/system_register.h"
#include "kernel/value_elements.h"
#include "platform/forms.h"
#include "platform/host.h"
#include "platform/sysutils.h"

namespace {

ScriptedHost gHost;
std::vector<TElementClass> gClasses;

// Classes whose properties touch nothing outside the element tree, with owner tracking
// (or one owner), so that freeing roots frees every element once.
void Init() {
    RegisterEClassUnit();
    RegisterElementsUnit();
    RegisterETypeUnit();
    RegisterInhMdlUnit();
    RegisterESysRegUnit();
    RegisterEElementModelUnit();
    RegisterEToolModelUnit();
    SetUserHost(&gHost);
    // Nothing is meant to touch files; should anything do, it happens in a scratch folder.
    const std::string dir = fuzz::ScratchPath("property-text");
    ::mkdir(dir.c_str(), 0755);
    if (::chdir(dir.c_str()) != 0) std::abort();
    fuzz::FreeElementMessagesOnDelivery();
    for (int i = 0; i < ZarixClasses->ElementsCount(); ++i) {
        auto* entry = As<TZarixClass>(ZarixClasses->Get(i));
        TElementClass cls = entry ? entry->ElementClass() : nullptr;
        if (!cls || cls->InheritsFrom(TZarixClass::StaticClass()) || cls->InheritsFrom(TZarixClasses::StaticClass()))
            continue;
        if (cls->InheritsFrom(TOwnerElement::StaticClass()) || cls->InheritsFrom(TOwnerEntity::StaticClass()) ||
            cls->InheritsFrom(TEnvelopeEntity::StaticClass()))
            gClasses.push_back(cls);
    }
}

// A text for a property; named receives the element whose address it is, if any.
std::string TextFor(FuzzedDataProvider& in, const std::vector<TElement*>& made, TElement*& named) {
    named = nullptr;
    switch (in.ConsumeIntegralInRange<int>(0, 3)) {
    case 0:
        named = made[in.ConsumeIntegralInRange<size_t>(0, made.size() - 1)];
        return std::to_string(reinterpret_cast<intptr_t>(named));
    case 1:
        return std::to_string(in.ConsumeIntegral<int32_t>());
    default:
        return in.ConsumeRandomLengthString(40);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool ready = (Init(), true);
    (void)ready;
    FuzzedDataProvider in(data, size);
    std::vector<TElement*> made;
    for (int n = in.ConsumeIntegralInRange<int>(1, 5); n > 0; --n) {
        TElementClass cls = gClasses[in.ConsumeIntegralInRange<size_t>(0, gClasses.size() - 1)];
        made.push_back(static_cast<TElement*>(cls->CreateInstance()));
    }
    std::string log;
    for (TElement* e : made) log += e->ClassType()->Name + " " + std::to_string(reinterpret_cast<intptr_t>(e)) + "\n";
    for (int op = 0; op < 12 && in.remaining_bytes() > 0; ++op) {
        TElement* e = made[in.ConsumeIntegralInRange<size_t>(0, made.size() - 1)];
        const int count = GetPropCount(e);
        if (count == 0) continue;
        const int index = in.ConsumeIntegralInRange<int>(0, count - 1);
        // Lists save to and load from the files they name.
        if (AnsiUpperCase(GetPropName(e, index)).find("FILE") != std::string::npos) continue;
        TElement* named;
        const std::string text = TextFor(in, made, named);
        log += e->ClassType()->Name + "." + GetPropName(e, index) + " := " + fuzz::Escaped(text) + "\n";
        fuzz::Note(log);
        if (in.ConsumeBool()) SetPropString(e, index, text);
        else e->SetPropertyStringByName(GetPropName(e, index), text);
        // ElementToFree frees the element it names: the harness forgets it.
        std::erase_if(made, [](TElement* m) { return !IsLive(m); });
        if (made.empty()) break;
        for (TElement* m : made) FUZZ_CHECK(!fuzz::HoldsItself(m));
    }
    for (TElement* e : made)
        for (int i = 0, n = GetPropCount(e); i < n; ++i) (void)GetPropString(e, i);
    // The roots free the rest; an element freed with an earlier root is skipped.
    for (TElement* e : made)
        if (IsLive(e) && e->NoOwners()) Free(e);
    Application().ProcessMessages();
    gHost.ClearRecords();
    ClearHostLog();
    return 0;
}
