// The older model-file form ("TPF0") on any bytes: a load either ends with its error box
// and no result or gives a tree in which no element holds itself; such a tree written
// with the older writer and read again is written again byte for byte the same; every
// element made is freed once (the sanitizers see double frees and leaks).
#include <cstddef>
#include <cstdint>
#include <string>

#include "composition/modelfile.h"
#include "element_checks.h"
#include "fuzz_support.h"
#include "model_file_classes.h"
#include "kernel/class_registry.h"
#include "kernel/elements.h"
#include "kernel/messages.h"
#include "kernel/value_elements.h"
#include "platform/forms.h"
#include "platform/host.h"

namespace {

ScriptedHost gHost;
std::string gIn, gOut;

void Init() {
    fuzz::RegisterModelFileClasses();
    SetUserHost(&gHost);
    fuzz::FreeElementMessagesOnDelivery();
    gIn = fuzz::ScratchPath("old-model-in.zrx");
    gOut = fuzz::ScratchPath("old-model-out.zrx");
}

TElement* Load(const std::string& path) {
    TLoader* loader = TLoader::New();
    loader->SetName(path);
    TElement* out = nullptr;
    try {
        loader->DoIt();
        out = loader->Output;
    } catch (const Exception&) {
    }
    Free(loader);
    return out;
}

std::string Save(TElement* root) {
    root->ResetID();
    TSaver* saver = TSaver::New(gOut);
    saver->Input = root;
    saver->DoIt();
    Free(saver);
    return fuzz::ReadBytes(gOut);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool ready = (Init(), true);
    (void)ready;
    std::string bytes(reinterpret_cast<const char*>(data), size);
    if (bytes.compare(0, 4, "TPF0") != 0) bytes = "TPF0" + bytes;
    fuzz::WriteBytes(gIn, bytes);
    fuzz::Note("file " + fuzz::Escaped(bytes));

    if (TElement* root = Load(gIn)) {
        FUZZ_CHECK(!fuzz::HoldsItself(root));
        const std::string once = Save(root);
        Free(root);
        fuzz::Note("file " + fuzz::Escaped(bytes) + "\nwritten as " + fuzz::Escaped(once));
        fuzz::WriteBytes(gIn, once);
        TElement* again = Load(gIn);
        FUZZ_CHECK(again != nullptr);
        FUZZ_CHECK(!fuzz::HoldsItself(again));
        FUZZ_CHECK(Save(again) == once);
        Free(again);
    }
    Application().ProcessMessages();
    gHost.ClearRecords();
    ClearHostLog();
    return 0;
}
