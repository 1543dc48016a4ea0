#include <gtest/gtest.h>

#include "kernel/class_registry.h"
#include "kernel/inheritance_models.h"
#include "kernel/kernel.h"
#include "kernel/property_access.h"
#include "platform/host.h"
#include "test_support.h"

namespace {

class TImView : public TNameElement {
    ZARIX_CLASS(TImView, TNameElement)
};
class TImSubView : public TImView {
    ZARIX_CLASS(TImSubView, TImView)
};
class TImDesktop : public TNameElement {
    ZARIX_CLASS(TImDesktop, TNameElement)
};
class TImItem : public TInheritanceModel {
    ZARIX_CLASS(TImItem, TInheritanceModel)
};
// An item that counts the instances freed.
class TImTracked : public TInheritanceModel {
    ZARIX_CLASS(TImTracked, TInheritanceModel)
    void Destroy() override {
        ++freed;
        inherited::Destroy();
    }
    static inline int freed = 0;
};
class TImOutside : public TPersistent {
    ZARIX_CLASS(TImOutside, TPersistent)
};

TInheritanceModel* ItemAt(TInheritanceModel* m, int i) { return As<TInheritanceModel>(m->GetItem(i)); }
int ItemCount(TInheritanceModel* m) { return m->GetItems()->ElementsCount(); }

class InheritanceModel : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static bool registered = false;
        if (!registered) {
            RegisterKernelClasses();
            if (!GetZarixClass("TElement")) RegisterZarixClass<TElement>();
            RegisterZarixClass<TImView>();
            RegisterZarixClass<TImSubView>();
            RegisterZarixClass<TImDesktop>();
            RegisterZarixClass<TImItem>();
            RegisterZarixClass<TImTracked>();
            registered = true;
        }
    }
    void SetUp() override { root = TInheritanceModelEntity::New(); }
    void TearDown() override { Free(root); }
    // Inserts an item by name and answers it.
    TInheritanceModel* Add(const std::string& cls) {
        root->SetPropertyStringByName("NewClassName", cls);
        EXPECT_EQ(root->Error, 0) << cls;
        return root->ActualItem();
    }
    InstalledHost host;
    TInheritanceModelEntity* root = nullptr;
};

TEST_F(InheritanceModel, Registered) {
    EXPECT_EQ(GetZarixClass("TModelItems"), TModelItems::StaticClass());
    EXPECT_EQ(GetZarixClass("tinheritancemodel"), TInheritanceModel::StaticClass());
    EXPECT_EQ(GetZarixClass("TInheritanceModelEntity"), TInheritanceModelEntity::StaticClass());
    EXPECT_EQ(root->GetItems()->GetName(), "ITEMS");
    EXPECT_EQ(root->GetItems()->Owner(), root);
    EXPECT_EQ(root->GetItems(), root->GetItems());
    EXPECT_EQ(root->ElementsCount(), 1);
}

TEST_F(InheritanceModel, ItemsSortThemselvesUnderAncestors) {
    EXPECT_TRUE(root->GetNoItems());
    TInheritanceModel* view = Add("TImView");
    TInheritanceModel* element = Add("TElement");
    EXPECT_EQ(element->GetName(), "TElement");
    ASSERT_EQ(ItemCount(root), 1);
    EXPECT_EQ(ItemAt(root, 0), element);
    ASSERT_EQ(ItemCount(element), 1);
    EXPECT_EQ(ItemAt(element, 0), view);

    EXPECT_EQ(root->GetItemForClass(TImView::StaticClass()), view);
    EXPECT_EQ(root->GetItemForClass(TImSubView::StaticClass()), view);
    EXPECT_EQ(root->GetItemForClass(TImDesktop::StaticClass()), element);
    EXPECT_EQ(root->GetItemForClass(TImOutside::StaticClass()), nullptr);
    EXPECT_EQ(root->GetItemForClassName("timsubview"), view);
    EXPECT_EQ(root->GetItemForClassName("TNothing"), nullptr);
    // An unknown name asks with no class: a keyed model answers itself.
    EXPECT_EQ(element->GetItemForClassName("TNothing"), element);
    EXPECT_EQ(view->GetItemForClassName(""), view);

    // A sub-class goes down; an item of the same class takes the old one below it.
    TInheritanceModel* subView = Add("TImSubView");
    EXPECT_EQ(ItemAt(view, 0), subView);
    TInheritanceModel* view2 = Add("TImView");
    ASSERT_EQ(ItemCount(element), 1);
    EXPECT_EQ(ItemAt(element, 0), view2);
    EXPECT_EQ(ItemAt(view2, 0), view);
    EXPECT_EQ(root->GetItemForClass(TImSubView::StaticClass()), subView);
}

