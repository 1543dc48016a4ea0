#include <gtest/gtest.h>

#include <fstream>

#include "kernel/class_registry.h"
#include "kernel/value_elements.h"
#include "kernel/kernel.h"
#include "kernel/property_access.h"
#include "platform/sysutils.h"
#include "test_support.h"

namespace {

class TRectProbe : public TOwnerElement {
    ZARIX_CLASS(TRectProbe, TOwnerElement)
    static void Publish(PropertyTable& t) {
        t.Int<TRectProbe>("Left", [](TRectProbe* r) { return r->left; }, nullptr);
        t.Str<TRectProbe>("Caption", [](TRectProbe* r) { return r->caption; }, nullptr);
    }
    int32_t left = 0;
    std::string caption;
};

}  // namespace

// ---- value classes -------------------------------------------------------------------

TEST(TypeElements, BooleanTakesOnlyExactTexts) {
    Owned b(TBooleanElement::New("flag", false));
    b->SetAsString("TRUE");
    EXPECT_FALSE(b->GetAsBoolean());
    b->SetAsString("true");
    EXPECT_TRUE(b->GetAsBoolean());
    EXPECT_EQ(b->GetAsString(), "true");
    b->SetAsString("1");
    EXPECT_TRUE(b->GetAsBoolean());
    b->SetAsString("false");
    EXPECT_EQ(b->GetAsString(), "false");
    b->SetAsByte(7);
    EXPECT_EQ(b->GetAsByte(), 1);
    EXPECT_EQ(b->GetAsInteger(), 0);  // not a conversion of this class
    EXPECT_EQ(b->GetType(), _Boolean);
    EXPECT_EQ(b->GetTypeAsString(), "boolean");
    EXPECT_EQ(b->GetUpperName(), "FLAG");
}

TEST(TypeElements, CharAndByteRanges) {
    Owned c(TCharElement::New('q'));
    c->SetAsInteger(0);
    c->SetAsInteger(256);
    c->SetAsString("");
    EXPECT_EQ(c->GetAsChar(), 'q');
    c->SetAsInteger(65);
    EXPECT_EQ(c->GetAsString(), "A");
    c->SetAsString("xyz");
    EXPECT_EQ(c->GetAsChar(), 'x');
    c->SetAsByte(0xE1);
    EXPECT_EQ(c->GetAsInteger(), 225);

    Owned b(TByteElement::New(9));
    b->SetAsInteger(256);
    b->SetAsFloat(256);
    b->SetAsString("256");
    b->SetAsInteger(-1);
    b->SetAsString("12a");
    b->SetAsString("");
    EXPECT_EQ(b->GetAsByte(), 9);
    b->SetAsFloat(255.9);
    EXPECT_EQ(b->GetAsInteger(), 255);
    b->SetAsString("$10");
    EXPECT_EQ(b->GetAsString(), "16");
    b->SetAsString("  0x1F");
    EXPECT_EQ(b->GetAsFloat(), 31);
    b->SetAsChar('A');
    EXPECT_EQ(b->GetAsByte(), 65);
    b->SetAsBoolean(false);
    EXPECT_FALSE(b->GetAsBoolean());
}

TEST(TypeElements, FloatTextIgnoresTheLocale) {
    SeparatorScope comma(',');
    Owned f(TFloatElement::New(0));
    f->SetAsString("1.5e3");
    EXPECT_DOUBLE_EQ(f->GetAsFloat(), 1500);
    EXPECT_EQ(f->GetAsString(), " 1.5000000000000000E+0003");
    f->SetAsString("1,5");
    f->SetAsString("abc");
    EXPECT_DOUBLE_EQ(f->GetAsFloat(), 1500);
    f->SetAsFloat(-0.1);
    EXPECT_EQ(f->GetAsString(), "-1.0000000000000001E-0001");
    Owned g(TFloatElement::New(0));
    g->SetAsString(f->GetAsString());  // reads its own text back exactly
    EXPECT_EQ(g->GetAsFloat(), -0.1);
    f->SetAsFloat(-2.7);
    EXPECT_EQ(f->GetAsInteger(), -2);
    f->SetAsFloat(3e10);
    EXPECT_EQ(f->GetAsInteger(), 0);
    f->SetAsInteger(-4);
    EXPECT_DOUBLE_EQ(f->GetAsFloat(), -4);
}

