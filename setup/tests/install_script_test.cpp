#include "setup/install_script.h"

#include <gtest/gtest.h>

#include <fstream>

#include "setup/string_routines.h"
#include "test_support.h"

namespace setup {
namespace {

TEST(StringRoutinesTest, SplitTrimAndSafeNames) {
    std::string n, v;
    EXPECT_TRUE(StringAsParameter(" KEY = a=b ", n, v));
    EXPECT_EQ(n, "KEY");
    EXPECT_EQ(v, "a=b");
    EXPECT_FALSE(StringAsParameter(" x ", n, v));
    EXPECT_EQ(n, "x");
    EXPECT_EQ(std::string("\0 a \0", 5).size(), 5u);
    EXPECT_EQ(BezVnejsichMezer(std::string("\0 a \0", 5)), "a");
    EXPECT_EQ(SplitFields(" a , b,,c "), (std::vector<std::string>{"a", "b", "", "c"}));
    EXPECT_EQ(AddBackSlash(""), "/");
    EXPECT_EQ(AddBackSlash("C:"), "C:/");
    EXPECT_EQ(AddBackSlash("C:\\"), "C:\\");
    EXPECT_EQ(RemoveBackSlash("C:\\"), "C:");
    for (const char* bad : {"", "/etc/passwd", "\\x", "C:x", "..", "a/../../b", "a\\..\\b", "a/ .. /b"})
        EXPECT_FALSE(IsSafeRelativeName(bad)) << bad;
    for (const char* good : {"a.txt", "sub/a.txt", "sub\\a..b", "...", ".hidden"})
        EXPECT_TRUE(IsSafeRelativeName(good)) << good;
}

class ScriptTest : public ::testing::Test {
protected:
    InstallScript::LoadResult Load(const std::string& text) {
        std::ofstream(dir.Path("Setup.INI"), std::ios::binary) << text;
        return script.Load(dir.Path("Setup.INI"));
    }
    TempDir dir{"script"};
    InstallScript script;
};

TEST_F(ScriptTest, FoldersResolveOneLevelAndNeverToTheRoot) {
    ASSERT_EQ(Load("[Application]\nName=x\n[Disks]\nNumber=1\n[VarDirs]\nA=/t/a\nB=A+sub\\in\nC=B+more\n"
                   "D=Q+x\nE=source\n[FixDirs]\nW=win\n"),
              InstallScript::Loaded);
    script.SubstituteSpecialDirs("/own/", "/win");
    struct Case { const char* text; const char* dir; const char* path; };
    for (Case c : {Case{"A", "/t/a/", "/t/a/"}, Case{"B", "/t/a/sub/in/", "/t/a/sub/in/"},
                   Case{"C", "A+sub/in/more/", "A+sub/in/more/"}, Case{"D", "", ""},
                   Case{"nothing", "", ""}, Case{"E", "/own/", "/own/"}, Case{"W", "", ""},
                   Case{"A+f.ini", "", "/t/a/f.ini"}, Case{"Q+f.ini", "", ""}}) {
        EXPECT_EQ(script.ResolveDir(c.text), c.dir) << c.text;
        EXPECT_EQ(script.ResolvePath(c.text), c.path) << c.text;
    }
    EXPECT_TRUE(script.IsSourceEntry("e"));
    script.AppendFixDirs();
    EXPECT_EQ(script.ResolveDir("W"), "/win/");
}

TEST_F(ScriptTest, LoadStopsOnDisksAndName) {
    struct Case { const char* text; InstallScript::LoadResult result; };
    for (Case c : {Case{"[Application]\nName=x\n[Disks]\nNumber=0\n", InstallScript::NoDisks},
                   Case{"[Application]\nName=x\n[Disks]\nNumber=-3\n", InstallScript::Loaded},  // no disks
                   Case{"[Application]\nName=x\n[Disks]\nNumber=12\n", InstallScript::NoDisks},
                   Case{"[Application]\nName=x\n", InstallScript::NoDisks},
                   Case{"[Application]\nName= \n[Disks]\nNumber=1\n", InstallScript::NoName},
                   Case{"[Disks]\nNumber=0\n", InstallScript::NoDisks},
                   Case{"[Application]\nName=x\n[Disks]\nNumber=11\n", InstallScript::Loaded}})
        EXPECT_EQ(Load(c.text), c.result) << c.text;
}

TEST_F(ScriptTest, DisksCountTheirFilesAndSectionsKeepFirstValues) {
    ASSERT_EQ(Load("[Application]\nName=x\n[Disks]\nNumber=2\n[DISK1]\nG1=TRUE\nG2=OPT\n[DISK2]\nG1=TRUE\n"
                   "[G1]\na=T\nb=T\nA=U\n[G2]\nc=T\nd=\n[Process]\nCAPTION=one\ncaption=two\nEXE=\n"),
              InstallScript::Loaded);
    ASSERT_EQ(script.disks.size(), 2u);
    EXPECT_EQ(script.disks[0].fileCount, 3);
    EXPECT_EQ(script.disks[1].fileCount, 2);
    EXPECT_EQ(script.totalFiles, 5);
    EXPECT_EQ(script.disks[0].groups[1].condition, "OPT");
    EXPECT_EQ(script.process.Text(), "CAPTION=one\r\n");
}

}  // namespace
}  // namespace setup
