// Feeds arbitrary bytes as the condition filter's state file "ConditionFilter.zrx" beside
// the program and presses OK on the grid it fills (a layer with a text attribute "stat" and
// an integer "n"). Properties: the grid's columns are the filter's own whatever the file
// names; the condition is the one the complete rows give with the text column quoted, and
// it always compiles (no cell ends a text early or makes a number the language cannot read).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "composer/composer.h"
#include "composer/condition_filter.h"
#include "fuzz_support.h"
#include "kernel/world.h"
#include "pelvar/map_world.h"
#include "platform/controls.h"
#include "platform/files.h"
#include "platform/host.h"
#include "yesk/condition.h"

namespace {

ScriptedHost gHost;
std::string gDir;

void Init() {
    RegisterComposerClasses();
    SetUserHost(&gHost);
    World = TWCSWorld::New();
    gDir = fuzz::ScratchPath("condfilter");
    std::filesystem::create_directories(gDir);
    SetExecutablePath(gDir + "/Oskelt32");
    fuzz::WriteBytes(gDir + "/places.geojson",
                     R"({"type":"FeatureCollection","features":[)"
                     R"({"type":"Feature","properties":{"stat":"CZ","n":1},"geometry":{"type":"Point","coordinates":[1,2]}},)"
                     R"({"type":"Feature","properties":{"stat":"042","n":42},"geometry":{"type":"Point","coordinates":[3,4]}},)"
                     R"({"type":"Feature","properties":{"stat":"O'Brien","n":-3},"geometry":{"type":"Point","coordinates":[5,6]}}]})");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool ready = (Init(), true);
    (void)ready;
    if (size > 65536) return 0;
    std::string bytes(reinterpret_cast<const char*>(data), size);
    fuzz::Note(fuzz::Escaped(bytes.substr(0, 400)));
    fuzz::WriteBytes(TConditionFilterDialog::StateFile(), bytes);

    TConditionFilterDialog* dialog = TConditionFilterDialog::New();
    dialog->FilterProperties = "stat,n";
    dialog->DataDirectory = gDir;
    dialog->LayerDescription = "PLACES=places.geojson";
    std::vector<std::string> heading;
    std::vector<std::vector<std::string>> rows;
    gHost.PushAction([&] {
        TForm& form = *ActiveModalForm();
        TControl& grid = form["SG"];
        for (int c = 0; c < grid.ColCount; ++c) heading.push_back(grid.Cell(c, 0));
        for (int r = 1; r < grid.RowCount; ++r) {
            std::vector<std::string> row;
            bool complete = true;
            for (int c = 0; c < grid.ColCount; ++c) {
                row.push_back(grid.Cell(c, r));
                complete = complete && !row.back().empty();
            }
            if (complete) rows.push_back(row);
        }
        form["OK"].Click();
        return form.ModalResult;
    });
    dialog->DoIt();
    FUZZ_CHECK(gHost.Pending() == 0);
    FUZZ_CHECK((heading == std::vector<std::string>{"stat", "n"}));
    FUZZ_CHECK(dialog->Condition == BuildFilterCondition({"stat", "n"}, rows, {true, false}));
    const std::string condition = dialog->Condition.substr(std::string("@CONDITION=").size());
    try {
        CompileCondition(condition);
    } catch (const ECondError& e) {
        fuzz::Note(fuzz::Context() + "\n" + condition + "\n" + e.Message());
        FUZZ_CHECK(!"the condition compiles");
    }
    Free(dialog);
    ClearHostLog();
    ClearErrorShown();
    return 0;
}
