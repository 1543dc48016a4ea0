// The checking program Tarvine32: its options, its main tool, its main window and its
// options form. The checking work is done by the scripts the user configures; the shell
// only runs them and shows the data folder and the current check set.
#pragma once
#include <cstdint>
#include <string>

#include "platform/controls.h"
#include "workbench/main_forms.h"
#include "workbench/main_tool_base.h"

namespace tarvine {

// Message numbers of the checking program.
namespace msg {
constexpr int32_t OpenComposition = 30, Explore = 36, ExploreOwners = 37, EditProperties = 56, ImportLayers = 62,
                  ChooseDataFolder = 65, OptionsDialog = 66, DataSetScript = 70, ControlSetScript = 71,
                  RunScript = 72;
}

// The persisted options, in the order of their keys in section "Options".
class TOptions : public TBaseOptions {
    ZARIX_CLASS(TOptions, TBaseOptions)
    static void Publish(PropertyTable& t);

public:
    std::string StartScript, DataSetScript, ControlSetScript, RunScript, EndScript, WorkingDirectory,
        DataDirectory, ScriptDirectory, INE;

    // Working and data folder: the current folder.
    void Create() override;
    const std::string& GetServiceDirectory() const { return FServiceDirectory; }
    // Also the symbol library path, unchanged.
    void SetServiceDirectory(const std::string& value);

private:
    std::string FServiceDirectory;
};

class TMainTool : public TOldMainTool {
    ZARIX_CLASS(TMainTool, TOldMainTool)
    static void Publish(PropertyTable& t);

public:
    TOptions* GetOptions() { return HeldOptions<TOptions>(); }
    // The same object again changes nothing; otherwise the old options are freed and the
    // given object kept (not added as a child).
    void SetOptions(TOptions* options) { ReplaceOptions(options); }

    // The options dialog (66).
    virtual void OptionsDialog();
    // The folder dialog for the data folder (65); the data label stays as it was.
    virtual void ChooseDataFolder();

    void LoadOptions() override;
    void SaveOptions() override;
    void InitOptions() override { LoadOptions(); }
    std::string GetIniDirectory() override;
    TBaseOptions* GetOptionsObject() override { return GetOptions(); }
    void SetOptionsObject(TBaseOptions* options) override;
    // The program cursor table; no cursor files.
    void LoadCursors() override { LoadProgramCursors(); }
    // No plug-ins.
    void InitPlugins() override {}
    void ShowLogText(TZarixMessage* message) override;
    void ForgetFreedElement(TZarixMessage* message) override;
    TForm* CreateMainForm() override;
    void DoIt() override;
    void HandleMessage(TZarixMessage*& message, bool& handled) override;
    void on_tm_QuitTask(TZarixMessage*& message, bool& handled) override;
    void Destroy() override;

    // The check label ("Kontr: " + INE) and the data label ("Data: " + DataDirectory).
    void ShowCheckLabel();
    void ShowDataLabel();
    // The own text window's device while it lives.
    TDevice* TextDevice() const { return FTextDevice.Get(); }

private:
    THeld<TDevice> FTextDevice;
};

// The main window: the labels "l_Data" and "l_Control", a hidden progress bar, the
// buttons "&Nastavení", "&Data", "&Kontroly", "&Start" and "Konec", and "&Import" in the
// context menu.
class TMainForm : public TMainForm2 {
public:
    explicit TMainForm(TOldMainTool* tool);
    ~TMainForm() override;
};

// "Možnosti": the folders and the five scripts.
class TF_Options : public TForm {
public:
    TF_Options();
    // ". . ." beside a script field: the open dialog starts in the folder of "ed_Script";
    // a confirmed file goes into the field.
    void BrowseScript(const std::string& field);
};

void RegisterCheckingProgramUnit();
// Registers every class of the checking program (the workbench's and the checks' first).
// Safe to call more than once.
void RegisterCheckingProgramClasses();

}  // namespace tarvine
