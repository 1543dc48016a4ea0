// Feeds arbitrary text to the content-script interpreter as a ".MSC" file over a page with
// texts, a text block and a view. The interpreter answers the page it was given, the page
// keeps what it holds, and a variable text asked for loses its "?:" mark.
#include <cstddef>
#include <cstdint>
#include <string>

#include "composer/composer.h"
#include "composer/map_sheet_production.h"
#include "composition/pages.h"
#include "composition/text_blocks.h"
#include "composition/views.h"
#include "device/device.h"
#include "fuzz_support.h"
#include "interpret/interpret.h"
#include "kernel/kernel.h"
#include "pelvar/map_world.h"
#include "pelvar/pelvar.h"
#include "platform/host.h"
#include "quintel/quintel.h"
#include "space/space.h"
#include "yesk/yesk.h"

namespace {

ScriptedHost gHost;
std::string gScript;

void Init() {
    RegisterComposerClasses();
    SetUserHost(&gHost);
    World = TWCSWorld::New();
    gScript = fuzz::ScratchPath("content.msc");
}

TDesktop* Page() {
    TDesktop* d = TDesktop::New();
    for (const char* name : {"Title", "Path"}) {
        TText* t = TText::New();
        t->SetName(name);
        t->SetText("?:x");
        d->AddElement(t);
    }
    TTextBlock* b = TTextBlock::New();
    b->SetName("Block");
    d->AddElement(b);
    TView* v = TView::New();
    v->SetName("MAIN");
    d->AddElement(v);
    return d;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool ready = (Init(), true);
    (void)ready;
    if (size > 4096) return 0;
    const std::string input(reinterpret_cast<const char*>(data), size);
    fuzz::Note("script " + fuzz::Escaped(input));
    fuzz::WriteBytes(gScript, input);
    TDesktop* d = Page();
    TMSCInterpret* script = TMSCInterpret::New(gScript);
    script->SetInput(d);
    script->DoIt();
    FUZZ_CHECK(script->Output == d);
    Free(script);
    FUZZ_CHECK(d->ElementsCount() == 4);
    FUZZ_CHECK(d->FindElementName("Title") && d->FindElementName("Block") && FindView(d, "MAIN"));
    bool asked = false;
    for (const HostRecord& r : gHost.Records()) asked = asked || r.kind == HostRecord::Modal;
    for (int32_t i = 0; i < d->ElementsCount(); ++i)
        if (auto* t = As<TText>(d->Get(i)); t && asked && !t->Is<TTextBlock>())
            FUZZ_CHECK(!IsVariableText(t->GetText()) || input.find("?") != std::string::npos);
    Free(d);
    gHost.ClearRecords();
    ClearHostLog();
    return 0;
}
