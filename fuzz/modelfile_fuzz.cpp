// Feeds arbitrary bytes to the model file reader (both forms: the signature picks the
// reader). Everything a load makes is freed, so leaks and double frees show. The element
// classes are the model-file tests' own, so the tests' files seed the corpus.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <unordered_set>
#include <vector>

#include "composition/modelfile.h"
#include "element_checks.h"
#include "fuzz_support.h"
#include "model_file_classes.h"
#include "kernel/class_registry.h"
#include "kernel/value_elements.h"
#include "kernel/elements.h"
#include "kernel/messages.h"
#include "platform/forms.h"
#include "platform/host.h"

namespace {

ScriptedHost gHost;
std::string gPath;

void Init() {
    fuzz::RegisterModelFileClasses();
    SetUserHost(&gHost);
    fuzz::FreeElementMessagesOnDelivery();
    gPath = fuzz::ScratchPath("modelfile.zrx");
}

// Walks what the loaded tree reaches through children and element-valued properties,
// touching every element a property names, so a dangling one shows. An element inside
// its own subtree ends the run.
void TouchTree(TElement* root) {
    std::unordered_set<TElement*> done;
    std::unordered_set<TElement*> onPath;
    struct Step {
        TElement* element;
        int32_t next;  // the next child to enter
    };
    std::vector<Step> path;
    std::vector<TElement*> pending;
    auto enter = [&](TElement* e) {
        if (onPath.count(e)) __builtin_trap();
        if (!done.insert(e).second) return;
        for (const TPropInfo& p : e->ClassType()->Props) {
            if (p.Kind() != tkClass) continue;
            TPersistent* value = nullptr;
            try {
                value = GetObjectProp(e, p);
            } catch (const Exception&) {
            }
            if (auto* element = As<TElement>(value)) {
                (void)element->GetName();
                if (!done.count(element) && !onPath.count(element)) pending.push_back(element);
            }
        }
        onPath.insert(e);
        path.push_back({e, 0});
    };
    pending.assign(1, root);
    while (!pending.empty()) {
        TElement* start = pending.back();
        pending.pop_back();
        if (done.count(start)) continue;
        enter(start);
        while (!path.empty()) {
            Step& top = path.back();
            auto* entity = As<TEntity>(top.element);
            if (!entity || top.next >= entity->ElementsCount()) {
                onPath.erase(top.element);
                path.pop_back();
                continue;
            }
            TElement* child = entity->Get(top.next++);
            if (child) enter(child);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool ready = (Init(), true);
    (void)ready;
    {
        std::ofstream out(gPath, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    // Keeps every element the current form makes.
    mft::TRecordingLoad* loader = mft::TRecordingLoad::New();
    loader->FileName = gPath;
    bool loaded = true;
    try {
        loader->DoIt();
    } catch (const Exception&) {
        loaded = false;
    }
    if (loaded) {
        if (loader->Output) TouchTree(loader->Output);
        if (!loader->Made.empty()) FreeLoadedElements(loader->Made);
        else Free(loader->Output);  // the older form
    }
    Free(loader);
    Application().ProcessMessages();
    gHost.ClearRecords();
    ClearHostLog();
    return 0;
}
