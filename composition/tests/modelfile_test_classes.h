// Element classes of the model-file tests, free of GoogleTest so that the fuzz target
// reads files of the same classes.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "composition/modelfile.h"
#include "kernel/elements.h"

namespace mft {

enum TShade : uint8_t { shRed, shGreen, shBlue };

inline const TTypeInfo* ShadeType() {
    static const TTypeInfo* t = MakeEnumType("TShade", {"shRed", "shGreen", "shBlue"});
    return t;
}
inline const TTypeInfo* ShadesType() {
    static const TTypeInfo* t = MakeSetType("TShades", ShadeType());
    return t;
}

// An entity that tracks its owners and publishes a property of every kind.
class TProbe : public TOwnerEntity {
    ZARIX_CLASS(TProbe, TOwnerEntity)
    static void Publish(PropertyTable& t) {
        using C = TProbe;
        t.Int<C>("Number", &C::Number, &C::SetNumber);
        t.Char<C>("Letter", &C::Letter, [](C* c, char v) { c->Letter = v; });
        t.Enum<C, TShade>("Shade", ShadeType(), &C::Shade, [](C* c, TShade v) { c->Shade = v; });
        t.Float<C>("Ratio", &C::Ratio, [](C* c, double v) { c->Ratio = v; });
        t.ShortStr<C>("Code", 20, &C::Code, [](C* c, const std::string& v) { c->Code = v; });
        t.Set<C, uint32_t>("Shades", ShadesType(), &C::Shades, [](C* c, uint32_t v) { c->Shades = v; });
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
    void Create() override {
        inherited::Create();
        Level = 7;
    }
    void SetNumber(int32_t v) {
        if (v == 666) throw Exception("bad number");
        Number = v;
    }
    static TProbe* New(const std::string& name) {
        TProbe* p = New();
        p->SetName(name);
        return p;
    }

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

// A plain named element with one integer.
class TLeaf : public TOwnerElement {
    ZARIX_CLASS(TLeaf, TOwnerElement)
    static void Publish(PropertyTable& t) {
        t.Int<TLeaf>("Value", &TLeaf::Value, [](TLeaf* c, int32_t v) { c->Value = v; });
    }

public:
    static TLeaf* New(const std::string& name, int32_t value = 0) {
        TLeaf* l = New();
        l->SetName(name);
        l->Value = value;
        return l;
    }
    int32_t Value = 0;
};

// A reader that keeps every element it makes, so a test can free them all whatever the
// file linked.
class TRecordingLoad : public TLoad {
    ZARIX_CLASS(TRecordingLoad, TLoad)

public:
    void BeginElement(int32_t classIndex) override {
        inherited::BeginElement(classIndex);
        if (CurrentElement()) Made.push_back(CurrentElement());
    }
    std::vector<TElement*> Made;
};

// Registers TProbe and TLeaf (the kernel's and the composition's classes are the
// caller's).
inline void RegisterProbeClasses() {
    RegisterZarixClass<TProbe>();
    RegisterZarixClass<TLeaf>();
}

}  // namespace mft
