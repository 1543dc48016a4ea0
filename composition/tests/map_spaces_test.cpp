#include "composition/map_spaces.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>

#include "platform/classes.h"
#include "sheets_test_util.h"

namespace sheets {
namespace {

// A root with the 1:50000 sheets of grid columns 11..13 and rows 34..35. The sheet X at
// (12, 34) runs over x -325000..-300000, y -700000..-680000; nothing lies above row 34.
class MapSpacesTest : public SheetsTest {
protected:
    void SetUp() override {
        SheetsTest::SetUp();
        root = TSMO::New();
        for (int c = 11; c <= 13; ++c)
            for (int r = 34; r <= 35; ++r) {
                bool x = c == 12 && r == 34;
                root->AddSheetFromList(c, r, x ? "X" : Format("S%d%d", c, r), x ? "ABCD" : Format("%d%d", c, r));
            }
        X = FindSheetAt(root, -310000, -690000);
    }
    void TearDown() override {
        Free(root);
        SheetsTest::TearDown();
    }
    TSMO* root = nullptr;
    TSMO_50* X = nullptr;
};

struct Series {
    const char* what;
    TMapSpace* sheet;
    double minX, minY, maxX, maxY;
    const char* name;
    const char* colRow;
    const char* fullName;
    const char* neighbours[4];      // top, bottom, left, right
    const char* fullNeighbours[4];
};

TEST_F(MapSpacesTest, EverySeriesHasItsRectangleNamesAndNeighbours) {
    ASSERT_NE(X, nullptr);
    TSMO_10* s10 = X->GetDetail10(3, 5);
    EXPECT_EQ(X->GetDetail10(2, 4), s10);
    TSMO_5* s5 = s10->GetDetail(3, 4);
    TSMO_2* s2 = s5->GetDetail(1, 0);
    TSMO_25* s25 = X->GetDetail25(7, 2);
    TSMO_5* corner = X->GetDetail10(0, 0)->GetDetail(0, 0);
    Series series[] = {
        {"1:50000", X, -325000, -700000, -300000, -680000, "X", "", "X  ",
         {"", "S1235", "S1334", "S1134"}, {"Není", "S1235  ", "S1334  ", "S1134  "}},
        {"1:25000", s25, -325000, -690000, -312500, -680000, "ABCD25-1", "25-1", "X  25-1",
         {"", "ABCD25-3", "133425-2", "ABCD25-2"}, {"", "X  25-3", "S1334  25-2", "X  25-2"}},
        {"1:10000", s10, -310000, -692000, -305000, -688000, "ABCD 2-4", "2-4", "X  2-4",
         {"ABCD 2-2", "ABCD 2-6", "ABCD 4-4", "ABCD 0-4"}, {"X    2-2", "X    2-6", "X    4-4", "X    0-4"}},
        {"1:5000", s5, -310000, -690000, -307500, -688000, "ABCD 3-4", "3-4", "X  3-4",
         {"ABCD 3-3", "ABCD 3-5", "ABCD 4-4", "ABCD 2-4"}, {"X    3-3", "X    3-5", "X    4-4", "X    2-4"}},
        {"1:5000 at the corner", corner, -302500, -682000, -300000, -680000, "ABCD 0-0", "0-0", "X  0-0",
         {"", "ABCD 0-1", "ABCD 1-0", "1134 9-0"}, {"", "X    0-1", "X    1-0", "S1134    9-0"}},
        {"1:2000", s2, -310000, -689000, -308750, -688000, "ABCD 3-4 / 1", "3-4 / 1", "X  3-4 / 1",
         {"ABCD 3-3 / 3", "ABCD 3-4 / 3", "ABCD 4-4 / 2", "ABCD 3-4 / 2"},
         {"X    3-3 / 3", "X    3-4 / 3", "X    4-4 / 2", "X    3-4 / 2"}},
    };
    for (const Series& s : series) {
        SCOPED_TRACE(s.what);
        TMapSpace* m = s.sheet;
        EXPECT_DOUBLE_EQ(m->GetMinX(), s.minX);
        EXPECT_DOUBLE_EQ(m->GetMinY(), s.minY);
        EXPECT_DOUBLE_EQ(m->GetMaxX(), s.maxX);
        EXPECT_DOUBLE_EQ(m->GetMaxY(), s.maxY);
        EXPECT_EQ(m->GetName(), s.name);
        EXPECT_EQ(m->GetColRowText(), s.colRow);
        EXPECT_EQ(m->GetFullName(), s.fullName);
        EXPECT_EQ(m->GetRoot(), root);
        std::string names[] = {m->GetTopMSName(), m->GetBottomMSName(), m->GetLeftMSName(), m->GetRightMSName()};
        std::string full[] = {m->GetTopMSFullName(), m->GetBottomMSFullName(), m->GetLeftMSFullName(),
                              m->GetRightMSFullName()};
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(names[i], s.neighbours[i]) << i;
            EXPECT_EQ(full[i], Cz(s.fullNeighbours[i])) << i;
        }
    }
    EXPECT_EQ(s2->GetCislo(), 1);
    EXPECT_EQ(s25->GetCislo(), 1);
    EXPECT_EQ(s25->GetCol(), 5);
    EXPECT_EQ(s25->GetRow(), 0);
    EXPECT_DOUBLE_EQ(s5->GetPageWidth(), 0.5);
    EXPECT_DOUBLE_EQ(s5->GetPageHeight(), 0.4);

