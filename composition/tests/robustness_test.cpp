// Damaged files: every proper prefix and corrupted numbers end with a clear error or a
// sound tree, and nothing made by the reader leaks (checked under the sanitizers).
#include "modelfile_test_util.h"

namespace mft {
namespace {

class RobustnessTest : public ModelFileTest {
protected:
    // A file with every kind, shared children, a plain element, references inside the tree
    // and an entity from outside written inline with its children.
    std::string RichFile() {
        TProbe* root = TProbe::New("root");
        root->Number = 1234567;
        root->Ratio = 0.25;
        root->Shades = 3;
        root->Text = std::string(260, 'L');
        root->Code = "code";
        root->Letter = 'q';
        TProbe* a = TProbe::New("a");
        TProbe* b = TProbe::New("b");
        TLeaf* shared = TLeaf::New("shared", 300);
        a->AddElement(shared);
        b->AddElement(shared);
        b->AddElement(TNameElement::New());
        root->AddElement(a);
        root->AddElement(b);
        root->Other = b;
        TProbe* outside = TProbe::New("outside");
        outside->AddElement(TLeaf::New("inner", -7));
        a->Link = outside;
        root->Link = shared;
        std::string bytes = Save(root);
        Free(root);
        Free(outside);
        return bytes;
    }
};

TEST_F(RobustnessTest, TheRichFileLoadsWhole) {
    std::string bytes = RichFile();
    std::string error;
    EXPECT_TRUE(LoadAndFree(bytes, &error)) << error;
}

TEST_F(RobustnessTest, EveryProperPrefixEndsWithAClearError) {
    std::string bytes = RichFile();
    for (size_t n = 0; n < bytes.size(); ++n) {
        std::string error;
        EXPECT_FALSE(LoadAndFree(bytes.substr(0, n), &error)) << n;
        EXPECT_FALSE(error.empty()) << n;
        if (n > 40) {
            EXPECT_NE(error.find(Cz("Poškozený soubor modelu ")), std::string::npos) << n << ": " << error;
        }
    }
    EXPECT_EQ(Screen().Cursor(), crDefault);
}

TEST_F(RobustnessTest, CorruptedBytesEndWithAnErrorOrASoundTree) {
    std::string bytes = RichFile();
    int loaded = 0, failed = 0;
    for (size_t i = 4; i < bytes.size(); ++i) {
        for (int delta : {1, -1, 0x40, 0x80}) {
            std::string damaged = bytes;
            damaged[i] = static_cast<char>(static_cast<unsigned char>(damaged[i]) + delta);
            std::string error;
            // Only the platform exception may come out.
            try {
                (LoadAndFree(damaged, &error) ? loaded : failed)++;
            } catch (...) {
                ADD_FAILURE() << "not a platform exception at " << i;
            }
        }
    }
    EXPECT_GT(loaded, 0);
    EXPECT_GT(failed, 0);
}

TEST_F(RobustnessTest, InlineNestingIsBounded) {
    Bytes b;
    b.Header();
    b.Int(-1).Str("TProbe").Int(0).Begin().Str("Link").Int(7).End();
    for (int i = 0; i < kMaxInlineDepth + 5; ++i) b.Int(0).Int(i).Begin().Int(0).Int(-2).Begin();
    std::string error;
    EXPECT_FALSE(LoadAndFree(b.str(), &error));
    EXPECT_NE(error.find(Cz("příliš hluboko")), std::string::npos) << error;

    // A chain of references from outside just within the bound is written and read back.
    TProbe* root = TProbe::New("root");
    std::vector<TProbe*> chain;
    TProbe* last = root;
    for (int i = 0; i < kMaxInlineDepth + 10; ++i) {
        TProbe* next = TProbe::New();
        next->Number = i + 1;
        last->Other = next;
        chain.push_back(next);
        last = next;
    }
    std::string bytes = Save(root);
    EXPECT_TRUE(LoadAndFree(bytes, &error)) << error;
    TElement* loaded = Load();
    int depth = 0;
    for (auto* p = As<TProbe>(loaded); p && p->Other; p = p->Other) ++depth;
    EXPECT_EQ(depth, kMaxInlineDepth);
    std::vector<TElement*> made;
    for (auto* p = As<TProbe>(loaded); p; p = p->Other) made.push_back(p);
    FreeLoadedElements(made);
    Free(root);
    for (TProbe* p : chain) Free(p);
}

TEST_F(RobustnessTest, OlderFormPrefixesAndDamageLeaveNoResult) {
    TNameEntity* root = TNameEntity::New();
    root->SetName("root");
    TNameEntity* mid = TNameEntity::New();
    mid->AddElement(TNameElement::New());
    root->AddElement(mid);
    root->AddElement(TNameElement::New());
    root->ResetID();
    std::string bytes = SaveOld(root);
    Free(root);
    for (size_t n = 4; n < bytes.size(); ++n) {
        WriteFile(Path("cut.zrx"), bytes.substr(0, n));
        TLoader* loader = TLoader::New();
        loader->SetName(Path("cut.zrx"));
        try {
            loader->DoIt();  // a box for a damaged element, an exception for the list
        } catch (const Exception&) {
        }
        EXPECT_EQ(loader->Output, nullptr) << n;
        Free(loader);
    }
    for (size_t i = 4; i < bytes.size(); ++i) {
        std::string damaged = bytes;
        damaged[i] = static_cast<char>(damaged[i] ^ 0x03);
        WriteFile(Path("bad.zrx"), damaged);
        TLoader* loader = TLoader::New();
        loader->SetName(Path("bad.zrx"));
        try {
            loader->DoIt();
        } catch (const Exception&) {
        }
        Free(loader->Output);
        Free(loader);
    }
}

}  // namespace
}  // namespace mft
