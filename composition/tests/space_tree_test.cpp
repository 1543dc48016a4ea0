#include "composition/space_tree.h"

#include "platform/classes.h"
#include "sheets_test_util.h"

namespace sheets {
namespace {

using SpaceTreeTest = SheetsTest;

TEST_F(SpaceTreeTest, ColumnsByCentreSheetsByHeightAndStrictLookup) {
    TSpaceTree* tree = TSpaceTree::New();
    EXPECT_TRUE(tree->IsEmpty());
    EXPECT_FALSE(tree->HasMatrix());
    TRectEntity* upper = Rect(0, 10, 10, 20);
    TRectEntity* lower = Rect(0, 0, 10, 10);
    TRectEntity* right = Rect(10, 0, 20, 10);
    tree->AddSpace(upper);
    tree->AddSpace(lower);
    tree->AddSpace(right);
    ASSERT_EQ(tree->ColumnCount(), 2);
    EXPECT_EQ(tree->Column(0)->Get(0), lower);
    EXPECT_EQ(tree->Column(0)->Get(1), upper);
    EXPECT_EQ(tree->Column(1)->Get(0), right);
    EXPECT_DOUBLE_EQ(tree->GetMaxX(), 20);
    EXPECT_DOUBLE_EQ(tree->GetMaxY(), 20);
    // A column added left of the others goes first.
    TRectEntity* left = Rect(-10, 0, 0, 10);
    tree->AddSpace(left);
    EXPECT_EQ(tree->Column(0)->Get(0), left);

    struct Case {
        double x, y;
        TRectEntity* found;
    } cases[] = {{5, 5, lower}, {5, 15, upper}, {15, 5, right}, {10, 5, nullptr}, {5, 10, nullptr},
                 {15, 15, nullptr}, {-5, 5, left}, {25, 5, nullptr}};
    for (const Case& c : cases) EXPECT_EQ(tree->FindAt(c.x, c.y), c.found) << c.x << "," << c.y;

    EXPECT_EQ(FindSheetAtDepth(tree, 1, 5, 5), lower);
    EXPECT_EQ(FindSheetAtDepth(tree, 0, 5, 5), tree);
    EXPECT_EQ(FindSheetAtDepth(tree, 2, 5, 5), nullptr);  // the sheet is no tree
    EXPECT_EQ(FindSheetAtDepth(tree, 1, 50, 5), nullptr);
    EXPECT_EQ(FindSheetAtDepth(tree, 0, 50, 5), nullptr);
    Free(tree);
}

TEST_F(SpaceTreeTest, NestedLookupAndPrune) {
    TSpaceTree* root = TSpaceTree::New();
    TSpaceTree* a = TSpaceTree::New();
    a->SetRect(0, 0, 10, 10);
    TSpaceTree* b = TSpaceTree::New();
    b->SetRect(10, 0, 20, 10);
    TRectEntity* inner = Rect(1, 1, 5, 5);
    a->AddSpace(inner);
    root->AddSpace(a);
    root->AddSpace(b);
    EXPECT_EQ(FindSheetAtDepth(root, 2, 2, 2), inner);
    EXPECT_EQ(FindSheetAtDepth(root, 2, 15, 5), nullptr);

    // b has no sub-sheets: it and its column go; a stays.
    root->Prune();
    ASSERT_EQ(root->ColumnCount(), 1);
    EXPECT_EQ(root->Column(0)->ElementsCount(), 1);
    EXPECT_EQ(root->FindAt(15, 5), nullptr);
    a->GetMatrix()->FreeAll();
    root->Prune();
    EXPECT_EQ(root->ColumnCount(), 0);
    EXPECT_TRUE(root->IsEmpty());
    Free(root);
}

TEST_F(SpaceTreeTest, MatrixIsMadeOnDemandAndSettingItAgainKeepsIt) {
    TSpaceTree* tree = TSpaceTree::New();
    EXPECT_EQ(tree->FindAt(1, 1), nullptr);
    ASSERT_TRUE(tree->HasMatrix());
    TSpaceMatrix* m = tree->GetMatrix();
    EXPECT_EQ(tree->IndexOf(m), 0);
    tree->SetMatrix(m);
    EXPECT_TRUE(IsLive(m));
    EXPECT_EQ(tree->GetMatrix(), m);

    // A matrix taken out of the children no longer counts.
    tree->RemoveElement(m);
    EXPECT_FALSE(tree->HasMatrix());
    EXPECT_TRUE(tree->IsEmpty());
    Free(m);
    Free(tree);
}

// The older stored form: the matrix number is taken only for a matrix among the children.
TEST_F(SpaceTreeTest, OldFormMatrixNumberMustNameAChildMatrix) {
    TSpaceTree* source = TSpaceTree::New();
    TRectEntity* r = Rect(0, 0, 1, 1);
    source->AddElement(r);
    TSpaceMatrix* m = source->GetMatrix();
    r->ID = 0;
    m->ID = 1;
    TMemoryStream stream;
    {
        TWriter w(stream);
        source->Save(w);
    }
    std::string bytes(reinterpret_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
    Free(source);
    ASSERT_EQ(bytes.substr(bytes.size() - 2), std::string("\x02\x01", 2));

    struct Case {
        bool matrixFirst;  // dictionary order: matrix, rectangle (else the other way)
        char index;        // the stored matrix number
        bool extraMatrix;  // a third entry: a matrix that no child names
        bool taken;
    } cases[] = {{false, 1, false, true}, {true, 1, false, false}, {false, 7, false, false},
                 {false, 2, true, false}, {false, -1, false, false}};
    for (const Case& c : cases) {
        TEntity* dict = TQuickEntity::New();
        TSpaceMatrix* dm = TSpaceMatrix::New();
        TRectEntity* dr = Rect(0, 0, 1, 1);
        dict->AddElement(c.matrixFirst ? static_cast<TElement*>(dm) : dr);
        dict->AddElement(c.matrixFirst ? static_cast<TElement*>(dr) : dm);
        TSpaceMatrix* extra = c.extraMatrix ? TSpaceMatrix::New() : nullptr;
        dict->AddElement(extra);
        std::string patched = bytes;
        if (c.index < 0) patched.replace(patched.size() - 2, 2, std::string("\x02\xFF", 2));
        else patched.back() = c.index;
        TMemoryStream in;
        in.WriteBuffer(patched.data(), static_cast<int64_t>(patched.size()));
        in.SetPosition(0);
        TSpaceTree* tree = TSpaceTree::New();
        {
            TReader reader(in);
            reader.ReadString();  // the class name, read by the loader
            tree->Load(reader, dict);
        }
        EXPECT_EQ(tree->HasMatrix(), c.taken) << int(c.index);
        if (c.taken) {
            EXPECT_EQ(tree->GetMatrix(), dm);
        }
        Free(tree);
        dict->Clear();
        Free(dict);
        for (TElement* e : {static_cast<TElement*>(dm), static_cast<TElement*>(dr), static_cast<TElement*>(extra)})
            if (e && IsLive(e)) Free(e);
    }
}

}  // namespace
}  // namespace sheets
