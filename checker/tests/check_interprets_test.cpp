#include <gtest/gtest.h>

#include <filesystem>

#include "../../outside/yesk/tests/script_world.h"
#include "checker/check_interprets.h"
#include "checker/folder_structure_checks.h"
#include "checker/geometry_checks.h"
#include "composition/text_devices.h"
#include "gravo/topology.h"
#include "platform/files.h"
#include "protocol_recorder.h"
#include "space/space.h"

namespace {

const std::string kStars = kProtocolStars;

// A property object as the topology package links it: a number and a text.
class TTestTopologyProps : public TOwnerElement {
    ZARIX_CLASS(TTestTopologyProps, TOwnerElement)
    static void Publish(PropertyTable& t) {
        t.Field<TTestTopologyProps>("Number", &TTestTopologyProps::Number);
        t.Field<TTestTopologyProps>("Text", &TTestTopologyProps::Text);
    }

public:
    int32_t Number = 0;
    std::string Text;
};

// An angle check whose every test fails inside, as on geometry GEOS refuses.
class TBrokenAngleCheck : public TCheckPolyAngle {
    ZARIX_CLASS(TBrokenAngleCheck, TCheckPolyAngle)

public:
    bool Test() override { throw std::runtime_error("IllegalArgumentException: Invalid number of points"); }
};

class CheckInterpretsTest : public ScriptWorld {
protected:
    void SetUp() override {
        ScriptWorld::SetUp();
        RegisterCheckerClasses();
        device = TProtocolRecorder::New();
        data = NewNamed<TOwnerEntity>("data");
    }
    void TearDown() override {
        Free(data);
        Free(device);
        ScriptWorld::TearDown();
    }
    template <class T> T* Add(const std::string& name, int32_t code, int32_t number = -1, const char* text = "") {
        T* e = NewNamed<T>(name);
        e->SetCode(code);
        if (number >= 0) {
            auto* props = TTestTopologyProps::New();
            props->Number = number;
            props->Text = text;
            e->SetPropertyObject(props);
        }
        data->AddElement(e);
        return e;
    }
    TCheckPropsTool* Check(TInterpret* interpret, const char* name, const char* condition, const char* errorTxt,
                           bool dontSend = false) {
        auto* check = NewNamed<TCheckPropsTool>(name);
        check->TestCondition = condition;
        check->MsgProp = "Code";
        check->ErrorTxt = errorTxt;
        check->DontSendErrors = dontSend;
        interpret->AddTool(check);
        return check;
    }
    // One run over the data's children, as the universal interpret makes it.
    std::string Run(TInterpret* interpret) {
        device->Text.clear();
        interpret->Reset(device);
        for (int32_t i = 0; i < data->ElementsCount(); ++i) interpret->Process(data->Get(i));
        interpret->Close();
        return device->Text;
    }
    std::string Summary(const std::string& counted, std::initializer_list<std::string> tools) {
        std::string text = Lines({"   ", kStars, counted, Cz(" Z toho chybných:")});
        for (const std::string& t : tools) text += "   " + t + "\r\n";
        return text + Lines({kStars});
    }

