#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kernel/elements.h"
#include "kernel/kernel.h"
#include "kernel/messages.h"
#include "kernel/property_access.h"
#include "platform/forms.h"
#include "platform/host.h"
#include "test_support.h"

namespace {

// Records OnTimer calls in order.
std::vector<std::string>* g_ticks = nullptr;

class TTickElement : public TNameElement {
    ZARIX_CLASS(TTickElement, TNameElement)
    void OnTimer() override {
        if (g_ticks) g_ticks->push_back(GetName());
    }
};

// An owner whose RemoveElement fails.
class TFailingEntity : public TEntity {
    ZARIX_CLASS(TFailingEntity, TEntity)
    void RemoveElement(TElement*) override { throw Exception("remove failed"); }
};

class ElementsTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterKernelClasses();
    }
    void TearDown() override {
        Application().OnMessage = nullptr;
        RemoveQueuedMessages([](TMsg&) { return true; });
    }
    TNameElement* Named(const char* name) { return NewNamed<TNameElement>(name); }
    TOwnerEntity* OwnerEntity(const char* name) { return NewNamed<TOwnerEntity>(name); }
    InstalledHost host_;
};

}  // namespace

TEST_F(ElementsTest, CreationDefaultsAndNames) {
    TElement* e = TElement::New();
    EXPECT_EQ(e->ID, -1);
    EXPECT_EQ(e->GetName(), "TElement");
    TElement* envelope = e->CreateEnvelope();
    EXPECT_EQ(envelope->ID, 0);
    Free(envelope);
    Free(e);

    TNameElement* n = TNameElement::New();
    EXPECT_EQ(n->GetName(), "TNameElement");
    EXPECT_EQ(n->GetInstanceSize(), static_cast<int32_t>(sizeof(TNameElement)) + 1);  // not the class name
    EXPECT_FALSE(n->StoreName());
    n->SetName("Legend");
    EXPECT_TRUE(n->StoreName());
    EXPECT_EQ(n->GetInstanceSize(), static_cast<int32_t>(sizeof(TNameElement)) + 7);
    TElement* copy = n->CreateEnvelope();
    EXPECT_EQ(copy->ClassType(), TNameElement::StaticClass());
    EXPECT_EQ(copy->GetName(), Cz("Obálka: Legend"));
    Free(copy);
    Free(n);

    TNameEntity* ne = TNameEntity::New();
    EXPECT_EQ(ne->GetInstanceSize(), static_cast<int32_t>(sizeof(TNameEntity)));  // no own name
    Free(ne);
}

TEST_F(ElementsTest, AddAndInsertEdgeCases) {
    TOwnerEntity* e = OwnerEntity("E");
    TOwnerElement* x = TOwnerElement::New();
    e->AddElement(nullptr);
    e->InsertElement(0, nullptr);
    EXPECT_TRUE(e->NoElements());
    e->InsertElement(3, x);  // never had a child: nothing happens
    EXPECT_TRUE(e->NoElements());
    EXPECT_EQ(x->GetOwnersCount(), 0);
    EXPECT_EQ(e->Get(0), nullptr);  // creates the empty list
    EXPECT_THROW(e->Get(0), EListError);
    e->InsertElement(0, x);
    EXPECT_EQ(e->IndexOf(x), 0);
    EXPECT_TRUE(x->IsMyOwner(e));
    EXPECT_THROW(e->InsertElement(5, x), EListError);
    Free(e);
    EXPECT_FALSE(IsLive(x));

    // A quick entity never becomes an owner.
    TQuickEntity* q = TQuickEntity::New();
    TOwnerElement* y = TOwnerElement::New();
    q->AddElement(y);
    EXPECT_EQ(y->GetOwnersCount(), 0);
    q->FreeAll();
    EXPECT_FALSE(IsLive(y));
    Free(q);
}