TEST_F(InheritanceModel, ErrorCodesThroughProperties) {
    Add("TImView");
    root->SetPropertyStringByName("FindClassName", "TNothing");
    EXPECT_EQ(root->GetPropertyStringByName("Error"), "2");
    EXPECT_TRUE(root->GetPropertyBooleanByName("IsError"));
    EXPECT_EQ(root->ActualItem(), nullptr);
    EXPECT_EQ(root->GetPropertyStringByName("ActualClassName"), "NIL");
    EXPECT_EQ(root->Error, 3);

    root->SetPropertyStringByName("FindClassName", "TImDesktop");
    EXPECT_EQ(root->Error, 1);
    root->SetPropertyStringByName("FindClassName", "TImSubView");
    EXPECT_EQ(root->Error, 0);
    EXPECT_FALSE(root->GetPropertyBooleanByName("IsError"));
    EXPECT_EQ(root->GetPropertyStringByName("ActualClassName"), "TImView");

    root->SetPropertyStringByName("NewClassName", "TNothing");
    EXPECT_EQ(root->Error, 2);
    root->SetPropertyStringByName("NewClassName", "");
    EXPECT_EQ(root->Error, 0);
    EXPECT_EQ(root->ActualItem(), nullptr);
    root->SetPropertyStringByName("ActualClassName", "TImDesktop");
    EXPECT_EQ(root->Error, 3);
    root->SetPropertyStringByName("Error", "0");
    EXPECT_EQ(root->Error, 0);
}

TEST_F(InheritanceModel, DeletingAndReplacingTheActualItem) {
    root->SetPropertyStringByName("ItemClassName", "TImTracked");
    TImTracked::freed = 0;
    TInheritanceModel* view = Add("TImView");
    Add("TImSubView");
    root->SetPropertyStringByName("FindClassName", "TImView");
    ASSERT_EQ(root->ActualItem(), view);
    root->SetPropertyStringByName("ActualClassName", "TImDesktop");
    EXPECT_EQ(TImTracked::freed, 2);  // the item and its sub-item
    EXPECT_EQ(root->GetPropertyStringByName("ActualClassName"), "TImDesktop");
    ASSERT_EQ(ItemCount(root), 1);
    EXPECT_EQ(ItemAt(root, 0), root->ActualItem());
    EXPECT_EQ(ItemAt(root, 0)->GetClassName(), "TImDesktop");

    root->SetPropertyBooleanByName("DeleteActualItem", false);  // the flag does not matter
    EXPECT_EQ(TImTracked::freed, 3);
    EXPECT_EQ(root->ActualItem(), nullptr);
    EXPECT_EQ(root->Error, 3);
    EXPECT_TRUE(root->GetNoItems());
    root->Error = 0;
    root->SetDeleteAI(true);  // nothing to delete
    EXPECT_EQ(root->Error, 0);
    EXPECT_EQ(TImTracked::freed, 3);
}

