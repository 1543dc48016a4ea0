#include "platform/common_dialogs.h"

#include <algorithm>

#include "platform/files.h"
#include "platform/host.h"
#include "platform/sysutils.h"

namespace {

std::vector<std::string> FilterDescriptions(const std::string& filter) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t bar = filter.find('|', start);
        parts.push_back(filter.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    std::vector<std::string> descriptions;
    for (size_t i = 0; i < parts.size(); i += 2) descriptions.push_back(parts[i]);
    return descriptions;
}

void AddOkCancel(TForm& form) {
    form.Add(TControlKind::Button, "OK", "OK").ModalResult = mrOk;
    form.Add(TControlKind::Button, "Cancel", "Storno").ModalResult = mrCancel;
}

}  // namespace

TSaveDialog::TSaveDialog() : TForm("TSaveDialog") {
    Add(TControlKind::Edit, "FileName");
    Add(TControlKind::ComboBox, "FileType").OnChange = [this](TControl& c) {
        FilterIndex = c.ItemIndex + 1;
        if (OnTypeChange) OnTypeChange(*this);
    };
    AddOkCancel(*this);
}

bool TSaveDialog::Execute() {
    Caption = Title;
    TControl& type = (*this)["FileType"];
    type.Items = FilterDescriptions(Filter);
    int index = std::clamp(FilterIndex, 1, std::max<int>(1, static_cast<int>(type.Items.size())));
    type.ItemIndex = type.Items.empty() ? -1 : index - 1;
    type.Text = type.Items.empty() ? std::string() : type.Items[static_cast<size_t>(index - 1)];
    (*this)["FileName"].Text = ExtractFileName(FileName);
    ModalResult = mrNone;
    if (ShowModal() != mrOk) return false;
    std::string name = Trim((*this)["FileName"].Text);
    if (name.empty()) return false;
    bool absolute = IsPathDelimiter(name[0]) || (name.size() >= 2 && name[1] == ':');
    if (!absolute && !InitialDir.empty()) name = IncludeTrailingPathDelimiter(InitialDir) + name;
    if (ExtractFileExt(name).empty() && !DefaultExt.empty()) name += "." + DefaultExt;
    if (OverwritePrompt && FileExists(name) &&
        HostMessageBox(name + Cz(" již existuje.") + "\r" + Cz("Chcete jej nahradit?"), Title, mtWarning,
                       {mbYes, mbNo}) != mrYes)
        return false;
    FileName = name;
    return true;
}

TFontDialog::TFontDialog() : TForm("TFontDialog") {
    Caption = Cz("Písmo");
    Add(TControlKind::Edit, "FontName");
    TControl& size = Add(TControlKind::SpinEdit, "FontSize");
    size.MinValue = 1;
    size.MaxValue = 1638;
    AddOkCancel(*this);
}

bool TFontDialog::Execute() {
    (*this)["FontName"].Text = FontName;
    (*this)["FontSize"].Value = FontSize;
    ModalResult = mrNone;
    if (ShowModal() != mrOk) return false;
    std::string name = Trim((*this)["FontName"].Text);
    if (name.empty()) return false;
    FontName = name;
    FontSize = std::max(1, static_cast<int>((*this)["FontSize"].Value));
    return true;
}
