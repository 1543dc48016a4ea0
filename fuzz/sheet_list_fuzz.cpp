// Feeds arbitrary text to the sheet list reader, then asks the names and neighbours of
// what it read, so that lookups on odd sheets are exercised too. Everything is freed.
#include <cstddef>
#include <cstdint>
#include <string>

#include "composition/composition.h"
#include "composition/map_spaces.h"
#include "device/device.h"
#include "interpret/interpret.h"
#include "kernel/kernel.h"
#include "pelvar/map_world.h"
#include "platform/classes.h"
#include "platform/host.h"
#include "platform/sysutils.h"

namespace {

ScriptedHost gHost;

void Init() {
    RegisterCompositionClasses();
    SetUserHost(&gHost);
    World = TWCSWorld::New();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool ready = (Init(), true);
    (void)ready;
    if (size > 16384) return 0;  // a few hundred sheets are enough
    TStringList lines;
    lines.SetText(std::string(reinterpret_cast<const char*>(data), size));
    TSMO* root = TSMO::New();
    try {
        root->ReadSheetLines(lines, "MAPLSMO.txt");
    } catch (const EConvertError&) {
    }
    for (int32_t i = 0; i < root->ColumnCount() && i < 4; ++i) {
        TSpaces* column = root->Column(i);
        auto* s = As<TSMO_50>(column ? column->Get(0) : nullptr);
        if (!s) continue;
        SheetNamesAt(root, s->GetCenterX(), s->GetCenterY());
        s->GetTopMSFullName();
        s->GetRightMSName();
        TSMO_5* d = s->GetDetail10(3, 4)->GetDetail(3, 4);
        d->GetDetail(1, 0)->GetBottomMSFullName();
        d->GetLeftMSName();
        s->GetDetail25(7, 7)->CollectDetail5();
    }
    Free(root);
    gHost.ClearRecords();
    ClearHostLog();
    return 0;
}
