#include <gtest/gtest.h>

#include <gdal.h>
#include <ogr_api.h>
#include <ogr_srs_api.h>

#include <cmath>
#include <fstream>
#include <string>
#include <vector>

#include "../../../kernel/tests/test_support.h"
#include "composition/composition.h"
#include "gravo/topology.h"
#include "kernel/property_access.h"
#include "composition/modelfile.h"
#include "kernel/kernel.h"
#include "platform/sysutils.h"
#include "quintel/quintel.h"
#include "space/space.h"
#include "yesk/yesk.h"

namespace {

struct Field {
    const char* name;
    OGRFieldType type;
};

// Writes one layer with GDAL's own writer: features as WKT and field values as text.
void WriteLayer(const std::string& path, const char* driver, const char* layerName, int epsg,
                OGRwkbGeometryType type, const std::vector<Field>& fields,
                const std::vector<std::pair<const char*, std::vector<const char*>>>& features, bool append = false) {
    GDALAllRegister();
    GDALDatasetH ds = append ? GDALOpenEx(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_UPDATE, nullptr, nullptr, nullptr)
                             : GDALCreate(GDALGetDriverByName(driver), path.c_str(), 0, 0, 0, GDT_Unknown, nullptr);
    ASSERT_NE(ds, nullptr) << path;
    OGRSpatialReferenceH srs = OSRNewSpatialReference(nullptr);
    OSRImportFromEPSG(srs, epsg);
    OSRSetAxisMappingStrategy(srs, OAMS_TRADITIONAL_GIS_ORDER);
    OGRLayerH layer = GDALDatasetCreateLayer(ds, layerName, srs, type, nullptr);
    ASSERT_NE(layer, nullptr);
    for (const Field& f : fields) {
        OGRFieldDefnH fd = OGR_Fld_Create(f.name, f.type);
        OGR_L_CreateField(layer, fd, TRUE);
        OGR_Fld_Destroy(fd);
    }
    for (const auto& [wkt, values] : features) {
        OGRFeatureH feature = OGR_F_Create(OGR_L_GetLayerDefn(layer));
        OGRGeometryH g = nullptr;
        char* text = const_cast<char*>(wkt);
        OGR_G_CreateFromWkt(&text, srs, &g);
        OGR_F_SetGeometryDirectly(feature, g);
        for (size_t i = 0; i < values.size(); ++i) OGR_F_SetFieldString(feature, static_cast<int>(i), values[i]);
        EXPECT_EQ(OGR_L_CreateFeature(layer, feature), OGRERR_NONE);
        OGR_F_Destroy(feature);
    }
    OSRDestroySpatialReference(srs);
    GDALClose(ds);
}

class LayerReading : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        RegisterCompositionClasses();
        RegisterGravoTopologyClasses();
    }
    void SetUp() override {
        const std::vector<Field> placeFields = {{"nazev", OFTString}, {"pocet", OFTInteger}, {"vyska", OFTReal}};
        WriteLayer(dir_.Path() + "/data.gpkg", "GPKG", "mista", 5514, wkbPoint, placeFields,
                   {{"POINT (-740000 -1040000)", {"Žďár", "120", "512.5"}},
                    {"POINT (-741000 -1041000)", {"Brno – město", "3", "210"}},
                    {"POINT (-900000 -1200000)", {"Daleko", "7", "0"}}});
        WriteLayer(dir_.Path() + "/data.gpkg", "GPKG", "plochy", 5514, wkbMultiPolygon, {{"druh", OFTInteger}},
                   {{"MULTIPOLYGON (((0 0,0 10,10 10,10 0,0 0),(4 4,6 4,6 6,4 6,4 4)),((20 0,21 0,21 1,20 0)))", {"4"}}},
                   true);
        WriteLayer(dir_.Path() + "/cesty.shp", "ESRI Shapefile", "cesty", 5514, wkbLineString, {{"trida", OFTInteger}},
                   {{"LINESTRING (0 0,30 40)", {"1"}}, {"LINESTRING (1 1,2 2,3 1)", {"2"}}});
        // The example point of the EPSG guidance for the Krovak projection, in WGS 84.
        std::ofstream(dir_.Path() + "/bod.geojson")
            << R"({"type":"FeatureCollection","features":[{"type":"Feature","properties":{"jmeno":"EPSG"},)"
               R"("geometry":{"type":"Point","coordinates":[16.8483268499,50.2082970924]}}]})";
    }
    void TearDown() override { DropQueue(); }

    // The model of the lines, the script's folder being the test folder.
    TRectEntity* Load(const std::vector<std::string>& lines, TModelByScriptCreator* creator = nullptr) {
        Owned<TModelScriptCreator> sc(TModelScriptCreator::New());
        sc->SetDataDirectory(dir_.Path());
        for (const std::string& l : lines) {
            if (l[0] == '@') sc->AddLayerProperty(l);
            else sc->AddLayerItem(l);
        }
        sc->DoIt();
        Owned<TElement> script(sc->Output);
        Owned<TModelByScriptCreator> own(creator ? nullptr : TModelByScriptCreator::New());
        TModelByScriptCreator* mc = creator ? creator : own.p;
        mc->SetInput(script);
        mc->DoIt();
        messages_ = mc->Messages();
        return As<TRectEntity>(mc->Output);
    }
    bool Said(const std::string& part) {
        for (const std::string& m : messages_)
            if (m.find(part) != std::string::npos) return true;
        return false;
    }

    TempDir dir_{"quintel"};
    std::vector<std::string> messages_;
};

