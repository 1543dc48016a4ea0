#include <map>

#include "composition/compare_model.h"
#include "composition/database_classes.h"
#include "composition/forest_units.h"
#include "composition/task_groups.h"
#include "kernel/messages.h"
#include "kernel/property_access.h"
#include "modelfile_test_util.h"
#include "quintel/quintel.h"

// Statuses print as numbers in failures.
inline void PrintTo(TCompareStatus s, std::ostream* os) { *os << int(s); }

namespace {

using CompareTest = mft::ModelFileTest;

TOwnerEntity* Tree(const std::string& name, std::initializer_list<TElement*> children) {
    TOwnerEntity* e = TOwnerEntity::New();
    e->SetName(name);
    for (TElement* c : children) e->AddElement(c);
    return e;
}

TElement* Leaf(const std::string& name) {
    TOwnerElement* e = TOwnerElement::New();
    e->SetName(name);
    return e;
}

// Each node's name and status, depth first.
void Collect(TCompareNode* n, std::vector<std::pair<std::string, TCompareStatus>>& out) {
    out.emplace_back(n->GetName(), n->Status);
    TCompareNodes* nodes = n->GetNodes();
    for (int32_t i = 0; i < nodes->ElementsCount(); ++i) Collect(As<TCompareNode>(nodes->Get(i)), out);
}

std::vector<std::pair<std::string, TCompareStatus>> Compare(TCompareModel* m, TElement* a, TElement* b) {
    m->SetModel1(a);
    m->SetModel2(b);
    std::vector<std::pair<std::string, TCompareStatus>> out;
    Collect(m, out);
    return out;
}

TEST_F(CompareTest, ByNamesAndByNameAndClass) {
    TOwnerEntity* left = Tree("root", {Leaf("a"), Tree("b", {Leaf("b1"), Leaf("b2")}), Leaf("c")});
    TOwnerEntity* right = Tree("root", {Leaf("C"), Tree("b", {Leaf("b2"), Leaf("b3")}), Tree("a", {})});
    TOwnerEntity* holder = Tree("holder", {left, right});
    using V = std::vector<std::pair<std::string, TCompareStatus>>;
    struct Case {
        TCompareType type;
        TElement *a, *b;
        V nodes;
    } cases[] = {
        {ctCompareNames, left, left, {{"root", csOK}, {"a", csOK}, {"b", csOK}, {"b1", csOK}, {"b2", csOK}, {"c", csOK}}},
        {ctCompareNames, left, right,
         {{"root", csOK}, {"a", csOK}, {"b", csOK}, {"b1", csRightNotFound}, {"b2", csOK}, {"b3", csLeftNotFound},
          {"c", csOK}}},
        // "a" is an element on the left and an entity on the right.
        {ctCompareNameAndClass, left, right,
         {{"root", csOK}, {"a", csRightNotFound}, {"b", csOK}, {"b1", csRightNotFound}, {"b2", csOK},
          {"b3", csLeftNotFound}, {"c", csOK}, {"a", csLeftNotFound}}},
    };
    for (const Case& k : cases) {
        TCompareModel* m = TCompareModel::New();
        m->CompareType = k.type;
        EXPECT_EQ(Compare(m, k.a, k.b), k.nodes) << k.type;
        // Comparing again replaces the nodes.
        m->SetModel2(k.b);
        std::vector<std::pair<std::string, TCompareStatus>> again;
        Collect(m, again);
        EXPECT_EQ(again, k.nodes);
        Free(m);
    }
    EXPECT_EQ(left->GetOwnersCount(), 1);  // the comparison let go of the trees
    std::vector<std::string> starts = Texts(tm_ProgressStart);
    ASSERT_FALSE(starts.empty());
    EXPECT_EQ(starts.front(), "Comparing elements: ");
    Free(holder);
}

// The compared trees are their maker's: freeing the comparison, or comparing other trees,
// frees only the comparison's own nodes, whether anything else holds the trees or not.
TEST_F(CompareTest, FreeingAComparisonLeavesTheComparedTrees) {
    TOwnerEntity* left = Tree("root", {Leaf("a"), Tree("b", {Leaf("b1")})});
    TOwnerEntity* right = Tree("root", {Leaf("a"), Tree("b", {Leaf("b2")})});
    TOwnerEntity* other = Tree("root", {Leaf("c")});
    struct Case {
        TElement *a, *b;
        bool held;
    } cases[] = {{left, right, false}, {left, left, false}, {left, right, true}};
    for (const Case& k : cases) {
        TOwnerEntity* holder = k.held ? Tree("holder", {left, right}) : nullptr;
        TCompareModel* m = TCompareModel::New();
        Compare(m, k.a, k.b);
        m->SetModel2(other);  // the previous right tree is let go
        m->SetModel2(k.b);
        Free(m);
        for (TOwnerEntity* t : {left, right, other}) {
            ASSERT_TRUE(IsLive(t));
            EXPECT_EQ(t->GetOwnersCount(), k.held && t != other ? 1 : 0);
            EXPECT_EQ(t->ElementsCount(), 2 - (t == other));
        }
        if (holder) {
            holder->RemoveElement(left);
            holder->RemoveElement(right);
            Free(holder);
        }
    }
    for (TOwnerEntity* t : {left, right, other}) Free(t);
}

TEST_F(CompareTest, AllPropertiesWithAClassScript) {
    auto pair = [](const char* name, int32_t v) {
        TIntegerElement* e = TIntegerElement::New(v);
        e->SetName(name);
        return e;
    };
    TOwnerEntity* left = Tree("r", {pair("x", 1), pair("y", 2), Leaf("z")});
    TOwnerEntity* right = Tree("r", {pair("y", 3), pair("X", 1)});
    TOwnerEntity* holder = Tree("holder", {left, right});
    TCompareModel* m = TCompareModel::New();
    m->CompareType = ctCompareAll;
    TCompareClassModels* script = m->GetCompareScript();
    EXPECT_EQ(script->GetName(), "Compare Script");
    auto* entities = As<TCompareClassModel>(TCompareClassModel::New());
    entities->SetEClass(TOwnerEntity::StaticClass());
    script->SetNextItem(entities);
    auto* integers = As<TCompareClassModel>(TCompareClassModel::New());
    integers->SetEClass(TIntegerElement::StaticClass());
    integers->SetNextKeyProperty("Name");
    integers->SetNextProperty("AsInteger");
    script->SetNextItem(integers);
    auto nodes = Compare(m, left, right);
    // z has no class model: the parent says so and z finds no counterpart.
    using V = std::vector<std::pair<std::string, TCompareStatus>>;
    EXPECT_EQ(nodes, (V{{"r", csClassNotFound}, {"x", csOK}, {"y", csDifference}, {"z", csRightNotFound}}));
    auto* y = As<TCompareNode>(m->GetNodes()->Get(1));
    EXPECT_EQ(y->GetErrProps()->GetString(0), "-1");
    EXPECT_EQ(y->GetErrProps()->GetNameAtIndex(0), "AsInteger");
    EXPECT_EQ(y->GetModel2Name(), "y");
    Free(m);
    Free(holder);
}

// The sample's places against a copy with two changed, one removed and one added.
TEST_F(CompareTest, SampleModelAgainstAChangedCopy) {
    auto load = [] {
        TModelScriptCreator* sc = TModelScriptCreator::New();
        sc->SetDataDirectory(SAMPLE_DATA_DIR);
        sc->AddLayerItem("MISTA=ostravsko.gpkg|mista");
        sc->DoIt();
        TElement* script = sc->Output;
        TModelByScriptCreator* mc = TModelByScriptCreator::New();
        mc->SetInput(script);
        mc->DoIt();
        auto* model = As<TRectEntity>(mc->Output);
        Free(mc);
        Free(script);
        Free(sc);
        return model;
    };
    TRectEntity* left = load();
    TRectEntity* right = load();
    ASSERT_NE(left, nullptr);
    TOwnerEntity* holder = Tree("holder", {left, right});
    auto* places = As<TEntity>(right->Get(0));
    ASSERT_EQ(places->ElementsCount(), 200);
    places->Get(5)->SetPropertyStringByName("kraj", "Zmena");
    places->Get(17)->SetPropertyStringByName("stat", "XX");
    std::string removed = places->Get(30)->GetPropertyStringByName("nazev");
    places->FreeElement(places->Get(30));
    TElement* added = CreateElementByName(places->Get(0)->ClassName());
    added->SetPropertyStringByName("nazev", "Nove");
    places->AddElement(added);

    TCompareModel* m = TCompareModel::New();
    m->CompareType = ctCompareAll;
    for (TElementClass cls : {left->ClassType(), left->Get(0)->ClassType(), As<TEntity>(left->Get(0))->Get(0)->ClassType()}) {
        auto* model = As<TCompareClassModel>(TCompareClassModel::New());
        model->SetEClass(cls);
        if (cls == places->Get(0)->ClassType()) {
            model->SetNextKeyProperty("nazev");
            model->SetNextKeyProperty("okres");
            model->SetNextProperty("kraj");
            model->SetNextProperty("stat");
        }
        m->GetCompareScript()->SetNextItem(model);
    }
    m->SetModel1(left);
    m->SetModel2(right);
    std::map<std::string, TCompareStatus> changed;
    auto* string = As<TCompareNode>(m->GetNodes()->Get(0));
    ASSERT_EQ(string->Status, csOK);
    TCompareNodes* nodes = string->GetNodes();
    for (int32_t i = 0; i < nodes->ElementsCount(); ++i) {
        auto* n = As<TCompareNode>(nodes->Get(i));
        if (n->Status == csOK) continue;
        TElement* e = n->GetModel1() ? n->GetModel1() : n->GetModel2();
        changed[e->GetPropertyStringByName("nazev")] = n->Status;
    }
    std::map<std::string, TCompareStatus> expected = {
        {places->Get(5)->GetPropertyStringByName("nazev"), csDifference},
        {places->Get(17)->GetPropertyStringByName("nazev"), csDifference},
        {removed, csRightNotFound},
        {"Nove", csLeftNotFound}};
    EXPECT_EQ(changed, expected);
    EXPECT_EQ(m->ComparedCount(), 1 + 1 + 200);
    Free(m);
    Free(holder);
}

TEST_F(CompareTest, ForestUnitsFindTheirUnitsThroughOwners) {
    TLHC* lhc = TLHC::New();
    TOddeleni* odd = TOddeleni::New();
    TDilec* dil = TDilec::New();
    TPorost* por = TPorost::New();
    TPorostniSkupina* sk = TPorostniSkupina::New();
    lhc->AddElement(odd);
    odd->AddElement(dil);
    dil->AddElement(por);
    por->AddElement(sk);
    EXPECT_EQ(sk->GetPorost(), por);
    EXPECT_EQ(sk->GetDilec(), dil);
    EXPECT_EQ(sk->GetOddeleni(), odd);
    EXPECT_EQ(sk->GetLHC(), lhc);
    EXPECT_EQ(As<TLHC>(GetObjectPropByName(por, "LHC")), lhc);
    TPorostniSkupina* alone = TPorostniSkupina::New();
    dil->AddElement(alone);  // a Dilec above it, but no Porost
    for (const char* link : {"LHC", "Oddeleni", "Dilec", "Porost"})
        EXPECT_EQ(GetObjectPropByName(alone, link), nullptr) << link;
    // The geometry child.
    EXPECT_TRUE(lhc->GetNoGeometry());
    TRectEntity* g = lhc->GetGeometry();
    EXPECT_EQ(g->GetName(), "GEOMETRY");
    EXPECT_EQ(lhc->GetGeometry(), g);
    TRectEntity* other = TRectEntity::New();
    lhc->SetGeometry(other);
    EXPECT_EQ(lhc->GetGeometry(), other);
    EXPECT_EQ(lhc->IndexOf(g), -1);
    Free(lhc);
}

// A member that answers one message number and records what it saw.
class Member : public TOwnerElement {
    ZARIX_CLASS(Member, TOwnerElement)
public:
    int32_t answers = 0;
    int seen = 0;
    void HandleMessage(TZarixMessage*& m, bool& handled) override {
        ++seen;
        handled = m->Message == answers;
    }
};

TEST_F(CompareTest, GroupPassesMessagesToOthersUntilHandled) {
    TGroup* g = TGroup::New();
    Member* a = Member::New();
    Member* b = Member::New();
    Member* c = Member::New();
    b->answers = 7;
    for (Member* m : {a, b, c}) g->AddElement(m);
    TZarixMessage* msg = TZarixMessage::CreateMessage(7, a, g, nullptr, false);
    bool handled = false;
    g->HandleMessage(msg, handled);
    EXPECT_TRUE(handled);
    EXPECT_EQ(a->seen, 0);  // the sender
    EXPECT_EQ(b->seen, 1);
    EXPECT_EQ(c->seen, 0);  // b handled it first
    msg->Message = 8;
    handled = false;
    g->HandleMessage(msg, handled);
    EXPECT_FALSE(handled);
    EXPECT_EQ(a->seen + b->seen + c->seen, 3);
    Free(msg);
    // Task lists keyed by class.
    TTaskModelEntity* tasks = TTaskModelEntity::New();
    tasks->SetNewClassName("TGroup");
    ASSERT_NE(tasks->GetActualTaskModel(), nullptr);
    tasks->GetActualTaskModel()->GetTasks()->AddString("draw");
    EXPECT_EQ(tasks->GetActualTaskModel()->GetTasks()->GetName(), "TASKS");
    EXPECT_EQ(As<TTaskModel>(tasks->GetItemForClass(TGroup::StaticClass()))->GetTasks()->GetString(0), "draw");
    Free(tasks);
    Free(g);
}

}  // namespace