TEST_F(InheritanceModel, RootIsNeverFreedNorMovedIntoItsTree) {
    root->SetPropertyStringByName("ElementClassName", "TElement");
    EXPECT_EQ(root->GetName(), "TElement");
    root->SetPropertyStringByName("FindClassName", "TImView");
    ASSERT_EQ(root->ActualItem(), root);
    root->SetPropertyBooleanByName("DeleteActualItem", true);
    EXPECT_TRUE(IsLive(root));
    EXPECT_EQ(root->ActualItem(), nullptr);
    EXPECT_EQ(root->Error, 3);
    root->SetPropertyStringByName("FindClassName", "TImView");
    root->SetPropertyStringByName("ActualClassName", "TImDesktop");
    EXPECT_TRUE(IsLive(root));
    EXPECT_EQ(root->GetPropertyStringByName("ActualClassName"), "TImDesktop");

    // Items already in the tree, the root and holders of the root stay where they are.
    TInheritanceModel* desk = root->ActualItem();
    TInheritanceModel* view = Add("TImView");
    root->SetNextItem(desk);
    root->SetNextItem(view);
    root->SetNextItem(root);
    root->SetPropertyStringByName("NextItem", IntToStr(reinterpret_cast<intptr_t>(view)));
    ASSERT_EQ(ItemCount(root), 2);
    EXPECT_EQ(ItemAt(root, 0), desk);
    EXPECT_EQ(ItemAt(root, 1), view);
    EXPECT_TRUE(view->GetNoItems());
    EXPECT_TRUE(desk->GetNoItems());
    TInheritanceModel* outer = TInheritanceModel::New();
    outer->SetClassName("TElement");
    outer->AddItem(root);
    view->SetNextItem(outer);
    EXPECT_TRUE(view->GetNoItems());
    outer->GetItems()->RemoveElement(root);
    Free(outer);
    EXPECT_TRUE(HostLog().empty());
}

TEST_F(InheritanceModel, ItemClass) {
    EXPECT_EQ(root->GetPropertyStringByName("ItemClassName"), "TInheritanceModel");
    root->SetPropertyStringByName("ItemClassName", "TImView");
    EXPECT_EQ(root->GetItemClassName(), "TInheritanceModel");
    root->SetPropertyStringByName("ItemClassName", "timitem");
    EXPECT_EQ(root->GetItemClassName(), "TImItem");
    TInheritanceModel* item = Add("TImView");
    EXPECT_EQ(item->ClassType(), TImItem::StaticClass());
    root->SetPropertyStringByName("ItemClassName", "TNothing");
    EXPECT_EQ(root->GetItemClassName(), "TInheritanceModel");
}

TEST_F(InheritanceModel, ItsMyClassAndKeyedModels) {
    TInheritanceModel* m = TInheritanceModel::New();
    EXPECT_TRUE(m->ItsMyClass(TImDesktop::StaticClass()));
    EXPECT_EQ(m->GetItemForClass(TImView::StaticClass()), nullptr);
    m->SetEClass(TImView::StaticClass());
    EXPECT_TRUE(m->ItsMyClass(TImSubView::StaticClass()));
    EXPECT_FALSE(m->ItsMyClass(TImDesktop::StaticClass()));
    EXPECT_FALSE(m->ItsMyClass(TElement::StaticClass()));
    EXPECT_EQ(m->GetItemForClass(TImDesktop::StaticClass()), m);  // a keyed model answers itself
    m->SetClassName("TNothing");
    EXPECT_EQ(m->EClass(), nullptr);
    EXPECT_EQ(m->GetPropertyStringByName("ElementClassName"), "");
    Free(m);
}

}  // namespace

namespace {
// An items entity knows only its last holder: it stays with its model, and no model is
// inserted into its own items entity through another.
TEST(InheritanceModelCycles, ASharedItemsEntityNeverTakesTheModelThatHoldsIt) {
    RegisterKernelClasses();
    TInheritanceModel* first = TInheritanceModel::New();
    TInheritanceModel* second = TInheritanceModel::New();
    TInheritanceModel* item = TInheritanceModel::New();
    first->SetNextItem(item);
    SetObjectProp(second, *GetPropInfo(second, "AddAllFrom"), first);
    second->SetNextItem(first);
    EXPECT_FALSE(first->HoldsItem(first));
    EXPECT_LT(first->GetItems()->IndexOf(first), 0);
    EXPECT_LT(second->IndexOf(first->GetItems()), 0);  // the items entity stays with its model
    const uint64_t serial = first->Serial();
    Free(second);  // frees the first model too where it became an item of the second
    if (IsLive(first, serial)) Free(first);
}
}  // namespace
