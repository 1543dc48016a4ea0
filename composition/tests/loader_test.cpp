// The readers: round trips, hand-made files of other class layouts, unsafe numbers, the
// older form and the reader's errors.
#include <algorithm>

#include "interpret/interpret.h"
#include "interpret/models.h"
#include "modelfile_test_util.h"

namespace mft {
namespace {

// Element-valued properties whose setters fail, ignore their value, or place the element
// inside the value.
class TPicky : public TOwnerEntity {
    ZARIX_CLASS(TPicky, TOwnerEntity)
    static void Publish(PropertyTable& t) {
        using C = TPicky;
        t.Obj<C, TElement>("Boom", &C::Kept, [](C*, TElement*) { throw Exception("refused"); });
        t.Obj<C, TElement>("Ignore", &C::Kept, [](C*, TElement*) {});
        t.Obj<C, TEntity>("Parent", &C::Parent, [](C* c, TEntity* v) {
            c->Parent = v;
            if (v) v->AddElement(c);
        });
        t.Obj<C, TElement>("Part", &C::Part, [](C* c, TElement* v) { c->ExchangeFieldElement(c->Part, v); });
    }

public:
    TElement* Kept = nullptr;
    TEntity* Parent = nullptr;
    TElement* Part = nullptr;
};

class LoaderTest : public ModelFileTest {
protected:
    void SetUp() override {
        ModelFileTest::SetUp();
        static bool registered = false;
        if (!registered) RegisterZarixClass<TPicky>();
        registered = true;
    }
};

// Whether some element lies inside its own subtree.
bool HasCycle(TElement* e, std::vector<TElement*>& path) {
    if (std::find(path.begin(), path.end(), e) != path.end()) return true;
    auto* entity = As<TEntity>(e);
    if (!entity) return false;
    path.push_back(e);
    for (int32_t i = 0; i < entity->ElementsCount(); ++i)
        if (HasCycle(entity->Get(i), path)) return true;
    path.pop_back();
    return false;
}
bool HasCycle(TElement* root) {
    std::vector<TElement*> path;
    return HasCycle(root, path);
}

const TClassInfo* Probe() { return TProbe::StaticClass(); }
const TClassInfo* Leaf() { return TLeaf::StaticClass(); }
const TClassInfo* Picky() { return TPicky::StaticClass(); }

// A class record naming the given properties and kinds.
Bytes& Record(Bytes& b, const std::string& cls, int32_t index, std::initializer_list<std::pair<const char*, int>> props) {
    b.Int(-1).Str(cls).Int(index).Begin();
    for (auto& p : props) b.Str(p.first).Int(p.second);
    return b.End();
}

TEST_F(LoaderTest, RoundTripOfEveryKindSharedChildrenAndReferences) {
    TProbe* root = TProbe::New("root");
    root->Number = -70000;
    root->Letter = static_cast<char>(0xE8);
    root->Shade = shGreen;
    root->Ratio = -1.25e300;
    root->Code = "code";
    root->Shades = 6;
    root->Text = std::string(300, 'x');
    root->Flag = true;
    root->Unsigned = 0x80000001u;
    root->Level = 0;  // not written: the constructor's 7 comes back
    TProbe* a = TProbe::New("a");
    TProbe* b = TProbe::New("b");
    TLeaf* shared = TLeaf::New("shared", 42);
    a->AddElement(shared);
    b->AddElement(shared);
    root->AddElement(a);
    root->AddElement(b);
    root->Other = a;   // inside the tree
    b->Link = shared;  // inside the tree, written before
    TLeaf* outside = TLeaf::New("outside", 9);
    a->Link = outside;  // outside: inline, twice
    root->Link = outside;
    Save(root);

    TElement* loaded = Load();
    auto* r = As<TProbe>(loaded);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->GetName(), "root");
    EXPECT_EQ(r->Number, -70000);
    EXPECT_EQ(r->Letter, static_cast<char>(0xE8));
    EXPECT_EQ(r->Shade, shGreen);
    EXPECT_EQ(r->Ratio, -1.25e300);
    EXPECT_EQ(r->Code, "code");
    EXPECT_EQ(r->Shades, 6u);
    EXPECT_EQ(r->Text, std::string(300, 'x'));
    EXPECT_TRUE(r->Flag);
    EXPECT_EQ(r->Unsigned, 0x80000001u);
    EXPECT_EQ(r->Level, 7);
    EXPECT_EQ(r->Big, 0);
    ASSERT_EQ(r->ElementsCount(), 2);
    auto* la = As<TProbe>(r->Get(0));
    auto* lb = As<TProbe>(r->Get(1));
    ASSERT_TRUE(la && lb);
    ASSERT_EQ(la->ElementsCount(), 1);
    ASSERT_EQ(lb->ElementsCount(), 1);
    EXPECT_EQ(la->Get(0), lb->Get(0));  // one element, child of both
    EXPECT_EQ(la->Get(0)->GetOwnersCount(), 2);
    EXPECT_EQ(r->Other, la);
    EXPECT_EQ(lb->Link, lb->Get(0));
    auto* out1 = As<TLeaf>(la->Link);
    auto* out2 = As<TLeaf>(r->Link);
    ASSERT_TRUE(out1 && out2);
    EXPECT_NE(out1, out2);  // written inline twice: two elements
    EXPECT_EQ(out1->Value, 9);
    EXPECT_EQ(out1->ID, -1);
    EXPECT_EQ(out2->GetName(), "outside");
    Free(out1);
    Free(out2);
    Free(loaded);
    Free(root);
    Free(outside);
}

TEST_F(LoaderTest, CheckSetRoundTrip) {
    RegisterPelvarClasses();
    RegisterDeviceClasses();
    RegisterInterpretClasses();
    TInterpretNodeEntity* set = TInterpretNodeEntity::New();
    set->SetName("checks");
    set->SetNoSettings(true);
    TInterpretNode* node = TInterpretNode::New();
    node->SetName("node");
    set->AddElement(node);
    set->SetDynamicModel(true);
    TStringListElement* data = TStringListElement::New();
    data->AddNameString("Layer", "roads");
    data->AddNameString("Limit", "12");
    node->SetDataModel(data);
    TInterpretModelEntity* models = TInterpretModelEntity::New();
    TInterpretModel* m = TInterpretModel::New();
    m->SetName("Kontrola");
    m->ElementClassName = "TRectInterpret";
    m->SetNewPropertyName("NotInside");
    PropertyModelsOf(m)[0]->Value = "TRUE";
    m->SetNewToolName("check");
    m->GetSubModels()[0]->ElementClassName = "TResultTool";
    models->AddElement(m);
    node->SetInterpretModel(models);
    Save(set);
    Free(set);

    TElement* loaded = Load();
    auto* ls = As<TInterpretNodeEntity>(loaded);
    ASSERT_NE(ls, nullptr);
    EXPECT_EQ(ls->GetName(), "checks");
    EXPECT_TRUE(ls->GetNoSettings());
    EXPECT_TRUE(ls->GetDynamicModel());
    ASSERT_EQ(ls->ElementsCount(), 1);
    TInterpretNode* ln = ls->GetInterpretNode(0);
    ASSERT_NE(ln, nullptr);
    EXPECT_TRUE(ln->GetDynamic());
    EXPECT_EQ(ln->ElementsCount(), 2);  // each held model once, not again from the list
    TStringListElement* ld = ln->GetDataModel();
    ASSERT_NE(ld, nullptr);
    EXPECT_EQ(ld->GetStringByName("Layer"), "roads");
    EXPECT_EQ(ld->GetIntegerByName("Limit"), 12);
    TInterpretModelEntity* lm = ln->GetInterpretModel();
    ASSERT_NE(lm, nullptr);
    ASSERT_EQ(lm->GetModels().size(), 1u);
    auto* model = As<TInterpretModel>(lm->GetModels()[0]);
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->GetName(), "Kontrola");
    ASSERT_EQ(model->GetPropertyModels().size(), 1u);
    EXPECT_EQ(model->GetPropertyModels()[0]->GetName(), "NotInside");
    ASSERT_EQ(model->GetSubModels().size(), 1u);
    EXPECT_EQ(model->GetSubModels()[0]->ElementClassName, "TResultTool");

