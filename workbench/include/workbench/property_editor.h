// The property editor: every published property of one object in three grids (the core
// base class's, the others, the methods), a value typed into a cell and committed by a
// double-click or Enter, an object-valued property opened in a further editor.
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "kernel/tools.h"
#include "platform/controls.h"

class TInstanceProperties;
class TObjectPropertyEditor;

// Message of the editor's form: commit the selected value or open the selected object.
constexpr int32_t tm_PropertyCommit = 66;
// Messages the form's buttons post to the main tool.
constexpr int32_t tm_ShowAsDesktop = 30;
constexpr int32_t tm_ExploreElement = 36;
constexpr int32_t tm_ExploreOwners = 37;

// The editor's window ("Properties"). The grids are controls named sgElementProperties,
// sgAscProperties and sgMethods on the pages tsElementProperties ("El.vlastnosti"),
// tsAscProperties ("Vlastnosti") and tsMethods ("Metody"). Scripts read SelRow, PropName
// and PropString through the editor's Form.
class TFProp : public TForm, public TPersistent {
    ZARIX_CLASS(TFProp, TPersistent)
    static void Publish(PropertyTable& t);

public:
    static constexpr int DefaultColWidth = 150;
    static constexpr int DefaultRowHeight = 20;

    explicit TFProp(TObjectPropertyEditor* editor = nullptr);

    // Nil once the editor is gone.
    TObjectPropertyEditor* Editor() const;
    // The grids in page order.
    TControl& Grid(int page) const { return *FGrids[static_cast<size_t>(page)]; }
    TControl& Page(int page) const { return *FPages[static_cast<size_t>(page)]; }
    // The grid of the active page; nil when that page is disabled.
    TControl* ActiveGrid() const;
    int ActivePage() const { return FActivePage; }
    void SetActivePage(int page);
    int ColWidth(int page, int col) const { return FColWidths[static_cast<size_t>(page)][col ? 1 : 0]; }

    // The row last selected in any grid; cells 0 and 1 of that row in the active grid.
    int32_t SelRow = 0;
    std::string PropName() const;
    std::string PropString() const;

    // What the user does with a grid (by name). Selecting a name cell (column 0) is
    // refused; typing edits the selected value cell.
    bool SelectCell(const std::string& grid, int col, int row);
    void TypeValue(const std::string& grid, const std::string& text);
    void MouseMove(const std::string& grid, int x, int y);
    void MouseUp(const std::string& grid, int x, int y);
    void DblClick(const std::string& grid);
    void PressEnter(const std::string& grid);
    void Resize(int width, int height);
    // The cell under a pixel point of a grid of the page.
    void MouseToCell(int page, int x, int y, int& col, int& row) const;

private:
    int PageOf(const std::string& grid) const;
    void Commit(int page);
    void FitValueColumn();
    TObjectPropertyEditor* FEditor;
    uint64_t FEditorSerial;
    std::array<TControl*, 3> FGrids{};
    std::array<TControl*, 3> FPages{};
    std::array<std::array<int, 2>, 3> FColWidths{};
    std::array<int, 3> FSelCol{};
    int FActivePage = 1;
    int FMouseX = 0, FMouseY = 0;
};

class TObjectPropertyEditor : public TTool {
    ZARIX_CLASS(TObjectPropertyEditor, TTool)
    static void Publish(PropertyTable& t);

public:
    // The edited object: the input, or an object that is not an element (SetObject).
    TPersistent* GetObject() const;
    void SetObject(TPersistent* object);
    void SetInput(TElement* element) override;

    // Created on first use.
    TFProp* GetForm();
    // The form while it exists.
    TFProp* Form() const { return FForm; }
    TInstanceProperties* Properties() const { return FProperties; }

    int32_t GetLeft();
    int32_t GetTop();
    int32_t GetWidth();
    int32_t GetHeight();
    std::string GetCaption();
    void SetLeft(int32_t v);
    void SetTop(int32_t v);
    void SetWidth(int32_t v);
    void SetHeight(int32_t v);
    void SetCaption(const std::string& v);

    // Binds the properties to the object, fills the grids and shows the form.
    void DoIt() override;
    // Writes the grids from the properties; rows are rewritten in place after the first.
    void Fill();
    // The button of the form (36, 30 or 37) to the main tool with the object.
    void PostToMainTool(int32_t msg);
    // The form closed: the form and the editor go once the close is over.
    void FormClosed();
    // The core base class of an element (the first of TOwnerEntity, TNameEntity, TEntity,
    // TOwnerElement, TNameElement, else TElement).
    static const TClassInfo* CoreBaseClass(const TPersistent* object);

    void HandleMessage(TZarixMessage*& message, bool& handled) override;
    void on_tm_EndTask(TZarixMessage*& message, bool& handled) override;
    void Destroy() override;

private:
    // True when the object is gone: then the editor closes.
    bool ObjectGone();
    void Commit(int32_t row);
    void CloseLater();
    TFProp* FForm = nullptr;
    TInstanceProperties* FProperties = nullptr;
    TPersistent* FObject = nullptr;
    uint64_t FObjectSerial = 0;
    bool FFilled = false;
    bool FClosing = false;
};

// Registers TObjectPropertyEditor.
void RegisterPropertyEditorUnit();
