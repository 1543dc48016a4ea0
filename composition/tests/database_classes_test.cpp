#include <gdal.h>
#include <ogr_api.h>

#include <cstdlib>

#include "composition/database_classes.h"
#include "kernel/tools.h"
#include "modelfile_test_util.h"
#include "platform/sysutils.h"

namespace {

struct Row {
    int id;
    const char* kod;
    const char* nazev;
};

// Writes a GeoPackage table ID, KOD, NAZEV (no geometry) with OGR; an index when asked.
void WriteTable(const std::string& path, const char* table, const std::vector<Row>& rows, const char* index = nullptr) {
    GDALAllRegister();
    GDALDriverH drv = GDALGetDriverByName("GPKG");
    GDALDatasetH ds = GDALOpenEx(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_UPDATE, nullptr, nullptr, nullptr);
    if (!ds) ds = GDALCreate(drv, path.c_str(), 0, 0, 0, GDT_Unknown, nullptr);
    ASSERT_NE(ds, nullptr);
    OGRLayerH l = GDALDatasetCreateLayer(ds, table, nullptr, wkbNone, nullptr);
    ASSERT_NE(l, nullptr);
    OGRFieldDefnH f = OGR_Fld_Create("ID", OFTInteger);
    OGR_L_CreateField(l, f, TRUE);
    OGR_Fld_Destroy(f);
    for (const char* name : {"KOD", "NAZEV"}) {
        f = OGR_Fld_Create(name, OFTString);
        OGR_Fld_SetWidth(f, 20);
        OGR_L_CreateField(l, f, TRUE);
        OGR_Fld_Destroy(f);
    }
    EXPECT_EQ(OGR_L_StartTransaction(l), OGRERR_NONE);
    for (const Row& r : rows) {
        OGRFeatureH feat = OGR_F_Create(OGR_L_GetLayerDefn(l));
        OGR_F_SetFieldInteger(feat, 0, r.id);
        OGR_F_SetFieldString(feat, 1, r.kod);
        OGR_F_SetFieldString(feat, 2, r.nazev);
        EXPECT_EQ(OGR_L_CreateFeature(l, feat), OGRERR_NONE);
        OGR_F_Destroy(feat);
    }
    EXPECT_EQ(OGR_L_CommitTransaction(l), OGRERR_NONE);
    if (index) GDALDatasetReleaseResultSet(ds, GDALDatasetExecuteSQL(ds, index, nullptr, nullptr));
    GDALClose(ds);
}

const std::vector<Row> kRows = {{1, "A", "Ostrava"}, {1, "B", "Opava"}, {2, "A", "Karviná"}, {3, "C", "Havířov"}};

class DatabaseClassTest : public mft::ModelFileTest {
protected:
    void SetUp() override {
        mft::ModelFileTest::SetUp();
        gpkg_ = Path("obce.gpkg");
        WriteTable(gpkg_, "obce", kRows);
    }
    TDatabaseClass* NewClass(TDSType type, const std::string& path, const std::string& source,
                             const std::string& keys = "ID;KOD", const std::string& name = "NAZEV") {
        TDatabaseClass* c = TDatabaseClass::New();
        c->SetName("Obce");
        c->DataSourceType = type;
        c->DataSourcePath = path;
        c->DataSource = source;
        c->AdressField = keys;
        c->NameField = name;
        return c;
    }
    int Beeps() {
        int n = 0;
        for (const std::string& s : HostLog()) n += s.rfind("MessageBeep", 0) == 0;
        return n;
    }
    std::string gpkg_;
};

TEST(FieldRoutine, FieldsEndAtSemicolons) {
    struct Case {
        const char* text;
        int n;
        const char* field;
    } cases[] = {{"1;A;", 1, "1"}, {"1;A;", 2, "A"}, {"1;A;", 3, ""}, {"abc", 1, "abc"}, {"abc", 2, ""},
                 {"a;b", 1, "a"}, {"a;b", 2, ""},   {";x;", 1, ""},   {";x;", 2, "x"},   {"", 1, ""},
                 {"a;", 0, ""}};
    for (const Case& c : cases) EXPECT_EQ(Field(c.text, c.n), c.field) << c.text << " " << c.n;
}

TEST_F(DatabaseClassTest, WalksRecordsAsVirtualElements) {
    TDatabaseClass* c = NewClass(dstTable, gpkg_, "obce");
    ASSERT_EQ(c->ElementsCount(), 4);
    EXPECT_FALSE(c->NoElements());
    EXPECT_EQ(c->GetPropertyCount(), 3);
    EXPECT_EQ(c->GetRecordSize(), 4 + 21 + 21);
    EXPECT_EQ(c->GetWholeSize(), 4 * 46);
    const char* addresses[] = {"1;A;", "1;B;", "2;A;", "3;C;"};
    for (int i = 0; i < 4; ++i) {
        auto* e = As<TVirtualElement>(c->Get(i));
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->GetName(), Cz(kRows[i].nazev));
        EXPECT_EQ(e->ElementAdress, addresses[i]);
        EXPECT_EQ(e->GetPropertyCount(), 3);
        EXPECT_EQ(e->GetInstanceSize(), 46);
        // A field by name, then the element's own properties.
        EXPECT_EQ(e->GetPropertyStringByName("kod"), kRows[i].kod);
        EXPECT_EQ(e->GetPropertyStringByName("ElementAdress"), addresses[i]);
    }
    EXPECT_EQ(c->Get(4), nullptr);
    EXPECT_EQ(Beeps(), 0);
    Free(c);
}