    // The loaded models still make their interprets.
    TInterpretModelToIntrepretScript* conv = TInterpretModelToIntrepretScript::New();
    conv->SetInput(lm);
    conv->DoIt();
    auto* script = As<TInterpretScript>(conv->Output);
    ASSERT_NE(script, nullptr);
    ASSERT_EQ(script->GetInterprets().size(), 1u);
    std::vector<TInterpret*> chain = script->GetInterprets()[0]->GetSubInterprets();
    ASSERT_EQ(chain.size(), 1u);
    EXPECT_TRUE(chain[0]->NotInside);
    EXPECT_EQ(chain[0]->ToolsCount(), 1);
    Free(script);
    Free(conv);
    Free(loaded);
}

TEST_F(LoaderTest, ChangedClassLayouts) {
    // Text stored as a short string, Number as a float, a property since removed, Level
    // missing, and the properties in another order.
    Bytes b;
    b.Header();
    Record(b, "TPROBE", 0, {{"Text", 5}, {"Number", 4}, {"Gone", 1}, {"Flag", 3}, {"Name", 10}});
    b.Int(0).Int(0).Begin().Int(0).Str("short").Int(1).Float(3.0).Int(2).Int(5).Int(3).Int(1).Int(4).Str("n").End().Int(0);
    b.End();
    TElement* loaded = LoadBytes(b.str());
    auto* p = As<TProbe>(loaded);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->Text, "short");
    EXPECT_EQ(p->Number, 0);  // another kind: not applied
    EXPECT_TRUE(p->Flag);
    EXPECT_EQ(p->GetName(), "n");
    EXPECT_EQ(p->Level, 7);
    Free(loaded);
}

