#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/classes.h"
#include "test_support.h"

namespace {

class ListsTempDir : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(tmp_.Path().empty()); }
    TempDir tmp_{"lists_"};
    std::string dir_ = tmp_.Path() + "/";
};

template <class F>
std::string ListErrorOf(F f) {
    try {
        f();
    } catch (const EListError& e) {
        return e.Message();
    }
    return "no error";
}

}  // namespace

TEST(TListTest, BadIndexesRaiseListErrorWithTheIndex) {
    TList l;
    int a = 1, b = 2, c = 3;
    l.Add(&a);
    l.Add(&b);
    EXPECT_EQ(ListErrorOf([&] { l.Get(2); }), "List index out of bounds (2)");
    EXPECT_EQ(ListErrorOf([&] { l.Get(-1); }), "List index out of bounds (-1)");
    EXPECT_EQ(ListErrorOf([&] { l.Put(5, &c); }), "List index out of bounds (5)");
    EXPECT_EQ(ListErrorOf([&] { l.Delete(2); }), "List index out of bounds (2)");
    EXPECT_EQ(ListErrorOf([&] { l.Insert(3, &c); }), "List index out of bounds (3)");
    EXPECT_EQ(ListErrorOf([&] { l.Exchange(0, 2); }), "List index out of bounds (2)");
    TList empty;
    EXPECT_THROW(empty.First(), EListError);
    EXPECT_THROW(empty.Last(), EListError);
}

TEST(TListTest, InsertRemoveExchangeKeepOrder) {
    TList l;
    int v[4];
    l.Add(&v[0]);
    l.Add(&v[1]);
    l.Insert(2, &v[2]);      // at Count
    l.Insert(0, &v[3]);
    ASSERT_EQ(l.Count(), 4);
    EXPECT_EQ(l.First(), &v[3]);
    EXPECT_EQ(l.Last(), &v[2]);
    l.Add(&v[1]);            // duplicate: Remove takes the first
    EXPECT_EQ(l.Remove(&v[1]), 2);
    EXPECT_EQ(l.IndexOf(&v[1]), 3);
    EXPECT_EQ(l.Remove(nullptr), -1);
    l.Exchange(0, 3);
    EXPECT_EQ(l[0], &v[1]);
    EXPECT_EQ(l[3], &v[3]);
    l.Clear();
    EXPECT_EQ(l.Count(), 0);
}

TEST(TStringListTest, IndexOfAndNamesIgnoreCzechLetterCase) {
    TStringList l;
    int obj = 0;
    l.Add("alpha");
    l.AddObject(Cz("Škoda=Žlutá"), &obj);
    l.Add("novalue");
    l.Add("x=");
    EXPECT_EQ(l.IndexOf(Cz("šKODA=žlutá")), 1);
    EXPECT_EQ(l.IndexOf("beta"), -1);
    EXPECT_EQ(l.Objects(1), &obj);
    EXPECT_EQ(l.Names(1), Cz("Škoda"));
    EXPECT_EQ(l.Names(2), "");
    EXPECT_EQ(l.Values(Cz("ŠKODA")), Cz("Žlutá"));
    EXPECT_EQ(l.IndexOfName("X"), 3);
    EXPECT_EQ(l.Values("missing"), "");

    l.SetValue(Cz("škoda"), "1=2");          // replaces in place
    EXPECT_EQ(l.Strings(1), Cz("škoda=1=2"));
    EXPECT_EQ(l.Values(Cz("ŠKODA")), "1=2");
    l.SetValue("new", "v");                   // added
    EXPECT_EQ(l.Strings(4), "new=v");
    l.SetValue("NEW", "");                    // empty deletes
    EXPECT_EQ(l.Count(), 4);
    EXPECT_THROW(l.Strings(4), EListError);
}

TEST(TStringListTest, SortAndSortedLists) {
    TStringList l;
    for (const char* s : {"b", "C", "a", "B2", "b"}) l.Add(s);
    l.Sort();
    EXPECT_EQ(l.Text(), "a\r\nb\r\nb\r\nB2\r\nC\r\n");

    TStringList s;
    s.SetSorted(true);
    EXPECT_EQ(s.Add("delta"), 0);
    EXPECT_EQ(s.Add("Alpha"), 0);
    EXPECT_EQ(s.Add("charlie"), 1);
    EXPECT_EQ(s.Add("ALPHA"), 0);             // already held: not added again
    EXPECT_EQ(s.Count(), 3);
    EXPECT_EQ(s.IndexOf("CHARLIE"), 1);
    EXPECT_EQ(s.IndexOf("bravo"), -1);
    EXPECT_THROW(s.Insert(0, "x"), EListError);
    s.SetValue("b", "1");
    EXPECT_EQ(s.Strings(1), "b=1");
}

