#include <gtest/gtest.h>

#include "composition/default_interpret_script.h"
#include "composition/pages.h"
#include "device/printer.h"
#include "platform/files.h"
#include "workbench/form_tool_manager.h"
#include "workbench/print_dialog.h"
#include "workbench_test_util.h"

namespace {

class WindowDrawingTest : public wbtest::WorldTest {};

// Counts the pixels of a colour.
int Count(const TRasterImage& image, TColor c) {
    int n = 0;
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) n += image.Pixel(x, y) == c;
    return n;
}

TEST_F(WindowDrawingTest, TheSavedRasterShowsTheDesktopThroughTheDefaultScript) {
    TFormToolManager* manager = TFormToolManager::New();
    mainTool->AddTool(manager);
    manager->SetInterpretScript(NewDefaultInterpretScript());
    manager->SetPageColor(clGray);
    TDesktop* desktop = TDesktop::New();
    desktop->SetRect(0, 0, 0.3, 0.3);
    TDrawRectangle* frame = TDrawRectangle::New();
    frame->SetRect(0.1, 0.1, 0.2, 0.2);
    frame->SetBrushColor(clRed);
    desktop->AddElement(frame);
    manager->SetInput(desktop);
    manager->DoIt();
    Application().ProcessMessages();
    std::string path = wbtest::TempPath("desktop.png");
    manager->SaveToFile(path);
    TRasterImage saved;
    saved.LoadFromPNG(path);
    DeleteFile(path);
    TPixelPoint mid = manager->GetProjection()->GetPagePoint(0.15, 0.15);
    TPixelPoint page = manager->GetProjection()->GetPagePoint(0.05, 0.05);
    EXPECT_EQ(saved.Pixel(mid.X, mid.Y), clRed);
    EXPECT_EQ(saved.Pixel(page.X, page.Y), clWhite);
    EXPECT_GT(Count(saved, clGray), 0);  // the page colour beside the desktop
}

TEST_F(WindowDrawingTest, ThePreviewShowsTheSheetsAndTheOutline) {
    Printer().SetFileName(wbtest::TempPath("preview.pdf"));
    TBitmapDevice* device = wbtest::PaperDevice(0.21, 0.297);
    TPrintDialogTool* dialog = TPrintDialogTool::New();
    dialog->SetPrintDevice(device);
    TDesktop* desktop = TDesktop::New();
    desktop->SetRect(0, 0, 0.5, 0.5);
    dialog->SetInput(desktop);
    int sheets = 0;
    host.PushAction([&] {
        Application().ProcessMessages();  // the redraw the form posted when it was shown
        sheets = dialog->GetPages()->PageCount();
        return mrCancel;
    });
    dialog->DoIt();
    EXPECT_EQ(sheets, 6);
    EXPECT_EQ(dialog->Output, nullptr);
    EXPECT_EQ(dialog->GetForm(), nullptr);
    Free(dialog);
    Free(desktop);
    Free(device);
}

TEST_F(WindowDrawingTest, ThePreviewImageHoldsGreyPageAndWhiteSheets) {
    TBitmapDevice* device = wbtest::PaperDevice(0.21, 0.297);
    TPrintDialogTool* dialog = TPrintDialogTool::New();
    dialog->SetPrintDevice(device);
    TDesktop* desktop = TDesktop::New();
    desktop->SetRect(0, 0, 0.5, 0.5);
    dialog->SetInput(desktop);
    dialog->PostMsg(tm_ReView, dialog, nullptr, false);
    Application().ProcessMessages();
    TRasterImage& image = dialog->GetForm()->Bitmap();
    EXPECT_GT(Count(image, 0x808080), 0);
    EXPECT_GT(Count(image, clWhite), image.Width() * image.Height() / 4);
    EXPECT_GT(Count(image, clRed), 0);  // the outline of the desktop
    Free(dialog);
    Free(desktop);
    Free(device);
}

}  // namespace
