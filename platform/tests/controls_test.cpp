#include "platform/controls.h"

#include <gtest/gtest.h>

#include "platform/host.h"
#include "platform/sysutils.h"

namespace {

struct HostScope {
    ScriptedHost host;
    HostScope() { SetUserHost(&host); }
    ~HostScope() { SetUserHost(nullptr); }
};

// A small dialog: an edit, a unit combo, OK and Cancel buttons, a log of its events.
struct Dialog : TForm {
    std::vector<std::string> log;
    Dialog() : TForm("Tf_Test") {
        auto note = [this](const char* what) { return [this, what](TControl& c) { log.push_back(c.Name + ":" + what); }; };
        TControl& ed = Add(TControlKind::Edit, "ed_Height");
        ed.OnChange = note("change");
        ed.OnExit = note("exit");
        TControl& units = Add(TControlKind::ComboBox, "Combo_Units");
        units.Items = {"m", "cm", "mm"};
        units.OnChange = note("change");
        units.OnEnter = note("enter");
        Add(TControlKind::Button, "OK", "OK").ModalResult = mrOk;
        Add(TControlKind::Button, "Cancel", "Storno").ModalResult = mrCancel;
    }
};

TEST(Controls, ModalFormIsDrivenByTheScriptedHost) {
    HostScope h;
    Dialog d;
    h.host.PushAction([] {
        TForm& f = *ActiveModalForm();
        f["ed_height"].Type("2.5");
        EXPECT_FALSE(f["Combo_Units"].Pick("km"));
        f["Combo_Units"].Focus();
        EXPECT_TRUE(f["Combo_Units"].Pick("cm"));
        f["OK"].Click();
        return mrCancel;  // a control's result wins over the host's answer
    });
    d["ed_Height"].Focus();
    EXPECT_EQ(d.ShowModal(), mrOk);
    EXPECT_EQ(ActiveModalForm(), nullptr);
    EXPECT_FALSE(d.Visible);
    EXPECT_EQ(d["ed_Height"].Text, "2.5");
    EXPECT_EQ(d["Combo_Units"].ItemIndex, 1);
    EXPECT_EQ(d.log, (std::vector<std::string>{"ed_Height:change", "ed_Height:exit", "Combo_Units:enter", "Combo_Units:change"}));
    ASSERT_EQ(h.host.Records().size(), 1u);
    EXPECT_EQ(h.host.Records()[0].caption, "Tf_Test");
    // Without a scripted action the host's answer is the result.
    h.host.PushCancel();
    EXPECT_EQ(d.ShowModal(), mrCancel);
    EXPECT_THROW(d["NoSuchControl"], Exception);
}

TEST(Controls, DisabledHiddenAndReadOnlyControlsIgnoreTheUser) {
    Dialog d;
    int clicks = 0;
    TControl& ok = d["OK"];
    ok.OnClick = [&](TControl&) { ++clicks; };
    ok.Enabled = false;
    ok.Click();
    ok.Enabled = true;
    ok.Visible = false;
    ok.Click();
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(d.ModalResult, 0);
    d["ed_Height"].ReadOnly = true;
    d["ed_Height"].Type("x");
    EXPECT_EQ(d["ed_Height"].Text, "");
}

TEST(Controls, CloseAsksFirstAndRadioButtonsExcludeEachOther) {
    HostScope h;
    Dialog d;
    bool allow = false;
    d.OnCloseQuery = [&](TForm&) { return allow; };
    h.host.PushAction([&] {
        EXPECT_FALSE(ActiveModalForm()->Close());
        allow = true;
        EXPECT_TRUE(ActiveModalForm()->Close());
        return mrOk;
    });
    EXPECT_EQ(d.ShowModal(), mrCancel);

    TForm f("Tf_Radio");
    f.Add(TControlKind::GroupBox, "gb");
    TControl& a = f.Add(TControlKind::RadioButton, "rb_A", "A", "gb");
    TControl& b = f.Add(TControlKind::RadioButton, "rb_B", "B", "gb");
    TControl& other = f.Add(TControlKind::RadioButton, "rb_C", "C");
    other.SetChecked(true);
    a.SetChecked(true);
    b.SetChecked(true);
    EXPECT_FALSE(a.Checked);
    EXPECT_TRUE(b.Checked);
    EXPECT_TRUE(other.Checked);
    TControl& g = f.Add(TControlKind::Grid, "grid");
    g.SetCell(2, 1, "x");
    EXPECT_EQ(g.Cell(2, 1), "x");
    EXPECT_EQ(g.Cell(5, 5), "");
    EXPECT_EQ(g.ColCount, 3);
    EXPECT_EQ(g.RowCount, 2);
}

}  // namespace

