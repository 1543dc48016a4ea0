#include "platform/controls.h"

#include "platform/host.h"
#include "platform/sysutils.h"

namespace {
std::vector<TForm*> g_modal;  // forms being shown modally, innermost last

std::string WithoutAccelerator(std::string_view caption) {
    std::string s;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size()) ++i;
        s += caption[i];
    }
    return s;
}
}  // namespace

int TreeLevel(std::string_view node) {
    size_t blanks = node.find_first_not_of(' ');
    return static_cast<int>((blanks == std::string_view::npos ? node.size() : blanks) / 2);
}

std::string TreeText(std::string_view node) {
    size_t blanks = node.find_first_not_of(' ');
    return blanks == std::string_view::npos ? std::string() : std::string(node.substr(blanks));
}

int UserHost::ShowForm(TForm& form) { return ShowModal(form.ClassName()); }

// ---- TControl ---------------------------------------------------------------

TControl::TControl(TForm& form, TControlKind kind, std::string name, std::string caption, std::string parent)
    : Kind(kind), Name(std::move(name)), Caption(std::move(caption)), Parent(std::move(parent)), form_(form) {}

std::string TControl::Cell(int col, int row) const {
    if (row < 0 || col < 0 || static_cast<size_t>(row) >= cells_.size()) return {};
    const auto& r = cells_[static_cast<size_t>(row)];
    return static_cast<size_t>(col) < r.size() ? r[static_cast<size_t>(col)] : std::string();
}

void TControl::SetCell(int col, int row, std::string text) {
    if (row < 0 || col < 0) throw Exception("Grid index out of range");
    if (static_cast<size_t>(row) >= cells_.size()) cells_.resize(static_cast<size_t>(row) + 1);
    auto& r = cells_[static_cast<size_t>(row)];
    if (static_cast<size_t>(col) >= r.size()) r.resize(static_cast<size_t>(col) + 1);
    r[static_cast<size_t>(col)] = std::move(text);
    if (col >= ColCount) ColCount = col + 1;
    if (row >= RowCount) RowCount = row + 1;
}

void TControl::ClearCells() {
    cells_.clear();
    ColCount = RowCount = 0;
}

bool TControl::SelectCell(int col, int row) {
    if (!Usable() || (OnSelectCell && !OnSelectCell(*this, col, row))) return false;
    ItemIndex = row;
    return true;
}

void TControl::TypeCell(int col, int row, std::string text) {
    if (!Usable() || ReadOnly || (OnSelectCell && !OnSelectCell(*this, col, row))) return;
    SetCell(col, row, std::move(text));
    if (OnCellChange) OnCellChange(*this, col, row);
}

void TControl::DblClickCell(int col, int row) {
    if (!Usable()) return;
    if (OnCellDblClick) OnCellDblClick(*this, col, row);
}

void TControl::DragDrop(TControl& source) {
    if (!Usable()) return;
    if (OnDragDrop) OnDragDrop(*this, source);
}

void TControl::DragOver(TControl& source, int x, int y) {
    if (!Usable()) return;
    if (OnDragOver) OnDragOver(*this, source, x, y);
}

void TControl::Click() {
    if (!Usable()) return;
    if (OnClick) OnClick(*this);
    if (ModalResult != 0) form_.ModalResult = ModalResult;
}

void TControl::Type(std::string text) {
    if (!Usable() || ReadOnly) return;
    Text = std::move(text);
    // A tree's nodes stay as the form has them: its OnEdited renames what the node stands for.
    if (Kind == TControlKind::Tree && OnEdited) {
        OnEdited(*this);
        return;
    }
    if (OnChange) OnChange(*this);
}

