#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "kernel/class_registry.h"
#include "kernel/kernel.h"
#include "platform/host.h"
#include "test_support.h"

namespace {

class TB : public TElement {
    ZARIX_CLASS(TB, TElement)
};
class TA : public TElement {
    ZARIX_CLASS(TA, TElement)
};
class TC : public TElement {
    ZARIX_CLASS(TC, TElement)
};

int g_commands = 0;

// A class with every kind of property the copy has to judge.
class TRegView : public TNameElement {
    ZARIX_CLASS(TRegView, TNameElement)
    static void Publish(PropertyTable& t) {
        t.Int<TRegView>("Scale", &TRegView::scale, [](TRegView* v, int32_t x) { v->scale = x; });
        t.Int<TRegView>("Scratch", &TRegView::scratch, [](TRegView* v, int32_t x) { v->scratch = x; }).Stored(false);
        t.Int<TRegView>("Command", nullptr, [](TRegView*, int32_t) { ++g_commands; });
        t.Int<TRegView>("Computed", [](TRegView* v) { return v->scale * 2; }, nullptr);
        t.Float<TRegView>("Ratio", &TRegView::ratio, [](TRegView* v, double x) { v->ratio = x; });
        t.Str<TRegView>("Caption", &TRegView::caption, [](TRegView* v, const std::string& x) { v->caption = x; });
        t.Obj<TRegView, TElement>("Link", &TRegView::link, [](TRegView* v, TElement* x) { v->link = x; });
        t.Bool<TRegView>("Visible", &TRegView::visible, [](TRegView* v, bool x) { v->visible = x; })
            .StoredIf<TRegView>([](TRegView* v) { return !v->visible; });
    }
    void Create() override {
        inherited::Create();
        visible = true;
    }
    int32_t scale = 0;
    int32_t scratch = 0;
    double ratio = 0;
    std::string caption;
    TElement* link = nullptr;
    bool visible = false;
};

class EClassTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterKernelClasses();
        static bool registered = false;
        if (!registered) {
            registered = true;
            RegisterZarixClass<TRegView>();
        }
    }
    InstalledHost host_;
};

}  // namespace

TEST_F(EClassTest, RegistrationKeepsEntriesSorted) {
    TZarixClasses* reg = TZarixClasses::New();
    reg->AddClass(TB::StaticClass());
    reg->AddClass(TA::StaticClass());
    reg->AddClass(TC::StaticClass());
    EXPECT_EQ(ChildNames(reg), (std::vector<std::string>{"TA", "TB", "TC"}));
    EXPECT_EQ(reg->Get(0)->ID, 1);
    EXPECT_EQ(reg->Get(1)->ID, 0);
    EXPECT_EQ(reg->Get(2)->ID, 2);
    EXPECT_EQ(reg->LastEntry()->GetName(), "TC");
    EXPECT_TRUE(reg->Get(0)->NoElements());  // no property children without ShowProperties

    // A second entry of an equal name goes right after the first.
    reg->AddClass(TB::StaticClass());
    EXPECT_EQ(ChildNames(reg), (std::vector<std::string>{"TA", "TB", "TB", "TC"}));
    EXPECT_EQ(reg->Get(2)->ID, 3);
    EXPECT_EQ(reg->GetClass("tb"), TB::StaticClass());
    Free(reg);

    // Many names in random order, with repeats and letter case mixed.
    reg = TZarixClasses::New();
    std::mt19937 rng(7);
    std::vector<TClassInfo*> records;
    for (int i = 0; i < 400; ++i) {
        std::string name = "T";
        int len = 1 + static_cast<int>(rng() % 4);
        for (int j = 0; j < len; ++j) name += static_cast<char>((rng() % 2 ? 'a' : 'A') + rng() % 5);
        records.push_back(rtti_detail::NewClassInfo(name.c_str(), TElement::StaticClass(),
                                                    TElement::StaticClass()->NewBlank, sizeof(TElement)));
        reg->AddClass(records.back());
    }
    std::vector<std::string> names = ChildNames(reg);
    ASSERT_EQ(names.size(), 400u);
    for (size_t i = 1; i < names.size(); ++i) ASSERT_LE(AnsiCompareText(names[i - 1], names[i]), 0) << i;
    for (TClassInfo* r : records) {
        TElementClass found = reg->GetClass(AnsiLowerCase(r->Name));
        ASSERT_NE(found, nullptr) << r->Name;
        EXPECT_TRUE(AnsiSameText(found->Name, r->Name));
    }
    Free(reg);
    for (TClassInfo* r : records) delete r;
}

