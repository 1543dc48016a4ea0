#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <thread>
#include <utility>
#include <vector>

#include "kernel/class_registry.h"
#include "kernel/file_elements.h"
#include "kernel/kernel.h"
#include "kernel/file_routines.h"
#include "kernel/memory_elements.h"
#include "kernel/property_access.h"
#include "kernel/time_elements.h"
#include "platform/host.h"
#include "platform/sysutils.h"
#include "platform/windows.h"
#include "test_support.h"

namespace {

class FilesTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(dir.empty()); }
    void TearDown() override { SetDriveRoot('Q', ""); }
    std::string Path(const std::string& rel) const { return tmp.Path(rel); }
    void Touch(const std::string& rel, const std::string& content = "x") { std::ofstream(Path(rel)) << content; }
    void MkDir(const std::string& rel) { ASSERT_TRUE(CreateDir(Path(rel))); }
    static std::string Names(TEntity* e) {
        std::string s;
        for (int i = 0; i < e->ElementsCount(); ++i) s += (i ? "," : "") + e->Get(i)->GetName();
        return s;
    }
    static std::string Lines(const TStringList* l, const std::string& strip) {
        if (!l) return "nil";
        std::string s;
        for (int i = 0; i < l->Count(); ++i) {
            std::string line = (*l)[i];
            if (line.compare(0, strip.size(), strip) == 0) line = line.substr(strip.size());
            s += (i ? "," : "") + line;
        }
        return s;
    }

    InstalledHost host;
    TempDir tmp{"e_files_test_"};
    const std::string& dir = tmp.Path();
};

}  // namespace

TEST_F(FilesTest, FileElementReadsItsRecordAndNameParts) {
    Touch("Mapa.txt", "hello");
    Owned f(TFileElement::New());
    SetPropStringByName(f, "FileName", Path("Mapa.txt"));
    EXPECT_EQ(f->GetName(), "Mapa.txt");
    EXPECT_EQ(GetPropStringByName(f, "FilePath"), dir + "/");
    EXPECT_EQ(GetPropStringByName(f, "FileExt"), "txt");
    EXPECT_EQ(GetPropStringByName(f, "Exists"), "True");
    EXPECT_EQ(f->GetFileSize(), 0);  // nothing read yet
    SetPropStringByName(f, "ReadInfo", "True");
    EXPECT_EQ(GetPropStringByName(f, "FileSize"), "5");
    EXPECT_EQ(GetPropStringByName(f, "AttrArchive"), "True");
    EXPECT_EQ(GetPropStringByName(f, "AttrDirectory"), "False");

    SetPropStringByName(f, "FileExt", "doc");  // has no effect
    EXPECT_EQ(f->GetFileName(), Path("Mapa.txt"));

    f->SetFileName(Path("bare."));
    EXPECT_EQ(f->GetFileExt(), "");
    f->SetFileName(Path("noext"));
    EXPECT_EQ(f->GetFileExt(), "");
    EXPECT_FALSE(f->GetExists());
}