    TProtocolRecorder* device = nullptr;
    TOwnerEntity* data = nullptr;
};

TEST_F(CheckInterpretsTest, TestInterpretProtocol) {
    Add<TPointElement>("b1", 1);
    Add<TPointElement>("b2", 2);
    Add<TPointElement>("b3", 3);
    const std::string tested = Cz(" objektů bylo testováno nástrojem ");
    struct Case {
        const char* name;
        std::function<void(TTestInterpret*)> setup;
        std::string protocol;
    } cases[] = {
        // no tools: nothing per element, the summary still
        {"none", [](TTestInterpret*) {}, Summary("0" + tested + "T", {})},
        // two failing checks: one block, fault lines in tool order
        {"two",
         [&](TTestInterpret* it) {
             Check(it, "A", "Code = 1", "Kod?");
             Check(it, "B", "Code < 3", "Malo");
         },
         Lines({"b2", "Kod? : 2"}) + Lines({"b3", "Kod? : 3", "Malo : 3"}) +
             Summary("0" + tested + "T", {"2 .... A ", "1 .... B "})},
        // a check that does not write: counted only, and alone it makes no block
        {"silent",
         [&](TTestInterpret* it) {
             Check(it, "A", "Code = 1", "Kod?", true);
             Check(it, "B", "Code < 3", "Malo");
         },
         Lines({"b3", "Malo : 3"}) + Summary("0" + tested + "T", {"2 .... A ", "1 .... B "})},
        // the texts around a block
        {"rows",
         [&](TTestInterpret* it) {
             it->Header = "H|";
             it->BeforeRow = "<";
             it->AfterRow = ">";
             Check(it, "A", "Code <> 2", "X");
         },
         "H|<" + Lines({"b2", "X : 2", ">"}) + Summary("0" + tested + "T", {"1 .... A "})},
    };
    for (const Case& c : cases) {
        TTestInterpret* it = NewNamed<TTestInterpret>("T");
        c.setup(it);
        EXPECT_EQ(Run(it), c.protocol) << c.name;
        Free(it);
    }
}

TEST_F(CheckInterpretsTest, NumberedObjectsAndKinds) {
    TPointElement* b1 = Add<TPointElement>("b1", 1, 11, "bod jedna");
    Add<TPointElement>("b2", 2, 12, "bod dva");
    Add<TAreaElement>("p1", 2, 21, "plocha");
    Add<TPolyLineElement>("l1", 2);  // no property object: fault lines only
    const std::string tested = Cz(" objektů bylo testováno nástrojem ");
    const std::string no = Cz(" č.");
    struct Case {
        const char* name;
        TTestTplInterpret* interpret;
        const char* msgProp;
        std::string protocol;
    } cases[] = {
        {"points", TTestPointInterpret::New(), "Name,Code",
         Lines({no + "12  * b2 * 2 bod dva", "F : 2"}) + Summary("2" + tested + "K", {"1 .... A "})},
        {"areas", TTestAreaInterpret::New(), "",
         Lines({no + "21  plocha", "F : 2"}) + Summary("1" + tested + "K", {"1 .... A "})},
        {"lines", TTestLineInterpret::New(), "Code",
         Lines({"F : 2"}) + Summary("1" + tested + "K", {"1 .... A "})},
        {"texts", TTestTextInterpret::New(), "", Summary("0" + tested + "K", {"0 .... A "})},
    };
    for (Case& c : cases) {
        c.interpret->SetName("K");
        c.interpret->MsgProp = c.msgProp;
        Check(c.interpret, "A", "Code = 1", "F");
        EXPECT_EQ(Run(c.interpret), c.protocol) << c.name;
        Free(c.interpret);
    }
    // counts live as long as the interpret
    TTestTplInterpret* points = NewNamed<TTestPointInterpret>("K");
    Run(points);
    Run(points);
    EXPECT_EQ(points->ObjectCount, 4);
    Free(points);
    EXPECT_EQ(PropertyObjectNumber(PropertyObjectOf(b1)), 11);
}

// An element a check could not test (its geometry made the test fail) is among the
// check's faults, with the check's text, base number and position, never passed.
TEST_F(CheckInterpretsTest, UntestedElementsCountAsFaulty) {
    auto* line = Add<TPolyLineElement>("l1", 1);
    line->SetPoints({{0, 0}, {4, 2}, {8, 0}});
    Add<TPolyLineElement>("l2", 2)->SetPoints({{1, 1}, {3, 3}});
    TTestInterpret* it = NewNamed<TTestInterpret>("T");
    auto* check = NewNamed<TBrokenAngleCheck>("U");
    check->ErrorTxt = Cz("Ostrý úhel");
    it->AddTool(check);
    Check(it, "A", "Code = 1", "Kod?");
    const std::string tested = Cz(" objektů bylo testováno nástrojem ");
    EXPECT_EQ(Run(it), Lines({"l1", Cz("Ostrý úhel Hodnota:NAN sour:[4,2]"), "l2", Cz("Ostrý úhel Hodnota:NAN sour:[2,2]"),
                              "Kod? : 2"}) +
                           Summary("0" + tested + "T", {"2 .... U ", "1 .... A "}));
    EXPECT_EQ(check->Error, 5000);
    EXPECT_EQ(check->State, 0);
    Free(it);
}

TEST_F(CheckInterpretsTest, TextDeviceInterpretWritesOnTextFilesOnly) {
    Add<TPointElement>("b1", 1);
    TTextDeviceInterpret* it = TTextDeviceInterpret::New();
    EXPECT_EQ(Run(it), "");
    TTextFileDevice* file = TTextFileDevice::New();
    file->SetFileName(dir.Path("tdi.txt"));
    it->Reset(file);
    it->Process(data->Get(0));
    it->Close();
    file->EndOutput();
    EXPECT_EQ(ReadFile(dir.Path("tdi.txt")), "TDI: b1\r\n");
    Free(file);
    Free(it);
}

}  // namespace

