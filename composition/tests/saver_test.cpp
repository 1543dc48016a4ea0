// The writers: exact bytes of the current and the older form, identities, references,
// progress and the safety of the target file.
#include <functional>
#include <utility>

#include "modelfile_test_util.h"

namespace mft {
namespace {

// An element whose property getter and own part fail once Broken is set.
class TFaulty : public TOwnerElement {
    ZARIX_CLASS(TFaulty, TOwnerElement)
    static void Publish(PropertyTable& t) {
        t.Int<TFaulty>("Value", &TFaulty::GetValue, [](TFaulty*, int32_t) {});
    }

public:
    int32_t GetValue() const {
        if (Broken) throw Exception("cannot read");
        return 1;
    }
    void Save(TWriter& writer) override {
        if (Broken) throw Exception("cannot write");
        inherited::Save(writer);
    }
    bool Broken = false;
};

// An element whose integer getter frees the element it was given, once.
class TFreeing : public TOwnerElement {
    ZARIX_CLASS(TFreeing, TOwnerElement)
    static void Publish(PropertyTable& t) {
        t.Int<TFreeing>("Value", &TFreeing::GetValue, [](TFreeing*, int32_t) {});
    }

public:
    int32_t GetValue() const {
        if (TElement* victim = std::exchange(Victim, nullptr)) Free(victim);
        return 1;
    }
    mutable TElement* Victim = nullptr;
};

using SaverTest = ModelFileTest;

TEST_F(SaverTest, SingleElementFileIsHeaderClassRecordAndOneRecord) {
    TLeaf* leaf = TLeaf::New("a", 5);
    std::string bytes = Save(leaf);
    const TClassInfo* cls = TLeaf::StaticClass();
    Bytes expected;
    expected.Header().ClassRecord(cls, 0);
    // class 0, ID 0, Name (stored: it is set) and Value, no children.
    expected.Int(0).Int(0).Begin().Int(PropIndex(cls, "Name")).Str("a").Int(PropIndex(cls, "Value")).Int(5).End().Int(0);
    expected.End();
    EXPECT_EQ(bytes, expected.str());
    EXPECT_EQ(leaf->ID, 0);

    // The base writer takes the file name as well.
    TStreamSaver* base = TStreamSaver::New(Path("base.zrx"));
    base->SetInput(leaf);
    base->DoIt();
    Free(base);
    EXPECT_EQ(ReadFile(Path("base.zrx")), expected.str());
    Free(leaf);
}

TEST_F(SaverTest, EveryKindIsWrittenByItsRuleAndEmptyValuesAreOmitted) {
    const TClassInfo* cls = TProbe::StaticClass();
    TProbe* probe = TProbe::New();
    probe->Level = 0;  // differs from the constructor value, but 0 is not written
    std::string bytes = Save(probe);
    // Only the character (always) and the write-only object properties (as nil) remain.
    Bytes empty;
    empty.Header().ClassRecord(cls, 0).Int(0).Int(0).Begin();
    for (const char* name : {"NextElement", "ElementToFree", "ElementToRemove", "AddAllFrom"})
        empty.Int(PropIndex(cls, name)).Int(-1);
    empty.Int(PropIndex(cls, "Letter")).Int(0);
    empty.Int(PropIndex(cls, "Victim")).Int(-1);
    empty.End().Int(0).End();
    EXPECT_EQ(bytes, empty.str());

    probe->SetName("p");
    probe->Number = 32768;
    probe->Letter = static_cast<char>(0xE8);  // a Czech letter: its code, not a negative number
    probe->Shade = shBlue;
    probe->Ratio = 2.5;
    probe->Code = std::string(20, 'c');
    probe->Shades = 0b101;
    probe->Text = std::string(256, 't');
    probe->Flag = true;
    probe->Big = 99;
    probe->Unsigned = 0xFFFFFFFFu;
    probe->Level = 127;
    bytes = Save(probe);
    Bytes full;
    full.Header().ClassRecord(cls, 0).Int(0).Int(0).Begin();
    full.Int(PropIndex(cls, "Name")).Str("p");
    for (const char* name : {"NextElement", "ElementToFree", "ElementToRemove", "AddAllFrom"})
        full.Int(PropIndex(cls, name)).Int(-1);
    full.Int(PropIndex(cls, "Number")).Int(32768);
    full.Int(PropIndex(cls, "Letter")).Int(0xE8);
    full.Int(PropIndex(cls, "Shade")).Int(2);
    full.Int(PropIndex(cls, "Ratio")).Float(2.5);
    full.Int(PropIndex(cls, "Code")).Str(std::string(20, 'c'));
    full.Int(PropIndex(cls, "Shades")).Int(5);
    full.Int(PropIndex(cls, "Text")).Str(std::string(256, 't'));
    full.Int(PropIndex(cls, "Flag")).Int(1);
    full.Int(PropIndex(cls, "Unsigned")).Int(-1);
    full.Int(PropIndex(cls, "Victim")).Int(-1);
    full.Int(PropIndex(cls, "Level")).Int(127);
    full.End().Int(0).End();
    EXPECT_EQ(bytes, full.str());
    Free(probe);
}

TEST_F(SaverTest, IntegerAndStringWidths) {
    const TClassInfo* cls = TLeaf::StaticClass();
    int32_t value = PropIndex(cls, "Value");
    struct Case {
        int32_t v;
        std::string enc;
    };
    for (const Case& c : {Case{127, std::string("\x02\x7F", 2)}, Case{128, std::string("\x03\x80\x00", 3)},
                          Case{-129, std::string("\x03\x7F\xFF", 3)}, Case{32768, std::string("\x04\x00\x80\x00\x00", 5)}}) {
        TLeaf* leaf = TLeaf::New();
        leaf->Value = c.v;
        std::string bytes = Save(leaf);
        Bytes record;
        record.Int(0).Int(0).Begin().Int(value).Raw(c.enc).End().Int(0).End();
        EXPECT_EQ(bytes.substr(bytes.size() - record.str().size()), record.str()) << c.v;
        Free(leaf);
    }
    TLeaf* leaf = TLeaf::New(std::string(255, 'n'));
    std::string bytes = Save(leaf);
    EXPECT_NE(bytes.find(std::string("\x06\xFF") + std::string(255, 'n')), std::string::npos);
    leaf->SetName(std::string(256, 'n'));
    bytes = Save(leaf);
    EXPECT_NE(bytes.find(std::string("\x0C\x00\x01\x00\x00", 5) + std::string(256, 'n')), std::string::npos);
    Free(leaf);
}

TEST_F(SaverTest, SharedChildIsWrittenOnceAndListedByBothParents) {
    TProbe* root = TProbe::New("root");
    TProbe* a = TProbe::New("a");
    TProbe* b = TProbe::New("b");
    TLeaf* shared = TLeaf::New("s");
    a->AddElement(shared);
    b->AddElement(shared);
    root->AddElement(a);
    root->AddElement(b);
    Save(root);
    // Children first, the root last: s 0, a 1, b 2, root 3.
    EXPECT_EQ(shared->ID, 0);
    EXPECT_EQ(a->ID, 1);
    EXPECT_EQ(b->ID, 2);
    EXPECT_EQ(root->ID, 3);
    Free(root);
}

TEST_F(SaverTest, ReferenceOutsideTheTreeIsInlineEveryTime) {
    const TClassInfo* probe = TProbe::StaticClass();
    const TClassInfo* leafClass = TLeaf::StaticClass();
    TProbe* root = TProbe::New();
    TProbe* child = TProbe::New();
    root->AddElement(child);
    TLeaf* outside = TLeaf::New("out", 3);
    outside->ID = 1;  // a stale number: the root's own in this file
    child->Link = outside;
    root->Link = outside;
    std::string bytes = Save(root);
    EXPECT_EQ(outside->ID, -1);

    auto nils = [&](Bytes& b) {
        for (const char* name : {"NextElement", "ElementToFree", "ElementToRemove", "AddAllFrom"})
            b.Int(PropIndex(probe, name)).Int(-1);
    };
    auto inlineLeaf = [&](Bytes& b, bool classRecord, int32_t id) {
        b.Int(-2).Begin();
        if (classRecord) b.ClassRecord(leafClass, 1);
        b.Int(1).Int(id).Begin().Int(PropIndex(leafClass, "Name")).Str("out").Int(PropIndex(leafClass, "Value")).Int(3);
        b.End().Int(0).End();
    };
    Bytes expected;
    expected.Header().ClassRecord(probe, 0);
    expected.Int(0).Int(0).Begin();
    nils(expected);
    expected.Int(PropIndex(probe, "Letter")).Int(0).Int(PropIndex(probe, "Link"));
    inlineLeaf(expected, true, 1);
    expected.Int(PropIndex(probe, "Victim")).Int(-1).Int(PropIndex(probe, "Level")).Int(7).End().Int(0);
    expected.Int(0).Int(2).Begin();
    nils(expected);
    expected.Int(PropIndex(probe, "Letter")).Int(0).Int(PropIndex(probe, "Link"));
    inlineLeaf(expected, false, 3);
    expected.Int(PropIndex(probe, "Victim")).Int(-1).Int(PropIndex(probe, "Level")).Int(7).End();
    expected.Int(1).Begin().Int(0).End().End();
    EXPECT_EQ(bytes, expected.str());
    Free(root);
    Free(outside);
}

TEST_F(SaverTest, AFreedReferenceIsWrittenAsNil) {
    TProbe* root = TProbe::New();
    TLeaf* gone = TLeaf::New();
    root->Link = gone;
    Free(gone);
    std::string bytes = Save(root);
    Bytes nil;
    nil.Int(PropIndex(TProbe::StaticClass(), "Link")).Int(-1);
    EXPECT_NE(bytes.find(nil.str()), std::string::npos);
    EXPECT_EQ(bytes.find(std::string("\x02\xFE", 2)), std::string::npos);  // nothing inline
    Free(root);
}

TEST_F(SaverTest, TarvineProfileKeepsItsOwnRules) {
    SetModelFileProfile(TModelFileProfile::Tarvine);
    const TClassInfo* probe = TProbe::StaticClass();
    TProbe* root = TProbe::New();
    root->Shades = 3;
    TLeaf* outside = TLeaf::New("out");
    root->Link = outside;
    std::string bytes = Save(root);
    Bytes expected;
    expected.Header("Tarvine", "1.05").ClassRecord(probe, 0).Int(0).Int(0).Begin();
    for (const char* name : {"NextElement", "ElementToFree", "ElementToRemove", "AddAllFrom"})
        expected.Int(PropIndex(probe, name)).Int(-1);
    // No set; the outside element and the nil references as -1.
    expected.Int(PropIndex(probe, "Letter")).Int(0).Int(PropIndex(probe, "Link")).Int(-1);
    expected.Int(PropIndex(probe, "Victim")).Int(-1).Int(PropIndex(probe, "Other")).Int(-1);
    expected.Int(PropIndex(probe, "Level")).Int(7).Int(PropIndex(probe, "Part")).Int(-1).End().Int(0).End();
    EXPECT_EQ(bytes, expected.str());
    Free(root);
    Free(outside);
}

TEST_F(SaverTest, ReferenceToAnElementWrittenLaterIsWrittenInPlaceAndKeepsItsNumber) {
    TProbe* root = TProbe::New("root");
    TProbe* first = TProbe::New("first");
    TProbe* second = TProbe::New("second");
    root->AddElement(first);
    root->AddElement(second);
    first->Link = second;  // second's record would come after first's
    root->Link = second;
    Save(root);
    TElement* loaded = Load();
    auto* r = As<TProbe>(loaded);
    ASSERT_NE(r, nullptr);
    ASSERT_EQ(r->ElementsCount(), 2);
    auto* f = As<TProbe>(r->Get(0));
    auto* s = As<TProbe>(r->Get(1));
    ASSERT_TRUE(f && s);
    EXPECT_EQ(f->GetName(), "first");
    EXPECT_EQ(s->GetName(), "second");
    EXPECT_EQ(f->Link, s);
    EXPECT_EQ(r->Link, s);
    Free(loaded);
    Free(root);
}

TEST_F(SaverTest, CyclesEndAndAnUnwrittenChildIsReported) {
    TProbe* a = TProbe::New("a");
    TProbe* b = TProbe::New("b");
    a->AddElement(b);
    TEntity* loop = TEntity::New();  // an entity that does not track owners may close a cycle
    b->AddElement(loop);
    loop->AddElement(a);
    a->Link = a;
    b->Link = a;       // refers to an entity whose children are being written
    Save(a);
    EXPECT_EQ(loop->ID, 0);
    EXPECT_EQ(b->ID, 1);
    EXPECT_EQ(a->ID, 2);
    std::vector<std::string> notes = Texts(tm_TextNote);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].substr(0, 3), "a: ");
    EXPECT_EQ(notes[0].back(), '\r');
    TElement* loaded = Load();
    auto* la = As<TProbe>(loaded);
    ASSERT_NE(la, nullptr);
    ASSERT_EQ(la->ElementsCount(), 1);
    auto* lb = As<TProbe>(la->Get(0));
    ASSERT_NE(lb, nullptr);
    ASSERT_EQ(lb->ElementsCount(), 1);
    EXPECT_EQ(lb->Get(0)->ClassName(), "TEntity");
    EXPECT_TRUE(As<TEntity>(lb->Get(0))->NoElements());  // the cycle cannot be kept
    EXPECT_EQ(la->Link, la);  // a reference to the element itself survives
    EXPECT_EQ(lb->Link, nullptr);
    Free(loaded);
    loop->RemoveElement(a);
    Free(a);
}

