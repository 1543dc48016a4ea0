#include <gtest/gtest.h>

#include "check_set_editor_fixture.h"
#include "checker/check_set_editor.h"
#include "checker/check_set_run.h"
#include "checking_program_test_support.h"
#include "composition/modelfile.h"
#include "protocol_recorder.h"

namespace {

// Points in the national grid: kod 1, 2 and 3.
void WritePoints(const std::string& path) {
    WriteText(path, R"({"type":"FeatureCollection","crs":{"type":"name","properties":{"name":"EPSG:5514"}},)"
                    R"("features":[)"
                    R"({"type":"Feature","properties":{"kod":1},"geometry":{"type":"Point","coordinates":[-470000,-1100000]}},)"
                    R"({"type":"Feature","properties":{"kod":2},"geometry":{"type":"Point","coordinates":[-470100,-1100000]}},)"
                    R"({"type":"Feature","properties":{"kod":3},"geometry":{"type":"Point","coordinates":[-470200,-1100000]}}]})");
}

}  // namespace

// From an empty container to a saved check set with two check nodes and a folder node,
// through the controls; the file loads again and runs.
TEST_F(EditorTest, EmptyContainerToASavedSetThatRuns) {
    WritePoints(dir.Path("body.geojson"));
    CreateDir(dir.Path("sub"));
    std::string saved = Edit([&](TINESetupDialogForm& form) {
        EXPECT_EQ(form["ed_Name"].Text, Cz("Beze jména"));
        EXPECT_TRUE(form["o_1"].Items.empty());
        EXPECT_EQ(form["SG"].Cell(0, 0), Cz("Docela ňic"));
        EXPECT_TRUE(form["SG"].Visible);
        EXPECT_FALSE(form.Modified());
        EXPECT_EQ(form["o_3"].Items, (std::vector<std::string>{"Body", "Skryty"}));
        form["ed_Name"].Type("Kontroly");

        for (const char* name : {"Uzel A", "Uzel B"}) {
            NameAnswer(name);
            form["BitBtn8"].Click();
            form["o_3"].Select(0);
            form["b_AddFromPalette"].Click();
            host.PushText("BODY=body.geojson");
            form["ModelSetting"].Click();
            EXPECT_EQ(form["LB"].Items, std::vector<std::string>{"BODY=body.geojson"});
        }
        EXPECT_EQ(form["o_1"].Items, (std::vector<std::string>{"Uzel A", "Uzel B"}));
        EXPECT_EQ(form["o_2"].Items, (std::vector<std::string>{"Body", "  KodJe1"}));
        // Node B's check wants kod 2; its errors are written.
        form["o_2"].Select(1);
        int condition = RowOf(form, "TestCondition");
        ASSERT_GE(condition, 0);
        form["SG"].TypeCell(1, condition, "kod = 2");
        int flag = RowOf(form, "DontSendErrors");
        form["SG"].DblClickCell(1, flag);
        EXPECT_EQ(form["SG"].Cell(1, flag), "TRUE");
        form["SG"].DblClickCell(1, flag);
        EXPECT_EQ(form["SG"].Cell(1, flag), "FALSE");
        // A check with only a hidden setting shows no grid; removed again.
        form["o_3"].Select(1);
        form["o_2"].DragDrop(form["o_3"]);
        EXPECT_EQ(form["o_2"].Items.size(), 3u);
        form["o_2"].Select(2);
        EXPECT_FALSE(form["SG"].Visible);
        form["BitBtn3"].Click();
        EXPECT_EQ(form["o_2"].Items.size(), 2u);

        form["BitBtn1"].Click();
        EXPECT_TRUE(form["PanelDH"].Visible);
        EXPECT_FALSE(form["o_2"].Visible);
        form["NewDir"].Click();
        form["TreeView"].Type("sub");
        EXPECT_EQ(form["TreeView"].Items, (std::vector<std::string>{"root", "  sub"}));
        EXPECT_TRUE(form.Modified());

        host.PushText(dir.Path("kontrola.txt"));
        form["b_Save"].Click();
        EXPECT_EQ(host.Records().back().caption, "soubor ZARIXu|*.ZRX");
        EXPECT_FALSE(form.Modified());
        EXPECT_EQ(form.Caption, dir.Path("kontrola.ZRX"));
    });
    EXPECT_EQ(saved, dir.Path("kontrola.ZRX"));
    ASSERT_TRUE(FileExists(saved));

    TLoad* load = TLoad::New(saved);
    load->DoIt();
    auto* set = As<TInterpretNodeEntity>(load->Output);
    Free(load);
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(set->GetName(), "Kontroly");
    ASSERT_EQ(set->ElementsCount(), 3);
    TProtocolRecorder* device = TProtocolRecorder::New();
    TInterpretNodeEntityInterpret* run = TInterpretNodeEntityInterpret::New();
    run->DataDirectory = dir.Path();
    run->SetDevice(device);
    run->SetInput(set);
    run->DoIt();
    std::string a = device->Text.substr(0, device->Text.find("Uzel B"));
    std::string b = device->Text.substr(device->Text.find("Uzel B"));
    EXPECT_NE(a.find(Cz("Chybný kód : 2")), std::string::npos) << device->Text;
    EXPECT_NE(a.find(Cz("Chybný kód : 3")), std::string::npos);
    EXPECT_NE(b.find(Cz("Chybný kód : 1")), std::string::npos);
    EXPECT_EQ(b.find(Cz("Chybný kód : 2")), std::string::npos);
    EXPECT_NE(b.find(Cz("Kontrola Adresářové struktury")), std::string::npos);
    Free(run);
    Free(device);
    Free(set);
}