TEST_F(ElementsTest, OwnerListPositions) {
    TOwnerElement* x = TOwnerElement::New();
    TOwnerEntity* a = OwnerEntity("A");
    TOwnerEntity* b = OwnerEntity("B");
    x->AddOwner(a);
    x->PutOwner(0, b);
    EXPECT_EQ(x->GetOwnerEntity(0), b);
    EXPECT_EQ(x->GetOwnerEntity(1), a);
    EXPECT_EQ(x->GetOwnerEntity(2), nullptr);
    EXPECT_EQ(x->FindOwnerName("A"), a);
    EXPECT_EQ(x->FindOwnerName("a"), nullptr);  // case-sensitive
    x->RemoveOwner(b);
    x->RemoveOwner(a);
    EXPECT_TRUE(x->NoOwners());
    Free(x);
    Free(a);
    Free(b);
}

TEST_F(ElementsTest, SharedElementSurvivesFirstOwner) {
    TOwnerEntity* a = OwnerEntity("A");
    TOwnerEntity* b = OwnerEntity("B");
    TOwnerElement* shared = TOwnerElement::New();
    TOwnerEntity* sharedEntity = OwnerEntity("S");
    for (TEntity* owner : {static_cast<TEntity*>(a), static_cast<TEntity*>(b)}) {
        owner->AddElement(shared);
        owner->AddElement(sharedEntity);
    }
    a->FreeAll();
    ASSERT_TRUE(IsLive(shared));
    ASSERT_TRUE(IsLive(sharedEntity));
    EXPECT_TRUE(a->NoElements());
    EXPECT_EQ(shared->GetOwnersCount(), 1);
    EXPECT_EQ(shared->GetOwnerEntity(0), b);
    b->FreeAll();
    EXPECT_FALSE(IsLive(shared));
    EXPECT_FALSE(IsLive(sharedEntity));

    // FreeElement only detaches an element that another owner keeps; freeing the
    // element itself detaches it from every owner.
    TOwnerElement* x = TOwnerElement::New();
    a->AddElement(x);
    b->AddElement(x);
    a->FreeElement(x);
    EXPECT_TRUE(IsLive(x));
    EXPECT_EQ(a->IndexOf(x), -1);
    a->AddElement(x);
    Free(x);

    // An element that is not the entity's child is left alone, also by ElementToFree:
    // a holder that does not track owners keeps a live child.
    TEntity* plain = TEntity::New();
    TElement* kept = TElement::New();
    plain->AddElement(kept);
    for (bool byProperty : {false, true}) {
        if (byProperty) SetObjectProp(a, *GetPropInfo(a, "ElementToFree"), kept);
        else a->FreeElement(kept);
        EXPECT_TRUE(IsLive(kept)) << byProperty;
        EXPECT_EQ(plain->List()->LiveItem(0), kept) << byProperty;
    }
    Free(plain);
    EXPECT_TRUE(a->NoElements());
    EXPECT_TRUE(b->NoElements());
    Free(a);
    Free(b);
}

TEST_F(ElementsTest, ChildListedTwiceIsFreedOnce) {
    // Plain children agree to be freed every time they are asked.
    TEntity* e = TEntity::New();
    TNameElement* n = Named("n");
    e->AddElement(n);
    e->AddElement(Named("m"));
    e->AddElement(n);
    e->FreeAll();
    EXPECT_FALSE(IsLive(n));
    EXPECT_TRUE(e->NoElements());

    n = Named("n");
    e->AddElement(n);
    e->AddElement(n);
    e->HardFreeAll();
    EXPECT_FALSE(IsLive(n));

    n = Named("n");
    TNameElement* m = Named("m");
    e->AddElement(n);
    e->AddElement(m);
    e->AddElement(n);
    e->FreeElement(n);
    EXPECT_FALSE(IsLive(n));
    EXPECT_EQ(ChildNames(e), std::vector<std::string>{"m"});
    e->FreeAll();

    TEntity* inner = TEntity::New();
    n = Named("n");
    inner->AddElement(n);
    inner->AddElement(n);
    e->AddElement(inner);
    e->AddElement(inner);
    e->FastFreeAll();
    EXPECT_FALSE(IsLive(inner));
    EXPECT_FALSE(IsLive(n));
    EXPECT_TRUE(e->NoElements());
    Free(e);

    // An owner-tracking child listed twice has two owner entries: the first visit
    // detaches one, the second frees it.
    TOwnerEntity* o = OwnerEntity("O");
    TOwnerElement* x = TOwnerElement::New();
    o->AddElement(x);
    o->AddElement(x);
    o->FreeAll();
    EXPECT_FALSE(IsLive(x));
    Free(o);
}