TEST_F(LayerReading, ReadsGeoPackageShapefileAndGeoJsonLayers) {
    Owned<TRectEntity> model(Load({"MISTA=data.gpkg|mista|TEXT=nazev", "PLOCHY=%DATADIR%/data.gpkg|plochy|CODE=druh",
                                   "CESTY=cesty.shp", "BOD=bod.geojson"}));
    ASSERT_NE(model.p, nullptr);
    ASSERT_EQ(model->ElementsCount(), 4);
    EXPECT_TRUE(messages_.empty()) << messages_.front();

    auto* texts = As<TTextString>(model->Get(0));
    ASSERT_NE(texts, nullptr);
    ASSERT_EQ(texts->ElementsCount(), 3);
    TElement* place = texts->Get(0);
    EXPECT_EQ(place->ClassName(), "MISTA");
    EXPECT_EQ(static_cast<TTextElement*>(place)->GetText(), Cz("Žďár"));
    EXPECT_EQ(place->GetPropertyStringByName("NAZEV"), Cz("Žďár"));
    EXPECT_EQ(place->GetPropertyLongIntByName("pocet"), 120);
    EXPECT_EQ(place->GetPropertyStringByName("vyska"), FloatToStr(512.5));
    EXPECT_DOUBLE_EQ(static_cast<TTextElement*>(place)->GetX(), -740000);
    EXPECT_EQ(static_cast<TTextElement*>(texts->Get(1))->GetText(), Cz("Brno – město"));

    auto* areas = As<TAreaString>(model->Get(1));
    ASSERT_NE(areas, nullptr);
    ASSERT_EQ(areas->ElementsCount(), 1);
    auto* area = static_cast<TAreaElement*>(areas->Get(0));
    EXPECT_EQ(area->PartCount(), 3);
    EXPECT_DOUBLE_EQ(area->GetWholeArea(), 96.5);
    EXPECT_EQ(area->GetCode(), 4);

    auto* lines = As<TPolyLineString>(model->Get(2));
    ASSERT_NE(lines, nullptr);
    ASSERT_EQ(lines->ElementsCount(), 2);
    auto* line = static_cast<TPolyLineElement*>(lines->Get(1));
    EXPECT_EQ(line->GetVertices(), "1 1,2 2,3 1");
    EXPECT_EQ(line->GetPropertyLongIntByName("TRIDA"), 2);

    // The EPSG example: Westing 568991.00, Southing 1050538.63.
    auto* point = static_cast<TPointElement*>(As<TPointString>(model->Get(3))->Get(0));
    EXPECT_NEAR(point->GetX(), -568991.00, 0.5);
    EXPECT_NEAR(point->GetY(), -1050538.63, 0.5);
    EXPECT_DOUBLE_EQ(model->GetMinX(), -900000);
    EXPECT_DOUBLE_EQ(model->GetMaxX(), 30);
}