// A file that is no model file is the loader's error in a box, and the set stays; an
// unsaved change is asked about by New and Open whatever came after it; node moves stop
// at the ends; a cancelled data-model dialog keeps the data model.
TEST_F(EditorTest, BadFilesQuestionsAndMovesKeepTheSet) {
    WriteText(dir.Path("bad.ZRX"), "no model file");
    Edit([&](TINESetupDialogForm& form) {
        TInterpretNodeEntity* set = form.CheckSet();
        for (const char* name : {"A", "B"}) {
            NameAnswer(name);
            form["BitBtn8"].Click();
        }
        host.PushText("L=a.gpkg");
        form["ModelSetting"].Click();
        host.PushCancel();
        form["ModelSetting"].Click();
        EXPECT_EQ(form["LB"].Items, std::vector<std::string>{"L=a.gpkg"});

        form["BitBtn2"].Click();  // B is last
        EXPECT_EQ(form["o_1"].Items, (std::vector<std::string>{"A", "B"}));
        form["BitBtn4"].Click();
        EXPECT_EQ(form["o_1"].Items, (std::vector<std::string>{"B", "A"}));
        EXPECT_EQ(set->Get(0)->GetName(), "B");
        EXPECT_EQ(form["o_1"].ItemIndex, 0);
        form["BitBtn4"].Click();
        EXPECT_EQ(set->Get(0)->GetName(), "B");

        ClearHostLog();
        host.PushResult(mrNo);
        form["b_DeleteNode"].Click();
        EXPECT_EQ(HostLog().back(), Cz("Opravdu smazat uzel  \"B\" ?"));
        EXPECT_EQ(set->ElementsCount(), 2);
        host.PushResult(mrYes);
        form["b_DeleteNode"].Click();
        EXPECT_EQ(form["o_1"].Items, std::vector<std::string>{"A"});

        host.PushResult(mrNo);
        host.PushText(dir.Path("bad.ZRX"));
        form["b_Open"].Click();
        EXPECT_EQ(host.Records()[host.Records().size() - 3].text, Cz("Uložit změny v Beze jména ?"));
        EXPECT_EQ(host.Records()[host.Records().size() - 2].caption, "soubro ZARIXu|*.ZRX");
        EXPECT_EQ(form.CheckSet(), set);
        EXPECT_EQ(form["o_1"].Items, std::vector<std::string>{"A"});

        ClearHostLog();
        host.PushResult(mrCancel);
        form["b_New"].Click();
        EXPECT_EQ(HostLog().back(), Cz("Uložit změny v Beze jména ?"));
        EXPECT_EQ(form.CheckSet(), set);
        host.PushResult(mrNo);
        form["b_New"].Click();
        EXPECT_NE(form.CheckSet(), nullptr);
        EXPECT_TRUE(form["o_1"].Items.empty());
        EXPECT_EQ(form.Caption, "NoName");
    });
}

