#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include <sys/stat.h>

#include "platform/inifiles.h"
#include "test_support.h"

namespace {

class IniTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(tmp_.Path().empty()); }
    void Put(const std::string& bytes) { std::ofstream(path_, std::ios::binary) << bytes; }
    std::string Get() const { return ReadFile(path_); }
    size_t FilesInDir() const {
        return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(dir_),
                                                 std::filesystem::directory_iterator()));
    }
    TempDir tmp_{"ini_"};
    std::string dir_ = tmp_.Path() + "/";
    std::string path_ = dir_ + "TEST.INI";
};

}  // namespace

TEST_F(IniTest, MissingFileOrKeyGivesTheDefault) {
    TIniFile ini(path_);
    EXPECT_EQ(ini.FileName(), path_);
    EXPECT_EQ(ini.ReadString("Options", "Key", "def"), "def");
    EXPECT_EQ(ini.ReadInteger("Options", "Key", -7), -7);
    EXPECT_TRUE(ini.ReadBool("Options", "Key", true));
    EXPECT_FALSE(ini.SectionExists("Options"));
    TStringList l;
    l.Add("stale");
    ini.ReadSection("Options", l);
    EXPECT_EQ(l.Count(), 0);
    ini.EraseSection("Options");                // nothing to erase: no file made
    ini.DeleteKey("Options", "Key");
    EXPECT_FALSE(std::filesystem::exists(path_));

    Put("[Options]\r\nOther=1\r\nEmpty=\r\nNum= abc\r\n");
    EXPECT_EQ(ini.ReadString("Options", "Key", "def"), "def");
    EXPECT_EQ(ini.ReadString("Other", "Other", "def"), "def");
    EXPECT_EQ(ini.ReadString("Options", "Empty", "def"), "");   // present but empty
    EXPECT_EQ(ini.ReadInteger("Options", "Num", 5), 5);
    EXPECT_EQ(ini.ReadInteger("Options", "Empty", 5), 5);
    EXPECT_TRUE(ini.ValueExists("Options", "EMPTY"));
    EXPECT_FALSE(ini.ValueExists("Options", "Key"));
}

TEST_F(IniTest, NamesIgnoreCaseAndValuesAreTrimmedAndUnquoted) {
    Put(Cz("; comment\n[ Možnosti ]\n  Klíč  =   hodnota s mezerou   \nQ1=\"  in quotes \"\n"
           "Q2='x'\nQ3=\"mixed'\nQ4=\"\nHex=$1F\nB=2\nB=3\nZero=0\n"));
    TIniFile ini(path_);
    EXPECT_EQ(ini.ReadString(Cz("MOŽNOSTI"), Cz("KLÍČ"), ""), Cz("hodnota s mezerou"));
    EXPECT_EQ(ini.ReadString(Cz("možnosti"), "q1", ""), "  in quotes ");
    EXPECT_EQ(ini.ReadString(Cz("možnosti"), "q2", ""), "x");
    EXPECT_EQ(ini.ReadString(Cz("možnosti"), "q3", ""), "\"mixed'");
    EXPECT_EQ(ini.ReadString(Cz("možnosti"), "q4", ""), "\"");
    EXPECT_EQ(ini.ReadInteger(Cz("Možnosti"), "hex", 0), 31);
    EXPECT_EQ(ini.ReadInteger(Cz("Možnosti"), "b", 0), 2);        // the first one counts
    EXPECT_TRUE(ini.ReadBool(Cz("Možnosti"), "B", false));
    EXPECT_FALSE(ini.ReadBool(Cz("Možnosti"), "Zero", true));
    EXPECT_EQ(ini.ReadString(Cz("Možnosti"), "; comment", "no"), "no");
}

