#include "workbench/property_editor.h"

#include "composition/input_events.h"
#include "composition/modelfile.h"
#include "kernel/class_registry.h"
#include "kernel/property_access.h"
#include "kernel/string_routines.h"
#include "platform/forms.h"
#include "platform/host.h"
#include "platform/sysutils.h"
#include "space/instance_properties.h"
#include "platform/scope_exit.h"

namespace {

constexpr uint32_t kFreeEditor = WM_USER + 66;
constexpr uint16_t kEnter = 13;
const char* const kGridNames[3] = {"sgElementProperties", "sgAscProperties", "sgMethods"};
const char* const kPageNames[3] = {"tsElementProperties", "tsAscProperties", "tsMethods"};

// The window whose procedure frees closed editors once their form's close is over.
void* EditorWindow() {
    static void* handle = [] {
        void* h = AllocateWindowHandle();
        RegisterWindowProc(h, [](TMsg& m) -> intptr_t {
            auto* editor = reinterpret_cast<TObjectPropertyEditor*>(m.lParam);
            if (m.message == kFreeEditor && IsLive(editor, static_cast<uint64_t>(m.wParam))) Free(editor);
            return 0;
        });
        return h;
    }();
    return handle;
}

// The text a class-kind value shows: "nil", an element's name, else the class name.
std::string ObjectText(TPersistent* o) {
    if (!o) return "nil";
    if (auto* e = As<TElement>(o)) return e->GetName();
    return o->ClassName();
}

}  // namespace

// ---- TFProp ------------------------------------------------------------------------------

TFProp::TFProp(TObjectPropertyEditor* editor)
    : TForm("TFProp"), FEditor(editor), FEditorSerial(editor ? editor->Serial() : 0) {
    Caption = "Properties";
    Width = 330;
    Height = 400;
    Add(TControlKind::Panel, "Panel1");
    Add(TControlKind::Label, "lbClassName", "", "Panel1");
    const std::pair<const char*, int32_t> buttons[3] = {
        {"Model", tm_ExploreElement}, {"Zobraz", tm_ShowAsDesktop}, {"Vlastníci", tm_ExploreOwners}};
    for (const auto& [caption, msg] : buttons) {
        TControl& b = Add(TControlKind::Button, std::string("bt") + (msg == tm_ExploreOwners ? "Vlastnici" : caption),
                          Cz(caption), "Panel1");
        b.OnClick = [this, msg = msg](TControl&) {
            if (TObjectPropertyEditor* e = Editor()) e->PostToMainTool(msg);
        };
    }
    Add(TControlKind::PageControl, "PageControl1").OnChange = [this](TControl& c) { SetActivePage(c.ItemIndex); };
    const char* captions[3] = {"El.vlastnosti", "Vlastnosti", "Metody"};
    for (int p = 0; p < 3; ++p) {
        FPages[static_cast<size_t>(p)] = &Add(TControlKind::Panel, kPageNames[p], captions[p], "PageControl1");
        TControl& g = Add(TControlKind::Grid, kGridNames[p], "", kPageNames[p]);
        g.ColCount = 2;
        g.RowCount = 1;
        FGrids[static_cast<size_t>(p)] = &g;
        FColWidths[static_cast<size_t>(p)] = {DefaultColWidth, DefaultColWidth};
        g.ColWidths = {DefaultColWidth, DefaultColWidth};
        // The grid's own calls: only value cells are selected and typed into; a double
        // click is one over the cell clicked.
        g.OnSelectCell = [this](TControl& grid, int col, int row) { return SelectCell(grid.Name, col, row); };
        g.OnCellDblClick = [this, p](TControl& grid, int col, int row) {
            FMouseX = col == 0 ? 0 : FColWidths[static_cast<size_t>(p)][0];
            FMouseY = row * (DefaultRowHeight + 1);
            DblClick(grid.Name);
        };
    }
    SetActivePage(1);
    OnKeyDown = [this](TForm&, uint16_t key, uint32_t) {
        if (key == kEnter && ActiveControl() && PageOf(ActiveControl()->Name) >= 0) PressEnter(ActiveControl()->Name);
    };
    OnResize = [this](TForm&) { FitValueColumn(); };
    OnClose = [this](TForm&) {
        if (TObjectPropertyEditor* e = Editor()) e->FormClosed();
    };
}

