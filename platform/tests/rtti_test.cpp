#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "platform/rtti.h"
#include "platform/sysutils.h"

namespace {

class TBase : public TPersistent {
    ZARIX_CLASS(TBase, TPersistent)
    static void Publish(PropertyTable& t) {
        t.Int<TBase>("Count", &TBase::count, &TBase::SetCount);
        t.Str<TBase>("Label", &TBase::label, nullptr);
        t.Bool<TBase>("Flag", &TBase::flag, &TBase::SetFlag).Stored(false);
    }
    int count = 0;
    std::string label;
    bool flag = false;
    void Create() override { count = 5; label = "base"; }
    void SetCount(int v) { count = v; }
    void SetFlag(bool v) { flag = v; }
};

class TDerived : public TBase {
    ZARIX_CLASS(TDerived, TBase)
    static void Publish(PropertyTable& t) {
        t.Float<TDerived>("Scale", &TDerived::scale, &TDerived::SetScale);
        t.Str<TDerived>("Label", &TDerived::label, &TDerived::SetLabel);  // redeclared
        t.Obj<TDerived, TBase>("Link", &TDerived::link, nullptr);
        t.Int<TDerived>("Command", nullptr, &TDerived::SetCount);
    }
    double scale = 0;
    TBase* link = nullptr;
    void SetScale(double v) { scale = v; }
    void SetLabel(const std::string& v) { label = v; }
};

class TPlain : public TDerived {
    ZARIX_CLASS(TPlain, TDerived)
};

}  // namespace

TEST(Rtti, TableOrderAndRedeclaredNames) {
    const TPropList& props = TDerived::StaticClass()->Props;
    ASSERT_EQ(props.size(), 6u);
    EXPECT_EQ(props[0].Name, "Count");
    EXPECT_EQ(props[1].Name, "Label");  // replaced in place
    EXPECT_TRUE(props[1].HasWriter());
    EXPECT_EQ(props[3].Name, "Scale");
    EXPECT_EQ(props[5].NameIndex, 5);
    EXPECT_TRUE(props[5].WriteOnly);
    EXPECT_FALSE(props[5].HasReader());
    // A class without its own Publish inherits the table unchanged.
    EXPECT_EQ(TPlain::StaticClass()->Props.size(), 6u);
    EXPECT_FALSE(TBase::StaticClass()->FindProp("flag")->StoredOnClass());
}

TEST(Rtti, CreationAndClassTests) {
    TPersistent* o = TDerived::StaticClass()->CreateInstance();
    EXPECT_TRUE(IsLive(o));
    EXPECT_EQ(o->ClassName(), "TDerived");
    EXPECT_TRUE(o->Is<TBase>());
    auto* d = As<TDerived>(o);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->count, 5);
    TPersistent* blank = TDerived::StaticClass()->NewBlank();
    EXPECT_EQ(static_cast<TDerived*>(blank)->count, 0);
    Free(blank);
    Free(o);
    EXPECT_FALSE(IsLive(o));
    EXPECT_EQ(LiveObjectAt(reinterpret_cast<uintptr_t>(o)), nullptr);
}

TEST(Rtti, AccessByKind) {
    TDerived* d = TDerived::New();
    const TPropInfo* scale = GetPropInfo(d, "SCALE");
    ASSERT_NE(scale, nullptr);
    SetFloatProp(d, *scale, 2.5);
    EXPECT_DOUBLE_EQ(GetFloatProp(d, *scale), 2.5);
    const TPropInfo* cmd = GetPropInfo(d, "Command");
    SetOrdProp(d, *cmd, 9);
    EXPECT_EQ(d->count, 9);
    EXPECT_EQ(GetOrdProp(d, *cmd), 0);  // write-only reads nothing
    EXPECT_FALSE(IsStoredProp(d, *cmd));
    EXPECT_EQ(GetEnumValue(TypeInfoBoolean(), "true"), 1);
    EXPECT_EQ(GetEnumValue(TypeInfoBoolean(), "yes"), -1);
    EXPECT_EQ(GetEnumName(TypeInfoBoolean(), 2), "");
    const TTypeInfo* e = MakeEnumType("TColorKind", {"ckRed", "ckGreen", "ckBlue"});
    EXPECT_EQ(SetTypeMask(MakeSetType("TColorKinds", e)), 7u);
    Free(d);
}

namespace {

int g_released = 0;

// Makes a part, then fails: what Create made must be released.
class TFailing : public TPersistent {
    ZARIX_CLASS(TFailing, TPersistent)
    int* part = nullptr;
    void Create() override {
        part = new int(7);
        throw std::runtime_error("cannot create");
    }
    void Destroy() override {
        delete part;
        part = nullptr;
        ++g_released;
    }
};

}  // namespace