TEST_F(SaverTest, ProgressOnlyForTreesOfMoreThan500Elements) {
    TProbe* root = TProbe::New();
    for (int i = 0; i < 500; ++i) root->AddElement(TLeaf::New());
    Save(root, "small.zrx");
    EXPECT_TRUE(Texts(tm_ProgressStart).empty());
    root->AddElement(TLeaf::New());
    Save(root, "big.zrx");
    std::vector<std::string> start = Texts(tm_ProgressStart);
    ASSERT_EQ(start.size(), 1u);
    EXPECT_EQ(start[0], Cz("Ukládání modelu do souboru ") + Path("big.zrx") + Cz(" -celkem 501 Elementů"));
    EXPECT_EQ(Texts(tm_ProgressText), std::vector<std::string>{Cz("Uloženo 500 elementů")});
    EXPECT_EQ(Texts(tm_ProgressEnd).size(), 1u);
    Free(root);
}

TEST_F(SaverTest, AChildFreedWhileWritingIsNeitherReadNorListed) {
    static bool registered = false;
    if (!std::exchange(registered, true)) {
        RegisterZarixClass<TFreeing>();
        if (!ZarixClasses->GetClass("TQuickEntity")) RegisterZarixClass<TQuickEntity>();
    }
    // The victim comes after the element that frees it, in an entity that does not
    // track owners, so its place in the list outlives it.
    std::vector<std::function<TElement*()>> victims = {
        [] { return TLeaf::New("leaf"); },
        [] {
            TProbe* p = TProbe::New("entity");
            p->AddElement(TLeaf::New("inside"));
            return p;
        },
    };
    for (size_t v = 0; v < victims.size(); ++v) {
        SCOPED_TRACE(v);
        TQuickEntity* root = TQuickEntity::New();
        TFreeing* freeing = TFreeing::New();
        freeing->Victim = victims[v]();
        root->AddElement(freeing);
        root->AddElement(freeing->Victim);
        Save(root);
        TElement* loaded = Load();
        auto* r = As<TEntity>(loaded);
        ASSERT_NE(r, nullptr);
        ASSERT_EQ(r->ElementsCount(), 1);
        EXPECT_EQ(r->Get(0)->ClassName(), "TFreeing");
        Free(loaded);
        Free(root);
    }
}

