#include "workbench/property_editor.h"

#include "composition/modelfile.h"
#include "kernel/class_registry.h"
#include "kernel/property_access.h"
#include "space/instance_properties.h"
#include "space/layer_class.h"
#include "pelvar/pelvar.h"
#include "space/space.h"
#include "workbench_test_util.h"

namespace {

// An element with a text (the page's first row, which is never committed), an integer, a
// float and an object property.
class TEditedProbe : public TNameElement {
    ZARIX_CLASS(TEditedProbe, TNameElement)
    static void Publish(PropertyTable& t) {
        using C = TEditedProbe;
        t.Str<C>("Note", [](C* c) { return c->Note; }, [](C* c, const std::string& v) { c->Note = v; });
        t.Int<C>("Count", [](C* c) { return c->Count; }, [](C* c, int32_t v) { c->Count = v; });
        t.Float<C>("Ratio", [](C* c) { return c->Ratio; }, [](C* c, double v) { c->Ratio = v; });
        t.Obj<C, TElement>("Target", [](C* c) { return c->Target; }, [](C* c, TElement* v) { c->Target = v; });
    }

public:
    std::string Note;
    int32_t Count = 0;
    double Ratio = 0;
    TElement* Target = nullptr;
};

// An element whose object property cannot be read.
class TBrokenProbe : public TNameElement {
    ZARIX_CLASS(TBrokenProbe, TNameElement)
    static void Publish(PropertyTable& t) {
        using C = TBrokenProbe;
        t.Str<C>("Note", [](C*) { return std::string("n"); }, nullptr);
        t.Obj<C, TElement>("Broken", [](C*) -> TElement* { throw Exception("unreadable"); }, nullptr);
        t.Str<C>("After", [](C*) { return std::string("a"); }, nullptr);
    }
};

class PropertyEditorTest : public wbtest::WorldTest {
protected:
    void SetUp() override {
        WorldTest::SetUp();
        static bool once = [] {
            RegisterZarixClass<TEditedProbe>();
            RegisterZarixClass<TBrokenProbe>();
            LayerClass("EdParcely", TAreaElement::StaticClass(), {{"KOD", tkInteger}, {"DRUH", tkLString}});
            return true;
        }();
        (void)once;
    }
    TObjectPropertyEditor* Open(TPersistent* object) {
        auto* editor = TObjectPropertyEditor::New();
        mainTool->AddTool(editor);
        if (auto* e = As<TElement>(object)) editor->SetInput(e);
        else editor->SetObject(object);
        editor->DoIt();
        return editor;
    }
    // The row of a property in a grid; -1 when it is not there.
    static int RowOf(TFProp* f, int page, const std::string& name) {
        for (int r = 0; r < f->Grid(page).RowCount; ++r)
            if (f->Grid(page).Cell(0, r) == name) return r;
        return -1;
    }
    // What a user does to change a value: select the value cell, type, double-click it.
    void Edit(TFProp* f, int page, const std::string& name, const std::string& text) {
        std::string grid = f->Grid(page).Name;
        int row = RowOf(f, page, name);
        ASSERT_GT(row, 0) << name;
        ASSERT_TRUE(f->SelectCell(grid, 1, row));
        f->TypeValue(grid, text);
        f->MouseMove(grid, TFProp::DefaultColWidth + 5, row * (TFProp::DefaultRowHeight + 1) + 3);
        f->DblClick(grid);
        Application().ProcessMessages();
    }
};

TEST_F(PropertyEditorTest, ShowsThePropertiesOnTheirPagesAndRefillsInPlace) {
    auto* probe = TEditedProbe::New();
    probe->SetName("sonda");
    TObjectPropertyEditor* editor = Open(probe);
    TFProp* f = editor->Form();
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(f->Visible);
    EXPECT_EQ((*f)["lbClassName"].Caption, "sonda : TEditedProbe");
    EXPECT_TRUE(f->Page(0).Enabled);
    EXPECT_EQ(f->Page(0).Caption, "TNameElement");
    EXPECT_EQ(f->ActivePage(), 1);
    int core = TInstanceProperties::ClassPropCount(TNameElement::StaticClass());
    EXPECT_EQ(f->Grid(0).RowCount, core);
    EXPECT_EQ(f->Grid(1).RowCount, 4);
    EXPECT_EQ(f->Grid(1).Cell(1, RowOf(f, 1, "Target")), "nil");

    Edit(f, 1, "Count", "42");
    EXPECT_EQ(probe->Count, 42);
    Edit(f, 1, "Ratio", "2,5");
    EXPECT_DOUBLE_EQ(probe->Ratio, 2.5);
    EXPECT_EQ(f->Grid(1).RowCount, 4);  // rewritten, not appended
    EXPECT_EQ(f->Grid(1).Cell(1, RowOf(f, 1, "Count")), "42");
    editor->DoIt();
    EXPECT_EQ(f->Grid(0).RowCount, core);
    EXPECT_EQ(f->Grid(1).RowCount, 4);

    // The first row of a page is shown but never committed; name cells cannot be selected.
    EXPECT_FALSE(f->SelectCell("sgAscProperties", 0, 1));
    ASSERT_TRUE(f->SelectCell("sgAscProperties", 1, 0));
    f->TypeValue("sgAscProperties", "psano");
    f->MouseMove("sgAscProperties", TFProp::DefaultColWidth + 5, 3);
    f->DblClick("sgAscProperties");
    Application().ProcessMessages();
    EXPECT_EQ(probe->Note, "");
    Free(probe);
    Application().ProcessMessages();
}

// The controls' own calls, as a window makes them: a name cell takes no typing, a typed value
// is committed by a double click on its cell or by Enter in the grid; tabs pick pages; a
// resize fits the value column.
TEST_F(PropertyEditorTest, GridAndPageCallsSelectTypeAndCommit) {
    auto* probe = TEditedProbe::New();
    TObjectPropertyEditor* editor = Open(probe);
    TFProp* f = editor->Form();
    TControl& g = f->Grid(1);
    int row = RowOf(f, 1, "Count");
    ASSERT_GT(row, 0);
    g.TypeCell(0, row, "x");
    EXPECT_EQ(g.Cell(0, row), "Count");
    g.TypeCell(1, row, "42");
    g.DblClickCell(1, row);
    Application().ProcessMessages();
    EXPECT_EQ(probe->Count, 42);
    g.TypeCell(1, row, "43");
    g.Focus();
    f->KeyDown(13);
    Application().ProcessMessages();
    EXPECT_EQ(probe->Count, 43);
    EXPECT_TRUE((*f)["PageControl1"].Pick("Metody"));
    EXPECT_EQ(f->ActivePage(), 2);
    f->SetBounds(0, 0, 400, 300);
    EXPECT_EQ(f->Grid(2).ColWidths, (std::vector<int>{TFProp::DefaultColWidth, 400 - TFProp::DefaultColWidth - 1}));
    Free(probe);
    Application().ProcessMessages();
}

TEST_F(PropertyEditorTest, TextTheKindCannotTakeIsRefusedAndTheValueKept) {
    auto* probe = TEditedProbe::New();
    probe->Count = 7;
    TObjectPropertyEditor* editor = Open(probe);
    TFProp* f = editor->Form();
    // A nil object property takes no text at all, so nothing is refused there.
    struct Case {
        const char* name;
        const char* text;
        bool refused;
    } cases[] = {{"Count", "sedm", true},     {"Count", "99999999999", true}, {"Ratio", "x1", true},
                 {"Target", "nikdo", false}, {"Target", "12345", false}};
    for (const Case& c : cases) {
        ClearHostLog();
        Edit(f, 1, c.name, c.text);
        EXPECT_EQ(Logged(c.text), c.refused) << c.name << " " << c.text;
        EXPECT_EQ(probe->Count, 7);
        EXPECT_EQ(probe->Ratio, 0);
        EXPECT_EQ(probe->Target, nullptr);
        EXPECT_EQ(f->Grid(1).Cell(1, RowOf(f, 1, "Count")), "7");
    }
    Free(probe);
    Application().ProcessMessages();
}

TEST_F(PropertyEditorTest, ObjectPropertiesOpenAFurtherEditorAndNilOpensNothing) {
    auto* probe = TEditedProbe::New();
    auto* target = TEditedProbe::New();
    target->SetName("cil");
    TObjectPropertyEditor* editor = Open(probe);
    TFProp* f = editor->Form();
    int32_t tools = mainTool->ToolsCount();
    Edit(f, 1, "Target", "nil");
    EXPECT_EQ(mainTool->ToolsCount(), tools);
    EXPECT_EQ(probe->Target, nullptr);
    // Nil is not changed, not even by the address of a live object of the property's class.
    Edit(f, 1, "Target", IntToStr(static_cast<int64_t>(reinterpret_cast<uintptr_t>(target))));
    EXPECT_EQ(mainTool->ToolsCount(), tools);
    EXPECT_EQ(probe->Target, nullptr);
    EXPECT_EQ(f->Grid(1).Cell(1, RowOf(f, 1, "Target")), "nil");
    // Scripts reach the form and its selected row through the editor.
    EXPECT_EQ(GetObjectPropByName(editor, "Form"), static_cast<TPersistent*>(f));
    EXPECT_EQ(GetPropStringByName(f, "PropName"), "Target");
    EXPECT_EQ(GetPropStringByName(f, "SelRow"), IntToStr(RowOf(f, 1, "Target")));

    probe->Target = target;
    editor->Fill();
    EXPECT_EQ(f->Grid(1).Cell(1, RowOf(f, 1, "Target")), "cil");
    Edit(f, 1, "Target", "cil");
    ASSERT_EQ(mainTool->ToolsCount(), tools + 1);
    auto* inner = As<TObjectPropertyEditor>(mainTool->GetTool(tools));
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(inner->GetObject(), target);
    EXPECT_EQ((*inner->Form())["lbClassName"].Caption, "cil : TEditedProbe");
    EXPECT_TRUE(f->Visible);

    // A plain persistent object: no element page; a missing object shows nothing.
    auto* framed = TRectEntity::New();
    TObjectPropertyEditor* plain = Open(framed->GetRect());
    EXPECT_FALSE(plain->Form()->Page(0).Enabled);
    EXPECT_EQ(plain->Form()->ActivePage(), 1);
    TObjectPropertyEditor* none = Open(nullptr);
    EXPECT_EQ(none->Form(), nullptr);
    Free(probe);
    Free(target);
    Free(framed);
    Application().ProcessMessages();
}

TEST_F(PropertyEditorTest, AnElementFreedWhileEditedClosesTheEditor) {
    auto* probe = TEditedProbe::New();
    TObjectPropertyEditor* editor = Open(probe);
    TFProp* f = editor->Form();
    uint64_t serial = editor->Serial();
    int row = RowOf(f, 1, "Count");
    ASSERT_TRUE(f->SelectCell("sgAscProperties", 1, row));
    f->TypeValue("sgAscProperties", "5");
    Free(probe);
    f->MouseMove("sgAscProperties", TFProp::DefaultColWidth + 5, row * 21 + 3);
    f->DblClick("sgAscProperties");
    Application().ProcessMessages();
    EXPECT_FALSE(IsLive(editor, serial));

    // Closing the form frees the editor too.
    auto* other = TEditedProbe::New();
    editor = Open(other);
    serial = editor->Serial();
    editor->Form()->Close();
    Application().ProcessMessages();
    EXPECT_FALSE(IsLive(editor, serial));

    // So does the end-task message.
    editor = Open(other);
    serial = editor->Serial();
    editor->PostMsg(tm_EndTask, editor, nullptr, false);
    Application().ProcessMessages();
    EXPECT_FALSE(IsLive(editor, serial));
    Free(other);
}

TEST_F(PropertyEditorTest, AFillErrorNamesThePropertyAndKeepsTheRowsFilledSoFar) {
    auto* probe = TBrokenProbe::New();
    TFProp* f = Open(probe)->Form();
    EXPECT_TRUE(Logged("Error filling property form (Broken)"));
    EXPECT_EQ(RowOf(f, 1, "Note"), 0);
    EXPECT_EQ(RowOf(f, 1, "After"), -1);
    Free(probe);
    Application().ProcessMessages();
}

TEST_F(PropertyEditorTest, ButtonsPostToTheMainToolAndTheCheckerOpensOnTheElementPage) {
    std::vector<std::pair<int32_t, TElement*>> posted;
    TApplication::MessageHook saved = Application().OnMessage;
    Application().OnMessage = [&](TMsg& m, bool& handled) {
        if (m.message == WM_USER && m.lParam) {
            auto* zm = reinterpret_cast<TZarixMessage*>(m.lParam);
            if (IsLive(zm) && !zm->Receiver) posted.push_back({zm->Message, zm->Data});
        }
        if (saved) saved(m, handled);
    };
    auto* probe = TEditedProbe::New();
    TFProp* f = Open(probe)->Form();
    for (const char* button : {"btModel", "btZobraz", "btVlastnici"}) (*f)[button].Click();
    Application().ProcessMessages();
    Application().OnMessage = saved;
    ASSERT_EQ(posted.size(), 3u);
    EXPECT_EQ(posted[0], std::make_pair(tm_ExploreElement, static_cast<TElement*>(probe)));
    EXPECT_EQ(posted[1], std::make_pair(tm_ShowAsDesktop, static_cast<TElement*>(probe)));
    EXPECT_EQ(posted[2], std::make_pair(tm_ExploreOwners, static_cast<TElement*>(probe)));

    SetModelFileProfile(TModelFileProfile::Tarvine);
    EXPECT_EQ(Open(probe)->Form()->ActivePage(), 0);
    SetModelFileProfile(TModelFileProfile::Oskelt);
    Free(probe);
    Application().ProcessMessages();
}

TEST_F(PropertyEditorTest, ALayerAttributeChangedInTheEditorIsSavedAndReadBack) {
    auto* root = TOwnerEntity::New();
    root->SetName("model");
    auto* area = As<TAreaElement>(CreateElementByName("EdParcely"));
    ASSERT_NE(area, nullptr);
    area->SetVertices("0 0,10 0,10 10,0 10");
    root->AddElement(area);
    TObjectPropertyEditor* editor = Open(area);
    TFProp* f = editor->Form();
    EXPECT_EQ(f->Page(0).Caption, "TOwnerEntity");
    Edit(f, 1, "KOD", "314");
    Edit(f, 1, "DRUH", "les");
    EXPECT_EQ(GetPropStringByName(area, "KOD"), "314");

    std::string path = wbtest::TempPath("edited.zrx");
    TSave* saver = TSave::New(path);
    saver->SetInput(root);
    saver->DoIt();
    Free(saver);
    Free(root);
    Application().ProcessMessages();
    TLoad* loader = TLoad::New(path);
    loader->DoIt();
    auto* loaded = As<TEntity>(loader->Output);
    Free(loader);
    ASSERT_NE(loaded, nullptr);
    ASSERT_EQ(loaded->ElementsCount(), 1);
    EXPECT_EQ(GetPropStringByName(loaded->Get(0), "KOD"), "314");
    EXPECT_EQ(GetPropStringByName(loaded->Get(0), "DRUH"), "les");
    Free(loaded);
    std::remove(path.c_str());
}

}  // namespace
