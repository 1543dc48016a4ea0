#include "composer/condition_filter.h"

#include <memory>

#include "composition/modelfile.h"
#include "kernel/file_routines.h"
#include "kernel/string_routines.h"
#include "kernel/value_elements.h"
#include "platform/controls.h"
#include "platform/host.h"
#include "platform/files.h"
#include "platform/sysutils.h"
#include "quintel/quintel.h"
#include "kernel/element_holder.h"

namespace {

const char* const kSize = "@_SIZE";
constexpr uint16_t VK_RETURN = 13;
constexpr uint16_t VK_DOWN = 40;

// An optional minus and decimal digits within the integer range: what the condition
// language reads as the same integer.
bool PlainInteger(const std::string& cell) {
    size_t first = !cell.empty() && cell[0] == '-' ? 1 : 0;
    if (first == cell.size()) return false;
    for (size_t i = first; i < cell.size(); ++i)
        if (cell[i] < '0' || cell[i] > '9') return false;
    int32_t n = 0;
    return TryStrToInt(cell, n);
}

std::string FilterValue(const std::string& cell, bool text) {
    if (!text && PlainInteger(cell)) return cell;
    std::string quoted = "'";
    for (char c : cell) {
        quoted += c;
        if (c == '\'') quoted += '\'';
    }
    return quoted + "'";
}

// The column names FilterProperties lists, in order.
std::vector<std::string> ColumnNames(const std::string& properties) {
    std::vector<std::string> names;
    std::string rest = properties, name;
    while (!rest.empty()) {
        StringAsTwoParams(std::string(rest), ',', name, rest);
        names.push_back(name);
    }
    return names;
}

// The column lists of a state: every string list but "@_SIZE", in order.
std::vector<TStringListElement*> Columns(TEntity* state) {
    std::vector<TStringListElement*> columns;
    for (int32_t i = 0; i < state->ElementsCount(); ++i)
        if (auto* list = As<TStringListElement>(state->Get(i)); list && list->GetName() != kSize)
            columns.push_back(list);
    return columns;
}

TStringListElement* SizeOf(TEntity* state) { return As<TStringListElement>(state->FindElementName(kSize)); }

// A state read from a file is taken only when it is the state of these columns: its
// column lists named as FilterProperties names them, in order, and its size list.
bool Usable(TElement* root, const std::string& properties) {
    auto* state = As<TOwnerEntity>(root);
    if (!state || !AnsiSameText(state->GetName(), properties) || !SizeOf(state)) return false;
    for (int32_t i = 0; i < state->ElementsCount(); ++i)
        if (!As<TStringListElement>(state->Get(i))) return false;
    std::vector<TStringListElement*> columns = Columns(state);
    std::vector<std::string> names = ColumnNames(properties);
    if (columns.size() != names.size()) return false;
    for (size_t c = 0; c < names.size(); ++c)
        if (!AnsiSameText(columns[c]->GetName(), names[c])) return false;
    return true;
}

}  // namespace

std::string BuildFilterCondition(const std::vector<std::string>& titles,
                                 const std::vector<std::vector<std::string>>& rows, const std::vector<bool>& texts) {
    std::string condition = "@CONDITION=";
    for (size_t r = 0; r < rows.size(); ++r) {
        condition += r == 0 ? "(" : "OR(";
        for (size_t c = 0; c < titles.size() && c < rows[r].size(); ++c) {
            const bool text = c < texts.size() && texts[c];
            condition += (c == 0 ? "(" : "AND(") + titles[c] + "=" + FilterValue(rows[r][c], text) + ")";
        }
        condition += ")";
    }
    return condition;
}

void TConditionFilterDialog::Publish(PropertyTable& t) {
    using C = TConditionFilterDialog;
    t.Obj<C, TElement>("Data", &C::GetData, &C::SetData);
    t.Field("DataIndex", &C::DataIndex);
    t.Field("DataDirectory", &C::DataDirectory);
    t.Field("LayerDescription", &C::LayerDescription);
    t.Field("Condition", &C::Condition);
    t.Field("FilterProperties", &C::FilterProperties);
    t.Field("FileName", &C::FileName);
}

TElement* TConditionFilterDialog::GetData() {
    if (FData && (!IsLive(FData) || IndexOf(FData) < 0)) FData = nullptr;
    return FData;
}

