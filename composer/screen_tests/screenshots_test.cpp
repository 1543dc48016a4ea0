// Oskelt32 on Qt's offscreen platform with the samples: what a user sees of its windows
// (the key map's image filling its window, marks and coordinates shown as the mouse works),
// and the pictures of docs/ (they go to the build folder; scripts/screenshots.sh copies them).
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
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
#include "composition/key_map.h"
#include "composition/map_spaces.h"
#include "kernel/world.h"
#include "platform/files.h"
#include "platform/host.h"
#include "screen/form_window.h"
#include "screen/screen_host.h"
#include "screen_test_support.h"
#include "composer/map_sheet_editor.h"
#include "workbench/key_map_window.h"
#include "workbench/key_map_tools.h"
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

class OskeltOnScreenTest : public ::testing::Test {
protected:
    void SetUp() override {
        screentest::App();
        int argc = 1;
        char name[] = "composer_screen_tests";
        char* argv[] = {name, nullptr};
        setenv("DISPLAY", ":0", 0);  // the offscreen platform needs none, the screen host asks
        root = fs::temp_directory_path() / ("oskelt-on-screen-" + std::to_string(getpid()));
        fs::remove_all(root);
        fs::create_directories(root);
        fs::copy(SUITE_SAMPLES_DIR, root / "samples", fs::copy_options::recursive);
        saved = GetCurrentDir();
        SetExecutablePath(OSKELT32_PATH);
        SetCurrentDir((root / "samples" / "oskelt32").string());
        SetProgramArguments({"Oskelt32.INI"});
        RegisterComposerClasses();
        ASSERT_TRUE(StartScreen(argc, argv));
        // Whatever asks (the sheet's texts, a box) is answered with its default.
        QObject::connect(&answer, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* f = dynamic_cast<TFormWindow*>(modal)) asked.push_back(f->Form().ClassName());
            if (auto* box = qobject_cast<QMessageBox*>(modal); box && box->defaultButton()) box->defaultButton()->click();
            else if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->accept();
        });
        answer.start(50);
        tool = TOldMainTool::StartUp<TMainTool>();
        tool->DoIt();
        Application().ProcessMessages();
    }
    void TearDown() override {
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
    // The key map's window, its selected sheets applied.
    TFormWindow* OpenKeyMap() {
        tool->ToggleGuide();
        QTest::qWait(300);
        TFormWindow* w = WindowOf<TGuideForm>();
        if (w) {
            w->resize(900, 700);
            QTest::qWait(300);
        }
        return w;
    }
    TGuideFormTool* KeyMapTool() const { return dynamic_cast<TGuideFormTool*>(tool->GuideTool()); }
    // The sheet selector on 1:50 000 sheets only, through the key map's buttons.
    void SelectFiftyThousands(TFormWindow* keyMap) {
        TForm& form = keyMap->Form();
        if (form["Panel1"].Visible) QTest::mouseClick(keyMap->Widget("b_Apply"), Qt::LeftButton);  // the new key map
        for (const char* name : {"b_50", "b_25", "b_10", "b_5", "b_2", "b_U", "b_ZM"})
            if (form[name].Checked != (std::string(name) == "b_50")) QTest::mouseClick(keyMap->Widget(name), Qt::LeftButton);
        KeyMapTool()->ShowTool("TGuideSelector");
        QTest::qWait(200);
    }

    fs::path root;
    std::string saved;
    QTimer answer;
    std::vector<std::string> asked;  // the forms answered, by class
    TMainTool* tool = nullptr;
};

TEST_F(OskeltOnScreenTest, TheKeyMapsImageFillsItsWindowAndGrowsWithIt) {
    TFormWindow* keyMap = OpenKeyMap();
    ASSERT_TRUE(keyMap);
    QWidget* image = keyMap->Widget("Image");
    ASSERT_TRUE(image);
    for (QSize size : {QSize(900, 700), QSize(1200, 900)}) {
        keyMap->resize(size);
        QTest::qWait(100);
        SCOPED_TRACE(size.width());
        EXPECT_GT(image->width() * image->height(), keyMap->width() * keyMap->height() * 6 / 10);
        // The form's bitmap follows the image.
        EXPECT_EQ(keyMap->Form().Width, image->width());
    }
    // The series buttons stand in one row above the image, the coordinates below it.
    QWidget* b50 = keyMap->Widget("b_50");
    QWidget* bFill = keyMap->Widget("b_Fill");
    ASSERT_TRUE(b50 && bFill);
    QPoint a = b50->mapTo(keyMap, QPoint()), b = bFill->mapTo(keyMap, QPoint());
    EXPECT_EQ(a.y(), b.y());
    EXPECT_LT(a.y(), image->mapTo(keyMap, QPoint()).y());
    EXPECT_GT(keyMap->Widget("l_x")->mapTo(keyMap, QPoint()).y(), image->mapTo(keyMap, QPoint()).y());
}

