#include "platform/files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <fstream>
#include <thread>
#include <vector>

#include "platform/sysutils.h"
#include "platform/windows.h"
#include "test_support.h"

namespace {

class FilesTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(dir.empty()); }
    void TearDown() override { SetDriveRoot('D', ""); }
    void Touch(const std::string& rel, const std::string& content = "x") {
        std::ofstream(MapPath(dir + "/" + rel)) << content;
    }
    std::vector<std::string> List(const std::string& pattern, int attr) {
        std::vector<std::string> names;
        TSearchRec r;
        for (int rc = FindFirst(dir + pattern, attr, r); rc == 0; rc = FindNext(r)) names.push_back(r.Name);
        FindClose(r);
        return names;
    }
    TempDir tmp{"files_test_"};
    const std::string& dir = tmp.Path();
};

TEST(Mask, WindowsRules) {
    EXPECT_TRUE(MatchesMask("noext", "*.*"));
    EXPECT_TRUE(MatchesMask("a.b.c", "*.*"));
    EXPECT_TRUE(MatchesMask("Mapa.MSD", "*.msd"));
    EXPECT_TRUE(MatchesMask("a.b.msd", "*.MSD"));
    EXPECT_FALSE(MatchesMask("a.msd.bak", "*.msd"));
    EXPECT_TRUE(MatchesMask(Cz("ŽLUŤ.txt"), Cz("žluť.*")));
    EXPECT_TRUE(MatchesMask("abc", "a?c"));
    EXPECT_FALSE(MatchesMask("abbc", "a?c"));
    EXPECT_TRUE(MatchesMask("file.txt", "file?.txt"));
    EXPECT_TRUE(MatchesMask("file1.txt", "file?.txt"));
    EXPECT_FALSE(MatchesMask("file12.txt", "file?.txt"));
    EXPECT_TRUE(MatchesMask("readme", "readme.*"));
    EXPECT_TRUE(MatchesMask("noext", "*."));
    EXPECT_FALSE(MatchesMask("a.txt", "*."));
    EXPECT_TRUE(MatchesMask("Err12.blk", "Err*.blk"));
    EXPECT_FALSE(MatchesMask("Err12.blk", "Err*.bl"));
}

TEST(Mask, ManyStarsStayCheap) {
    // Each star tried at every place would take hours here.
    const std::string name(60, 'a');
    EXPECT_FALSE(MatchesMask(name, "*a*a*a*a*a*a*a*a*a*a*a*a*a*a*b"));
    EXPECT_TRUE(MatchesMask(name + ".x", "*a*a*a*a*a*a*a*a*a*a*a*a*a*a*.?"));
    EXPECT_FALSE(MatchesMask(name + ".x.y", "*a*a*a*a*a*a*a*a*a*a*a*a*a*a*.x"));
    EXPECT_TRUE(MatchesMask("a.b", "**.b"));
    EXPECT_FALSE(MatchesMask("a.b.c", "**.b"));
}

TEST(Paths, Splitting) {
    EXPECT_EQ(ExtractFilePath("C:\\DATA\\X.MSD"), "C:\\DATA\\");
    EXPECT_EQ(ExtractFilePath("C:X.MSD"), "C:");
    EXPECT_EQ(ExtractFilePath("X.MSD"), "");
    EXPECT_EQ(ExtractFileDir("C:\\DATA\\X.MSD"), "C:\\DATA");
    EXPECT_EQ(ExtractFileDir("C:\\X.MSD"), "C:\\");
    EXPECT_EQ(ExtractFileDir("/x"), "/");
    EXPECT_EQ(ExtractFileName("a/b\\c.d"), "c.d");
    EXPECT_EQ(ExtractFileExt("C:\\D.IR\\NAME"), "");
    EXPECT_EQ(ExtractFileExt("a.tar.gz"), ".gz");
    EXPECT_EQ(ExtractFileExt("name."), ".");
    EXPECT_EQ(ChangeFileExt("C:\\A.B\\Oskelt32.exe", ".INI"), "C:\\A.B\\Oskelt32.INI");
    EXPECT_EQ(ChangeFileExt("dir.x/file", ".ini"), "dir.x/file.ini");
    EXPECT_EQ(ChangeFileExt("file.txt", ""), "file");
    EXPECT_EQ(ExpandFileName("C:\\A\\..\\B\\.\\c.txt"), "C:/B/c.txt");
    EXPECT_EQ(ExpandFileName("/a/b/../../../c/"), "/c/");
    EXPECT_EQ(ExpandFileName("x.txt"), GetCurrentDir() + "/x.txt");
    EXPECT_EQ(IncludeTrailingPathDelimiter("C:\\DATA\\"), "C:\\DATA\\");
    EXPECT_EQ(IncludeTrailingPathDelimiter("/data"), "/data/");
    EXPECT_EQ(ExcludeTrailingPathDelimiter("/data/"), "/data");
}

