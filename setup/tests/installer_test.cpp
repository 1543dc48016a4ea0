#include "setup/installer.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include <zlib.h>

#include "platform/files.h"
#include "platform/windows.h"
#include "platform/yes_no.h"
#include "setup/program_groups.h"
#include "setup/setup_dialogs.h"
#include "test_support.h"

namespace setup {
namespace {

namespace fs = std::filesystem;

const std::string kOriginals = std::string(SETUP_SAMPLE_DIR) + "/../../setup/tests/data/medium_files/";

void Write(const std::string& path, const std::string& bytes) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

bool LogHas(const std::string& text1250) {
    for (const std::string& s : HostLog())
        if (s.find(text1250) != std::string::npos) return true;
    return false;
}

class InstallerTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetWindowsDirectory(dir.Path("win"));
        cwd = fs::current_path();
    }
    void TearDown() override { fs::current_path(cwd); }

    // A medium of the sample, or one of the given script.
    void SampleMedium() { fs::copy(SETUP_SAMPLE_DIR, dir.Path("medium"), fs::copy_options::recursive); }
    void Medium(const std::string& script) { Write(dir.Path("medium/Setup.INI"), Cz(script)); }

    void Install() {
        desktop = std::make_unique<TDesktop>(dir.Path("medium/Setup"));
        desktop->Groups().SetRoot(dir.Path("menu"));
        desktop->Show();
        desktop->Run();
        EXPECT_TRUE(desktop->Finished());
    }
    // The dialog being shown, as its class.
    template <class D> static D& Dialog() {
        D* d = dynamic_cast<D*>(ActiveSetupDialog());
        if (!d) throw std::runtime_error("no such dialog");
        return *d;
    }
    std::vector<std::string> Asked() const {
        std::vector<std::string> names;
        for (const HostRecord& r : host.Records()) names.push_back(ToUtf8(r.kind == HostRecord::Box ? r.text : r.caption));
        return names;
    }

    TempDir dir{"setup"};
    InstalledHost host;
    std::unique_ptr<TDesktop> desktop;
    fs::path cwd;
};

