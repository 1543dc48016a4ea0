#include "platform/controls.h"

#include "platform/host.h"
#include "platform/sysutils.h"

namespace {
std::vector<TForm*> g_modal;  // forms being shown modally, innermost last
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

void TControl::TypeCell(int col, int row, std::string text) {
    if (!Usable() || ReadOnly) return;
    SetCell(col, row, std::move(text));
    if (OnCellChange) OnCellChange(*this, col, row);
}

void TControl::DblClickCell(int col, int row) {
    if (!Usable()) return;
    if (OnCellDblClick) OnCellDblClick(*this, col, row);
}

void TControl::Click() {
    if (!Usable()) return;
    if (OnClick) OnClick(*this);
    if (ModalResult != 0) form_.ModalResult = ModalResult;
}

void TControl::Type(std::string text) {
    if (!Usable() || ReadOnly) return;
    Text = std::move(text);
    if (OnChange) OnChange(*this);
}

bool TControl::Pick(std::string_view item) {
    if (!Usable()) return false;
    for (size_t i = 0; i < Items.size(); ++i)
        if (Items[i] == item) {
            Select(static_cast<int>(i));
            return true;
        }
    return false;
}

void TControl::Select(int index) {
    if (!Usable()) return;
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

// ---- TForm ------------------------------------------------------------------

TForm::TForm(std::string className) : className_(std::move(className)) {}

TForm::~TForm() {
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
}

bool TForm::Close() {
    if (OnCloseQuery && !OnCloseQuery(*this)) return false;
    if (OnClose) OnClose(*this);
    if (modal_ && ModalResult == 0) ModalResult = mrCancel;
    Visible = false;
    return true;
}

void TForm::KeyDown(uint16_t key, uint32_t shift) {
    if (OnKeyDown) OnKeyDown(*this, key, shift);
}

TForm* ActiveModalForm() { return g_modal.empty() ? nullptr : g_modal.back(); }