TEST_F(IniTest, WritesGoStraightToTheFileKeepingEverythingElse) {
    // A comment with Czech letters and a byte that is no letter at all.
    const std::string head = "preamble line\r\n" + Cz("; komentář ") + "\xA0\x81\r\n";
    const std::string before = head + "[A]\nx=1\n; inner comment\nnot a key\n\n[B]\r\ny = old \r\n";
    Put(before);
    TIniFile ini(path_);
    ini.WriteString("b", "Y", "new");           // replaced where it stands, file's spelling kept
    EXPECT_EQ(Get(), head + "[A]\r\nx=1\r\n; inner comment\r\nnot a key\r\n\r\n[B]\r\ny=new\r\n");
    ini.WriteInteger("A", "z", -12);            // at the end of its section, before the blank line
    ini.WriteBool("New Section", "Flag", true); // a new section at the end of the file
    ini.WriteString("New Section", "Text", Cz("Žluťoučký kůň"));
    EXPECT_EQ(Get(), head + "[A]\r\nx=1\r\n; inner comment\r\nnot a key\r\nz=-12\r\n\r\n[B]\r\ny=new\r\n"
                         "[New Section]\r\nFlag=1\r\n" + Cz("Text=Žluťoučký kůň\r\n"));
    // Another object on the same file sees every write at once.
    TIniFile other(path_);
    EXPECT_EQ(other.ReadInteger("a", "Z", 0), -12);
    EXPECT_TRUE(other.ReadBool("new section", "flag", false));
    EXPECT_EQ(other.ReadString("NEW SECTION", "text", ""), Cz("Žluťoučký kůň"));
    EXPECT_EQ(FilesInDir(), 1u);                // no temporary file left
}

TEST_F(IniTest, WritingCreatesTheFileAndCannotAddLines) {
    TIniFile ini(path_);
    ini.WriteString("S", "k", "line1\r\n[Injected]\r\nx=1");
    EXPECT_EQ(Get(), "[S]\r\nk=line1\r\n");
    EXPECT_FALSE(ini.SectionExists("Injected"));
    ini.WriteString("S", "k", "  padded  ");
    EXPECT_EQ(ini.ReadString("S", "k", ""), "padded");
}

TEST_F(IniTest, NamesThatWouldNotReadBackAreRefused) {
    const std::string before = "[S]\r\nk=1\r\n[T]\r\nt=2\r\n";
    Put(before);
    TIniFile ini(path_);
    const std::pair<const char*, std::string> refused[] = {
        {"S", "[T]"}, {"S", "a\r\nb"}, {"S", "a\nb"}, {"S", "a=b"}, {"S", "; c"}, {"S", "\x01\x02"},
        {"S", ""}, {"S", "  "}, {"S]x", "k"}, {"S\r\n[T", "k"}};
    for (const auto& [section, key] : refused) {
        EXPECT_THROW(ini.WriteString(section, key, "v"), EIniFileException) << key;
        EXPECT_EQ(Get(), before) << key;
    }
    ini.WriteString("S", " a\x01b ", "v");  // blanks around are trimmed on both sides
    EXPECT_EQ(ini.ReadString("S", "a\x01b", ""), "v");
}

TEST_F(IniTest, SectionListingsAndErasing) {
    Put("top=1\n[One]\na=1\nB=\n;c=3\nA=dup\nnokey\nd = 4\n[two]\nx=y\n[ONE]\nlate=1\n[Empty]\n");
    TIniFile ini(path_);
    TStringList l;
    ini.ReadSections(l);
    EXPECT_EQ(l.Text(), "One\r\ntwo\r\nEmpty\r\n");
    ini.ReadSection("one", l);
    EXPECT_EQ(l.Text(), "a\r\nB\r\nA\r\nd\r\n");
    ini.ReadSectionValues("ONE", l);
    EXPECT_EQ(l.Text(), "a=1\r\nd=4\r\n");     // first value of a repeated key; no empty values
    EXPECT_EQ(ini.ReadString("one", "late", "none"), "none");
    EXPECT_TRUE(ini.SectionExists("empty"));
    EXPECT_FALSE(ini.SectionExists("top"));

    ini.DeleteKey("One", "A");
    ini.ReadSection("one", l);
    EXPECT_EQ(l.Text(), "B\r\nd\r\n");
    ini.EraseSection("one");                    // both sections of that name go
    EXPECT_EQ(Get(), "top=1\r\n[two]\r\nx=y\r\n[Empty]\r\n");
    EXPECT_FALSE(ini.SectionExists("One"));
    ini.UpdateFile();
}

TEST_F(IniTest, AFileThatIsNoIniFileStillYieldsItsSections) {
    Put("unit Tools;\r\n{\r\n[Unit_Description]\r\nDescription=Nástroje\r\nVersion=1.2\r\n}\r\n"
        "interface\r\nconst X = 1;\r\nimplementation\r\nend.");
    TIniFile ini(path_);
    EXPECT_EQ(ini.ReadString("Unit_Description", "Description", ""), "Nástroje");
    EXPECT_EQ(ini.ReadString("UNIT_DESCRIPTION", "version", ""), "1.2");
    EXPECT_EQ(ini.ReadString("Unit_Description", "Admin", "?"), "?");
}