TEST_F(ElementsTest, LargeEntitiesLetPendingMessagesThrough) {
    int seen = 0;
    Application().OnMessage = [&](TMsg& m, bool& handled) {
        if (m.message == WM_USER + 7) ++seen;
        handled = true;
    };
    for (int children : {200, 201}) {
        seen = 0;
        TEntity* e = TEntity::New();
        for (int i = 0; i < children; ++i) e->AddElement(TElement::New());
        PostMessage(Application().Handle(), WM_USER + 7, 0, 0);
        Screen().SetCursor(crCross);
        e->FreeAll();
        EXPECT_EQ(Screen().Cursor(), crCross);
        EXPECT_EQ(seen, children > 200 ? 1 : 0) << children;
        EXPECT_EQ(QueuedCount(), children > 200 ? 0u : 1u) << children;
        RemoveQueuedMessages([](TMsg&) { return true; });

        for (int i = 0; i < children; ++i) e->AddElement(TElement::New());
        PostMessage(Application().Handle(), WM_USER + 7, 0, 0);
        seen = 0;
        e->HardFreeAll();
        EXPECT_EQ(seen, children > 200 ? 1 : 0) << children;
        RemoveQueuedMessages([](TMsg&) { return true; });
        Free(e);
    }
    Screen().SetCursor(crDefault);
}

TEST_F(ElementsTest, NameSortedInsertionAndSubEntities) {
    TOwnerEntity* root = OwnerEntity("root");
    root->InsertNameSortedEntity(OwnerEntity("b"));
    root->InsertNameSortedEntity(OwnerEntity("a"));
    TOwnerEntity* capital = OwnerEntity("B");
    root->InsertNameSortedEntity(capital);
    EXPECT_EQ(root->Get(0), capital);  // capitals sort before small letters
    TOwnerEntity* secondB = OwnerEntity("b");
    root->InsertNameSortedEntity(secondB);
    EXPECT_EQ(ChildNames(root), (std::vector<std::string>{"B", "a", "b", "b"}));
    EXPECT_EQ(root->Get(3), secondB);  // equal names go after

    TElement* unnamed = root->CreateSubEntity(TOwnerEntity::StaticClass(), "");
    ASSERT_NE(unnamed, nullptr);
    EXPECT_EQ(unnamed->GetName(), "no name");
    EXPECT_EQ(root->CreateSubEntity(TOwnerEntity::StaticClass(), ""), unnamed);
    EXPECT_EQ(root->CreateSubEntity(TOwnerEntity::StaticClass(), "A"), root->Get(1));  // found, any case
    EXPECT_EQ(ChildNames(root), (std::vector<std::string>{"B", "a", "b", "b", "no name"}));
    Free(root);

    // Among case variants the first in list order is found, Czech letters included.
    TOwnerEntity* layers = OwnerEntity("layers");
    for (const char* name : {"ab", "b", "Ab", "aB", "B", "\xC8\xE1ra", "\xE8\xE1ra 2", "a", "layer 10", "layer 2", "layer 1"})
        layers->InsertNameSortedEntity(OwnerEntity(name));
    struct Case {
        std::string wanted;
        std::string found;
    };
    for (const Case& c : {Case{"AB", "Ab"}, Case{"ab", "Ab"}, Case{"b", "B"}, Case{"A", "a"},
                          Case{"\xE8\xC1RA", "\xC8\xE1ra"}, Case{"\xC8\xC1RA 2", "\xE8\xE1ra 2"}, Case{"abc", ""},
                          Case{"LAYER 1", "layer 1"}, Case{"Layer 10", "layer 10"}, Case{"layer", ""},
                          Case{"layers 1", ""}, Case{"layer 3", ""}}) {
        TElement* found = layers->CreateSubEntity(nullptr, c.wanted);
        EXPECT_EQ(found ? found->GetName() : std::string(), c.found) << c.wanted;
    }
    Free(layers);
}

