#include "workbench/selection_tools.h"

#include "composition/modelfile.h"
#include "composition/text_blocks.h"
#include "gravo/gravo.h"
#include "kernel/class_registry.h"
#include "kernel/property_access.h"
#include "platform/forms.h"
#include "space/layer_class.h"
#include "space/space.h"
#include "workbench/choice_interpret.h"
#include "workbench/form_tool_manager.h"
#include "workbench/property_editor.h"
#include "workbench_test_util.h"

namespace {

// A follow-up tool that remembers what it was run on.
class TSelectionProbe : public TTool {
    ZARIX_CLASS(TSelectionProbe, TTool)

public:
    int Runs = 0;
    TElement* Manager = nullptr;
    void DoIt() override {
        ++Runs;
        Manager = GetNameParameter("FTM");
    }
};

TAreaElement* Square(TElementClass cls, double x0, double y0, double x1, double y1) {
    auto* a = As<TAreaElement>(cls->CreateInstance());
    a->SetPoints({{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}});
    return a;
}

class SelectionTest : public wbtest::WorldTest {
protected:
    void SetUp() override {
        WorldTest::SetUp();
        static TElementClass cls = LayerClass("SelParcely", TAreaElement::StaticClass(), {{"KOD", tkInteger}});
        layer = cls;
        // Messages 164 as they are delivered.
        saved = Application().OnMessage;
        Application().OnMessage = [this](TMsg& m, bool& handled) {
            if (m.message == WM_USER && m.lParam) {
                auto* zm = reinterpret_cast<TZarixMessage*>(m.lParam);
                if (IsLive(zm) && zm->Message == tm_ElementSelected) selected.push_back(zm->Data);
            }
            if (saved) saved(m, handled);
        };
    }
    void TearDown() override {
        FreeAttributeForms();
        Application().OnMessage = saved;
        WorldTest::TearDown();
    }
    // Points, a line holding a point, and two overlapping areas (the first one listed first).
    TRectEntity* Model() {
        auto* root = TRectEntity::New();
        auto* points = TPointString::New();
        points->AddAndUpdateRect(TPointElement::New(10, 10));
        auto* lines = TPolyLineString::New();
        auto* line = TPolyLineElement::New();
        line->SetPoints({{0, 120}, {200, 120}});
        line->AddElement(TPointElement::New(50, 120));
        lines->AddAndUpdateRect(line);
        auto* areas = TAreaString::New();
        a1 = Square(layer, 0, 0, 100, 100);
        a2 = Square(layer, 50, 50, 150, 100);
        areas->AddAndUpdateRect(a1);
        areas->AddAndUpdateRect(a2);
        root->AddAndUpdateRect(points);
        root->AddAndUpdateRect(lines);
        root->AddAndUpdateRect(areas);
        return root;
    }
    TElementClass layer = nullptr;
    TAreaElement* a1 = nullptr;
    TAreaElement* a2 = nullptr;
    std::vector<TElement*> selected;
    TApplication::MessageHook saved;
};

TEST_F(SelectionTest, PickUpersFindTheFirstElementOfTheirKindAtThePoint) {
    TRectEntity* root = Model();
    struct Case {
        const char* picker;
        double x, y, tolerance;
        const char* expected;  // class name of the hit, "" for none
        int area;              // 1 or 2 when an area is expected
    } cases[] = {
        {"TPickUpPoint", 10.5, 10, 1, "TPointElement", 0},
        {"TPickUpPoint", 50, 120.5, 1, "", 0},  // inside a line: not a candidate
        {"TPickUpPolyLine", 30, 121, 2, "TPolyLineElement", 0},
        {"TPickUpPolyLine", 10, 10, 2, "", 0},
        {"TPickUpArea", 30, 121, 0, "", 0},
        {"TPickUpArea", 75, 75, 0, "SelParcely", 1},  // both hold it: the first wins
        {"TPickUpArea", 120, 75, 0, "SelParcely", 2},
        {"TPickUpArea", 100.001, 25, 0, "", 0},  // just outside the first area
    };
    for (const Case& c : cases) {
        auto* pick = As<TPickUper>(CreateElementByName(c.picker));
        ASSERT_NE(pick, nullptr) << c.picker;
        pick->SetX(c.x);
        pick->SetY(c.y);
        pick->Tolerance = c.tolerance;
        pick->SetInput(root);
        pick->DoIt();
        std::string got = pick->Output ? pick->Output->ClassName() : "";
        EXPECT_EQ(got, c.expected) << c.picker << " " << c.x << " " << c.y;
        EXPECT_EQ(pick->GetFound(), pick->Output != nullptr);
        if (c.area) {
            EXPECT_EQ(pick->Output, c.area == 1 ? a1 : a2);
        }
        Free(pick);
    }
    EXPECT_EQ(CreateElementByName("TAreaSelector"), nullptr);
    Free(root);
}

TEST_F(SelectionTest, AClickOnAMapWindowSelectsTheAreaAndOpensItsAttributes) {
    TRectEntity* root = Model();
    AttachGravoProps(a1, 0)->Table = "SelParcely";
    SetPropStringByName(a1, "KOD", "77");
    auto* manager = TFormToolManager::New();
    mainTool->AddTool(manager);
    manager->SetInput(root);
    manager->DoIt();
    Application().ProcessMessages();
    TStandardImageForm& form = *manager->GetForm();
    ASSERT_NE(form.Find("TAreaSelector"), nullptr);
    form.Find("TAreaSelector")->Click();
    Application().ProcessMessages();
    auto* selector = As<TAreaSelector>(manager->GetActiveTool());
    ASSERT_NE(selector, nullptr);
    EXPECT_EQ(selector->GetName(), Cz("Vybírání ploch"));
    auto* follow = TSelectionProbe::New();
    selector->SetOnSelect(follow);
    TPageProjection* p = manager->GetProjection();
    auto click = [&](TMouseButton button, double x, double y) {
        TPixelPoint px = p->GetPagePoint(x, y);
        form.MouseUp(button, 0, px.X, px.Y);
        Application().ProcessMessages();
    };

    // Other buttons, a click outside every area and one on a line select nothing.
    click(mbRight, 25, 25);
    click(mbMiddle, 25, 25);
    click(mbLeft, 190, 10);
    click(mbLeft, 100, 120);
    EXPECT_EQ(selector->Output, nullptr);
    EXPECT_TRUE(selected.empty());
    EXPECT_EQ(follow->Runs, 0);

    selector->ShowProperties = true;
    click(mbLeft, 25, 25);
    EXPECT_EQ(selector->Output, a1);
    ASSERT_EQ(selected.size(), 1u);
    EXPECT_EQ(selected[0], a1);
    EXPECT_EQ(follow->Runs, 1);
    EXPECT_EQ(follow->Input, a1);
    EXPECT_EQ(follow->Manager, manager);
    ASSERT_EQ(AttributeForms().size(), 1u);
    TF_dbfrecForm* record = AttributeForms()[0];
    EXPECT_TRUE(record->Visible);
    EXPECT_EQ(record->StringGrid1.Cell(0, 0), "KOD");
    EXPECT_EQ(record->StringGrid1.Cell(1, 0), "77");
    TObjectPropertyEditor* editor = nullptr;
    for (int32_t i = 0; i < mainTool->ToolsCount(); ++i)
        if (auto* e = As<TObjectPropertyEditor>(mainTool->GetTool(i))) editor = e;
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->GetObject(), a1);
    EXPECT_EQ(editor->GetLeft(), form.Left + p->GetPagePoint(25, 25).X + 10);

