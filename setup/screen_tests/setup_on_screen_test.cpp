// Setup on Qt's offscreen platform: its window fills the screen with the picture behind the
// first dialog. The picture goes to the build folder (scripts/screenshots.sh copies it).
#include <gtest/gtest.h>

#include <QApplication>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <filesystem>

#include "platform/controls.h"
#include "platform/files.h"
#include "platform/host.h"
#include "screen/form_window.h"
#include "screen/screen_host.h"
#include "screen_test_support.h"
#include "setup/installer.h"

namespace {

namespace fs = std::filesystem;

TEST(SetupOnScreenTest, TheBackgroundWindowFillsTheScreenBehindTheDialogs) {
    screentest::App();
    setenv("DISPLAY", ":0", 0);  // the offscreen platform needs none, the screen host asks
    int argc = 1;
    char name[] = "setup_screen_tests";
    char* argv[] = {name, nullptr};
    fs::path root = fs::temp_directory_path() / ("setup-on-screen-" + std::to_string(getpid()));
    fs::remove_all(root);
    fs::create_directories(root);
    fs::copy(SETUP_SAMPLE_DIR, root / "medium", fs::copy_options::recursive);
    std::string savedData = getenv("XDG_DATA_HOME") ? getenv("XDG_DATA_HOME") : "";
    setenv("XDG_DATA_HOME", (root / "xdg").c_str(), 1);
    ASSERT_TRUE(StartScreen(argc, argv));
    // The first dialog is pictured over the background window and refused; the question
    // that follows is answered "Ano", which ends the installation.
    bool pictured = false;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto* dialog = dynamic_cast<TFormWindow*>(QApplication::activeModalWidget());
        if (!dialog) return;
        static int ticks = 0;
        if (!pictured && ++ticks < 4) return;  // the windows read their forms again meanwhile
        if (!pictured) {
            QWidget* back = nullptr;
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* f = dynamic_cast<TFormWindow*>(w); f && f->isVisible() && f->Form().ClassName() == "TDesktop")
                    back = f;
            ASSERT_TRUE(back);
            EXPECT_TRUE(back->isMaximized());
            QWidget* picture = static_cast<TFormWindow*>(back)->Widget("Picture");
            ASSERT_TRUE(picture);
            EXPECT_GT(picture->width() * picture->height(), back->width() * back->height() * 7 / 10);
            QPixmap shot = back->grab();
            QPainter painter(&shot);
            painter.drawPixmap(dialog->geometry().topLeft() - back->geometry().topLeft(), dialog->grab());
            painter.end();
            QDir().mkpath(SCREENSHOTS_DIR);
            EXPECT_TRUE(shot.save(SCREENSHOTS_DIR "/setup-background-and-dialog.png"));
            pictured = true;
            dialog->close();  // the window's close button
        } else if (TControl* yes = FindButton(dialog->Form(), "Ano")) {
            yes->Click();
        }
    });
    answer.start(100);
    setup::RunSetup((root / "medium" / "Setup").string());
    answer.stop();
    EXPECT_TRUE(pictured);
    StopScreen();
    SetUserHost(nullptr);
    if (savedData.empty()) unsetenv("XDG_DATA_HOME");
    else setenv("XDG_DATA_HOME", savedData.c_str(), 1);
    fs::remove_all(root);
}

}  // namespace