void TConditionFilterDialog::SetData(TElement* data) {
    GetData();
    ExchangeFieldElement(FData, data);
}

TOwnerEntity* TConditionFilterDialog::GetState() {
    if (FState && (!IsLive(FState) || IndexOf(FState) < 0)) FState = nullptr;
    return FState;
}

std::string TConditionFilterDialog::StateFile() { return ExecPath() + "ConditionFilter.zrx"; }

TOwnerEntity* TConditionFilterDialog::NewState() {
    TOwnerEntity* state = TOwnerEntity::New();
    state->SetName(FilterProperties);
    for (const std::string& name : ColumnNames(FilterProperties)) {
        TStringListElement* column = TStringListElement::New();
        column->SetName(name);
        state->AddElement(column);
    }
    TStringListElement* size = TStringListElement::New();
    size->SetName(kSize);
    state->AddElement(size);
    return state;
}

void TConditionFilterDialog::LoadState() {
    TElement* loaded = nullptr;
    if (FileExists(StateFile())) {
        auto loader = Hold(TLoad::New(StateFile()));
        try {
            loader->DoIt();
            loaded = loader->Output;
        } catch (Exception&) {
            loaded = nullptr;  // a damaged state is made anew
        }
    }
    if (loaded && !Usable(loaded, FilterProperties)) {
        Free(loaded);
        loaded = nullptr;
    }
    // The columns are named as FilterProperties names them, whatever the file's letter case.
    if (loaded) {
        std::vector<TStringListElement*> columns = Columns(As<TOwnerEntity>(loaded));
        std::vector<std::string> names = ColumnNames(FilterProperties);
        for (size_t c = 0; c < columns.size(); ++c) columns[c]->SetName(names[c]);
    }
    GetState();
    ExchangeFieldElement(FState, loaded ? As<TOwnerEntity>(loaded) : NewState());
}

void TConditionFilterDialog::FillForm(TForm& form) {
    TOwnerEntity* state = GetState();
    TControl& grid = form["SG"];
    if (TStringListElement* size = SizeOf(state)) {
        if (int32_t v = size->GetIntegerByName("LEFT"); v > 0) form.Left = v;
        if (int32_t v = size->GetIntegerByName("TOP"); v > 0) form.Top = v;
        if (int32_t v = size->GetIntegerByName("WIDTH"); v > 0) form.Width = v;
        if (int32_t v = size->GetIntegerByName("HEIGHT"); v > 0) form.Height = v;
    }
    std::vector<TStringListElement*> columns = Columns(state);
    grid.ColCount = static_cast<int>(columns.size());
    grid.RowCount = columns.empty() ? 1 : columns[0]->ElementsCount() + 1;
    grid.ColWidths.assign(columns.size(), 0);
    for (size_t c = 0; c < columns.size(); ++c) {
        int col = static_cast<int>(c);
        grid.SetCell(col, 0, columns[c]->GetName());
        for (int32_t r = 0; r < columns[c]->ElementsCount() && r + 1 < grid.RowCount; ++r)
            grid.SetCell(col, r + 1, columns[c]->GetString(r));
        if (TStringListElement* size = SizeOf(state))
            if (int32_t w = size->GetIntegerByName(columns[c]->GetName() + "_Width"); w > 0) grid.ColWidths[c] = w;
    }
}

void TConditionFilterDialog::TakeForm(TForm& form) {
    TControl& grid = form["SG"];
    TOwnerEntity* state = NewState();
    GetState();
    ExchangeFieldElement(FState, state);
    std::vector<TStringListElement*> columns = Columns(state);
    std::vector<std::string> titles;
    for (TStringListElement* column : columns) titles.push_back(column->GetName());
    std::vector<std::vector<std::string>> rows;
    for (int r = 1; r < grid.RowCount; ++r) {
        std::vector<std::string> row;
        for (size_t c = 0; c < columns.size(); ++c) row.push_back(grid.Cell(static_cast<int>(c), r));
        bool complete = true;
        for (const std::string& cell : row) complete = complete && !cell.empty();
        if (!complete) continue;
        for (size_t c = 0; c < columns.size(); ++c) columns[c]->AddString(row[c]);
        rows.push_back(std::move(row));
    }
    TStringListElement* size = SizeOf(state);
    size->SetIntegerByName("LEFT", form.Left);
    size->SetIntegerByName("TOP", form.Top);
    size->SetIntegerByName("WIDTH", form.Width);
    size->SetIntegerByName("HEIGHT", form.Height);
    for (size_t c = 0; c < titles.size(); ++c)
        size->SetIntegerByName(titles[c] + "_Width", c < grid.ColWidths.size() ? grid.ColWidths[c] : 0);
    grid.RowCount = 1;
    FillForm(form);
    Condition = BuildFilterCondition(titles, rows, TextColumns(titles));
}