TEST_F(LayerReading, AreaAndConditionSelectFeatures) {
    struct {
        std::vector<std::string> lines;
        bool useArea;
        int count;
    } cases[] = {
        {{"M=data.gpkg|mista"}, true, 2},
        {{"M=data.gpkg|mista", "@CONDITION=(pocet > 5) AND (nazev <> 'Daleko')"}, false, 1},
        {{"@CONDITION=vyska < 300", "M=data.gpkg|mista"}, false, 2},
        {{"M=data.gpkg|mista", "@CONDITION=pocet >= 3"}, true, 2},
    };
    for (auto& c : cases) {
        TModelByScriptCreator* mc = TModelByScriptCreator::New();
        mc->SetArea(-735000, -1045000, -745000, -1035000);
        mc->UseArea = c.useArea;
        Owned<TRectEntity> model(Load(c.lines, mc));
        ASSERT_NE(model.p, nullptr) << c.lines.back();
        EXPECT_EQ(As<TEntity>(model->Get(0))->ElementsCount(), c.count) << c.lines.back();
        Free(mc);
    }
}

TEST_F(LayerReading, ALoadOpensEachSourceOnceAndFiltersEachLayer) {
    TModelByScriptCreator* mc = TModelByScriptCreator::New();
    mc->SetArea(-735000, -1045000, -745000, -1035000);
    mc->UseArea = true;
    int opened = LayerSourcesOpened();
    Owned<TRectEntity> model(Load({"A=data.gpkg|mista", "B=%DATADIR%/data.gpkg|plochy", "C=data.gpkg|mista",
                                   "D=bod.geojson", "E=data.gpkg|mista|TEXT=nazev"},
                                  mc));
    EXPECT_EQ(LayerSourcesOpened() - opened, 2);
    ASSERT_NE(model.p, nullptr);
    ASSERT_EQ(model->ElementsCount(), 5);
    // Two places lie in the sheet; the area and the far point do not.
    const int counts[] = {2, 0, 2, 0, 2};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(As<TEntity>(model->Get(i))->ElementsCount(), counts[i]) << i;
    Free(mc);
}

TEST_F(LayerReading, BadInputEndsOnlyThatLayer) {
    std::ofstream(dir_.Path() + "/zniceny.gpkg") << "SQLite format 3" << std::string(500, '\x01');
    std::ofstream(dir_.Path() + "/zniceny.geojson") << R"({"type":"FeatureCollection","features":[{"type":)";
    // A layer of mixed kinds loses nothing: one string and class per kind, named by suffix.
    std::ofstream(dir_.Path() + "/smiseny.geojson")
        << R"({"type":"FeatureCollection","features":[)"
           R"({"type":"Feature","properties":{"n":1},"geometry":{"type":"Point","coordinates":[1,2]}},)"
           R"({"type":"Feature","properties":{"n":2},"geometry":{"type":"LineString","coordinates":[[1,2],[3,4]]}},)"
           R"({"type":"Feature","properties":{"n":3},"geometry":null},)"
           R"({"type":"Feature","properties":{"n":4},"geometry":{"type":"GeometryCollection","geometries":[)"
           R"({"type":"Point","coordinates":[7,8]},{"type":"Polygon","coordinates":[[[0,0],[4,0],[4,4],[0,0]]]}]}},)"
           R"({"type":"Feature","properties":{"n":5},"geometry":{"type":"Point","coordinates":[5,6]}}]})";
    Owned<TRectEntity> mixed(Load({"S=smiseny.geojson"}));
    ASSERT_NE(mixed.p, nullptr);
    struct Kind {
        const char* name;
        TElementClass base;
        std::vector<std::string> n;
    };
    const Kind kinds[] = {{"S_Body", TPointElement::StaticClass(), {"1", "4", "5"}},
                          {"S_Linie", TPolyLineElement::StaticClass(), {"2"}},
                          {"S_Plochy", TAreaElement::StaticClass(), {"4"}}};
    ASSERT_EQ(mixed->ElementsCount(), 3);
    for (int i = 0; i < 3; ++i) {
        auto* string = As<TEntity>(mixed->Get(i));
        EXPECT_EQ(string->GetName(), kinds[i].name);
        std::vector<std::string> n;
        for (int32_t j = 0; j < string->ElementsCount(); ++j) {
            TElement* e = string->Get(j);
            EXPECT_EQ(e->ClassName(), kinds[i].name);
            EXPECT_TRUE(e->InheritsFrom(kinds[i].base));
            n.push_back(GetPropStringByName(e, "n"));
        }
        EXPECT_EQ(n, kinds[i].n) << kinds[i].name;
    }
    EXPECT_FALSE(Said(Cz("neodpovídá vrstvě")));
    EXPECT_TRUE(Said(Cz("Vrstva S: 1 prvků bez geometrie vynecháno")));
    Owned<TRectEntity> model(Load({"A=chybi.gpkg", "B=data.gpkg|neni", "C=zniceny.gpkg", "D=zniceny.geojson",
                                   "E=data.gpkg", "F=data.gpkg|mista", "@CONDITION=(pocet = ", "G=data.gpkg|mista",
                                   "@CONDITION=neznama = 1", "H=cesty.shp"}));
    ASSERT_NE(model.p, nullptr);
    ASSERT_EQ(model->ElementsCount(), 1);
    EXPECT_EQ(model->Get(0)->GetName(), "H");
    for (const char* part : {"Vrstva A nenačtena: soubor", "neexistuje", "Vrstva B nenačtena: soubor",
                             "nemá vrstvu neni", "Vrstva C nenačtena", "Vrstva D nenačtena", "Vrstva E nenačtena",
                             "vrstvu je třeba jmenovat", "Vrstva F nenačtena: chybná podmínka",
                             "Vrstva G nenačtena: podmínku nelze vyhodnotit"})
        EXPECT_TRUE(Said(Cz(part))) << part;
    EXPECT_EQ(Load({"A=chybi.gpkg"}), nullptr);
}