TEST_F(ElementsTest, WholeCountsOfSharedSubtrees) {
    TOwnerEntity* root = OwnerEntity("root");
    TOwnerEntity* left = OwnerEntity("left");
    TOwnerEntity* right = OwnerEntity("right");
    TOwnerEntity* shared = OwnerEntity("shared");
    for (int i = 0; i < 3; ++i) shared->AddElement(TOwnerElement::New());
    left->AddElement(shared);
    right->AddElement(shared);
    root->AddElement(left);
    root->AddElement(right);
    for (int walk = 0; walk < 3000; ++walk) {
        int32_t previous = BaseID;
        ASSERT_EQ(root->GetWholeCount(), 7) << walk;
        ASSERT_NE(BaseID, previous);
    }
    // A cycle ends too (an entity that does not track owners cannot refuse one).
    TEntity* loop = TEntity::New();
    shared->AddElement(loop);
    loop->AddElement(root);
    EXPECT_EQ(root->GetWholeCount(), 9);
    EXPECT_GT(root->GetWholeSize(), 0);
    loop->RemoveElement(root);
    shared->FreeElement(loop);
    EXPECT_EQ(root->GetWholeCount(), 7);

    // The published WholeCount is not stored: reading it re-marks the tree.
    const TPropInfo* wc = GetPropInfo(root, "WholeCount");
    ASSERT_NE(wc, nullptr);
    EXPECT_FALSE(IsStoredProp(root, *wc));
    EXPECT_EQ(GetOrdProp(root, *wc), 7);
    Free(root);
    EXPECT_FALSE(IsLive(shared));
}

TEST_F(ElementsTest, VisitMarksAreFreshAndNeverMinusOne) {
    for (int i = 0; i < 20000; ++i) {
        int32_t previous = BaseID;
        ResetBaseID();
        ASSERT_NE(BaseID, previous);
        ASSERT_LE(BaseID, -2);
        ASSERT_GE(BaseID, -31999);
    }
    TEntity* e = TEntity::New();
    TElement* child = TElement::New();
    e->AddElement(child);
    e->ResetID();
    EXPECT_EQ(child->ID, BaseID);
    EXPECT_EQ(e->ID, BaseID);
    Free(e);
}

TEST_F(ElementsTest, OnTimerReachesChildrenInOrder) {
    std::vector<std::string> ticks;
    g_ticks = &ticks;
    TEntity* e = TEntity::New();
    e->OnTimer();
    EXPECT_TRUE(ticks.empty());
    for (const char* n : {"one", "two", "three"}) {
        TTickElement* t = TTickElement::New();
        t->SetName(n);
        e->AddElement(t);
    }
    e->OnTimer();
    EXPECT_EQ(ticks, (std::vector<std::string>{"one", "two", "three"}));
    g_ticks = nullptr;
    Free(e);
}

TEST_F(ElementsTest, OwnerEntityDestroyGoesOnAfterAFailingOwner) {
    TEntity* first = TEntity::New();
    TFailingEntity* failing = TFailingEntity::New();
    TEntity* last = TEntity::New();
    TOwnerEntity* x = OwnerEntity("x");
    first->AddElement(x);
    failing->AddElement(x);
    last->AddElement(x);
    Free(x);
    EXPECT_EQ(first->IndexOf(x), -1);  // asked after the failing owner
    EXPECT_EQ(last->IndexOf(x), -1);
    ASSERT_EQ(HostLog().size(), 1u);
    EXPECT_EQ(HostLog()[0], Cz("TOwnerEntity.Destroy: chyba cyklu uvolňování , TFailingEntity : TFailingEntity"));
    failing->Clear();
    Free(first);
    Free(failing);
    Free(last);
}