TEST(TypeElements, StringConversions) {
    Owned s(TStringElement::New("Ano"));
    EXPECT_TRUE(s->GetAsBoolean());
    s->SetAsString("0.0");
    EXPECT_FALSE(s->GetAsBoolean());
    s->SetAsString("2");
    EXPECT_TRUE(s->GetAsBoolean());
    s->SetAsString("yes");
    EXPECT_FALSE(s->GetAsBoolean());
    s->SetAsString("true");
    EXPECT_TRUE(s->GetAsBoolean());

    s->SetAsString("$10");
    EXPECT_EQ(s->GetAsInteger(), 16);
    bool ok = false;
    s->SetAsString("12a");
    EXPECT_EQ(s->GetAsInteger(), 0);
    s->GetLongInt(ok);
    EXPECT_FALSE(ok);
    s->SetAsInteger(-7);
    EXPECT_EQ(s->GetLongInt(ok), -7);
    EXPECT_TRUE(ok);
    s->SetAsBoolean(true);
    EXPECT_EQ(s->GetAsString(), "TRUE");

    SeparatorScope comma(',');
    s->SetAsFloat(1.5);
    EXPECT_EQ(s->GetAsString(), "1,5");
    EXPECT_DOUBLE_EQ(s->GetDouble(ok), 1.5);
    EXPECT_TRUE(ok);
    s->SetAsString("1.25");
    EXPECT_DOUBLE_EQ(s->GetAsFloat(), 1.25);  // either separator
    EXPECT_EQ(s->GetDouble(ok), 0);           // the locale form only
    EXPECT_FALSE(ok);
}

TEST(TypeElements, NameIsValueRule) {
    Owned s(TStringElement::New("old", "v"));
    s->SetNameIsValue(" a = b=c ");
    EXPECT_EQ(s->GetName(), "a");
    EXPECT_EQ(s->GetAsString(), "b=c");
    EXPECT_EQ(s->GetNameIsValue(), "a=b=c");
    s->SetNameIsValue("=x");
    s->SetNameIsValue("");
    s->SetNameIsValue("   ");
    EXPECT_EQ(s->GetNameIsValue(), "a=b=c");
    s->SetNameIsValue("n=");
    EXPECT_EQ(s->GetName(), "a");
    EXPECT_EQ(s->GetAsString(), "n");
    s->SetNameIsValue("bare");
    EXPECT_EQ(s->GetAsString(), "bare");
    Owned t(TStringElement::New("k=v", 0));
    EXPECT_EQ(t->GetName(), "k");
    EXPECT_EQ(t->GetAsString(), "v");
}

TEST(TypeElements, IntegerTexts) {
    Owned i(TIntegerElement::New(5));
    i->SetAsString("$10");
    EXPECT_EQ(i->GetAsInteger(), 16);
    i->SetAsString("12a");
    i->SetAsString("");
    i->SetAsString("1.5");
    i->SetAsString("99999999999");
    EXPECT_EQ(i->GetAsInteger(), 16);
    i->SetAsString(" -0x1f");
    EXPECT_EQ(i->GetAsInteger(), -31);
    i->SetAsFloat(3e9);
    EXPECT_EQ(i->GetAsInteger(), -31);
    i->SetAsFloat(-2.9);
    EXPECT_EQ(i->GetAsInteger(), -2);
    i->SetAsInteger(300);
    EXPECT_EQ(i->GetAsByte(), 0);
    EXPECT_EQ(i->GetAsString(), "300");
    EXPECT_TRUE(i->GetAsBoolean());
    EXPECT_EQ(i->GetAsPointer(), nullptr);  // no object sits at 300
}

