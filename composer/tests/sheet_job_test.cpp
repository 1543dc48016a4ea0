#include "composer/sheet_job.h"

#include <cstdlib>
#include <regex>

#include "composer_test_support.h"
#include "composition/map_spaces.h"
#include "device/canvas.h"

namespace {

// The sample script with its settings lines replaced.
std::string SampleScript(const std::string& out) {
    std::string script = ReadFile(SUITE_SAMPLES_DIR "/oskelt32/Sheet.YESK");
    script = std::regex_replace(script, std::regex("local template = [^\n]*"),
                                "local template = \"" SUITE_SAMPLES_DIR "/templates/SMO50.MSD\"");
    return std::regex_replace(script, std::regex("local out = [^\n]*"), "local out = \"" + out + "\"");
}

class SheetJobTest : public ComposerTest {};

TEST_F(SheetJobTest, SheetsAreFoundByNameOrAbbreviation) {
    Start(false);
    TSMO* root = TSMO::New();
    root->ReadSheetList(SUITE_SAMPLES_DIR "/service/MAPLSMO.txt");
    struct Case {
        std::string text;
        std::string abbreviation;  // "" when none is found
    };
    std::vector<Case> cases = {{"OSTR", "OSTR"}, {"ostr", "OSTR"}, {"Ostrava", "OSTR"},
                               {Cz("Bílovec"), "BILO"}, {"NJIC", "NJIC"}, {"Praha", ""}, {"", ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        TMapSpace* sheet = FindSheetNamed(root, c.text);
        EXPECT_EQ(sheet ? sheet->GetZkratka() : std::string(), c.abbreviation);
        if (sheet) {
            EXPECT_DOUBLE_EQ(sheet->GetScale(), 50000);
        }
    }
    Free(root);
}

// The whole job as a command: the sample start script into a temporary folder.
TEST(OskeltSheet, TheStartScriptWritesTheSheetAsPngAndPdf) {
    TempDir dir("oskeltsheet");
    ASSERT_FALSE(dir.Path().empty());
    WriteText(dir.Path("Job.INI"), "[Options]\r\nServiceDirectory=" SUITE_SAMPLES_DIR "/service\r\nDataDirectory=" SUITE_SAMPLES_DIR
                                   "/data\r\n");
    WriteText(dir.Path("Sheet.YESK"), SampleScript(dir.Path("out")));
    std::string command = "cd '" + dir.Path() + "' && '" OSKELT32_PATH "' Job.INI Sheet.YESK --answers '" SUITE_SAMPLES_DIR
                          "/oskelt32/sheet-answers.txt' > log.txt 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << ReadFile(dir.Path("log.txt"));

    std::string pdf = ReadFile(dir.Path("out/OSTR.pdf"));
    ASSERT_EQ(pdf.rfind("%PDF-", 0), 0u) << ReadFile(dir.Path("log.txt"));
    std::smatch m;
    int pages = 0;
    std::regex page("/Type\\s*/Page[^s]"), box("/MediaBox\\s*\\[\\s*0\\s+0\\s+([0-9.]+)\\s+([0-9.]+)");
    for (auto i = std::sregex_iterator(pdf.begin(), pdf.end(), page); i != std::sregex_iterator(); ++i) ++pages;
    EXPECT_GT(pages, 1);  // the sheet is larger than one A4 sheet
    ASSERT_TRUE(std::regex_search(pdf, m, box));
    EXPECT_NEAR(std::stod(m[1]), 595.28, 0.5);  // A4 in points
    EXPECT_NEAR(std::stod(m[2]), 841.89, 0.5);

    TRasterImage png;
    png.LoadFromPNG(dir.Path("out/OSTR.png"));
    ASSERT_GT(png.Width(), 100);
    ASSERT_GT(png.Height(), 100);
    // the frame's black lines and the map's grey between white margins
    int black = 0, white = 0;
    for (int y = 0; y < png.Height(); ++y)
        for (int x = 0; x < png.Width(); ++x) {
            black += png.Pixel(x, y) == clBlack;
            white += png.Pixel(x, y) == clWhite;
        }
    EXPECT_GT(black, png.Width());
    EXPECT_GT(white, png.Width() * png.Height() / 10);
}

}  // namespace
