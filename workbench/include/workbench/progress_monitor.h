// The progress monitor: one always-on-top container with a panel per running process,
// driven by the progress messages 10 to 13 that reach the main tool.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "kernel/tools.h"
#include "platform/controls.h"

#include "workbench/terminal_progress_bar.h"

// The container window the panels dock into.
class TProgressMonitorForm : public TForm {
public:
    TProgressMonitorForm();
    int ClientHeight = 80;
    bool StayOnTop = true;
};

// One process's panel: title, text and progress bar. The user cannot close it; only its
// monitor panel's destruction allows that.
class TProcessMonitorForm : public TForm {
public:
    TProcessMonitorForm();
    bool MayClose = false;
    bool Docked = false;
    TControl& ProcessNameLabel() { return (*this)["l_ProcessName"]; }
    TControl& TextLabel() { return (*this)["l_Text"]; }
    TControl& Bar() { return (*this)["ProgressBar"]; }
    // Breaks the process and the running scripts.
    TControl& BreakButton() { return (*this)["b_Break"]; }
};

// The panel of one process, a sub-tool of the monitor.
class TProcessMonitor : public TTool {
    ZARIX_CLASS(TProcessMonitor, TTool)
    static void Publish(PropertyTable& t);

public:
    void Create() override;
    // Allows the panel's close and frees it.
    void Destroy() override;

    // Nil once the element that started the progress is gone.
    TElement* GetProcess() const;
    void SetProcess(TElement* process);
    // Whether a process was set and has since been freed.
    bool ProcessGone() const;
    std::string GetProcessName();
    void SetProcessName(const std::string& name);
    std::string GetText();
    void SetText(const std::string& text);
    int32_t GetMinProgress();
    void SetMinProgress(int32_t v);
    int32_t GetMaxProgress();
    void SetMaxProgress(int32_t v);
    int32_t GetProgress();
    void SetProgress(int32_t v);

    TProcessMonitorForm* Form() { return FForm.get(); }

private:
    std::unique_ptr<TProcessMonitorForm> FForm;
    TElement* FProcess = nullptr;
    uint64_t FProcessSerial = 0;
};

class TProgressMonitor : public TTechnology {
    ZARIX_CLASS(TProgressMonitor, TTechnology)

public:
    // Makes the container; on a terminal (the console host with standard error a
    // terminal) the panels are drawn there as progress bar lines.
    void Create() override;
    void Destroy() override;

    // 10 start, 11 value, 12 end, 13 text; the task messages first.
    void HandleMessage(TZarixMessage*& message, bool& handled) override;

    TProgressMonitorForm* Form() { return FForm.get(); }
    // The first panel whose process is the element, or nil.
    TProcessMonitor* PanelOf(TElement* process);
    int32_t PanelsCount() { return ToolsCount(); }
    TProcessMonitor* Panel(int32_t index);

    // Draws the panels as progress bar lines on the terminal of that descriptor (not
    // owned); -1 stops drawing.
    void DrawOnTerminal(int fd);

private:
    void StartPanel(TZarixMessage* message);
    void EndPanel(TElement* process);
    void FitContainer();
    void Redraw(bool force);

    std::unique_ptr<TProgressMonitorForm> FForm;
    std::unique_ptr<TTerminalProgressBar> FTerminal;
};

// Registers TProgressMonitor and TProcessMonitor.
void RegisterProgressMonitorUnit();
