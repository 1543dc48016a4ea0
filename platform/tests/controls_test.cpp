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
