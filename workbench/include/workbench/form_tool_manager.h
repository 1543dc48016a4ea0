// The map window: a tool that owns the window form, the device drawing into the form's
// image, the interpret drawing the window's input and the window tools, one of them
// active. Each user action reaches it as an element message; the active tool sees it
// first.
#pragma once
#include <cstdint>
#include <string>

#include "workbench/interactive_tools.h"
#include "workbench/map_window_form.h"

class TFormToolManager : public TInteractiveTool {
    ZARIX_CLASS(TFormToolManager, TInteractiveTool)
    static void Publish(PropertyTable& t);

public:
    void Create() override;
    void Destroy() override;

    // Nil once the form is freed.
    TStandardImageForm* GetForm() const { return FForm; }
    // The envelope "Obálka" holding what the window shows; nil without an input.
    TRectEntity* GetEnvelope() const;
    // Adds an element from elsewhere to the envelope (growing it); the element is only
    // ever detached again, never freed by the window.
    void AddShownElement(TElement* element);

    virtual int32_t GetLeft();
    virtual int32_t GetTop();
    virtual int32_t GetWidth();
    virtual int32_t GetHeight();
    virtual void SetLeft(int32_t v);
    virtual void SetTop(int32_t v);
    virtual void SetWidth(int32_t v);
    virtual void SetHeight(int32_t v);
    virtual void SetScaleText();
    // The model point under the mouse in the status labels.
    virtual void ShowPointer(const T2DPoint& m);
    virtual void CreateForm();
    virtual void CreateDevice();
    virtual void BindDeviceToForm();
    virtual void CreateInterpret();
    virtual void BindInterpretDevice();
    virtual void CreateDefaultTools();
    virtual void SetNextTool(TInteractiveTool* tool);
    virtual bool GetFormVisible();
    virtual void SetFormVisible(bool visible);
    virtual TControl* GetMainMenu();
    virtual std::string GetCaption();
    virtual void SetCaption(const std::string& caption);
    virtual int32_t GetImageCursor();
    virtual void SetImageCursor(int32_t cursor);
    virtual void SetFreeForm(bool value);
    virtual void LoadFromFile(const std::string& fileName);
    virtual void SaveToFile(const std::string& fileName);
    virtual void OpenFile(TZarixMessage*& message, bool& handled);
    virtual void SaveFileAs(TZarixMessage*& message, bool& handled);
    virtual void ActivateTool(TZarixMessage*& message, bool& handled);
    virtual void PrintView(TZarixMessage*& message, bool& handled);
    virtual void ToggleQuickView(TZarixMessage*& message, bool& handled);
    virtual void RefreshImage(TZarixMessage*& message, bool& handled);
    virtual void ScaleDialog(TZarixMessage*& message, bool& handled);
    virtual void ShowWholeModel(TZarixMessage*& message, bool& handled);
    virtual void QuitWhenDone(TZarixMessage*& message, bool& handled);

    // The window tools.
    TTools* GetTools();
    int32_t ToolsCount();
    TInteractiveTool* GetTool(int32_t index);
    virtual TTool* AddTool(TTool* tool);
    virtual TTool* InsertTool(int32_t index, TTool* tool);
    virtual void RemoveTool(TTool* tool);
    virtual void FreeTool(TTool* tool);
    TInteractiveTool* GetActiveTool();
    int32_t GetActiveToolIndex() const { return FActiveToolIndex; }
    // An index that names no tool stores -1; the active index again changes nothing.
    virtual void SetActiveToolIndex(int32_t index);
    std::string GetActiveToolName();
    void SetActiveToolName(const std::string& name);
    std::string GetActiveToolClassName();
    void SetActiveToolClassName(const std::string& name);

    TColor GetPageColor();
    void SetPageColor(TColor color);
    TPageProjection* GetProjection();
    TInterpretScript* GetInterpretScript();
    void SetInterpretScript(TInterpretScript* script);
    void SetBreakReView(int32_t);
    void SetElementForReView(TElement* element);
    void SetElementForKillReView(TElement* element);
    bool GetQuickView() const { return FQuickView; }
    void SetQuickView(bool value);

    void DoIt() override;
    void SetInput(TElement* element) override;
    void HandleMessage(TZarixMessage*& message, bool& handled) override;
    void KeyDown(TZarixMessage*& message, bool& handled) override;
    void MouseUp(TZarixMessage*& message, bool& handled) override;
    void MouseMove(TZarixMessage*& message, bool& handled) override;
    void ReView(TZarixMessage*& message, bool& handled) override;
    void ResizeView(TZarixMessage*& message, bool& handled) override;
    void on_tm_QuitTask(TZarixMessage*& message, bool& handled) override;
    void on_tm_Done(TZarixMessage*& message, bool& handled) override;

protected:
    void FreeTheForm();
    // Frees the envelope; what the window was not handed to keep is detached first.
    void ReleaseEnvelope();
    void FitToInput();
    void CheckToolItem(TInteractiveTool* tool);
    TStandardImageForm* FForm = nullptr;
    TImageCanvasDevice* FOwnDevice = nullptr;
    TTools* FTools = nullptr;
    int32_t FActiveToolIndex = -1;
    bool FQuickView = false;
    TRectEntity* FEnvelope = nullptr;
    TElement* FKept = nullptr;  // the input the window was handed to keep
};

// Registers TFormToolManager.
void RegisterFormToolManagerUnit();
