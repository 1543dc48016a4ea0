// The element explorer: a window with the tree of an element's children, or of its
// owners in the owners view. Each tree line is an element (name and class); the selected
// one can be taken from the window (dragged onto a map window).
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "kernel/tools.h"
#include "platform/controls.h"
#include "yesk/held.h"

// The explorer's window: the list "TreeView" holds one line per tree node, indented by
// two blanks a level. Closing it asks its tool to quit.
class TExplorerForm : public TForm {
public:
    TExplorerForm();
};

class TExplorer : public TTool {
    ZARIX_CLASS(TExplorer, TTool)
    static void Publish(PropertyTable& t);

public:
    // The owners of the input instead of its children.
    bool OwnersView = false;
    // The window title; empty: the input's name and class.
    std::string Caption;

    // Opens the window on the input (the world when there is none) without waiting.
    void DoIt() override;
    // The tree again, from the input as it is now.
    void Refresh();
    void Destroy() override;

    TExplorerForm* Form() const { return FForm.get(); }
    // The element of the selected line while it lives.
    TElement* SelectedElement() const;
    // The element of a line while it lives.
    TElement* ElementAt(int index) const;

private:
    void AddNode(TElement* element, int depth, std::vector<TElement*>& path);
    std::unique_ptr<TExplorerForm> FForm;
    std::vector<THeld<TElement>> FLines;
    THeld<TElement> FRoot;
};

// The line of an element in the tree: its name and class, or its class alone.
std::string ExplorerLine(TElement* element);

void RegisterExplorerClasses();