TEST_F(LoaderTest, UnknownClassesKeepEveryPositionInPlace) {
    Bytes b;
    b.Header();
    Record(b, "TGone", 0, {{"Link", 7}, {"Value", 1}});
    Record(b, "TLeaf", 1, {{"Name", 10}, {"Value", 1}});
    // 0: unknown, with an inline element of an unknown property and a child list.
    b.Int(0).Int(0).Begin().Int(0).Int(-2).Begin().Int(1).Int(1).Begin().End().Int(0).End();
    b.Int(1).Int(99).End().Int(1).Begin().Int(0).End();
    // 2: a leaf; 3: the root, holding positions 2 and 0 (nothing there).
    b.Int(1).Int(2).Begin().Int(0).Str("leaf").Int(1).Int(4).End().Int(0);
    Record(b, "TProbe", 2, {{"Link", 7}, {"Name", 10}});
    b.Int(2).Int(3).Begin().Int(0).Int(2).Int(1).Str("root").End().Int(1).Begin().Int(2).Int(0).Int(1).End();
    b.End();
    TElement* loaded = LoadBytes(b.str());
    auto* root = As<TProbe>(loaded);
    ASSERT_NE(root, nullptr);
    ASSERT_EQ(root->ElementsCount(), 1);
    auto* leaf = As<TLeaf>(root->Get(0));
    ASSERT_NE(leaf, nullptr);
    EXPECT_EQ(leaf->GetName(), "leaf");
    EXPECT_EQ(leaf->Value, 4);
    EXPECT_EQ(root->Link, leaf);
    Free(loaded);
}