TEST_F(ElementsTest, BrokenOwnerLinksAreReported) {
    TOwnerEntity* x = OwnerEntity("x");
    x->PutOwner(0, nullptr);
    EXPECT_EQ(x->GetOwnerEntity(0), nullptr);
    TNameElement* notEntity = Named("plain");
    x->PutOwner(0, reinterpret_cast<TEntity*>(notEntity));  // a broken link on purpose
    EXPECT_EQ(x->GetOwnerEntity(0), nullptr);
    TEntity* gone = TEntity::New();
    x->PutOwner(0, gone);
    gone->Clear();
    Free(gone);
    EXPECT_EQ(x->GetOwnerEntity(0), nullptr);
    ASSERT_EQ(HostLog().size(), 3u);
    EXPECT_EQ(HostLog()[0], Cz("TOwnerEntity(x).GetOwner: Objekt vlastníka je prázdný"));
    EXPECT_EQ(HostLog()[1], Cz("TOwnerEntity(x).GetOwner: Objekt vlastníka není TEntity"));
    EXPECT_EQ(HostLog()[2], Cz("TOwnerEntity(x).GetOwner: Chybný objekt vlastníka"));
    ClearHostLog();

    // Owners [gone, plain, nil] are visited last first.
    Free(x);
    ASSERT_EQ(HostLog().size(), 3u);
    EXPECT_EQ(HostLog()[0], Cz("TOwnerEntity.Destroy: Špatný vlastník"));
    EXPECT_EQ(HostLog()[1], Cz("TOwnerEntity.Destroy: Špatný vlastník"));
    EXPECT_EQ(HostLog()[2], Cz("TOwnerEntity.Destroy: chybný vlastník objektu x č.0"));
    Free(notEntity);

    // The diagnostic of the tested element.
    TOwnerElement* y = TOwnerElement::New();
    TEntity* owner = TEntity::New();
    owner->AddElement(y);
    TestedElement = y;
    CheckTestedElement();
    EXPECT_TRUE(HostLog().size() == 3u);
    owner->Clear();
    Free(owner);
    CheckTestedElement();
    EXPECT_EQ(HostLog().back(), Cz("Test ... chyba !!!"));
    TestedElement = nullptr;
    y->RemoveOwner(owner);
    Free(y);
}

TEST_F(ElementsTest, SettingTheHeldElementAgainKeepsIt) {
    TOwnerEntity* e = OwnerEntity("E");
    TOwnerElement* field = nullptr;  // a typed field
    TOwnerElement* first = TOwnerElement::New();
    e->ExchangeFieldElement(field, first);
    e->ExchangeFieldElement(field, first);
    ASSERT_TRUE(IsLive(first));
    EXPECT_EQ(field, first);
    EXPECT_EQ(e->ElementsCount(), 1);
    TOwnerElement* second = TOwnerElement::New();
    e->ExchangeFieldElement(field, second);
    EXPECT_FALSE(IsLive(first));
    EXPECT_EQ(field, second);
    EXPECT_EQ(e->ElementsCount(), 1);
    e->ExchangeFieldElement(field, nullptr);
    EXPECT_FALSE(IsLive(second));
    EXPECT_EQ(field, nullptr);
    EXPECT_TRUE(e->NoElements());

    // Named access through aliases.
    TOwnerElement* legend = TOwnerElement::New();
    e->SetElement("Legend", legend);
    e->SetElement("Legend", legend);
    ASSERT_TRUE(IsLive(legend));
    EXPECT_EQ(e->GetElement("LEGEND"), legend);
    EXPECT_EQ(e->GetElement("E"), nullptr);
    TOwnerElement* other = TOwnerElement::New();
    e->SetElement("Legend", other);
    EXPECT_FALSE(IsLive(legend));
    EXPECT_EQ(e->GetElement("legend"), other);
    e->SetElement("Legend", nullptr);
    EXPECT_FALSE(IsLive(other));
    EXPECT_EQ(e->GetElement("Legend"), nullptr);

    // A target freed another way is forgotten: the name then finds a child of that name.
    TOwnerElement* byName = NewNamed<TOwnerElement>("Legend");
    e->AddElement(byName);
    TOwnerElement* target = TOwnerElement::New();
    e->SetElement("Legend", target);
    EXPECT_EQ(e->GetElement("Legend"), target);
    Free(target);
    EXPECT_EQ(e->GetElement("Legend"), byName);
    target = TOwnerElement::New();
    e->SetElement("Legend", target);
    e->FreeElement(target);
    EXPECT_EQ(e->GetElement("Legend"), byName);
    target = TOwnerElement::New();
    e->SetElement("Legend", target);  // the dead target is not freed again
    EXPECT_EQ(e->GetElement("Legend"), target);
    Free(e);
}