namespace {

// A form of every kind a line can set.
struct EveryKind : TForm {
    EveryKind() : TForm("Tf_Every") {
        Add(TControlKind::Edit, "ed_Name");
        Add(TControlKind::Edit, "ed_Fixed").ReadOnly = true;
        Add(TControlKind::CheckBox, "cb_Free", "&Free");
        Add(TControlKind::RadioButton, "rb_A", "A", "gb");
        Add(TControlKind::RadioButton, "rb_B", "B", "gb").Checked = true;
        Add(TControlKind::ComboBox, "Combo").Items = {"m", "2", "mm"};
        Add(TControlKind::ListBox, "List").Items = {"a", "b"};
        Add(TControlKind::SpinEdit, "Spin");
        Add(TControlKind::Grid, "Grid");
        Add(TControlKind::Label, "l_Info", "Info");
        Add(TControlKind::RadioButton, "rg_Scale", "Scale").Items = {"1000", "5000"};
        Add(TControlKind::Tree, "Tree").Items = {"root", "  b", "    leaf", "  b2"};
        Add(TControlKind::PageControl, "Pages");
        Add(TControlKind::Panel, "p_One", "&One", "Pages");
        Add(TControlKind::Panel, "p_Two", "Two", "Pages").Enabled = false;
        Add(TControlKind::Panel, "p_Three", "Three", "Pages");
        Add(TControlKind::PopupMenu, "pm_List");
        Add(TControlKind::MenuItem, "mi_More", "More", "pm_List");
        Add(TControlKind::MenuItem, "mi_Sort", "&Sort", "mi_More");
        Add(TControlKind::MenuItem, "mi_Off", "Off", "pm_List").Enabled = false;
        Add(TControlKind::Button, "b_Off", "Off").Enabled = false;
        Add(TControlKind::Button, "Zpet", Cz("&Zpět")).ModalResult = 4;
    }
};

}  // namespace

// "name[node]=text" edits the label of a tree node, picking the node first unless it is the
// selected one; a tree with OnEdited hears the edit there and not as a pick.
TEST(Controls, TreeLinesEditTheLabelOfANode) {
    TForm f("Tf_Tree");
    TControl& tree = f.Add(TControlKind::Tree, "Tree");
    tree.Items = {"root", "  b", "    leaf", "  b2"};
    std::vector<std::string> heard;
    tree.OnChange = [&](TControl& c) { heard.push_back("pick " + c.Text); };
    // The form renames the node it was told of.
    tree.OnEdited = [&](TControl& c) {
        heard.push_back("edit " + c.Text);
        std::string& node = c.Items[static_cast<size_t>(c.ItemIndex)];
        node = std::string(static_cast<size_t>(TreeLevel(node)) * 2, ' ') + c.Text;
    };
    f.Add(TControlKind::Tree, "Outline").ReadOnly = true;
    f["Outline"].Items = {"a"};
    struct Case {
        const char* name;
        const char* value;
        const char* error;
        std::vector<std::string> heard;
        int index;
        std::vector<std::string> items;
    };
    const Case cases[] = {
        {"Tree[leaf]", "list", "", {"pick     leaf", "edit list"}, 2, {"root", "  b", "    list", "  b2"}},
        {"Tree[    list]", "leaf", "", {"edit leaf"}, 2, {"root", "  b", "    leaf", "  b2"}},
        {"Tree[4]", "Data 2", "", {"pick   b2", "edit Data 2"}, 3, {"root", "  b", "    leaf", "  Data 2"}},
        {"Tree[twig]", "x", "Tree has no item twig", {}, 3, {"root", "  b", "    leaf", "  Data 2"}},
        {"Tree[5]", "x", "Tree has no item 5", {}, 3, {"root", "  b", "    leaf", "  Data 2"}},
        {"Tree[]", "x", "Tree has no item ", {}, 3, {"root", "  b", "    leaf", "  Data 2"}},
        {"Tree", "root", "", {"pick root"}, 0, {"root", "  b", "    leaf", "  Data 2"}},
    };
    for (const Case& c : cases) {
        heard.clear();
        std::string error;
        EXPECT_EQ(SetControlByLine(f, c.name, c.value, error), !*c.error) << c.name;
        EXPECT_EQ(error, c.error) << c.name;
        EXPECT_EQ(heard, c.heard) << c.name;
        EXPECT_EQ(tree.ItemIndex, c.index) << c.name;
        EXPECT_EQ(tree.Items, c.items) << c.name;
    }
    std::string error;
    EXPECT_FALSE(SetControlByLine(f, "Outline[a]", "b", error));
    EXPECT_EQ(error, "Outline is read-only");
    EXPECT_EQ(f["Outline"].Items, std::vector<std::string>{"a"});
}

