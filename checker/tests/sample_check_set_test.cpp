#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <tuple>

#include "../../outside/yesk/tests/script_world.h"
#include "checker/check_set_run.h"
#include "checker/check_tools.h"
#include "checker/folder_structure_checks.h"
#include "composition/modelfile.h"
#include "independent_counts.h"
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


// Every count of the summary (and the regions the border check finds) as computed from
// the GeoPackage without the suite, by each check's rule and tolerance.
std::map<std::string, int> IndependentCounts(const std::string& gpkg, bool faults) {
    using namespace independent;
    const std::string file = kSamples + "/data/" + gpkg;
    std::map<std::string, int> n;
    Geos geos;
    const std::vector<Feature> places = ReadLayer(file, "mista"), cells = ReadLayer(file, "okoli"),
                               roads = ReadLayer(file, "cesty"), countries = ReadLayer(file, "zeme"),
                               border = ReadLayer(file, "hranice");
    std::vector<GEOSGeometry*> cellAreas, countryAreas;
    for (const Feature& c : cells) cellAreas.push_back(geos.Area(c));
    for (const Feature& c : countries) countryAreas.push_back(geos.Area(c));

    for (size_t i = 0; i < places.size(); ++i) {
        const Feature& p = places[i];
        const std::string stat = Text(p, "stat");
        const double x = p.parts[0][0].first, y = p.parts[0][0].second;
        n["Stát"] += !(stat == "CZ" || stat == "PL");
        n["Název"] += Text(p, "nazev").empty();
        bool near = false;
        for (size_t k = 0; k < i && !near; ++k)
            near = std::hypot(places[k].parts[0][0].first - x, places[k].parts[0][0].second - y) < 300;
        n["Blízká místa"] += near;
        int father = FatherByKey(cells, "nazev", Text(p, "nazev"));
        n["V buňce"] += father >= 0 && !geos.Contains(cellAreas[static_cast<size_t>(father)], x, y);
    }

    n["Překryvy"] = OverlayFaults(geos, roads, 0.5);
    n["Napojení"] = LinkFaults(geos, roads);
    for (const Feature& r : roads) {
        const auto& pts = r.parts[0];
        n["Délka"] += !(Number(r, "delka") > 0);
        bool sharp = false, shortSegment = false;
        for (size_t v = 2; v < pts.size(); ++v) sharp = sharp || Angle(pts[v - 2], pts[v - 1], pts[v]) < 10;
        for (size_t v = 1; v < pts.size(); ++v) {
            double d = std::hypot(pts[v].first - pts[v - 1].first, pts[v].second - pts[v - 1].second);
            shortSegment = shortSegment || d < 1 || d > 1e9;
        }
        n["Úhly"] += sharp;
        n["Úseky"] += shortSegment;
    }

    // The cells, and in the set of the sample with faults the countries (loaded as their
    // fathers) too; a country has no area field and no father.
    std::vector<std::pair<const Feature*, GEOSGeometry*>> areas;
    for (size_t i = 0; i < cells.size(); ++i) areas.emplace_back(&cells[i], cellAreas[i]);
    if (faults)
        for (size_t i = 0; i < countries.size(); ++i) areas.emplace_back(&countries[i], countryAreas[i]);
    for (auto [a, area] : areas) {
        n["Plocha"] += a->fields.count("plocha") && !(Number(*a, "plocha") > 0);
        auto [x, y] = geos.ReferencePoint(area);
        n["Bod v ploše"] += !geos.Contains(area, x, y);
        if (!faults || a->fields.count("plocha") == 0) continue;
        int father = FatherByKey(countries, "stat", Text(*a, "stat"));
        n["V zemi"] += father >= 0 && !geos.Contains(countryAreas[static_cast<size_t>(father)], x, y);
    }

    // Regions the border closes that no country matches: a country holding the region's
    // reference point whose own reference point lies in the region.
    for (GEOSGeometry* region : Faces(geos, border, 0.01)) {
        auto [x, y] = geos.ReferencePoint(region);
        bool matched = false;
        for (GEOSGeometry* country : countryAreas) {
            auto [cx, cy] = geos.ReferencePoint(country);
            matched = matched || (geos.Contains(country, x, y) && geos.Contains(region, cx, cy));
        }
        n["unclosed"] += !matched;
    }
    return n;
}

// The protocols of both sample check sets count what the independent computation counts,
// check by check: a check that flags everything, or nothing, or the wrong elements fails.
TEST_F(SampleCheckSetTest, SummaryCountsMatchAnIndependentCount) {
    for (auto [set, gpkg, faults] : {std::tuple{"Kontroly.ZRX", "ostravsko.gpkg", false},
                                     std::tuple{"KontrolyChyb.ZRX", "ostravsko-faults.gpkg", true}}) {
        SCOPED_TRACE(set);
        const std::string text = RunSample(set);
        std::map<std::string, int> expected = IndependentCounts(gpkg, faults);
        for (const char* check : {"Stát", "Název", "Blízká místa", "V buňce", "Délka", "Překryvy", "Úhly", "Úseky",
                                  "Napojení", "Plocha", "Bod v ploše", "V zemi"}) {
            if (!faults && std::string(check) == "V zemi") continue;
            EXPECT_EQ(SummaryCount(text, check), expected[check]) << check;
        }
        size_t at = text.rfind(Cz(" nezaplochovaných oblastí"));
        ASSERT_NE(at, std::string::npos);
        size_t start = text.rfind("\r\n", at) + 2;
        EXPECT_EQ(std::stoi(text.substr(start, at - start)), expected["unclosed"]);
    }
}

}  // namespace
