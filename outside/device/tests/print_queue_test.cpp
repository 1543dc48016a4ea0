#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <regex>
#include <string>

#include "device/device.h"
#include "device/printer.h"
#include "device/printer_setup_dialog.h"
#include "platform/host.h"
#include "platform/inifiles.h"
#include "platform/sysutils.h"

#include "../../../platform/tests/test_support.h"
#include "private_cups_server.h"

namespace {

int PageCount(const std::string& pdf) {
    std::regex page("/Type\\s*/Page[^s]");
    return static_cast<int>(std::distance(std::sregex_iterator(pdf.begin(), pdf.end(), page), std::sregex_iterator()));
}

// The first page's size in points.
std::pair<double, double> PageSize(const std::string& pdf) {
    std::smatch m;
    if (!std::regex_search(pdf, m, std::regex("/MediaBox\\s*\\[\\s*0\\s+0\\s+([0-9.]+)\\s+([0-9.]+)"))) return {0, 0};
    return {std::stod(m[1]), std::stod(m[2])};
}

// A job of n sheets on the printer's target.
void PrintSheets(int n) {
    TPrintDevice* d = TPrintDevice::New();
    d->GetProjection()->ChangeProjectionByRect(0, 0, 0.21, 0.297, d->GetPage());
    for (int i = 0; i < n; ++i) {
        d->Rectangle(0.01, 0.01, 0.1, 0.1);
        if (i < n - 1) d->NewPage();
    }
    Free(d);
}

class PrintQueues : public ::testing::Test {
protected:
    void SetUp() override {
        std::string missing = PrivateCupsServer::Missing();
        if (!missing.empty()) GTEST_SKIP() << missing;
        std::string why;
        ASSERT_TRUE(server.Start({{"Sheets", true, true, false, "sheets.pdf"},
                                  {"Closed", false, false, false, "closed.pdf"},
                                  {"Broken", false, true, false, "missing/broken.pdf"},
                                  {"Held", false, true, true, "held.pdf"}},
                                 why))
            << why;
    }
    void TearDown() override {
        server.Stop();
        Printer().SetFileName("print.pdf");
        Printer().SetPaperSize(0.21, 0.297);
    }
    PrivateCupsServer server;
};

}  // namespace

TEST_F(PrintQueues, ListsTheServersQueuesTheDefaultFirstWithTheirPapers) {
    std::vector<TPrintQueue> queues = Printer().Queues();
    ASSERT_EQ(queues.size(), 4u);
    EXPECT_EQ(queues[0].name, "Sheets");
    EXPECT_TRUE(queues[0].isDefault);
    EXPECT_EQ(queues[0].defaultMedia, "iso_a4_210x297mm");
    std::vector<std::string> papers;
    for (const TPaperSize& p : queues[0].papers) papers.push_back(p.name + " " + std::to_string(p.width) + "x" + std::to_string(p.height));
    EXPECT_EQ(papers, (std::vector<std::string>{"A4 0.210000x0.297000", "A3 0.297000x0.420000"}));
    for (size_t i = 1; i < queues.size(); ++i) EXPECT_FALSE(queues[i].isDefault) << queues[i].name;
    auto closed = std::find_if(queues.begin(), queues.end(), [](const TPrintQueue& q) { return q.name == "Closed"; });
    ASSERT_NE(closed, queues.end());
    EXPECT_FALSE(closed->accepting);
}

// The pages reach the queue's device as the PDF drawn, on the queue's paper or the one
// chosen; the printer prints until the server reports the job completed.
TEST_F(PrintQueues, AJobGoesToTheQueueOnItsPaperAndPrintsUntilTheServerIsDone) {
    struct Case {
        std::string queue, media;
        std::optional<bool> landscape;
        int sheets;
        double width, height;  // points
    } cases[] = {
        {"", "", std::nullopt, 1, 595.28, 841.89},                  // the default queue's A4
        {"Sheets", "iso_a3_297x420mm", true, 3, 1190.55, 841.89},  // A3 landscape
        {"Sheets", "na_letter_8.5x11in", false, 2, 595.28, 841.89},  // a paper the queue lacks
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.media);
        std::filesystem::remove(server.Out() + "/sheets.pdf");
        Printer().SetFileName("not-this.pdf");
        Printer().SetQueue(c.queue, c.media, c.landscape);
        PrintSheets(c.sheets);
        EXPECT_TRUE(Printer().ToQueue());
        EXPECT_EQ(Printer().PrinterName(), "Sheets");
        EXPECT_EQ(Printer().TargetNote(), Cz("Tisk na tiskárnu \"Sheets\""));
        EXPECT_FALSE(Printer().WaitForJob(20000)) << server.Log();
        EXPECT_EQ(Printer().Failure(), "");
        std::string pdf = server.OutFile("sheets.pdf");
        ASSERT_EQ(pdf.rfind("%PDF-", 0), 0u) << server.Log();
        EXPECT_EQ(PageCount(pdf), c.sheets);
        auto [w, h] = PageSize(pdf);
        EXPECT_NEAR(w, c.width, 0.5);
        EXPECT_NEAR(h, c.height, 0.5);
    }
    EXPECT_FALSE(std::filesystem::exists("not-this.pdf"));
}