bool TControl::EditNode(std::string_view node, std::string text) {
    if (Kind != TControlKind::Tree || !Usable() || ReadOnly) return false;
    int index = -1;
    for (size_t i = 0; i < Items.size() && index < 0; ++i)
        if (Items[i] == node) index = static_cast<int>(i);
    for (size_t i = 0; i < Items.size() && index < 0; ++i)
        if (TreeText(Items[i]) == node) index = static_cast<int>(i);
    int32_t n;
    if (index < 0 && TryStrToInt(Trim(std::string(node)), n) && n >= 1 && n <= static_cast<int>(Items.size()))
        index = n - 1;
    if (index < 0) return false;
    if (index != ItemIndex) Select(index);
    // The pick may have changed the nodes.
    if (ItemIndex != index) return false;
    Type(std::move(text));
    return true;
}

bool TControl::Pick(std::string_view item) {
    if (!Usable()) return false;
    if (Kind == TControlKind::PageControl) {
        std::vector<TControl*> pages = form_.Children(Name);
        for (size_t i = 0; i < pages.size(); ++i)
            if (SameText(WithoutAccelerator(pages[i]->Caption), item) || SameText(pages[i]->Name, item)) {
                if (!pages[i]->Enabled || !pages[i]->Visible) return false;
                Select(static_cast<int>(i));
                return true;
            }
        return false;
    }
    for (size_t i = 0; i < Items.size(); ++i)
        if (Items[i] == item) {
            Select(static_cast<int>(i));
            return true;
        }
    if (Kind == TControlKind::Tree)
        for (size_t i = 0; i < Items.size(); ++i)
            if (TreeText(Items[i]) == item) {
                Select(static_cast<int>(i));
                return true;
            }
    return false;
}

void TControl::Select(int index) {
    if (!Usable()) return;
    if (Kind == TControlKind::PageControl) {
        std::vector<TControl*> pages = form_.Children(Name);
        if (index < 0 || index >= static_cast<int>(pages.size())) throw Exception("Page index out of bounds (" + std::to_string(index) + ")");
        TControl* page = pages[static_cast<size_t>(index)];
        if (!page->Enabled || !page->Visible) return;
        ItemIndex = index;
        Text = page->Name;
        if (OnChange) OnChange(*this);
        return;
    }
    if (index < -1 || index >= static_cast<int>(Items.size())) throw Exception("List index out of bounds (" + std::to_string(index) + ")");
    ItemIndex = index;
    Text = index >= 0 ? Items[static_cast<size_t>(index)] : std::string();
    if (OnChange) OnChange(*this);
}

void TControl::SetChecked(bool checked) {
    if (!Usable()) return;
    if (Kind == TControlKind::RadioButton && checked) {
        // Radio buttons of one holder exclude each other.
        for (TControl* c : form_.Children(Parent))
            if (c != this && c->Kind == TControlKind::RadioButton) c->Checked = false;
    }
    Checked = checked;
    if (OnClick) OnClick(*this);
}

void TControl::Focus() {
    TControl* old = form_.ActiveControl();
    if (old == this) return;
    if (old && old->OnExit) old->OnExit(*old);
    form_.SetActiveControl(this);
    if (OnEnter) OnEnter(*this);
}

void TControl::Mouse(TMouseAction action, int button, uint32_t shift, int x, int y) {
    if (!Usable()) return;
    if (OnMouse) OnMouse(*this, action, button, shift, x, y);
}

void TControl::ResizeImage(int width, int height) {
    if (OnImageResize) OnImageResize(*this, width, height);
}

// ---- TForm ------------------------------------------------------------------

TForm::TForm(std::string className) : className_(std::move(className)) {}

TForm::~TForm() {
    GetUserHost().FormDestroyed(*this);
    for (auto it = g_modal.begin(); it != g_modal.end();)
        it = *it == this ? g_modal.erase(it) : it + 1;
}

TControl& TForm::Add(TControlKind kind, std::string name, std::string caption, std::string parent) {
    if (!name.empty() && Find(name)) throw Exception("A component named " + name + " already exists");
    controls_.push_back(std::make_unique<TControl>(*this, kind, std::move(name), std::move(caption), std::move(parent)));
    return *controls_.back();
}

