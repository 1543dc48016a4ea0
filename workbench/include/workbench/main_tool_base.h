// The base of the programs' main tools: the world and its hooks, the start-up steps,
// options in the ini file, the log window, progress, plug-ins, cursors and the about panel.
#pragma once
#include <cstdint>
#include <string>

#include "kernel/tools.h"
#include "workbench/base_options.h"
#include "yesk/held.h"

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
    // The twenty resource cursors of the program at screen cursor indexes 1 to 20.
    static void LoadProgramCursors();
    // The help system's answer to a jump to the topic.
    bool ShowHelpTopic(const std::string& topic);

    // Whether log texts are also written to standard output (batch runs of the programs).
    static void SetLogEcho(bool echo);

    // The main form while it exists.
    TForm* MainForm() const { return FMainForm; }
    // The log window's device while it lives.
    TDevice* LogDevice() const { return FLogDevice.Get(); }
    TTool* ProgressMonitor() const { return FProgressMonitor.Get(); }

protected:
    void FreeMainForm();
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