TEST(TypeElements, PointerTextNamesOnlyLiveObjects) {
    TIntegerElement* target = TIntegerElement::New(1);
    Owned p(TPointerElement::New(target));
    std::string text = p->GetAsString();
    EXPECT_EQ(text, IntToStr(static_cast<int64_t>(reinterpret_cast<intptr_t>(target))));
    Owned q(TPointerElement::New(nullptr));
    q->SetAsString(text);
    EXPECT_EQ(q->GetAsPointer(), target);
    Free(target);
    q->SetAsString(text);
    EXPECT_EQ(q->GetAsPointer(), nullptr);
    q->SetAsString("12345");
    EXPECT_EQ(q->GetAsPointer(), nullptr);
    EXPECT_EQ(q->GetAsString(), "0");
    EXPECT_EQ(GetPropIndex(q, "Value"), -1);
}

TEST(TypeElements, SelfCopyKeepsClassNameAndValue) {
    Owned path(TPathElement::New("dir", "C:\\DATA"));
    Owned copy(path->SelfCopy());
    ASSERT_TRUE(copy->Is<TPathElement>());
    EXPECT_EQ(copy->GetName(), "dir");
    EXPECT_EQ(copy->GetAsString(), "C:\\DATA");
    Owned unnamed(TFloatElement::New(2.5));
    Owned fc(unnamed->SelfCopy());
    EXPECT_EQ(static_cast<TTypeElement*>(fc)->OwnName(), "");
    EXPECT_EQ(fc->GetAsFloat(), 2.5);
    Owned base(TTypeElement::New());
    EXPECT_EQ(base->SelfCopy(), nullptr);
    EXPECT_EQ(base->GetType(), _Other);
}

TEST(TypeElements, PublishedProperties) {
    Owned i(TIntegerElement::New("n", 3));
    EXPECT_EQ(GetPropStringByName(i, "Typ"), "_Integer");
    EXPECT_EQ(GetPropStringByName(i, "TypeAsString"), "integer");
    EXPECT_EQ(GetPropStringByName(i, "UpperName"), "N");
    SetPropStringByName(i, "Text", "$20");
    EXPECT_EQ(GetPropStringByName(i, "Value"), "32");
    EXPECT_EQ(GetPropStringByName(i, "AsByte"), "32");
    Owned s(TStringElement::New("k", "v"));
    SetPropStringByName(s, "NameIsValue", "a=b");
    EXPECT_EQ(GetPropStringByName(s, "NameIsValue"), "a=b");
    const TPropList& props = TStringElement::StaticClass()->Props;
    EXPECT_EQ(props.back().Name, "Value");  // a loaded element ends with its value
    EXPECT_FALSE(GetPropInfo(s, "NameIsValue")->StoredOnClass());
}

// ---- string lists ------------------------------------------------------------------------

TEST(StringListElement, LookupAndPropertiesByName) {
    Owned l(TStringListElement::New());
    l->AddNameString("MixedCase", "1");
    l->AddString("unnamed");
    EXPECT_EQ(l->GetStringByName("mixedcase"), "1");
    EXPECT_EQ(l->GetStringByName("TStringElement"), "");  // an item without name has none
    EXPECT_EQ(l->GetIntegerByName("MIXEDCASE"), 1);
    EXPECT_EQ(l->GetIntegerByName("missing"), 0);
    EXPECT_FALSE(l->GetBooleanByName("missing"));
    l->SetIntegerByName("count2", 4);
    EXPECT_EQ(l->ElementsCount(), 3);
    EXPECT_EQ(l->GetNameAtIndex(2), "count2");
    EXPECT_EQ(l->GetUpperName(2), "COUNT2");

    // Published properties come first; other names reach the items.
    EXPECT_EQ(l->GetPropertyStringByName("Count"), "3");
    EXPECT_EQ(l->GetPropertyStringByName("mixedCASE"), "1");
    l->SetPropertyStringByName("Colour", "red");
    EXPECT_EQ(l->GetStringByName("colour"), "red");
    l->SetPropertyStringByName("NextValue", "added");
    EXPECT_EQ(l->GetString(4), "added");
    EXPECT_EQ(l->ElementsCount(), 5);
    l->SetIntegerByName("MIXEDCASE", 7);  // an existing item is set in place
    EXPECT_EQ(l->ElementsCount(), 5);
    EXPECT_EQ(l->GetString(0), "7");

    // An empty name finds no item: setting it appends one and leaves the unnamed item alone.
    EXPECT_EQ(l->GetStringElementByName(""), nullptr);
    EXPECT_EQ(l->GetStringByName(""), "");
    l->SetStringByName("", "new");
    EXPECT_EQ(l->ElementsCount(), 6);
    EXPECT_EQ(l->GetString(1), "unnamed");
    EXPECT_EQ(l->GetString(5), "new");
}

