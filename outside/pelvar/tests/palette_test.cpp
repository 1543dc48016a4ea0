#include <gtest/gtest.h>

#include "../../../platform/tests/test_support.h"
#include "kernel/kernel.h"
#include "pelvar/palette.h"
#include "platform/controls.h"

namespace {

void Write(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

// The palette and its file are process-wide: each test leaves them as it found them.
class PaletteTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        RegisterKernelClasses();
        RegisterPelvarClasses();
    }
    void TearDown() override {
        TColorPalette* basic = TColorPalette::New();
        CurrentPalette()->Assign(basic);
        Free(basic);
        ApplyCurrentPalette();
        SetPaletteFile("");
    }
    TempDir dir{"palette"};
    InstalledHost host;
};

}  // namespace

// A palette file sets the colours it names; bad lines are reported with their number and
// skipped; the colour numbers of the map data follow the loaded palette.
TEST_F(PaletteTest, FileLinesSetColoursAndBadOnesAreReported) {
    std::string file = dir.Path("p.pal");
    Write(file, "; comment\r\n\r\n1=255,0,0\r\n2 = 0, 255 ,0\r\n3=256,0,0\r\nx=1,2,3\r\n4=1,2\r\n20=0,0,255\r\n");
    TColorPalette* p = TColorPalette::New();
    std::vector<std::string> bad = LoadPaletteFile(file, *p);
    EXPECT_EQ(bad, (std::vector<std::string>{file + ": line 5: 3=256,0,0", file + ": line 6: x=1,2,3",
                                             file + ": line 7: 4=1,2"}));
    EXPECT_EQ(p->GetColor(1), 0x0000FFu);
    EXPECT_EQ(p->GetColor(2), 0x00FF00u);
    EXPECT_EQ(p->GetColor(3), 0x808000u);  // kept
    EXPECT_EQ(p->GetCount(), 21);
    EXPECT_EQ(p->GetColor(20), 0xFF0000u);

    // What is saved loads back as it was.
    SavePaletteFile(dir.Path("copy.pal"), *p);
    TColorPalette* q = TColorPalette::New();
    q->SetColors("");
    EXPECT_TRUE(LoadPaletteFile(dir.Path("copy.pal"), *q).empty());
    EXPECT_EQ(q->GetColors(), p->GetColors());
    Free(p);
    Free(q);

    EXPECT_EQ(DejBarvicku(1), 0x800000u);
    SetPaletteFile(file);
    EXPECT_EQ(GetPaletteFile(), file);
    EXPECT_EQ(DejBarvicku(1), 0x0000FFu);
    EXPECT_EQ(DejBarvicku(17), 0x0000FFu);
    // A missing file keeps the palette and is no error.
    SetPaletteFile(dir.Path("missing.pal"));
    EXPECT_EQ(DejBarvicku(1), 0x0000FFu);
}

// The dialog edits a copy: Storno changes nothing; OK takes the grid and the file loaded.
TEST_F(PaletteTest, DialogEditsACopyAndOkTakesIt) {
    std::string file = dir.Path("p.pal");
    Write(file, "0=1,2,3\r\n");
    for (bool ok : {false, true}) {
        SCOPED_TRACE(ok);
        host.PushAction([&] {
            TForm& form = *ActiveModalForm();
            EXPECT_EQ(form["Colors"].Cell(1, 14), "255,255,0");
            form["Colors"].SetCell(1, 5, "9,8,7");
            form["Colors"].SetCell(1, 6, "no colour");
            host.PushText(file);
            form["b_Load"].Click();
            EXPECT_EQ(form["Colors"].Cell(1, 0), "1,2,3");
            form[ok ? "OK" : "Storno"].Click();
            return form.ModalResult;
        });
        TColorPaletteDialog* dialog = TColorPaletteDialog::New();
        dialog->DoIt();
        Free(dialog);
        EXPECT_EQ(DejBarvicku(0), ok ? 0x030201u : 0u);
        EXPECT_EQ(DejBarvicku(5), ok ? 0x070809u : 0x800080u);
        EXPECT_EQ(DejBarvicku(6), 0x008080u);
        EXPECT_EQ(GetPaletteFile(), ok ? file : "");
    }
}