TEST_F(SaverTest, AChildAddedWhileTheProgressStartsIsWritten) {
    TProbe* root = TProbe::New();
    for (int i = 0; i < 600; ++i) root->AddElement(TLeaf::New());
    auto collect = Application().OnMessage;
    Application().OnMessage = [&](TMsg& m, bool& handled) {
        TZarixMessage* zm = ElementMessageOf(m.message, m.lParam);
        if (zm && zm->Message == tm_ProgressStart) root->AddElement(TLeaf::New("late"));
        collect(m, handled);
    };
    Save(root);
    Application().OnMessage = collect;
    TElement* loaded = Load();
    auto* r = As<TEntity>(loaded);
    ASSERT_NE(r, nullptr);
    ASSERT_EQ(r->ElementsCount(), 601);
    EXPECT_EQ(r->Get(600)->GetName(), "late");
    Free(loaded);
    Free(root);
}

TEST_F(SaverTest, NothingToSaveOrAFailingWriteLeavesTheOldFile) {
    WriteFile(Path("keep.zrx"), "old");
    TSave* saver = TSave::New(Path("keep.zrx"));
    EXPECT_THROW(saver->DoIt(), Exception);
    Free(saver);
    EXPECT_EQ(ReadFile(Path("keep.zrx")), "old");

    TProbe* root = TProbe::New();
    root->AddElement(TProbe::New());
    TSaver* old = TSaver::New(Path("keep.zrx"));
    EXPECT_THROW(old->DoIt(), Exception);  // no input either
    Free(old);
    EXPECT_EQ(ReadFile(Path("keep.zrx")), "old");

    // A folder that does not exist: the file cannot be made, nothing else changes.
    TSave* nowhere = TSave::New(Path("missing/dir/x.zrx"));
    nowhere->SetInput(root);
    EXPECT_THROW(nowhere->DoIt(), Exception);
    Free(nowhere);
    std::vector<std::string> left;
    for (auto& e : std::filesystem::directory_iterator(dir_)) left.push_back(e.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{"keep.zrx"});

    // Writing over the file fails after some records were written: the old bytes stay.
    TFaulty* faulty = TFaulty::New();
    root->AddElement(faulty);
    Save(root, "keep.zrx");
    std::string good = ReadFile(Path("keep.zrx"));
    faulty->Broken = true;
    TSave* failing = TSave::New(Path("keep.zrx"));
    failing->SetInput(root);
    EXPECT_THROW(failing->DoIt(), Exception);
    Free(failing);
    EXPECT_EQ(ReadFile(Path("keep.zrx")), good);
    root->ResetID();
    TSaver* failingOld = TSaver::New(Path("keep.zrx"));
    failingOld->SetInput(root);
    EXPECT_THROW(failingOld->DoIt(), Exception);
    Free(failingOld);
    EXPECT_EQ(ReadFile(Path("keep.zrx")), good);
    left.clear();
    for (auto& e : std::filesystem::directory_iterator(dir_)) left.push_back(e.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{"keep.zrx"});
    Free(root);
}