TEST_F(LoaderTest, NumbersAreUsedOnlyWhereTheyAreValid) {
    int32_t shade = PropIndex(Probe(), "Shade");
    int32_t shades = PropIndex(Probe(), "Shades");
    int32_t letter = PropIndex(Probe(), "Letter");
    int32_t link = PropIndex(Probe(), "Link");
    int32_t other = PropIndex(Probe(), "Other");
    int32_t number = PropIndex(Probe(), "Number");
    int32_t text = PropIndex(Probe(), "Text");
    Bytes b;
    b.Header().ClassRecord(Leaf(), 0).ClassRecord(Probe(), 1);
    b.Int(0).Int(0).Begin().End().Int(0);  // 0: a leaf
    // 1: the root; values out of range, a reference to itself, to nothing and to an
    // element of the wrong class, a failing setter, children after it, twice, itself.
    b.Int(1).Int(1).Begin();
    b.Int(number).Int(666).Int(shade).Int(3).Int(shades).Int(8).Int(letter).Int(256);
    b.Int(link).Int(5).Int(other).Int(0).Int(text).Str("kept").Int(text).Str("again");
    b.End().Int(1).Begin().Int(0).Int(0).Int(1).Int(7).Int(-5).End();
    b.End();
    TElement* loaded = LoadBytes(b.str());
    auto* root = As<TProbe>(loaded);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->Number, 0);
    EXPECT_EQ(root->Shade, shRed);
    EXPECT_EQ(root->Shades, 0u);
    EXPECT_EQ(root->Letter, 0);
    EXPECT_EQ(root->Link, nullptr);
    EXPECT_EQ(root->Other, nullptr);
    EXPECT_EQ(root->Text, "kept");
    ASSERT_EQ(root->ElementsCount(), 1);
    EXPECT_NE(As<TLeaf>(root->Get(0)), nullptr);
    Free(loaded);
}

TEST_F(LoaderTest, WriteOnlyPropertiesAreNeverApplied) {
    int32_t command = PropIndex(Probe(), "Command");
    int32_t victim = PropIndex(Probe(), "Victim");
    int32_t next = PropIndex(Probe(), "NextElement");
    Bytes b;
    b.Header().ClassRecord(Leaf(), 0).ClassRecord(Probe(), 1);
    b.Int(0).Int(0).Begin().End().Int(0);
    b.Int(1).Int(1).Begin().Int(next).Int(0).Int(command).Int(1).Int(victim).Int(0).End();
    b.Int(1).Begin().Int(0).End();
    b.End();
    TElement* loaded = LoadBytes(b.str());
    auto* root = As<TProbe>(loaded);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->Commands, 0);
    ASSERT_EQ(root->ElementsCount(), 1);  // not freed by Victim, not added twice
    Free(loaded);
}

TEST_F(LoaderTest, ChildMadeByASetterIsNotAddedAgainByTheChildrenList) {
    TProbe* root = TProbe::New();
    TLeaf* part = TLeaf::New("part");
    root->ExchangeFieldElement(root->Part, static_cast<TElement*>(part));
    Save(root);
    TElement* loaded = Load();
    auto* r = As<TProbe>(loaded);
    ASSERT_NE(r, nullptr);
    ASSERT_EQ(r->ElementsCount(), 1);
    EXPECT_EQ(r->Part, r->Get(0));
    EXPECT_EQ(r->Part->GetOwnersCount(), 1);
    Free(loaded);
    Free(root);
}

