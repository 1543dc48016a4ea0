// Copying the file groups of every installation disk into the target folders.
#include "platform/files.h"
#include "platform/host.h"
#include "platform/sysutils.h"
#include "setup/installer.h"
#include "setup/lz_expand.h"
#include "setup/string_routines.h"

namespace setup {

namespace {

bool IsDriveRoot(const std::string& folder) {
    return folder.size() == 3 && folder[1] == ':' && IsPathDelimiter(folder[2]);
}

bool IsFloppy(const std::string& source) {
    return source.size() >= 2 && source[1] == ':' && std::string_view("ABab").find(source[0]) != std::string_view::npos;
}

// The folder of disk d beside the folder of the previous disk.
std::string SiblingDiskFolder(const std::string& source, int disk) {
    return ExtractFilePath(RemoveBackSlash(source)) + "DISK" + std::to_string(disk) + "/";
}

}  // namespace

void TDesktop::CannotCreate(const std::string& folder) {
    ShowErrorMessage(Cz("nelze vytvořit složku ") + folder + Cz("... Instalace bude ukončena !"));
    FinishInstall();
}

void TDesktop::Advance(int files) {
    copyDlg_->installPos += files;
    copyDlg_->diskPos += files;
}

bool TDesktop::CreateTargetDirs() {
    for (int i = 0; i < script_.varDirs.Count(); ++i) {
        std::string name = script_.varDirs.Names(i);
        if (script_.IsSourceEntry(name)) continue;
        std::string folder = script_.ResolveDir(name);
        if (folder.empty()) {
            CannotCreate(name);
            return false;
        }
        if (IsDriveRoot(folder)) continue;
        if (!DirectoryExists(folder)) ForceDirectories(folder);
        if (!DirectoryExists(folder)) {
            CannotCreate(folder);
            return false;
        }
    }
    return true;
}

void TDesktop::CopyFilesStep() {
    copyDlg_ = std::make_unique<TCopyDlg>();
    copyDlg_->caption = Cz("Kopírování souborů");
    copyDlg_->installLabel = Cz("Celkový průběh instalace:");
    copyDlg_->diskLabel = Cz("Kopírování  disku:");
    copyDlg_->comment = Cz("Instalace souborů");
    Application().ProcessMessages();
    script_.AppendFixDirs();
    if (!CreateTargetDirs()) return;
    std::string source = script_.ResolveDir("ODKUD");
    if (source.empty()) {
        ShowErrorMessage(Cz("Ve skriptu instalace chybí složka médií ODKUD ... Instalace bude ukončena !"));
        FinishInstall();
        return;
    }
    bool floppy = IsFloppy(source);
    copyDlg_->installMax = script_.totalFiles;
    copyDlg_->installPos = 0;
    for (size_t d = 0; d < script_.disks.size(); ++d) {
        const int disk = static_cast<int>(d) + 1;
        if (disk > 1) {
            if (floppy) {
                if (MessageDlg(Cz("Vsuňte instalační disketu č.") + std::to_string(disk), mtConfirmation,
                               mbOKCancel, 0) != mrOk) {
                    FinishInstall();
                    return;
                }
            } else {
                source = SiblingDiskFolder(source, disk);
            }
        }
        const Disk& dk = script_.disks[d];
        copyDlg_->diskMax = dk.fileCount;
        copyDlg_->diskPos = 0;
        copyDlg_->disk = Cz("Disk č.") + std::to_string(disk);
        for (const FileGroup& g : dk.groups) {
            copyDlg_->group = g.section;
            if (!script_.OptionEnabled(g.condition)) {
                Advance(g.files.Count());
                continue;
            }
            for (int i = 0; i < g.files.Count(); ++i) {
                std::string file, folderName;
                StringAsParameter(g.files[i], file, folderName);
                if (!CopyFile(source, file, folderName, disk)) return;
                Advance(1);
            }
            Application().ProcessMessages();
            if (finished_) return;
        }
    }
    lastCopy_ = *copyDlg_;
    copyDlg_.reset();
    PostStep(kNextMessage);
}

// Copies one file; false when the installation ends.
bool TDesktop::CopyFile(const std::string& source, const std::string& file, const std::string& folderName,
                        int disk) {
    std::string target = script_.ResolveDir(folderName);
    if (target.empty()) {
        CannotCreate(folderName);
        return false;
    }
    if (!IsSafeRelativeName(file)) {
        ShowErrorMessage(Cz("Nepřípustné jméno souboru ") + file);
        ++failedFiles_;
        return true;
    }
    while (!FileExists(source + file)) {
        // With nobody to answer, the default OK would ask again for ever.
        if (MessageDlg(Cz("Vsuňte instalační disketu č.") + std::to_string(disk) + Cz(" nebo disk se souborem ") + file,
                       mtConfirmation, mbOKCancel, 0) != mrOk ||
            !GetUserHost().LastAnswered()) {
            FinishInstall();
            return false;
        }
    }
    copyDlg_->comment = Cz("Probíhá kopírování souboru ") + file;
    Application().ProcessMessages();
    if (finished_) return false;
    int64_t result = ExpandFile(source + file, target + file);
    if (result < 0) {
        ShowErrorMessage(Cz("Chyba ") + IntToStr(result));
        ++failedFiles_;
    }
    return true;
}

}  // namespace setup