TEST_F(DatabaseClassTest, CachedElementIsReusedUntilOwned) {
    TDatabaseClass* c = NewClass(dstTable, gpkg_, "obce");
    TElement* first = c->Get(0);
    EXPECT_EQ(c->Get(1), first);
    TEntity* holder = TOwnerEntity::New();
    holder->AddElement(first);
    TElement* second = c->Get(2);
    EXPECT_NE(second, first);
    EXPECT_EQ(first->GetName(), Cz("Opava"));  // the owned one keeps its record
    EXPECT_EQ(As<TVirtualElement>(first)->ElementAdress, "1;B;");
    Free(c);
    // The class is gone: its elements read only their own properties.
    EXPECT_EQ(first->GetInstanceSize(), 0);
    EXPECT_EQ(first->GetPropertyStringByName("KOD"), "");
    Free(holder);
}

// Field lookups, IndexOf and FindElementName move the cursor; walking on still answers the
// next record, and a search finds records before the current one.
TEST_F(DatabaseClassTest, LookupsKeepTheWalkInOrder) {
    for (bool indexed : {false, true}) {
        SCOPED_TRACE(indexed);
        std::string path = Path(indexed ? "indexed.gpkg" : "plain.gpkg");
        WriteTable(path, "obce", kRows, indexed ? "CREATE INDEX obce_key ON obce(ID, KOD)" : nullptr);
        TDatabaseClass* c = NewClass(dstTable, path, "obce");
        if (indexed) c->SetIndexName("obce_key");
        auto* last = As<TVirtualElement>(c->Get(3));
        TEntity* holder = TOwnerEntity::New();
        holder->AddElement(last);
        auto* e = As<TVirtualElement>(c->Get(1));
        EXPECT_EQ(last->GetPropertyStringByName("NAZEV"), Cz("Havířov"));
        EXPECT_EQ(c->Get(2)->GetName(), Cz("Karviná"));
        EXPECT_EQ(c->IndexOf(last), 3);
        EXPECT_EQ(c->Get(0)->GetName(), "Ostrava");
        EXPECT_EQ(c->IndexOf(e), 0);  // e was reused for record 0
        c->Get(3);
        TVirtualElement probe;
        probe.ElementAdress = "1;b;";
        EXPECT_EQ(c->IndexOf(&probe), 1);  // behind the current record, any letter case
        probe.ElementAdress = "9;Z;";
        EXPECT_EQ(c->IndexOf(&probe), -1);
        c->AdressField = "ID";
        TElement* found = c->FindElementName("2");
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(found->GetName(), Cz("Karviná"));
        EXPECT_EQ(c->FindElementName("7"), nullptr);
        Free(c);
        Free(holder);
    }
}

TEST_F(DatabaseClassTest, TextTablesAndQueries) {
    mft::WriteFile(Path("obce.txt"), "ID,KOD,NAZEV\n1,A,Ostrava\n2,B,Opava\n");
    mft::WriteFile(Path("obce.csv"), "ID,KOD,NAZEV\n1,A,Ostrava\n2,B,Opava\n");
    struct Case {
        TDSType type;
        std::string path, source, sql;
        int count;
        std::string firstId, lastName;
    } cases[] = {
        {dstText, dir_, "obce.txt", "", 2, "1", "Opava"},
        {dstSQL, gpkg_, "", "SELECT * FROM obce WHERE ID > 1 ORDER BY ID DESC", 2, "3", Cz("Karviná")},
        {dstSQLdef, gpkg_, "", "SELECT ID, KOD, NAZEV FROM obce\nWHERE NAZEV LIKE 'O%'", 2, "1", "Opava"},
        // A text table through OGR's SQLite dialect.
        {dstSQL, Path("obce.csv"), "", "SELECT * FROM obce WHERE KOD = 'B'", 1, "2", "Opava"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.sql);
        TDatabaseClass* c = NewClass(k.type, k.path, k.source);
        c->SQL().SetText(k.sql);
        ASSERT_EQ(c->ElementsCount(), k.count) << c->LastError();
        EXPECT_EQ(c->Get(0)->GetPropertyStringByName("ID"), k.firstId);
        EXPECT_EQ(c->Get(k.count - 1)->GetName(), k.lastName);
        Free(c);
    }
    EXPECT_EQ(Beeps(), 0);
}