TEST_F(LoaderTest, OnlyElementsTheRootDoesNotReachAreFreed) {
    int32_t link = PropIndex(Probe(), "Link");
    int32_t name = PropIndex(Leaf(), "Name");
    Bytes b;
    b.Header().ClassRecord(Leaf(), 0).ClassRecord(Probe(), 1);
    b.Int(0).Int(0).Begin().Int(name).Str("c").End().Int(0);     // 0: c
    b.Int(1).Int(1).Begin().End().Int(1).Begin().Int(0).End();   // 1: x, holding c, reached by nothing
    b.Int(1).Int(2).Begin().Int(link).Int(0).End().Int(0);       // 2: the root, Link -> c
    b.End();
    std::vector<TElement*> made;
    auto* root = As<TProbe>(LoadKeeping(b.str(), made));
    ASSERT_NE(root, nullptr);
    ASSERT_EQ(made.size(), 3u);
    EXPECT_FALSE(IsLive(made[1]));  // x is freed ...
    ASSERT_TRUE(IsLive(made[0]));   // ... without c, which the root refers to
    ASSERT_EQ(root->Link, made[0]);
    EXPECT_EQ(root->Link->GetName(), "c");
    EXPECT_EQ(root->Link->GetOwnersCount(), 0);
    Free(root->Link);
    Free(root);

    // Values that a setter refused or ignored are freed, inline or named by position.
    int32_t boom = PropIndex(Picky(), "Boom");
    int32_t ignore = PropIndex(Picky(), "Ignore");
    Bytes p;
    p.Header().ClassRecord(Leaf(), 0).ClassRecord(Picky(), 1);
    p.Int(0).Int(0).Begin().End().Int(0);  // 0: a leaf, named by Ignore
    p.Int(1).Int(1).Begin();
    p.Int(boom).Int(-2).Begin().Int(0).Int(2).Begin().End().Int(0).End();
    p.Int(ignore).Int(0).End().Int(0);
    p.End();
    TElement* picky = LoadKeeping(p.str(), made);
    ASSERT_NE(As<TPicky>(picky), nullptr);
    ASSERT_EQ(made.size(), 3u);
    EXPECT_FALSE(IsLive(made[0]));
    EXPECT_FALSE(IsLive(made[2]));
    EXPECT_EQ(As<TPicky>(picky)->Kept, nullptr);
    Free(picky);
}

TEST_F(LoaderTest, AReferenceToItselfIsKeptButNeverMakesItsOwnChild) {
    // The record being read names itself as its link and as its sub-object.
    int32_t part = PropIndex(Probe(), "Part");
    int32_t link = PropIndex(Probe(), "Link");
    Bytes self;
    self.Header().ClassRecord(Probe(), 0);
    self.Int(0).Int(0).Begin().Int(link).Int(0).Int(part).Int(0).End().Int(0).End();
    auto* root = As<TProbe>(LoadBytes(self.str()));
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->Link, root);
    EXPECT_EQ(root->IndexOf(root), -1);
    EXPECT_FALSE(HasCycle(root));
    Free(root);

    // An inline record names the record that encloses it.
    Bytes inner;
    inner.Header().ClassRecord(Probe(), 0);
    inner.Int(0).Int(1).Begin().Int(part).Int(-2).Begin();
    inner.Int(0).Int(0).Begin().Int(part).Int(0).Int(link).Int(0).End().Int(0);
    inner.End().End().Int(0).End();
    root = As<TProbe>(LoadBytes(inner.str()));
    ASSERT_NE(root, nullptr);
    auto* sub = As<TProbe>(root->Part);
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(root->ElementsCount(), 1);
    EXPECT_EQ(sub->Link, root);
    EXPECT_EQ(sub->IndexOf(root), -1);
    EXPECT_FALSE(HasCycle(root));
    Free(root);
}

TEST_F(LoaderTest, ASetterThatPutsTheElementInsideItsOwnSubtreeIsUndone) {
    // 0: p; 1: the root, placed into p by Parent, then taking p as its part and child.
    int32_t parent = PropIndex(Picky(), "Parent");
    int32_t part = PropIndex(Picky(), "Part");
    Bytes b;
    b.Header().ClassRecord(Probe(), 0).ClassRecord(Picky(), 1);
    b.Int(0).Int(0).Begin().End().Int(0);
    b.Int(1).Int(1).Begin().Int(parent).Int(0).Int(part).Int(0).End().Int(1).Begin().Int(0).End();
    b.End();
    std::vector<TElement*> made;
    auto* root = As<TPicky>(LoadKeeping(b.str(), made));
    ASSERT_NE(root, nullptr);
    auto* p = As<TProbe>(made[0]);
    ASSERT_NE(p, nullptr);
    EXPECT_FALSE(HasCycle(root));
    EXPECT_FALSE(HasCycle(p));
    EXPECT_EQ(root->ElementsCount(), 0);  // neither the setter's link nor the list's
    EXPECT_EQ(p->IndexOf(root), 0);
    EXPECT_EQ(root->Part, p);             // kept as a plain reference
    FreeLoadedElements(made);
}

