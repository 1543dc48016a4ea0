#include "composer/sheet_job.h"

#include <cstdlib>
#include <filesystem>
#include <regex>
#include <sys/wait.h>

#include "composer_test_support.h"
#include "composition/map_spaces.h"
#include "device/canvas.h"
#include "workbench/form_tool_manager.h"
#include "workbench/key_map_window.h"
#include "../../outside/device/tests/private_cups_server.h"

namespace {

// The sample script with its settings lines replaced.
std::string SampleScript(const std::string& out) {
    std::string script = ReadFile(SUITE_SAMPLES_DIR "/oskelt32/Sheet.YESK");
    script = std::regex_replace(script, std::regex("local selection = [^\n]*"),
                                "local selection = \"" SUITE_SAMPLES_DIR "/oskelt32/Select.ZRX\"");
    script = std::regex_replace(script, std::regex("local template = [^\n]*"),
                                "local template = \"" SUITE_SAMPLES_DIR "/templates/SMO50.MSD\"");
    return std::regex_replace(script, std::regex("local out = [^\n]*"), "local out = \"" + out + "\"");
}

class SheetJobTest : public ComposerTest {};

TEST_F(SheetJobTest, SheetsAreFoundByNameOrAbbreviation) {
    Start(false);
    TSMO* root = TSMO::New();
    root->ReadSheetList(SUITE_SAMPLES_DIR "/service/MAPLSMO.txt");
    struct Case {
        std::string text;
        std::string abbreviation;  // "" when none is found
    };
    std::vector<Case> cases = {{"OSTR", "OSTR"}, {"ostr", "OSTR"}, {"Ostrava", "OSTR"},
                               {Cz("Bílovec"), "BILO"}, {"NJIC", "NJIC"}, {"Praha", ""}, {"", ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        TMapSpace* sheet = FindSheetNamed(root, c.text);
        EXPECT_EQ(sheet ? sheet->GetZkratka() : std::string(), c.abbreviation);
        if (sheet) {
            EXPECT_DOUBLE_EQ(sheet->GetScale(), 50000);
        }
    }
    Free(root);
}

// An abbreviation of the sheet list names the output files: one that is not one plain file
// name is refused, naming the sheet, and nothing is written outside the output folder.
TEST_F(SheetJobTest, AnAbbreviationThatIsNoPlainFileNameIsRefused) {
    Start(false);
    TOptions* options = tool->GetOptions();
    options->SetServiceDirectory(dir.Path());
    options->DataDirectory = SUITE_SAMPLES_DIR "/data";
    std::filesystem::create_directory(dir.Path("out"));
    for (const char* abbreviation : {"../X", "..\\X", "C:XY", "a/bc"}) {  // four letters, as in the list
        SCOPED_TRACE(abbreviation);
        std::string list = ReadFile(SUITE_SAMPLES_DIR "/service/MAPLSMO.txt");
        list = std::regex_replace(list, std::regex(" OSTR "), std::string(" ") + abbreviation + " ");
        WriteText(dir.Path("MAPLSMO.txt"), list);
        TSheetJob* job = TSheetJob::New();
        tool->AddTool(job);
        job->Sheet = "Ostrava";
        job->TemplateName = SUITE_SAMPLES_DIR "/templates/SMO50.MSD";
        job->OutputDirectory = dir.Path("out/sheets");
        job->DoIt();
        EXPECT_TRUE(Logged(Cz("Zkratka mapového listu Ostrava není název souboru: ") + abbreviation));
        EXPECT_EQ(job->Output, nullptr);
        EXPECT_EQ(job->PngFile(), "");
        tool->FreeTool(job);
        Application().ProcessMessages();
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path("out")));
}

// A sheet job that records how deep jobs run inside one another.
class TDepthSheetJob : public TSheetJob {
    ZARIX_CLASS(TDepthSheetJob, TSheetJob)

public:
    void DoIt() override {
        deepest = std::max(deepest, ++depth);
        TSheetJob::DoIt();
        --depth;
    }
    static inline int depth = 0;
    static inline int deepest = 0;
};

// Jobs started together (a script posts their starts at once) run one after another, not
// inside the first one's drawing; each closes its sheet's window once its files are
// written, so no sheet's data outlives its job. A job freed while it waits is skipped.
TEST_F(SheetJobTest, JobsStartedTogetherRunInTurnAndLeaveNoWindow) {
    Start(false);
    TOptions* options = tool->GetOptions();
    options->SetServiceDirectory(SUITE_SAMPLES_DIR "/service");
    options->DataDirectory = SUITE_SAMPLES_DIR "/data";
    auto windows = [&] {
        int count = 0;
        for (int32_t i = 0; i < tool->ToolsCount(); ++i) count += tool->GetTool(i)->Is<TFormToolManager>();
        return count;
    };
    std::vector<TDepthSheetJob*> jobs;
    for (const char* sheet : {"OSTR", "BILO", "OPAV", "FRYD"}) {
        TDepthSheetJob* job = TDepthSheetJob::New();
        tool->AddTool(job);
        job->Sheet = sheet;
        job->TemplateName = SUITE_SAMPLES_DIR "/templates/SMO50.MSD";
        job->OutputDirectory = dir.Path("out");
        job->PostMsg(tm_StartTask, job, nullptr, false);
        jobs.push_back(job);
        host.PushResult(mrOk);  // the variable texts of the sheet
    }
    tool->FreeTool(jobs[2]);
    TDepthSheetJob::deepest = 0;
    Application().ProcessMessages();
    EXPECT_EQ(TDepthSheetJob::deepest, 1);
    for (int i : {0, 1, 3}) {
        SCOPED_TRACE(i);
        EXPECT_EQ(jobs[i]->PngFiles().size(), 1u);
        EXPECT_TRUE(FileExists(jobs[i]->PdfFile()));
        EXPECT_EQ(jobs[i]->Output, nullptr);
    }
    EXPECT_FALSE(FileExists(dir.Path("out/OPAV.png")));
    EXPECT_EQ(windows(), 0);
    // Without an output folder the window is the sheet and stays.
    jobs[0]->OutputDirectory.clear();
    host.PushResult(mrOk);
    jobs[0]->DoIt();
    EXPECT_EQ(windows(), 1);
    EXPECT_NE(jobs[0]->Output, nullptr);
}

// The whole job as a command: the sample start script into a temporary folder.
TEST(OskeltSheet, TheStartScriptWritesTheSheetAsPngAndPdf) {
    TempDir dir("oskeltsheet");
    ASSERT_FALSE(dir.Path().empty());
    WriteText(dir.Path("Job.INI"), "[Options]\r\nServiceDirectory=" SUITE_SAMPLES_DIR "/service\r\nDataDirectory=" SUITE_SAMPLES_DIR
                                   "/data\r\n");
    WriteText(dir.Path("Sheet.YESK"), SampleScript(dir.Path("out")));
    std::string command = "cd '" + dir.Path() + "' && '" OSKELT32_PATH "' Job.INI Sheet.YESK --answers '" SUITE_SAMPLES_DIR
                          "/oskelt32/sheet-answers.txt' > log.txt 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << ReadFile(dir.Path("log.txt"));

    std::string pdf = ReadFile(dir.Path("out/OSTR.pdf"));
    ASSERT_EQ(pdf.rfind("%PDF-", 0), 0u) << ReadFile(dir.Path("log.txt"));
    std::smatch m;
    int pages = 0;
    std::regex page("/Type\\s*/Page[^s]"), box("/MediaBox\\s*\\[\\s*0\\s+0\\s+([0-9.]+)\\s+([0-9.]+)");
    for (auto i = std::sregex_iterator(pdf.begin(), pdf.end(), page); i != std::sregex_iterator(); ++i) ++pages;
    EXPECT_GT(pages, 1);  // the sheet is larger than one A4 sheet
    ASSERT_TRUE(std::regex_search(pdf, m, box));
    EXPECT_NEAR(std::stod(m[1]), 595.28, 0.5);  // A4 in points
    EXPECT_NEAR(std::stod(m[2]), 841.89, 0.5);

    TRasterImage png;
    png.LoadFromPNG(dir.Path("out/OSTR.png"));
    ASSERT_GT(png.Width(), 100);
    ASSERT_GT(png.Height(), 100);
    // the frame's black lines and the map's grey between white margins
    int black = 0, white = 0;
    for (int y = 0; y < png.Height(); ++y)
        for (int x = 0; x < png.Width(); ++x) {
            black += png.Pixel(x, y) == clBlack;
            white += png.Pixel(x, y) == clWhite;
        }
    EXPECT_GT(black, png.Width());
    EXPECT_GT(white, png.Width() * png.Height() / 10);

    // Runs whose output cannot be written end with status 1: under a file-size limit the
    // old PDF stays whole; an output folder that is a file makes nothing.
    WriteText(dir.Path("File.YESK"), SampleScript(dir.Path("Job.INI")));
    struct Case {
        const char* limit;
        const char* script;
    } failing[] = {{"ulimit -f 16", "Sheet.YESK"}, {"true", "File.YESK"}};
    for (const Case& c : failing) {
        command = "cd '" + dir.Path() + "' && bash -c \"trap '' XFSZ; " + c.limit + "; exec '" OSKELT32_PATH "' Job.INI " +
                  c.script + " --answers '" SUITE_SAMPLES_DIR "/oskelt32/sheet-answers.txt'\" > log.txt 2>&1";
        int status = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(status)) << c.script;
        EXPECT_EQ(WEXITSTATUS(status), 1) << ReadFile(dir.Path("log.txt"));
        EXPECT_EQ(ReadFile(dir.Path("out/OSTR.pdf")), pdf) << c.script;
    }
}

}  // namespace