// "name=value" lines set each kind as a user would; what does not fit is refused with a reason.
TEST(Controls, LinesSetControlsOrSayWhyNot) {
    struct Case {
        const char* name;
        const char* value;
        const char* error;  // empty: accepted
        std::function<bool(TForm&)> holds;
    };
    const Case cases[] = {
        {"ED_NAME", "Praha", "", [](TForm& f) { return f["ed_Name"].Text == "Praha"; }},
        {"cb_Free", "1", "", [](TForm& f) { return f["cb_Free"].Checked; }},
        {"rb_A", "1", "", [](TForm& f) { return f["rb_A"].Checked && !f["rb_B"].Checked; }},
        {"Combo", "2", "", [](TForm& f) { return f["Combo"].ItemIndex == 1; }},  // the text before the number
        {"Combo", "3", "", [](TForm& f) { return f["Combo"].ItemIndex == 2; }},
        {"Combo", "km", "", [](TForm& f) { return f["Combo"].Text == "km"; }},
        {"List", "b", "", [](TForm& f) { return f["List"].ItemIndex == 1; }},
        {"Spin", "12", "", [](TForm& f) { return f["Spin"].Value == 12 && f["Spin"].Text == "12"; }},
        {"Grid[2, 1]", "x", "", [](TForm& f) { return f["Grid"].Cell(2, 1) == "x"; }},
        {"rg_Scale", "5000", "", [](TForm& f) { return f["rg_Scale"].ItemIndex == 1; }},
        {"rg_Scale", "1", "", [](TForm& f) { return f["rg_Scale"].ItemIndex == 0 && f["rg_Scale"].Text == "1000"; }},
        {"rg_Scale", "0", "rg_Scale has no item 0", nullptr},
        {"Tree", "leaf", "", [](TForm& f) { return f["Tree"].ItemIndex == 2 && f["Tree"].Text == "    leaf"; }},
        {"Tree", "  b2", "", [](TForm& f) { return f["Tree"].ItemIndex == 3; }},
        {"Tree", "1", "", [](TForm& f) { return f["Tree"].ItemIndex == 0; }},
        {"Pages", "three", "", [](TForm& f) { return f["Pages"].Text == "p_Three" && f["Pages"].ItemIndex == 2; }},
        {"Pages", "1", "", [](TForm& f) { return f["Pages"].Text == "p_One"; }},
        {"Pages", "Two", "Pages has no page Two to show", [](TForm& f) { return f["Pages"].Text == "p_One"; }},
        {"Pages", "2", "Pages has no page 2 to show", nullptr},
        {"Tree", "twig", "Tree has no item twig", nullptr},
        {"List", "3", "List has no item 3", nullptr},
        {"cb_Free", "yes", "cb_Free takes 1 or 0", nullptr},
        {"Spin", "many", "Spin takes a number", nullptr},
        {"ed_Fixed", "x", "ed_Fixed is read-only", nullptr},
        {"ed_Nope", "x", "no control ed_Nope on Tf_Every", nullptr},
        {"Grid", "x", "a grid cell is Grid[col,row]=text", nullptr},
        {"Grid[1]", "x", "bad cell Grid[1] (name[col,row])", nullptr},
        {"ed_Name[0,0]", "x", "ed_Name is no grid", nullptr},
        {"l_Info", "x", "l_Info is a control that takes no value", nullptr},
    };
    EveryKind f;
    for (const Case& c : cases) {
        std::string error;
        EXPECT_EQ(SetControlByLine(f, c.name, c.value, error), !*c.error) << c.name;
        EXPECT_EQ(error, c.error) << c.name;
        if (c.holds) {
            EXPECT_TRUE(c.holds(f)) << c.name;
        }
    }
    EXPECT_EQ(FindButton(f, Cz("zpět")), f.Find("Zpet"));
    EXPECT_EQ(FindButton(f, "b_off"), f.Find("b_Off"));
    EXPECT_EQ(FindButton(f, "sort"), f.Find("mi_Sort"));
    EXPECT_EQ(FindButton(f, "ed_Name"), nullptr);
    std::string listed = DescribeForm(f);
    for (const std::string& line : std::vector<std::string>{"  ed_Fixed =   [read-only]\n", "  cb_Free [x] Free\n", "    2 * b\n",
                             "  l_Info: Info\n", "  rg_Scale: Scale\n    1 (o) 1000\n    2 ( ) 5000\n", "  Tree = root\n    1 * root\n    2     b\n    3       leaf\n",
                             "  Pages:\n    1 * One\n    2   Two  [disabled]\n    3   Three\n", "  Menu: Sort\n  Buttons: Off / " + Cz("Zpět") + "\n"})
        EXPECT_NE(listed.find(line), std::string::npos) << line << listed;
}

// Form answers of a scripted host set the shown form and press its buttons; one that
// fits no control, or a box, is refused.
TEST(Controls, FormAnswersDriveTheShownForm) {
    HostScope h;
    EveryKind f;
    auto answer = [&](std::string control, std::string text, std::string button) {
        ScriptedAnswer a;
        a.control = control;
        a.text = text;
        a.button = button;
        a.line = 7;
        h.host.Push(a);
    };
    answer("ed_Name", "Brno", "");
    answer("", "", Cz("Zpět"));
    EXPECT_EQ(f.ShowModal(), 4);
    EXPECT_EQ(f["ed_Name"].Text, "Brno");

    answer("", "", "Off");
    EXPECT_THROW(f.ShowModal(), Exception);
    answer("ed_Name", "x", "");
    try {
        HostMessageBox("Q", "C", mtConfirmation, mbOKCancel);
        ADD_FAILURE();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "line 7: ed_Name=x answers a form, not Q");
    }
}