// Widths a text table's sidecar declares: sizes stay non-negative however wide they are.
TEST_F(DatabaseClassTest, SidecarWidthsGiveSizesThatDoNotOverflow) {
    struct Case {
        const char* types;
        int32_t recordSize;
    } cases[] = {
        {"Integer,String(10),String(20)", 4 + 11 + 21},
        {"Integer,String(2000000000),String(2000000000)", 4 + 2 * 65536},
        {"Integer,String(2147483647),Real", 4 + 65536 + 8},
        // a real of absurd precision reads as its number, not as a text of that width
        {"Real(99999999999.99999999),String,String", 8 + 256 + 256},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.types);
        mft::WriteFile(Path("wide.csv"), "ID,KOD,NAZEV\n1,A,Ostrava\n2,B,Opava\n");
        mft::WriteFile(Path("wide.csvt"), k.types);
        TDatabaseClass* c = NewClass(dstText, dir_, "wide.csv");
        ASSERT_EQ(c->ElementsCount(), 2) << c->LastError();
        EXPECT_EQ(c->GetRecordSize(), k.recordSize);
        EXPECT_EQ(c->GetWholeSize(), 2 * k.recordSize);
        EXPECT_EQ(c->Get(0)->GetPropertyStringByName("ID"), "1");
        Free(c);
    }
}

TEST_F(DatabaseClassTest, TextConnectionNameIsCutTo79Characters) {
    std::string name(100, 'x');
    TDatabaseClass* c = NewClass(dstText, dir_, name);
    EXPECT_EQ(c->ElementsCount(), 0);
    EXPECT_EQ(c->TextConnectionName(), name.substr(0, 79));
    Free(c);
}

// Every failure: no elements, RecordSize 0, a beep and a message naming the source and why.
TEST_F(DatabaseClassTest, FailuresAnswerNoElementsWithAReason) {
    // A database another connection holds an exclusive lock on.
    std::string locked = Path("locked.gpkg");
    WriteTable(locked, "obce", kRows);
    GDALDatasetH holder = GDALOpenEx(locked.c_str(), GDAL_OF_VECTOR | GDAL_OF_UPDATE, nullptr, nullptr, nullptr);
    ASSERT_NE(holder, nullptr);
    GDALDatasetReleaseResultSet(holder, GDALDatasetExecuteSQL(holder, "PRAGMA locking_mode = EXCLUSIVE", nullptr, nullptr));
    GDALDatasetReleaseResultSet(holder, GDALDatasetExecuteSQL(holder, "BEGIN EXCLUSIVE", nullptr, nullptr));
    struct Case {
        TDSType type;
        std::string path, source, sql, keys, names;
    } cases[] = {
        {dstTable, Path("missing.gpkg"), "obce", "", "ID", "missing.gpkg"},
        {dstTable, gpkg_, "chybi", "", "ID", "chybi"},
        {dstSQL, gpkg_, "", "SELEC * FROM obce", "ID", "obce.gpkg"},
        {dstTable, gpkg_, "obce", "", "ID;CISLO", "CISLO"},
        {dstTable, locked, "obce", "", "ID", "locked.gpkg"},
        {dstText, dir_, "missing.txt", "", "ID", "missing.txt"},
        {dstQBE, gpkg_, "obce", "", "ID", "QBE"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.names);
        ClearHostLog();
        TDatabaseClass* c = NewClass(k.type, k.path, k.source, k.keys);
        c->SQL().SetText(k.sql);
        EXPECT_EQ(c->ElementsCount(), 0);
        EXPECT_TRUE(c->NoElements());
        EXPECT_EQ(c->GetRecordSize(), 0);
        EXPECT_EQ(c->GetPropertyCount(), 0);
        EXPECT_EQ(c->Get(0), nullptr);
        EXPECT_EQ(c->FindElementName("1"), nullptr);
        EXPECT_GE(Beeps(), 1);
        EXPECT_NE(c->LastError().find(k.names), std::string::npos) << c->LastError();
        EXPECT_NE(c->LastError().find("Obce"), std::string::npos);
        Free(c);
    }
    GDALClose(holder);
    std::vector<std::string> notes = Texts(tm_TextNote);
    EXPECT_GE(notes.size(), std::size(cases));
    // The SQL error carries OGR's reason.
    bool syntax = false;
    for (const std::string& n : notes) syntax |= n.find("syntax") != std::string::npos;
    EXPECT_TRUE(syntax);
}

// A DataSourcePath that OGR opens as a PostgreSQL connection; only with a server at hand.
TEST_F(DatabaseClassTest, PostgreSQLConnection) {
    const char* pg = std::getenv("SUITE_TEST_PG");
    if (!pg || !*pg) GTEST_SKIP() << "no PostgreSQL server: set SUITE_TEST_PG to a connection string (PG:...)";
    TDatabaseClass* c = NewClass(dstSQL, pg, "", "N", "N");
    c->SQL().SetText("SELECT generate_series(1, 3) AS n");
    EXPECT_EQ(c->ElementsCount(), 3) << c->LastError();
    EXPECT_EQ(c->Get(2)->GetName(), "3");
    Free(c);
}

}  // namespace
