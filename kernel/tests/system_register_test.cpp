#include <gtest/gtest.h>

#include "kernel/class_registry.h"
#include "kernel/system_register.h"
#include "kernel/kernel.h"
#include "kernel/property_access.h"
#include "test_support.h"

TEST(ElementModel, ChildrenAreMadeOnlyWhenRead) {
    Owned m(TElementModel::New());
    EXPECT_TRUE(m->GetNoModelProperties());
    EXPECT_TRUE(m->GetNoModelElements());
    EXPECT_TRUE(m->GetNoImages());
    EXPECT_EQ(GetPropStringByName(m, "NoModelProperties"), "True");
    EXPECT_EQ(m->ElementsCount(), 0);  // asking created nothing
    EXPECT_FALSE(Stored(m, "ModelProperties"));
    EXPECT_FALSE(Stored(m, "Images"));

    TOwnerEntity* props = m->GetModelProperties();
    EXPECT_EQ(props->GetName(), "PROPERTIES");
    EXPECT_EQ(m->ElementsCount(), 1);
    EXPECT_TRUE(m->GetNoModelProperties());  // present but empty
    EXPECT_TRUE(Stored(m, "ModelProperties"));
    EXPECT_EQ(m->GetModelProperties(), props);

    SetPropStringByName(m, "NewPropertyName", "Scale");
    EXPECT_FALSE(m->GetNoModelProperties());
    auto* pm = As<TPropertyModel>(props->Get(0));
    ASSERT_NE(pm, nullptr);
    EXPECT_EQ(pm->GetName(), "Scale");
    SetPropStringByName(pm, "Value", "1000");
    EXPECT_EQ(pm->Value, "1000");

    SetPropStringByName(m, "NewElementName", "Legend");
    SetPropStringByName(m, "NewImage", "map.bmp");
    EXPECT_FALSE(m->GetNoModelElements());
    EXPECT_EQ(m->GetImages()->GetString(0), "map.bmp");
    EXPECT_EQ(m->GetImages()->GetSElems(0)->OwnName(), "");
    EXPECT_TRUE(m->GetModelElements()->Get(0)->Is<TElementModel>());
    EXPECT_EQ(m->ElementsCount(), 3);
}

TEST(ElementModel, LoadedChildrenAreFoundByName) {
    Owned t(TToolModel::New());
    TOwnerEntity* stored = TOwnerEntity::New();
    stored->SetName("Tools");  // as a model file may hold it
    t->AddElement(stored);
    EXPECT_TRUE(t->GetNoModelTools());
    EXPECT_TRUE(Stored(t, "ModelTools"));
    EXPECT_EQ(t->GetModelTools(), stored);
    SetPropStringByName(t, "NewToolName", "Step");
    EXPECT_EQ(t->ElementsCount(), 1);
    EXPECT_FALSE(t->GetNoModelTools());
    EXPECT_TRUE(stored->Get(0)->Is<TToolModel>());
    SetPropStringByName(t, "DynamicTool", "True");
    EXPECT_TRUE(t->DynamicTool);

    // A child of that name but of another class is not taken for the list.
    Owned m(TElementModel::New());
    TStringElement* odd = TStringElement::New("IMAGES", "x");
    m->AddElement(odd);
    EXPECT_TRUE(m->GetNoImages());
    EXPECT_NE(static_cast<TElement*>(m->GetImages()), odd);
}

TEST(SystemRegister, ListsAreKeptAndReplacedWhenFreed) {
    Owned r(TSystemRegister::New());
    EXPECT_FALSE(Stored(r, "Images"));
    TStringListElement* images = r->GetImages();
    EXPECT_EQ(r->GetImages(), images);
    EXPECT_EQ(images->GetName(), "IMAGES");
    EXPECT_NE(r->GetCursors(), images);
    EXPECT_EQ(r->GetCursors()->GetName(), "CURSORS");
    EXPECT_EQ(GetObjectPropByName(r, "Images"), images);
    EXPECT_TRUE(Stored(r, "Images"));
    EXPECT_FALSE(Stored(r, "ClassModels"));

    r->FreeElement(images);  // the kept field must not dangle
    TStringListElement* again = r->GetImages();
    EXPECT_EQ(r->IndexOf(again), 1);
    EXPECT_EQ(again->ElementsCount(), 0);
}

TEST(SystemRegister, ClassModelsByName) {
    RegisterKernelClasses();
    Owned r(TSystemRegister::New());
    TRegisterClassModels* cms = r->GetClassModels();
    EXPECT_EQ(cms->GetName(), "CLASS MODELS");
    EXPECT_EQ(cms->GetItemClassName(), "TRegisterClassModel");

    SetPropStringByName(cms, "NewClassName", "TStringElement");
    TRegisterClassModel* sm = cms->GetActualClassModel();
    ASSERT_NE(sm, nullptr);
    EXPECT_EQ(GetObjectPropByName(cms, "ActualClassModel"), sm);
    SetPropStringByName(sm, "Alias", "Text");
    SetPropStringByName(sm, "ImageSelectedIndex", "4");
    EXPECT_EQ(sm->ImageSelectedIndex, 4);

    SetPropStringByName(cms, "FindClassName", "TPathElement");  // a subclass finds it
    EXPECT_EQ(cms->GetActualClassModel(), sm);
    EXPECT_EQ(GetPropStringByName(cms->GetActualClassModel(), "Alias"), "Text");

    EXPECT_FALSE(Stored(sm, "PropertyModels"));
    TOwnerEntity* pms = sm->GetPropertyModels();
    EXPECT_EQ(pms->GetName(), "PROPERTY MODELS");
    EXPECT_EQ(sm->GetPropertyModels(), pms);
    EXPECT_TRUE(Stored(sm, "PropertyModels"));
    EXPECT_EQ(sm->GetShell()->GetName(), "SHELL");

    TRegisterPropertyModel* prop = TRegisterPropertyModel::New();
    SetPropStringByName(prop, "Editor", "TColorEditor");
    pms->AddElement(prop);
    EXPECT_EQ(GetPropStringByName(prop, "Editor"), "TColorEditor");
}

TEST(SystemRegister, RegisteredInUnitOrder) {
    RegisterKernelClasses();
    ExpectRegisteredInOrder({"TSystemRegister", "TRegisterClassModel", "TRegisterClassModels",
                             "TRegisterPropertyModel", "TPropertyModel", "TElementModel", "TToolModel"});
}
