// The check-set editor: the nodes of a check set, the checks of each node taken from a
// palette of available checks, the settings of each check, the node's data model and the
// folder templates of folder-structure nodes. Check sets are model files (".ZRX").
#pragma once
#include <string>
#include <vector>

#include "checker/folder_structure_checks.h"
#include "interpret/models.h"
#include "kernel/tools.h"
#include "platform/controls.h"
#include "yesk/held.h"

// The editor's window. It works on the objects of its container directly: the check set
// is the container's first TInterpretNodeEntity, the palette its first
// TInterpretModelEntity. Outlines are lists whose lines stand for elements; sub-models
// and sub-folders are indented by two blanks a level.
class TINESetupDialogForm : public TForm {
public:
    TINESetupDialogForm();

    // The working container, the file name and the initial folder (given before showing).
    void SetContainer(TEntity* container) { FContainer.Set(container); }
    TEntity* Container() const { return FContainer.Get(); }
    std::string FileName;
    std::string InitialDir;

    bool Modified() const { return FModified; }
    // Has an effect only once the form has been shown.
    void SetModified(bool value);

    // The check set and the palette of the container; nil when missing.
    TInterpretNodeEntity* CheckSet() const;
    TInterpretModelEntity* Palette() const;
    // The node selected in "o_1", the check in "o_2", the palette model in "o_3".
    TElement* SelectedNode() const;
    TToolModel* SelectedCheck() const;
    TToolModel* SelectedPaletteModel() const;
    // The template folder selected in "TreeView".
    THierarchyTemplate* SelectedFolder() const;

    // What the user does.
    void New();
    void Open();
    void OpenAdd();
    void Save();
    void SaveAs();
    void AddNode();
    void RenameNode();
    void DeleteNode();
    void MoveNode(int step);
    void AddFolderNode();
    void AddFromPalette();
    void RemoveCheck();
    void AddPropertiesFromPalette();
    void EditDataModel();
    void NewDir();
    void RenameDir();
    void DeleteDir();
    void ClearDirs();
    void CreateDirsByDisk();
    // A drag from one outline onto another: "o_3" onto "o_2" adds the palette check.
    void DragDrop(const std::string& source, const std::string& target);

    // The outlines, grid and lists from the objects as they are now.
    void Refresh();
    void RefreshChecks();
    void RefreshGrid();
    void RefreshDataModel();
    void RefreshFolders();

private:
    void OnShowForm();
    // Asks whether to save a modified set; false: the user cancelled.
    bool AskToSave();
    // Loads a model file; its root, or nil after the loader's error was shown.
    TElement* LoadFile(const std::string& fileName);
    bool ChooseFile(bool save, std::string& fileName);
    void SelectNode(int index);
    void AddFolderLines(THierarchyTemplate* folder, int depth);
    void RenameSelectedFolder(const std::string& name);

    THeld<TEntity> FContainer;
    THeld<THierarchyTemplate> FTemplate;
    std::vector<THeld<TToolModel>> FCheckLines, FPaletteLines;
    std::vector<THeld<TPropertyModel>> FGridRows;
    std::vector<THeld<THierarchyTemplate>> FFolderLines;
    bool FEnabled = false;
    bool FModified = false;
};

// Opens the editor on its Input (the working container) modally; FileName comes back.
class TINESetupDialog : public TTool {
    ZARIX_CLASS(TINESetupDialog, TTool)
    static void Publish(PropertyTable& t);

public:
    std::string FileName;
    std::string initialDir;

    void DoIt() override;
};

void RegisterCheckSetEditorUnit();