TEST(Rtti, FailedCreateReleasesWhatItMade) {
    g_released = 0;
    EXPECT_THROW(TFailing::New(), std::runtime_error);
    EXPECT_THROW(TFailing::StaticClass()->CreateInstance(), std::runtime_error);
    EXPECT_EQ(g_released, 2);
}

// Many objects made and freed in waves: the live set grows, reuses freed slots and
// answers for each address exactly while its object lives.
TEST(Rtti, LiveSetFollowsManyObjects) {
    std::vector<TPersistent*> objs;
    for (int wave = 0; wave < 3; ++wave) {
        for (int i = 0; i < 5000; ++i) objs.push_back(TBase::New());
        for (size_t i = 0; i < objs.size(); i += 2) {
            Free(objs[i]);
            objs[i] = nullptr;
        }
        std::vector<TPersistent*> kept;
        for (TPersistent* o : objs)
            if (o) kept.push_back(o);
        objs.swap(kept);
        for (TPersistent* o : objs) ASSERT_TRUE(IsLive(o));
    }
    for (TPersistent* o : objs) Free(o);
    for (TPersistent* o : objs) EXPECT_FALSE(IsLive(o));
    EXPECT_FALSE(IsLive(nullptr));
    EXPECT_FALSE(IsLive(reinterpret_cast<void*>(1)));
}