TControl* TForm::Find(std::string_view name) const {
    for (const auto& c : controls_)
        if (SameText(c->Name, name)) return c.get();
    return nullptr;
}

TControl& TForm::operator[](std::string_view name) const {
    if (TControl* c = Find(name)) return *c;
    throw Exception("Control " + std::string(name) + " not found on " + className_);
}

std::vector<TControl*> TForm::Children(std::string_view parent) const {
    std::vector<TControl*> out;
    for (const auto& c : controls_)
        if (SameText(c->Parent, parent)) out.push_back(c.get());
    return out;
}

int TForm::ShowModal() {
    if (modal_) throw Exception("Cannot make a visible window modal");
    ModalResult = 0;
    modal_ = true;
    Visible = true;
    g_modal.push_back(this);
    struct Leave {
        TForm* f;
        ~Leave() {
            if (!g_modal.empty() && g_modal.back() == f) g_modal.pop_back();
            f->modal_ = false;
            f->Visible = false;
        }
    } leave{this};
    if (OnShow) OnShow(*this);
    int answer = GetUserHost().ShowForm(*this);
    if (ModalResult == 0) ModalResult = answer;
    return ModalResult;
}

void TForm::Show() {
    bool was = Visible;
    Visible = true;
    if (!was && OnShow) OnShow(*this);
    if (!modal_ && Visible) GetUserHost().FormShown(*this);
}

void TForm::Hide() {
    Visible = false;
    if (!modal_) GetUserHost().FormHidden(*this);
}

bool TForm::Close() {
    if (OnCloseQuery && !OnCloseQuery(*this)) return false;
    if (OnClose) OnClose(*this);
    if (modal_ && ModalResult == 0) ModalResult = mrCancel;
    Hide();
    return true;
}

void TForm::KeyDown(uint16_t key, uint32_t shift) {
    if (OnKeyDown) OnKeyDown(*this, key, shift);
}

void TForm::SetBounds(int left, int top, int width, int height) {
    bool sized = width != Width || height != Height;
    Left = left;
    Top = top;
    Width = width;
    Height = height;
    if (sized && OnResize) OnResize(*this);
}

void TForm::DragDrop(TControl* source) {
    if (OnDragDrop) OnDragDrop(*this, source);
}

void TForm::MouseUp() {
    if (OnMouseUp) OnMouseUp(*this);
}

TForm* ActiveModalForm() { return g_modal.empty() ? nullptr : g_modal.back(); }

// ---- answering in lines -----------------------------------------------------

namespace {

bool IsPressable(const TControl& c) { return c.Kind == TControlKind::Button || c.Kind == TControlKind::MenuItem; }

bool ReadIndex(const std::string& s, int& out) {
    int32_t v;
    if (!TryStrToInt(Trim(s), v)) return false;
    out = v;
    return true;
}

std::string KindWord(TControlKind k) {
    switch (k) {
        case TControlKind::Edit: return "edit";
        case TControlKind::Memo: return "memo";
        case TControlKind::CheckBox: return "check box";
        case TControlKind::RadioButton: return "radio button";
        case TControlKind::ComboBox: return "combo box";
        case TControlKind::ListBox: return "list box";
        case TControlKind::SpinEdit: return "spin edit";
        case TControlKind::Grid: return "grid";
        case TControlKind::Tree: return "tree";
        case TControlKind::PageControl: return "page control";
        default: return "control";
    }
}

}  // namespace