namespace {

// Through the key-map window of a started program: a new key map showing only the 1:50000
// sheets, the named sheets clicked with the sheet selector, the building applied, then a
// sheet selection started and applied, which writes "Select.ZRX" into the current folder.
void MarkOnKeyMap(TMainTool* tool, std::initializer_list<const char*> names) {
    auto* guide = As<TGuideFormTool>(tool->GuideTool());
    ASSERT_NE(guide, nullptr);  // [GUIDE] Visible=1 opened it
    TGuideForm& form = *guide->GuideForm();
    for (const char* b : {"b_5", "b_2", "b_U"})
        if (form[b].Checked) form[b].Click();
    if (!form["b_50"].Checked) form["b_50"].Click();
    form["b_GuideSelector"].Click();
    Application().ProcessMessages();
    TSMO* root = TSMO::New();
    root->ReadSheetList(SUITE_SAMPLES_DIR "/service/MAPLSMO.txt");
    for (const char* name : names) {
        TMapSpace* sheet = FindSheetNamed(root, name);
        ASSERT_NE(sheet, nullptr);
        TPixelPoint p = guide->GetProjection()->GetPagePoint(sheet->GetCenterX(), sheet->GetCenterY());
        form.MouseDown(mbLeft, 0, p.X, p.Y);
        form.MouseUp(mbLeft, 0, p.X, p.Y);
        Application().ProcessMessages();
    }
    Free(root);
    form["b_Apply"].Click();  // ends the building: no selection yet
    Application().ProcessMessages();
    tool->PostMsg(msg::StartSheetSelection, tool, nullptr, false);
    Application().ProcessMessages();
    form["b_Apply"].Click();
    Application().ProcessMessages();
}

const char* const kKeyMapIni = "[Options]\r\nServiceDirectory=" SUITE_SAMPLES_DIR "/service\r\nDataDirectory=" SUITE_SAMPLES_DIR
                               "/data\r\n[GUIDE]\r\nVisible=1\r\n";

// Marks sheets on the key map through its window, applies, quits; at the next start the
// job takes the saved selection and makes exactly the marked sheets.
TEST_F(ComposerTest, TheSheetsMarkedOnTheKeyMapAreMadeAtTheNextStart) {
    WriteText(dir.Path("Oskelt32.INI"), kKeyMapIni);
    WriteText(dir.Path("MAPLSMO.txt"), ReadFile(SUITE_SAMPLES_DIR "/service/MAPLSMO.txt"));
    Start();
    MarkOnKeyMap(tool, {"OSTR", "BILO"});
    ASSERT_TRUE(FileExists(dir.Path("Select.ZRX")));
    host.PushResult(mrYes);  // the quit question
    tool->PostMsg(tm_QuitTask, tool, nullptr, false);
    Application().ProcessMessages();
    EXPECT_NE(Ini().find("[GUIDE]\r\nVisible=1"), std::string::npos);
    Free(World);
    World = nullptr;
    while (Application().HandleMessage()) {
    }

    Start();
    ASSERT_NE(tool->GuideTool(), nullptr);
    TSheetJob* job = TSheetJob::New();
    tool->AddTool(job);
    job->Selection = "Select.ZRX";
    job->TemplateName = SUITE_SAMPLES_DIR "/templates/SMO50.MSD";
    job->OutputDirectory = dir.Path("out");
    for (int i = 0; i < 4; ++i) host.PushResult(mrOk);  // the variable texts of each sheet
    job->DoIt();
    std::vector<std::string> made = job->PngFiles();
    std::sort(made.begin(), made.end());
    EXPECT_EQ(made, (std::vector<std::string>{dir.Path("out") + "/BILO.png", dir.Path("out") + "/OSTR.png"}));

    // A selection file that is broken gives a message and no sheet.
    WriteText(dir.Path("Select.ZRX"), "TPF0\x01");
    ClearHostLog();
    job->DoIt();
    EXPECT_TRUE(job->PngFiles().empty());
    EXPECT_FALSE(HostLog().empty());
}

}  // namespace

