// Builds a folder template and a data tree from the input (short names that differ in
// letter case, Czech letters among them) and matches them. Every data folder must be
// accounted for exactly once (a template node matched to it or an extra node), a node
// must take one folder only and prefer the folder of its exact name, the reset must give
// back the template as it was, and a second match the same result. With the first byte's
// low bit the data tree is also made on disk: the folder listed on demand must match as
// the folder listed whole.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "checker/check_tools.h"
#include "checker/folder_structure_checks.h"
#include "fuzz_support.h"
#include "kernel/file_elements.h"
#include "kernel/kernel.h"
#include "platform/sysutils.h"

namespace {

const char* const kNames[] = {"a", "A", "b", "B", "\xE1", "\xC1", "ab", "AB", "aB", "x"};
const char* const kDiskNames[] = {"a", "A", "b", "B", "ab", "AB", "aB", "x"};

// Each byte a node: its depth below the last node (0-3 levels up or one down) and its name.
TOwnerEntity* MakeTree(const uint8_t*& p, const uint8_t* end, bool disk) {
    TOwnerEntity* root = TOwnerEntity::New();
    std::vector<TOwnerEntity*> path{root};
    int nodes = 0;
    while (p < end && *p != 0xFF && nodes < 24) {
        uint8_t b = *p++;
        size_t up = b & 3;
        if (up > 0 && path.size() > 1) path.resize(path.size() > up ? path.size() - up : 1);
        auto* node = TOwnerEntity::New();
        node->SetName(disk ? kDiskNames[(b >> 2) % 8] : kNames[(b >> 2) % 10]);
        bool taken = false;  // one folder of a name on disk (names differing in case are two)
        for (int32_t i = 0; disk && i < path.back()->ElementsCount(); ++i)
            taken = taken || path.back()->Get(i)->GetName() == node->GetName();
        if (!taken) {
            path.back()->AddElement(node);
            if (b & 0x80) path.push_back(node);
        } else {
            Free(node);
        }
        ++nodes;
    }
    if (p < end) ++p;
    return root;
}

void Dump(THierarchyTemplate* node, int depth, std::string& out) {
    out += std::to_string(depth) + " " + node->GetName() + " " + std::to_string(static_cast<int>(node->Status)) + "\n";
    for (int32_t i = 0; i < node->ElementsCount(); ++i)
        if (auto* child = As<THierarchyTemplate>(node->Get(i))) Dump(child, depth + 1, out);
}

std::string Dump(THierarchyTemplate* root) {
    std::string out;
    Dump(root, 0, out);
    return out;
}

// The matched node's children against the children of its element.
void Verify(THierarchyTemplate* node) {
    if (node->Status != THierarchyTemplateStatus::htsFull) return;
    auto* element = As<TEntity>(node->GetHierarchyElement());
    int32_t full = 0, added = 0;
    for (int32_t i = 0; i < node->ElementsCount(); ++i) {
        auto* child = As<THierarchyTemplate>(node->Get(i));
        if (!child) continue;
        if (child->Status == THierarchyTemplateStatus::htsNew) {
            ++added;
            FUZZ_CHECK(child->ElementsCount() == 0);
        } else if (child->Status == THierarchyTemplateStatus::htsFull) {
            ++full;
            TElement* folder = child->GetHierarchyElement();
            FUZZ_CHECK(folder && element && folder->IsMyOwner(element));
            FUZZ_CHECK(AnsiSameText(folder->GetName(), child->GetName()));
            // Taken by a folded name only when no free folder has its exact name.
            if (folder->GetName() != child->GetName())
                for (int32_t k = 0; k < node->ElementsCount(); ++k) {
                    auto* other = As<THierarchyTemplate>(node->Get(k));
                    FUZZ_CHECK(!other || other->Status != THierarchyTemplateStatus::htsNew ||
                               other->GetName() != child->GetName());
                }
            for (int32_t k = 0; k < i; ++k)
                if (auto* other = As<THierarchyTemplate>(node->Get(k)))
                    FUZZ_CHECK(other->Status != THierarchyTemplateStatus::htsFull || other->GetHierarchyElement() != folder);
            Verify(child);
        }
    }
    FUZZ_CHECK(full + added == (element ? element->ElementsCount() : 0));
}

void MakeOnDisk(TEntity* tree, const std::string& path) {
    std::filesystem::create_directories(path);
    for (int32_t i = 0; i < tree->ElementsCount(); ++i)
        if (auto* child = As<TEntity>(tree->Get(i))) MakeOnDisk(child, path + "/" + child->GetName());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool init = [] {
        RegisterCheckerClasses();
        return true;
    }();
    (void)init;
    if (size == 0) return 0;
    const bool disk = data[0] & 1;
    const uint8_t* p = data + 1;
    const uint8_t* end = data + size;
    TOwnerEntity* pattern = MakeTree(p, end, false);
    TOwnerEntity* folders = MakeTree(p, end, disk);
    fuzz::Note("template and data of " + fuzz::Escaped(std::string(reinterpret_cast<const char*>(data), size)));

    THierarchyTemplate* root = THierarchyTemplate::New();
    root->SetName("root");
    root->SetTemplateElement(pattern);
    const std::string saved = Dump(root);
    root->SetHierarchyElement(folders);
    Verify(root);
    const std::string first = Dump(root);
    root->SetDoReset(true);
    FUZZ_CHECK(Dump(root) == saved);
    root->SetHierarchyElement(folders);
    FUZZ_CHECK(Dump(root) == first);
    root->SetDoReset(true);

    if (disk) {
        static const std::string base = fuzz::ScratchPath("folders");
        std::error_code ignored;
        std::filesystem::remove_all(base, ignored);
        MakeOnDisk(folders, base);
        std::string results[2];
        for (int lazy = 0; lazy < 2; ++lazy) {
            TDirectoryElement* listed = TDirectoryElement::New();
            listed->DirOnly = true;
            listed->ListSubFolders = lazy == 0;
            listed->SetFileName(base);
            root->SetHierarchyElement(listed);
            Verify(root);
            results[lazy] = Dump(root);
            root->SetDoReset(true);
            Free(listed);
        }
        FUZZ_CHECK(results[0] == results[1]);
        FUZZ_CHECK(Dump(root) == saved);
    }
    Free(root);
    Free(pattern);
    Free(folders);
    return 0;
}
