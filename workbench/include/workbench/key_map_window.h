// The key-map window: shows the key map kept in "Guide.ZRX", lets the user mark the sheets
// to produce and writes the marked ones to "Select.ZRX"; the main tool asks it for the
// selected map spaces.
#pragma once
#include <cstdint>
#include <string>

#include "workbench/form_tool_manager.h"
#include "workbench/key_map_tools.h"

class TGuide;
class TGuideInterpret;
class TSelectGuide;

// The window of the key map: the map window's image and menus with the series buttons,
// the tool buttons, the apply panel and the sheet-name labels.
class TGuideForm : public TStandardImageForm {
public:
    explicit TGuideForm(TGuideFormTool* tool);
    ~TGuideForm() override;

    // The buttons of the series switches in the order of their ini keys.
    static const char* const SeriesButtons[9];

    TGuideFormTool* Tool() const;
    // A toggle button pressed or released by the user.
    void Toggle(const char* button);
    // The right mouse button on b_ZM.
    void ZMDialog();

private:
    TGuideFormTool* FTool;
    uint64_t FToolSerial;
};

class TGuideFormTool : public TFormToolManager {
    ZARIX_CLASS(TGuideFormTool, TFormToolManager)
    static void Publish(PropertyTable& t);

public:
    void Create() override;
    void Destroy() override;

    virtual TF_UMSedForm* GetUMSEditForm();
    virtual TGuide* GetGuide();
    virtual void SetGuide(TGuide* guide);
    virtual void SetBackupGuide(TGuide* guide);
    TGuide* GetBackupGuide();
    TGuideForm* GuideForm() const;
    TGuideInterpret* GuideInterpret();
    TGuideSelector* Selector();
    bool NormalMode() const { return FNormal; }
    bool AutoBuild() const { return FAuto; }

    // The marked sheets (a new entity the caller frees; the sheets stay with the key map);
    // nil without a key map.
    TEntity* GetSelectedMapSpaces();

    virtual void ImportVectors();
    virtual void NewGuide(bool automatic);
    virtual void ShowTool(const char* className);
    virtual void RectToForm();
    virtual void SelectedToForm();
    virtual void StartSheetSelection();
    virtual void Apply();
    virtual void Cancel();
    virtual void ZoomTo(bool vectors);
    virtual void RemoveSelected();
    virtual void InvertSelection();

    // The button states from the interpret, and the selector's copies of the series.
    void ButtonsFromInterpret();
    void SelectorFromInterpret();

    void CreateForm() override;
    void CreateInterpret() override;
    void CreateDefaultTools() override;
    void SetInput(TElement* element) override;
    void HandleMessage(TZarixMessage*& message, bool& handled) override;
    void ActivateTool(TZarixMessage*& message, bool& handled) override;
    void MouseMove(TZarixMessage*& message, bool& handled) override;
    void ReView(TZarixMessage*& message, bool& handled) override;
    void OpenFile(TZarixMessage*& message, bool& handled) override;
    void SaveFileAs(TZarixMessage*& message, bool& handled) override;
    void on_tm_QuitTask(TZarixMessage*& message, bool& handled) override;

    // "Guide.ZRX" in the main tool's ini folder; "Select.ZRX" in the current folder.
    std::string GuideFileName();
    static std::string SelectionFileName();

private:
    void PostToMain(int32_t msg, TElement* data = nullptr);
    void ShowApplyPanel(bool visible);
    void SaveGuide();
    void SaveView();
    TSelectGuide* NewSelectGuide(bool fromButtons);
    std::string IniFileName();
    TGuide* FGuide = nullptr;
    uint64_t FGuideSerial = 0;
    TGuide* FBackup = nullptr;
    uint64_t FBackupSerial = 0;
    bool FNormal = true;
    bool FAuto = false;
    TF_UMSedForm* FUMSForm = nullptr;  // owned
    std::string FOpenFolder, FOpenName;
    std::string FViewWritten;
};

// A key map from a model file; nil and the reason when the file cannot be read or holds
// no key map.
TGuide* ReadKeyMapFile(const std::string& path, std::string& error);
// The selection of a "Select.ZRX" file: an entity holding only map spaces; nil and the
// reason when the file cannot be read or holds anything else. The caller frees it.
TEntity* ReadSheetSelection(const std::string& path, std::string& error);
// Writes the selected sheets of the key map (the series given) in the old element format.
void WriteSheetSelection(TEntity* selection, const std::string& path);

void RegisterKeyMapWindowUnit();