TEST_F(FilesTest, TimeAndAttributesAreWrittenToTheFile) {
    Touch("a.txt");
    Owned f(TFileElement::New());
    f->SetFileName(Path("a.txt"));
    f->SetReadInfo(true);

    SetPropStringByName(f, "FileTimeString", "1.2.2003 10:20:30");
    EXPECT_EQ(FileAge(Path("a.txt")), DateTimeToFileDate(EncodeDate(2003, 2, 1) + EncodeTime(10, 20, 30, 0)));
    EXPECT_EQ(GetPropStringByName(f, "FileTimeString"), "1.2.2003 10:20:30");
    SetPropStringByName(f, "FileTimeString", "no date");  // ignored
    f->SetReadInfo(true);
    EXPECT_EQ(f->GetFileTimeString(), "1.2.2003 10:20:30");

    SetPropStringByName(f, "AttrReadOnly", "True");
    struct stat st;
    ASSERT_EQ(stat(Path("a.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & S_IWUSR, 0u);
    EXPECT_EQ(f->GetAttributes(), faArchive | faReadOnly);
    f->SetAttributes(faArchive);
    ASSERT_EQ(stat(Path("a.txt").c_str(), &st), 0);
    EXPECT_NE(st.st_mode & S_IWUSR, 0u);
}

TEST_F(FilesTest, RenamingThroughTheNameStaysInTheFolder) {
    Touch("a.txt", "data");
    MkDir("sub");
    Owned f(TFileElement::New());
    f->SetFileName(Path("a.txt"));

    f->SetName("b.txt");
    EXPECT_EQ(f->GetName(), "b.txt");
    EXPECT_EQ(f->GetFileName(), Path("b.txt"));
    EXPECT_TRUE(FileExists(Path("b.txt")));
    EXPECT_FALSE(FileExists(Path("a.txt")));

    for (const char* bad : {"", ".", "..", "../b.txt", "sub/c.txt", "sub\\c.txt", "C:c.txt", "..\\x"}) {
        f->SetName(bad);
        EXPECT_EQ(f->GetFileName(), Path("b.txt")) << bad;
    }
    EXPECT_TRUE(FileExists(Path("b.txt")));
    EXPECT_FALSE(FileExists(Path("sub/c.txt")));
    EXPECT_FALSE(FileExists(dir + "/../b.txt"));

    Touch("taken.txt");
    f->SetName("taken.txt");  // the rename fails: the names stay
    EXPECT_EQ(f->GetName(), "b.txt");
    EXPECT_TRUE(FileExists(Path("b.txt")));
}

TEST_F(FilesTest, DirectoryListsItsTreeInNameOrderWithoutEnteringLinks) {
    Touch("b.txt");
    Touch("A.PAS", "[Unit_Description]\r\nDescription=Tools\r\n");
    Touch("c.pas");
    Touch(".hidden");
    MkDir("sub");
    Touch("sub/d.txt");
    MkDir("sub/deeper");
    ASSERT_EQ(symlink(dir.c_str(), Path("loop").c_str()), 0);

    Owned d(TDirectoryElement::New());
    d->SetFileName(dir);
    EXPECT_EQ(Names(d), ".hidden,A.PAS,b.txt,c.pas,loop,sub");
    EXPECT_TRUE(d->Get(1)->Is<TPascalUnitElement>());
    EXPECT_EQ(GetPropStringByName(d->Get(1), "Description"), "Tools");
    // A unit takes the file name alone, not the search record of the listing.
    EXPECT_EQ(As<TFileElement>(d->Get(1))->GetFileName(), Path("A.PAS"));
    EXPECT_EQ(GetPropStringByName(d->Get(1), "FileSize"), "0");
    EXPECT_EQ(GetPropStringByName(d->Get(2), "FileSize"), "1");
    EXPECT_EQ(d->Get(2)->ClassName(), "TFileElement");
    EXPECT_EQ(d->Get(3)->ClassName(), "TFileElement");  // the extension must be exactly "PAS"
    auto* loop = As<TDirectoryElement>(d->Get(4));
    ASSERT_NE(loop, nullptr);
    EXPECT_EQ(loop->ElementsCount(), 0);
    EXPECT_EQ(loop->GetFileName(), Path("loop"));
    auto* sub = As<TDirectoryElement>(d->Get(5));
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(Names(sub), "d.txt,deeper");
    EXPECT_EQ(As<TFileElement>(sub->Get(0))->GetFileName(), Path("sub/d.txt"));
    EXPECT_TRUE(sub->Get(1)->Is<TDirectoryElement>());

    // A folder held by a folder ignores new file names.
    sub->SetFileName(Path("elsewhere"));
    EXPECT_EQ(sub->GetFileName(), Path("sub"));
    EXPECT_EQ(sub->ElementsCount(), 2);

    // Renaming a held folder moves its elements with it.
    sub->SetName("moved");
    EXPECT_EQ(sub->GetFileName(), Path("moved"));
    EXPECT_EQ(Names(sub), "d.txt,deeper");
    EXPECT_EQ(As<TFileElement>(sub->Get(0))->GetFileName(), Path("moved/d.txt"));
    EXPECT_TRUE(As<TFileElement>(sub->Get(0))->GetExists());
    EXPECT_EQ(As<TFileElement>(sub->Get(1))->GetFileName(), Path("moved/deeper"));
    As<TFileElement>(sub->Get(0))->SetName("e.txt");
    EXPECT_TRUE(FileExists(Path("moved/e.txt")));
    sub->SetName("sub");

    // The same name in another letter case lists nothing anew.
    TElement* first = d->Get(0);
    d->SetFileName(UpperCase(dir));
    EXPECT_EQ(d->Get(0), first);

    Owned folders(TDirectoryElement::New());
    folders->DirOnly = true;
    folders->SetFileName(dir);
    EXPECT_EQ(Names(folders), "loop,sub");
    EXPECT_EQ(Names(As<TEntity>(folders->Get(1))), "deeper");
    EXPECT_TRUE(As<TDirectoryElement>(folders->Get(1))->DirOnly);
}

TEST_F(FilesTest, DrivesComeFromTheDriveTable) {
    Touch("x.txt");
    SetDriveRoot('Q', dir, DRIVE_REMOTE);
    Owned q(TLogicalDriveElement::New());
    q->RootName = 'Q';
    EXPECT_EQ(q->GetDriveType(), TDriveType::Network);
    EXPECT_EQ(GetPropStringByName(q, "DriveType"), "Network");
    EXPECT_EQ(q->GetDriveTypeString(), "REMOTE disk");
    q->SetName("Q disk");
    EXPECT_EQ(q->GetName(), "Q disk");

    SetPropStringByName(q, "Active", "True");
    EXPECT_EQ(Names(q), "x.txt");
    EXPECT_EQ(q->GetFileName(), "Q:\\");
    q->SetActive(false);
    EXPECT_EQ(q->ElementsCount(), 0);
    q->SetActive(true);  // listed again
    EXPECT_EQ(Names(q), "x.txt");
    EXPECT_EQ(q->GetName(), "Q disk");

    Owned z(TLogicalDriveElement::New());
    z->RootName = 'Z';
    EXPECT_EQ(z->GetDriveTypeString(), "not found ");

    Owned pc(TLocalComputerElement::New());
    std::string names = Names(pc);
    EXPECT_NE(names.find("C HD"), std::string::npos);
    EXPECT_NE(names.find("Q REMOTE disk"), std::string::npos);
    EXPECT_LT(names.find("C HD"), names.find("Q REMOTE disk"));
    EXPECT_EQ(pc->ElementsCount(), __builtin_popcount(GetLogicalDrives()));
    for (int i = 0; i < pc->ElementsCount(); ++i) EXPECT_FALSE(As<TLogicalDriveElement>(pc->Get(i))->GetActive());
}

TEST_F(FilesTest, FileModelPathKeepsTheFileName) {
    Owned m(TFilePathModel::New());
    SetPropStringByName(m, "FileName", "C:\\DATA\\MAPA.MSD");
    EXPECT_EQ(GetPropStringByName(m, "Path"), "C:\\DATA");
    SetPropStringByName(m, "Path", "/srv/maps");
    EXPECT_EQ(m->GetFileName(), "/srv/maps/MAPA.MSD");
    SetPropStringByName(m, "Path", "/srv/other/");
    EXPECT_EQ(m->GetFileName(), "/srv/other/MAPA.MSD");
}

namespace {

class TLoadingEntity : public TFileBasedEntity {
    ZARIX_CLASS(TLoadingEntity, TFileBasedEntity)
public:
    void LoadFromFile(const std::string& path) override {
        loaded = path;
        if (fail) throw std::runtime_error("damaged");
    }
    std::string loaded;
    bool fail = false;
};

}  // namespace

TEST_F(FilesTest, FileBasedEntityReportsByErrorNumber) {
    Touch("model.zrx");
    Owned e(TLoadingEntity::New());
    SetPropStringByName(e, "FileName", "");
    EXPECT_EQ(e->Error, 11);
    e->SetFileName(Path("missing.zrx"));
    EXPECT_EQ(GetPropStringByName(e, "Error"), "12");
    EXPECT_EQ(e->loaded, "");
    e->SetFileName(Path("model.zrx"));
    EXPECT_EQ(e->Error, 0);
    EXPECT_EQ(e->loaded, Path("model.zrx"));
    e->fail = true;
    e->SetFileName(Path("model.zrx"));
    EXPECT_EQ(e->Error, 13);
    e->SetFileName(dir);  // a folder is no file
    EXPECT_EQ(e->Error, 12);
}

TEST_F(FilesTest, PascalUnitDescriptionAndUnitGroups) {
    Touch("U.pas", "unit U;\r\n{\r\n[Unit_Description]\r\nVersion=1.2\r\nAdmin=JN\r\nTopic = maps \r\n}\r\n");
    Owned u(TPascalUnitElement::New());
    u->SetFileName(Path("U.pas"));
    EXPECT_EQ(GetPropStringByName(u, "Version"), "1.2");
    EXPECT_EQ(GetPropStringByName(u, "Admin"), "JN");
    EXPECT_EQ(GetPropStringByName(u, "Topic"), "maps");
    EXPECT_EQ(GetPropStringByName(u, "TechTopic"), "");
    SetPropStringByName(u, "Version", "9");
    EXPECT_EQ(GetPropStringByName(u, "Version"), "1.2");

    Owned units(TPascalUnits::New());
    const TPropInfo* admins = GetPropInfo(units, "Admins");
    ASSERT_NE(admins, nullptr);
    EXPECT_FALSE(IsStoredProp(units, *admins));
    TOwnerEntity* a = units->GetAdmins();
    EXPECT_EQ(a->GetName(), "Admins");
    EXPECT_EQ(units->GetAdmins(), a);
    EXPECT_TRUE(IsStoredProp(units, *admins));
    EXPECT_EQ(units->GetTechTopics()->GetName(), "Tech topics");
    units->GetTopics();
    units->GetUnits();
    EXPECT_EQ(Names(units), "Admins,Tech topics,Topics,Units");
    EXPECT_TRUE(SetObjectPropByName(units, "NextUnit", u));
    EXPECT_EQ(units->ElementsCount(), 4);
}

TEST_F(FilesTest, SurferListsEachFolderSortedThenItsSubfolders) {
    Touch("b.txt");
    Touch("A.txt");
    Touch("c.dat");
    MkDir("z");
    MkDir("m");
    Touch("z/y.txt");
    Touch("m/x.txt");
    MkDir("m/deep");
    Touch("m/deep/w.TXT");
    ASSERT_EQ(symlink(dir.c_str(), Path("m/loop").c_str()), 0);

    std::unique_ptr<TStringList> all = GetFilesInSubDirs(dir, "*.txt", faAnyFile);
    EXPECT_EQ(Lines(all.get(), dir + "/"), "A.txt,b.txt,m/x.txt,m/deep/w.TXT,z/y.txt");
    EXPECT_EQ(GetFilesInSubDirs(dir, "*.none", faAnyFile), nullptr);

    // Relative folders are made full paths.
    std::string cwd = GetCurrentDir();
    ASSERT_TRUE(SetCurrentDir(dir));
    std::unique_ptr<TStringList> rel = GetFilesInSubDirs("z", "*.*", faAnyFile);
    ASSERT_TRUE(SetCurrentDir(cwd));
    EXPECT_EQ(Lines(rel.get(), ""), ExpandFileName(Path("z/y.txt")));

    struct TxtOnlyInM : TDirSurfer {
        bool OKFilter(const std::string& path) override { return path.find("/m/") != std::string::npos; }
    } surfer;
    surfer.Create(dir, faAnyFile, "*.txt");
    EXPECT_EQ(Lines(&surfer.List(), dir + "/"), "m/x.txt,m/deep/w.TXT");

    std::unique_ptr<TStringList> files = GetFilesInDir(dir + "/", "*.*", faArchive);
    EXPECT_EQ(Lines(files.get(), dir + "/"), "A.txt,b.txt,c.dat");
    std::unique_ptr<TStringList> folders = GetFilesInDir(dir + "/", "*", faDirectory);
    EXPECT_EQ(Lines(folders.get(), dir + "/"), "m,z");
    EXPECT_EQ(GetFilesInDir(dir + "/", "*.none", faAnyFile), nullptr);
}

TEST_F(FilesTest, DeleteDirectoryRemovesFilesAndTheFolder) {
    MkDir("gone");
    Touch("gone/a.txt");
    Touch("gone/.hidden");
    ASSERT_EQ(chmod(Path("gone/a.txt").c_str(), 0444), 0);
    EXPECT_TRUE(DeleteDirectory(Path("gone") + "\\"));
    EXPECT_FALSE(DirectoryExists(Path("gone")));
    EXPECT_TRUE(DeleteDirectory(Path("never")));
    EXPECT_TRUE(HostLog().empty());

    MkDir("kept");
    Touch("kept/a.txt");
    MkDir("kept/sub");
    Touch("kept/sub/b.txt");
    EXPECT_FALSE(DeleteDirectory(Path("kept")));
    EXPECT_FALSE(FileExists(Path("kept/a.txt")));
    EXPECT_TRUE(FileExists(Path("kept/sub/b.txt")));
    ASSERT_EQ(HostLog().size(), 1u);
    EXPECT_EQ(HostLog()[0], Cz("Adresář ") + Path("kept") + Cz("nelze zrušit !"));
}

TEST_F(FilesTest, DeleteDirectoryStopsAtAFileItCannotDelete) {
    if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
    MkDir("locked");
    Touch("locked/a.txt");
    ASSERT_EQ(chmod(Path("locked").c_str(), 0555), 0);
    EXPECT_FALSE(DeleteDirectory(Path("locked")));
    ASSERT_EQ(HostLog().size(), 1u);
    EXPECT_EQ(HostLog()[0], Cz("Při rušení adresáře nelze smazat soubor ") + "\r\n" + Path("locked") + "\\a.txt");
}

TEST_F(FilesTest, SizeOfFileAndExecPath) {
    Touch("five", "12345");
    EXPECT_EQ(SizeOfFile(Path("five")), 5);
    EXPECT_EQ(SizeOfFile(Path("none")), 0);
    EXPECT_EQ(SizeOfFile(dir), 0);
    EXPECT_EQ(ExecPath() + ExtractFileName(ExecutablePath()), ExecutablePath());
}

namespace {

// Sets an environment variable for one scope.
struct EnvVar {
    std::string name;
    bool had;
    std::string old;
    EnvVar(const char* n, const char* value) : name(n) {
        const char* o = std::getenv(n);
        had = o != nullptr;
        if (o) old = o;
        if (value)
            setenv(n, value, 1);
        else
            unsetenv(n);
    }
    ~EnvVar() {
        if (had)
            setenv(name.c_str(), old.c_str(), 1);
        else
            unsetenv(name.c_str());
    }
};

}  // namespace

TEST_F(FilesTest, EditorComesFromTheEnvironment) {
    EnvVar suite("SUITE_EDITOR", nullptr), visual("VISUAL", nullptr), editor("EDITOR", nullptr);
    EXPECT_EQ(TextEditorCommand(), "xdg-open");
    setenv("EDITOR", "vi", 1);
    EXPECT_EQ(TextEditorCommand(), "vi");
    setenv("VISUAL", "emacs", 1);
    EXPECT_EQ(TextEditorCommand(), "emacs");
    setenv("SUITE_EDITOR", "  ", 1);  // blank: the next one counts
    EXPECT_EQ(TextEditorCommand(), "emacs");
    setenv("SUITE_EDITOR", "/bin/true", 1);
    EXPECT_TRUE(UseNotePadFor(Path("a.txt")));
    setenv("SUITE_EDITOR", "no-such-editor-anywhere", 1);
    EXPECT_FALSE(UseNotePadFor(Path("a.txt")));
}

TEST_F(FilesTest, EditorGetsThePathAsOneArgumentWithoutAShell) {
    std::string script = Path("editor.sh");
    std::string out = Path("args.out");
    std::ofstream(script) << "#!/bin/sh\nprintf '%s|' \"$#\" \"$@\" > '" << out << ".tmp' && mv '" << out
                          << ".tmp' '" << out << "'\n";
    ASSERT_EQ(chmod(script.c_str(), 0755), 0);
    EnvVar suite("SUITE_EDITOR", (script + " --flag").c_str());
    std::string odd = Path("my file; touch pwned.txt");
    ASSERT_TRUE(UseNotePadFor(odd));
    for (int i = 0; i < 500 && !FileExists(out); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(ReadFile(out), "2|--flag|" + odd + "|");
    EXPECT_FALSE(FileExists(Path("pwned.txt")));
    EXPECT_FALSE(FileExists("pwned.txt"));
}

TEST(FilesRegistry, ClassesAreRegisteredByName) {
    RegisterKernelClasses();
    for (const char* name : {"TFileElement", "TDirectoryElement", "TLogicalDriveElement", "TLocalComputerElement",
                             "TTextFileElement", "TFileModel", "TFilePathModel", "TFileBasedEntity",
                             "TPascalUnitElement", "TPascalUnits", "TTimeElement", "TMemoryElement"})
        EXPECT_NE(GetZarixClass(name), nullptr) << name;
    EXPECT_EQ(GetZarixClass("TTickElement"), nullptr);
    EXPECT_LT(ZarixClasses->GetZarixClassByName("TFileElement")->ID,
              ZarixClasses->GetZarixClassByName("TPascalUnits")->ID);
}

namespace {

TEST(ReadOnlyProperties, AreStoredLikeEveryOther) {
    Owned file(TFileElement::New());
    Owned drive(TLogicalDriveElement::New());
    Owned time(TTimeElement::New());
    Owned memory(TMemoryElement::New());
    const std::pair<TPersistent*, std::vector<const char*>> cases[] = {
        {file, {"Exists", "FilePath", "FileSize", "AttrVolumeID", "AttrDirectory"}},
        {drive, {"DriveType", "DriveTypeString"}},
        {time, {"AlarmCount"}},
        {memory, {"MemoryLoad", "TotalPhys", "AvailVirtual", "AlocatedMemory", "AvailMemory"}},
    };
    for (const auto& [obj, names] : cases)
        for (const char* name : names) EXPECT_TRUE(Stored(obj, name)) << name;
    EXPECT_FALSE(Stored(time, "Alarm"));  // reading it uses up an alarm
}

}  // namespace
