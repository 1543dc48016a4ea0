#include <gtest/gtest.h>

#include <fstream>

#include "../../outside/yesk/tests/script_world.h"
#include "check_set_builder.h"
#include "checker/check_interprets.h"
#include "checker/check_set_run.h"
#include "checker/folder_structure_checks.h"
#include "composition/modelfile.h"
#include "kernel/file_elements.h"
#include "protocol_recorder.h"
#include "space/space.h"

namespace {

const std::string kStars = kProtocolStars;

// Keeps the progress texts and the text messages it is sent.
class TProgressKeepingTool : public TTextKeepingTool {
    ZARIX_CLASS(TProgressKeepingTool, TTextKeepingTool)

public:
    std::vector<std::string> Progress;
    void HandleMessage(TZarixMessage*& m, bool& handled) override {
        if (m->Message == tm_ProgressText)
            if (auto* t = As<TZarixTextMessage>(m)) Progress.push_back(t->GetMessageText());
        inherited::HandleMessage(m, handled);
    }
};

// Points in the national grid: kod 1, 2 and 3.
void WritePoints(const std::string& path) {
    std::ofstream(path) << R"({"type":"FeatureCollection","crs":{"type":"name","properties":{"name":"EPSG:5514"}},)"
                           R"("features":[)"
                           R"({"type":"Feature","properties":{"kod":1},"geometry":{"type":"Point","coordinates":[-470000,-1100000]}},)"
                           R"({"type":"Feature","properties":{"kod":2},"geometry":{"type":"Point","coordinates":[-470100,-1100000]}},)"
                           R"({"type":"Feature","properties":{"kod":3},"geometry":{"type":"Point","coordinates":[-470200,-1100000]}}]})";
}

class CheckSetRunTest : public ScriptWorld {
protected:
    void SetUp() override {
        ScriptWorld::SetUp();
        RegisterCheckerClasses();
        progress = TProgressKeepingTool::New();
        world->SetMainTool(progress);  // the world frees it
        device = TProtocolRecorder::New();
        set = NewNamed<TInterpretNodeEntity>("Kontroly");
        set->SetNoSettings(true);
        WritePoints(dir.Path("body.geojson"));
    }
    void TearDown() override {
        Free(set);
        Free(device);
        ScriptWorld::TearDown();
    }
    // A node checking that every point has kod 1.
    TInterpretNode* PointNode(const std::string& name, const std::vector<std::string>& layers = {"BODY=body.geojson"}) {
        TInterpretNode* node = AddCheckNode(set, name, layers);
        TInterpretModel* points = AddInterpretModel(node, "TTestPointInterpret", "Body", {{"MsgProp", ""}});
        AddCheckModel(points, "TCheckPropsTool", "KodJe1",
                      {{"TestCondition", "kod = 1"}, {"MsgProp", "kod"}, {"ErrorTxt", Cz("Chybný kód")}});
        return node;
    }
    std::string Run() {
        device->Text.clear();
        TInterpretNodeEntityInterpret* run = TInterpretNodeEntityInterpret::New();
        run->DataDirectory = dir.Path();
        run->SetDevice(device);
        run->SetInput(set);
        run->DoIt();
        Free(run);
        return device->Text;
    }
    // The protocol part of one PointNode.
    std::string PointNodeText(const std::string& name, const std::string& settings = "") {
        return Lines({"  ", "  " + name, kStars}) + settings + Lines({Cz("Chybný kód : 2"), Cz("Chybný kód : 3")}) +
               Lines({"   ", kStars, Cz("3 objektů bylo testováno nástrojem Body"), Cz(" Z toho chybných:"),
                      "   2 .... KodJe1 ", kStars});
    }