TEST_F(ElementsTest, EnvelopesCopyFreeChildrenAndShareOwnedOnes) {
    TOwnerEntity* owned = OwnerEntity("owned");
    TEntity* e = TEntity::New();
    e->AddElement(Named("free"));
    e->AddElement(owned);  // now owned by e
    TElement* envelope = e->CreateEnvelope();
    ASSERT_EQ(envelope->ClassType(), TEntity::StaticClass());
    auto* env = static_cast<TEntity*>(envelope);
    ASSERT_EQ(env->ElementsCount(), 2);
    EXPECT_NE(env->Get(0), e->Get(0));
    EXPECT_EQ(env->Get(0)->GetName(), Cz("Obálka: free"));
    EXPECT_EQ(env->Get(1), owned);
    EXPECT_EQ(owned->GetOwnersCount(), 2);
    Free(envelope);
    EXPECT_TRUE(IsLive(owned));
    EXPECT_EQ(owned->GetOwnersCount(), 1);
    Free(e);
    EXPECT_FALSE(IsLive(owned));

    // Envelope entities have one owner and look through to it.
    TOwnerEntity* holder = OwnerEntity("holder");
    TEnvelopeEntity* wrap = TEnvelopeEntity::New();
    TOwnerEntity* inner = OwnerEntity("inner");
    holder->AddElement(wrap);
    wrap->AddElement(inner);
    EXPECT_EQ(wrap->Owner(), holder);
    EXPECT_EQ(wrap->GetOwnersCount(), 0);
    EXPECT_EQ(inner->FindOwnerName("holder"), holder);
    EXPECT_EQ(inner->FindOwnerClass(TOwnerEntity::StaticClass()), holder);
    EXPECT_EQ(wrap->FindClassInOwners(TOwnerEntity::StaticClass()), holder);
    EXPECT_EQ(inner->FindClassInOwners(TEnvelopeEntity::StaticClass()), wrap);
    Free(holder);
    EXPECT_FALSE(IsLive(inner));
}

TEST_F(ElementsTest, OwnPartStreaming) {
    TMemoryStream stream;
    TNameEntity* e = TNameEntity::New();
    TNameElement* a = Named("a");
    TNameElement* b = TNameElement::New();
    a->ID = 0;
    b->ID = 1;
    e->ID = 2;
    e->SetName("box");
    e->AddElement(a);
    e->AddElement(a);
    e->Put(1, nullptr);  // a nil entry is written as -1 and skipped on reading
    e->AddElement(b);
    {
        TWriter w(stream);
        b->Save(w);
        e->Save(w);
        TElement::SaveElement(a, w);
        TElement::SaveElement(nullptr, w);
    }
    TQuickEntity* dictionary = TQuickEntity::New();
    dictionary->AddElement(a);
    dictionary->AddElement(b);
    stream.SetPosition(0);
    {
        TReader r(stream);
        EXPECT_EQ(r.ReadString(), "TNameElement");
        TNameElement* b2 = TNameElement::New();
        b2->Load(r, dictionary);
        EXPECT_EQ(b2->ID, 1);
        EXPECT_EQ(b2->GetName(), "TNameElement");  // the class name was written as the name
        EXPECT_TRUE(b2->StoreName());
        Free(b2);
        EXPECT_EQ(r.ReadString(), "TNameEntity");
        TNameEntity* e2 = TNameEntity::New();
        e2->Load(r, dictionary);
        EXPECT_EQ(e2->ID, 2);
        EXPECT_EQ(e2->GetName(), "box");
        EXPECT_EQ(ChildNames(e2), (std::vector<std::string>{"a", "TNameElement"}));
        e2->Clear();
        Free(e2);
        EXPECT_EQ(TElement::LoadElement(r, dictionary), a);
        EXPECT_EQ(TElement::LoadElement(r, dictionary), nullptr);
    }
    dictionary->Clear();
    Free(dictionary);
    Free(e);
}

