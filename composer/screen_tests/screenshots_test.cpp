// Oskelt32 on Qt's offscreen platform with the samples: its main window beside a map window
// showing the sample sheet, and the key map. The pictures go to the build folder
// (scripts/screenshots.sh copies them to docs/).
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <typeinfo>

#include "composer/composer.h"
#include "composer/main_form.h"
#include "composer/main_tool.h"
#include "composer/sheet_job.h"
#include "kernel/world.h"
#include "platform/files.h"
#include "platform/host.h"
#include "screen/form_window.h"
#include "screen/screen_host.h"
#include "screen_test_support.h"
#include "workbench/key_map_window.h"
#include "workbench/map_window_form.h"

namespace {

namespace fs = std::filesystem;

// The shown window of a form of that type.
template <class Form> TFormWindow* WindowOf() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* f = dynamic_cast<TFormWindow*>(w); f && f->isVisible() && typeid(f->Form()) == typeid(Form)) return f;
    return nullptr;
}

// Pixels of the picture that are not white.
int Drawn(const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) n += (image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF;
    return n;
}

TEST(ScreenshotsTest, TheMainWindowWithTheSampleSheetAndTheKeyMap) {
    screentest::App();
    int argc = 1;
    char name[] = "composer_screen_tests";
    char* argv[] = {name, nullptr};
    setenv("DISPLAY", ":0", 0);  // the offscreen platform needs none, the screen host asks

    fs::path root = fs::temp_directory_path() / ("screenshots-" + std::to_string(getpid()));
    fs::remove_all(root);
    fs::create_directories(root);
    fs::copy(SUITE_SAMPLES_DIR, root / "samples", fs::copy_options::recursive);
    std::string saved = GetCurrentDir();
    SetExecutablePath(OSKELT32_PATH);
    SetCurrentDir((root / "samples" / "oskelt32").string());
    SetProgramArguments({"Oskelt32.INI"});
    RegisterComposerClasses();
    ASSERT_TRUE(StartScreen(argc, argv));
    // Whatever asks (the sheet's texts, a box) is answered with its default.
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal); box && box->defaultButton()) box->defaultButton()->click();
        else if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->accept();
    });
    answer.start(50);

    TMainTool* tool = TOldMainTool::StartUp<TMainTool>();
    tool->DoIt();
    Application().ProcessMessages();
    TSheetJob* job = TSheetJob::New();
    tool->AddTool(job);
    job->Selection = "Select.ZRX";
    job->TemplateName = "../templates/SMO50.MSD";
    job->DoIt();
    tool->ToggleGuide();
    QTest::qWait(500);  // the windows draw while the loop runs the queue

    TFormWindow* main = WindowOf<TMainForm>();
    TFormWindow* map = WindowOf<TStandardImageForm>();
    TFormWindow* keyMap = WindowOf<TGuideForm>();
    ASSERT_TRUE(main && map && keyMap);
    // Larger than the offscreen screen lets a window grow by itself.
    map->resize(860, 660);
    keyMap->resize(640, 1000);
    QTest::qWait(500);
    EXPECT_GT(Drawn(map->Widget("Image")->grab().toImage()), 1000);
    EXPECT_GT(Drawn(keyMap->Widget("Image")->grab().toImage()), 1000);
    fs::path out = fs::path(SCREENSHOTS_DIR);
    fs::create_directories(out);
    QPixmap left = main->grab(), right = map->grab();
    QImage both(left.width() + right.width() + 16, std::max(left.height(), right.height()), QImage::Format_RGB32);
    both.fill(Qt::darkGray);
    QPainter painter(&both);
    painter.drawPixmap(0, 0, left);
    painter.drawPixmap(left.width() + 16, 0, right);
    painter.end();
    EXPECT_TRUE(both.save(QString::fromStdString((out / "oskelt32-main-and-map-window.png").string())));
    EXPECT_TRUE(keyMap->grab().save(QString::fromStdString((out / "oskelt32-key-map.png").string())));

    answer.stop();
    Free(World);
    World = nullptr;
    Application().ProcessMessages();
    StopScreen();
    SetUserHost(nullptr);
    SetProgramArguments({});
    SetExecutablePath("");
    SetCurrentDir(saved);
    fs::remove_all(root);
}

}  // namespace