TEST_F(LoaderTest, RootIsTheLastTopLevelRecordNotTheLastInlineOne) {
    TProbe* root = TProbe::New("root");
    TLeaf* outside = TLeaf::New("outside");
    root->Link = outside;
    Save(root);
    TElement* loaded = Load();
    auto* r = As<TProbe>(loaded);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->GetName(), "root");
    ASSERT_NE(As<TLeaf>(r->Link), nullptr);
    EXPECT_EQ(r->Link->ID, -1);
    Free(r->Link);
    Free(loaded);
    Free(root);
    Free(outside);
}

TEST_F(LoaderTest, ChildrenThatCannotKnowTheirOwnersGetOneParent) {
    // A plain element held by two plain entities would be freed by both.
    TEntity* root = TEntity::New();
    TEntity* a = TEntity::New();
    TEntity* b = TEntity::New();
    TNameElement* plain = TNameElement::New();
    a->AddElement(plain);
    b->AddElement(plain);
    root->AddElement(a);
    root->AddElement(b);
    Save(root);
    TElement* loaded = Load();
    auto* r = As<TEntity>(loaded);
    ASSERT_NE(r, nullptr);
    ASSERT_EQ(r->ElementsCount(), 2);
    EXPECT_EQ(As<TEntity>(r->Get(0))->ElementsCount(), 1);
    EXPECT_EQ(As<TEntity>(r->Get(1))->ElementsCount(), 0);
    Free(loaded);
    b->Clear();
    Free(root);
}

TEST_F(LoaderTest, TarvineFilesAreReadToo) {
    SetModelFileProfile(TModelFileProfile::Tarvine);
    TProbe* root = TProbe::New("t");
    root->Shades = 2;
    root->AddElement(TLeaf::New("child", 1));
    std::string bytes = Save(root);
    EXPECT_EQ(bytes.substr(4, 9), "\x06\x07Tarvine");
    SetModelFileProfile(TModelFileProfile::Oskelt);
    TElement* loaded = Load();
    auto* r = As<TProbe>(loaded);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->Shades, 0u);  // never written by this profile
    EXPECT_EQ(r->Link, nullptr);
    ASSERT_EQ(r->ElementsCount(), 1);
    EXPECT_EQ(As<TLeaf>(r->Get(0))->Value, 1);
    Free(loaded);
    Free(root);
}

TEST_F(LoaderTest, HandMadeFilesReadExactly) {
    const char* data = std::getenv("SUITE_TEST_DATA");
    std::string dir = data ? data : std::filesystem::path(__FILE__).parent_path().string() + "/data";

    TStreamLoader* loader = TStreamLoader::New(dir + "/probe.zrx");  // the base reader
    loader->DoIt();
    auto* root = As<TProbe>(loader->Output);
    Free(loader);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->GetName(), Cz("Kořen"));
    EXPECT_EQ(root->Number, 300);
    EXPECT_EQ(root->Ratio, 0.5);
    EXPECT_EQ(root->Shade, shBlue);
    ASSERT_EQ(root->ElementsCount(), 2);
    auto* first = As<TLeaf>(root->Get(0));
    auto* second = As<TLeaf>(root->Get(1));
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->GetName(), "first");
    EXPECT_EQ(second->Value, -1);
    auto* link = As<TLeaf>(root->Link);
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->GetName(), "inline");
    EXPECT_EQ(link->ID, -1);
    Free(link);
    Free(root);

    // The older form through the same reader.
    TLoad* old = TLoad::New(dir + "/old.zrx");
    old->DoIt();
    auto* entity = As<TNameEntity>(old->Output);
    Free(old);
    ASSERT_NE(entity, nullptr);
    EXPECT_EQ(entity->GetName(), "root");
    ASSERT_EQ(entity->ElementsCount(), 2);
    EXPECT_EQ(entity->Get(0)->GetName(), "one");
    EXPECT_EQ(entity->Get(1)->GetName(), "two");
    Free(entity);
}

