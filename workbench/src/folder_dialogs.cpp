#include "workbench/folder_dialogs.h"

#include <sys/stat.h>

#include <cerrno>
#include <memory>

#include "composition/modelfile.h"
#include "drive_lists.h"
#include "kernel/class_registry.h"
#include "platform/files.h"
#include "platform/forms.h"
#include "platform/host.h"
#include "workbench/name_dialog.h"

namespace {

// The runtime's input/output error with the Windows error number of errno.
[[noreturn]] void RaiseInOut(int err) {
    int code = err == EEXIST ? 183 : err == ENOENT || err == ENOTDIR ? 3 : err == EACCES || err == EPERM ? 5 : err;
    throw EInOutError("I/O error " + IntToStr(code));
}

}  // namespace

// ---- Tf_SelectDir -------------------------------------------------------------------------

Tf_SelectDir::Tf_SelectDir() : TForm("Tf_SelectDir") {
    // The checking program's form shows no errors.
    ReportErrors = ModelFileProfile() != TModelFileProfile::Tarvine;
    Caption = Cz("Výběr složky");
    Left = 200;
    Top = 150;
    Width = 300;
    Height = 330;
    TControl& drive = Add(TControlKind::ComboBox, "Drive");
    drive.Items = DriveItems();
    drive.OnChange = [this](TControl& c) {
        if (c.ItemIndex >= 0 && c.ItemIndex < static_cast<int>(c.Items.size())) {
            try {
                SetFolder(c.Items[c.ItemIndex] + "\\");
            } catch (Exception&) {
                c.Text = DriveOf(FFolder);  // a drive without a root keeps the folder
            }
        }
    };
    // The folder list's own label: the whole path of the folder whose subfolders it lists.
    Add(TControlKind::Label, "DirLabel");
    TControl& list = Add(TControlKind::ListBox, "Directory");
    list.OnChange = [this](TControl& c) {
        std::string target;
        if (c.ItemIndex >= 0 && c.ItemIndex < static_cast<int>(c.Items.size()) && c.Text == c.Items[c.ItemIndex])
            target = FolderOfItem(FFolder, c.Text);
        else
            target = c.Text;
        try {
            SetFolder(target);
        } catch (Exception&) {
            Show(FFolder);  // the list stays where it was
        }
    };
    Add(TControlKind::Button, "OK", Cz("Použít")).ModalResult = mrOk;
    Add(TControlKind::Button, "Storno", "Storno").ModalResult = mrCancel;
    Add(TControlKind::Button, "NewDir", Cz("Nový adr.")).OnClick = [this](TControl&) { NewFolder(); };
    Show(GetCurrentDir());
}

void Tf_SelectDir::Show(const std::string& folder) {
    FFolder = folder;
    TControl& list = (*this)["Directory"];
    list.Text = folder;
    (*this)["DirLabel"].Caption = ExpandFileName(folder);
    list.ItemIndex = -1;
    list.Items.clear();
    TSearchRec rec;
    for (int r = FindFirst(IncludeTrailingPathDelimiter(folder) + "*.*", faDirectory, rec); r == 0; r = FindNext(rec))
        if ((rec.Attr & faDirectory) && rec.Name != ".") list.Items.push_back(rec.Name);
    FindClose(rec);
    TControl& drive = (*this)["Drive"];
    drive.Text = DriveOf(folder);
    drive.ItemIndex = -1;
    for (size_t i = 0; i < drive.Items.size(); ++i)
        if (drive.Items[i] == drive.Text) drive.ItemIndex = static_cast<int>(i);
}

void Tf_SelectDir::SetFolder(const std::string& folder) {
    std::string f = folder.empty() ? GetCurrentDir() : folder;
    if (!DirectoryExists(f)) RaiseInOut(ENOENT);
    Show(f);
}

void Tf_SelectDir::Refresh() { Show(FFolder); }

void Tf_SelectDir::NewFolder() {
    auto names = std::make_unique<Tf_Name>();
    names->Caption = FFolder;
    names->Left = Left;
    names->Top = Top;
    if (names->ShowModal() != mrOk) return;
    std::string name = names->NameEdit().Text;
    std::string base = FFolder;
    if (base.empty() || !IsPathDelimiter(base.back())) base += "\\";
    try {
        // Nothing but one new folder in the folder shown.
        if (name.empty() || name.find_first_of("\\/") != std::string::npos || name == "." || name == "..")
            RaiseInOut(ENOENT);
        if (::mkdir(MapPath(base + name).c_str(), 0777) != 0) RaiseInOut(errno);
        Refresh();
    } catch (Exception& e) {
        if (ReportErrors) {
            ShowErrorMessage(e.Message() + ": " + base + name);
            Screen().SetCursor(crDefault);
        }
    }
}

// ---- TSelectDirDialog ---------------------------------------------------------------------

void TSelectDirDialog::Publish(PropertyTable& t) {
    using C = TSelectDirDialog;
    t.Field("Directory", &C::Directory);
    t.Field("Caption", &C::Caption);
    t.Field("Left", &C::Left);
    t.Field("Top", &C::Top);
}

void TSelectDirDialog::DoIt() {
    TTool::DoIt();
    auto form = std::make_unique<Tf_SelectDir>();
    try {
        if (!Caption.empty()) form->Caption = Caption;
        form->SetFolder(Directory);
        if (Left > 0 && Top > 0) {
            form->Left = Left;
            form->Top = Top;
        }
        if (form->ShowModal() == mrOk) Directory = form->Folder();
    } catch (Exception& e) {
        if (form->ReportErrors) {
            ShowErrorMessage(e.Message() + ": " + Directory);
            Screen().SetCursor(crDefault);
        }
        Directory.clear();
    }
    Left = form->Left;
    Top = form->Top;
}

// ---- TSelectFileDialog --------------------------------------------------------------------

void TSelectFileDialog::Publish(PropertyTable& t) {
    using C = TSelectFileDialog;
    t.Field("Filter", &C::Filter);
    t.Field("InitialDir", &C::InitialDir);
    t.Field("FileName", &C::FileName);
}

void TSelectFileDialog::DoIt() {
    TTool::DoIt();
    std::string chosen = FileName;
    if (GetUserHost().SelectFile(Filter, InitialDir, chosen)) FileName = chosen;
}

void RegisterFolderDialogsUnit() {
    RegisterZarixClass<TSelectDirDialog>();
    RegisterZarixClass<TSelectFileDialog>();
}