TObjectPropertyEditor* TFProp::Editor() const {
    return FEditor && IsLive(FEditor, FEditorSerial) ? FEditor : nullptr;
}

void TFProp::SetActivePage(int page) {
    if (page < 0 || page > 2 || !Page(page).Enabled) return;
    FActivePage = page;
    (*this)["PageControl1"].Text = kPageNames[page];
    (*this)["PageControl1"].ItemIndex = page;
}

TControl* TFProp::ActiveGrid() const {
    return FActivePage >= 0 && Page(FActivePage).Enabled ? &Grid(FActivePage) : nullptr;
}

std::string TFProp::PropName() const {
    TControl* g = ActiveGrid();
    return g && SelRow > 0 ? g->Cell(0, SelRow) : std::string();
}

std::string TFProp::PropString() const {
    TControl* g = ActiveGrid();
    return g && SelRow > 0 ? g->Cell(1, SelRow) : std::string();
}

int TFProp::PageOf(const std::string& grid) const {
    for (int p = 0; p < 3; ++p)
        if (AnsiSameText(grid, kGridNames[p])) return Page(p).Enabled ? p : -1;
    return -1;
}

bool TFProp::SelectCell(const std::string& grid, int col, int row) {
    int p = PageOf(grid);
    if (p < 0 || col != 1 || row < 0 || row >= Grid(p).RowCount) return false;
    SetActivePage(p);
    SelRow = row;
    FSelCol[static_cast<size_t>(p)] = col;
    return true;
}

void TFProp::TypeValue(const std::string& grid, const std::string& text) {
    int p = PageOf(grid);
    if (p < 0 || FSelCol[static_cast<size_t>(p)] != 1 || SelRow < 0 || SelRow >= Grid(p).RowCount) return;
    Grid(p).SetCell(1, SelRow, text);
}

void TFProp::MouseToCell(int page, int x, int y, int& col, int& row) const {
    const auto& w = FColWidths[static_cast<size_t>(page)];
    col = x < 0 ? -1 : x < w[0] ? 0 : x < w[0] + 1 + w[1] ? 1 : -1;
    row = y < 0 ? -1 : y / (DefaultRowHeight + 1);
    if (row >= Grid(page).RowCount) row = -1;
}

void TFProp::MouseMove(const std::string& grid, int x, int y) {
    if (PageOf(grid) < 0) return;
    FMouseX = x;
    FMouseY = y;
}

void TFProp::MouseUp(const std::string& grid, int x, int y) {
    MouseMove(grid, x, y);
    FitValueColumn();
}

void TFProp::Commit(int page) {
    TObjectPropertyEditor* e = Editor();
    if (page < 0 || !e) return;
    int col = 0, row = 0;
    MouseToCell(page, FMouseX, FMouseY, col, row);
    TZarixMouseEvent::Create(tm_PropertyCommit, e, e, 0, mbLeft, col, row, true)->Post();
}

void TFProp::DblClick(const std::string& grid) { Commit(PageOf(grid)); }
void TFProp::PressEnter(const std::string& grid) { Commit(PageOf(grid)); }

void TFProp::Resize(int width, int height) {
    Width = width;
    Height = height;
    FitValueColumn();
}

void TFProp::FitValueColumn() {
    auto& w = FColWidths[static_cast<size_t>(FActivePage)];
    w[1] = Width - w[0] - 1;
    Grid(FActivePage).ColWidths = {w[0], w[1]};
}