TEST_F(ElementsTest, PublishedPropertiesAndStoredFlags) {
    const TPropList& props = TEntity::StaticClass()->Props;
    std::vector<std::string> names;
    for (const TPropInfo& p : props) names.push_back(p.Name);
    EXPECT_EQ(names, (std::vector<std::string>{"ID", "Name", "OwnersCount", "Size", "WholeSize", "NextElement",
                                               "ElementToFree", "ElementToRemove", "AddAllFrom", "WholeCount",
                                               "Count", "LastIndex"}));
    TOwnerEntity* e = OwnerEntity("");
    for (const TPropInfo& p : props) {
        bool stored = IsStoredProp(e, p);
        EXPECT_FALSE(stored) << p.Name;  // nameless: nothing of these is stored
    }
    e->SetName("named");
    EXPECT_TRUE(IsStoredProp(e, *GetPropInfo(e, "Name")));
    EXPECT_EQ(e->GetLastPropertyIndex(), static_cast<int32_t>(props.size()) - 1);

    // The write-only commands act on the entity.
    TOwnerEntity* source = OwnerEntity("source");
    TOwnerElement* x = TOwnerElement::New();
    source->AddElement(x);
    SetObjectProp(e, *GetPropInfo(e, "AddAllFrom"), source);
    EXPECT_EQ(e->IndexOf(x), 0);
    SetObjectProp(e, *GetPropInfo(e, "ElementToFree"), x);
    EXPECT_TRUE(IsLive(x));  // source still holds it
    EXPECT_EQ(x->GetOwnersCount(), 1);
    SetObjectProp(e, *GetPropInfo(e, "NextElement"), x);
    SetObjectProp(e, *GetPropInfo(e, "ElementToRemove"), x);
    EXPECT_EQ(e->IndexOf(x), -1);
    EXPECT_EQ(GetOrdProp(e, *GetPropInfo(e, "LastIndex")), -1);
    Free(source);
    EXPECT_FALSE(IsLive(x));
    Free(e);
}

TEST_F(ElementsTest, FreeingLargeSharedTrees) {
    // Two roots share every second branch; each branch shares leaves with the next.
    TOwnerEntity* r1 = OwnerEntity("r1");
    TOwnerEntity* r2 = OwnerEntity("r2");
    std::vector<TOwnerEntity*> branches;
    TOwnerElement* carried = nullptr;
    for (int i = 0; i < 300; ++i) {
        TOwnerEntity* br = OwnerEntity("branch");
        for (int j = 0; j < 20; ++j) br->AddElement(TOwnerElement::New());
        if (carried) br->AddElement(carried);
        carried = static_cast<TOwnerElement*>(br->Get(0));
        r1->AddElement(br);
        if (i % 2 == 0) r2->AddElement(br);
        branches.push_back(br);
    }
    EXPECT_EQ(r1->GetWholeCount(), 300 + 300 * 20 + 299);
    Free(r1);
    for (int i = 0; i < 300; ++i) ASSERT_EQ(IsLive(branches[i]), i % 2 == 0) << i;
    Free(r2);
    for (TOwnerEntity* br : branches) ASSERT_FALSE(IsLive(br));

    // A tree without shared elements freed without asking anyone.
    TEntity* big = TEntity::New();
    for (int i = 0; i < 50; ++i) {
        TEntity* sub = TEntity::New();
        for (int j = 0; j < 200; ++j) sub->AddElement(TNameElement::New());
        big->AddElement(sub);
    }
    big->FastFreeAll();
    EXPECT_TRUE(big->NoElements());
    Free(big);
}

