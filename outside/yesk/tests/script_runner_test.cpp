#include <gtest/gtest.h>

#include <csignal>
#include <lua.hpp>
#include <string>

#include "kernel/system_register.h"
#include "kernel/value_elements.h"
#include "platform/host.h"
#include "script_world.h"

namespace {

const TTypeInfo* ShapeType() {
    static const TTypeInfo* t = MakeEnumType("TShape", {"shPoint", "shLine", "shArea"});
    return t;
}
const TTypeInfo* ShapesType() {
    static const TTypeInfo* t = MakeSetType("TShapes", ShapeType());
    return t;
}

// An entity with a writable property of every kind; it remembers the messages it gets.
class TScriptSubject : public TOwnerEntity {
    ZARIX_CLASS(TScriptSubject, TOwnerEntity)
    static void Publish(PropertyTable& t) {
        using C = TScriptSubject;
        t.Int<C>("Scale", [](C* c) { return c->Scale; }, [](C* c, int32_t v) { c->Scale = v; });
        t.Float<C>("Angle", [](C* c) { return c->Angle; }, [](C* c, double v) { c->Angle = v; });
        t.Str<C>("Title", [](C* c) { return c->Title; }, [](C* c, const std::string& v) { c->Title = v; });
        t.Bool<C>("Visible", [](C* c) { return c->Visible; }, [](C* c, bool v) { c->Visible = v; });
        t.Enum<C, int>("Shape", ShapeType(), [](C* c) { return c->Shape; }, [](C* c, int v) { c->Shape = v; });
        t.Set<C, uint32_t>("Shapes", ShapesType(), [](C* c) { return c->Shapes; }, [](C* c, uint32_t v) { c->Shapes = v; });
        t.Obj<C, TElement>("Link", [](C* c) { return c->Link; }, [](C* c, TElement* v) { c->Link = v; });
        t.Int<C>("Seen", [](C* c) { return c->Seen; }, nullptr);
    }

public:
    int32_t Scale = 0;
    double Angle = 0;
    std::string Title;
    bool Visible = false;
    int Shape = 0;
    uint32_t Shapes = 0;
    TElement* Link = nullptr;
    int32_t Seen = 0;