// A feature with a coordinate outside the sane range is skipped whole with a message
// naming the layer and the feature, and the load goes on (its topology too): in the
// national grid beyond 1e9 m, in a layer of its own units beyond 1e12.
TEST_F(LayerReading, AbsurdCoordinatesSkipTheFeature) {
    WriteLayer(dir_.Path() + "/poskozene.gpkg", "GPKG", "cesty", 5514, wkbMultiLineString, {{"n", OFTInteger}},
               {{"MULTILINESTRING ((0 0,10 0))", {"1"}},
                {"MULTILINESTRING ((1e216 1e216,10 0))", {"2"}},
                {"MULTILINESTRING ((10 0,1.6e308 -1.6e308))", {"3"}},
                {"MULTILINESTRING ((10 0,10 10),(10 10,-2e9 10))", {"4"}},
                {"MULTILINESTRING ((10 0,10 -9e8))", {"5"}}});
    WriteLayer(dir_.Path() + "/poskozene.gpkg", "GPKG", "plochy", 5514, wkbPolygon, {{"n", OFTInteger}},
               {{"POLYGON ((0 0,0 10,10 10,0 0),(1 1,1 2,1e300 1,1 1))", {"1"}}, {"POLYGON ((0 0,0 10,10 10,0 0))", {"2"}}},
               true);
    std::ofstream(dir_.Path() + "/vlastni.csv") << "WKT,n\n\"LINESTRING (0 0,5e11 5e11)\",1\n"
                                                   "\"LINESTRING (0 0,2e12 0)\",2\n";
    Owned<TRectEntity> model(Load({"CESTY=poskozene.gpkg|cesty", "@TOPOLOGY=1", "PLOCHY=poskozene.gpkg|plochy",
                                   "VLASTNI=vlastni.csv"}));
    ASSERT_NE(model.p, nullptr);
    ASSERT_EQ(model->ElementsCount(), 3);
    const std::vector<std::string> kept[] = {{"1", "5"}, {"2"}, {"1"}};
    for (int32_t i = 0; i < 3; ++i) {
        auto* string = As<TEntity>(model->Get(i));
        std::vector<std::string> n;
        for (int32_t j = 0; j < string->ElementsCount(); ++j) n.push_back(GetPropStringByName(string->Get(j), "n"));
        EXPECT_EQ(n, kept[i]) << string->GetName();
    }
    EXPECT_LE(model->Rect().Max.X, 5e11);
    for (const char* part : {"Vrstva CESTY: prvek 2 vynechán: souřadnice 1E216 1E216 mimo rozsah",
                             "Vrstva CESTY: prvek 3 vynechán", "Vrstva CESTY: prvek 4 vynechán",
                             "Vrstva PLOCHY: prvek 1 vynechán", "Vrstva VLASTNI: prvek 2 vynechán"})
        EXPECT_TRUE(Said(Cz(part))) << part;
    EXPECT_EQ(messages_.size(), 5u);
    EXPECT_NE(GravoPropsOf(As<TEntity>(model->Get(0))->Get(0)), nullptr);
}

