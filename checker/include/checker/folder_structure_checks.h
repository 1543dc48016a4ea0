// Folder-structure checks: a template tree of folder names that the data folder must have.
// The check compares the real sub-folders with the template and writes the missing and the
// extra ones into the protocol.
#pragma once
#include <cstdint>
#include <string>

#include "device/device_tool.h"
#include "kernel/elements.h"

enum class THierarchyTemplateStatus : uint8_t { htsClear, htsFull, htsNew };
const TTypeInfo* TypeInfoTHierarchyTemplateStatus();

// One node of a template; its name is the folder name, its children the sub-folders.
class THierarchyTemplate : public TOwnerEntity {
    ZARIX_CLASS(THierarchyTemplate, TOwnerEntity)
    static void Publish(PropertyTable& t);

public:
    THierarchyTemplateStatus Status = THierarchyTemplateStatus::htsClear;

    // The element last matched against this node (not owned; nil once it is gone).
    TElement* GetHierarchyElement() const;
    // Matches the element's children against the template children of the same name
    // (exact names first, then with letter case folded as the entity's name lookup folds
    // it); a node takes one child per run, and a child without a free node gets a new
    // node, htsNew, that the reset frees. A folder listed on demand is listed here.
    void SetHierarchyElement(TElement* element);
    // Builds template nodes below this one from the element's whole child tree.
    void SetTemplateElement(TElement* element);
    // The names from the root node down to this one, joined by "\".
    std::string GetFullPath();
    // True: every node back to htsClear and the nodes added by a match freed.
    void SetDoReset(bool value);

private:
    TElement* FHierarchyElement = nullptr;
    uint64_t FHierarchySerial = 0;
};

// A folder-structure node of a check set.
class TDirectoryHCheckNode : public TOwnerEntity {
    ZARIX_CLASS(TDirectoryHCheckNode, TOwnerEntity)
    static void Publish(PropertyTable& t);

public:
    std::string LostDirText;
    std::string NewDirText;

    // The first template child; one named "root" is made when there is none.
    THierarchyTemplate* GetTemplate();
    // Frees the present template; the new one is named "root" and added.
    void SetTemplate(THierarchyTemplate* value);
};

// Compares Directory with the template of Node and writes the result to the device.
class TDirectoryHCheckTool : public TDeviceTool {
    ZARIX_CLASS(TDirectoryHCheckTool, TDeviceTool)
    static void Publish(PropertyTable& t);

public:
    std::string Directory;

    TDirectoryHCheckNode* GetNode() const;
    void SetNode(TDirectoryHCheckNode* node);
    void DoIt() override;

private:
    TDirectoryHCheckNode* FNode = nullptr;
    uint64_t FNodeSerial = 0;
};

// The 42 asterisks that frame the parts of a protocol.
extern const char kProtocolStars[];
