// Command-line paths over a small tree: every element answered is nil or an element of
// the tree, a command that raises leaves its text result empty and raises only the
// library's Exception, and no evaluation changes the tree.
#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "command_tree.h"
#include "fuzz_support.h"
#include "kernel/class_registry.h"
#include "kernel/command_line.h"
#include "kernel/elements.h"
#include "platform/classes.h"
#include "platform/host.h"

namespace {

ScriptedHost gHost;
TCmdNode* gRoot;
TCmdThing* gThing;
std::vector<TElement*> gTree;

template <class T> T* Named(TOwnerEntity* parent, const std::string& name) {
    T* e = T::New();
    e->SetName(name);
    if (parent) parent->AddElement(e);
    gTree.push_back(e);
    return e;
}

void MakeTree() {
    RegisterZarixClass<TCmdNode>();
    RegisterZarixClass<TCmdLeaf>();
    SetUserHost(&gHost);
    gThing = TCmdThing::New();
    gRoot = Named<TCmdNode>(nullptr, "Root");
    TCmdLeaf* legend = Named<TCmdLeaf>(gRoot, "Legend");
    legend->text = "key";
    TCmdNode* map = Named<TCmdNode>(gRoot, "Map");
    Named<TCmdLeaf>(map, "A")->count = 7;
    Named<TCmdLeaf>(map, "a");
    TCmdNode* inner = Named<TCmdNode>(map, "Inner");
    Named<TCmdLeaf>(inner, "Legend");
    Named<TCmdNode>(gRoot, "Empty");
    gRoot->view = map;
    gRoot->legend = legend;
    map->view = inner;
    map->plain = gThing;
    inner->view = gRoot;
}

// Children and references of every element of the tree.
std::map<TElement*, std::vector<void*>> Snapshot() {
    std::map<TElement*, std::vector<void*>> s;
    for (TElement* e : gTree) {
        std::vector<void*>& v = s[e];
        if (auto* n = As<TCmdNode>(e)) {
            v = {n->view, n->plain, n->legend};
            for (int i = 0; i < n->ElementsCount(); ++i) v.push_back(n->Get(i));
        }
    }
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool ready = (MakeTree(), true);
    (void)ready;
    static const auto before = Snapshot();
    static const std::set<TElement*> tree(gTree.begin(), gTree.end());
    if (size == 0) return 0;
    TElement* start = gTree[data[0] % gTree.size()];
    const std::string command(reinterpret_cast<const char*>(data) + 1, size - 1);
    fuzz::Context() = "command " + fuzz::Escaped(command) + " from " + start->GetName();

    try {
        TElement* found = EvalCommandLineToElement(start, command);
        FUZZ_CHECK(found == nullptr || tree.count(found));
    } catch (const Exception&) {
    }
    std::string text = "unset";
    try {
        EvalCommandLine(start, command, text);
    } catch (const Exception&) {
        FUZZ_CHECK(text.empty());
    }
    try {
        TStringList* list = EvalCommandLineToList(start, command);
        FUZZ_CHECK(list != nullptr);
        delete list;
    } catch (const Exception&) {
    }
    FUZZ_CHECK(Snapshot() == before);
    gHost.ClearRecords();
    ClearHostLog();
    return 0;
}