namespace {

// A square split in two by a line; an area of the topology covers the left half only.
class LineStringCheckTest : public CheckInterpretsTest {
protected:
    void SetUp() override {
        CheckInterpretsTest::SetUp();
        lines = NewNamed<TPolyLineString>("L");
        for (auto pts : {std::vector<T2DPoint>{{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}},
                         std::vector<T2DPoint>{{5, -1}, {5, 11}}}) {
            auto* l = TPolyLineElement::New();
            l->SetPoints(pts);
            lines->AddElement(l);
        }
        areas = TAreaString::New();
        auto* left = TAreaElement::New();
        left->SetPoints({{0, 0}, {5, 0}, {5, 10}, {0, 10}, {0, 0}});
        areas->AddElement(left);
        auto topology = std::make_shared<TGravoTopology>();
        topology->SetLayer('P', areas);
        AttachTopologyProps(lines, topology);
        data->AddElement(lines);
    }
    void TearDown() override {
        Free(areas);
        CheckInterpretsTest::TearDown();
    }
    TPolyLineString* lines = nullptr;
    TAreaString* areas = nullptr;
};

TEST_F(LineStringCheckTest, UnclosedRegionsAndBlocks) {
    const std::string found = Cz(" Nástroj Hranice nalezl ");
    const std::string regions = Cz("1 nezaplochovaných oblastí"), two = Cz("2 nezaplochovaných oblastí");
    const std::string region = Cz(" č.1  L 1");  // the region's first edge is of the square
    // no folder: no block lines, yet each handled string is listed
    TCheckLineStringInterpret* it = NewNamed<TCheckLineStringInterpret>("Hranice");
    it->ErrorTxt = Cz("Otevřeno");
    it->BeforeRow = "> ";
    data->AddElement(lines);  // the string twice
    device->Text.clear();
    it->Reset(device);
    for (int32_t i = 0; i < data->ElementsCount(); ++i) it->Process(data->Get(i));
    EXPECT_EQ(it->BlockNames().size(), 2u);
    it->Close();
    const std::string block = "> " + Lines({region, Cz("Otevřeno"), kStars});
    EXPECT_EQ(device->Text, block + block + Lines({"   ", kStars, found, two, " ", kStars}));
    Free(it);

    // a folder: the regions are exported, one block per string
    it = NewNamed<TCheckLineStringInterpret>("Hranice");
    it->OutputDir = dir.Path("bloky");
    it->DontSendError = true;
    std::filesystem::create_directories(dir.Path("bloky"));
    data->RemoveElement(lines);
    const std::string name = dir.Path("bloky") + "\\Err0.blk";
    EXPECT_EQ(Run(it), Lines({kStars, Cz("Nalezené oblasti uloženy v bloku: ") + name}) +
                           Lines({"   ", kStars, found, regions, Cz(" Výsledek je uložen v blocích:"), "    " + name,
                                  " ", kStars}));
    EXPECT_TRUE(FileExists(name));
    Free(it);
}

}  // namespace
