// Feeds arbitrary bytes to the model file reader (both forms: the signature picks the
// reader). Everything a load makes is freed, so leaks and double frees show.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <unordered_set>
#include <vector>

#include "composition/composition.h"
#include "composition/modelfile.h"
#include "kernel/e_class.h"
#include "kernel/e_type.h"
#include "kernel/elements.h"
#include "kernel/zmessage.h"
#include "platform/forms.h"
#include "platform/host.h"

namespace {

enum TShade : uint8_t { shRed, shGreen, shBlue };

const TTypeInfo* ShadeType() {
    static const TTypeInfo* t = MakeEnumType("TShade", {"shRed", "shGreen", "shBlue"});
    return t;
}

// Every property kind, with the same layout as the tests' probe so their files seed the
// corpus.
class TProbe : public TOwnerEntity {
    ZARIX_CLASS(TProbe, TOwnerEntity)
    static void Publish(PropertyTable& t) {
        using C = TProbe;
        t.Int<C>("Number", &C::Number, [](C* c, int32_t v) { c->Number = v; });
        t.Char<C>("Letter", &C::Letter, [](C* c, char v) { c->Letter = v; });
        t.Enum<C, TShade>("Shade", ShadeType(), &C::Shade, [](C* c, TShade v) { c->Shade = v; });
        t.Float<C>("Ratio", &C::Ratio, [](C* c, double v) { c->Ratio = v; });
        t.ShortStr<C>("Code", 20, &C::Code, [](C* c, const std::string& v) { c->Code = v; });
        t.Set<C, uint32_t>("Shades", MakeSetType("TShades", ShadeType()), &C::Shades,
                           [](C* c, uint32_t v) { c->Shades = v; });
        t.Obj<C, TElement>("Link", &C::Link, [](C* c, TElement* v) { c->Link = v; });
        t.Str<C>("Text", &C::Text, [](C* c, const std::string& v) { c->Text = v; });
        t.Bool<C>("Flag", &C::Flag, [](C* c, bool v) { c->Flag = v; });
        t.Int64<C>("Big", &C::Big, [](C* c, int64_t v) { c->Big = v; });
        t.Card<C>("Unsigned", &C::Unsigned, [](C* c, uint32_t v) { c->Unsigned = v; });
        t.Int<C>("Command", nullptr, [](C* c, int32_t) { ++c->Commands; });
        t.Obj<C, TElement>("Victim", nullptr, [](C* c, TElement* v) { c->FreeElement(v); });
        t.Obj<C, TProbe>("Other", &C::Other, [](C* c, TProbe* v) { c->Other = v; });
        t.Int<C>("Level", &C::Level, [](C* c, int32_t v) { c->Level = v; });
        t.Method<C>("Event", &C::Event, [](C* c, const TMethod& v) { c->Event = v; });
        // A sub-object: the setter makes it a child.
        t.Obj<C, TElement>("Part", &C::Part, [](C* c, TElement* v) { c->ExchangeFieldElement(c->Part, v); });
    }

public:
    int32_t Number = 0;
    char Letter = 0;
    TShade Shade = shRed;
    double Ratio = 0;
    std::string Code;
    uint32_t Shades = 0;
    TElement* Link = nullptr;
    std::string Text;
    bool Flag = false;
    int64_t Big = 0;
    uint32_t Unsigned = 0;
    int32_t Commands = 0;
    TProbe* Other = nullptr;
    int32_t Level = 0;
    TMethod Event;
    TElement* Part = nullptr;
};

// Keeps every element the current form makes.
class TFuzzLoad : public TLoad {
    ZARIX_CLASS(TFuzzLoad, TLoad)

public:
    void BeginElement(int32_t classIndex) override {
        inherited::BeginElement(classIndex);
        if (CurrentElement()) Made.push_back(CurrentElement());
    }
    std::vector<TElement*> Made;
};

class TLeaf : public TOwnerElement {
    ZARIX_CLASS(TLeaf, TOwnerElement)
    static void Publish(PropertyTable& t) {
        t.Int<TLeaf>("Value", &TLeaf::Value, [](TLeaf* c, int32_t v) { c->Value = v; });
    }

public:
    int32_t Value = 0;
};

ScriptedHost gHost;
std::string gPath;

void Init() {
    // Only classes whose properties touch nothing outside the element tree.
    RegisterEClassUnit();
    RegisterElementsUnit();
    RegisterETypeUnit();
    RegisterCompositionClasses();
    RegisterZarixClass<TProbe>();
    RegisterZarixClass<TLeaf>();
    SetUserHost(&gHost);
    Application().OnMessage = [](TMsg& m, bool& handled) {
        if (TZarixMessage* zm = ElementMessageOf(m.message, m.lParam)) {
            handled = true;
            Free(zm);
        }
    };
    gPath = "/tmp/modelfile-fuzz-" + std::to_string(getpid()) + ".zrx";
}

// Walks what the loaded tree reaches through children and element-valued properties,
// touching every element a property names, so a dangling one shows. An element inside
// its own subtree ends the run.
void TouchTree(TElement* root) {
    std::unordered_set<TElement*> done;
    std::unordered_set<TElement*> onPath;
    struct Step {
        TElement* element;
        int32_t next;  // the next child to enter
    };
    std::vector<Step> path;
    std::vector<TElement*> pending;
    auto enter = [&](TElement* e) {
        if (onPath.count(e)) __builtin_trap();
        if (!done.insert(e).second) return;
        for (const TPropInfo& p : e->ClassType()->Props) {
            if (p.Kind() != tkClass) continue;
            TPersistent* value = nullptr;
            try {
                value = GetObjectProp(e, p);
            } catch (const Exception&) {
            }
            if (auto* element = As<TElement>(value)) {
                (void)element->GetName();
                if (!done.count(element) && !onPath.count(element)) pending.push_back(element);
            }
        }
        onPath.insert(e);
        path.push_back({e, 0});
    };
    pending.assign(1, root);
    while (!pending.empty()) {
        TElement* start = pending.back();
        pending.pop_back();
        if (done.count(start)) continue;
        enter(start);
        while (!path.empty()) {
            Step& top = path.back();
            auto* entity = As<TEntity>(top.element);
            if (!entity || top.next >= entity->ElementsCount()) {
                onPath.erase(top.element);
                path.pop_back();
                continue;
            }
            TElement* child = entity->Get(top.next++);
            if (child) enter(child);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool ready = (Init(), true);
    (void)ready;
    {
        std::ofstream out(gPath, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    TFuzzLoad* loader = TFuzzLoad::New();
    loader->FileName = gPath;
    bool loaded = true;
    try {
        loader->DoIt();
    } catch (const Exception&) {
        loaded = false;
    }
    if (loaded) {
        if (loader->Output) TouchTree(loader->Output);
        if (!loader->Made.empty()) FreeLoadedElements(loader->Made);
        else Free(loader->Output);  // the older form
    }
    Free(loader);
    Application().ProcessMessages();
    gHost.ClearRecords();
    ClearHostLog();
    return 0;
}
