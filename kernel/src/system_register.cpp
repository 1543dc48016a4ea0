#include "kernel/system_register.h"

#include "kernel/class_registry.h"
#include "platform/sysutils.h"

namespace {

const char* const kProperties = "PROPERTIES";
const char* const kElements = "ELEMENTS";
const char* const kImages = "IMAGES";
const char* const kTools = "TOOLS";
const char* const kCursors = "CURSORS";
const char* const kClassModels = "CLASS MODELS";
const char* const kPropertyModels = "PROPERTY MODELS";
const char* const kShell = "SHELL";

// The first child of class T with that name (letter case ignored), or nil.
template <class T> T* FindChild(TEntity* owner, const std::string& name) {
    for (int32_t i = 0, n = owner->ElementsCount(); i < n; ++i) {
        T* child = As<T>(owner->Get(i));
        if (child && AnsiSameText(child->GetName(), name)) return child;
    }
    return nullptr;
}

// That child, or a new one of class T added under that name.
template <class T> T* FindOrCreateChild(TEntity* owner, const std::string& name) {
    if (T* child = FindChild<T>(owner, name)) return child;
    T* child = T::New();
    child->SetName(name);
    owner->AddElement(child);
    return child;
}

// The child kept in field while it is still a child, else found or created.
template <class T> T* KeptChild(TEntity* owner, T*& field, const std::string& name) {
    if (!field || owner->IndexOf(field) < 0) field = FindOrCreateChild<T>(owner, name);
    return field;
}

bool Empty(TEntity* child) { return !child || child->NoElements(); }

// A read-only object property naming a lazily created child: stored only while the
// child is present, so that saving does not create it.
template <class C, class V, class G>
void ChildProp(PropertyTable& t, const char* name, G getter, const char* childName) {
    t.Obj<C, V>(name, getter, nullptr).template StoredIf<C>([childName](C* c) {
        return FindChild<V>(c, childName) != nullptr;
    });
}

}  // namespace

// ---- TPropertyModel ----------------------------------------------------------------------

void TPropertyModel::Publish(PropertyTable& t) {
    using C = TPropertyModel;
    t.Str<C>("Alias", [](C* c) { return c->Alias; }, [](C* c, const std::string& v) { c->Alias = v; });
    t.Str<C>("Value", [](C* c) { return c->Value; }, [](C* c, const std::string& v) { c->Value = v; });
}

// ---- TElementModel -----------------------------------------------------------------------

void TElementModel::Publish(PropertyTable& t) {
    using C = TElementModel;
    t.Int<C>("ImageIndex", [](C* c) { return c->ImageIndex; }, &C::SetImageIndex);
    t.Str<C>("ElementClassName", [](C* c) { return c->ElementClassName; }, &C::SetElementClassName);
    t.Str<C>("Comment", [](C* c) { return c->Comment; }, [](C* c, const std::string& v) { c->Comment = v; });
    t.Str<C>("Alias", [](C* c) { return c->Alias; }, [](C* c, const std::string& v) { c->Alias = v; });
    t.Str<C>("AttachToPropertyName", [](C* c) { return c->AttachToPropertyName; },
             [](C* c, const std::string& v) { c->AttachToPropertyName = v; });
    ChildProp<C, TOwnerEntity>(t, "ModelProperties", &C::GetModelProperties, kProperties);
    ChildProp<C, TOwnerEntity>(t, "ModelElements", &C::GetModelElements, kElements);
    ChildProp<C, TStringListElement>(t, "Images", &C::GetImages, kImages);
    t.Bool<C>("NoModelProperties", &C::GetNoModelProperties, nullptr);
    t.Bool<C>("NoModelElements", &C::GetNoModelElements, nullptr);
    t.Bool<C>("NoImages", &C::GetNoImages, nullptr);
    t.Str<C>("NewPropertyName", nullptr, &C::SetNewPropertyName);
    t.Str<C>("NewElementName", nullptr, &C::SetNewElementName);
    t.Str<C>("NewImage", nullptr, &C::SetNewImage);
}

TOwnerEntity* TElementModel::GetModelProperties() { return FindOrCreateChild<TOwnerEntity>(this, kProperties); }
TOwnerEntity* TElementModel::GetModelElements() { return FindOrCreateChild<TOwnerEntity>(this, kElements); }
TStringListElement* TElementModel::GetImages() { return FindOrCreateChild<TStringListElement>(this, kImages); }

bool TElementModel::GetNoModelProperties() { return Empty(FindChild<TOwnerEntity>(this, kProperties)); }
bool TElementModel::GetNoModelElements() { return Empty(FindChild<TOwnerEntity>(this, kElements)); }
bool TElementModel::GetNoImages() { return Empty(FindChild<TStringListElement>(this, kImages)); }

void TElementModel::SetNewPropertyName(const std::string& name) {
    TPropertyModel* p = TPropertyModel::New();
    p->SetName(name);
    GetModelProperties()->AddElement(p);
}