TEST(StringListElement, AddingLines) {
    TStringList lines;
    lines.Add("name = value");
    lines.Add("  bare  ");
    lines.Add("");
    Owned l(TStringListElement::New(&lines));
    ASSERT_EQ(l->ElementsCount(), 2);
    EXPECT_EQ(l->GetNameAtIndex(0), "name");
    EXPECT_EQ(l->GetString(0), "value");
    EXPECT_EQ(l->GetNameAtIndex(1), "bare");
    EXPECT_EQ(l->GetString(1), "");

    lines.Clear();
    lines.Add("empty=");
    lines.Add("=only value");
    l->AddStringList(&lines);
    EXPECT_EQ(l->GetNameAtIndex(2), "empty");
    EXPECT_EQ(l->GetString(2), "");
    EXPECT_EQ(l->GetNameAtIndex(3), "TStringElement");  // no name of its own: the class name
    EXPECT_EQ(l->GetString(3), "only value");
    EXPECT_EQ(l->GetStringElementByName("TStringElement"), nullptr);

    // The NameIsValue command keeps its own rule.
    l->AddNameIsValue("no equals");
    EXPECT_EQ(l->ElementsCount(), 4);
    l->AddNameIsValue("x=");
    EXPECT_EQ(l->GetNameAtIndex(4), "TStringElement");
    EXPECT_EQ(l->GetString(4), "x");

    l->AddString("p=q");
    l->ParamToNames();
    EXPECT_EQ(l->GetStringByName("p"), "q");
    auto values = l->CreateStringList();
    ASSERT_EQ(values->Count(), 6);
    EXPECT_EQ((*values)[0], "value");
    EXPECT_EQ((*values)[5], "q");
}