TEST_F(FilesTest, CaseInsensitiveResolutionComponentByComponent) {
    ASSERT_TRUE(ForceDirectories(dir + "/Data/Maps"));
    Touch("Data/Maps/X.msd");
    EXPECT_EQ(MapPath(dir + "\\DATA\\maps\\x.MSD"), dir + "/Data/Maps/X.msd");
    EXPECT_EQ(MapPath(dir + "\\data\\NEW\\y.txt"), dir + "/Data/NEW/y.txt");
    EXPECT_EQ(MapPath(dir + "/data/"), dir + "/Data/");
    EXPECT_TRUE(FileExists(dir + "\\DATA\\MAPS\\X.MSD"));
    EXPECT_FALSE(FileExists(dir + "\\DATA\\MAPS"));
    EXPECT_TRUE(DirectoryExists(dir + "\\DATA\\MAPS\\"));

    // Creating through a case variant opens the existing file; an exact name wins.
    Touch("data/maps/x.MSD", "same");
    EXPECT_EQ(List("/Data/Maps/*", 0), (std::vector<std::string>{"X.msd"}));
    std::ofstream(dir + "/Data/Maps/x.msd") << "lower";
    EXPECT_EQ(MapPath(dir + "/data/maps/x.msd"), dir + "/Data/Maps/x.msd");
    EXPECT_EQ(MapPath(dir + "/data/maps/X.msd"), dir + "/Data/Maps/X.msd");

    // Czech names are UTF-8 on disk and Windows-1250 inside; the case table folds them.
    Touch(Cz("Mapa_č.txt"));
    EXPECT_TRUE(FileExists(dir + "/" + Cz("MAPA_Č.TXT")));
    struct stat st;
    EXPECT_EQ(stat((dir + "/Mapa_č.txt").c_str(), &st), 0);
    EXPECT_EQ(List("/*.txt", faAnyFile), (std::vector<std::string>{Cz("Mapa_č.txt")}));
}

TEST_F(FilesTest, CaseResolutionPrefersAFolderBeforeAnotherComponent) {
    // Names differing only in letter case, as another system may leave them.
    ASSERT_EQ(mkdir((dir + "/maps").c_str(), 0777), 0);
    std::ofstream(dir + "/MAPS") << "file";
    std::ofstream(dir + "/maps/x.msd") << "x";
    EXPECT_EQ(MapPath(dir + "/Maps/X.MSD"), dir + "/maps/x.msd");
    EXPECT_TRUE(FileExists(dir + "\\Maps\\x.msd"));
    EXPECT_EQ(MapPath(dir + "/Maps/"), dir + "/maps/");
    EXPECT_EQ(MapPath(dir + "/Maps"), dir + "/MAPS");  // the last one may be either
    // An exact name that is a file gives way to a folder when one is needed.
    EXPECT_EQ(MapPath(dir + "/MAPS/x.msd"), dir + "/maps/x.msd");
    EXPECT_EQ(MapPath(dir + "/MAPS"), dir + "/MAPS");
    // A link to a folder counts as a folder.
    ASSERT_EQ(symlink("maps", (dir + "/Zz").c_str()), 0);
    std::ofstream(dir + "/ZZ") << "file";
    EXPECT_EQ(MapPath(dir + "/zz/X.msd"), dir + "/Zz/x.msd");
}

