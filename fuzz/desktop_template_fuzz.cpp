// Feeds arbitrary text to the template reader as a ".MSD" file (in the current folder,
// beside a small nested template it may name), then writes what it read, reads that and
// writes again until the text stays the same. The format keeps a desktop's header open
// while its first children are desktops, so each round may fold one level of desktops
// written inside a desktop into their parent; the text must settle within one round per
// desktop written and never be lost. Everything is freed.
#include <cstddef>
#include <cstdint>
#include <string>

#include "composition/pages.h"
#include "device/device.h"
#include "fuzz_support.h"
#include "interpret/interpret.h"
#include "kernel/kernel.h"
#include "pelvar/pelvar.h"
#include "platform/host.h"
#include "platform/sysutils.h"
#include "quintel/quintel.h"
#include "space/space.h"
#include "workbench/desktop_template_text.h"
#include "workbench/workbench.h"
#include "yesk/yesk.h"

namespace {

ScriptedHost gHost;
std::string gDir;

void Init() {
    RegisterWorkbenchClasses();
    SetUserHost(&gHost);
    SetDecimalSeparator('.');
    gDir = fuzz::ScratchPath("templates");
    std::filesystem::create_directories(gDir);
    fuzz::WriteBytes(gDir + "/inner.msd", "[TDesktop]\r\nNAME=Inner\r\nEND\r\n[TText]\r\nText=x\r\nEND\r\n");
    // Nested template names are taken as given: relative ones from the scratch folder.
    std::filesystem::current_path(gDir);
}

TDesktop* Read(const std::string& path) {
    TMSTemplateGenerator* g = TMSTemplateGenerator::New();
    g->SetTemplatePath(path);
    g->DoIt();
    auto* d = As<TDesktop>(g->Output);
    Free(g);
    return d;
}

// The text written for the desktop ("" for none); the desktop is freed.
std::string WriteAndFree(TDesktop* d, const std::string& path) {
    if (!d) return {};
    TDeskTopSaveToText* w = TDeskTopSaveToText::New();
    w->MSDFileName = path;
    w->SetInput(d);
    w->DoIt();
    Free(w);
    Free(d);
    return fuzz::ReadBytes(path);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool ready = (Init(), true);
    (void)ready;
    if (size > 8192) return 0;
    const std::string input(reinterpret_cast<const char*>(data), size);
    fuzz::Note("template " + fuzz::Escaped(input));
    fuzz::WriteBytes(gDir + "/t.msd", input);
    std::string first = WriteAndFree(Read(gDir + "/t.msd"), gDir + "/w1.msd");
    if (!first.empty()) {
        size_t rounds = 2;
        for (size_t at = first.find("[TDesktop]"); at != std::string::npos; at = first.find("[TDesktop]", at + 1)) ++rounds;
        std::string text = first, path = gDir + "/w1.msd";
        for (size_t round = 0;; ++round) {
            FUZZ_CHECK(round < rounds);
            const std::string next = gDir + (round % 2 ? "/w1.msd" : "/w2.msd");
            std::string again = WriteAndFree(Read(path), next);
            FUZZ_CHECK(!again.empty());
            if (again == text) break;
            text = std::move(again);
            path = next;
        }
    }
    gHost.ClearRecords();
    ClearHostLog();
    return 0;
}