bool SetControlByLine(TForm& form, const std::string& name, const std::string& value, std::string& error) {
    int col = -1, row = -1;
    size_t bracket = name.find('[');
    std::string base = bracket == std::string::npos ? name : Trim(name.substr(0, bracket));
    TControl* c = form.Find(base);
    if (c && c->Kind == TControlKind::Tree && bracket != std::string::npos) {
        // A node's label edited: "name[node]=text".
        size_t close = name.rfind(']');
        std::string node = close == std::string::npos || close < bracket ? "" : name.substr(bracket + 1, close - bracket - 1);
        if (!c->Enabled || !c->Visible || c->ReadOnly) {
            error = base + " is " + (!c->Enabled ? "disabled" : !c->Visible ? "hidden" : "read-only");
            return false;
        }
        if (node.empty() || !c->EditNode(node, value)) {
            error = base + " has no item " + node;
            return false;
        }
        return true;
    }
    if (bracket != std::string::npos) {
        size_t comma = name.find(',', bracket), close = name.find(']', bracket);
        if (comma == std::string::npos || close == std::string::npos || comma > close ||
            !ReadIndex(name.substr(bracket + 1, comma - bracket - 1), col) ||
            !ReadIndex(name.substr(comma + 1, close - comma - 1), row) || col < 0 || row < 0) {
            error = "bad cell " + name + " (name[col,row])";
            return false;
        }
    }
    if (!c) {
        error = "no control " + base + " on " + form.ClassName();
        return false;
    }
    if (!c->Enabled || !c->Visible) {
        error = base + " is " + (c->Enabled ? "hidden" : "disabled");
        return false;
    }
    bool cell = bracket != std::string::npos;
    if (cell != (c->Kind == TControlKind::Grid)) {
        error = cell ? base + " is no grid" : "a grid cell is " + base + "[col,row]=text";
        return false;
    }
    switch (c->Kind) {
        case TControlKind::Edit:
        case TControlKind::Memo:
        case TControlKind::SpinEdit:
        case TControlKind::Grid:
            if (c->ReadOnly) {
                error = base + " is read-only";
                return false;
            }
            if (cell) {
                c->TypeCell(col, row, value);
                return true;
            }
            if (c->Kind == TControlKind::SpinEdit) {
                double v;
                if (!TextToFloat(value, v)) {
                    error = base + " takes a number";
                    return false;
                }
                c->Value = v;
            }
            c->Type(value);
            return true;
        case TControlKind::CheckBox:
        case TControlKind::RadioButton: {
            if (!c->Items.empty()) {
                // A radio group: one of its items.
                int n;
                if (c->Pick(value)) return true;
                if (ReadIndex(value, n) && n >= 1 && n <= static_cast<int>(c->Items.size())) {
                    c->Select(n - 1);
                    return true;
                }
                error = base + " has no item " + value;
                return false;
            }
            std::string v = Trim(value);
            if (v != "0" && v != "1") {
                error = base + " takes 1 or 0";
                return false;
            }
            if (c->Checked != (v == "1")) c->SetChecked(v == "1");
            return true;
        }
        case TControlKind::ComboBox:
        case TControlKind::ListBox:
        case TControlKind::Tree:
        case TControlKind::PageControl: {
            if (c->Pick(value)) return true;
            if (c->Kind == TControlKind::PageControl) {
                int n;
                std::vector<TControl*> pages = form.Children(c->Name);
                if (ReadIndex(value, n) && n >= 1 && n <= static_cast<int>(pages.size()) &&
                    pages[static_cast<size_t>(n - 1)]->Enabled && pages[static_cast<size_t>(n - 1)]->Visible) {
                    c->Select(n - 1);
                    return true;
                }
                error = base + " has no page " + value + " to show";
                return false;
            }
            int n;
            if (ReadIndex(value, n) && n >= 1 && n <= static_cast<int>(c->Items.size())) {
                c->Select(n - 1);
                return true;
            }
            if (c->Kind == TControlKind::ComboBox && !c->ReadOnly) {
                c->Type(value);
                return true;
            }
            error = base + " has no item " + value;
            return false;
        }
        default:
            error = base + " is a " + KindWord(c->Kind) + " that takes no value";
            return false;
    }
}

TControl* FindButton(const TForm& form, std::string_view captionOrName) {
    for (const auto& c : form.Controls())
        if (IsPressable(*c) && SameText(WithoutAccelerator(c->Caption), captionOrName)) return c.get();
    for (const auto& c : form.Controls())
        if (IsPressable(*c) && SameText(c->Name, captionOrName)) return c.get();
    return nullptr;
}

