#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "../../outside/yesk/tests/script_world.h"
#include "checker/check_set_run.h"
#include "checker/check_tools.h"
#include "checker/folder_structure_checks.h"
#include "composition/modelfile.h"
#include "kernel/value_elements.h"
#include "protocol_recorder.h"

namespace {

namespace fs = std::filesystem;

const std::string kSamples = SUITE_SAMPLES_DIR;

class SampleCheckSetTest : public ScriptWorld {
protected:
    void SetUp() override {
        ScriptWorld::SetUp();
        RegisterCheckerClasses();
    }
    // Runs the making script with the samples folder given; answers its result.
    std::string MakeCheckSets(const std::string& samples) {
        TStringElement* self = TStringElement::New(samples);
        runner->FileName = kSamples + "/tarvine32/MakeCheckSets.YESK";
        runner->SetInput(self);
        runner->DoIt();
        Free(self);
        return runner->Result;
    }
};

// The committed check set is the one the script makes (SUITE_WRITE_SAMPLES=1 writes it).
TEST_F(SampleCheckSetTest, ScriptMakesTheCommittedCheckSet) {
    if (std::getenv("SUITE_WRITE_SAMPLES")) {
        ASSERT_EQ(MakeCheckSets(kSamples), "ok");
    }
    fs::create_directories(dir.Path("samples/data"));
    fs::create_directories(dir.Path("samples/tarvine32"));
    for (const auto& entry : fs::directory_iterator(kSamples + "/data"))
        if (entry.is_directory()) fs::create_directories(dir.Path("samples/data/") + entry.path().filename().string());
    ASSERT_EQ(MakeCheckSets(dir.Path("samples")), "ok");
    EXPECT_EQ(ReadFile(dir.Path("samples/tarvine32/Kontroly.ZRX")), ReadFile(kSamples + "/tarvine32/Kontroly.ZRX"));
}

// The sample check set over the sample data: every node that its classes allow runs.
TEST_F(SampleCheckSetTest, RunOverTheSampleData) {
    TLoad* load = TLoad::New(kSamples + "/tarvine32/Kontroly.ZRX");
    load->DoIt();
    auto* set = As<TInterpretNodeEntity>(load->Output);
    Free(load);
    ASSERT_NE(set, nullptr);
    TProtocolRecorder* device = TProtocolRecorder::New();
    TInterpretNodeEntityInterpret* run = TInterpretNodeEntityInterpret::New();
    run->DataDirectory = kSamples + "/data";
    run->SetDevice(device);
    run->SetInput(set);
    run->DoIt();
    const std::string& text = device->Text;
    if (std::getenv("SUITE_SHOW_PROTOCOL")) std::fputs(text.c_str(), stderr);
    EXPECT_EQ(text.find(Lines({" ", Cz("    Kontrola Adresářové struktury "), kProtocolStars, " O.K."})), 0u);
    EXPECT_NE(text.find(Lines({"  ", Cz("  Místa"), kProtocolStars})), std::string::npos);
    EXPECT_NE(text.find(Cz("200 objektů bylo testováno nástrojem Místa")), std::string::npos);
    EXPECT_NE(text.find(Cz("559 objektů bylo testováno nástrojem Cesty")), std::string::npos);
    EXPECT_NE(text.find(Cz("200 objektů bylo testováno nástrojem Okolí")), std::string::npos);
    // the sample holds places of Czechia and Poland only, all named
    EXPECT_NE(text.find(Cz("   0 .... Stát ")), std::string::npos);
    EXPECT_NE(text.find(Cz("   0 .... Název ")), std::string::npos);
    Free(run);
    Free(device);
    Free(set);
}

}  // namespace