    TProgressKeepingTool* progress = nullptr;
    TProtocolRecorder* device = nullptr;
    TInterpretNodeEntity* set = nullptr;
};

TEST_F(CheckSetRunTest, FolderNodeThenTwoCheckNodes) {
    auto* folders = NewNamed<TDirectoryHCheckNode>("Adresáře");
    set->AddElement(folders);
    PointNode("Uzel A");
    PointNode("Uzel B");
    const std::string folderBlock =
        Lines({" ", Cz("    Kontrola Adresářové struktury "), kStars, " O.K.", kStars, " "});
    EXPECT_EQ(Run(), folderBlock + PointNodeText("Uzel A") + PointNodeText("Uzel B"));
    EXPECT_EQ(device->Begins, 1);
    EXPECT_EQ(device->Ends, 1);
    // dynamic models give the same protocol
    set->SetDynamicModel(true);
    EXPECT_EQ(Run(), folderBlock + PointNodeText("Uzel A") + PointNodeText("Uzel B"));
    // the working area is left empty
    TElement* work = world->GetObjectModel()->FindElementName("WORK");
    ASSERT_NE(work, nullptr);
    EXPECT_EQ(As<TEntity>(work)->ElementsCount(), 0);
    EXPECT_EQ(world->GetObjectModel()->FindElementClass(TRegister::StaticClass()), nullptr);
}

TEST_F(CheckSetRunTest, SettingsPrintBeforeTheChecks) {
    set->SetNoSettings(false);
    TInterpretNode* node = PointNode("Uzel");
    TInterpretModel* second = AddInterpretModel(node, "TTestInterpret", "Vse");
    (void)second;
    const std::string settings =
        Lines({Cz("Interpretační model:"), kStars, "    -Body", "       MsgProp = ", "         -KodJe1",
               "            TestCondition = kod = 1", "            MsgProp = kod", Cz("            ErrorTxt = Chybný kód"),
               "    -Vse", kStars, Cz("Datový model:"), kStars, "BODY=body.geojson", kStars});
    std::string text = Run();
    std::string expected = PointNodeText("Uzel", settings);
    EXPECT_EQ(text.substr(0, expected.size()), expected);
    // the plain test interpret without tools adds its summary only
    EXPECT_EQ(text.substr(expected.size()).find("   \r\n" + kStars + "\r\n"), 0u);
}

TEST_F(CheckSetRunTest, ProgressTextsAndSkippedNodes) {
    PointNode("Jedna");
    PointNode("Dva", {"BODY=chybi.geojson"});  // the layer's file is missing: skipped
    PointNode("Tri");
    PointNode("Ctyri");
    AddCheckNode(set, "Pet", {"BODY=body.geojson"});  // no interpret model: skipped
    std::string text = Run();
    EXPECT_EQ(text, PointNodeText("Jedna") + PointNodeText("Tri") + PointNodeText("Ctyri"));
    const std::vector<std::string> expected = {Cz("Uzel č.1/5: Jedna -načítání dat ..."),
                                               Cz("Uzel č.1/5: Jedna -vytváření interpretů ..."),
                                               Cz("Uzel č.1/5: Jedna -interpretace ..."),
                                               Cz("Objekt č. 1"),
                                               Cz("Uzel č.2/5: Dva -načítání dat ..."),
                                               Cz("Objekt č. 1"), Cz("Objekt č. 1")};
    // a skipped node ends the progress display for the rest of the run
    EXPECT_EQ(progress->Progress, expected);
    // the last node was skipped after its data loaded: nothing of it is left
    EXPECT_EQ(As<TEntity>(world->GetObjectModel()->FindElementName("WORK"))->ElementsCount(), 0);
    bool named = false;
    for (const std::string& t : progress->Texts) named |= t.find("Vrstva BODY") != std::string::npos &&
                                                         t.find("chybi.geojson") != std::string::npos;
    EXPECT_TRUE(named);
}

// A protocol that cannot be written stops the run with the device's error; what the run
// loaded is freed and the device is closed, keeping what was written.
TEST_F(CheckSetRunTest, ProtocolWriteFailureStopsTheRun) {
    struct TFailingRecorder : TProtocolRecorder {
        int Left = 0;
        void WriteLine(const std::string& text) override {
            if (Left-- <= 0) throw EInOutError("I/O error 28: \"protokol.txt\"");  // the disk is full
            TProtocolRecorder::WriteLine(text);
        }
    };
    PointNode("Jedna");
    PointNode("Dva");
    for (int left : {0, 4, 20}) {
        auto* failing = new TFailingRecorder;
        failing->Left = left;
        TInterpretNodeEntityInterpret* run = TInterpretNodeEntityInterpret::New();
        run->DataDirectory = dir.Path();
        run->SetDevice(failing);
        run->SetInput(set);
        try {
            run->DoIt();
            ADD_FAILURE() << left;
        } catch (const EInOutError& e) {
            EXPECT_NE(std::string(e.what()).find("protokol.txt"), std::string::npos);
        }
        EXPECT_EQ(failing->Ends, 1) << left;
        const std::string whole = PointNodeText("Jedna") + PointNodeText("Dva");
        EXPECT_EQ(failing->Text, whole.substr(0, failing->Text.size())) << left;
        EXPECT_LT(failing->Text.size(), whole.size()) << left;
        EXPECT_EQ(As<TEntity>(world->GetObjectModel()->FindElementName("WORK"))->ElementsCount(), 0) << left;
        Free(run);
        delete failing;
    }
}

// A check set is kept in a model file: it runs the same after a save and a load, and a
// damaged file gives the loader's error and no protocol.
TEST_F(CheckSetRunTest, SavedCheckSetRunsTheSame) {
    std::filesystem::create_directories(dir.Path("vrstvy/stare"));
    std::filesystem::create_directories(dir.Path("sablona/vrstvy/nove"));
    auto* folders = NewNamed<TDirectoryHCheckNode>("Adresáře");
    folders->LostDirText = "chybi";
    TDirectoryElement* tpl = TDirectoryElement::New();
    tpl->DirOnly = true;
    tpl->SetFileName(dir.Path("sablona"));
    folders->GetTemplate()->SetTemplateElement(tpl);
    Free(tpl);
    set->AddElement(folders);
    PointNode("Uzel A");
    set->SetNoSettings(false);
    const std::string first = Run();
    EXPECT_NE(first.find(Cz("Chybí:  root\\vrstvy\\nove")), std::string::npos);
    EXPECT_NE(first.find(Cz("Navíc:  root\\vrstvy\\stare")), std::string::npos);

    const std::string file = dir.Path("kontroly.zrx");
    TSave* save = TSave::New(file);
    save->SetInput(set);
    save->DoIt();
    Free(save);
    Free(set);
    TLoad* load = TLoad::New(file);
    load->DoIt();
    set = As<TInterpretNodeEntity>(load->Output);
    Free(load);
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(As<TDirectoryHCheckNode>(set->Get(0))->LostDirText, "chybi");
    EXPECT_EQ(Run(), first);

    std::string bytes = ReadFile(file);
    struct Damage {
        const char* name;
        std::string content;
    } damaged[] = {{"cut", bytes.substr(0, bytes.size() / 2)}, {"text", "Uzel A\r\nBODY=body.geojson\r\n"}, {"empty", ""}};
    for (const Damage& d : damaged) {
        std::ofstream(dir.Path(d.name), std::ios::binary) << d.content;
        TLoad* bad = TLoad::New(dir.Path(d.name));
        EXPECT_THROW(bad->DoIt(), Exception) << d.name;
        EXPECT_EQ(bad->Output, nullptr) << d.name;
        Free(bad);
    }
}

}  // namespace
