// The map-sheet template editor: a window showing one page (a desktop) on which frames,
// views, texts, text blocks and pictures are drawn with the mouse, moved and resized at
// their grips and saved as a ".MSD" template.
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "pelvar/graphics.h"
#include "workbench/form_tool_manager.h"
#include "workbench/position_dialog.h"
#include "workbench/rect_editors.h"

class TDesktop;
class TMSEditorFormTool;

// Messages of the editor window.
namespace msed {
constexpr int32_t NewTemplate = 89, SaveTemplate = 91, UseMapSheetEditor = 99, UseNewDrawRect = 100,
                  UseNewView = 101, UseNewText = 102, UseNewTextBlock = 103, UseNewBMP = 104, EditSelected = 105,
                  BringToFront = 106, SendToBack = 107, MoveUp = 108, MoveDown = 109, DeleteSelected = 110,
                  RectToForm = 111, ApplyPenWidth = 112, ApplyLineColour = 113, ApplyFillColour = 114,
                  ApplyFill = 115, ApplyFont = 116, ShowSelected = 117, ShowRectForm = 118, HideRectForm = 119,
                  ZoomToSelection = 148, UseViewer = 160;
}

// The window "Editor mapového listu" with its tool bar: line and fill colour, fill
// switch, pen width (model units) and font, read by the new-object tools.
class TMSEditorForm : public TStandardImageForm {
public:
    explicit TMSEditorForm(TMSEditorFormTool* tool);
    ~TMSEditorForm() override;

    TColor LineColour = clBlack;
    TColor FillColour = clWhite;
    bool Fill() { return (*this)["b_fill"].Checked; }
    double PenWidth = 0;
    TFont Font;
    // The font panel shows the font's name.
    void ShowFont();

private:
    void PostToTool(int32_t msg);
    std::string FIniFile;
};

// Selects, moves, resizes, deletes and reorders the elements of the edited page.
class TMapSheetEditor : public TRectEntityEditor {
    ZARIX_CLASS(TMapSheetEditor, TRectEntityEditor)

public:
    void Create() override;  // "Editor šablony mapového listu"
    virtual void EditFrame();
    virtual void EditText();
    virtual void EditTextBlock();
    virtual void EditPicture();
    virtual void EditView();
    virtual void EditDesktop() {}
    virtual void BringToFront();
    virtual void SendToBack();
    virtual void MoveUp();
    virtual void MoveDown();

    // Then posts 117.
    void Select(TElement* element) override;
    void EditSelected() override;
    void HandleMessage(TZarixMessage*& message, bool& handled) override;

private:
    // The selected element and its index among the page's children (-1: none).
    TRectEntity* SelectedChild(int32_t& index);
    void Reorder(int32_t index);
};

// The base of the new-object tools: the drawn rectangle becomes a new element on top of
// the page, selected by the editor.
class TEditorIATool : public TDrawRectTool {
    ZARIX_CLASS(TEditorIATool, TDrawRectTool)

public:
    TMapSheetEditor* GetEditor() const;
    void SetEditor(TMapSheetEditor* editor);

protected:
    TMSEditorForm* Form() const;
    // Adds the element on top of the page, selects it and asks for a redraw.
    void Place(TRectEntity* element, double minX, double minY, double maxX, double maxY, bool modified);

private:
    TMapSheetEditor* FEditor = nullptr;
    uint64_t FEditorSerial = 0;
};

class TNewDrawRect : public TEditorIATool {
    ZARIX_CLASS(TNewDrawRect, TEditorIATool)

public:
    void Create() override;
    int32_t GetCursorIndex() override { return 3; }
    void RectDrawn(double minX, double minY, double maxX, double maxY) override;
};

class TNewView : public TEditorIATool {
    ZARIX_CLASS(TNewView, TEditorIATool)

public:
    void Create() override;
    int32_t GetCursorIndex() override { return 5; }
    void RectDrawn(double minX, double minY, double maxX, double maxY) override;
};