void TElementModel::SetNewElementName(const std::string& name) {
    TElementModel* m = TElementModel::New();
    m->SetName(name);
    GetModelElements()->AddElement(m);
}

void TElementModel::SetNewImage(const std::string& text) { GetImages()->AddString(text); }

// ---- TToolModel --------------------------------------------------------------------------

void TToolModel::Publish(PropertyTable& t) {
    using C = TToolModel;
    t.Bool<C>("DynamicTool", [](C* c) { return c->DynamicTool; }, &C::SetDynamicTool);
    ChildProp<C, TOwnerEntity>(t, "ModelTools", &C::GetModelTools, kTools);
    t.Bool<C>("NoModelTools", &C::GetNoModelTools, nullptr);
    t.Str<C>("NewToolName", nullptr, &C::SetNewToolName);
}

TOwnerEntity* TToolModel::GetModelTools() { return FindOrCreateChild<TOwnerEntity>(this, kTools); }
bool TToolModel::GetNoModelTools() { return Empty(FindChild<TOwnerEntity>(this, kTools)); }

void TToolModel::SetNewToolName(const std::string& name) {
    TToolModel* m = TToolModel::New();
    m->SetName(name);
    GetModelTools()->AddElement(m);
}

// ---- TRegisterPropertyModel --------------------------------------------------------------

void TRegisterPropertyModel::Publish(PropertyTable& t) {
    using C = TRegisterPropertyModel;
    t.Str<C>("Alias", [](C* c) { return c->Alias; }, [](C* c, const std::string& v) { c->Alias = v; });
    t.Field("ImageIndex", &C::ImageIndex);
    t.Str<C>("Editor", [](C* c) { return c->Editor; }, [](C* c, const std::string& v) { c->Editor = v; });
}

// ---- TRegisterClassModel -----------------------------------------------------------------

void TRegisterClassModel::Publish(PropertyTable& t) {
    using C = TRegisterClassModel;
    t.Str<C>("Alias", [](C* c) { return c->Alias; }, [](C* c, const std::string& v) { c->Alias = v; });
    t.Field("ImageIndex", &C::ImageIndex);
    t.Field("ImageSelectedIndex", &C::ImageSelectedIndex);
    t.Str<C>("Editor", [](C* c) { return c->Editor; }, [](C* c, const std::string& v) { c->Editor = v; });
    t.Str<C>("Interpret", [](C* c) { return c->Interpret; }, [](C* c, const std::string& v) { c->Interpret = v; });
    t.Str<C>("SubClass", [](C* c) { return c->SubClass; }, [](C* c, const std::string& v) { c->SubClass = v; });
    ChildProp<C, TOwnerEntity>(t, "PropertyModels", &C::GetPropertyModels, kPropertyModels);
    ChildProp<C, TOwnerEntity>(t, "Shell", &C::GetShell, kShell);
}

TOwnerEntity* TRegisterClassModel::GetPropertyModels() { return KeptChild(this, FPropertyModels, kPropertyModels); }
TOwnerEntity* TRegisterClassModel::GetShell() { return KeptChild(this, FShell, kShell); }

// ---- TRegisterClassModels ----------------------------------------------------------------

void TRegisterClassModels::Publish(PropertyTable& t) {
    using C = TRegisterClassModels;
    t.Obj<C, TRegisterClassModel>("ActualClassModel", &C::GetActualClassModel, nullptr);
}

TElementClass TRegisterClassModels::GetItemClass() { return TRegisterClassModel::StaticClass(); }

TRegisterClassModel* TRegisterClassModels::GetActualClassModel() { return As<TRegisterClassModel>(ActualItem()); }

// ---- TSystemRegister ---------------------------------------------------------------------

void TSystemRegister::Publish(PropertyTable& t) {
    using C = TSystemRegister;
    ChildProp<C, TStringListElement>(t, "Images", &C::GetImages, kImages);
    ChildProp<C, TStringListElement>(t, "Cursors", &C::GetCursors, kCursors);
    ChildProp<C, TRegisterClassModels>(t, "ClassModels", &C::GetClassModels, kClassModels);
}

TStringListElement* TSystemRegister::GetImages() { return KeptChild(this, FImages, kImages); }
TStringListElement* TSystemRegister::GetCursors() { return KeptChild(this, FCursors, kCursors); }
TRegisterClassModels* TSystemRegister::GetClassModels() { return KeptChild(this, FClassModels, kClassModels); }

// ---- registration ------------------------------------------------------------------------

void RegisterESysRegUnit() {
    RegisterZarixClass<TSystemRegister>();
    RegisterZarixClass<TRegisterClassModel>();
    RegisterZarixClass<TRegisterClassModels>();
    RegisterZarixClass<TRegisterPropertyModel>();
}

void RegisterEElementModelUnit() {
    RegisterZarixClass<TPropertyModel>();
    RegisterZarixClass<TElementModel>();
}

void RegisterEToolModelUnit() { RegisterZarixClass<TToolModel>(); }
