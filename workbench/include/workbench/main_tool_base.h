// The base of the programs' main tools: the world and its hooks, the start-up steps,
// options in the ini file, the log window, progress, plug-ins, cursors and the about panel.
#pragma once
#include <cstdint>
#include <string>

#include "kernel/tools.h"
#include "workbench/base_options.h"
#include "yesk/held.h"

class TCommandLine;
class TDevice;
class TForm;

// Message numbers of the shell.
constexpr int32_t tm_StatusText = 44;
constexpr int32_t tm_AboutPanel = 29;

class TOldMainTool : public TTechnology {
    ZARIX_CLASS(TOldMainTool, TTechnology)
    static void Publish(PropertyTable& t);

public:
    // Creates the main tool of the class, a new map world (stored in World) with the tool
    // as its main tool, and hooks the application's message and exception hooks to it.
    template <class T> static T* StartUp() {
        T* tool = T::New();
        InstallWorld(tool);
        return tool;
    }
    static void InstallWorld(TOldMainTool* tool);

    virtual void LoadOptions();
    virtual void SaveOptions();
    virtual void InitOptions();
    virtual std::string GetIniFileName();
    virtual std::string GetIniDirectory();
    virtual TBaseOptions* GetOptionsObject() { return nullptr; }
    virtual void SetOptionsObject(TBaseOptions*) {}
    virtual void LoadCursors();
    virtual void InitPlugins();
    virtual void BeforePlugins() {}
    virtual void ShowAboutPanel();
    virtual void ShowLogText(TZarixMessage* message);
    virtual void ForgetFreedElement(TZarixMessage* message);
    virtual void AfterMainFormCreated() {}
    // The program's main form, made the application's main form; none in the base.
    virtual TForm* CreateMainForm() { return nullptr; }

    void DoIt() override;
    void HandleMessage(TZarixMessage*& message, bool& handled) override;
    void on_tm_QuitTask(TZarixMessage*& message, bool& handled) override;
    void Destroy() override;

    // The first command-line argument whose extension (upper-cased) is ext (".INI").
    std::string FindParamByExtension(const std::string& ext);
    // The options object's published property as text; empty without options.
    std::string GetOptionString(const std::string& name);
    // Created on first use and added as a sub-tool; nil when no monitor class is registered.
    TTool* GetProgressMonitor();
    // Starts a program (no search path) with its arguments; 1 when it started, else 0.
    static intptr_t StartProcess(const std::string& program, const std::string& arguments);
    // Starts a helper program ("Ostalin.exe") that lies beside this program, never one of
    // the current folder; 0 when there is none.
    static intptr_t StartHelper(const std::string& name, const std::string& arguments);
    // A plug-in entry as a file: one that is not absolute lies beside the program.
    static std::string PlugInPath(const std::string& entry);
    // Why the plug-in file must not be loaded (not a regular file owned by the user or
    // root); empty when it may.
    static std::string PlugInRefusal(const std::string& path);
    // The twenty resource cursors of the program at screen cursor indexes 1 to 20.
    static void LoadProgramCursors();
    // The help system's answer to a jump to the topic.
    bool ShowHelpTopic(const std::string& topic);

    // Whether log texts are also written to standard output (batch runs of the programs).
    static void SetLogEcho(bool echo);

    // What the main tools of both programs share.
    // The script runner "Hlavní interpret jazyka Yesk", made on first use as a sub-tool.
    TCommandLine* GetCommandLine();
    // The same runner again changes nothing; otherwise the old one is freed as a sub-tool
    // (unless it is running) and the new one added.
    void SetCommandLine(TCommandLine* runner);
    // The runner's file name := the path (an empty one too), then it runs.
    void RunScript(const std::string& fileName);
    // The first status panel and the progress bar "ProgressBar" of the main form.
    std::string GetText();
    void SetText(const std::string& text);
    int32_t GetMinProgress();
    void SetMinProgress(int32_t v);
    int32_t GetMaxProgress();
    void SetMaxProgress(int32_t v);
    int32_t GetBarProgress();
    void SetBarProgress(int32_t v);
    bool GetProgressVisible();
    void SetProgressVisible(bool v);
    // Publishes CommandLine, ExecuteScript, Text, MinProgress, MaxProgress, Progress and
    // ProgressVisible, in this order, for a program's main tool.
    static void PublishShared(PropertyTable& t);

    // A registered tool of the class, created by name; nil (and a message) when missing.
    TTool* NewShellTool(const char* className, bool report = true);
    // A new map window showing the data (a grey page with data, white without).
    void OpenMapWindow(TElement* data);
    // The element explorer on the data; the owners view is titled "Model vlastníků".
    void ExploreElement(TElement* data, bool owners);
    // The property editor on the data.
    void EditElementProperties(TElement* data);
    // The layer import dialog, the model script and the model: the model goes into the
    // object model as "DATA". Any error ends it silently.
    void ImportLayersFrom(const std::string& dataDirectory);

    // The main form while it exists.
    TForm* MainForm() const { return FMainForm; }
    // The log window's device while it lives.
    TDevice* LogDevice() const { return FLogDevice.Get(); }
    TTool* ProgressMonitor() const { return FProgressMonitor.Get(); }

protected:
    // The options object of the class, made on first use as a sub-element.
    template <class T> T* HeldOptions() {
        if (T* options = As<T>(FOptions.Get())) return options;
        T* options = T::New();
        AddElement(options);
        FOptions.Set(options);
        return options;
    }
    // The same object again changes nothing; otherwise the old options are freed and the
    // given object kept (not added as a child).
    void ReplaceOptions(TBaseOptions* options);
    // The program's main form as the application's main form, then AfterMainFormCreated.
    void StartMainForm();
    void FreeMainForm();
    THeld<TBaseOptions> FOptions;
    THeld<TCommandLine> FCommandLine;
    TForm* FMainForm = nullptr;
    THeld<TDevice> FLogDevice;
    THeld<TTool> FProgressMonitor;
};

// A new element of the class registered under the name when it is of class T; nil (and
// nothing shown) when no such class is registered. Later parts of the shell are reached
// this way.
TElement* NewRegisteredElement(const std::string& className, TElementClass base);
template <class T> T* NewRegistered(const std::string& className) {
    return static_cast<T*>(NewRegisteredElement(className, T::StaticClass()));
}

void RegisterMainToolBaseUnit();