TEST_F(IniTest, WindowsPathsReachTheFileWhateverTheLetterCase) {
    Put("[S]\r\nk=v\r\n");
    std::string win = dir_ + "test.ini";
    for (char& c : win)
        if (c == '/') c = '\\';
    TIniFile ini(win);
    EXPECT_EQ(ini.ReadString("S", "k", ""), "v");
    ini.WriteString("S", "k", "w");
    EXPECT_EQ(Get(), "[S]\r\nk=w\r\n");
    EXPECT_EQ(FilesInDir(), 1u);
}

TEST_F(IniTest, AFailedWriteRaisesAndLeavesNoTrace) {
    TIniFile ini(dir_ + "missing/X.INI");
    try {
        ini.WriteString("S", "k", "v");
        FAIL() << "written";
    } catch (const EIniFileException& e) {
        EXPECT_NE(e.Message().find("missing/X.INI"), std::string::npos);
    }
    // A folder in the place of the file cannot be replaced.
    std::filesystem::create_directory(path_);
    TIniFile dirIni(path_);
    EXPECT_THROW(dirIni.WriteString("S", "k", "v"), EIniFileException);
    EXPECT_TRUE(std::filesystem::is_directory(path_));
    EXPECT_EQ(FilesInDir(), 1u);
}

TEST_F(IniTest, AFileThatCannotBeReadIsNeverReplaced) {
    // A link that points to itself cannot be opened, even by root.
    ASSERT_EQ(std::filesystem::path(path_).filename(), "TEST.INI");
    std::filesystem::create_symlink("TEST.INI", path_);
    TIniFile loop(path_);
    EXPECT_EQ(loop.ReadString("S", "k", "def"), "def");
    EXPECT_FALSE(loop.SectionExists("S"));
    EXPECT_THROW(loop.WriteString("S", "k", "v"), EIniFileException);
    EXPECT_THROW(loop.EraseSection("S"), EIniFileException);
    EXPECT_THROW(loop.DeleteKey("S", "k"), EIniFileException);
    EXPECT_TRUE(std::filesystem::is_symlink(path_));
    EXPECT_EQ(std::filesystem::read_symlink(path_), "TEST.INI");

    // A path through a plain file.
    std::ofstream(dir_ + "plain", std::ios::binary) << "keep";
    TIniFile under(dir_ + "plain/X.INI");
    EXPECT_EQ(under.ReadInteger("S", "k", 7), 7);
    EXPECT_THROW(under.WriteInteger("S", "k", 1), EIniFileException);
    EXPECT_EQ(ReadFile(dir_ + "plain"), "keep");
    EXPECT_EQ(FilesInDir(), 2u);
}

TEST_F(IniTest, HeldWritesGoToDiskOnceAndOnlyWhenTheyChangeTheFile) {
    Put("[a]\r\nk=1\r\n");
    // a rewrite renames a new file over the old one
    auto inode = [&] {
        struct stat st {};
        return ::stat(path_.c_str(), &st) == 0 ? st.st_ino : 0;
    };
    TIniFile ini(path_);
    // a value the file holds already is not written again
    auto before = inode();
    ini.WriteString("a", "k", "1");
    EXPECT_EQ(inode(), before);
    EXPECT_EQ(FilesInDir(), 1u);

    ini.BeginUpdate();
    ini.WriteString("a", "k", "2");
    ini.BeginUpdate();  // pairs nest
    ini.WriteInteger("b", "n", 3);
    ini.UpdateFile();
    EXPECT_EQ(Get(), "[a]\r\nk=1\r\n");        // held until the outer pair ends
    EXPECT_EQ(ini.ReadString("a", "k", ""), "2");  // reads see the held lines
    EXPECT_EQ(TIniFile(path_).ReadString("a", "k", ""), "1");
    ini.UpdateFile();
    EXPECT_EQ(Get(), "[a]\r\nk=2\r\n[b]\r\nn=3\r\n");

    // erasing and writing back the same section leaves the file alone
    before = inode();
    ini.BeginUpdate();
    ini.EraseSection("b");
    ini.WriteInteger("b", "n", 3);
    ini.UpdateFile();
    EXPECT_EQ(inode(), before);
    ini.UpdateFile();  // an unmatched end does nothing
    EXPECT_EQ(Get(), "[a]\r\nk=2\r\n[b]\r\nn=3\r\n");
}