TEST_F(SaverTest, OldFormWritesOwnPartsInTheSameOrder) {
    TNameEntity* root = TNameEntity::New();
    root->SetName("root");
    TNameElement* leaf = TNameElement::New();
    root->AddElement(leaf);
    root->ResetID();
    std::string written = SaveOld(root);
    Bytes expected;
    expected.Raw("TPF0").Begin();
    expected.Str("TNameElement").Int(0).Str("TNameElement");
    expected.Str("TNameEntity").Int(1).Begin().Int(0).End().Str("root");
    expected.End();
    EXPECT_EQ(written, expected.str());
    Free(root);
    TSaver* plain = TSaver::New();
    EXPECT_EQ(plain->GetName(), "ZARIX.ZRX");
    Free(plain);
}

TEST_F(SaverTest, CreatedByNameWithFileNameAsEveryNumberedParameter) {
    auto* saver = As<TSave>(CreateElementByName("Save"));
    ASSERT_NE(saver, nullptr);
    EXPECT_EQ(saver->NumberToPropertyName(0), "FileName");
    saver->SetPropertyNumber(7, Path("byname.zrx"));
    EXPECT_EQ(saver->FileName, Path("byname.zrx"));
    TLeaf* leaf = TLeaf::New();
    saver->SetInput(leaf);
    saver->DoIt();
    Free(saver);
    TElement* loaded = Load("byname.zrx");
    EXPECT_NE(As<TLeaf>(loaded), nullptr);
    Free(loaded);
    Free(leaf);
}

}  // namespace
}  // namespace mft