    // Neighbour sheets exist only once made.
    EXPECT_EQ(X->TopSheet(), nullptr);
    EXPECT_EQ(X->RightSheet(), FindSheetAt(root, -290000, -690000));
    EXPECT_EQ(s5->TopSheet(), nullptr);
    TSMO_5* above = X->GetDetail10(3, 3)->GetDetail(3, 3);
    EXPECT_EQ(s5->TopSheet(), above);
    EXPECT_EQ(s10->TopSheet(), X->FindDetail10(2, 2));
    EXPECT_EQ(s25->BottomSheet(), nullptr);
    TSMO_25* q2 = X->GetDetail25(2, 2);
    EXPECT_EQ(s25->RightSheet(), q2);
    EXPECT_EQ(s2->TopSheet(), nullptr);
}

TEST_F(MapSpacesTest, QuadrantsAndTheHalvesOfA5000Sheet) {
    struct Q {
        int c, r, quadrant;
    } quadrants[] = {{7, 2, 1}, {2, 2, 2}, {7, 7, 3}, {2, 7, 4}, {5, 4, 1}, {4, 5, 4}};
    for (const Q& q : quadrants) EXPECT_EQ(QuadrantOf(q.c, q.r), q.quadrant) << q.c << "," << q.r;
    struct H {
        int s, t, n;
    } halves[] = {{1, 0, 1}, {0, 0, 2}, {1, 1, 3}, {0, 1, 4}};
    TSMO_5* s5 = X->GetDetail10(3, 4)->GetDetail(3, 4);
    for (const H& h : halves) {
        TSMO_2* d = s5->GetDetail(h.s, h.t);
        EXPECT_EQ(d->GetCislo(), h.n);
        EXPECT_EQ(d->GetName(), "ABCD 3-4 / " + IntToStr(h.n));
        // The point in its middle names it.
        TSheetCell cell = SheetCellAt(X, d->GetCenterX(), d->GetCenterY());
        EXPECT_EQ(cell.Number2, h.n);
    }
    s5->CreateDetail();
    EXPECT_EQ(s5->GetMatrix()->GetWholeCount() - s5->ColumnCount(), 4);
}

TEST_F(MapSpacesTest, SheetNamesAtAPointInsideAtTheEdgeAndOutside) {
    struct Case {
        double x, y;
        const char *n50, *q, *n5, *n10, *n2;
    } cases[] = {
        {-309375, -688500, "X", "2", "ABCD 3-4", "ABCD 2-4", " / 1"},
        {-318750, -695000, "X", "3", "ABCD 7-7", "ABCD 6-6", " / 3"},
        // Within half a metre of the min edges: the last cell, not one beyond.
        {-324999.7, -699999.7, "X", "3", "ABCD 9-9", "ABCD 8-8", " / 3"},
        {-300000.3, -680000.3, "X", "2", "ABCD 0-0", "ABCD 0-0", " / 2"},
        {-290000, -710000, "S1135", "3", "1135 6-5", "1135 6-4", " / 2"},
        {-500000, -690000, " ", " ", " ", " ", " "},
        {-300000, -690000, " ", " ", " ", " ", " "},  // on the boundary of two columns
    };
    for (const Case& c : cases) {
        TSheetNames n = SheetNamesAt(root, c.x, c.y);
        EXPECT_EQ(n.Name50, c.n50) << c.x;
        EXPECT_EQ(n.Quadrant25, c.q) << c.x;
        EXPECT_EQ(n.Name5, c.n5) << c.x;
        EXPECT_EQ(n.Name10, c.n10) << c.x;
        EXPECT_EQ(n.Suffix2, c.n2) << c.x;
    }
    // The edge cell makes a sheet inside its parent.
    TSheetCell cell = SheetCellAt(X, -324999.7, -699999.7);
    TSMO_10* d = X->GetDetail10(cell.Col, cell.Row);
    EXPECT_DOUBLE_EQ(d->GetMinX(), X->GetMinX());
    EXPECT_DOUBLE_EQ(d->GetMinY(), X->GetMinY());
}

TEST_F(MapSpacesTest, DetailsAreMadeOnceAndCopiesLeaveTheSourceAlone) {
    X->CreateDetail();
    EXPECT_EQ(X->GetClassCount(TSMO_25::StaticClass()), 4);
    X->CreateDetail25();  // four more
    EXPECT_EQ(X->GetClassCount(TSMO_25::StaticClass()), 8);
    int32_t tens = 0;
    for (int32_t i = 0; i < X->ColumnCount(); ++i) tens += X->Column(i)->ElementsCount();
    EXPECT_EQ(tens, 25);
    EXPECT_EQ(X->GetDetail25(0, 0), X->FindDetail25(0, 0));

    // A 1:10000 copy: named " ", with four new 1:5000 sheets; the source has none.
    TSMO_10* s10 = X->GetDetail10(4, 6);
    auto* c10 = static_cast<TSMO_10*>(GetObjectProp(s10, *GetPropInfo(s10, "SelfCopyWithDetail")));
    EXPECT_EQ(c10->ClassType(), TSMO_10::StaticClass());
    EXPECT_EQ(c10->GetName(), " ");
    EXPECT_EQ(c10->GetCol(), 4);
    EXPECT_EQ(c10->FindDetail(5, 7)->GetName(), "ABCD 5-7");
    EXPECT_TRUE(s10->IsEmpty());
    EXPECT_EQ(c10->GetRoot(), nullptr);
    EXPECT_EQ(c10->GetTopMSName(), "");
    Free(c10);

    // A 1:25000 copy gathers the existing 1:5000 sheets and stays among the root's
    // children, so it keeps its neighbours and full name.
    TSMO_25* q = X->GetDetail25(7, 7);  // Col 5, Row 5
    X->GetDetail10(6, 6)->CreateDetail();
    X->GetDetail10(8, 8)->GetDetail(9, 9);
    int32_t rootChildren = root->ElementsCount();
    for (int round = 0; round < 2; ++round) {
        TMapSpace* c25 = q->GetSelfCopyWithDetail();
        EXPECT_EQ(c25->GetName(), " ");
        EXPECT_EQ(c25->GetClassCount(TSMO_5::StaticClass()), 5);
        EXPECT_EQ(root->ElementsCount(), rootChildren + 1);
        EXPECT_EQ(c25->GetRoot(), root);
        EXPECT_EQ(c25->GetFullName(), root->GetName() + "  25-3");  // the root is its nearest 1:50000 sheet
        EXPECT_EQ(c25->GetTopMSName(), q->GetTopMSName());
        Free(c25);
        EXPECT_EQ(root->ElementsCount(), rootChildren);
    }
    EXPECT_TRUE(IsLive(X->FindDetail5(9, 9)));
    q->CollectDetail5();
    q->CollectDetail5();
    EXPECT_EQ(q->GetClassCount(TSMO_5::StaticClass()), 5);

    TMapSpace* c50 = X->GetSelfCopyWithDetail25();
    EXPECT_EQ(c50->GetClassCount(TSMO_25::StaticClass()), 4);
    EXPECT_TRUE(c50->IsEmpty());
    Free(c50);
}

TEST_F(MapSpacesTest, PlainUserAndBaseMapSpaces) {
    TMapSpace* plain = TMapSpace::New();
    plain->SetRect(0, 0, 100, 100);
    plain->SetScale(5000);
    EXPECT_EQ(plain->GetScale(), 0);
    EXPECT_EQ(plain->GetPageWidth(), 0);
    plain->SetZkratka("ABCDEF");
    EXPECT_EQ(plain->GetZkratka(), "ABCD");
    EXPECT_EQ(plain->GetTopMSName(), "");
    EXPECT_EQ(plain->GetFullName(), "");
    Free(plain);

    TUserMapSpace* user = TUserMapSpace::New();
    user->SetRect(0, 0, 100, 50);
    user->SetScale(1000);
    EXPECT_DOUBLE_EQ(user->GetPageWidth(), 0.1);
    Free(user);

    // Another element named ZM is not the base-map sheet.
    TZMSpace* zs = TZMSpace::New();
    TRectEntity* impostor = TRectEntity::New();
    impostor->SetName("ZM");
    zs->AddElement(impostor);
    TMapsZM* zm = zs->GetZM();
    EXPECT_NE(static_cast<TElement*>(zm), impostor);
    EXPECT_EQ(zm->GetName(), "ZM");
    EXPECT_EQ(zs->GetZM(), zm);
    zs->SetScale(24999.6);
    EXPECT_EQ(zm->GetScale(), 25000);
    TMapsZM* other = TMapsZM::New();
    other->SetScale(10000);
    other->SetMap200(3);
    other->SetMap100(2);
    other->SetMap50(4);
    other->SetMap10(7);
    other->SetColor(0xFF);
    zs->AssignZM(other);
    zs->AssignZM(zm);
    EXPECT_EQ(zm->GetMapName(), "03-24-07");
    EXPECT_EQ(zm->GetColor(), 0xFF);
    EXPECT_DOUBLE_EQ(zs->GetAngle(), other->GetAngle());
    EXPECT_DOUBLE_EQ(zs->GetScale(), 10000);
    Free(other);
    Free(zs);
}

TEST_F(MapSpacesTest, OldStoredFormHoldsColAndRowTwiceFrom5000Down) {
    auto save = [](TElement* e) {
        TMemoryStream stream;
        {
            TWriter w(stream);
            e->Save(w);
        }
        return std::string(reinterpret_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
    };
    // A record without the class name the loader reads.
    auto body = [](const std::string& b) { return b.substr(2 + static_cast<unsigned char>(b[1])); };
    const std::string colRow("\x03\0\0\0\x04\0\0\0", 8);
    struct Case {
        TSMO_2* sheet;
        double scale;
        int copies;
    } cases[] = {{TSMO_2::New(), 2000, 1}, {TSMO_5::New(), 5000, 2}, {TSMO_50::New(), 50000, 2}};
    for (const Case& c : cases) {
        c.sheet->SetName("N");
        c.sheet->SetRect(1, 2, 3, 4);
        c.sheet->SetCislo(7);
        c.sheet->SetZkratka("AB");
        c.sheet->SetSelected(true);
        c.sheet->SetCol(3);
        c.sheet->SetRow(4);
        // The expected record: the space tree's part, then the map space's values.
        TSpaceTree* tree = TSpaceTree::New();
        tree->SetName("N");
        tree->SetRect(1, 2, 3, 4);
        std::string treePart = save(tree);
        Free(tree);
        TMemoryStream values;
        {
            TWriter w(values);
            w.WriteInteger(7);
            w.WriteString("AB");
            w.WriteBoolean(true);
            w.WriteFloat(c.scale);
        }
        std::string expected = body(treePart) +
                               std::string(reinterpret_cast<const char*>(values.Memory()), values.Size());
        for (int i = 0; i < c.copies; ++i) expected += colRow;
        std::string bytes = save(c.sheet);
        EXPECT_EQ(body(bytes), expected) << c.scale;

        // Read back (the class name is the loader's).
        TMemoryStream in;
        in.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
        in.SetPosition(0);
        auto* back = static_cast<TSMO_2*>(c.sheet->ClassType()->CreateInstance());
        {
            TReader r(in);
            r.ReadString();
            back->Load(r, nullptr);
            EXPECT_EQ(r.Position(), static_cast<int64_t>(bytes.size()));
        }
        EXPECT_EQ(back->GetCol(), 3);
        EXPECT_EQ(back->GetRow(), 4);
        EXPECT_EQ(back->GetZkratka(), "AB");
        EXPECT_TRUE(back->GetSelected());
        Free(back);
        Free(c.sheet);
    }
}

TEST_F(MapSpacesTest, SheetListFieldsFollowTheSecondLine) {
    std::string path = testing::TempDir() + "maplsmo_test.txt";
    auto write = [&](const std::string& text) { std::ofstream(path, std::ios::binary) << text; };
    TSMO* list = TSMO::New();

    write("header\r\n 12 34 ABCD Name of sheet\r\n");
    list->ReadSheetList(path);
    TSMO_50* s = FindSheetAt(list, -310000, -690000);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->GetZkratka(), "ABCD");
    EXPECT_EQ(s->GetName(), "Name of sheet");
    EXPECT_DOUBLE_EQ(s->GetMinX(), -325000);
    EXPECT_DOUBLE_EQ(s->GetMaxY(), -680000);
    Free(list);

    // Tabs count as one position each; names are cut at 30 and keep trailing blanks.
    list = TSMO::New();
    write("col row\n\t01\t02\tAB  \tA name that is longer than thirty characters\n"
          "\t03\t04\tCD  \tShort  \n");
    list->ReadSheetList(path);
    TSMO_50* a = FindSheetAt(list, -30000, -50000);
    TSMO_50* b = FindSheetAt(list, -80000, -90000);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->GetName(), "A name that is longer than thi");
    EXPECT_EQ(a->GetZkratka(), "AB  ");
    EXPECT_EQ(b->GetName(), "Short  ");
    Free(list);