TEST_F(EClassTest, LookupsIgnoreCaseAndOnlyCreationByNameAddsT) {
    EXPECT_EQ(GetZarixClass("tregview"), TRegView::StaticClass());
    EXPECT_EQ(GetZarixClass("RegView"), nullptr);
    EXPECT_EQ(FindZarixClass("TREGVIEW"), TRegView::StaticClass());

    TElement* v = CreateElementByName("regview");
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->ClassType(), TRegView::StaticClass());
    EXPECT_EQ(v->ID, -1);
    Free(v);

    TEntity* e = TEntity::New();
    EXPECT_EQ(e->CreateElement("RegView", "x"), nullptr);
    TElement* made = e->CreateElement("tRegView", "x");
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->GetName(), "x");
    EXPECT_EQ(e->IndexOf(made), 0);
    EXPECT_EQ(e->FindOrCreateElementName(TRegView::StaticClass(), "X"), made);
    Free(e);
    EXPECT_TRUE(HostLog().empty());
}

TEST_F(EClassTest, UnknownClassesAreReported) {
    EXPECT_EQ(CreateElementByName("Nothing"), nullptr);
    ASSERT_EQ(host_.Records().size(), 1u);
    EXPECT_EQ(host_.Records()[0].type, mtError);
    EXPECT_EQ(host_.Records()[0].buttons, TMsgDlgButtons{mbOK});
    EXPECT_EQ(HostLog().back(), Cz("Neregistrovaný element: TNothing"));
    EXPECT_EQ(CreateElementByName("TNothing"), nullptr);
    EXPECT_EQ(HostLog().back(), Cz("Neregistrovaný element: TTNothing"));
    try {
        FindZarixClass("Nothing");
        FAIL() << "no exception";
    } catch (const EClassNotFound& e) {
        EXPECT_EQ(e.Message(), Cz("Zarix nenašel třídu Nothing"));
    }
    EXPECT_EQ(GetZarixClass("Nothing"), nullptr);
}

TEST_F(EClassTest, RegistryEntriesDescribeTheirClasses) {
    ASSERT_NE(ZarixClasses, nullptr);
    EXPECT_TRUE(ZarixClasses->GetShowProperties());
    const TPropInfo* sort = GetPropInfo(ZarixClasses, "SortByName");
    SetOrdProp(ZarixClasses, *sort, 1);
    EXPECT_EQ(GetOrdProp(ZarixClasses, *sort), 0);

    TZarixClass* entry = ZarixClasses->GetZarixClassByName("TRegView");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(ZarixClasses->LastEntry(), entry);
    EXPECT_EQ(entry->GetElementClassName(), "TRegView");
    EXPECT_EQ(entry->GetAncestorClassName(), "TNameElement");
    EXPECT_TRUE(entry->IsClassName("tregview"));
    const TPropList& props = TRegView::StaticClass()->Props;
    ASSERT_EQ(entry->PropCount(), static_cast<int32_t>(props.size()));
    ASSERT_EQ(entry->ElementsCount(), entry->PropCount());
    for (int32_t i = 0; i < entry->PropCount(); ++i) {
        auto* p = As<TZarixClassProperty>(entry->Get(i));
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->GetName(), props[i].Name);
        EXPECT_EQ(p->GetTypeKind(), props[i].Kind());
        EXPECT_EQ(p->PropIndex, 0);
    }
    int32_t scale = entry->PropertyIndex("SCALE");
    ASSERT_GE(scale, 0);
    EXPECT_EQ(entry->GetPropertyName(scale), "Scale");
    EXPECT_EQ(entry->GetPropertyTypeKind(entry->PropertyIndex("Ratio")), tkFloat);
    EXPECT_EQ(entry->PropertyIndex("Nothing"), -1);
    EXPECT_FALSE(entry->GetPropertyStored(entry->PropertyIndex("Scratch")));
    EXPECT_FALSE(entry->GetPropertyStored(entry->PropertyIndex("Command")));
    EXPECT_TRUE(entry->GetPropertyStored(entry->PropertyIndex("Visible")));  // per object: True on the class

    // Indexes are checked against the class's own count.
    EXPECT_THROW(entry->GetPropertyName(entry->PropCount()), ERangeError);
    EXPECT_THROW(entry->GetPropertyTypeKind(-1), ERangeError);
    EXPECT_THROW(entry->GetPropInfo(100), ERangeError);

    TZarixClass* bare = TZarixClass::New();
    EXPECT_EQ(bare->GetElementClassName(), "");
    EXPECT_TRUE(bare->GetPropertyStored(5));  // no table
    Free(bare);
}