TEST_F(InstallerTest, InstallsTheSampleThroughDialogsBackAndForth) {
    SampleMedium();
    const std::string prog = dir.Path("prog"), docs = dir.Path("docs");
    fs::create_directories(docs);
    host.PushAction([&] {  // folders: change one, then "Konec"
        Dialog<TDirDlg>().SetEditText("E1", prog);
        return mrCancel;
    });
    host.PushResult(mrNo);  // quit? no: the folder dialog again
    host.PushAction([&] {
        EXPECT_EQ(Dialog<TDirDlg>().Find("e1")->text, prog);
        Dialog<TDirDlg>().ClickBrowse("S2");
        return mrOk;
    });
    host.PushText(docs);  // the folder browser
    host.PushAction([] {  // options: untick the examples, then "Zpět"
        Dialog<TOptDlg>().ClickCheckBox("C1");
        return mrBack;
    });
    host.PushResult(mrOk);  // the folder dialog again
    host.PushAction([] {
        EXPECT_FALSE(Dialog<TOptDlg>().Find("C1")->checked);
        return mrOk;
    });
    host.PushAction([] {
        EXPECT_EQ(ActiveYesNoQuestion()->Lines().back(), Cz("Spustit ukázku ?"));
        return mrYes;
    });
    Install();

    EXPECT_EQ(Asked(), (std::vector<std::string>{"TDirDlg", "TAnoNeDialog", "Výběr složky", "TDirDlg", "TOptDlg",
                                                 "TDirDlg", "TOptDlg", "TAnoNeDialog",
                                                 "Instalace byla úspěšně dokončena"}));
    for (auto [installed, original] : {std::pair{prog + "/Ukazka.sh", "Ukazka.sh"},
                                       std::pair{docs + "/CTIMNE.TXT", "CTIMNE.TXT"}})
        EXPECT_EQ(ReadFile(installed), ReadFile(kOriginals + original)) << installed;
    EXPECT_EQ(access((prog + "/Ukazka.sh").c_str(), X_OK), 0);
    // The examples were not chosen; their folder is made all the same.
    EXPECT_TRUE(fs::is_directory(dir.Path("win/Oskelt32/Data")));
    EXPECT_FALSE(fs::exists(dir.Path("win/Oskelt32/Data/MAPLSMO.txt")));
    EXPECT_EQ(desktop->LastCopyState().installPos, desktop->LastCopyState().installMax);
    EXPECT_EQ(desktop->LastCopyState().installMax, 5);

    TIniFile ini(prog + "/Oskelt32.ini");
    EXPECT_EQ(ini.ReadString("Options", "WorkingDirectory", ""), ".");
    EXPECT_EQ(ini.ReadString("Options", "DataDirectory", ""), dir.Path("win/Oskelt32/Data/"));
    EXPECT_EQ(ini.ReadString("Options", "HelpFile", ""), "file://" + docs + "/CTIMNE.TXT");
    EXPECT_EQ(ini.ReadString("Options", "Language", ""), "CZ");

    const std::string menu = dir.Path("menu/Mapová sada/");
    EXPECT_EQ(ReadFile(menu + ".directory"), "[Desktop Entry]\nType=Directory\nName=Mapová sada\n");
    EXPECT_EQ(ReadFile(menu + "Ukázka.desktop"), "[Desktop Entry]\nType=Application\nName=Ukázka\nExec=" + prog +
                                                  "/Ukazka.sh\nIcon=" + prog + "/Ukazka.sh\nPath=" + prog + "\n");
    EXPECT_EQ(desktop->Groups().Macros().front(), Cz("[CreateGroup(\"Mapová sada\")]"));
    EXPECT_EQ(desktop->Picture().width, 64);
    EXPECT_EQ(desktop->Picture().left, 10);
    EXPECT_EQ(desktop->CaptionText(), Cz("Instalace mapové sady"));
    EXPECT_EQ(desktop->LastShowState(), SW_SHOWNORMAL);
    // The program was started in its folder.
    for (int i = 0; i < 100 && !fs::exists(prog + "/nainstalovano.txt"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(fs::exists(prog + "/nainstalovano.txt"));
}

TEST_F(InstallerTest, InstallsTheSampleWithItsOwnValuesWhenNobodyAnswers) {
    SampleMedium();
    Install();
    const std::string prog = dir.Path("win/Oskelt32/");
    for (const char* f : {"Ukazka.sh", "Doc/CTIMNE.TXT", "Data/MAPLSMO.txt", "Data/Srafy.txt"})
        EXPECT_EQ(ReadFile(prog + f), ReadFile(kOriginals + fs::path(f).filename().string())) << f;
    EXPECT_EQ(ReadFile(prog + "Oskelt32.ini"), "[Options]\r\nWorkingDirectory=.\r\nLanguage=CZ\r\nDataDirectory=" +
                                                   prog + "Data/\r\nHelpFile=file://" + prog + "Doc/CTIMNE.TXT\r\n");
    // The closing question has no answer: the program is not started.
    EXPECT_EQ(ToUtf8(HostLog().back()), "Instalace byla úspěšně dokončena");
    EXPECT_EQ(desktop->LastShowState(), 0);
    for (const auto& e : fs::recursive_directory_iterator(prog)) EXPECT_NE(e.path().filename().string()[0], '.');
}

// A valid PNG of one-bit grey pixels, all black: small on the disk at any size.
std::string BlackPng(uint32_t width, uint32_t height) {
    auto be32 = [](uint32_t v) {
        return std::string{char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    };
    auto chunk = [&](const std::string& type, const std::string& data) {
        std::string body = type + data;
        uLong crc = crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()));
        return be32(static_cast<uint32_t>(data.size())) + body + be32(static_cast<uint32_t>(crc));
    };
    std::string raw(static_cast<size_t>(height) * (1 + (width + 7) / 8), '\0');
    uLongf size = compressBound(raw.size());
    std::string packed(size, '\0');
    compress2(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(raw.data()), raw.size(), 9);
    packed.resize(size);
    return std::string("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", be32(width) + be32(height) + std::string("\x01\x00\x00\x00\x00", 5)) +
           chunk("IDAT", packed) + chunk("IEND", "");
}

// The window's pictures: BMP and GIF as well as PNG and JPEG; a picture far larger than the
// window is refused by its header, before it is decoded.
TEST_F(InstallerTest, PicturesOfEveryKindAndNoBombs) {
    const std::string bmp2x1 = std::string("BM\x3e\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\x02\0\0\0\x01\0\0\0\x01\0\x18\0", 30) +
                               std::string(24, '\0').replace(4, 4, std::string("\x08\0\0\0", 4)) +
                               std::string("\xff\0\0\0\0\xff\0\0", 8);  // blue, red; the row padded to 8
    const std::string gif1x1("GIF89a\x01\0\x01\0\x80\0\0\xff\0\0\0\0\0!\xf9\x04\0\0\0\0\0,\0\0\0\0\x01\0\x01\0\0\x02\x02\x44\x01\0;", 43);
    struct Case {
        const char* name;
        std::string bytes;
        bool loads;
        uint32_t firstPixel;
    } cases[] = {
        {"small.png", BlackPng(40, 30), true, 0xFF000000u},
        {"two.bmp", bmp2x1, true, 0xFF0000FFu},
        {"one.gif", gif1x1, true, 0xFFFF0000u},
        {"bomb.png", BlackPng(9000, 9000), false, 0},
        {"wide.png", BlackPng(9000, 10), false, 0},
        {"bomb.bmp", bmp2x1.substr(0, 18) + std::string("\x30\x75\0\0\x30\x75\0\0", 8) + bmp2x1.substr(26), false, 0},
        {"bomb.gif", gif1x1.substr(0, 6) + "\xff\xff\xff\xff" + gif1x1.substr(10), false, 0},
        {"bomb.jpg", std::string("\xff\xd8\xff\xe0\0\x04\0\0\xff\xc2\0\x0b\x08\x75\x30\x75\x30\x01\x01\x11\0", 21), false, 0},
    };
    for (const Case& c : cases) {
        Write(dir.Path(c.name), c.bytes);
        TPicture picture;
        ASSERT_EQ(LoadPicture(dir.Path(c.name), picture), c.loads) << c.name;
        if (c.loads) {
            EXPECT_EQ(picture.Pixel(0, 0), c.firstPixel) << c.name;
        }
    }
    // The step shows a BMP.
    Write(dir.Path("medium/two.bmp"), bmp2x1);
    Medium("[Application]\nName=x\n[Disks]\nNumber=1\n[VarDirs]\nZ=SOURCE\n[Process]\nBMP=Z,two.bmp,5,6\n");
    Install();
    EXPECT_EQ(desktop->Picture().width, 2);
    EXPECT_EQ(desktop->Picture().left, 5);
}

// A comma in the install folder splits no menu entry's fields.
TEST_F(InstallerTest, AFolderWithACommaKeepsItsMenuEntry) {
    SetWindowsDirectory(dir.Path("win,1"));
    SampleMedium();
    Install();
    const std::string prog = dir.Path("win,1/Oskelt32");
    EXPECT_EQ(ReadFile(dir.Path("menu/Mapová sada/Ukázka.desktop")),
              "[Desktop Entry]\nType=Application\nName=Ukázka\nExec=" + prog + "/Ukazka.sh\nIcon=" + prog +
                  "/Ukazka.sh\nPath=" + prog + "\n");
    EXPECT_EQ(ToUtf8(HostLog().back()), "Instalace byla úspěšně dokončena");
    EXPECT_EQ(desktop->FailedSteps(), 0);
}

// Group, item and ini steps that are not done are counted like files: the end message and
// the exit status tell.
TEST_F(InstallerTest, FailedGroupItemAndIniStepsAreCounted) {
    Write(dir.Path("t"), "a file where a folder should be");
    Medium("[Application]\nName=x\n[Disks]\nNumber=1\n[VarDirs]\nT=" + dir.Path("t") +
           "\n[Process]\nGRP1=a/b\nADDTOGROUP=0,x.sh,NIKDE,X,NIKDE\nINI1=T+x.ini,S,K,V,TEXT\nGRP2=dobrá\n");
    Install();
    EXPECT_EQ(desktop->FailedSteps(), 3);
    EXPECT_EQ(ToUtf8(HostLog().back()), "Instalace skončila s chybami: nenainstalovaných souborů 0, neprovedených kroků 3");
    EXPECT_TRUE(fs::exists(dir.Path("menu/dobrá/.directory")));
    // No temporary file is left beside the entries.
    int files = 0;
    for (const auto& e : fs::recursive_directory_iterator(dir.Path("menu"))) files += e.is_regular_file();
    EXPECT_EQ(files, 1);
}

// An ini step short of a file, section, key or value writes nothing and fails nothing: the
// success text follows.
TEST_F(InstallerTest, IncompleteIniStepsWriteNothingAndAreNoFailure) {
    for (const char* step : {"T+x.ini,S,K", "T+x.ini", "T+x.ini,,K,V", "T+x.ini,S,,V", ",S,K,V", "T+x.ini,S,K,,TEXT"}) {
        desktop.reset();
        ClearHostLog();
        Medium("[Application]\nName=x\n[Disks]\nNumber=1\n[VarDirs]\nT=" + dir.Path("t") + "\n[Process]\nINI1=" + step +
               "\n");
        Install();
        EXPECT_EQ(desktop->FailedSteps(), 0) << step;
        EXPECT_EQ(ToUtf8(HostLog().back()), "Instalace byla úspěšně dokončena") << step;
        EXPECT_FALSE(fs::exists(dir.Path("t/x.ini"))) << step;
    }
}

// Without $HOME the home folder comes from the password database; without an entry there
// Setup refuses to install (never into a folder every user shares).
TEST_F(InstallerTest, TheHomeFolderComesFromThePasswordDatabase) {
    std::string savedHome = getenv("HOME") ? getenv("HOME") : "", savedData = getenv("XDG_DATA_HOME") ? getenv("XDG_DATA_HOME") : "";
    unsetenv("XDG_DATA_HOME");
    passwd* me = getpwuid(getuid());
    ASSERT_NE(me, nullptr);
    const std::string expected = std::string(me->pw_dir) + "/.local/share";
    for (const char* home : {static_cast<const char*>(nullptr), "", "relative"}) {
        if (home) setenv("HOME", home, 1);
        else unsetenv("HOME");
        EXPECT_EQ(XdgDataHome(), expected) << (home ? home : "(none)");
    }
    if (getuid() == 0 && !getpwuid(54321)) {
        unsetenv("HOME");
        pid_t child = fork();
        if (child == 0) {
            int result = setuid(54321) == 0 && XdgDataHome().empty() ? RunSetup(dir.Path("medium/Setup")) : 9;
            _exit(result == 1 && HostLog().size() == 1 &&
                          ToUtf8(HostLog()[0]) == "Nelze zjistit domovskou složku uživatele, instalace neproběhne"
                      ? 0
                      : 1);
        }
        int status = -1;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    if (savedHome.empty()) unsetenv("HOME");
    else setenv("HOME", savedHome.c_str(), 1);
    if (!savedData.empty()) setenv("XDG_DATA_HOME", savedData.c_str(), 1);
}

TEST_F(InstallerTest, StepSequence) {
    const std::string head = "[Application]\nName=x\n[Disks]\nNumber=1\n[VarDirs]\nT=" + dir.Path("t") +
                             "\n[Options]\nO=TRUE\n[Process]\n";
    struct Case {
        std::string process;
        std::vector<int> answers;
        std::vector<std::string> asked;
        std::string caption;
    };
    const std::string done = "Instalace byla úspěšně dokončena";
    for (const Case& c : std::vector<Case>{
             // "Zpět" in the first dialog asks to quit; No starts again at the first step.
             {"CAPTION=a\ndlg1=optionsdlg\n", {mrBack, mrNo, mrOk}, {"TOptDlg", "TAnoNeDialog", "TOptDlg", done}, "a"},
             {"dlg=OPTIONSDLG\n", {mrCancel, mrYes}, {"TOptDlg", "TAnoNeDialog"}, ""},
             {"QUEST=q\nCAPTION=late\n", {mrNo}, {"TAnoNeDialog", done}, ""},
             {"QUEST=q\nCAPTION=late\n", {}, {"TAnoNeDialog", done}, ""},
             // Lines without a step, of an unknown kind, repeated or empty are no steps.
             {"xBMP=T,p.png\nDLG=OTHER\nEXE=\nBMP=T\ncaption=one\nCAPTION=two\nnothing\n", {}, {done}, "one"}}) {
        Medium(head + c.process);
        host.ClearRecords();
        for (int a : c.answers) host.PushResult(a);
        Install();
        EXPECT_EQ(Asked(), c.asked) << c.process;
        EXPECT_EQ(desktop->CaptionText(), Cz(c.caption)) << c.process;
        desktop.reset();
    }
}

TEST_F(InstallerTest, IntroPaintsTheGridAndShowsTheLabels) {
    Medium("[Application]\nName=x\n[Disks]\nNumber=1\n");
    Install();
    const TPicture& p = desktop->Picture();
    ASSERT_EQ(p.width, TDesktop::kScreenWidth);
    for (auto [col, row] : {std::pair{0, 0}, std::pair{3, 2}, std::pair{9, 9}})
        EXPECT_EQ(p.Pixel(col * 80 + 40, row * 60 + 30), 0xFF000000u | uint32_t(25 * row) << 8 | uint32_t(25 * col));
    EXPECT_TRUE(desktop->LabelsVisible());
}

TEST_F(InstallerTest, ScriptsThatCannotRun) {
    struct Case { const char* script; const char* message; };
    for (Case c : {Case{nullptr, "Nemohu nalézt soubor "},
                   Case{"[Application]\nName=x\n[Disks]\nNumber=12\n", "Chybička ... žádné instalační disky"},
                   Case{"[Disks]\nNumber=1\n", "Chybí jméno aplikace ... končíme - čest"}}) {
        fs::remove(dir.Path("medium/Setup.INI"));
        if (c.script) Medium(c.script);
        ClearHostLog();
        Install();
        ASSERT_EQ(HostLog().size(), 1u);
        EXPECT_EQ(ToUtf8(HostLog()[0]).rfind(c.message, 0), 0u) << HostLog()[0];
    }
}

// Fewer than no disks: no disks are copied and the steps run.
TEST_F(InstallerTest, ANegativeDiskNumberCopiesNothingAndGoesOn) {
    Medium("[Application]\nName=x\n[Disks]\nNumber=-1\n[VarDirs]\nSRC=SOURCE\n[FixDirs]\nODKUD=SRC+DISK1\n"
           "[Process]\nDLG=COPYFILES\n");
    ClearHostLog();
    Install();
    EXPECT_FALSE(LogHas(Cz("Chybička")));
    ASSERT_FALSE(HostLog().empty());
    EXPECT_EQ(ToUtf8(HostLog().back()), "Instalace byla úspěšně dokončena");
}

// A medium whose first disk holds the files given, with the script's groups.
class CopyTest : public InstallerTest {
protected:
    std::string Script(const std::string& groups, const std::string& more = "") {
        return "[Application]\nName=x\n[Disks]\nNumber=1\n[DISK1]\nG=TRUE\n[G]\n" + groups + "[VarDirs]\nSRC=SOURCE\nT=" +
               dir.Path("t") + "\n" + more + "[FixDirs]\nODKUD=SRC+DISK1\n[Process]\nDLG=COPYFILES\n";
    }
};

TEST_F(CopyTest, FailuresAndUnsafeNamesAreCountedAndTouchNothingElse) {
    Write(dir.Path("medium/DISK1/good.txt"), "good");
    Write(dir.Path("medium/DISK1/bad.bin"), std::string("SZDD\x88\xF0\x27\x33" "A\0d\0\0\0\x01x", 16));
    Write(dir.Path("t/bad.bin"), "old");
    Write(dir.Path("escape.txt"), "outside");
    Medium(Script("good.txt=T\nbad.bin=T\n../escape.txt=T\n/etc/hostname=T\nC:x.txt=T\n"));
    Install();
    EXPECT_EQ(ReadFile(dir.Path("t/good.txt")), "good");
    EXPECT_EQ(ReadFile(dir.Path("t/bad.bin")), "old");
    EXPECT_EQ(ReadFile(dir.Path("escape.txt")), "outside");
    EXPECT_TRUE(LogHas("Chyba -3"));
    EXPECT_TRUE(LogHas(Cz("Nepřípustné jméno souboru ../escape.txt")));
    EXPECT_EQ(desktop->FailedFiles(), 4);
    EXPECT_EQ(ToUtf8(HostLog().back()), "Instalace skončila s chybami: nenainstalovaných souborů 4");
}

TEST_F(CopyTest, UnresolvedFoldersEndCopyingAndSkipTheirSteps) {
    Write(dir.Path("medium/DISK1/a.txt"), "a");
    // Steps naming an unknown folder do nothing.
    Medium("[Application]\nName=x\n[Disks]\nNumber=1\n[VarDirs]\nT=" + dir.Path("t") +
           "\n[Process]\nINI=NOWHERE+x.ini,S,K,T\nINI2=T+y.ini,S,K,NOWHERE\nINI3=T+z.ini,S,K\n"
           "INI4=T+../w.ini,S,K,v,TEXT\nADDTOGROUP=0,a,NOWHERE,t,T\nEXE=a,NOWHERE\nEXE2=none,T,\n");
    Install();
    EXPECT_FALSE(fs::exists(dir.Path("t")));
    EXPECT_FALSE(fs::exists(dir.Path("w.ini")));
    EXPECT_FALSE(fs::exists(dir.Path("menu")));
    EXPECT_EQ(desktop->LastShowState(), SW_SHOWMINIMIZED);
    // A file group naming an unknown folder ends copying as a folder that cannot be made.
    desktop.reset();
    ClearHostLog();
    Medium(Script("a.txt=NOWHERE\n"));
    Install();
    EXPECT_EQ(ToUtf8(HostLog().back()), "nelze vytvořit složku NOWHERE... Instalace bude ukončena !");
    // Without the media folder the message says so.
    desktop.reset();
    ClearHostLog();
    Medium("[Application]\nName=x\n[Disks]\nNumber=1\n[DISK1]\nG=TRUE\n[G]\na.txt=T\n[VarDirs]\nT=" + dir.Path("t") +
           "\n[Process]\nDLG=COPYFILES\n");
    Install();
    EXPECT_EQ(ToUtf8(HostLog().back()), "Ve skriptu instalace chybí složka médií ODKUD ... Instalace bude ukončena !");
}

TEST_F(CopyTest, SourceIsRememberedByNameAcrossDialogEdits) {
    Write(dir.Path("medium/DISK1/a.txt"), "a");
    Medium("[Application]\nName=x\n[Disks]\nNumber=1\n[DISK1]\nG=TRUE\n[G]\na.txt=B\n[VarDirs]\nA=" + dir.Path("a") +
           "\nSRC=source\nB=" + dir.Path("b") + "\n[FixDirs]\nODKUD=SRC+DISK1\n[Process]\nDLG=DIRSDLG\nDLG2=COPYFILES\n");
    host.PushAction([] {
        Dialog<TDirDlg>().SetEditText("E0", "");  // A leaves the list
        return mrOk;
    });
    Install();
    EXPECT_EQ(ReadFile(dir.Path("b/a.txt")), "a");
    EXPECT_FALSE(fs::exists(dir.Path("a")));
}

TEST_F(CopyTest, MediaPromptsInFolderAndFloppyMode) {
    Write(dir.Path("medium/DISK1/one.txt"), "1");
    Write(dir.Path("medium/DISK2/two.txt"), "2");
    const std::string groups = "[Application]\nName=x\n[Disks]\nNumber=2\n[DISK1]\nG1=TRUE\nOFF=NO\n[DISK2]\nG2=TRUE\n"
                               "[G1]\none.txt=T\nlate.txt=T\n[OFF]\nnever.txt=T\n[G2]\ntwo.txt=T\n[Options]\nNO=false\n"
                               "[VarDirs]\nSRC=SOURCE\nT=" + dir.Path("t") + "\n[Process]\nDLG=COPYFILES\n";
    // Folder mode: a missing file is asked for until it is there.
    Medium(groups + "[FixDirs]\nODKUD=SRC+DISK1\n");
    host.PushResult(mrOk);
    host.PushAction([&] {
        Write(dir.Path("medium/DISK1/late.txt"), "late");
        return mrOk;
    });
    Install();
    EXPECT_EQ(Asked(), (std::vector<std::string>{"Vsuňte instalační disketu č.1 nebo disk se souborem late.txt",
                                                 "Vsuňte instalační disketu č.1 nebo disk se souborem late.txt",
                                                 "Instalace byla úspěšně dokončena"}));
    EXPECT_EQ(ReadFile(dir.Path("t/late.txt")), "late");
    EXPECT_EQ(ReadFile(dir.Path("t/two.txt")), "2");
    EXPECT_EQ(desktop->LastCopyState().installPos, 4);
    EXPECT_EQ(desktop->LastCopyState().diskPos, desktop->LastCopyState().diskMax);

    // Floppy mode on drive A: the second disk is asked for first; Cancel on a file ends.
    desktop.reset();
    host.ClearRecords();
    fs::remove_all(dir.Path("t"));
    Medium(groups + "[FixDirs]\nODKUD=A:\\\n");
    SetDriveRoot('A', dir.Path("medium/DISK1"), DRIVE_REMOVABLE);
    host.PushAction([&] {
        SetDriveRoot('A', dir.Path("medium/DISK2"), DRIVE_REMOVABLE);
        return mrOk;
    });
    host.PushCancel();
    fs::remove(dir.Path("medium/DISK2/two.txt"));
    Install();
    SetDriveRoot('A', "");
    EXPECT_EQ(Asked(), (std::vector<std::string>{"Vsuňte instalační disketu č.2",
                                                 "Vsuňte instalační disketu č.2 nebo disk se souborem two.txt"}));
    EXPECT_EQ(ReadFile(dir.Path("t/one.txt")), "1");
}

TEST_F(CopyTest, AMissingFileWithNobodyToAnswerEndsTheInstallation) {
    Write(dir.Path("medium/DISK1/one.txt"), "1");
    Medium("[Application]\nName=x\n[Disks]\nNumber=1\n[DISK1]\nG=TRUE\n[G]\nlost.txt=T\none.txt=T\n"
           "[VarDirs]\nSRC=SOURCE\nT=" + dir.Path("t") + "\n[FixDirs]\nODKUD=SRC+DISK1\n[Process]\nDLG=COPYFILES\n");
    Install();
    EXPECT_EQ(Asked(), (std::vector<std::string>{"Vsuňte instalační disketu č.1 nebo disk se souborem lost.txt"}));
    EXPECT_FALSE(fs::exists(dir.Path("t/one.txt")));
}

// Setup as a command with an answers file: the folder dialog takes a folder typed into a
// row, the options dialog an unticked box, the closing question No. "Zpět" in the first
// dialog asks whether to quit; a line that fits no control there stops the run.
TEST_F(InstallerTest, SetupRunWithAnAnswersFileInstallsWhereTheFileSays) {
    SampleMedium();
    fs::copy_file(SETUP_PATH, dir.Path("medium/Setup"));
    const std::string prog = dir.Path("chosen");
    auto run = [&](const std::string& answers) {
        Write(dir.Path("answers.txt"), answers);  // UTF-8
        std::string command = "cd '" + dir.Path() + "' && XDG_DATA_HOME='" + dir.Path("xdg") +
                              "' medium/Setup --answers answers.txt < /dev/null > out.txt 2>&1";
        return std::system(command.c_str());
    };
    EXPECT_EQ(run("# folders\nE1=" + prog + "\nOK\n# options: no examples\nC1=0\nOK\nNo\n"), 0)
        << ReadFile(dir.Path("out.txt"));
    EXPECT_EQ(ReadFile(prog + "/Ukazka.sh"), ReadFile(kOriginals + "Ukazka.sh"));
    EXPECT_TRUE(fs::exists(dir.Path("xdg/Oskelt32/Doc/CTIMNE.TXT")));
    EXPECT_FALSE(fs::exists(dir.Path("xdg/Oskelt32/Data/MAPLSMO.txt")));

    EXPECT_NE(run("E1=" + prog + "\nZpět\nC9=1\n"), 0);
    EXPECT_NE(ReadFile(dir.Path("out.txt")).find("line 3: no control C9 on TAnoNeDialog"), std::string::npos)
        << ReadFile(dir.Path("out.txt"));
}

}  // namespace
}  // namespace setup
