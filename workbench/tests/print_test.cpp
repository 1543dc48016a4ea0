#include <gtest/gtest.h>

#include "composition/pages.h"
#include "device/printer.h"
#include "platform/files.h"
#include "platform/inifiles.h"
#include "workbench/form_tool_manager.h"
#include "workbench/print_dialog.h"
#include "workbench_test_util.h"
#include "../../platform/tests/test_support.h"
#include "../../outside/device/tests/private_cups_server.h"

namespace {

using wbtest::TCountingInterpret;

// A main tool naming an ini file of this process, so parallel test runs never share one.
class TIniMainTool : public TTechnology {
    ZARIX_CLASS(TIniMainTool, TTechnology)

public:
    static void Publish(PropertyTable& t) { t.Field("IniFileName", &TIniMainTool::IniFileName); }
    std::string IniFileName;
};

class PrintTest : public wbtest::WorldTest {
protected:
    void SetUp() override {
        WorldTest::SetUp();
        static const bool registered = (RegisterZarixClass<TIniMainTool>(), true);
        (void)registered;
        auto* tool = TIniMainTool::New();
        tool->IniFileName = wbtest::TempPath("print.ini");
        world->SetMainTool(tool);
        mainTool = tool;
        SetDecimalSeparator('.');
        pdf = wbtest::TempPath("job.pdf");
        Printer().SetFileName(pdf);
        Printer().SetPaperSize(0.21, 0.297);
        DeleteFile(PrintIniFileName());
        manager = TFormToolManager::New();
        mainTool->AddTool(manager);
        interpret = TCountingInterpret::New();
        manager->SetInterpret(interpret);
    }
    void TearDown() override {
        DeleteFile(pdf);
        DeleteFile(PrintIniFileName());
        Printer().SetPaperSize(0.21, 0.297);
        WorldTest::TearDown();
    }
    // Shows the element and prints the window.
    void Print(TElement* shown) {
        manager->SetInput(shown);
        manager->DoIt();
        Application().ProcessMessages();
        manager->PostMsg(tm_PrintView, manager, nullptr, false);
        Application().ProcessMessages();
    }
    TDesktop* Desktop(double w, double h) {
        TDesktop* d = TDesktop::New();
        d->SetRect(0, 0, w, h);
        return d;
    }
    std::string pdf;
    TFormToolManager* manager = nullptr;
    TCountingInterpret* interpret = nullptr;
};

TEST_F(PrintTest, ADesktopIsPrintedOnePdfPagePerSheet) {
    int draws = 0;
    std::string caption;
    host.PushAction([&] {
        TForm& f = *ActiveModalForm();
        caption = f.Caption;
        draws = interpret->Draws;
        EXPECT_TRUE(f["b_CenterPage"].Checked);
        EXPECT_FALSE(f["g_Pages"].Visible);
        return mrOk;
    });
    Print(Desktop(0.5, 0.5));  // 3 x 2 sheets of A4 at scale 1
    EXPECT_EQ(caption, Cz("Tiskový dialog"));
    std::string file = wbtest::ReadFile(pdf);
    EXPECT_EQ(wbtest::PdfPageCount(file), 6);
    EXPECT_NE(file.find("/MediaBox [ 0 0 595.275591 841.889764 ]"), std::string::npos) << file.substr(0, 600);
    EXPECT_EQ(interpret->Draws, draws + 6);
    EXPECT_FALSE(Printer().Printing());
    EXPECT_TRUE(Logged(Cz("Ukončen tisk na \"PDF\"")));
    EXPECT_TRUE(Logged(Cz("Trvání: ")));
    EXPECT_TRUE(IsLive(manager));
}

TEST_F(PrintTest, TheDialogSetsScaleOverlapAndFitting) {
    struct Case {
        const char* what;
        double w, h, paperW, paperH;
        std::function<void(TForm&)> act;
        int sheets;
        std::string scale;  // the scale field afterwards
    } cases[] = {
        {"scale", 1, 1, 0.21, 0.297,
         [](TForm& f) {
             f["ed_Scale"].Focus();
             f["ed_Scale"].Type("2");
             f["ed_Overlap"].Focus();
         },
         3 * 2, "2"},
        {"overlap 10 mm", 0.5, 0.5, 0.21, 0.297,
         [](TForm& f) {
             f["ed_Overlap"].Focus();
             f["ed_Overlap"].Type("10");
             f["ed_Scale"].Focus();
         },
         3 * 2, "1"},
        {"fit to page", 0.6, 0.3, 0.2, 0.3, [](TForm& f) { f["b_FitToPage"].SetChecked(true); }, 1, "3.00"},
        {"no number keeps the focus", 0.5, 0.5, 0.21, 0.297,
         [](TForm& f) {
             f["ed_Scale"].Focus();
             f["ed_Scale"].Type("x");
             f["ed_Overlap"].Focus();
             EXPECT_EQ(f.ActiveControl(), &f["ed_Scale"]);
             f["ed_Scale"].Type("1");
         },
         3 * 2, "1"},
        {"an overlap as large as the sheet is refused", 0.5, 0.5, 0.21, 0.297,
         [](TForm& f) {
             f["ed_Overlap"].Focus();
             f["ed_Overlap"].Type("150");
             f["ed_Scale"].Focus();
             EXPECT_EQ(f.ActiveControl(), &f["ed_Overlap"]);
         },
         3 * 2, "1"},
        {"more than 10000 sheets are refused", 0.5, 0.5, 0.21, 0.297,
         [](TForm& f) {
             f["ed_Scale"].Focus();
             f["ed_Scale"].Type("0.0001");
             f["ed_Overlap"].Focus();
         },
         3 * 2, "1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ClearHostLog();
        DeleteFile(pdf);
        Printer().SetPaperSize(c.paperW, c.paperH);
        std::string scale;
        host.PushAction([&] {
            TForm& f = *ActiveModalForm();
            c.act(f);
            Application().ProcessMessages();
            scale = Trim(f["ed_Scale"].Text);
            return mrOk;
        });
        TDesktop* d = Desktop(c.w, c.h);
        Print(d);
        EXPECT_EQ(scale, c.scale);
        EXPECT_EQ(wbtest::PdfPageCount(wbtest::ReadFile(pdf)), c.sheets);
        manager->SetInput(nullptr);
    }
    EXPECT_TRUE(Logged(Cz("příliš mnoho stránek")));
}

TEST_F(PrintTest, CancellingPrintsNothing) {
    host.PushCancel();
    Print(Desktop(0.5, 0.5));
    EXPECT_FALSE(FileExists(pdf));
    EXPECT_FALSE(Printer().Printing());
    EXPECT_FALSE(Logged(Cz("Ukončen tisk")));
}

TEST_F(PrintTest, AFailingDrawingAbortsWithoutASummary) {
    interpret->Fail = true;
    Print(Desktop(0.5, 0.5));
    EXPECT_TRUE(Logged(Cz("Problémy s tiskem: drawing failed")));
    EXPECT_FALSE(Logged(Cz("Ukončen tisk")));
    EXPECT_FALSE(FileExists(pdf));
    EXPECT_FALSE(Printer().Printing());
    EXPECT_EQ(interpret->GetDevice(), manager->GetDevice());
    EXPECT_FALSE(interpret->GetPrinting());
}

TEST_F(PrintTest, AFullDiskKeepsTheOldFileAndIsAPrintingProblem) {
    std::ofstream(pdf, std::ios::binary) << "the old file";
    host.PushResult(mrOk);
    {
        FileSizeLimit limit(2048);
        Print(Desktop(0.5, 0.5));
    }
    EXPECT_TRUE(Logged(Cz("Problémy s tiskem: Cannot write the print file ") + pdf));
    EXPECT_FALSE(Logged(Cz("Ukončen tisk")));
    EXPECT_EQ(wbtest::ReadFile(pdf), "the old file");
    EXPECT_FALSE(Printer().Printing());
}

TEST_F(PrintTest, ARunningJobOrNoDeviceRefusesToPrint) {
    Printer().BeginDoc();
    Print(Desktop(0.5, 0.5));
    EXPECT_TRUE(Logged("Dosud se tiskne"));
    Printer().Abort();
    interpret->SetDevice(nullptr);
    manager->PostMsg(tm_PrintView, manager, nullptr, false);
    Application().ProcessMessages();
    EXPECT_TRUE(Logged(Cz("Není nastaveno zařízení interpretru")));
}

class MultiPagePrintTest : public PrintTest {
protected:
    TMultiPageDesktop* Pages(int n) {
        TMultiPageDesktop* m = TMultiPageDesktop::New();
        for (int i = 0; i < n; ++i) {
            TDesktop* page = Desktop(0.2, 0.28);
            page->Move(i * 0.2, 0);
            m->AddAndUpdateRect(page);
        }
        return m;
    }
};

TEST_F(MultiPagePrintTest, OnlyTheListedPagesArePrinted) {
    struct Case {
        const char* what;
        bool list;
        std::string pages;
        int printed;
    } cases[] = {
        {"all pages", false, "", 3},
        {"a list with a word", true, "1,3,abc", 2},
        {"a page that is not there", true, "7", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DeleteFile(pdf);
        int draws = 0;
        host.PushAction([&] {
            TForm& f = *ActiveModalForm();
            draws = interpret->Draws;
            EXPECT_TRUE(f["g_Pages"].Visible);
            if (c.list) {
                f["r_Pages"].SetChecked(true);
                EXPECT_TRUE(f["ed_Pages"].Enabled);
                f["ed_Pages"].Type(c.pages);
            }
            return mrOk;
        });
        Print(Pages(3));
        EXPECT_EQ(interpret->Draws - draws, c.printed);
        if (c.printed > 0) {
            EXPECT_EQ(wbtest::PdfPageCount(wbtest::ReadFile(pdf)), c.printed);
        }
        EXPECT_EQ(interpret->Input, manager->GetEnvelope());
        manager->SetInput(nullptr);
    }
}

TEST_F(MultiPagePrintTest, AFailingPageReachesTheAbortPathAndRestoresTheInput) {
    interpret->Fail = true;
    Print(Pages(2));
    EXPECT_TRUE(Logged(Cz("Problémy s tiskem: drawing failed")));
    EXPECT_FALSE(Logged(Cz("Ukončen tisk")));
    EXPECT_EQ(interpret->Input, manager->GetEnvelope());
    EXPECT_FALSE(Printer().Printing());
}

TEST_F(PrintTest, TheRasterLineSettingIsKeptInTheIniFile) {
    host.PushAction([&] {
        TForm& f = *ActiveModalForm();
        EXPECT_FALSE(f["b_RasterLines"].Checked);
        f["b_RasterLines"].SetChecked(true);
        Application().ProcessMessages();
        return mrCancel;
    });
    Print(Desktop(0.5, 0.5));
    TIniFile ini(PrintIniFileName());
    EXPECT_TRUE(ini.ReadBool("PRINT", "RasterizeLinesByZarix", false));
    bool shown = false;
    host.PushAction([&] {
        shown = (*ActiveModalForm())["b_RasterLines"].Checked;
        return mrCancel;
    });
    manager->PostMsg(tm_PrintView, manager, nullptr, false);
    Application().ProcessMessages();
    EXPECT_TRUE(shown);
}

// The job goes to the queue kept in the ini file and the dialog waits until the server has
// printed it; a refused or failed job is a printing problem; without a server the job is
// the file.
TEST_F(PrintTest, AJobOnAPrinterQueueIsWaitedForAndItsEndReported) {
    std::string missing = PrivateCupsServer::Missing();
    if (!missing.empty()) GTEST_SKIP() << missing;
    PrivateCupsServer server;
    std::string why;
    ASSERT_TRUE(server.Start({{"Sheets", true, true, false, "sheets.pdf"},
                              {"Closed", false, false, false, "closed.pdf"},
                              {"Broken", false, true, false, "missing/broken.pdf"}},
                             why))
        << why;
    struct Case {
        const char* queue;
        bool server;
        std::string said;  // the end message
        std::string output;  // the file with the pages
    } cases[] = {
        {"Sheets", true, Cz("Ukončen tisk na \"Sheets\""), server.Out() + "/sheets.pdf"},
        {"Closed", true, Cz("Problémy s tiskem: "), ""},
        {"Broken", true, Cz("Problémy s tiskem: "), ""},
        {"", false, Cz("Ukončen tisk na \"PDF\""), pdf},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.queue);
        ClearHostLog();
        Printer().SetFileName(pdf);
        if (!c.server) PrivateCupsServer::UseNone(wbtest::TempPath(""));
        TIniFile(PrintIniFileName()).WriteString("PRINT", "Printer", c.queue);
        host.PushResult(mrOk);
        Print(Desktop(0.5, 0.5));  // 3 x 2 sheets
        EXPECT_FALSE(Printer().Printing());
        EXPECT_TRUE(Logged(c.said)) << HostLog().back() << server.Log();
        EXPECT_EQ(Logged(Cz("Ukončen tisk")), !c.output.empty());
        if (!c.output.empty()) {
            EXPECT_EQ(wbtest::PdfPageCount(wbtest::ReadFile(c.output)), 6);
        }
        manager->SetInput(nullptr);
    }
    EXPECT_FALSE(FileExists(server.Out() + "/closed.pdf"));
    Printer().SetFileName(pdf);
}

}  // namespace