TEST(TStringListTest, TextSplitsAtEveryLineBreakKind) {
    TStringList l;
    l.SetText("a\r\nb\nc\rd\r\n\r\ne");
    ASSERT_EQ(l.Count(), 6);
    EXPECT_EQ(l[3], "d");
    EXPECT_EQ(l[4], "");
    EXPECT_EQ(l[5], "e");
    l.SetText("one\n");                        // a final break adds no empty line
    EXPECT_EQ(l.Count(), 1);
    l.SetText("\n\r");                         // LF then a lone CR: two empty lines
    EXPECT_EQ(l.Count(), 2);
    l.SetText("");
    EXPECT_EQ(l.Count(), 0);
    EXPECT_EQ(l.Text(), "");
}

TEST_F(ListsTempDir, SaveAndLoadKeepBytesAndWriteCrLf) {
    TStringList l;
    l.Add(Cz("Příliš žluťoučký kůň"));
    l.Add(std::string("\x01\xff", 2));
    l.Add("");
    const std::string path = dir_ + "list.txt";
    l.SaveToFile(path);
    EXPECT_EQ(ReadFile(path), Cz("Příliš žluťoučký kůň") + "\r\n" + std::string("\x01\xff", 2) + "\r\n\r\n");

    std::ofstream(path, std::ios::binary) << "x\ny\rz";
    TStringList r;
    r.LoadFromFile(path);
    EXPECT_EQ(r.Text(), "x\r\ny\r\nz\r\n");

    TMemoryStream m;
    m.Write("skip", 4);
    l.SaveToStream(m);
    m.SetPosition(4);
    r.LoadFromStream(m);
    EXPECT_EQ(r.Count(), 3);
    EXPECT_EQ(r[0], l[0]);
}

TEST_F(ListsTempDir, SavingThroughALinkReplacesItsTarget) {
    namespace fs = std::filesystem;
    fs::create_directory(dir_ + "real");
    std::ofstream(dir_ + "real/data.txt") << "old";
    fs::permissions(dir_ + "real/data.txt", fs::perms(0640));
    fs::create_symlink("real/data.txt", dir_ + "first");   // relative, through another link
    fs::create_symlink(dir_ + "first", dir_ + "link.txt");
    TStringList l;
    l.Add("new");
    l.SaveToFile(dir_ + "LINK.TXT");
    EXPECT_TRUE(fs::is_symlink(dir_ + "link.txt"));
    EXPECT_TRUE(fs::is_symlink(dir_ + "first"));
    EXPECT_EQ(ReadFile(dir_ + "real/data.txt"), "new\r\n");
    EXPECT_EQ(fs::status(dir_ + "real/data.txt").permissions(), fs::perms(0640));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_ + "real"), fs::directory_iterator()), 1);

    // A dangling link gets its file; a link loop is an error that leaves the links.
    fs::create_symlink("real/made.txt", dir_ + "dangling");
    TMemoryStream m;
    m.Write("abc", 3);
    m.SaveToFile(dir_ + "dangling");
    EXPECT_TRUE(fs::is_symlink(dir_ + "dangling"));
    EXPECT_EQ(ReadFile(dir_ + "real/made.txt"), "abc");
    fs::create_symlink("loop2", dir_ + "loop1");
    fs::create_symlink("loop1", dir_ + "loop2");
    EXPECT_THROW(l.SaveToFile(dir_ + "loop1"), EFCreateError);
    EXPECT_TRUE(fs::is_symlink(dir_ + "loop1"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 6);
}

TEST_F(ListsTempDir, FileErrorsNameTheFile) {
    TStringList l;
    const std::string missing = dir_ + "none.txt";
    try {
        l.LoadFromFile(missing);
        FAIL() << "no error";
    } catch (const EFOpenError& e) {
        EXPECT_NE(e.Message().find(missing), std::string::npos);
    }
    EXPECT_THROW(l.LoadFromFile(dir_), EFOpenError);   // a folder is no file
    const std::string bad = dir_ + "nofolder/x.txt";
    try {
        l.SaveToFile(bad);
        FAIL() << "no error";
    } catch (const EFCreateError& e) {
        EXPECT_NE(e.Message().find(bad), std::string::npos);
    }
    // A target that cannot be replaced leaves no temporary file behind.
    std::filesystem::create_directory(dir_ + "sub");
    EXPECT_THROW(l.SaveToFile(dir_ + "sub"), EFCreateError);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_),
                            std::filesystem::directory_iterator()), 1);
}