namespace {

// A comparison and a database class stored in a model file and read back.
TEST_F(CompareTest, ModelFilesKeepComparisonsAndDatabaseClasses) {
    TOwnerEntity* root = TOwnerEntity::New();
    TOwnerEntity* left = Tree("t", {Leaf("a"), Leaf("b")});
    TOwnerEntity* right = Tree("t", {Leaf("a")});
    root->AddElement(left);
    root->AddElement(right);
    TCompareModel* m = TCompareModel::New();
    root->AddElement(m);
    m->SetModel1(left);
    m->SetModel2(right);
    TDatabaseClass* db = TDatabaseClass::New();
    db->DataSourceType = dstText;
    db->DataSourcePath = "data";
    db->DataSource = "regions.csv";
    db->AdressField = "KRAJ;OKRES";
    root->AddElement(db);
    TLHC* bare = TLHC::New();  // no geometry yet
    TLHC* shaped = TLHC::New();
    shaped->GetGeometry()->SetMaxX(5);
    root->AddElement(bare);
    root->AddElement(shaped);
    Save(root);
    Free(root);
    TElement* loaded = Load();
    ASSERT_NE(loaded, nullptr);
    auto* back = As<TCompareModel>(As<TEntity>(loaded)->Get(2));
    ASSERT_NE(back, nullptr);
    std::vector<std::pair<std::string, TCompareStatus>> nodes;
    Collect(back, nodes);
    EXPECT_EQ(nodes, (std::vector<std::pair<std::string, TCompareStatus>>{{"t", csOK}, {"a", csOK}, {"b", csRightNotFound}}));
    EXPECT_EQ(back->GetClassCount(TCompareNodes::StaticClass()), 1);
    auto* dbBack = As<TDatabaseClass>(As<TEntity>(loaded)->Get(3));
    ASSERT_NE(dbBack, nullptr);
    EXPECT_EQ(dbBack->DataSourceType, dstText);
    EXPECT_EQ(dbBack->DataSource, "regions.csv");
    EXPECT_EQ(dbBack->AdressField, "KRAJ;OKRES");
    EXPECT_EQ(back->GetClassCount(TTool::StaticClass()), 1);
    auto* shapedBack = As<TLHC>(As<TEntity>(loaded)->Get(5));
    ASSERT_NE(shapedBack, nullptr);
    EXPECT_EQ(shapedBack->ElementsCount(), 1);
    EXPECT_EQ(shapedBack->GetGeometry()->GetMaxX(), 5);
    Free(loaded);
}

}  // namespace