TEST_F(ElementsTest, AFreedSharedChildIsNeverTakenForANewElementAtItsAddress) {
    // Neither entity tracks owners: the first frees the child, the second keeps its address.
    TEntity* first = TEntity::New();
    TEntity* second = TEntity::New();
    TElement* child = TElement::New();
    first->AddElement(child);
    second->AddElement(child);
    void* address = child;
    Free(first);
    std::vector<TElement*> made;
    TElement* reused = nullptr;
    for (int i = 0; i < 1000 && !reused; ++i) {
        made.push_back(TElement::New());
        if (made.back() == address) reused = made.back();
    }
    Free(second);
    for (TElement* e : made) {
        EXPECT_TRUE(IsLive(e));
        Free(e);
    }
    if (!reused) GTEST_SKIP() << "the allocator did not reuse the address";
}

namespace {

std::vector<std::string>* g_handled = nullptr;

class TRecordingEntity : public TOwnerEntity {
    ZARIX_CLASS(TRecordingEntity, TOwnerEntity)
    void HandleMessage(TZarixMessage*&, bool& handled) override {
        if (g_handled) g_handled->push_back(GetName());
        handled = true;
    }
};

}  // namespace

TEST_F(ElementsTest, MessagesToAnEntityAreForgottenBeforeItsChildrenArePumpedOut) {
    std::vector<std::string> handled;
    g_handled = &handled;
    Application().OnMessage = [](TMsg& m, bool& done) {
        if (TZarixMessage* zm = ElementMessageOf(m.message, m.lParam)) {
            if (zm->Receiver) zm->Receiver->HandleMessage(zm, done);
            Free(zm);
        }
    };
    TRecordingEntity* big = NewNamed<TRecordingEntity>("big");
    TRecordingEntity* other = NewNamed<TRecordingEntity>("other");
    for (int i = 0; i < 201; ++i) big->AddElement(TElement::New());
    big->PostMsg(1, big, nullptr, false);
    other->PostMsg(2, other, big, false);
    Free(big);  // pumps the queue while freeing its children
    EXPECT_EQ(handled, std::vector<std::string>{"other"});
    g_handled = nullptr;
    Free(other);
}

TEST_F(ElementsTest, AnEntityNeverHoldsItselfNorAnEntityAboveIt) {
    auto address = [](TElement* e) { return IntToStr(static_cast<int64_t>(reinterpret_cast<uintptr_t>(e))); };
    TOwnerEntity* top = OwnerEntity("top");
    TOwnerEntity* middle = OwnerEntity("middle");
    TOwnerEntity* bottom = OwnerEntity("bottom");
    top->AddElement(middle);
    middle->AddElement(bottom);
    TEnvelopeEntity* envelope = TEnvelopeEntity::New();
    bottom->AddElement(envelope);
    TQuickEntity* quick = TQuickEntity::New();
    envelope->AddElement(quick);
    struct Case {
        TEntity* holder;
        TElement* refused;
    };
    for (Case c : {Case{top, top}, Case{bottom, middle}, Case{bottom, top}, Case{envelope, envelope},
                   Case{envelope, bottom}, Case{envelope, top}, Case{quick, quick}}) {
        int32_t count = c.holder->ElementsCount();
        EXPECT_TRUE(SetPropStringByName(c.holder, "NextElement", address(c.refused)));
        c.holder->InsertElement(0, c.refused);
        c.holder->Put(0, c.refused);
        EXPECT_EQ(c.holder->ElementsCount(), count) << c.holder->GetName() << " " << c.refused->GetName();
        if (count > 0) {
            EXPECT_NE(c.holder->Get(0), c.refused);
        }
    }
    // A sibling's subtree may still be held.
    TOwnerEntity* side = OwnerEntity("side");
    top->AddElement(side);
    bottom->AddElement(side);
    EXPECT_EQ(side->GetOwnersCount(), 2);
    bottom->RemoveElement(side);
    Free(top);
    // Far above: a walk up more entities than it keeps without allocating.
    std::vector<TOwnerEntity*> chain{OwnerEntity("0")};
    for (int i = 1; i < 40; ++i) {
        chain.push_back(OwnerEntity(IntToStr(i).c_str()));
        chain[i - 1]->AddElement(chain[i]);
    }
    for (TOwnerEntity* refused : {chain[0], chain[17], chain[38]}) chain.back()->AddElement(refused);
    EXPECT_EQ(chain.back()->ElementsCount(), 0);
    Free(chain[0]);
}