// A queue that refuses the job, a device that fails, a held job cancelled by Abort and a
// chosen queue the server lacks.
TEST_F(PrintQueues, RefusedFailedAndCancelledJobsAreToldApart) {
    Printer().SetQueue("Closed", "", std::nullopt);
    try {
        PrintSheets(1);
        ADD_FAILURE() << "a closed queue took the job";
    } catch (const EFCreateError& e) {
        EXPECT_FALSE(e.Message().empty());
    }
    EXPECT_FALSE(Printer().Printing());

    Printer().SetQueue("Broken", "", std::nullopt);
    PrintSheets(1);
    EXPECT_FALSE(Printer().WaitForJob(20000));
    EXPECT_NE(Printer().Failure(), "") << server.Log();
    EXPECT_FALSE(Printer().Aborted());

    Printer().SetQueue("Held", "", std::nullopt);
    PrintSheets(2);
    EXPECT_TRUE(Printer().WaitForJob(300));  // the queue is stopped: the job waits
    EXPECT_TRUE(Printer().JobSent());
    Printer().Abort();
    EXPECT_TRUE(Printer().Aborted());
    EXPECT_FALSE(Printer().Printing());
    EXPECT_EQ(Printer().Failure(), "");
    EXPECT_EQ(PrivateCupsServer::Read(server.Out() + "/held.pdf"), "");

    Printer().SetQueue("Gone", "", std::nullopt);
    EXPECT_THROW(Printer().BeginDoc(), EFCreateError);
    EXPECT_FALSE(Printer().Printing());
}

// Without a server (or with $SUITE_PRINT_FILE) the job is a file, and the note says why.
TEST(PrintQueuesAbsent, WithoutAServerTheJobIsTheFile) {
    TempDir dir("print_queue_");
    ASSERT_FALSE(dir.Path().empty());
    PrivateCupsServer::UseNone(dir.Path());
    Printer().SetFileName(dir.Path("fallback.pdf"));
    Printer().SetQueue("", "", std::nullopt);
    PrintSheets(2);
    PrivateCupsServer::Forget();
    EXPECT_FALSE(Printer().ToQueue());
    EXPECT_FALSE(Printer().Printing());
    EXPECT_EQ(Printer().PrinterName(), "PDF");
    EXPECT_NE(Printer().TargetNote().find(Cz("neodpovídá")), std::string::npos) << Printer().TargetNote();
    EXPECT_EQ(PageCount(ReadFile(dir.Path("fallback.pdf"))), 2);
    Printer().SetFileName("print.pdf");
}

// The set-up dialog offers the queues and their papers; the choice goes to the printer and
// the ini file, from which a later run takes it again.
TEST_F(PrintQueues, TheSetUpDialogChoiceReachesThePrinterAndTheIniFile) {
    TempDir dir("print_setup_");
    ASSERT_FALSE(dir.Path().empty());
    std::string ini = dir.Path("Prog.INI");
    InstalledHost host;
    TPrinterSetupDialog dialog;
    std::vector<std::string> printers, papers;
    host.PushAction([&] {
        printers = dialog["cb_Printer"].Items;
        dialog["cb_Paper"].Pick("A3");
        papers = dialog["cb_Paper"].Items;
        dialog["r_Landscape"].SetChecked(true);
        dialog["r_Portrait"].Checked = false;
        return mrOk;
    });
    ASSERT_TRUE(dialog.Execute(ini));
    EXPECT_EQ(printers.at(0), "Sheets");
    EXPECT_EQ(printers.size(), 4u);
    EXPECT_EQ(papers, (std::vector<std::string>{"A4", "A3"}));
    EXPECT_EQ(Printer().Queue(), "Sheets");
    EXPECT_EQ(Printer().Media(), "iso_a3_297x420mm");
    EXPECT_EQ(Printer().Landscape(), std::optional<bool>(true));

    Printer().SetQueue("", "", std::nullopt);
    LoadPrinterChoice(ini);
    EXPECT_EQ(Printer().Queue(), "Sheets");
    EXPECT_EQ(Printer().Media(), "iso_a3_297x420mm");
    EXPECT_EQ(Printer().Landscape(), std::optional<bool>(true));

    // Cancelled: nothing changes.
    host.PushCancel();
    TPrinterSetupDialog again;
    EXPECT_FALSE(again.Execute(dir.Path("Other.INI")));
    EXPECT_FALSE(std::filesystem::exists(dir.Path("Other.INI")));
}