TEST_F(EClassTest, CopiesTakeOnlyReadableWritableStoredProperties) {
    auto* v = static_cast<TRegView*>(CreateElementByName("TRegView"));
    TElement* target = TElement::New();
    v->SetName("main");
    v->scale = 7;
    v->scratch = 9;
    v->ratio = 0.25;
    v->caption = Cz("Měřítko");
    v->link = target;
    v->visible = false;
    v->ID = 12;
    g_commands = 0;
    TElement* c = CreateElementCopy(v);
    ASSERT_NE(c, nullptr);
    ASSERT_EQ(c->ClassType(), TRegView::StaticClass());
    auto* copy = static_cast<TRegView*>(c);
    EXPECT_EQ(copy->GetName(), "main");
    EXPECT_EQ(copy->scale, 7);
    EXPECT_EQ(copy->scratch, 0);   // not stored
    EXPECT_EQ(g_commands, 0);      // write-only: never run by a copy
    EXPECT_EQ(copy->ID, -1);       // bookkeeping
    EXPECT_DOUBLE_EQ(copy->ratio, 0.25);
    EXPECT_EQ(copy->caption, Cz("Měřítko"));
    EXPECT_EQ(copy->link, target);  // shared, not copied
    EXPECT_FALSE(copy->visible);
    Free(copy);

    // Per-object stored test: visible is not stored when True, so the default stays.
    v->visible = true;
    TZarixInstance* inst = TZarixInstance::New();
    inst->SetInstance(v);
    EXPECT_FALSE(inst->GetPropertyStored(inst->PropertyIndex("Visible")));
    EXPECT_FALSE(inst->GetPropertyStored(inst->PropertyIndex("ID")));
    TZarixPropValue value;
    inst->GetPropertyValue(inst->PropertyIndex("Caption"), value);
    EXPECT_EQ(value.Kind, tkLString);
    EXPECT_EQ(value.Str, Cz("Měřítko"));
    value.Str = "new";
    inst->SetPropertyValue(inst->PropertyIndex("Caption"), value);
    EXPECT_EQ(v->caption, "new");
    inst->SetInstance(nullptr);
    EXPECT_EQ(inst->CreateInstanceCopy(), nullptr);
    EXPECT_EQ(inst->ElementClass(), nullptr);
    Free(inst);

    // An entity copy takes no children: the child commands are write-only.
    TEntity* e = TEntity::New();
    e->AddElement(TElement::New());
    TElement* ec = CreateElementCopy(e);
    ASSERT_NE(ec, nullptr);
    EXPECT_TRUE(ec->NoElements());
    Free(ec);
    Free(e);
    Free(v);
    Free(target);
}

TEST_F(EClassTest, KernelClassesAreRegistered) {
    for (const char* name : {"TElement", "TNameElement", "TOwnerElement", "TEntity", "TNameEntity", "TOwnerEntity",
                             "TEnvelopeEntity", "TZarixMessage", "TZarixClass", "TZarixClassProperty"})
        EXPECT_NE(GetZarixClass(name), nullptr) << name;
    for (const char* name : {"TAliasElement", "TAliases", "TQuickEntity", "TZarixTextMessage"})
        EXPECT_EQ(GetZarixClass(name), nullptr) << name;
    TElement* m = CreateElementByName("ZarixMessage");
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->GetPropertyStringByName("Message"), "0");
    Free(m);
}

namespace {
// An element whose class record is chosen per object, as for classes made at run time.
class TRunTimeHolder : public TRegView {
public:
    const TClassInfo* cls = nullptr;
    const TClassInfo* ClassType() const override { return cls ? cls : TRegView::StaticClass(); }
};
}  // namespace

