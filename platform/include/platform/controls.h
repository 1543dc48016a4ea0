// Headless forms and controls. A form is a set of named controls with their state; what a
// user does (click, type, pick, check, focus, press a key) is a call on a control or form,
// and the events it fires are handlers the form's owner installs. Modal forms are shown
// through the user host, which answers them or drives them (a scripted action finds the form
// through ActiveModalForm()). The platform knows nothing of elements: the layers above wire
// the events to their messages.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

enum class TControlKind {
    Label, Edit, Memo, Button, CheckBox, RadioButton, ComboBox, ListBox, SpinEdit, Grid,
    Panel, GroupBox, ProgressBar, StatusBar, MenuItem, Image, Other,
    // A tree (outline, tree view): its Items are the nodes in order, each indented two
    // blanks per level below its parent; ItemIndex, Text and OnChange as in a list box.
    Tree,
    // Its pages are the controls whose Parent it is; Text names the active page.
    PageControl,
    // Holders of menu items: a main menu (the form's menu bar) and a pop-up menu, shown
    // over the controls (or the form) whose PopupMenu names it.
    MainMenu, PopupMenu
};

class TForm;

class TControl {
public:
    using Event = std::function<void(TControl&)>;

    TControl(TForm& form, TControlKind kind, std::string name, std::string caption, std::string parent);
    TControl(const TControl&) = delete;
    TControl& operator=(const TControl&) = delete;

    TControlKind Kind;
    std::string Name;
    std::string Caption;
    std::string Text;
    std::vector<std::string> Items;  // combo, list, radio group and tree items; memo lines; header sections
    int ItemIndex = -1;
    bool Checked = false;
    bool Enabled = true;
    bool Visible = true;
    bool ReadOnly = false;
    int Tag = 0;
    double Value = 0, MinValue = 0, MaxValue = 0, Increment = 1;  // spin edits, progress bars
    int ModalResult = 0;  // a button that closes its form with this result
    std::string Parent;   // the menu, panel or group box holding the control
    std::string ShortCut;  // menu items: "F5", "Ctrl+S"
    std::string Hint;
    std::string PopupMenu;  // the pop-up menu shown over the control
    // Where the control sits in its parent, in pixels; a width or height of 0: not placed
    // (a window stacks it below the others).
    int Left = 0, Top = 0, Width = 0, Height = 0;

    // Grid cells; the grid grows to hold a cell that is set.
    int ColCount = 0, RowCount = 0;
    std::vector<int> ColWidths;  // pixels by column; 0 or missing: the default width
    std::string Cell(int col, int row) const;
    void SetCell(int col, int row, std::string text);
    // No cells, rows or columns.
    void ClearCells();

    Event OnClick, OnChange, OnEnter, OnExit;
    // A tree: the label of the selected node was edited in place; Text holds the new label.
    Event OnEdited;
    using CellEvent = std::function<void(TControl&, int col, int row)>;
    CellEvent OnCellChange, OnCellDblClick;
    // May a grid cell be selected (and so typed into)? Unset: every cell.
    std::function<bool(TControl&, int col, int row)> OnSelectCell;
    // Something dragged from the source control is dropped on this one; it is dragged over
    // this one at (x, y).
    std::function<void(TControl& target, TControl& source)> OnDragDrop;
    std::function<void(TControl& target, TControl& source, int x, int y)> OnDragOver;
    // What a drag from this control carries, opaque here: the layer that set it reads it back
    // from the source at the drop. Unset: the drag carries only its source.
    std::function<void*()> DragObject;

    TForm& Form() const { return form_; }

    // What a user does. Disabled or hidden controls ignore clicks, typing and picks.
    void Click();                  // OnClick, then a non-zero ModalResult ends the form's showing
    // Text, then OnChange. A tree: the selected node's label is edited, then OnEdited
    // (OnChange when it has none); the nodes stay as they are until the form changes them.
    void Type(std::string text);
    // A tree: the node of that text (with or without its indent) or number (from 1) is picked
    // unless it is the selected one, then its label is edited (Type). False without the node.
    bool EditNode(std::string_view node, std::string text);
    // The item of that text: ItemIndex, Text, OnChange. A tree node also by its text without
    // the indent; a page of a page control by its caption (without "&") or name.
    bool Pick(std::string_view item);
    // By index (-1 clears): ItemIndex, Text, OnChange. A page control's index counts its
    // pages; a disabled or hidden page is not taken.
    void Select(int index);
    void SetChecked(bool checked);  // a click on a check box or radio button: Checked, OnClick
    void Focus();                  // the active control gets OnExit, then this one OnEnter
    // A grid cell made current when OnSelectCell allows it: ItemIndex is its row.
    bool SelectCell(int col, int row);
    void TypeCell(int col, int row, std::string text);  // a selectable grid cell: SetCell, then OnCellChange
    void DblClickCell(int col, int row);                // a grid cell: OnCellDblClick
    void DragDrop(TControl& source);                    // a drag from source ends here: OnDragDrop
    void DragOver(TControl& source, int x, int y);      // a drag from source passes (x, y): OnDragOver

