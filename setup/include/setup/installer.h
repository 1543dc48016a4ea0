// The installer's window: reads the script once and runs the lines of its "Process"
// section one by one as steps, each started by a message the window posts to the
// application queue.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/controls.h"
#include "platform/forms.h"
#include "setup/install_script.h"
#include "setup/program_groups.h"

namespace setup {

// Step messages.
constexpr uint32_t kIntroMessage = 1024, kQuitMessage = 1025, kNextMessage = 1026, kBackMessage = 1027;

// The window's picture: the intro grid or a picture a step loaded (ARGB, row by row).
struct TPicture {
    int width = 0, height = 0;
    int left = 0, top = 0;
    std::vector<uint32_t> pixels;
    uint32_t Pixel(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// Loads a PNG or JPEG file; false when it is neither or cannot be read.
bool LoadPicture(const std::string& path, TPicture& picture);

// The copy window's state.
struct TCopyDlg {
    std::string caption, installLabel, diskLabel, disk, group, comment;
    int installMax = 0, installPos = 0, diskMax = 0, diskPos = 0;
};

class TDesktop {
public:
    static constexpr int kScreenWidth = 800, kScreenHeight = 600;

    // Creates the window for the installer at programPath: hooks the application's
    // messages and loads the script beside it (a missing or unusable script ends the
    // installation at once, with its message).
    explicit TDesktop(const std::string& programPath);
    ~TDesktop();
    TDesktop(const TDesktop&) = delete;
    TDesktop& operator=(const TDesktop&) = delete;

    // The window is shown: the intro message is posted.
    void Show();
    // Runs the message loop until the installation ends.
    void Run();
    bool Finished() const { return finished_; }

    // Tests and the host reach the state here.
    const InstallScript& Script() const { return script_; }
    ProgramManager& Groups() { return groups_; }
    const std::string& CaptionText() const { return caption_; }
    const TPicture& Picture() const { return picture_; }
    bool LabelsVisible() const { return labelsVisible_; }
    int CurrentStep() const { return step_; }
    int BackStep() const { return backStep_; }
    int FailedFiles() const { return failedFiles_; }
    // Group, item and ini steps that were not done.
    int FailedSteps() const { return failedSteps_; }
    // The copy window as it was when the last copying ended.
    const TCopyDlg& LastCopyState() const { return lastCopy_; }
    // The show state of the last program started (SW_SHOWNORMAL or SW_SHOWMINIMIZED).
    int LastShowState() const { return lastShow_; }

private:
    void StepMessage(uint32_t message);
    void PostStep(uint32_t message);
    void RunStep();
    void DoStep(const std::string& line);
    void PlayIntro();
    void PictureStep(const std::string& value);
    void DialogStep(const std::string& value);
    void QuestionStep(const std::string& value);
    void FinishInstall();
    void FinishWithSuccess();

    // media_copy.cpp
    void CopyFilesStep();
    bool CreateTargetDirs();
    bool CopyFile(const std::string& source, const std::string& file, const std::string& folderName, int disk);
    void CannotCreate(const std::string& folder);
    void Advance(int files);

    // system_steps.cpp
    void IniWriteStep(const std::string& value);
    void GroupStep(const std::string& value);
    void AddToGroupStep(const std::string& value);
    void RunProgramStep(const std::string& value);

    // The window: the title and caption labels over the picture, filling the screen.
    void MakeWindow();
    void ShowState();
    TControl::TPixels Backdrop();

    TApplication::MessageHook previousHook_;
    std::unique_ptr<TForm> window_;
    std::vector<uint32_t> backdrop_;  // the picture at its place on black, the window's size
    int backdropWidth_ = kScreenWidth, backdropHeight_ = kScreenHeight;
    InstallScript script_;
    ProgramManager groups_;
    std::string caption_;
    TPicture picture_;
    std::unique_ptr<TCopyDlg> copyDlg_;
    TCopyDlg lastCopy_;
    bool labelsVisible_ = true;
    bool finished_ = false;
    int step_ = -1;
    int backStep_ = -1;
    int failedFiles_ = 0;
    int failedSteps_ = 0;
    int lastShow_ = 0;
};

// The whole installer for the program at programPath: refused without a home folder (the
// installed files and the menu go below it), else the installation; the exit status, 1
// when a file or a step was not installed.
int RunSetup(const std::string& programPath);

}  // namespace setup