    void HandleMessage(TZarixMessage*& m, bool& handled) override {
        Seen = m->Message;
        handled = true;
    }
};

// Output := a child holding twice the input's value; "Fail" raises.
class TDoubler : public TTool {
    ZARIX_CLASS(TDoubler, TTool)

public:
    void DoIt() override {
        auto* in = As<TIntegerElement>(Input);
        if (!in) throw Exception(Cz("Zdvojovač nemá vstup"));
        auto* out = TIntegerElement::New("double", in->GetAsInteger() * 2);
        AddElement(out);
        Output = out;
    }
};

// Raises SIGINT, as Ctrl+C on the terminal, or asks for a break.
class TInterrupter : public TTool {
    ZARIX_CLASS(TInterrupter, TTool)

public:
    void DoIt() override {
        if (Error) TCommandLine::Break();
        else raise(SIGINT);
    }
};

class ScriptRunnerTest : public ScriptWorld {
protected:
    void SetUp() override {
        ScriptWorld::SetUp();
        RegisterZarixClass<TScriptSubject>();
        RegisterZarixClass<TDoubler>();
        RegisterZarixClass<TInterrupter>();
    }
};

// The binary chunk of a Lua text.
std::string Bytecode(const char* text) {
    std::string out;
    lua_State* L = luaL_newstate();
    if (luaL_loadstring(L, text) == LUA_OK)
        lua_dump(L, [](lua_State*, const void* p, size_t n, void* ud) {
            static_cast<std::string*>(ud)->append(static_cast<const char*>(p), n);
            return 0;
        }, &out, 0);
    lua_close(L);
    return out;
}

// The bytes as a Lua string literal.
std::string LuaLiteral(const std::string& bytes) {
    std::string s = "\"";
    for (unsigned char c : bytes) s += "\\" + std::to_string(c);
    return s + "\"";
}

TEST_F(ScriptRunnerTest, BuildsATreeAndSetsEveryPropertyKind) {
    TScriptSubject* root = NewNamed<TScriptSubject>("root");
    std::string result = Run("tree.yesk", Cz(R"L(
local a = self:Create("TScriptSubject", "a")
local b = yesk.Create("ScriptSubject", "Legenda")   -- without the leading T
self:Add(b)
a.Scale = 5000
a.Angle = 1.25
a.Title = "Louka u Dvora"
a.Visible = true
b.Visible = "False"
a.Shape = "shArea"
b.Shape = 1
a.Shapes = 5
a.Link = b
b.Link = self
assert(self:Child("legenda") == b and self:Child(0) == a and self:Child(2) == nil)
assert(self:ChildCount() == 2 and a:ChildCount() == 0)
assert(a.Scale == 5000 and a.Angle == 1.25 and a.Visible == true and a.Shape == "shArea")
assert(a.Link == b and b.Link.Link == nil and a:ClassName() == "TScriptSubject")
assert(a:Is("TOwnerEntity") and not a:Is("TTool"))
a:Set("Scale", "7000")
return a:Path("Link.Name") .. "|" .. a:Get("Scale") .. "|" .. tostring(a:Has("Angle")) .. "|" ..
       table.concat(self:PathList("ELEMENT.Name"), ",") .. "|" .. tostring(self:PathElement("FindElementByName(a)"))
)L"), root);
    EXPECT_EQ(result, "Legenda|7000|true|a,Legenda|TScriptSubject(a)") << runner->Result;
    ASSERT_EQ(root->ElementsCount(), 2);
    auto* a = As<TScriptSubject>(root->Get(0));
    auto* b = As<TScriptSubject>(root->Get(1));
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->Scale, 7000);
    EXPECT_DOUBLE_EQ(a->Angle, 1.25);
    EXPECT_EQ(a->Title, Cz("Louka u Dvora"));
    EXPECT_TRUE(a->Visible);
    EXPECT_FALSE(b->Visible);
    EXPECT_EQ(a->Shape, 2);
    EXPECT_EQ(b->Shape, 1);
    EXPECT_EQ(a->Shapes, 5u);
    EXPECT_EQ(a->Link, b);
    EXPECT_EQ(b->Link, root);
    EXPECT_TRUE(Boxes().empty());
    Free(root);
}

TEST_F(ScriptRunnerTest, RunsToolsWritesTextAndPostsMessages) {
    TScriptSubject* root = NewNamed<TScriptSubject>("root");
    std::string result = Run("tools.yesk", R"L(
local n = yesk.Create("TIntegerElement", "n")
n.Value = 21
local t = self:Create("TDoubler", "t")
t.Input = n
t:DoIt()
local doubled = t.Output.Value
n:Free()
print("doubled", doubled, true)
yesk.Write("second")
self:Post(77)
assert(self.Seen == 0)
yesk.ProcessMessages()
assert(self.Seen == 77)
self:Post(78)
return doubled
)L", root);
    EXPECT_EQ(result, "42");
    EXPECT_EQ(root->Seen, 77);
    Application().ProcessMessages();  // what the script left queued is handled after it
    EXPECT_EQ(root->Seen, 78);
    EXPECT_EQ(mainTool->Texts, (std::vector<std::string>{"doubled\t42\ttrue", "second"}));
    Free(root);
}

TEST_F(ScriptRunnerTest, ErrorsStopTheScriptAndNameFileAndLine) {
    TScriptSubject* root = NewNamed<TScriptSubject>("root");
    struct Case {
        const char* code;
        int line;
        std::string message;
    } cases[] = {
        {"local x = 1\nself.Nic = 2\nself.Scale = 9", 2, Cz("Prvek třídy TScriptSubject nemá vlastnost Nic")},
        {"\n\nlocal t = self:Create('TDoubler', 'bad')\nt:DoIt()", 4, Cz("Zdvojovač nemá vstup")},
        {"self.Seen = 1", 1, Cz("Vlastnost Seen je jen ke čtení")},
        {"self.Link = 5", 1, Cz("Vlastnost Link očekává prvek")},
        {"self.Scale = self", 1, Cz("Vlastnost Scale není objektová")},
        // A later element at the freed one's address is not taken for it.
        {"local e = yesk.Create('TIntegerElement')\ne:Free()\nlocal f = self:Create('TIntegerElement') assert(e ~= f) print(e.Value)",
         3, Cz("Prvek již neexistuje")},
        {"yesk.Create('TNeznama')", 1, Cz("Neznámá třída TNeznama")},
        {"yesk.Write(1, 2, 3, 4, 5, 6, 7, 8, 9)", 1, Cz("Příliš mnoho argumentů")},
        {"self:Add(self)", 1, Cz("Add: prvek nemůže obsahovat sebe ani svého vlastníka")},
        {"yesk.World:Free()", 1, Cz("Skript nemůže uvolnit svět")},
        {"local x = nil\n\nx.y = 1", 3, "attempt to index a nil value (local 'x')"},
        {"if then", 1, "unexpected symbol near 'then'"},
        {"error('vlastní chyba')", 1, Cz("vlastní chyba")},
        {"self:Path('FindElementByName(nikdo).Name')", 1, Cz("Chyba ... nenalezl jsem objekt nikdo")},
    };
    int n = 0;
    for (const Case& c : cases) {
        std::string file = "e" + std::to_string(++n) + ".yesk";
        Run(file, Cz(c.code), root);
        std::string where = dir.Path(file) + ":" + std::to_string(c.line) + ": ";
        EXPECT_EQ(runner->Error, 1) << c.code;
        EXPECT_EQ(runner->Result, where + c.message) << c.code;
        std::vector<std::string> boxes = Boxes();
        ASSERT_FALSE(boxes.empty()) << c.code;
        EXPECT_EQ(boxes.back(), "World Level Error :" + where + c.message) << c.code;
    }
    EXPECT_EQ(root->Scale, 0);  // the line after the error never ran
    // The program goes on: a good script runs after the failed ones.
    EXPECT_EQ(Run("good.yesk", "self.Scale = 3 return self.Scale", root), "3");
    EXPECT_EQ(runner->Error, 0);

    runner->FileName = dir.Path("missing.yesk");
    runner->DoIt();
    EXPECT_EQ(Boxes(), std::vector<std::string>{"World Level Error :" + Cz("Nelze otevřít soubor skriptu ") +
                                                dir.Path("missing.yesk")});
    runner->FileName.clear();
    runner->DoIt();
    EXPECT_EQ(runner->Error, 0);
    EXPECT_TRUE(Boxes().empty());
    Free(root);
}

TEST_F(ScriptRunnerTest, AScriptMayFreeTheToolThatHoldsItsRunner) {
    TCommandLine* inner = TCommandLine::New();
    mainTool->AddTool(inner);
    std::string path = dir.Path("swap.yesk");
    std::ofstream(path, std::ios::binary) << Cz("yesk.World.MainTool = yesk.Create('TTechnology')\nerror('po výměně')");
    inner->FileName = path;
    inner->DoIt();
    EXPECT_FALSE(IsLive(inner));
    EXPECT_EQ(Boxes(), std::vector<std::string>{"World Level Error :" + path + Cz(":2: po výměně")});
    mainTool = nullptr;
}

TEST_F(ScriptRunnerTest, RegisterSettingsWrittenByOneScriptAreReadByTheNext) {
    Run("SysReg.Yesk", Cz(R"L(
local reg = yesk.World.SystemRegister
local models = reg.ClassModels
models.NewClassName = "TScriptSubject"
local m = models.ActualClassModel
m.Alias = "Předmět"
m.Editor = "TSubjectEditor"
m.ImageIndex = 4
reg.Images.NextValue = "subject.bmp"
reg.Cursors.NextNameIsValue = "kriz=cross.cur"
)L"));
    ASSERT_EQ(runner->Error, 0) << runner->Result;
    std::string result = Run("Model.Yesk", R"L(
local reg = yesk.World.SystemRegister
reg.ClassModels.FindClassName = "TScriptSubject"
local m = reg.ClassModels.ActualClassModel
return m.Alias .. "|" .. m.Editor .. "|" .. m.ImageIndex .. "|" .. reg.Images:Child(0).Value .. "|" ..
       reg.Cursors.kriz .. "|" .. yesk.ObjectModel.Name
)L");
    EXPECT_EQ(result, Cz("Předmět|TSubjectEditor|4|subject.bmp|cross.cur|Object model")) << runner->Result;
    auto* model = As<TRegisterClassModel>(world->GetSysReg()->GetClassModels()->ActualItem());
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->Alias, Cz("Předmět"));
}

TEST_F(ScriptRunnerTest, ConsoleRunsLinesAgainstItsElement) {
    TScriptSubject* root = NewNamed<TScriptSubject>("root");
    TCommandLineDlg* console = TCommandLineDlg::New();
    console->SetElement(root);
    host.PushText("self.Scale = 12");
    host.PushText("self.Scale * 2");
    host.PushResult(mrOk);  // the box with the result
    host.PushText("self.Nic");
    host.PushResult(mrOk);  // the error box
    host.PushText(Cz("self.Title = 'po chybě'"));
    host.PushCancel();
    console->Show();
    EXPECT_EQ(root->Scale, 12);
    EXPECT_EQ(root->Title, Cz("po chybě"));
    EXPECT_EQ(Boxes(), (std::vector<std::string>{
                           "24", "World Level Error :console:1: " + Cz("Prvek třídy TScriptSubject nemá vlastnost Nic")}));
    Free(console);
    Free(root);
}

TEST_F(ScriptRunnerTest, OnlyTextChunksAreLoaded) {
    std::string bc = Bytecode("return 42");
    ASSERT_EQ(bc.substr(0, 4), "\x1bLua");
    std::string bcFile = dir.Path("chunk.luac");
    std::ofstream(bcFile, std::ios::binary) << bc;
    std::string textFile = dir.Path("chunk.lua");
    std::ofstream(textFile, std::ios::binary) << "return 40 + 2";
    const std::string refused = "attempt to load a binary chunk (mode is 't')";
    const std::string lit = LuaLiteral(bc), bcName = "'" + bcFile + "'", textName = "'" + textFile + "'";
    struct Case {
        std::string code, result;
    } cases[] = {
        {"local f, e = load(" + lit + ") return tostring(f) .. ' ' .. e", "nil " + refused},
        {"local f, e = load(" + lit + ", 'x', 'b') return tostring(f) .. ' ' .. e", "nil " + refused},
        {"local f, e = load(" + lit + ", 'x', 'bt', {}) return tostring(f) .. ' ' .. e", "nil " + refused},
        {"local f, e = loadfile(" + bcName + ") return tostring(f) .. ' ' .. e", "nil " + refused},
        {"local f, e = loadfile(" + bcName + ", 'b') return tostring(f) .. ' ' .. e", "nil " + refused},
        {"return select(2, pcall(dofile, " + bcName + "))", refused},
        {"return tostring(string.dump) .. tostring(('').dump)", "nilnil"},
        // Text chunks still load, with and without an environment.
        {"return load('return 1 + 1')()", "2"},
        {"return load('return x', 'c', 'bt', {x = 5})()", "5"},
        {"return loadfile(" + textName + ")() + dofile(" + textName + ")", "84"},
    };
    int n = 0;
    for (const Case& c : cases) {
        std::string result = Run("c" + std::to_string(++n) + ".yesk", c.code);
        EXPECT_EQ(runner->Error, 0) << c.code;
        EXPECT_NE(result.find(c.result), std::string::npos) << c.code << "\n" << result;
    }
    // A script file that is a binary chunk is refused too.
    runner->FileName = bcFile;
    runner->DoIt();
    EXPECT_EQ(runner->Error, 1);
    EXPECT_NE(runner->Result.find(refused), std::string::npos) << runner->Result;
    Boxes();
}

TEST_F(ScriptRunnerTest, ARunawayScriptIsBrokenAndTheProgramGoesOn) {
    struct sigaction before {};
    sigaction(SIGINT, nullptr, &before);
    struct Case {
        const char* name;
        int error;  // 0: Ctrl+C, 1: Break
        std::string code;
        int line;
    } cases[] = {
        {"ctrlc.yesk", 0, "local t = yesk.Create('TInterrupter')\nt:DoIt()\nwhile true do end", 3},
        {"break.yesk", 1, "local t = yesk.Create('TInterrupter')\nt.Error = 1\nt:DoIt()\nlocal n = 0\nwhile true do n = n + 1 end", 5},
        // Caught by pcall inside, the break still ends the loop around it.
        {"pcall.yesk", 0, "local t = yesk.Create('TInterrupter')\nt:DoIt()\nwhile true do pcall(function() end) end", 3},
    };
    for (const Case& c : cases) {
        Run(c.name, c.code);
        std::string message = dir.Path(c.name) + ":" + std::to_string(c.line) + ": " + Cz("přerušeno");
        EXPECT_EQ(runner->Error, 1) << c.name;
        EXPECT_EQ(runner->Result, message) << c.name;
        EXPECT_EQ(Boxes(), std::vector<std::string>{"World Level Error :" + message}) << c.name;
        // The program goes on; the next script is not broken.
        EXPECT_EQ(Run("after.yesk", "local n = 0 for i = 1, 100000 do n = n + 1 end return n"), "100000");
    }
    // Outside a script Ctrl+C is the program's again; a break asked for then is no break later.
    struct sigaction after {};
    sigaction(SIGINT, nullptr, &after);
    EXPECT_EQ(after.sa_handler, before.sa_handler);
    TCommandLine::Break();
    EXPECT_EQ(Run("later.yesk", "for i = 1, 100000 do end return 1"), "1");
}

}  // namespace
