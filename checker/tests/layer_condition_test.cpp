#include <gtest/gtest.h>

#include <string>

#include "../../outside/yesk/tests/script_world.h"
#include "checker/check_tools.h"
#include "kernel/class_registry.h"
#include "space/layer_class.h"
#include "space/space.h"

namespace {

// The layer class "Parcely" of areas with the fields KOD (integer), DRUH (text) and
// VYMERA (float), as a layer file gives it.
void MakeParcelLayerClass() {
    LayerClass("Parcely", TAreaElement::StaticClass(),
               {{"KOD", tkInteger}, {"DRUH", tkLString}, {"VYMERA", tkFloat}});
}

class LayerConditionTest : public ScriptWorld {
protected:
    void SetUp() override {
        ScriptWorld::SetUp();
        RegisterCheckerClasses();
        RegisterSpaceClasses();
        MakeParcelLayerClass();
    }
};

TEST_F(LayerConditionTest, ChecksReadLayerAttributes) {
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