// Save with a set of no nodes over a file that keeps checks asks first, and "No" leaves the
// file as it was; over a file of an empty set, or a new file, it does not ask.
TEST_F(EditorTest, AnEmptySetOverwritesAFileOfChecksOnlyWhenTheUserSaysSo) {
    const std::string kept = dir.Path("Kontroly.ZRX"), empty = dir.Path("Prazdna.ZRX");
    Edit([&](TINESetupDialogForm& form) {
        NameAnswer("A");
        form["BitBtn8"].Click();
        host.PushText(kept);
        form["b_Save"].Click();
    });
    const std::string checks = ReadFile(kept);
    ASSERT_FALSE(checks.empty());
    // The editor opens on the file name alone, before any set is loaded.
    for (int32_t i = container->ElementsCount() - 1; i >= 0; --i)
        if (container->Get(i)->Is<TInterpretNodeEntity>()) container->FreeElement(container->Get(i));
    struct Case {
        std::string file;
        int answer;  // 0: no question
        bool written;
    };
    const Case cases[] = {{kept, mrNo, false}, {empty, 0, true}, {empty, 0, true}, {kept, mrYes, true}};
    for (const Case& c : cases) {
        ClearHostLog();
        std::string before = FileExists(c.file) ? ReadFile(c.file) : "";
        Edit([&](TINESetupDialogForm& form) {
            EXPECT_TRUE(form["o_1"].Items.empty());
            if (c.answer) host.PushResult(c.answer);
            form["b_Save"].Click();
        }, c.file);
        if (c.answer) {
            ASSERT_FALSE(HostLog().empty());
            EXPECT_EQ(HostLog().back(), Cz("Kontrola \"Beze jména\" neobsahuje žádný uzel. Přepsat soubor ") + c.file +
                                            Cz(" prázdnou kontrolou ?"));
        } else {
            EXPECT_TRUE(HostLog().empty()) << HostLog().back();
        }
        if (!c.written) {
            EXPECT_EQ(ReadFile(c.file), before);
        }
        EXPECT_TRUE(FileExists(c.file));
    }
    EXPECT_NE(ReadFile(kept), checks);
}

// Folder names are edited in the tree, also by a line of a terminal or an answers file
// ("TreeView[node]=name"); picking another folder renames nothing; the check box captions
// are Windows-1250 like every text.
TEST_F(EditorTest, FoldersAreRenamedByEditingTheTreeLine) {
    Edit([&](TINESetupDialogForm& form) {
        EXPECT_EQ(form["cb_DontInterpretModels"].Caption, Cz("Bez nastavení"));
        form["BitBtn1"].Click();
        form["NewDir"].Click();
        std::string error;
        EXPECT_TRUE(SetControlByLine(form, Cz("TreeView[Nová složka]"), "Data2", error)) << error;
        form["TreeView"].Pick("root");
        form["NewDir"].Click();
        form["TreeView"].Pick("Data2");  // the new folder keeps its name
        EXPECT_TRUE(SetControlByLine(form, "TreeView[Data2]", "Data", error)) << error;
        EXPECT_TRUE(SetControlByLine(form, "TreeView[1]", "koren", error)) << error;
        EXPECT_TRUE(SetControlByLine(form, "TreeView[Data]", "", error)) << error;  // an empty name is no name
        EXPECT_EQ(form["TreeView"].Items, (std::vector<std::string>{"koren", "  Data", Cz("  Nová složka")}));
        form["SortTV"].SetChecked(true);
        EXPECT_TRUE(SetControlByLine(form, "TreeView[Data]", "Zaloha", error)) << error;
        EXPECT_EQ(form["TreeView"].Items, (std::vector<std::string>{"koren", Cz("  Nová složka"), "  Zaloha"}));
        EXPECT_EQ(form["TreeView"].ItemIndex, 2);
        EXPECT_EQ(form.SelectedFolder()->GetName(), "Zaloha");
        EXPECT_TRUE(form.Modified());
    });
}
