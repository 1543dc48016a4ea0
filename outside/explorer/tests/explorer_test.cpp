#include <gtest/gtest.h>

#include "explorer/explorer.h"
#include "kernel/kernel.h"
#include "kernel/world.h"

namespace {

class ExplorerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        RegisterKernelClasses();
        RegisterExplorerClasses();
    }
};

TOwnerEntity* Entity(const char* name) {
    TOwnerEntity* e = TOwnerEntity::New();
    e->SetName(name);
    return e;
}

}  // namespace

// Children or owners as an indented tree; an element held twice appears under each
// holder; the title names the input unless one is given; a line (and a drag of it) leads to
// its element.
TEST_F(ExplorerTest, ChildrenAndOwnersTreesWithTheirTitles) {
    TOwnerEntity* root = Entity("Root");
    TOwnerEntity* a = Entity("A");
    TOwnerEntity* b = Entity("");
    TOwnerEntity* shared = Entity("Shared");
    root->AddElement(a);
    root->AddElement(b);
    a->AddElement(shared);
    b->AddElement(shared);

    TExplorer* explorer = TExplorer::New();
    explorer->SetInput(root);
    explorer->DoIt();
    EXPECT_EQ(explorer->Form()->Caption, "Root : TOwnerEntity");
    EXPECT_TRUE(explorer->Form()->Visible);
    EXPECT_EQ((*explorer->Form())["TreeView"].Items,
              (std::vector<std::string>{"Root : TOwnerEntity", "  A : TOwnerEntity", "    Shared : TOwnerEntity",
                                        "  TOwnerEntity", "    Shared : TOwnerEntity"}));
    (*explorer->Form())["TreeView"].Select(3);
    EXPECT_EQ(explorer->SelectedElement(), b);
    EXPECT_EQ((*explorer->Form())["TreeView"].DragObject(), b);  // what a drag of the node carries
    Free(explorer);

    explorer = TExplorer::New();
    explorer->SetInput(shared);
    explorer->OwnersView = true;
    explorer->Caption = "Model";
    explorer->DoIt();
    EXPECT_EQ(explorer->Form()->Caption, "Model");
    EXPECT_EQ((*explorer->Form())["TreeView"].Items,
              (std::vector<std::string>{"Shared : TOwnerEntity", "  A : TOwnerEntity", "    Root : TOwnerEntity",
                                        "  TOwnerEntity", "    Root : TOwnerEntity"}));
    // A line whose element is gone leads nowhere.
    Free(root);
    EXPECT_EQ(explorer->ElementAt(2), nullptr);
    (*explorer->Form())["TreeView"].Select(2);
    EXPECT_EQ((*explorer->Form())["TreeView"].DragObject(), nullptr);
    Free(explorer);
}
