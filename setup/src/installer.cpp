#include "setup/installer.h"

#include <algorithm>

#include "platform/files.h"
#include "platform/host.h"
#include "platform/sysutils.h"
#include "platform/windows.h"
#include "platform/yes_no.h"
#include "setup/setup_dialogs.h"
#include "setup/string_routines.h"

namespace setup {

namespace {
bool IsStepMessage(const TMsg& m) {
    return m.hwnd == Application().Handle() && m.message >= kIntroMessage && m.message <= kBackMessage;
}
}  // namespace

TDesktop::TDesktop(const std::string& programPath) {
    MakeWindow();
    previousHook_ = Application().OnMessage;
    Application().OnMessage = [this](TMsg& m, bool& handled) {
        if (IsStepMessage(m)) {
            handled = true;
            StepMessage(m.message);
        } else if (previousHook_) {
            previousHook_(m, handled);
        }
    };
    std::string scriptPath = ScriptFileName(programPath);
    if (!FileExists(scriptPath)) {
        ShowErrorMessage(Cz("Nemohu nalézt soubor ") + scriptPath);
        FinishInstall();
        return;
    }
    switch (script_.Load(scriptPath)) {
        case InstallScript::NoDisks:
            ShowErrorMessage(Cz("Chybička ... žádné instalační disky nebo porušené soubory .. instalace končí - ahoj"));
            FinishInstall();
            return;
        case InstallScript::NoName:
            ShowErrorMessage(Cz("Chybí jméno aplikace ... končíme - čest"));
            FinishInstall();
            return;
        case InstallScript::Loaded: break;
    }
    script_.SubstituteSpecialDirs(ExtractFilePath(programPath), WinDirStr());
}

TDesktop::~TDesktop() {
    Application().OnMessage = previousHook_;
    RemoveQueuedMessages([](TMsg& m) { return IsStepMessage(m); });
}

void TDesktop::Show() {
    if (finished_) return;
    window_->Show();
    PostStep(kIntroMessage);
}

void TDesktop::MakeWindow() {
    window_ = std::make_unique<TForm>("TDesktop");
    window_->Caption = Application().Title();
    window_->Maximized = true;
    window_->Width = kScreenWidth;
    window_->Height = kScreenHeight;
    window_->Add(TControlKind::Label, "l_Title", "INSTALACE");
    window_->Add(TControlKind::Label, "l_Caption");
    TControl& picture = window_->Add(TControlKind::Image, "Picture");
    picture.Pixels = [this] { return Backdrop(); };
    picture.OnImageResize = [this](TControl&, int width, int height) {
        backdropWidth_ = std::max(1, width);
        backdropHeight_ = std::max(1, height);
    };
    // Closing the window is quitting the installation.
    window_->OnCloseQuery = [this](TForm&) {
        if (!finished_) PostStep(kQuitMessage);
        return false;
    };
    ShowState();
}

void TDesktop::ShowState() {
    if (!window_) return;
    (*window_)["l_Title"].Visible = labelsVisible_;
    (*window_)["l_Caption"].Visible = labelsVisible_ && !caption_.empty();
    (*window_)["l_Caption"].Caption = caption_;
}

TControl::TPixels TDesktop::Backdrop() {
    const int w = backdropWidth_, h = backdropHeight_;
    backdrop_.assign(static_cast<size_t>(w) * h, 0xFF000000u);
    const TPicture& p = picture_;
    for (int y = std::max(0, p.top); y < std::min(h, p.top + p.height); ++y)
        for (int x = std::max(0, p.left); x < std::min(w, p.left + p.width); ++x)
            backdrop_[static_cast<size_t>(y) * w + x] = p.Pixel(x - p.left, y - p.top) | 0xFF000000u;
    return {reinterpret_cast<const uint8_t*>(backdrop_.data()), w, h, w * 4};
}

void TDesktop::Run() {
    while (!finished_ && Application().HandleMessage()) {
    }
}

void TDesktop::PostStep(uint32_t message) { PostMessage(Application().Handle(), message, 0, 0); }

void TDesktop::StepMessage(uint32_t message) {
    if (finished_) return;
    struct Shown {
        TDesktop* desktop;
        ~Shown() { desktop->ShowState(); }
    } shown{this};
    switch (message) {
        case kIntroMessage:
            PlayIntro();
            break;
        case kQuitMessage:
            if (ShowYesNo(Cz("Opravdu ukončit instalaci ?"))) {
                FinishInstall();
            } else if (step_ < 0) {
                PostStep(kNextMessage);
            } else {
                RunStep();
            }
            break;
        case kNextMessage:
            ++step_;
            RunStep();
            break;
        case kBackMessage:
            step_ = backStep_;
            RunStep();
            break;
    }
}

void TDesktop::RunStep() {
    if (step_ < 0) {
        PostStep(kQuitMessage);
    } else if (step_ >= script_.process.Count()) {
        FinishWithSuccess();
    } else {
        DoStep(script_.process[step_]);
    }
}

void TDesktop::DoStep(const std::string& line) {
    std::string key, value;
    if (!StringAsParameter(line, key, value)) {
        PostStep(kNextMessage);
        return;
    }
    key = AnsiUpperCase(key);
    auto starts = [&](const char* prefix) { return key.rfind(prefix, 0) == 0; };
    if (key == "CAPTION") {
        caption_ = value;
        PostStep(kNextMessage);
    } else if (starts("DLG")) {
        DialogStep(value);
    } else if (starts("BMP")) {
        PictureStep(value);
    } else if (starts("INI")) {
        IniWriteStep(value);
    } else if (starts("GRP")) {
        GroupStep(value);
    } else if (starts("ADDTOGROUP")) {
        AddToGroupStep(value);
    } else if (starts("QUEST")) {
        QuestionStep(value);
    } else if (starts("EXE")) {
        RunProgramStep(value);
    } else {
        PostStep(kNextMessage);
    }
}

void TDesktop::PlayIntro() {
    labelsVisible_ = false;
    ShowState();
    const int w = kScreenWidth, h = kScreenHeight;
    picture_ = TPicture{w, h, 0, 0, std::vector<uint32_t>(static_cast<size_t>(w) * h, 0xFF000000u)};
    const int cw = w / 10 + 1, ch = h / 10 + 1;
    for (int col = 0; col < 10; ++col) {
        for (int row = 0; row < 10; ++row) {
            uint32_t colour = 0xFF000000u | (uint32_t(25 * row) << 8) | uint32_t(25 * col);
            for (int y = row * (h / 10); y < std::min(h, row * (h / 10) + ch); ++y)
                for (int x = col * (w / 10); x < std::min(w, col * (w / 10) + cw); ++x)
                    picture_.pixels[static_cast<size_t>(y) * w + x] = colour;
        }
        Application().ProcessMessages();
        if (finished_) return;
    }
    labelsVisible_ = true;
    step_ = -1;
    PostStep(kNextMessage);
}

void TDesktop::PictureStep(const std::string& value) {
    std::vector<std::string> f = SplitFields(value);
    f.resize(std::max<size_t>(f.size(), 4));
    std::string folder = script_.ResolveDir(f[0]);
    if (IsSafeRelativeName(f[1]) && !folder.empty()) {
        TPicture loaded;
        if (LoadPicture(folder + f[1], loaded)) picture_ = std::move(loaded);
        int32_t v;
        if (!f[2].empty() && TryStrToInt(f[2], v)) picture_.left = v;
        if (!f[3].empty() && TryStrToInt(f[3], v)) picture_.top = v;
    }
    PostStep(kNextMessage);
}

void TDesktop::DialogStep(const std::string& value) {
    std::string kind = AnsiUpperCase(value);
    if (kind == "COPYFILES") {
        CopyFilesStep();
        return;
    }
    std::unique_ptr<TSetupDialog> dialog;
    if (kind == "DIRSDLG") dialog = std::make_unique<TDirDlg>(script_.varDirs);
    else if (kind == "OPTIONSDLG") dialog = std::make_unique<TOptDlg>(script_.options);
    if (!dialog) {
        PostStep(kNextMessage);
        return;
    }
    int result = dialog->ShowModal();
    dialog.reset();
    if (result == mrOk) {
        backStep_ = step_;
        PostStep(kNextMessage);
    } else if (result == mrBack) {
        PostStep(kBackMessage);
    } else {
        PostStep(kQuitMessage);
    }
}

void TDesktop::QuestionStep(const std::string& value) {
    if (ShowYesNo(value)) PostStep(kNextMessage);
    else FinishWithSuccess();
}

void TDesktop::FinishWithSuccess() {
    if (failedFiles_ > 0 || failedSteps_ > 0)
        ShowErrorMessage(Cz("Instalace skončila s chybami: nenainstalovaných souborů ") + IntToStr(failedFiles_) +
                         (failedSteps_ > 0 ? Cz(", neprovedených kroků ") + IntToStr(failedSteps_) : std::string()));
    else
        ShowMessage(Cz("Instalace byla úspěšně dokončena"));
    FinishInstall();
}

void TDesktop::FinishInstall() {
    script_.Clear();
    copyDlg_.reset();
    finished_ = true;
}

int RunSetup(const std::string& programPath) {
    std::string data = XdgDataHome();
    if (data.empty()) {
        ShowErrorMessage(Cz("Nelze zjistit domovskou složku uživatele, instalace neproběhne"));
        return 1;
    }
    SetWindowsDirectory(FromOsName(data));
    TDesktop desktop(programPath);
    desktop.Show();
    desktop.Run();
    return desktop.FailedFiles() > 0 || desktop.FailedSteps() > 0 ? 1 : 0;
}

}  // namespace setup
