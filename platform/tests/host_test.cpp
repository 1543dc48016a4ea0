#include "platform/host.h"

#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/forms.h"
#include "platform/sysutils.h"
#include "test_support.h"

namespace {

class HostTest : public ::testing::Test {
protected:
    InstalledHost host;
};

TEST_F(HostTest, DefaultAnswersWhenNothingIsQueued) {
    EXPECT_EQ(MessageDlg("a", mtError, mbOK, 0), mrOk);
    EXPECT_EQ(MessageDlg("b", mtConfirmation, mbYesNoCancel, 0), mrYes);
    EXPECT_EQ(MessageDlg("c", mtConfirmation, mbOKCancel | mbYes, 0), mrOk);
    EXPECT_EQ(MessageDlg("d", mtWarning, mbAbortRetryIgnore, 0), mrAbort);
    EXPECT_EQ(MessageDlg("e", mtWarning, {mbNo, mbCancel}, 0), mrNo);
    EXPECT_EQ(MessageDlg("f", mtWarning, {}, 0), mrOk);
    std::string v = "keep";
    EXPECT_TRUE(GetUserHost().InputQuery("q", "p", v));
    EXPECT_EQ(v, "keep");
    EXPECT_EQ(GetUserHost().ShowModal("Tf_Name"), mrOk);
}

TEST_F(HostTest, QueuedAnswersAreUsedInOrderAndRecorded) {
    host.PushResult(mrNo);
    host.PushText(Cz("Nový"));
    host.PushCancel();
    host.PushAction([] { return mrCancel; });
    EXPECT_EQ(MessageDlg(Cz("Opravdu ukončit aplikaci ?"), mtConfirmation, mbYesNoCancel, 0), mrNo);
    std::string name = "old";
    EXPECT_TRUE(GetUserHost().InputQuery("Jméno", "Zadej", name));
    EXPECT_EQ(name, Cz("Nový"));
    std::string dir = "/data";
    EXPECT_FALSE(GetUserHost().SelectDirectory("Folder", dir));
    EXPECT_EQ(dir, "/data");
    EXPECT_EQ(GetUserHost().ShowModal("TFProp"), mrCancel);
    EXPECT_EQ(host.Pending(), 0u);

    ASSERT_EQ(host.Records().size(), 4u);
    const HostRecord& box = host.Records()[0];
    EXPECT_EQ(box.kind, HostRecord::Box);
    EXPECT_EQ(box.caption, "Confirm");
    EXPECT_EQ(box.text, Cz("Opravdu ukončit aplikaci ?"));
    EXPECT_EQ(box.buttons, mbYesNoCancel);
    EXPECT_EQ(box.result, mrNo);
    EXPECT_EQ(host.Records()[1].kind, HostRecord::Query);
    EXPECT_EQ(host.Records()[2].result, mrCancel);
    EXPECT_EQ(host.Records()[3].caption, "TFProp");
}

TEST_F(HostTest, EveryBoxAndBeepIsLogged) {
    Application().SetTitle("TARVINE 32");
    ShowMessage("plain");
    MessageDlg("error", mtError, mbOK, 0);
    MessageDlg("custom", mtCustom, mbOK, 0);
    MessageBeep(0xFFFF);
    EXPECT_EQ(HostLog(), (std::vector<std::string>{"plain", "error", "custom", "MessageBeep(65535)"}));
    ASSERT_EQ(host.Records().size(), 3u);
    EXPECT_EQ(host.Records()[0].caption, "TARVINE 32");
    EXPECT_EQ(host.Records()[1].caption, "Error");
    EXPECT_EQ(host.Records()[2].caption, "TARVINE 32");
    ClearHostLog();
    EXPECT_TRUE(HostLog().empty());
}

// Which boxes count as an error shown, and the exit status a run that ends with 0 gets.
TEST_F(HostTest, ErrorBoxesAndNotedFailuresMakeABatchRunFail) {
    struct Case {
        const char* name;
        std::function<void()> show;
        bool error;
    } cases[] = {
        {"plain box", [] { ShowMessage("done"); }, false},
        {"question", [] { MessageDlg("?", mtConfirmation, mbYesNoCancel, 0); }, false},
        {"information", [] { MessageDlg("i", mtInformation, mbOK, 0); }, false},
        {"custom", [] { HostMessageBox("c", "t", mtCustom, mbOK); }, false},
        {"error box", [] { MessageDlg("e", mtError, mbOK, 0); }, true},
        {"warning box", [] { HostMessageBox("w", "t", mtWarning, mbOK); }, true},
        {"failure box", [] { ShowErrorMessage("World Level Error :x"); }, true},
        {"failure text", [] { NoteErrorShown(); }, true},
    };
    for (const Case& c : cases) {
        ClearErrorShown();
        c.show();
        EXPECT_EQ(ErrorShown(), c.error) << c.name;
        EXPECT_EQ(BatchExitStatus(0, false), c.error ? 1 : 0) << c.name;
        EXPECT_EQ(BatchExitStatus(0, true), 0) << c.name;  // on screen the user saw it
        EXPECT_EQ(BatchExitStatus(2, false), 2) << c.name;
    }
    EXPECT_EQ(HostLog().back(), "World Level Error :x");
    ClearErrorShown();
}

TEST_F(HostTest, ConsoleHostWithoutTerminalAnswersTheDefault) {
    SetUserHost(nullptr);
    int saved = dup(STDIN_FILENO);
    int null = open("/dev/null", O_RDONLY);
    ASSERT_GE(null, 0);
    dup2(null, STDIN_FILENO);
    close(null);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    int a = MessageDlg(Cz("Smazat soubor ?\r\ndruhý řádek"), mtConfirmation, {mbNo, mbYes}, 0);
    int b = MessageDlg("failed", mtError, mbOK, 0);
    std::string value = "x";
    bool q = GetUserHost().InputQuery("c", "p", value);
    std::string out = testing::internal::GetCapturedStdout();
    std::string err = testing::internal::GetCapturedStderr();
    dup2(saved, STDIN_FILENO);
    close(saved);
    EXPECT_EQ(a, mrYes);
    EXPECT_EQ(b, mrOk);
    EXPECT_TRUE(q);
    EXPECT_EQ(value, "x");
    EXPECT_NE(out.find("Confirm: Smazat soubor ?\ndruhý řádek\n"), std::string::npos) << out;
    EXPECT_NE(err.find("Error: failed"), std::string::npos) << err;
    EXPECT_EQ(HostLog().size(), 2u);
}

}  // namespace