TEST_F(FilesTest, DriveTable) {
    ASSERT_TRUE(CreateDir(dir + "/Data"));
    Touch("Data/A.MSD");
    EXPECT_EQ(MapPath("C:\\"), "/");
    EXPECT_EQ(MapPath("c:/tmp"), "/tmp");
    EXPECT_EQ(GetDriveType("C:\\"), DRIVE_FIXED);
    EXPECT_EQ(GetDriveType("D:\\"), DRIVE_NO_ROOT_DIR);
    EXPECT_FALSE(GetLogicalDrives() & (1u << 3));
    EXPECT_FALSE(FileExists("D:\\DATA\\A.MSD"));
    EXPECT_FALSE(CreateDir("D:\\NEW"));
    EXPECT_FALSE(ForceDirectories("D:\\NEW\\SUB"));

    SetDriveRoot('d', dir, DRIVE_CDROM);
    EXPECT_EQ(MapPath("D:\\DATA\\a.msd"), dir + "/Data/A.MSD");
    EXPECT_EQ(MapPath("d:"), dir);
    EXPECT_TRUE(FileExists("D:\\DATA\\A.MSD"));
    EXPECT_TRUE(GetLogicalDrives() & (1u << 2));
    EXPECT_TRUE(GetLogicalDrives() & (1u << 3));
    EXPECT_EQ(GetDriveType("d:\\"), DRIVE_CDROM);
    EXPECT_EQ(GetDriveType("D:"), DRIVE_CDROM);
    EXPECT_EQ(GetDriveType("D:\\DATA"), DRIVE_NO_ROOT_DIR);
    // A drive root lists no "." and "..".
    EXPECT_EQ(List("/Data/*.*", faAnyFile), (std::vector<std::string>{".", "..", "A.MSD"}));
    std::vector<std::string> names;
    TSearchRec r;
    for (int rc = FindFirst("D:\\*.*", faAnyFile, r); rc == 0; rc = FindNext(r)) names.push_back(r.Name);
    EXPECT_EQ(names, (std::vector<std::string>{"Data"}));
}

TEST_F(FilesTest, DotDotStopsAtTheDriveRoot) {
    ASSERT_TRUE(ForceDirectories(dir + "/d/Sub"));
    Touch("d/Sub/a.txt");
    Touch("outside.txt");
    SetDriveRoot('D', dir + "/d");
    EXPECT_EQ(MapPath("D:\\..\\..\\..\\etc\\passwd"), dir + "/d/etc/passwd");
    EXPECT_EQ(MapPath("D:\\SUB\\..\\..\\outside.txt"), dir + "/d/outside.txt");
    EXPECT_FALSE(FileExists("D:\\..\\outside.txt"));
    EXPECT_EQ(MapPath("D:..\\sub\\.\\A.TXT"), dir + "/d/Sub/a.txt");
    EXPECT_EQ(MapPath("D:\\sub\\.."), dir + "/d");
    EXPECT_EQ(MapPath("D:\\sub\\..\\"), dir + "/d/");
    EXPECT_EQ(ExpandFileName("D:\\..\\..\\etc"), "D:/etc");

    // Without a drive "/" is the limit; a relative path keeps the ".." it starts with.
    EXPECT_EQ(MapPath("/../../etc/passwd"), "/etc/passwd");
    EXPECT_EQ(MapPath("/.."), "/");
    EXPECT_EQ(MapPath("a/../../b"), "../b");
    EXPECT_EQ(MapPath("a/./.."), ".");
    EXPECT_EQ(MapPath(dir + "/D/x/../SUB/A.txt"), dir + "/d/Sub/a.txt");
    EXPECT_EQ(ExpandFileName(dir + "/d/x/../../OUTSIDE.txt"), dir + "/OUTSIDE.txt");
}

