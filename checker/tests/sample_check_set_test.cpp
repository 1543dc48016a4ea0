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

// The committed check sets and palette are the ones the script makes (SUITE_WRITE_SAMPLES=1
// writes them).
TEST_F(SampleCheckSetTest, ScriptMakesTheCommittedCheckSet) {
    if (std::getenv("SUITE_WRITE_SAMPLES")) {
        ASSERT_EQ(MakeCheckSets(kSamples), "ok");
    }
    fs::create_directories(dir.Path("samples/data"));
    fs::create_directories(dir.Path("samples/tarvine32"));
    for (const auto& entry : fs::directory_iterator(kSamples + "/data"))
        if (entry.is_directory()) fs::create_directories(dir.Path("samples/data/") + entry.path().filename().string());
    ASSERT_EQ(MakeCheckSets(dir.Path("samples")), "ok");
    for (const char* name : {"/tarvine32/Kontroly.ZRX", "/tarvine32/KontrolyChyb.ZRX", "/tarvine32/Paleta.ZRX"})
        EXPECT_EQ(ReadFile(dir.Path("samples") + name), ReadFile(kSamples + name)) << name;
}

// The protocol of a sample check set over the sample data.
std::string RunSample(const std::string& file) {
    TLoad* load = TLoad::New(kSamples + "/tarvine32/" + file);
    load->DoIt();
    auto* set = As<TInterpretNodeEntity>(load->Output);
    Free(load);
    if (!set) return {};
    TProtocolRecorder* device = TProtocolRecorder::New();
    TInterpretNodeEntityInterpret* run = TInterpretNodeEntityInterpret::New();
    run->DataDirectory = kSamples + "/data";
    run->SetDevice(device);
    run->SetInput(set);
    run->DoIt();
    std::string text = device->Text;
    if (std::getenv("SUITE_SHOW_PROTOCOL")) std::fputs(text.c_str(), stderr);
    Free(run);
    Free(device);
    Free(set);
    return text;
}

// The summary count of a check in the protocol ("   N .... name "); -1 when missing.
int SummaryCount(const std::string& text, const std::string& check) {
    size_t at = text.find(" .... " + Cz(check) + " ");
    if (at == std::string::npos) return -1;
    size_t start = text.rfind("\r\n", at) + 2;
    return std::stoi(text.substr(start, at - start));
}

TEST_F(SampleCheckSetTest, RunOverTheSampleData) {
    const std::string text = RunSample("Kontroly.ZRX");
    EXPECT_EQ(text.find(Lines({" ", Cz("    Kontrola Adresářové struktury "), kProtocolStars, " O.K."})), 0u);
    EXPECT_NE(text.find(Lines({"  ", Cz("  Místa"), kProtocolStars})), std::string::npos);
    EXPECT_NE(text.find(Cz("200 objektů bylo testováno nástrojem Místa")), std::string::npos);
    EXPECT_NE(text.find(Cz("559 objektů bylo testováno nástrojem Cesty")), std::string::npos);
    EXPECT_NE(text.find(Cz("200 objektů bylo testováno nástrojem Okolí")), std::string::npos);
    EXPECT_NE(text.find(Cz(" Nástroj Hranice nalezl ")), std::string::npos);
    // the sample holds places of Czechia and Poland only, all named
    for (const char* check : {"Stát", "Název", "Délka", "Plocha", "Bod v ploše"})
        EXPECT_EQ(SummaryCount(text, check), 0) << check;
}

// Over the sample with faults the protocol names each planted fault; the checks without
// planted faults report what they report over the sample. A planted fault may make its
// neighbours faulty too (the roads that met at a moved end are left with free ends).
TEST_F(SampleCheckSetTest, RunOverTheSampleWithFaults) {
    const std::string plain = RunSample("Kontroly.ZRX");
    const std::string faulty = RunSample("KontrolyChyb.ZRX");
    const struct {
        const char* check;
        const char* object;  // the object line and the start of the fault line
        int more;            // faults beyond those of the sample, at least
    } planted[] = {
        {"Překryvy", " č.560  CESTY 560\r\nCesta kreslená dvakrát", 1},
        {"Úhly", " č.50  CESTY 50\r\nOstrý úhel Hodnota:", 1},
        {"Úseky", " č.10  CESTY 10\r\nÚsek kratší než 1 m Hodnota: ", 1},
        {"Napojení", " č.1  CESTY 1\r\nNenapojená cesta", 1},
        {"V buňce", " č.20  * Chuchelná MISTA 20\r\nMísto mimo svou buňku", 1},
        {"Stát", nullptr, 0},
        {"Název", nullptr, 0},
        {"Blízká místa", nullptr, 0},
        {"Délka", nullptr, 0},
        {"Plocha", nullptr, 0},
        {"Bod v ploše", nullptr, 0},
    };
    for (const auto& p : planted) {
        SCOPED_TRACE(p.check);
        if (p.object) {
            EXPECT_NE(faulty.find(Cz(p.object)), std::string::npos);
            EXPECT_GE(SummaryCount(faulty, p.check), SummaryCount(plain, p.check) + p.more);
        } else {
            EXPECT_EQ(SummaryCount(faulty, p.check), SummaryCount(plain, p.check));
        }
    }
    EXPECT_EQ(SummaryCount(faulty, "V zemi"), 1);
    // the planted ring closes one more region that no country matches
    auto unclosed = [](const std::string& text) {
        size_t at = text.rfind(Cz(" nezaplochovaných oblastí"));
        size_t start = text.rfind("\r\n", at) + 2;
        return at == std::string::npos ? -1 : std::stoi(text.substr(start, at - start));
    };
    EXPECT_EQ(unclosed(faulty), unclosed(plain) + 1);
    EXPECT_NE(faulty.find(Cz(" č.30  * Dolní Lutyně OKOLI 30\r\nBuňka mimo svou zemi")), std::string::npos);
}

}  // namespace