TEST_F(OskeltOnScreenTest, AClickInTheKeyMapIsShownAndTheMouseMovesTheCoordinates) {
    TFormWindow* keyMap = OpenKeyMap();
    ASSERT_TRUE(keyMap);
    ASSERT_TRUE(KeyMapTool() && KeyMapTool()->GetGuide());
    SelectFiftyThousands(keyMap);
    auto* image = keyMap->Widget("Image");
    auto* x = qobject_cast<QLabel*>(keyMap->Widget("l_x"));
    ASSERT_TRUE(image && x);
    QPoint centre = image->rect().center() + QPoint(0, 40);  // inside a sheet
    QString before = x->text();
    QTest::mouseMove(image, centre);
    QTest::qWait(100);
    EXPECT_NE(x->text(), before);
    EXPECT_TRUE(x->text().startsWith("x:")) << x->text().toStdString();
    QString here = x->text();
    QTest::mouseMove(image, centre + QPoint(40, 0));
    QTest::qWait(100);
    EXPECT_NE(x->text(), here);

    QImage shown = image->grab().toImage();
    QTest::mouseClick(image, Qt::LeftButton, {}, centre);
    QTest::qWait(100);  // the queue runs the click; nothing else is asked to draw
    EXPECT_GT(Drawn(image->grab().toImage()), Drawn(shown));

    // The right button on the base-map switch opens its dialog.
    asked.clear();
    QTest::mouseClick(keyMap->Widget("b_ZM"), Qt::RightButton);
    EXPECT_EQ(asked, std::vector<std::string>{"TZMDialog"});
}

TEST_F(OskeltOnScreenTest, NoWindowShowsAControlNameOrAClassName) {
    TFormWindow* keyMap = OpenKeyMap();
    ASSERT_TRUE(keyMap);
    TSheetJob* job = TSheetJob::New();
    tool->AddTool(job);
    job->Selection = "Select.ZRX";
    job->TemplateName = "../templates/SMO50.MSD";
    job->DoIt();
    QTest::qWait(300);
    int windows = 0;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        auto* w = dynamic_cast<TFormWindow*>(top);
        if (!w || !w->isVisible()) continue;
        ++windows;
        screentest::ExpectNoNamesShown(*w);
    }
    EXPECT_GE(windows, 3);  // the main window, the key map, the map window
}

// The template editor with the sample template and the property editor of its page.
TEST_F(OskeltOnScreenTest, TheTemplateEditorAndThePropertyEditor) {
    TElement* page = tool->ReadTemplate("../templates/SMO50.MSD");
    ASSERT_TRUE(page);
    TTool* editor = TMSEditorFormTool::New();
    tool->AddTool(editor);
    editor->SetInput(page);
    editor->SetPropertyStringByName("FileName", "../templates/SMO50.MSD");
    editor->DoIt();
    QTest::qWait(300);
    TFormWindow* w = WindowOf<TMSEditorForm>();
    ASSERT_TRUE(w);
    w->resize(1000, 760);
    QTest::qWait(400);
    QWidget* image = w->Widget("Image");
    ASSERT_TRUE(image);
    EXPECT_GT(Drawn(image->grab().toImage()), 1000);
    EXPECT_GT(image->width() * image->height(), w->width() * w->height() / 2);
    screentest::ExpectNoNamesShown(*w);
    screentest::SaveShot(*w, SCREENSHOTS_DIR, "oskelt32-template-editor.png");

    tool->EditProperties(page);
    QTest::qWait(300);
    TFormWindow* properties = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* f = dynamic_cast<TFormWindow*>(top); f && f->isVisible() && f->Form().ClassName() == "TFProp") properties = f;
    ASSERT_TRUE(properties);
    screentest::ExpectNoNamesShown(*properties);
    screentest::SaveShot(*properties, SCREENSHOTS_DIR, "oskelt32-property-editor.png");
}

TEST_F(OskeltOnScreenTest, TheMainWindowWithTheSampleSheetAndTheKeyMap) {
    TSheetJob* job = TSheetJob::New();
    tool->AddTool(job);
    job->Selection = "Select.ZRX";
    job->TemplateName = "../templates/SMO50.MSD";
    job->DoIt();
    TFormWindow* keyMap = OpenKeyMap();
    TFormWindow* main = WindowOf<TMainForm>();
    TFormWindow* map = WindowOf<TStandardImageForm>();
    ASSERT_TRUE(main && map && keyMap);
    // The sheets of the sample selection marked in the key map.
    ASSERT_TRUE(KeyMapTool());
    SelectFiftyThousands(keyMap);
    QWidget* keyImage = keyMap->Widget("Image");
    for (QPoint at : {QPoint(-60, -50), QPoint(0, 50), QPoint(60, 50)})
        QTest::mouseClick(keyImage, Qt::LeftButton, {}, keyImage->rect().center() + at);
    map->resize(860, 660);
    keyMap->resize(900, 700);
    QTest::qWait(500);
    EXPECT_GT(Drawn(map->Widget("Image")->grab().toImage()), 1000);
    EXPECT_GT(Drawn(keyImage->grab().toImage()), 1000);
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
}

}  // namespace