    // Image controls. Pixels: the picture shown, 32-bit 0xAARRGGBB words in rows of Stride
    // bytes (none without a source). A mouse button is 0 left, 1 right, 2 middle; the shift
    // state holds 1 Shift, 2 Alt, 4 Ctrl, 8, 16, 32 the left, right and middle buttons held.
    struct TPixels {
        const uint8_t* Data = nullptr;
        int Width = 0, Height = 0, Stride = 0;
    };
    enum class TMouseAction { Down, Move, Up };
    std::function<TPixels()> Pixels;
    std::function<void(TControl&, TMouseAction, int button, uint32_t shift, int x, int y)> OnMouse;
    std::function<void(TControl&, int width, int height)> OnImageResize;
    // A mouse button pressed or released, or the mouse moved, over the image at (x, y).
    void Mouse(TMouseAction action, int button, uint32_t shift, int x, int y);
    // The image got a new size in pixels.
    void ResizeImage(int width, int height);

private:
    bool Usable() const { return Enabled && Visible; }
    TForm& form_;
    std::vector<std::vector<std::string>> cells_;  // [row][col]
};

class TForm {
public:
    explicit TForm(std::string className);
    virtual ~TForm();
    TForm(const TForm&) = delete;
    TForm& operator=(const TForm&) = delete;

    const std::string& ClassName() const { return className_; }
    std::string Caption;
    std::string Name;
    int Left = 0, Top = 0, Width = 0, Height = 0;
    bool Maximized = false;  // a window fills the screen
    bool Visible = false;
    int ModalResult = 0;
    std::string PopupMenu;  // the pop-up menu shown over the form

    TControl& Add(TControlKind kind, std::string name, std::string caption = {}, std::string parent = {});
    // Controls by name, compared without regard to ASCII letter case.
    TControl* Find(std::string_view name) const;
    // Raises Exception for an unknown name.
    TControl& operator[](std::string_view name) const;
    const std::vector<std::unique_ptr<TControl>>& Controls() const { return controls_; }
    // The controls whose Parent is the given name (menu items of a menu, in order).
    std::vector<TControl*> Children(std::string_view parent) const;

    TControl* ActiveControl() const { return active_; }
    void SetActiveControl(TControl* c) { active_ = c; }

    std::function<void(TForm&)> OnShow, OnClose;
    std::function<bool(TForm&)> OnCloseQuery;  // false refuses the close
    std::function<void(TForm&, uint16_t key, uint32_t shift)> OnKeyDown;
    std::function<void(TForm&)> OnResize, OnMouseUp;
    // Something dragged is dropped on the form itself; source is the control it was dragged
    // from, nullptr when unknown.
    std::function<void(TForm&, TControl* source)> OnDragDrop;

    // Shown through the user host until a control sets ModalResult or the host answers.
    int ShowModal();
    bool Modal() const { return modal_; }
    // Shown without waiting; the user host is told (FormShown), and again of Hide, of a
    // close and of the form's end.
    void Show();
    void Hide();
    // OnCloseQuery, then OnClose; hides. A modal form without a result gets mrCancel.
    bool Close();
    void KeyDown(uint16_t key, uint32_t shift = 0);
    // The user moves or sizes the form: OnResize when the size changed.
    void SetBounds(int left, int top, int width, int height);
    // Something dragged is dropped on the form; a mouse button is released over it.
    void DragDrop(TControl* source = nullptr);
    void MouseUp();

private:
    std::string className_;
    std::vector<std::unique_ptr<TControl>> controls_;
    TControl* active_ = nullptr;
    bool modal_ = false;
};

// A tree node's level (its indent over two) and its text without the indent.
int TreeLevel(std::string_view node);
std::string TreeText(std::string_view node);

// The innermost form being shown modally, or nullptr.
TForm* ActiveModalForm();

// Answering a form in lines of text (a terminal, an answers file). A line "name=value" sets a
// control as a user would: an edit, memo or spin edit takes the text; a check box or radio
// button "1" or "0"; a combo or list box, or a radio group (a radio button with items), the
// item of that text, else of that number (from 1); a tree the node of that text (with or
// without its indent) or number; a page control the page of that caption or number; a grid
// cell is "name[col,row]=text" (from 0); a tree node's label is edited by "name[node]=text". False with the reason when the control is missing,
// hidden, disabled or read-only, or the value does not fit it.
bool SetControlByLine(TForm& form, const std::string& name, const std::string& value, std::string& error);
// A button or menu item by its caption (without "&") or name; nullptr when there is none.
TControl* FindButton(const TForm& form, std::string_view captionOrName);
// The visible controls with their values, one a line ("  E0 = /data"), then the menu items
// that can be pressed, then the buttons.
std::string DescribeForm(const TForm& form);
