#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

#include <algorithm>
#include <string>

#include "workbench/terminal_progress_bar.h"
#include "yesk/command_line.h"
#include "dialogs_test_support.h"

using namespace dlgtest;

namespace {

class ProgressMonitorTest : public WorkbenchTest {};

TEST_F(ProgressMonitorTest, TwoProcessesReportAtOnceAndEndInTurn) {
    TTool* a = NewProcess("A");
    TTool* b = NewProcess("B");
    a->StartProgress("Import", 0, 200);
    b->StartProgress(Cz("Kreslení"), 10, 20);
    Application().ProcessMessages();
    TProgressMonitor* m = main_->Monitor;
    ASSERT_NE(m, nullptr);
    ASSERT_EQ(m->PanelsCount(), 2);
    EXPECT_EQ(m->Form()->ClientHeight, 210);
    EXPECT_TRUE(m->Form()->Visible);
    EXPECT_EQ(m->Panel(0)->GetProcess(), a);
    EXPECT_EQ(m->Panel(1)->GetProcess(), b);
    EXPECT_EQ(m->Panel(1)->GetProcessName(), Cz("Kreslení"));
    EXPECT_EQ(m->Panel(1)->GetProgress(), 10);  // starts at the minimum
    EXPECT_EQ(m->Panel(0)->GetText(), "...");

    a->SetProgress(50);
    b->SetProgressText("vrstva 3");
    Application().ProcessMessages();
    EXPECT_EQ(m->PanelOf(a)->GetProgress(), 50);
    EXPECT_EQ(m->PanelOf(b)->GetProgress(), 10);
    EXPECT_EQ(m->PanelOf(b)->GetText(), "vrstva 3");
    EXPECT_EQ(m->PanelOf(a)->GetText(), "...");

    // The user cannot close a panel.
    EXPECT_FALSE(m->PanelOf(a)->Form()->Close());

    a->EndProgress();
    Application().ProcessMessages();
    ASSERT_EQ(m->PanelsCount(), 1);
    EXPECT_EQ(m->Panel(0)->GetProcess(), b);
    EXPECT_EQ(m->Form()->ClientHeight, 105);
    EXPECT_TRUE(m->Form()->Visible);

    b->EndProgress();
    Application().ProcessMessages();
    // The last end hid the container, told the main tool it is done and quit.
    EXPECT_EQ(main_->Monitor, nullptr);
    EXPECT_EQ(main_->GetToolByName("TProgressMonitor"), nullptr);
    EXPECT_EQ(main_->ToolsCount(), 2);  // A and B only: the monitor was freed
    EXPECT_NE(std::find(main_->Got.begin(), main_->Got.end(), tm_Done), main_->Got.end());

    // The next start makes a new monitor.
    a->StartProgress("Again", 0, 1);
    Application().ProcessMessages();
    EXPECT_EQ(main_->MonitorsMade, 2);
    ASSERT_NE(main_->Monitor, nullptr);
    EXPECT_EQ(main_->Monitor->PanelsCount(), 1);
    a->EndProgress();
}

TEST_F(ProgressMonitorTest, TextOnlyProcessAndStrangersAreHandled) {
    TTool* a = NewProcess("A");
    TTool* stranger = NewProcess("S");
    a->StartProgress("Texty", 0, 0);
    Application().ProcessMessages();
    TProgressMonitor* m = main_->Monitor;
    ASSERT_NE(m, nullptr);
    TProcessMonitor* p = m->PanelOf(a);
    ASSERT_NE(p, nullptr);
    EXPECT_FALSE(p->Form()->Bar().Visible);
    EXPECT_TRUE(p->Form()->ProcessNameLabel().Visible);
    EXPECT_TRUE(p->Form()->Visible);

    // Value and text from a sender without a panel change nothing.
    stranger->SetInProgress(true);
    stranger->SetProgress(7);
    stranger->SetProgressText("cizí");
    Application().ProcessMessages();
    EXPECT_EQ(m->PanelsCount(), 1);
    EXPECT_EQ(p->GetProgress(), 0);
    EXPECT_EQ(p->GetText(), "...");
    stranger->SetInProgress(false);
    a->EndProgress();
    Application().ProcessMessages();
    EXPECT_EQ(main_->Monitor, nullptr);
}

TEST_F(ProgressMonitorTest, ProcessFreedWhileReportingEndsItsPanel) {
    TTool* a = NewProcess("A");
    TTool* b = NewProcess("B");
    a->StartProgress("A", 0, 10);
    b->StartProgress("B", 0, 10);
    Application().ProcessMessages();
    ASSERT_EQ(main_->Monitor->PanelsCount(), 2);
    // Freeing a tool in progress posts its end, which no longer names it.
    main_->FreeTool(a);
    Application().ProcessMessages();
    ASSERT_NE(main_->Monitor, nullptr);
    ASSERT_EQ(main_->Monitor->PanelsCount(), 1);
    EXPECT_EQ(main_->Monitor->Panel(0)->GetProcess(), b);
    b->EndProgress();
}

// Clicks the break of the panel it is given, as the user would while a script runs.
TProcessMonitor* gPanelToBreak = nullptr;
class TBreakClicker : public TTool {
    ZARIX_CLASS(TBreakClicker, TTool)

public:
    void DoIt() override { gPanelToBreak->Form()->BreakButton().Click(); }
};

TEST_F(ProgressMonitorTest, TheBreakStopsTheProcessAndARunawayScript) {
    RegisterZarixClass<TBreakClicker>();
    TTool* a = NewProcess("A");
    a->StartProgress("A", 0, 10);
    Application().ProcessMessages();
    ASSERT_NE(main_->Monitor, nullptr);
    gPanelToBreak = main_->Monitor->PanelOf(a);
    ASSERT_NE(gPanelToBreak, nullptr);
    TCommandLine* runner = TCommandLine::New();
    EXPECT_FALSE(runner->RunText("local c = yesk.Create('TBreakClicker')\nc:DoIt()\nwhile true do end", "=loop"));
    EXPECT_EQ(runner->Result, "loop:3: " + Cz("přerušeno"));
    EXPECT_TRUE(a->GetBreak());
    // The program goes on.
    EXPECT_TRUE(runner->RunText("return 1 + 1", "=after", true));
    EXPECT_EQ(runner->Result, "2");
    Free(runner);
    a->EndProgress();
}

// The bytes the master side of a pseudo-terminal has received so far.
std::string Drain(int master) {
    std::string out;
    char buf[4096];
    for (;;) {
        ssize_t n = ::read(master, buf, sizeof buf);
        if (n <= 0) break;
        out.append(buf, static_cast<size_t>(n));
    }
    return out;
}

struct Pty {
    int master = -1, slave = -1;
    Pty() {
        winsize ws{};
        ws.ws_col = 60;
        ws.ws_row = 24;
        if (::openpty(&master, &slave, nullptr, nullptr, &ws) == 0)
            ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    }
    ~Pty() {
        if (master >= 0) ::close(master);
        if (slave >= 0) ::close(slave);
    }
};

TEST_F(ProgressMonitorTest, TerminalShowsOneLinePerPanelRedrawnInPlace) {
    Pty pty;
    ASSERT_GE(pty.master, 0);
    TTool* a = NewProcess("A");
    TTool* b = NewProcess("B");
    a->StartProgress("Import", 0, 200);
    Application().ProcessMessages();
    TProgressMonitor* m = main_->Monitor;
    ASSERT_NE(m, nullptr);
    m->DrawOnTerminal(pty.slave);
    b->StartProgress(Cz("Kreslení"), 0, 0);
    Application().ProcessMessages();
    std::string out = Drain(pty.master);
    // Two lines, each cleared before it is written; the terminal turns "\n" into CR LF.
    EXPECT_NE(out.find("\x1b[2KImport: ... [--------------------]   0%\r\n"), std::string::npos) << out;
    EXPECT_NE(out.find("\x1b[2A"), std::string::npos) << out;  // both lines are redrawn
    EXPECT_NE(out.find("\x1b[2KKreslení: ...\r\n"), std::string::npos) << out;  // no bar

    a->SetProgressText("soubor.shp");
    b->EndProgress();  // ends are drawn at once
    Application().ProcessMessages();
    out = Drain(pty.master);
    EXPECT_EQ(out.find("\x1b[2A"), 0u) << out;
    EXPECT_NE(out.find("Import: soubor.shp ["), std::string::npos) << out;
    EXPECT_NE(out.find("\x1b[J"), std::string::npos) << out;  // the freed line is cleared

    a->EndProgress();
    Application().ProcessMessages();
    out = Drain(pty.master);
    EXPECT_NE(out.find("\x1b[1A\r\x1b[J"), std::string::npos) << out;
}

TEST(TerminalProgressBarTest, LinesFitTheWidthAndShowThePercentage) {
    struct Case {
        TProgressLine line;
        int width;
        std::string expected;
    } cases[] = {
        {{"P", "", true, 0, 200, 100}, 40, "P [##########----------]  50%"},
        {{"P", "t", true, 0, 10, 10}, 40, "P: t [####################] 100%"},
        {{"P", "", true, 10, 20, 5}, 40, "P [--------------------]   0%"},   // below the minimum
        {{"P", "", true, 10, 20, 99}, 40, "P [####################] 100%"},  // above the maximum
        {{"P", "", true, 5, 5, 5}, 40, "P [--------------------]   0%"},    // empty range
        {{"Dlouhý název", "a text", false, 0, 0, 0}, 10, "Dlouhý náz"},        // cut, no bar
        {{"A\tB", "x\ny", false, 0, 0, 0}, 40, "A B: x y"},                 // no control characters
        {{"Name", "", true, 0, 4, 1}, 33, "Name [#####---------------]  25%"},
        {{"Name", "", true, 0, 4, 1}, 20, "Name"},                            // no room for a bar
    };
    for (const Case& c : cases)
        EXPECT_EQ(TTerminalProgressBar::Format(
                      {Cz(c.line.ProcessName), Cz(c.line.Text), c.line.ShowBar, c.line.Min, c.line.Max, c.line.Position},
                      c.width),
                  c.expected)
            << c.line.ProcessName << " " << c.width;
}

}  // namespace