// ---- TObjectPropertyEditor ---------------------------------------------------------------

void TFProp::Publish(PropertyTable& t) {
    using C = TFProp;
    t.Field("SelRow", &C::SelRow).Stored(false);
    t.Str<C>("PropName", &C::PropName, nullptr).Stored(false);
    t.Str<C>("PropString", &C::PropString, nullptr).Stored(false);
}

void TObjectPropertyEditor::Publish(PropertyTable& t) {
    using C = TObjectPropertyEditor;
    t.Obj<C, TFProp>("Form", &C::GetForm, nullptr).Stored(false);
    t.Int<C>("Left", &C::GetLeft, &C::SetLeft).Stored(false);
    t.Int<C>("Top", &C::GetTop, &C::SetTop).Stored(false);
    t.Int<C>("Width", &C::GetWidth, &C::SetWidth).Stored(false);
    t.Int<C>("Height", &C::GetHeight, &C::SetHeight).Stored(false);
    t.Str<C>("Caption", &C::GetCaption, &C::SetCaption).Stored(false);
}

TPersistent* TObjectPropertyEditor::GetObject() const {
    return FObject && IsLive(FObject, FObjectSerial) ? FObject : nullptr;
}

void TObjectPropertyEditor::SetObject(TPersistent* object) {
    FObject = object;
    FObjectSerial = object ? object->Serial() : 0;
    Input = As<TElement>(object);
}

void TObjectPropertyEditor::SetInput(TElement* element) {
    inherited::SetInput(element);
    FObject = element;
    FObjectSerial = element ? element->Serial() : 0;
}

TFProp* TObjectPropertyEditor::GetForm() {
    if (!FForm) FForm = new TFProp(this);
    return FForm;
}

int32_t TObjectPropertyEditor::GetLeft() { return GetForm()->Left; }
int32_t TObjectPropertyEditor::GetTop() { return GetForm()->Top; }
int32_t TObjectPropertyEditor::GetWidth() { return GetForm()->Width; }
int32_t TObjectPropertyEditor::GetHeight() { return GetForm()->Height; }
std::string TObjectPropertyEditor::GetCaption() { return GetForm()->Caption; }
void TObjectPropertyEditor::SetLeft(int32_t v) { GetForm()->Left = v; }
void TObjectPropertyEditor::SetTop(int32_t v) { GetForm()->Top = v; }
void TObjectPropertyEditor::SetWidth(int32_t v) { GetForm()->Resize(v, GetForm()->Height); }
void TObjectPropertyEditor::SetHeight(int32_t v) { GetForm()->Resize(GetForm()->Width, v); }
void TObjectPropertyEditor::SetCaption(const std::string& v) { GetForm()->Caption = v; }

const TClassInfo* TObjectPropertyEditor::CoreBaseClass(const TPersistent* object) {
    for (const TClassInfo* c : {TOwnerEntity::StaticClass(), TNameEntity::StaticClass(), TEntity::StaticClass(),
                                TOwnerElement::StaticClass(), TNameElement::StaticClass()})
        if (object->InheritsFrom(c)) return c;
    return TElement::StaticClass();
}

bool TObjectPropertyEditor::ObjectGone() {
    if (FObject && IsLive(FObject, FObjectSerial)) return false;
    if (FForm) FForm->Hide();
    CloseLater();
    return true;
}

void TObjectPropertyEditor::DoIt() {
    if (!FObject || ObjectGone()) return;
    TPersistent* o = FObject;
    if (!FProperties) FProperties = TInstanceProperties::New();
    FProperties->SetInstance(o);
    TFProp* f = GetForm();
    (*f)["lbClassName"].Caption = GetPropStringByName(o, "NAME") + " : " + o->ClassName();
    bool element = o->InheritsFrom(TElement::StaticClass());
    f->Page(0).Enabled = element;
    if (element) f->Page(0).Caption = CoreBaseClass(o)->Name;
    f->SetActivePage(element && ModelFileProfile() == TModelFileProfile::Tarvine ? 0 : 1);
    Fill();
    f->Left = GetLeft();
    f->Top = GetTop();
    f->Show();
}

