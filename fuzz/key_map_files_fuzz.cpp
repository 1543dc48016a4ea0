// Feeds arbitrary bytes to the readers of the key-map window's files: the first byte picks
// "Guide.ZRX" (odd) or "Select.ZRX" (even), the rest is the file. Property: either a whole
// result and no error, or no result and an error; never a part of a file taken as success.
#include <cstddef>
#include <cstdint>
#include <string>

#include "composition/key_map.h"
#include "composition/map_spaces.h"
#include "fuzz_support.h"
#include "kernel/world.h"
#include "pelvar/map_world.h"
#include "platform/host.h"
#include "workbench/key_map_window.h"
#include "workbench/workbench.h"

namespace {

ScriptedHost gHost;

void Init() {
    RegisterWorkbenchClasses();
    SetUserHost(&gHost);
    World = TWCSWorld::New();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool ready = (Init(), true);
    (void)ready;
    if (size < 1 || size > 65536) return 0;
    static const std::string path = fuzz::ScratchPath("keymap.zrx");
    std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    fuzz::WriteBytes(path, bytes);
    fuzz::Note(fuzz::Escaped(std::string(reinterpret_cast<const char*>(data), std::min<size_t>(size, 200))));
    std::string error;
    if (data[0] & 1) {
        TGuide* guide = ReadKeyMapFile(path, error);
        FUZZ_CHECK((guide != nullptr) == error.empty());
        if (guide) {
            FUZZ_CHECK(guide->Is<TGuide>());
            FUZZ_CHECK(guide->HasVectors() && guide->HasUserMapSpaces());
            TSelectGuide* s = TSelectGuide::New();
            s->Sel_50 = s->Sel_5 = true;
            s->SetInput(guide);
            s->DoIt();
            if (auto* list = As<TEntity>(s->Output)) {
                while (list->ElementsCount() > 0) list->RemoveElement(list->Get(0));
                Free(list);
            }
            Free(s);
            Free(guide);
        }
    } else {
        TEntity* list = ReadSheetSelection(path, error);
        FUZZ_CHECK((list != nullptr) == error.empty());
        if (list) {
            FUZZ_CHECK(list->ElementsCount() > 0);
            for (int32_t i = 0; i < list->ElementsCount(); ++i) FUZZ_CHECK(As<TMapSpace>(list->Get(i)) != nullptr);
            Free(list);
        }
    }
    gHost.ClearRecords();
    ClearHostLog();
    Application().ProcessMessages();
    return 0;
}