TEST_F(LayerReading, LossyTextsAreToldOncePerLayer) {
    WriteLayer(dir_.Path() + "/cizi.geojson", "GeoJSON", "cizi", 4326, wkbPoint, {{"jmeno", OFTString}},
               {{"POINT (14.4 50.1)", {"Łódź €"}}, {"POINT (14.5 50.1)", {"日本"}}, {"POINT (14.6 50.1)", {"Æ"}}});
    Owned<TRectEntity> model(Load({"C=cizi.geojson"}));
    ASSERT_NE(model.p, nullptr);
    EXPECT_EQ(As<TEntity>(model->Get(0))->Get(0)->GetPropertyStringByName("jmeno"), Cz("Łódź €"));
    EXPECT_EQ(As<TEntity>(model->Get(0))->Get(1)->GetPropertyStringByName("jmeno"), "??");
    EXPECT_EQ(As<TEntity>(model->Get(0))->Get(2)->GetPropertyStringByName("jmeno"), "?");
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_NE(messages_[0].find("\"?\""), std::string::npos);
}

TEST_F(LayerReading, ModelFilesKeepLayerAttributes) {
    Owned<TRectEntity> model(Load({"MISTA2=data.gpkg|mista", "PL=data.gpkg|plochy"}));
    ASSERT_NE(model.p, nullptr);
    std::string file = dir_.Path() + "/model.zrx";
    Owned<TSave> saver(TSave::New(file));
    saver->SetInput(model);
    saver->DoIt();
    Owned<TLoad> loader(TLoad::New(file));
    loader->DoIt();
    Owned<TRectEntity> back(As<TRectEntity>(loader->Output));
    ASSERT_NE(back.p, nullptr);
    ASSERT_EQ(back->ElementsCount(), 2);
    TElement* place = As<TEntity>(back->Get(0))->Get(1);
    EXPECT_EQ(place->ClassName(), "MISTA2");
    EXPECT_EQ(place->GetPropertyStringByName("nazev"), Cz("Brno – město"));
    EXPECT_EQ(place->GetPropertyLongIntByName("pocet"), 3);
    auto* area = As<TAreaElement>(As<TEntity>(back->Get(1))->Get(0));
    ASSERT_NE(area, nullptr);
    auto* orig = static_cast<TAreaElement*>(As<TEntity>(model->Get(1))->Get(0));
    EXPECT_EQ(area->GetVertices(), orig->GetVertices());
    EXPECT_DOUBLE_EQ(area->GetRefX(), orig->GetRefX());
    EXPECT_EQ(area->GetPropertyLongIntByName("druh"), 4);
}

TEST_F(LayerReading, ScriptsRoundTripThroughStringLists) {
    Owned<TModelScriptCreator> sc(TModelScriptCreator::New());
    sc->SetDataDirectory("D:\\data");
    Owned<TStringListElement> input(TStringListElement::New());
    input->AddNameString("@CONDITION", "A=1");
    input->AddNameString("VODY", "%DATADIR%\\vody.shp");
    input->AddString("CESTY = /abs/cesty.gpkg|cesty ");
    sc->SetInput(input);
    sc->AddLayerProperty("@CONDITION=B=2");
    sc->DoIt();
    Owned<TModelScript> script(As<TModelScript>(sc->Output));
    ASSERT_EQ(script->Layers().size(), 2u);
    EXPECT_EQ(script->LayerFile(script->Layers()[0]), "D:\\data/vody.shp");
    EXPECT_EQ(script->LayerFile(script->Layers()[1]), "/abs/cesty.gpkg");
    EXPECT_EQ(script->Parameter(script->Layers()[0], "@condition"), "A=1");
    EXPECT_EQ(script->Parameter(script->Layers()[1], "@CONDITION"), "B=2");
    script->FillWildNames("E:\\jinde");
    EXPECT_EQ(script->LayerFile(script->Layers()[0]), "E:\\jinde/vody.shp");

    Owned<TStringListFromModelScript> back(TStringListFromModelScript::New());
    back->SetInput(script);
    back->DoIt();
    Owned<TStringListElement> list(As<TStringListElement>(back->Output));
    ASSERT_EQ(list->ElementsCount(), 4);
    EXPECT_EQ(list->GetSElems(2)->GetNameIsValue(), "CESTY=/abs/cesty.gpkg|cesty");
    EXPECT_EQ(list->GetSElems(3)->GetNameIsValue(), "@CONDITION=B=2");
}

}  // namespace