TEST_F(LoaderTest, OlderFormErrorsShowTheirBoxesAndLeaveNoResult) {
    Bytes b;
    b.Raw("TPF0").Begin().Str("TNameElement").Int(0).Str("one").Str("TNowhere").Int(1).End();
    WriteFile(Path("old.zrx"), b.str());
    TLoader* loader = TLoader::New();
    loader->SetName(Path("old.zrx"));
    loader->DoIt();
    EXPECT_EQ(loader->Output, nullptr);
    ASSERT_FALSE(HostLog().empty());
    EXPECT_EQ(HostLog().back(), Cz("Neregistrovaný element: TNowhere"));
    Free(loader);

    Bytes cut;
    cut.Raw("TPF0").Begin().Str("TNameElement").Int(0).Str("one");
    cut.Str("TNameEntity").Int(1).Begin().Int(3).End().Str("x").End();  // no element 3
    WriteFile(Path("old.zrx"), cut.str());
    TLoad* load = TLoad::New(Path("old.zrx"));
    load->DoIt();
    EXPECT_EQ(load->Output, nullptr);
    EXPECT_EQ(HostLog().back(), Cz("Chyba při čtení elementu: TNameEntity"));
    Free(load);
}

TEST_F(LoaderTest, ReaderErrorsAndTheirTexts) {
    TLoad* loader = TLoad::New(std::string());
    try {
        loader->DoIt();
        ADD_FAILURE();
    } catch (const EBadStreamName& e) {
        EXPECT_EQ(e.Message(), Cz("Chybné jméno souboru :  !"));
    }
    loader->FileName = Path("none.zrx");
    try {
        loader->DoIt();
        ADD_FAILURE();
    } catch (const EBadStream& e) {
        EXPECT_EQ(e.Message(), Cz("Soubor ") + Path("none.zrx") + Cz(" neexistuje!"));
    }
    WriteFile(Path("odd.zrx"), "ABCD and more");
    loader->FileName = Path("odd.zrx");
    try {
        loader->DoIt();
        ADD_FAILURE();
    } catch (const EBadStream& e) {
        EXPECT_EQ(e.Message(), Path("odd.zrx") + Cz(" ... neznámý typ souboru"));
    }
    WriteFile(Path("odd.zrx"), "Z");
    EXPECT_THROW(loader->DoIt(), EReadError);
    Bytes empty;
    empty.Header().End();
    WriteFile(Path("odd.zrx"), empty.str());
    EXPECT_THROW(loader->DoIt(), EListError);
    EXPECT_EQ(loader->Output, nullptr);
    Free(loader);
}

TEST_F(LoaderTest, ProgressAndCursor) {
    TProbe* root = TProbe::New();
    for (int i = 0; i < 300; ++i) root->AddElement(TLeaf::New("leaf", i));
    Save(root);
    numbers_.clear();
    texts_.clear();
    TElement* loaded = Load();
    std::vector<std::string> start = Texts(tm_ProgressStart);
    ASSERT_EQ(start.size(), 1u);
    EXPECT_EQ(start[0], Cz("Načítání modelu ze souboru ") + Path("model.zrx"));
    std::vector<std::string> steps = Texts(tm_ProgressText);
    ASSERT_FALSE(steps.empty());
    for (const std::string& text : steps) {
        int64_t pos = std::stoll(text);
        EXPECT_EQ(pos % 200, 0);
        EXPECT_NE(text.find(Cz(" bytů z celkových ")), std::string::npos);
    }
    EXPECT_EQ(Texts(tm_ProgressEnd).size(), 1u);
    EXPECT_EQ(Screen().Cursor(), crDefault);
    EXPECT_EQ(As<TEntity>(loaded)->ElementsCount(), 300);
    Free(loaded);
    Free(root);
}

}  // namespace
}  // namespace mft