TEST_F(FilesTest, ANameWithNulNeverLeavesItsRoot) {
    using namespace std::string_literals;
    ASSERT_TRUE(CreateDir(dir + "/d"));
    Touch("outside.txt");
    Touch("d/inside.txt");
    SetDriveRoot('D', dir + "/d", 3);
    const std::string up = "D:\\..\0\\"s;  // the system would see "D:\.." and climb
    EXPECT_EQ(MapPath(up + "x"), MapPath("D:"));
    EXPECT_EQ(ExpandFileName(up + "x"), "D:/");
    TSearchRec r;
    ASSERT_EQ(FindFirst(up + "*.txt", faAnyFile, r), 0);
    EXPECT_EQ(r.Name, "inside.txt");
    EXPECT_NE(FindNext(r), 0);
    FindClose(r);
    EXPECT_FALSE(RenameFile("D:\\inside.txt", "D:\\..\0\\..\\outside.txt"s));
    EXPECT_TRUE(FileExists("D:\\inside.txt"));
}

TEST_F(FilesTest, SearchOrderAttributesAndErrors) {
    Touch("b.TXT", "12345");
    Touch("a.txt");
    Touch("noext");
    Touch(".hidden");
    ASSERT_TRUE(CreateDir(dir + "/Sub"));
    EXPECT_EQ(List("/*.*", faAnyFile),
              (std::vector<std::string>{".", "..", ".hidden", "a.txt", "b.TXT", "noext", "Sub"}));
    EXPECT_EQ(List("/*", 0), (std::vector<std::string>{"a.txt", "b.TXT", "noext"}));
    EXPECT_EQ(List("/*.*", faDirectory), (std::vector<std::string>{".", "..", "a.txt", "b.TXT", "noext", "Sub"}));
    EXPECT_EQ(List("/*.txt", faAnyFile), (std::vector<std::string>{"a.txt", "b.TXT"}));
    EXPECT_EQ(List("/B.txt", faAnyFile), (std::vector<std::string>{"b.TXT"}));

    TSearchRec r;
    ASSERT_EQ(FindFirst(dir + "/b.txt", faAnyFile, r), 0);
    EXPECT_EQ(r.Size, 5);
    EXPECT_EQ(r.Attr, faArchive);
    EXPECT_EQ(r.Time, FileAge(dir + "/b.txt"));
    TSearchRec copy = r;  // a copy goes on from the same place
    EXPECT_EQ(FindNext(copy), ERROR_NO_MORE_FILES);
    EXPECT_EQ(FindNext(r), ERROR_NO_MORE_FILES);
    FindClose(r);
    EXPECT_EQ(FindNext(r), ERROR_NO_MORE_FILES);

    EXPECT_EQ(FindFirst(dir + "/*.none", faAnyFile, r), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(FindFirst(dir + "/missing/*.*", faAnyFile, r), ERROR_PATH_NOT_FOUND);

    EXPECT_EQ(FileGetAttr(dir + "/SUB"), faDirectory);
    EXPECT_EQ(FileGetAttr(dir + "/.hidden"), faArchive | faHidden);
    EXPECT_EQ(FileGetAttr(dir + "/missing"), -1);
    EXPECT_EQ(FileSetAttr(dir + "/A.TXT", faReadOnly | faArchive), 0);
    EXPECT_EQ(FileGetAttr(dir + "/a.txt"), faReadOnly | faArchive);
    struct stat st;
    ASSERT_EQ(stat((dir + "/a.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0222, 0u);
    EXPECT_EQ(FileSetAttr(dir + "/a.txt", faArchive), 0);
    EXPECT_EQ(FileGetAttr(dir + "/a.txt"), faArchive);
    EXPECT_NE(FileSetAttr(dir + "/missing", 0), 0);
    EXPECT_EQ(FileSize(dir + "/B.TXT"), 5);
    EXPECT_EQ(FileSize(dir + "/missing"), -1);
}

TEST_F(FilesTest, FilesAndFolders) {
    Touch("one.txt", "1");
    Touch("two.txt", "2");
    EXPECT_FALSE(RenameFile(dir + "/one.txt", dir + "/TWO.TXT"));  // the target exists
    EXPECT_TRUE(RenameFile(dir + "/ONE.txt", dir + "/One.TXT"));   // letter case only
    EXPECT_EQ(List("/o*", faAnyFile), (std::vector<std::string>{"One.TXT"}));
    EXPECT_TRUE(RenameFile(dir + "/one.txt", dir + "/three.txt"));
    EXPECT_FALSE(RenameFile(dir + "/missing", dir + "/four.txt"));
    EXPECT_TRUE(DeleteFile(dir + "/THREE.TXT"));
    EXPECT_FALSE(DeleteFile(dir + "/three.txt"));

    EXPECT_TRUE(ForceDirectories(dir + "\\A\\B\\C\\"));
    EXPECT_TRUE(DirectoryExists(dir + "/a/b/c"));
    EXPECT_FALSE(CreateDir(dir + "/a"));
    EXPECT_FALSE(RemoveDir(dir + "/A/B"));  // not empty
    EXPECT_TRUE(RemoveDir(dir + "/A/B/C"));
    EXPECT_FALSE(ForceDirectories(dir + "/two.txt/x"));
    EXPECT_FALSE(DeleteFile(dir + "/A"));

    std::string here = GetCurrentDir();
    ASSERT_TRUE(SetCurrentDir(dir + "\\a"));
    EXPECT_EQ(GetCurrentDir(), dir + "/A");
    Touch("A/rel.txt");
    EXPECT_TRUE(FileExists("REL.TXT"));
    EXPECT_EQ(ExpandFileName("..\\two.txt"), dir + "/two.txt");
    ASSERT_TRUE(SetCurrentDir(here));
    EXPECT_FALSE(SetCurrentDir(dir + "/missing"));
}

TEST(DateTime, EncodeDecodeAndText) {
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
    EXPECT_EQ(EncodeDate(2000, 1, 1), 36526.0);
    EXPECT_THROW(EncodeDate(2023, 2, 29), EConvertError);
    EXPECT_NO_THROW(EncodeDate(2024, 2, 29));
    EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
    int y, m, d, h, mi, s, ms;
    DecodeDate(-1.25, y, m, d);
    DecodeTime(-1.25, h, mi, s, ms);
    EXPECT_EQ(std::vector<int>({y, m, d, h, mi}), std::vector<int>({1899, 12, 29, 6, 0}));
    TDateTime t = EncodeDate(2023, 7, 4) + EncodeTime(9, 5, 7, 999);
    DecodeTime(t, h, mi, s, ms);
    EXPECT_EQ(std::vector<int>({h, mi, s, ms}), std::vector<int>({9, 5, 7, 999}));
    // Just under midnight rounds into the next day, not to hour 24.
    DecodeDate(EncodeDate(2023, 7, 4) + 0.99999999999, y, m, d);
    EXPECT_EQ(d, 5);

    EXPECT_EQ(DateTimeToStr(t), "4.7.2023 9:05:07");
    EXPECT_EQ(DateTimeToStr(EncodeDate(2000, 1, 1)), "1.1.2000");
    EXPECT_EQ(TimeToStr(EncodeTime(23, 0, 9, 0)), "23:00:09");
    EXPECT_EQ(DateToStr(0), "30.12.1899");

    TDateTime back;
    ASSERT_TRUE(TryStrToDateTime(" 4.7.2023  9:05:07 ", back));
    EXPECT_EQ(DateTimeToStr(back), "4.7.2023 9:05:07");
    ASSERT_TRUE(TryStrToDateTime("12:30", back));
    EXPECT_DOUBLE_EQ(back, EncodeTime(12, 30, 0, 0));
    ASSERT_TRUE(TryStrToDateTime("31.12.1999", back));
    EXPECT_EQ(back, EncodeDate(1999, 12, 31));
    EXPECT_FALSE(TryStrToDateTime("", back));
    EXPECT_FALSE(TryStrToDateTime("31.2.2020", back));
    EXPECT_FALSE(TryStrToDateTime("4.7.2023 25:00", back));
    EXPECT_FALSE(TryStrToDateTime("yesterday", back));
    EXPECT_THROW(StrToDateTime("1.2"), EConvertError);
    EXPECT_GT(Now(), EncodeDate(2020, 1, 1));
    EXPECT_EQ(Date(), std::floor(Now()));
}

TEST(DateTime, DosStamps) {
    TDateTime t = EncodeDate(2023, 7, 14) + EncodeTime(13, 45, 31, 0);
    int32_t dos = DateTimeToFileDate(t);
    EXPECT_EQ(DateTimeToStr(FileDateToDateTime(dos)), "14.7.2023 13:45:30");  // 2-second steps
    EXPECT_EQ(DateTimeToFileDate(EncodeDate(1979, 12, 31)), 0);
    EXPECT_EQ(DateTimeToFileDate(EncodeDate(2108, 1, 1)), 0);
    EXPECT_NE(DateTimeToFileDate(EncodeDate(2107, 12, 31)), 0);
    EXPECT_THROW(FileDateToDateTime(0), EConvertError);
    EXPECT_THROW(FileDateToDateTime(-1), EConvertError);
}

TEST_F(FilesTest, FileDateRoundTrip) {
    Touch("f.txt");
    int32_t dos = DateTimeToFileDate(EncodeDate(2001, 2, 3) + EncodeTime(4, 5, 6, 0));
    EXPECT_EQ(FileSetDate(dir + "/F.TXT", dos), 0);
    EXPECT_EQ(FileAge(dir + "/f.txt"), dos);
    TSearchRec r;
    ASSERT_EQ(FindFirst(dir + "/f.txt", faAnyFile, r), 0);
    EXPECT_EQ(r.Time, dos);
    EXPECT_EQ(DateTimeToStr(FileDateToDateTime(r.Time)), "3.2.2001 4:05:06");
    EXPECT_NE(FileSetDate(dir + "/missing", dos), 0);
    EXPECT_EQ(FileAge(dir + "/missing"), -1);
    EXPECT_NE(FileSetDate(dir + "/f.txt", 0), 0);
}

TEST(Windows, MemoryTicksAndRandom) {
    TMemoryStatus m{};
    GlobalMemoryStatus(m);
    EXPECT_GT(m.dwTotalPhys, 0u);
    EXPECT_LE(m.dwAvailPhys, m.dwTotalPhys);
    EXPECT_LE(m.dwMemoryLoad, 100u);
    EXPECT_GE(m.dwTotalPageFile, m.dwTotalPhys);
    EXPECT_EQ(m.dwTotalVirtual, 0x7FFE0000u);
    EXPECT_LE(m.dwAvailVirtual, m.dwTotalVirtual);

    uint32_t t0 = GetTickCount();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_GE(static_cast<uint32_t>(GetTickCount() - t0), 15u);

    RandSeed = 1;
    std::vector<int32_t> a;
    for (int i = 0; i < 100; ++i) a.push_back(Random(32000));
    RandSeed = 1;
    for (int i = 0; i < 100; ++i) EXPECT_EQ(Random(32000), a[i]);
    for (int32_t v : a) {
        EXPECT_GE(v, 0);
        EXPECT_LT(v, 32000);
    }
    EXPECT_EQ(Random(0), 0);

    SetWindowsDirectory("/opt/win");
    EXPECT_EQ(GetWindowsDirectory(), "/opt/win");
}

TEST_F(FilesTest, StartingPrograms) {
    EXPECT_TRUE(StartProgram("/bin/true", {}, true));
    EXPECT_FALSE(StartProgram("/bin/false", {}, true));
    EXPECT_TRUE(StartProgram("/bin/false", {}));  // it started
    EXPECT_FALSE(StartProgram(dir + "/Ostalin.exe", {"x"}));
    EXPECT_FALSE(StartProgram("true", {}, true));  // no search of PATH

    // Arguments go through unchanged: no shell, blanks and quotes included.
    std::string out = dir + "/out.txt";
    ASSERT_TRUE(StartProgram("/bin/sh", {"-c", "printf '%s|' \"$@\" > \"$0\"", out, "a b", "\"q\"", "$HOME"}, true));
    EXPECT_EQ(ReadFile(out), "a b|\"q\"|$HOME|");

    std::string marker = dir + "/winexec.txt";
    EXPECT_EQ(WinExec("TOUCH \"" + marker + "\"", SW_SHOWNORMAL), 33u);  // found in PATH in lower case
    for (int i = 0; i < 200 && !FileExists(marker); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(FileExists(marker));
    EXPECT_EQ(WinExec("NoSuchProgram_xyz " + marker, SW_SHOWNORMAL), static_cast<uint32_t>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(WinExec("", SW_SHOWNORMAL), static_cast<uint32_t>(ERROR_FILE_NOT_FOUND));
}

}  // namespace