namespace {

// The sample job's selection is the key map's own: Ostrava marked through the window. With
// SUITE_WRITE_SAMPLES=1 in the environment the sample file is written anew.
TEST_F(ComposerTest, TheSampleSelectionIsWhatTheKeyMapWrites) {
    WriteText(dir.Path("Oskelt32.INI"), kKeyMapIni);
    WriteText(dir.Path("MAPLSMO.txt"), ReadFile(SUITE_SAMPLES_DIR "/service/MAPLSMO.txt"));
    Start();
    MarkOnKeyMap(tool, {"OSTR"});
    std::string made = ReadFile(dir.Path("Select.ZRX"));
    ASSERT_FALSE(made.empty());
    const std::string sample = SUITE_SAMPLES_DIR "/oskelt32/Select.ZRX";
    if (const char* w = std::getenv("SUITE_WRITE_SAMPLES"); w && std::string(w) == "1") WriteText(sample, made);
    EXPECT_EQ(ReadFile(sample), made);
}

// The sample sheet printed through its map window's print command: to the default queue of
// a CUPS server, the dialog's end message naming it; without a server into the file.
TEST(OskeltSheet, TheSheetsWindowPrintsToThePrinterQueueOrWithoutAServerToTheFile) {
    std::string missing = PrivateCupsServer::Missing();
    if (!missing.empty()) GTEST_SKIP() << missing;
    PrivateCupsServer server;
    std::string why;
    ASSERT_TRUE(server.Start({{"Sheets", true, true, false, "sheets.pdf"}}, why)) << why;
    PrivateCupsServer::Forget();  // for the program only
    TempDir dir("oskeltprint");
    ASSERT_FALSE(dir.Path().empty());
    WriteText(dir.Path("Job.INI"), "[Options]\r\nServiceDirectory=" SUITE_SAMPLES_DIR "/service\r\nDataDirectory=" SUITE_SAMPLES_DIR
                                   "/data\r\n");
    // The job's own PDF first; a job with an output folder closes its window when done.
    WriteText(dir.Path("Sheet.YESK"), SampleScript(dir.Path("out")));
    std::string own = "cd '" + dir.Path() + "' && CUPS_SERVER='" + dir.Path("none.sock") + "' '" OSKELT32_PATH
                      "' Job.INI Sheet.YESK --answers '" SUITE_SAMPLES_DIR "/oskelt32/sheet-answers.txt' > log.txt 2>&1";
    ASSERT_EQ(std::system(own.c_str()), 0) << ReadFile(dir.Path("log.txt"));
    // Without an output folder the sheet's window stays open to print from.
    std::string windowScript = std::regex_replace(SampleScript(dir.Path("out")), std::regex("job:Set\\(\"OutputDirectory\"[^\n]*"), "");
    std::string script = std::regex_replace(windowScript, std::regex("main:Post\\(2\\)"), R"(yesk.ProcessMessages()
for i = 0, main:ChildCount() - 1 do
  local tools = main:Child(i)
  if tools:ClassName() == "TTools" then
    for j = tools:ChildCount() - 1, 0, -1 do
      if tools:Child(j):Is("TFormToolManager") then
        tools:Child(j):Post(40)
        break
      end
    end
  end
end
main:Post(2)
)");
    WriteText(dir.Path("Print.YESK"), script);
    WriteText(dir.Path("answers.txt"), "OK\nOK\nYes\n");  // the sheet's texts, the print dialog, the quit
    struct Case {
        std::string server;
        std::string printed;  // the file with the pages
        std::string note, end;
    } cases[] = {
        {server.Socket(), server.Out() + "/sheets.pdf", "Tisk na tiskárnu \"Sheets\"", "Ukončen tisk na \"Sheets\""},
        {dir.Path("none.sock"), dir.Path("print.pdf"), "neodpovídá", "Ukončen tisk na \"PDF\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.server);
        std::string command = "cd '" + dir.Path() + "' && CUPS_SERVER='" + c.server + "' '" OSKELT32_PATH
                              "' Job.INI Print.YESK --answers answers.txt > log.txt 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0) << ReadFile(dir.Path("log.txt"));
        std::string log = ReadFile(dir.Path("log.txt"));
        EXPECT_NE(log.find(c.note), std::string::npos) << log;
        EXPECT_NE(log.find(c.end), std::string::npos) << log;
        std::string sheet = ReadFile(dir.Path("out/OSTR.pdf")), printed = ReadFile(c.printed);
        ASSERT_EQ(printed.rfind("%PDF-", 0), 0u) << log << server.Log();
        std::regex page("/Type\\s*/Page[^s]");
        auto pages = [&](const std::string& pdf) {
            return std::distance(std::sregex_iterator(pdf.begin(), pdf.end(), page), std::sregex_iterator());
        };
        EXPECT_GT(pages(printed), 1);
        EXPECT_EQ(pages(printed), pages(sheet));  // the same sheets as the job's own file
    }
}

}  // namespace
