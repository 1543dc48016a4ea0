#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../../outside/yesk/tests/script_world.h"
#include "checker/check_tools.h"
#include "kernel/class_registry.h"

namespace {

// Elements of a class made at run time, as layers make them: the class record is chosen
// per object and its properties read and write the object's field texts.
class TFieldElement : public TOwnerElement {
    ZARIX_CLASS(TFieldElement, TOwnerElement)

public:
    std::vector<std::string> fields;
};

class TFieldHolder : public TFieldElement {
public:
    const TClassInfo* cls = nullptr;
    const TClassInfo* ClassType() const override { return cls ? cls : TFieldElement::StaticClass(); }
};

// The class "Parcely" with the fields KOD (integer), DRUH (text) and VYMERA (float).
void MakeParcelLayerClass() {
    if (GetZarixClass("Parcely")) return;
    TClassInfo* ci = rtti_detail::NewClassInfo("Parcely", TFieldElement::StaticClass(), TFieldElement::StaticClass()->NewBlank,
                                               sizeof(TFieldHolder));
    ci->NewBlankOf = [](const TClassInfo* c) -> TPersistent* {
        auto* o = new TFieldHolder();
        o->cls = c;
        o->fields.resize(3);
        return o;
    };
    using C = TFieldElement;
    PropertyTable t(ci->Props);
    t.Int<C>("KOD", [](C* o) { return StrToIntDef(o->fields[0], 0); },
             [](C* o, int32_t v) { o->fields[0] = IntToStr(v); });
    t.Str<C>("DRUH", [](C* o) { return o->fields[1]; }, [](C* o, const std::string& v) { o->fields[1] = v; });
    t.Float<C>("VYMERA", [](C* o) { return StrToFloatDef(o->fields[2], 0); },
               [](C* o, double v) { o->fields[2] = FloatToStr(v); });
    rtti_detail::FinishClassInfo(ci);
    RegisterRunTimeClass(ci);
}

class LayerConditionTest : public ScriptWorld {
protected:
    void SetUp() override {
        ScriptWorld::SetUp();
        RegisterCheckerClasses();
        MakeParcelLayerClass();
    }
};

TEST_F(LayerConditionTest, ChecksReadAttributesOfRunTimeClasses) {
    TOwnerEntity* layer = NewNamed<TOwnerEntity>("layer");
    std::string result = Run("layer.yesk", Cz(R"L(
for i, p in ipairs({ {1, "les", 2500.5}, {2, "louka", 80}, {1, "orná půda", 12} }) do
  local e = self:Create("Parcely", "p" .. i)
  e.KOD = p[1] e.DRUH = p[2] e.VYMERA = p[3]
end
local check = yesk.Create("TCheckPropsTool")
check.TestCondition = "((kod = 1) AND (vymera > 100)) OR (Druh = 'louka')"
check.MsgProp = "DRUH,VYMERA"
local out = {}
for i = 0, self:ChildCount() - 1 do
  check.Input = self:Child(i)
  check:DoIt()
  out[#out + 1] = check.Error .. check.ErrorMsg
end
check:Free()
return table.concat(out, "|")
)L"), layer);
    EXPECT_EQ(result, Cz("0|0|1000: orná půda * 12")) << runner->Result;
    EXPECT_TRUE(Boxes().empty());
    Free(layer);
}

}  // namespace