class TNewText : public TEditorIATool {
    ZARIX_CLASS(TNewText, TEditorIATool)

public:
    void Create() override;
    int32_t GetCursorIndex() override { return 4; }
    void RectDrawn(double minX, double minY, double maxX, double maxY) override;
};

class TNewTextBlock : public TEditorIATool {
    ZARIX_CLASS(TNewTextBlock, TEditorIATool)

public:
    void Create() override;
    int32_t GetCursorIndex() override { return 10; }
    void RectDrawn(double minX, double minY, double maxX, double maxY) override;
};

class TNewBMP : public TEditorIATool {
    ZARIX_CLASS(TNewBMP, TEditorIATool)

public:
    void Create() override;
    int32_t GetCursorIndex() override { return 20; }
    void RectDrawn(double minX, double minY, double maxX, double maxY) override;
};

// The editor window tool. Its input is the edited desktop, which it owns.
class TMSEditorFormTool : public TFormToolManager {
    ZARIX_CLASS(TMSEditorFormTool, TFormToolManager)
    static void Publish(PropertyTable& t);

public:
    static constexpr const char* NoName = "NONAME.MSD";

    void Create() override;
    void Destroy() override;

    bool GetModified() const;
    void SetModified(bool value);
    const std::string& GetFileName() const { return FFileName; }
    // Also the window's caption; empty is "NONAME.MSD".
    void SetFileName(const std::string& name);
    TMSEditorForm* EditorForm() const;
    TMapSheetEditor* GetEditor() const;

    virtual TDesktop* GetDocument() const;
    virtual void SetDocument(TDesktop* desktop);
    virtual TF_rectedForm* GetRectForm();
    virtual void UseViewer();
    virtual void UseMapSheetEditor();
    virtual void UseNewDrawRect();
    virtual void UseNewView();
    virtual void UseNewText();
    virtual void UseNewTextBlock();
    virtual void UseNewBMP();
    virtual void ZoomToSelection() {}
    virtual void NewTemplate();
    virtual void SaveTemplate();
    virtual void EditSelected();
    virtual void ToFront() {}
    virtual void ToBack() {}
    virtual void DeleteSelected() {}
    virtual void RectToForm();
    virtual void ApplyPenWidth();
    virtual void ApplyLineColour();
    virtual void ApplyFillColour();
    virtual void ApplyFill();
    virtual void ApplyFont();
    virtual void ShowSelected();
    virtual void ShowRectForm();
    virtual void HideRectForm();

    // Asks whether to save a modified template; Yes writes it. The answer (mrYes without
    // a question).
    int AskToSave();
    // Writes the template; false (with a message) when it cannot be written, the file on
    // disk then unchanged.
    bool WriteTemplate();
    // Saves under a name chosen in the save dialog; false on cancel.
    bool SaveAs();

    void SetInput(TElement* element) override;
    void CreateForm() override;
    void CreateInterpret() override;
    void CreateDefaultTools() override;
    void SetScaleText() override;
    void DoIt() override;
    void HandleMessage(TZarixMessage*& message, bool& handled) override;
    void ActivateTool(TZarixMessage*& message, bool& handled) override;
    void ShowPointer(const T2DPoint& m) override;
    void OpenFile(TZarixMessage*& message, bool& handled) override;
    void SaveFileAs(TZarixMessage*& message, bool& handled) override;
    void on_tm_QuitTask(TZarixMessage*& message, bool& handled) override;

private:
    void UseTool(const TClassInfo* cls);
    void ApplyToSelected(const std::function<bool(TRectEntity*, TMSEditorForm&)>& apply);
    void RegisterTemplate();
    void FreeDocument();
    TDesktop* FDocument = nullptr;
    uint64_t FDocumentSerial = 0;
    std::unique_ptr<TF_rectedForm> FRectForm;
    std::string FFileName;
    TMapSheetEditor* FEditor = nullptr;
};

// The page of a new template: an A4 sheet lying, white, without outline.
TDesktop* NewTemplatePage();

void RegisterMapSheetEditorUnit();