TEST_F(EClassTest, RunTimeClassesAreCreatedCopiedAndFoundByName) {
    TClassInfo* ci = rtti_detail::NewClassInfo("RunTimeLayer", TRegView::StaticClass(), TRegView::StaticClass()->NewBlank,
                                               sizeof(TRunTimeHolder));
    ci->NewBlankOf = [](const TClassInfo* c) -> TPersistent* {
        auto* o = new TRunTimeHolder();
        o->cls = c;
        return o;
    };
    PropertyTable table(ci->Props);
    table.Int<TRunTimeHolder>("Scale", [](TRunTimeHolder* o) { return o->scale + 1; },
                              [](TRunTimeHolder* o, int32_t v) { o->scale = v - 1; });  // replaces in place
    table.Str<TRunTimeHolder>("Field", &TRunTimeHolder::caption, [](TRunTimeHolder* o, const std::string& v) { o->caption = v; });
    rtti_detail::FinishClassInfo(ci);
    RegisterRunTimeClass(ci);

    TElementClass found = GetZarixClass("runtimelayer");
    ASSERT_EQ(found, ci);
    EXPECT_EQ(found->Props.back().NameIndex, found->PropCount() - 1);
    TElement* e = static_cast<TElement*>(found->CreateInstance());
    EXPECT_EQ(e->ClassType(), ci);
    EXPECT_TRUE(e->Is<TRegView>());
    e->SetPropertyStringByName("field", "abc");
    e->SetPropertyLongIntByName("Scale", 7);
    TElement* copy = CreateElementCopy(e);
    EXPECT_EQ(copy->ClassType(), ci);
    EXPECT_EQ(copy->GetPropertyStringByName("Field"), "abc");
    EXPECT_EQ(copy->GetPropertyLongIntByName("Scale"), 7);
    Free(copy);
    Free(e);

    TClassInfo* twin = rtti_detail::NewClassInfo("RUNTIMELAYER", TRegView::StaticClass(), nullptr, 0);
    EXPECT_THROW(RegisterRunTimeClass(twin), Exception);
    delete twin;
}

namespace {
class TD : public TElement {
    ZARIX_CLASS(TD, TElement)
};
}  // namespace

// A remembered lookup never answers an entry renamed, taken out or freed since, and a
// name not found before is found once its class is registered; Windows-1250 names in any
// letter case find their entry.
TEST_F(EClassTest, RememberedLookupsFollowTheEntries) {
    std::unique_ptr<TClassInfo> czech(
        rtti_detail::NewClassInfo(Cz("TČára").c_str(), TElement::StaticClass(), TElement::StaticClass()->NewBlank, sizeof(TElement)));
    struct Case {
        const char* what;
        std::function<void(TZarixClasses*, TZarixClass*)> change;
        TElementClass expected;
    };
    const Case cases[] = {
        {"unchanged", [](TZarixClasses*, TZarixClass*) {}, TB::StaticClass()},
        {"renamed", [](TZarixClasses*, TZarixClass* e) { e->SetName("TZ"); }, nullptr},
        {"taken out", [](TZarixClasses* r, TZarixClass* e) { r->RemoveElement(e); Free(e); }, nullptr},
        {"freed", [](TZarixClasses* r, TZarixClass* e) { r->FreeElement(e); }, nullptr},
        {"freed, another of the name added",
         [](TZarixClasses* r, TZarixClass* e) {
             r->FreeElement(e);
             TZarixClass* other = TZarixClass::New();
             other->SetElementClass(TD::StaticClass());
             other->SetName("TB");
             r->AddZarixClass(other);
         },
         TD::StaticClass()},
    };
    for (const Case& c : cases) {
        TZarixClasses* reg = TZarixClasses::New();
        reg->AddClass(TA::StaticClass());
        reg->AddClass(TB::StaticClass());
        reg->AddClass(TC::StaticClass());
        reg->AddClass(czech.get());
        ASSERT_EQ(reg->GetClass("tb"), TB::StaticClass()) << c.what;
        ASSERT_EQ(reg->GetClass("TB"), TB::StaticClass()) << c.what;
        EXPECT_EQ(reg->GetClass("TD"), nullptr) << c.what;
        c.change(reg, reg->GetZarixClassByName("tB"));
        EXPECT_EQ(reg->GetClass("tb"), c.expected) << c.what;
        EXPECT_EQ(reg->GetClass("TB"), c.expected) << c.what;
        EXPECT_EQ(reg->GetClass(AnsiUpperCase(Cz("TČára"))), czech.get()) << c.what;
        EXPECT_EQ(reg->GetClass(AnsiLowerCase(Cz("TČára"))), czech.get()) << c.what;
        EXPECT_EQ(reg->GetClass(Cz("TCára")), nullptr) << c.what;
        reg->AddClass(TD::StaticClass());
        EXPECT_EQ(reg->GetClass("td"), TD::StaticClass()) << c.what;
        Free(reg);
    }
}
