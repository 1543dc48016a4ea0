// The main tool of the map composition program: options, template library, the key-map
// and library windows, map compositions and the requests of the main window.
#pragma once
#include <memory>
#include <string>

#include "platform/classes.h"
#include "workbench/main_tool_base.h"
#include "yesk/held.h"

class TCommandLine;
class TMapSpace;
class TMainForm;
class TF_Template;

// Message numbers of the map composition program.
namespace msg {
constexpr int32_t StartSheetSelection = 16, OpenComposition = 30, Explore = 36, ExploreOwners = 37,
                  EditProperties = 56, CommandLineDialog = 71, ImportLayers = 84, OptionsDialog = 88,
                  EditColorPalette = 97, NewMapSheetEditor = 126, ExploreMapSheets = 128,
                  ToggleGuide = 139, GuideButton1 = 141, GuideButton2 = 142, RedrawGuide = 147,
                  ToggleTemplateLibrary = 150, CreateMapComposition = 151, AddTemplate = 152,
                  RemoveTemplate = 153, OpenTemplateMSD = 154, OpenTemplateMSC = 155,
                  OpenTemplateYESK = 156, EditTemplate = 157, UpdateTemplateInfo = 158,
                  UpdateMapSpaceInfo = 159;
}

// The persisted options, in the order of their keys in section "Options".
class TOptions : public TBaseOptions {
    ZARIX_CLASS(TOptions, TBaseOptions)
    static void Publish(PropertyTable& t);

public:
    std::string StartScript, EndScript, WorkingDirectory, DataDirectory, ScriptDirectory, TemplateDirectory;

    // Working and data folder: the current folder.
    void Create() override;
    const std::string& GetServiceDirectory() const { return FServiceDirectory; }
    // Also the symbol library path (without a trailing backslash).
    void SetServiceDirectory(const std::string& value);
    std::string GetPaletteFile() const;
    // Stores the name as the graphic package's palette file and loads the palette.
    void SetPaletteFile(const std::string& value);

private:
    std::string FServiceDirectory;
};

class TMainTool : public TOldMainTool {
    ZARIX_CLASS(TMainTool, TOldMainTool)
    static void Publish(PropertyTable& t);

public:
    void Create() override;
    void Destroy() override;

    virtual TOptions* GetOptions();
    // The same object again changes nothing; otherwise the old options are freed and the
    // given object kept (not added as a child).
    virtual void SetOptions(TOptions* options);
    virtual void OptionsDialog();
    virtual void ImportLayers();
    virtual void NewMapSheetEditor();
    virtual void OpenComposition(TElement* data);
    virtual void Explore(TElement* data, bool owners);
    virtual void EditProperties(TElement* data);
    virtual void CommandLineDialog(TElement* data);
    virtual void ShowStatusText(TZarixMessage* message);
    virtual void EditColorPalette();
    virtual void ToggleGuide();
    virtual void ToggleTemplateLibrary();
    virtual void CreateMapComposition();
    virtual void UpdateTemplateInfo();
    virtual void UpdateMapSpaceInfo();
    virtual void AddTemplate();
    virtual void RemoveTemplate();
    virtual void OpenTemplateFile(const std::string& ext);
    virtual void EditTemplate();
    // The template read by the shared filler without its graphics (data folder of the
    // options, the filler's map space); nil when none could be read.
    TElement* ReadTemplate(const std::string& path);
    // A template saved by the editor: the entry of that name takes the file (or is
    // added), the library shows it selected, 158 follows.
    void RegisterTemplate(const std::string& name, const std::string& file);

    void LoadOptions() override;
    void SaveOptions() override;
    void InitOptions() override { LoadOptions(); }
    std::string GetIniDirectory() override;
    TBaseOptions* GetOptionsObject() override { return GetOptions(); }
    void SetOptionsObject(TBaseOptions* options) override;
    TForm* CreateMainForm() override;
    void DoIt() override;
    void HandleMessage(TZarixMessage*& message, bool& handled) override;
    void on_tm_QuitTask(TZarixMessage*& message, bool& handled) override;

    // Published for scripts.
    std::string GetSelectedTemplate();
    TEntity* GetSelectedMapSpaces();
    TElement* GetSelectedMapSpace();

    // The class of the map-sheet filler (by default "TMapSheetFiller").
    static void SetFillerClassName(const std::string& name);

    // The template list: "display name=path" lines in library order.
    TStringList& Templates();
    TF_Template* TemplateForm() const { return FTemplateForm; }
    TTool* GuideTool() const { return FGuideTool.Get(); }
    TMainForm* Form() const;

private:
    void SetLabel(const char* name, const std::string& text);
    void FreeTemplateForm();
    void WriteTemplateSection();
    void FillTemplateForm(bool selectFirst);
    TTool* Filler();

    THeld<TTool> FGuideTool;
    TF_Template* FTemplateForm = nullptr;  // owned
    std::unique_ptr<TStringList> FTemplates;
    THeld<TTool> FFiller;
};

void RegisterMainToolUnit();