std::vector<bool> TConditionFilterDialog::TextColumns(const std::vector<std::string>& titles) {
    auto scripter = Hold(TModelScriptCreator::New());
    scripter->SetDataDirectory(DataDirectory);
    scripter->AddLayerItem(LayerDescription);
    scripter->DoIt();
    auto script = Hold(scripter->Output);
    auto* model = As<TModelScript>(script.Get());
    std::vector<TLayerScript*> layers = model ? model->Layers() : std::vector<TLayerScript*>{};
    std::vector<TLayerField> fields = layers.empty() ? std::vector<TLayerField>{} : LayerFields(model, layers[0]);
    std::vector<bool> texts;
    for (const std::string& title : titles) {
        bool text = false;
        for (const TLayerField& f : fields)
            if (AnsiSameText(f.Name, title)) text = f.Kind == tkLString;
        texts.push_back(text);
    }
    return texts;
}

void TConditionFilterDialog::BuildData() {
    auto scripter = Hold(TModelScriptCreator::New());
    scripter->SetDataDirectory(DataDirectory);
    scripter->AddLayerItem(LayerDescription);
    scripter->AddLayerProperty(Condition);
    scripter->DoIt();
    auto script = Hold(scripter->Output);
    auto creator = Hold(TModelByScriptCreator::New());
    creator->SetInput(script.Get());
    creator->DoIt();
    SetData(creator->Output);
}

void TConditionFilterDialog::DoIt() {
    LoadState();
    TForm form("TConditionFilterForm");
    TControl& grid = form.Add(TControlKind::Grid, "SG");
    form.Add(TControlKind::Button, "NewCheck", Cz("Vytvoření nové kontroly"));
    form.Add(TControlKind::Button, "OpenCheck", Cz("Načtení existující kontroly ze souboru"));
    form.Add(TControlKind::Button, "SaveCheck", Cz("Uložení aktuální kontroly do aktuálního souboru"));
    form.Add(TControlKind::Button, "SaveCheckAs", Cz("Uložení kontroly pod novým názvem"));
    form.Add(TControlKind::PopupMenu, "PopupMenu1");
    grid.PopupMenu = "PopupMenu1";
    form.Add(TControlKind::MenuItem, "DeleteRow", Cz("Vyhodit řádek"), "PopupMenu1");
    form.Add(TControlKind::Panel, "AND", "AND");
    form.Add(TControlKind::Panel, "OR", "OR");
    form.Add(TControlKind::Button, "OK", "OK").ModalResult = mrOk;
    form.Add(TControlKind::Button, "Storno", "Storno").ModalResult = mrCancel;
    // Enter or Down in the last row adds a row; the grid's item index is its current row.
    form.OnKeyDown = [&grid](TForm&, uint16_t key, uint32_t) {
        if ((key == VK_RETURN || key == VK_DOWN) && grid.ItemIndex == grid.RowCount - 1) ++grid.RowCount;
    };
    FillForm(form);
    if (form.ShowModal() != mrOk) return;
    TakeForm(form);
    auto saver = Hold(TSave::New(StateFile()));
    saver->SetInput(GetState());
    saver->DoIt();
    BuildData();
    auto* target = As<TEntity>(Input);
    TElement* data = GetData();
    if (!target || !data) return;
    if (target->ElementsCount() > 0 && target->GetLastIndex() >= DataIndex && DataIndex >= 0)
        target->InsertElement(DataIndex, data);
    else
        target->AddElement(data);
}

void RegisterConditionFilterUnit() { RegisterZarixClass<TConditionFilterDialog>(); }
