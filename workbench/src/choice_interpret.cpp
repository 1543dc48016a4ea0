#include "workbench/choice_interpret.h"

#include <algorithm>
#include <memory>

#include "composition/text_blocks.h"
#include "gravo/gravo.h"
#include "kernel/class_registry.h"
#include "kernel/world.h"
#include "platform/forms.h"
#include "platform/host.h"
#include "workbench/property_editor.h"
#include "platform/scope_exit.h"

namespace {

constexpr uint32_t kFreeForm = WM_USER + 67;
constexpr size_t kLongestValue = 400;

std::vector<std::unique_ptr<TF_dbfrecForm>>& Forms() {
    static std::vector<std::unique_ptr<TF_dbfrecForm>> forms;
    return forms;
}

// Frees a closed attribute form once its close is over.
void* FormWindow() {
    static void* handle = [] {
        void* h = AllocateWindowHandle();
        RegisterWindowProc(h, [](TMsg& m) -> intptr_t {
            auto& forms = Forms();
            auto* form = reinterpret_cast<TF_dbfrecForm*>(m.lParam);
            if (m.message == kFreeForm)
                std::erase_if(forms, [form](const std::unique_ptr<TF_dbfrecForm>& f) { return f.get() == form; });
            return 0;
        });
        return h;
    }();
    return handle;
}

// Binds the form's table to the element's record and fills the grid; false when a
// set-up fails.
bool FillRecord(TF_dbfrecForm& form, TSpaceEntity* element, TGravoProps* props) {
    TGravoDBFTable& table = form.GravoDBFTable1;
    if (!table.SetupLinkedObject(props->Table, true, 0, 0) || !table.SetupLinkedEntity(element)) return false;
    TControl& grid = form.StringGrid1;
    int rows = table.FieldDefsCount();
    grid.RowCount = rows;
    size_t longest = 0;
    for (int i = 0; i < rows; ++i) {
        grid.SetCell(0, i, table.FieldDefName(i));
        std::string value = table.FieldAsString(i);
        longest = std::max(longest, value.size());
        grid.SetCell(1, i, value);
    }
    int l = static_cast<int>(std::min(longest, kLongestValue));
    form.ColWidths[0] = 100;
    form.ColWidths[1] = 10 * l;
    form.Width = 10 * l + 120;
    form.Height = rows >= 20 ? 20 * TF_dbfrecForm::DefaultRowHeight + 28 : (TF_dbfrecForm::DefaultRowHeight + 1) * rows + 28;
    return true;
}

}  // namespace

// ---- TChoicedElementInterpret ------------------------------------------------------------

void TChoicedElementInterpret::Publish(PropertyTable& t) {
    using C = TChoicedElementInterpret;
    t.Field("DontViewProps", &C::DontViewProps);
    t.Field("DontViewDBF", &C::DontViewDBF);
    t.Field("Left", &C::Left);
    t.Field("Top", &C::Top);
}

void TChoicedElementInterpret::DoIt() {
    TElement* element = Input;
    if (!element || !IsLive(element)) return;
    if (!DontViewProps) {
        TObjectPropertyEditor* editor = TObjectPropertyEditor::New();
        // The main tool holds it until its window is closed.
        if (TTechnology* main = World ? World->GetMainTool() : nullptr) main->AddTool(editor);
        editor->SetInput(element);
        editor->SetLeft(Left);
        editor->SetTop(Top);
        editor->DoIt();
    }
    auto* entity = As<TSpaceEntity>(element);
    TGravoProps* props = entity ? As<TGravoProps>(entity->GetPropertyObject()) : nullptr;
    if (!props || DontViewDBF) return;
    TCursor cursor = Screen().Cursor();
    Screen().SetCursor(crHourGlass);
    auto form = std::make_unique<TF_dbfrecForm>();
    bool filled = false;
    {
        auto done = MakeScopeExit([&] {
            form->GravoDBFTable1.Close();
            Screen().SetCursor(cursor);
        });
        filled = FillRecord(*form, entity, props);
        if (filled) {
            form->Left = Left;
            form->Top = Top;
            form->Show();
        }
    }
    if (filled) Forms().push_back(std::move(form));
}

// ---- the attribute form ------------------------------------------------------------------

TF_dbfrecForm::TF_dbfrecForm() : TForm("TF_dbfrecForm"), StringGrid1(Add(TControlKind::Grid, "StringGrid1")) {
    StringGrid1.ColCount = 2;
    OnClose = [this](TForm&) { PostMessage(FormWindow(), kFreeForm, 0, reinterpret_cast<intptr_t>(this)); };
}

const std::vector<TF_dbfrecForm*>& AttributeForms() {
    static std::vector<TF_dbfrecForm*> list;
    list.clear();
    for (const auto& f : Forms()) list.push_back(f.get());
    return list;
}

void FreeAttributeForms() { Forms().clear(); }

// ---- the text block line editor ----------------------------------------------------------

TD_txtblkForm::TD_txtblkForm() : TForm("TD_txtblkForm") {
    Add(TControlKind::Memo, "ListBox");
    Add(TControlKind::Button, "OK", "OK").ModalResult = mrOk;
    Add(TControlKind::Button, "Cancel", "Cancel").ModalResult = mrCancel;
}

void TD_TxtBlkTool::DoIt() {
    auto* block = As<TTextBlock>(Input);
    if (!block) return;
    TD_txtblkForm form;
    TControl& memo = form["ListBox"];
    if (TPersistentStringList* lines = block->GetLines())
        for (int i = 0; i < lines->Count(); ++i) memo.Items.push_back(lines->Strings(i));
    form.Caption = block->GetName();
    if (form.ShowModal() != mrOk) return;
    TPersistentStringList* lines = block->GetLines();
    lines->Clear();
    block->SetSorted(false);
    for (const std::string& line : memo.Items) lines->Add(line);
}

void RegisterChoiceInterpretUnit() {
    RegisterZarixClass<TChoicedElementInterpret>();
    RegisterZarixClass<TD_TxtBlkTool>();
}
