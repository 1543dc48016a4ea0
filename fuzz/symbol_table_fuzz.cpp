// Feeds arbitrary text to the three symbol-table readers, then draws every symbol each
// read on a small raster, so that odd sizes, dashes and shapes are drawn too.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "device/device.h"
#include "kernel/kernel.h"
#include "kernel/messages.h"
#include "platform/forms.h"
#include "platform/host.h"
#include "symbol/symbol.h"

namespace {

ScriptedHost gHost;
TBitmapDevice* gDevice = nullptr;
TPolyLineElement* gLine = nullptr;
TAreaElement* gArea = nullptr;

void Init() {
    RegisterKernelClasses();
    RegisterPelvarClasses();
    RegisterDeviceClasses();
    RegisterSpaceClasses();
    RegisterSymbolClasses();
    SetUserHost(&gHost);
    gDevice = TBitmapDevice::New();
    gDevice->SetPageSize(64, 48);
    gDevice->GetPage()->SetResolution(1000, 1000);
    gDevice->GetProjection()->ChangeProjectionByRect(0, 0, 64, 48, gDevice->GetPage());
    gLine = TPolyLineElement::New();
    gLine->SetPoints({{-10, 5}, {30, 40}, {30, 40}, {80, 20}});
    gArea = TAreaElement::New();
    gArea->SetPoints({{5, 5}, {60, 8}, {40, 45}, {20, 20}, {25, 25}, {30, 22}}, {0, 3});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool ready = (Init(), true);
    (void)ready;
    if (size > 8192) return 0;
    std::string text(reinterpret_cast<const char*>(data), size);
    TAreaSymbols* areas = TAreaSymbols::New();
    TLineSymbols* lines = TLineSymbols::New();
    TPointSymbols* points = TPointSymbols::New();
    areas->LoadFromText(text, "Srafy.txt");
    lines->LoadFromText(text, "linzn.txt");
    points->LoadFromText(text, "Fonty.txt");
    areas->SetDevice(gDevice);
    lines->SetDevice(gDevice);
    points->SetDevice(gDevice);
    gDevice->PrepareForPolyPolygon(RingsOf(gArea));
    for (int32_t i = 0; i < areas->Count(); ++i) areas->VyplnPlochu(areas->VratZnackuDleKodu(areas->SymbolAt(i)->Code), gArea);
    for (int32_t i = 0; i < lines->Count(); ++i) lines->ZobrazLinii(gLine, lines->SymbolAt(i)->Code);
    for (int32_t i = 0; i < points->Count(); ++i) {
        points->PaintSymbol(13, points->SymbolAt(i)->Code, 32, 24, 0.7);
        points->PaintSymbol(1, points->SymbolAt(i)->Code, 0, 0, 0);
    }
    if (areas->LayerCode("OKOLI") < 0) __builtin_trap();  // codes are never below 1
    Free(areas);
    Free(lines);
    Free(points);
    // Reports are posted as text messages; nothing delivers them here.
    std::vector<TZarixMessage*> left;
    ForEachQueued([&](TMsg& m) {
        if (TZarixMessage* zm = ElementMessageOf(m.message, m.lParam)) left.push_back(zm);
    });
    RemoveQueuedMessages([](TMsg&) { return true; });
    for (TZarixMessage* zm : left)
        if (IsLive(zm)) Free(zm);
    gHost.ClearRecords();
    ClearHostLog();
    return 0;
}