    // The checking program posts no 164; without ShowProperties no window opens.
    SetModelFileProfile(TModelFileProfile::Tarvine);
    selector->ShowProperties = false;
    click(mbLeft, 120, 75);
    SetModelFileProfile(TModelFileProfile::Oskelt);
    EXPECT_EQ(selector->Output, a2);
    EXPECT_EQ(selected.size(), 1u);
    EXPECT_EQ(AttributeForms().size(), 1u);
    record->Close();
    Application().ProcessMessages();
    EXPECT_TRUE(AttributeForms().empty());
    Free(follow);
}

TEST_F(SelectionTest, EverySelectorTakesOnlyTheLeftButtonAndItsOwnKind) {
    TRectEntity* root = Model();
    auto* manager = TFormToolManager::New();
    mainTool->AddTool(manager);
    manager->SetInput(root);
    manager->DoIt();
    Application().ProcessMessages();
    TPageProjection* p = manager->GetProjection();
    auto* follow = TSelectionProbe::New();
    struct Case {
        const char* cls;
        double x, y;           // a left click here hits
        const char* expected;  // class of the output
        bool posts;
    } cases[] = {
        {"TPointSelector", 10, 10, "TPointElement", true},
        {"TLineSelector", 150, 120, "TPolyLineElement", true},
        {"TPointCollector", 33, 44, "TPointCollector", false},
    };
    for (const Case& c : cases) {
        auto* tool = As<TObjectSelector>(CreateElementByName(c.cls));
        ASSERT_NE(tool, nullptr) << c.cls;
        manager->SetNextTool(tool);
        tool->SetInput(manager->Input);
        tool->SetOnSelect(follow);
        follow->Runs = 0;
        selected.clear();
        TPixelPoint px = p->GetPagePoint(c.x, c.y);
        for (TMouseButton b : {mbRight, mbMiddle}) manager->GetForm()->MouseUp(b, 0, px.X, px.Y);
        Application().ProcessMessages();
        EXPECT_EQ(tool->Output, nullptr) << c.cls;
        EXPECT_EQ(follow->Runs, 0);
        manager->GetForm()->MouseUp(mbLeft, 0, px.X, px.Y);
        Application().ProcessMessages();
        ASSERT_NE(tool->Output, nullptr) << c.cls;
        EXPECT_EQ(tool->Output->ClassName(), c.expected);
        EXPECT_EQ(selected.size(), c.posts ? 1u : 0u) << c.cls;
        EXPECT_EQ(follow->Runs, 1);
        EXPECT_EQ(follow->Input, tool->Output);
        if (auto* collector = As<TPointCollector>(tool)) {
            T2DPoint m = p->GetModelPoint(px.X, px.Y);
            EXPECT_EQ(collector->X, m.X);
            EXPECT_EQ(collector->Y, m.Y);
        }
        manager->FreeTool(tool);
    }
    Free(follow);
}