namespace {

TEST_F(LayerReading, SampleDataLoadsWithCzechNames) {
    std::string data = SAMPLE_DATA_DIR;
    Owned<TModelScriptCreator> sc(TModelScriptCreator::New());
    sc->SetDataDirectory(data);
    for (const char* l : {"ZEME=ostravsko.gpkg|zeme", "HRANICE=ostravsko.gpkg|hranice", "MISTA=ostravsko.gpkg|mista|TEXT=nazev",
                          "CESTY=ostravsko.gpkg|cesty", "OKOLI=ostravsko.gpkg|okoli"})
        sc->AddLayerItem(l);
    sc->DoIt();
    Owned<TElement> script(sc->Output);
    Owned<TModelByScriptCreator> mc(TModelByScriptCreator::New());
    mc->SetInput(script);
    mc->DoIt();
    Owned<TRectEntity> model(As<TRectEntity>(mc->Output));
    ASSERT_NE(model.p, nullptr);
    EXPECT_TRUE(mc->Messages().empty()) << mc->Messages().front();
    int counts[] = {2, 4, 200, 559, 200};  // the border's pieces are lines of their own
    for (int i = 0; i < 5; ++i) EXPECT_EQ(As<TEntity>(model->Get(i))->ElementsCount(), counts[i]) << i;
    EXPECT_DOUBLE_EQ(model->GetMinX(), -500000);
    EXPECT_DOUBLE_EQ(model->GetMaxY(), -1075000);
    bool czech = false;
    auto* places = As<TEntity>(model->Get(2));
    for (int32_t i = 0; i < places->ElementsCount(); ++i)
        czech |= static_cast<TTextElement*>(places->Get(i))->GetText() == Cz("Třinec");
    EXPECT_TRUE(czech);
}

}  // namespace

namespace {

TEST_F(LayerReading, TopologyAsTheScriptAsks) {
    std::string data = SAMPLE_DATA_DIR;
    Owned<TModelScriptCreator> sc(TModelScriptCreator::New());
    sc->SetDataDirectory(data);
    sc->AddLayerItem("ZEME=ostravsko.gpkg|zeme");
    sc->AddLayerItem("CESTY=ostravsko.gpkg|cesty");
    sc->AddLayerProperty("@TOPOLOGY=1");
    sc->AddLayerProperty("@AREAS=OKOLI");
    sc->AddLayerItem("OKOLI=ostravsko.gpkg|okoli");
    sc->AddLayerProperty("@TOPOLOGY=1");
    sc->AddLayerProperty("@FATHER=ZEME");
    sc->DoIt();
    Owned<TElement> script(sc->Output);
    Owned<TModelByScriptCreator> mc(TModelByScriptCreator::New());
    mc->SetInput(script);
    mc->DoIt();
    Owned<TRectEntity> model(As<TRectEntity>(mc->Output));
    ASSERT_NE(model.p, nullptr);
    EXPECT_TRUE(mc->Messages().empty()) << mc->Messages().front();
    EXPECT_EQ(GravoPropsOf(As<TEntity>(model->Get(0))->Get(0)), nullptr);  // not asked for
    auto* roads = As<TEntity>(model->Get(1));
    int linked = 0;
    for (int32_t i = 0; i < roads->ElementsCount(); ++i) {
        TGravoProps* p = GravoPropsOf(roads->Get(i));
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->Number, i + 1);
        TLineLinks l = ReadLinkRecord(p->LinkRecord);
        linked += l.A > 0 && l.B > 0 && l.A != p->Number && l.B != p->Number;
        ASSERT_NE(p->GetTopology(), nullptr);
        EXPECT_NE(p->GetTopology()->AreaTree(), nullptr);
    }
    EXPECT_GT(linked, roads->ElementsCount() / 2);  // a network: most roads join others at both ends
    auto* cells = As<TEntity>(model->Get(2));
    int fathers = 0;
    for (int32_t i = 0; i < cells->ElementsCount(); ++i) {
        auto* p = As<TGravoAreaProps>(GravoPropsOf(cells->Get(i)));
        ASSERT_NE(p, nullptr);
        if (p->FatherIndex < 0) continue;
        ++fathers;
        EXPECT_NE(As<TAreaElement>(p->GetTopology()->GetElement('P', p->FatherIndex)), nullptr);
    }
    EXPECT_GT(fathers, 190);  // each cell lies in its country
}

}  // namespace