TEST(StringListElement, FileFormRoundTrips) {
    TempDir tmp("e_type_test");
    const std::string& dir = tmp.Path();
    ASSERT_FALSE(dir.empty());
    Owned l(TStringListElement::New());
    l->AddNameString("Plugin", "C:\\x.bpl");
    l->AddName("NoValue");
    l->AddString("no name");
    l->AddNameString("Eq", "a=b");
    SetPropStringByName(l, "SaveToFile", dir + "/list.zrx");
    EXPECT_EQ(ReadFile(dir + "/list.zrx"), "Plugin=C:\\x.bpl\r\nNoValue=\r\n=no name\r\nEq=a=b\r\n");

    Owned back(TStringListElement::New());
    SetPropStringByName(back, "LoadFromFile", dir + "/list.zrx");
    ASSERT_EQ(back->ElementsCount(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(back->GetNameAtIndex(i), l->GetNameAtIndex(i));
        EXPECT_EQ(back->GetString(i), l->GetString(i));
    }

    std::ofstream(dir + "/lf.txt", std::ios::binary) << "a=1\nb=2\rc=3";
    Owned lf(TStringListElement::New());
    lf->AddFile(dir + "/lf.txt");
    EXPECT_EQ(lf->ElementsCount(), 3);
    EXPECT_EQ(lf->GetStringByName("C"), "3");
    lf->AddFile(dir + "/missing.txt");
    EXPECT_EQ(lf->ElementsCount(), 3);

    // Another list element appended through its property.
    EXPECT_TRUE(SetObjectPropByName(lf, "NextStringList", l));
    EXPECT_EQ(lf->ElementsCount(), 7);
    EXPECT_EQ(lf->GetString(5), "no name");
}

TEST(StringListElement, PropertyListNegatesSignedNames) {
    Owned rect(TRectProbe::New());
    rect->left = 10;
    rect->caption = "Map";
    Owned pl(TPropertyList::New());
    pl->AddName("-Left");
    pl->AddName("Caption");
    pl->AddName("-");
    pl->AddName("Missing");
    SetPropStringByName(pl, "Delimiter", ";");
    EXPECT_TRUE(SetObjectPropByName(pl, "Element", rect));
    EXPECT_EQ(pl->GetString(0), "-10");
    EXPECT_EQ(GetPropStringByName(pl, "Catenation"), "-10;Map;;");
    rect->left = -10;
    pl->SetByElement(rect);
    EXPECT_EQ(pl->GetString(0), "10");
    Owned empty(TPropertyList::New());
    EXPECT_EQ(empty->GetCatenation(), "");
}

// ---- integer lists -----------------------------------------------------------------------

TEST(IntegerListElement, SortedAddingAndValueTexts) {
    Owned l(TIntegerListElement::New());
    l->AddInteger(5);
    l->AddInteger(1);
    EXPECT_EQ(l->GetInteger(1), 1);  // appended while not sorted
    Owned s(TIntegerListElement::New());
    s->KeepSorted = true;
    s->SetValuesString(" 3, x, 1,$10, 3,, 2 ");
    ASSERT_EQ(s->ElementsCount(), 4);
    EXPECT_EQ(s->GetInteger(0), 1);
    EXPECT_EQ(s->GetInteger(1), 2);
    EXPECT_EQ(s->GetInteger(2), 3);
    EXPECT_EQ(s->GetInteger(3), 16);
    s->AllowDuplicates = true;
    s->AddInteger(3);
    EXPECT_EQ(s->GetInteger(3), 3);
    EXPECT_TRUE(s->ValueExists(16));
    s->PutInteger(0, 7);
    EXPECT_EQ(s->GetInteger(0), 7);
}

TEST(IntegerListElement, ListsFromText) {
    EXPECT_EQ(CreateIntegerListElementFromString("n", ""), nullptr);
    EXPECT_EQ(CreateIntegerListElementFromString("n", "abc"), nullptr);
    Owned l(CreateIntegerListElementFromString("n", "x = 1, 2 -3 end"));
    ASSERT_NE(l.p, nullptr);
    ASSERT_EQ(l->ElementsCount(), 3);
    EXPECT_EQ(l->GetInteger(2), -3);
    // A text that ends in something other than a number, and a long one, end too.
    Owned t(TStringElement::New("7 +"));
    Owned one(t->CreateIntegerList());
    EXPECT_EQ(one->ElementsCount(), 1);
    std::string many;
    for (int i = 0; i < 200; ++i) many += "1 ";
    Owned lots(CreateIntegerListElementFromString("", many));
    EXPECT_GT(lots->ElementsCount(), 100);
    EXPECT_LT(lots->ElementsCount(), 200);  // the scanner serves 254 characters
}

// ---- registration ------------------------------------------------------------------------

TEST(TypeElements, RegisteredInUnitOrder) {
    RegisterKernelClasses();
    ASSERT_NO_FATAL_FAILURE(ExpectRegisteredInOrder(
        {"TTypeElement", "TBooleanElement", "TCharElement", "TByteElement", "TFloatElement", "TIntegerListElement",
         "TStringElement", "TIntegerElement", "TPointerElement", "TStringListElement", "TPathElement",
         "TPropertyList"}));
    TElement* e = CreateElementByName("PathElement");
    ASSERT_NE(e, nullptr);
    EXPECT_TRUE(e->Is<TPathElement>());
    Free(e);
}