void TObjectPropertyEditor::Fill() {
    if (!FProperties || ObjectGone()) return;
    TFProp* f = GetForm();
    TPersistent* o = FObject;
    bool element = o->InheritsFrom(TElement::StaticClass());
    int32_t core = element ? TInstanceProperties::ClassPropCount(CoreBaseClass(o)) : 0;
    int32_t counters[3] = {0, 0, 0};
    std::string name;
    try {
        for (int32_t i = 0; i < FProperties->Count(); ++i) {
            FProperties->SelectIndex(i);
            name = FProperties->SelectedName();
            TTypeKind kind = FProperties->SelectedKind();
            std::string text = kind == tkClass ? ObjectText(FProperties->GetObjectValue()) : FProperties->GetPropString();
            int page = element && i < core ? 0 : kind == tkMethod ? 2 : 1;
            TControl& g = f->Grid(page);
            int row;
            if (!FFilled) {
                if (g.RowCount == 1 && g.Cell(0, 0).empty()) row = 0;
                else row = g.RowCount++;
            } else {
                row = page == 0 ? i : counters[page]++;
            }
            g.SetCell(0, row, name);
            g.SetCell(1, row, text);
        }
    } catch (const Exception&) {
        ShowErrorMessage("Error filling property form (" + name + ")");
        return;
    }
    FFilled = true;
}

void TObjectPropertyEditor::Commit(int32_t row) {
    if (row <= 0 || !FForm || !FProperties || ObjectGone()) return;
    if (!FProperties->SelectName(FForm->PropName())) return;
    std::string text = FForm->PropString();
    if (FProperties->SelectedKind() == tkClass) {
        if (TPersistent* value = FProperties->GetObjectValue()) {
            TObjectPropertyEditor* editor = TObjectPropertyEditor::New();
            editor->SetObject(value);
            // It joins the tool list holding this editor (the main tool's).
            if (auto* tools = As<TTools>(GetOwnersCount() > 0 ? GetOwnerEntity(0) : nullptr)) tools->AddElement(editor);
            editor->DoIt();
        }
        // Nil (or an object that is no persistent) is not changed: no text names an object.
        Fill();
        return;
    }
    auto fill = MakeScopeExit([this] { Fill(); });  // a refused value shows the one kept
    FProperties->SetPropString(text);
}

void TObjectPropertyEditor::PostToMainTool(int32_t msg) {
    if (ObjectGone()) return;
    PostMsg(msg, nullptr, As<TElement>(FObject), false);
}

void TObjectPropertyEditor::FormClosed() { CloseLater(); }

void TObjectPropertyEditor::CloseLater() {
    if (FClosing) return;
    FClosing = true;
    PostMessage(EditorWindow(), kFreeEditor, static_cast<uintptr_t>(Serial()), reinterpret_cast<intptr_t>(this));
}

void TObjectPropertyEditor::HandleMessage(TZarixMessage*& message, bool& handled) {
    inherited::HandleMessage(message, handled);
    if (handled || !message || message->Message != tm_PropertyCommit) return;
    handled = true;
    auto* event = As<TZarixMouseEvent>(message);
    Commit(event ? event->Y : 0);
}

void TObjectPropertyEditor::on_tm_EndTask(TZarixMessage*&, bool& handled) {
    handled = true;
    if (FForm) FForm->Hide();
    CloseLater();
}

void TObjectPropertyEditor::Destroy() {
    delete FForm;
    FForm = nullptr;
    if (FProperties) Free(FProperties);
    FProperties = nullptr;
    inherited::Destroy();
}

void RegisterPropertyEditorUnit() { RegisterZarixClass<TObjectPropertyEditor>(); }