    // A bad line raises naming the file and line; the sheets before it stay.
    list = TSMO::New();
    write("h\n01 01 AAAA One\n02 01 BBBB Two\nxx 01 CCCC Bad\n04 01 DDDD Four\n");
    try {
        list->ReadSheetList(path);
        ADD_FAILURE() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_NE(e.Message().find(path), std::string::npos);
        EXPECT_NE(e.Message().find(Cz("řádek 4")), std::string::npos) << e.what();
    }
    EXPECT_EQ(list->GetMatrix()->GetWholeCount(), 4);  // two columns of one sheet each
    EXPECT_THROW(list->ReadSheetList(path + ".missing"), EInOutError);
    Free(list);
    std::remove(path.c_str());
}

}  // namespace
}  // namespace sheets

namespace sheets {
namespace {

// The bundled sheet list covers the sample data around Ostrava.
TEST_F(SheetsTest, BundledSheetListCoversTheSampleRegion) {
    const char* data = std::getenv("SUITE_TEST_DATA");
    ASSERT_NE(data, nullptr);
    TSMO* root = TSMO::New();
    root->ReadSheetList(std::string(data) + "/../../../samples/service/MAPLSMO.txt");
    EXPECT_EQ(root->ColumnCount(), 3);
    EXPECT_DOUBLE_EQ(root->GetMinX(), -500000);
    EXPECT_DOUBLE_EQ(root->GetMaxY(), -1060000);
    EXPECT_LE(root->GetMinY(), -1135000);
    TSheetNames n = SheetNamesAt(root, -470650, -1101659);  // Ostrava
    EXPECT_EQ(n.Name50, "Ostrava");
    EXPECT_EQ(n.Name5, "OSTR 8-0");
    EXPECT_EQ(FindSheetAt(root, -440000, -1130000)->GetName(), Cz("Třinec"));
    Free(root);
}

}  // namespace
}  // namespace sheets