TEST_F(SelectionTest, TheAttributeFormFitsItsRecord) {
    std::vector<TLayerField> many;
    for (int i = 1; i <= 25; ++i) many.push_back({"F" + std::to_string(i), tkInteger});
    TElementClass wide = LayerClass("SelMany", TAreaElement::StaticClass(), many);
    TElementClass few = LayerClass("SelFew", TAreaElement::StaticClass(), {{"A", tkInteger}, {"B", tkLString}, {"C", tkInteger}});
    struct Case {
        TElementClass cls;
        std::string value;  // of the text field B
        bool props, dbf;    // DontViewProps, DontViewDBF
        int width, height;  // 0: no form
        bool editor;
    } cases[] = {
        {wide, "", false, true, 0, 0, true},
        {wide, "", true, false, 10 * 1 + 120, 20 * TF_dbfrecForm::DefaultRowHeight + 28, false},
        {few, "abc", true, false, 10 * 3 + 120, 3 * (TF_dbfrecForm::DefaultRowHeight + 1) + 28, false},
        {few, std::string(500, 'x'), true, false, 4120, 3 * (TF_dbfrecForm::DefaultRowHeight + 1) + 28, false},
        {few, "abc", true, true, 0, 0, false},
    };
    for (const Case& c : cases) {
        TAreaElement* area = Square(c.cls, 0, 0, 1, 1);
        AttachGravoProps(area, 0)->Table = c.cls->Name;
        if (c.cls == few) SetPropStringByName(area, "B", c.value);
        int32_t tools = mainTool->ToolsCount();
        auto* view = TChoicedElementInterpret::New();
        view->DontViewProps = c.props;
        view->DontViewDBF = c.dbf;
        view->SetInput(area);
        view->DoIt();
        Free(view);
        EXPECT_EQ(mainTool->ToolsCount(), tools + (c.editor ? 1 : 0));
        ASSERT_EQ(AttributeForms().size(), c.width ? 1u : 0u);
        if (c.width) {
            EXPECT_EQ(AttributeForms()[0]->Width, c.width);
            EXPECT_EQ(AttributeForms()[0]->Height, c.height);
        }
        FreeAttributeForms();
        Application().ProcessMessages();
        Free(area);
        Application().ProcessMessages();
    }
}

TEST_F(SelectionTest, TheLineEditorChangesTheBlockOnlyOnOk) {
    auto* block = TTextBlock::New();
    block->SetName("blok");
    block->GetLines()->Add("b");
    block->GetLines()->Add("a");
    block->SetSorted(true);
    auto* tool = TD_TxtBlkTool::New();
    tool->SetInput(block);
    host.PushAction([] {
        ActiveModalForm()->Find("ListBox")->Items = {"x"};
        return mrCancel;
    });
    tool->DoIt();
    EXPECT_TRUE(block->GetSorted());
    EXPECT_EQ(block->GetLinesCount(), 2);
    host.PushResult(mrOk);
    tool->DoIt();
    EXPECT_FALSE(block->GetSorted());
    ASSERT_EQ(block->GetLinesCount(), 2);
    EXPECT_EQ(block->GetLines()->Strings(0), "a");
    host.PushAction([] {
        EXPECT_EQ(ActiveModalForm()->Caption, "blok");
        ActiveModalForm()->Find("ListBox")->Items = {"c", "d", "e"};
        return mrOk;
    });
    tool->DoIt();
    EXPECT_EQ(block->GetLinesCount(), 3);
    EXPECT_EQ(block->GetLines()->Strings(2), "e");
    Free(tool);
    Free(block);
}

}  // namespace