// Objects freed in random order, neighbours in memory among them: each erase keeps every
// other object findable with its own serial, and a freed one is never found.
TEST(Rtti, LiveSetEraseKeepsTheOthers) {
    std::vector<TPersistent*> objs;
    for (int i = 0; i < 3000; ++i) objs.push_back(TBase::New());
    std::vector<uint64_t> serials;
    for (TPersistent* o : objs) serials.push_back(o->Serial());
    std::vector<size_t> order(objs.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = (i * 1237) % order.size();
    std::vector<bool> freed(objs.size());
    for (size_t step = 0; step < order.size(); ++step) {
        size_t k = order[step];
        Free(objs[k]);
        freed[k] = true;
        if (step % 97 != 0 && step + 1 != order.size()) continue;
        for (size_t i = 0; i < objs.size(); ++i) {
            if (!freed[i]) {
                ASSERT_TRUE(IsLive(objs[i], serials[i])) << step << " " << i;
            }
        }
    }
    for (size_t i = 0; i < objs.size(); ++i) EXPECT_FALSE(IsLive(objs[i], serials[i]));
}

// Objects of every pooled size and beyond, a TPersistent that is not the start of its
// allocation and one inside another object: each is live by its own address and serial
// exactly while it lives, no other address inside it passes for live, and an object
// made later at a freed address is not the freed one.
template <size_t N> struct TSized : TPersistent {
    char pad[N] = {};
};
struct TOtherFirst {
    virtual ~TOtherFirst() = default;
    uint64_t data = 12345;  // where a first-base TPersistent would keep its serial
};
struct TSecondBase : TOtherFirst, TPersistent {};
struct TWithMember : TPersistent {
    uint64_t before = 1;
    TSized<8> member;
};

TEST(Rtti, LivenessByAddressAndSerialForEveryLayout) {
    struct Case {
        const char* what;
        std::function<std::pair<TPersistent*, const void*>()> make;  // the object and its allocation
        size_t inside;  // an offset within the object
    };
    auto alone = [](auto* o) { return std::pair<TPersistent*, const void*>(o, o); };
    std::vector<Case> cases = {
        {"16 bytes", [&] { return alone(new TPersistent()); }, 8},
        {"24 bytes", [&] { return alone(new TSized<8>()); }, 16},
        {"100 bytes", [&] { return alone(new TSized<84>()); }, 64},
        {"512 bytes", [&] { return alone(new TSized<496>()); }, 256},
        {"600 bytes", [&] { return alone(new TSized<584>()); }, 512},
        {"second base", [] {
             auto* o = new TSecondBase();
             return std::pair<TPersistent*, const void*>(o, static_cast<TOtherFirst*>(o));
         }, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (int round = 0; round < 2; ++round) {  // the second round reuses the freed memory
            auto [o, start] = c.make();
            const uint64_t serial = o->Serial();
            EXPECT_TRUE(IsLive(o));
            EXPECT_TRUE(IsLive(o, serial));
            EXPECT_FALSE(IsLive(o, serial + 1));
            EXPECT_FALSE(IsLive(o, 0));
            if (start != o) {
                EXPECT_FALSE(IsLive(start));
            }
            EXPECT_FALSE(IsLive(reinterpret_cast<const char*>(o) + c.inside));
            Free(o);
            EXPECT_FALSE(IsLive(o));
            EXPECT_FALSE(IsLive(o, serial));
            if (start != o) {
                EXPECT_FALSE(IsLive(start));
            }
            auto [again, again_start] = c.make();
            EXPECT_FALSE(IsLive(again, serial));
            EXPECT_TRUE(IsLive(again, again->Serial()));
            Free(again);
        }
    }
    auto* outer = new TWithMember();
    TPersistent* inner = &outer->member;
    const uint64_t innerSerial = inner->Serial();
    EXPECT_TRUE(IsLive(outer, outer->Serial()));
    EXPECT_TRUE(IsLive(inner, innerSerial));
    Free(outer);
    EXPECT_FALSE(IsLive(inner, innerSerial));
    EXPECT_FALSE(IsLive(inner));
}

// Every spelling the Windows-1250 case table takes for the same name hashes alike, at
// every place of names of every length the hash treats apart; ASCII case variants alike
// for the ASCII hash.
TEST(Rtti, FoldedHashesTreatCaseVariantsAlike) {
    for (size_t len : {1, 2, 3, 4, 5, 7, 8, 9, 12, 15, 16, 17, 23, 24, 25, 40}) {
        for (size_t at : {size_t{0}, len / 2, len - 1}) {
            for (int c = 0; c < 256; ++c) {
                std::string lower(len, 'k'), upper(len, 'K');
                lower[at] = static_cast<char>(c);
                upper[at] = static_cast<char>(AnsiUpperChar(static_cast<unsigned char>(c)));
                ASSERT_EQ(AnsiFoldedNameHash(lower), AnsiFoldedNameHash(upper)) << len << " " << at << " " << c;
                if (c < 0x80) {
                    ASSERT_EQ(AsciiFoldedNameHash(lower), AsciiFoldedNameHash(upper)) << len << " " << at << " " << c;
                }
            }
        }
    }
}

// The name index of a class: every name found in any ASCII letter case, a name differing
// in one byte (another letter, a non-ASCII letter's other case) never taken for it, and
// the index made again when the table grows.
TEST(Rtti, NameIndexFindsEveryNameAndNoOther) {
    std::unique_ptr<TClassInfo> ci(rtti_detail::NewClassInfo("TMany", TBase::StaticClass(), nullptr, 0));
    std::vector<std::string> names;
    for (size_t len = 1; len <= 40; ++len) {
        std::string n;
        for (size_t i = 0; i < len; ++i) n += static_cast<char>('a' + (i * 7 + len) % 26);
        names.push_back(n);
        n[len / 2] = static_cast<char>(0x9A);  // š
        names.push_back(n);
    }
    for (const std::string& n : names) {
        TPropInfo p;
        p.Name = n;
        p.PropType = TypeInfoInteger();
        ci->Props.push_back(p);
    }
    rtti_detail::FinishClassInfo(ci.get());
    auto indexOf = [&](const std::string& n) {
        for (size_t i = 0; i < ci->Props.size(); ++i)
            if (ci->Props[i].Name == n) return static_cast<int>(i);
        return -1;
    };
    for (const std::string& n : names) {
        const int want = indexOf(n);
        ASSERT_EQ(ci->FindPropIndex(n), want) << n;
        ASSERT_EQ(ci->FindPropIndex(UpperCase(n)), want) << n;
        for (size_t at = 0; at < n.size(); ++at) {
            std::string other = n;
            other[at] = other[at] == static_cast<char>(0x9A) ? static_cast<char>(0x8A) : static_cast<char>(other[at] + 1);
            ASSERT_EQ(ci->FindPropIndex(other), indexOf(other)) << other;
        }
        ASSERT_EQ(ci->FindPropIndex(n + "x"), indexOf(n + "x")) << n;
    }
    EXPECT_EQ(ci->FindPropIndex("COUNT"), 0);  // inherited
    EXPECT_EQ(ci->FindPropIndex(""), -1);
    TPropInfo late;
    late.Name = "LateOne";
    late.PropType = TypeInfoInteger();
    ci->Props.push_back(late);
    EXPECT_EQ(ci->FindPropIndex("lateone"), static_cast<int>(ci->Props.size()) - 1);
}

TEST(Rtti, ClassTestsAlongTheAncestry) {
    const TClassInfo* plain = TPlain::StaticClass();
    EXPECT_TRUE(plain->InheritsFrom(plain));
    EXPECT_TRUE(plain->InheritsFrom(TBase::StaticClass()));
    EXPECT_TRUE(plain->InheritsFrom(TPersistent::StaticClass()));
    EXPECT_FALSE(TBase::StaticClass()->InheritsFrom(TDerived::StaticClass()));
    EXPECT_FALSE(TBase::StaticClass()->InheritsFrom(TFailing::StaticClass()));
    EXPECT_FALSE(plain->InheritsFrom(nullptr));
    // A record made by hand has no ancestry and is tested along its parents.
    TClassInfo byHand;
    byHand.Parent = TDerived::StaticClass();
    EXPECT_TRUE(byHand.InheritsFrom(TBase::StaticClass()));
    EXPECT_FALSE(byHand.InheritsFrom(TFailing::StaticClass()));
    EXPECT_FALSE(TBase::StaticClass()->InheritsFrom(&byHand));
}