std::string DescribeForm(const TForm& form) {
    std::string out, buttons, menu;
    for (const auto& cp : form.Controls()) {
        const TControl& c = *cp;
        if (!c.Visible || c.Name.empty()) continue;
        std::string line = "  " + c.Name;
        std::string caption = WithoutAccelerator(c.Caption);
        switch (c.Kind) {
            case TControlKind::Button:
                buttons += (buttons.empty() ? "" : " / ") + (caption.empty() ? c.Name : caption);
                continue;
            case TControlKind::MenuItem:
                // Items that do something (not the menus of others), pressed like buttons.
                if (!caption.empty() && c.Enabled && form.Children(c.Name).empty())
                    menu += (menu.empty() ? "" : " / ") + caption;
                continue;
            case TControlKind::MainMenu:
            case TControlKind::PopupMenu:
            case TControlKind::Panel:
            case TControlKind::GroupBox:
            case TControlKind::Image:
            case TControlKind::Other:
                continue;
            case TControlKind::Label:
            case TControlKind::StatusBar:
                if (caption.empty() && c.Text.empty()) continue;
                line += ": " + (caption.empty() ? c.Text : caption);
                break;
            case TControlKind::RadioButton:
                if (!c.Items.empty()) {
                    line += ": " + caption;
                    for (size_t i = 0; i < c.Items.size(); ++i)
                        line += "\n    " + IntToStr(static_cast<int>(i) + 1) + (static_cast<int>(i) == c.ItemIndex ? " (o) " : " ( ) ") + c.Items[i];
                    break;
                }
                [[fallthrough]];
            case TControlKind::CheckBox:
                line += c.Kind == TControlKind::CheckBox ? (c.Checked ? " [x] " : " [ ] ") : (c.Checked ? " (o) " : " ( ) ");
                line += caption;
                break;
            case TControlKind::ProgressBar:
                line += ": " + FloatToStr(c.Value) + " / " + FloatToStr(c.MaxValue);
                break;
            case TControlKind::Grid:
                line += ":";
                for (int r = 0; r < c.RowCount; ++r) {
                    line += "\n    " + IntToStr(r) + ":";
                    for (int col = 0; col < c.ColCount; ++col) line += " | " + c.Cell(col, r);
                }
                break;
            case TControlKind::PageControl: {
                std::vector<TControl*> pages = form.Children(c.Name);
                line += ":";
                for (size_t i = 0; i < pages.size(); ++i) {
                    const TControl& p = *pages[i];
                    if (!p.Visible) continue;
                    line += "\n    " + IntToStr(static_cast<int>(i) + 1) + (SameText(p.Name, c.Text) ? " * " : "   ") +
                            (p.Caption.empty() ? p.Name : WithoutAccelerator(p.Caption)) + (p.Enabled ? "" : "  [disabled]");
                }
                break;
            }
            case TControlKind::ComboBox:
            case TControlKind::ListBox:
            case TControlKind::Tree:
                line += " = " + (c.Kind == TControlKind::Tree ? TreeText(c.Text) : c.Text);
                for (size_t i = 0; i < c.Items.size(); ++i)
                    line += "\n    " + IntToStr(static_cast<int>(i) + 1) + (static_cast<int>(i) == c.ItemIndex ? " * " : "   ") + c.Items[i];
                break;
            default:
                line += " = " + c.Text;
                if (!caption.empty()) line += "  (" + caption + ")";
                break;
        }
        if (!c.Enabled) line += "  [disabled]";
        else if (c.ReadOnly) line += "  [read-only]";
        out += line + "\n";
    }
    if (!menu.empty()) out += "  Menu: " + menu + "\n";
    if (!buttons.empty()) out += "  Buttons: " + buttons + "\n";
    return out;
}
