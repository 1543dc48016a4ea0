#include <gtest/gtest.h>

#include <set>
#include <string>

#include "../../outside/yesk/tests/script_world.h"
#include "checker/check_tools.h"
#include "checker/object_envelope.h"
#include "kernel/class_registry.h"

namespace {

std::set<std::string> gTaken;  // names other objects hold

// An object of the class library whose name must be unique.
class TLabelThing : public TPersistent {
    ZARIX_CLASS(TLabelThing, TPersistent)
    static void Publish(PropertyTable& t) {
        using C = TLabelThing;
        t.Str<C>("Name", [](C* c) { return c->name; }, [](C* c, const std::string& v) {
            if (!gTaken.count(v)) c->name = v;
        });
        t.Str<C>("Caption", [](C* c) { return c->caption; }, [](C* c, const std::string& v) { c->caption = v; });
    }
    std::string name, caption;
};

class ObjectEnvelopeTest : public ScriptWorld {
protected:
    void SetUp() override {
        ScriptWorld::SetUp();
        RegisterCheckerClasses();
        RegisterZarixClass<TLabelThing>();
        gTaken = {"Label3", "Label4"};
    }
};

TEST_F(ObjectEnvelopeTest, CreatesByClassNameAndNamesUniquely) {
    std::string result = Run("envelope.yesk", R"L(
local env = yesk.Create("TObjectEnvelope")
env.CreateClass = "LabelThing"           -- found with the leading T
env.Name = "Label3"                      -- taken, and so is Label4
env.PropertyName = "Caption"
env.PropertyText = "Obec"
local first = env.Instance.Name .. "," .. env.Instance.Caption .. "," .. env.PropertyIndex
env.PropertyName = "Nic"
local missing = env.PropertyIndex
env.Life = false
local gone = tostring(env.Instance)
env.Life = true
env.CreateClass = "Neznama"
local kept = env.Instance:ClassName()
env:Free()
local named = yesk.Create("TObjectEnvelope")
named.Name = "TLabelThing"               -- no object, no class: the name gives the class
named.Life = true
local byName = named.Instance:ClassName()
named:Free()
return first .. "|" .. missing .. "|" .. gone .. "|" .. kept .. "|" .. byName
)L");
    EXPECT_EQ(result, "Label5,Obec,1|-1|nil|TLabelThing|TLabelThing") << runner->Result;
    EXPECT_EQ(Boxes(), std::vector<std::string>{Cz("Neregistrovaná třída TPersistent: TNeznama")});

    gTaken.clear();
    for (int i = 1; i <= 1000; ++i) gTaken.insert("Pole" + std::to_string(i));
    TObjectEnvelope* env = TObjectEnvelope::New();
    env->SetCreateClass("TLabelThing");
    env->SetName("Pole1");
    EXPECT_EQ(Boxes(), std::vector<std::string>{"Not possible to set correct component name: Pole"});
    TLabelThing* given = TLabelThing::New();
    env->SetInstance(given);
    Free(env);  // forgets an object it was given
    EXPECT_TRUE(IsLive(given));
    Free(given);
}

}  // namespace
