#include "kernel/inheritance_models.h"

#include "kernel/class_registry.h"

namespace {

// Whether a descends from (or is) b; nil stands above every class.
bool Inherits(TElementClass a, TElementClass b) { return !b || (a && a->InheritsFrom(b)); }

}  // namespace

// ---- TModelItems ---------------------------------------------------------------------

std::string TModelItems::GetName() { return "ITEMS"; }

// ---- TInheritanceModel -----------------------------------------------------------------

void TInheritanceModel::Publish(PropertyTable& t) {
    using M = TInheritanceModel;
    t.Obj<M, TModelItems>("Items", &M::GetItems, nullptr);
    t.Bool<M>("NoItems", &M::GetNoItems, nullptr);
    t.Obj<M, TInheritanceModel>("NextItem", nullptr, &M::SetNextItem);
    t.Str<M>("ElementClassName", &M::GetClassName, &M::SetClassName);
}

TModelItems* TInheritanceModel::FindItems() {
    if (FItems && IndexOf(FItems) >= 0) return FItems;
    FItems = As<TModelItems>(FindElementClass(TModelItems::StaticClass()));
    return FItems;
}

TModelItems* TInheritanceModel::GetItems() {
    if (!FindItems()) {
        FItems = TModelItems::New();
        AddElement(FItems);
    }
    return FItems;
}

bool TInheritanceModel::GetNoItems() { return GetItems()->ElementsCount() == 0; }

void TInheritanceModel::AddItem(TInheritanceModel* item) { GetItems()->AddElement(item); }

TElement* TInheritanceModel::GetItem(int32_t index) { return GetItems()->Get(index); }

void TInheritanceModel::SetEClass(TElementClass cls) {
    FEClass = cls;
    if (cls) SetName(cls->Name);
}

std::string TInheritanceModel::GetClassName() { return FEClass ? FEClass->Name : std::string(); }

void TInheritanceModel::SetClassName(const std::string& name) { SetEClass(GetZarixClass(name)); }

bool TInheritanceModel::ItsMyClass(TElementClass cls) { return Inherits(cls, FEClass); }

TInheritanceModel* TInheritanceModel::GetItemForClass(TElementClass cls) {
    if (cls != FEClass && !GetNoItems()) {
        TModelItems* items = GetItems();
        for (int32_t i = 0; i < items->ElementsCount(); ++i) {
            TInheritanceModel* item = As<TInheritanceModel>(items->Get(i));
            if (item && item->ItsMyClass(cls)) return item->GetItemForClass(cls);
        }
    }
    return FEClass ? this : nullptr;
}

TInheritanceModel* TInheritanceModel::GetItemForClassName(const std::string& name) {
    return GetItemForClass(GetZarixClass(name));  // an unknown name asks with no class
}

bool TInheritanceModel::HoldsItem(TInheritanceModel* item) {
    TModelItems* items = FindItems();
    if (!items) return false;
    for (int32_t i = 0; i < items->ElementsCount(); ++i) {
        TElement* child = items->Get(i);
        if (child == item) return true;
        TInheritanceModel* sub = As<TInheritanceModel>(child);
        if (sub && sub->HoldsItem(item)) return true;
    }
    return false;
}

void TInheritanceModel::SetNextItem(TInheritanceModel* item) {
    // Inserting an item that is already in the tree (or holds it) would make a cycle.
    if (!item || item == this || HoldsItem(item) || item->HoldsItem(this)) return;
    TModelItems* items = GetItems();
    for (int32_t i = items->ElementsCount() - 1; i >= 0; --i) {
        if (i >= items->ElementsCount()) continue;
        TInheritanceModel* old = As<TInheritanceModel>(items->Get(i));
        if (!old) continue;
        if (old->FEClass == item->FEClass || Inherits(old->FEClass, item->FEClass)) {
            items->RemoveElement(old);
            item->AddItem(old);
        } else if (Inherits(item->FEClass, old->FEClass)) {
            old->SetNextItem(item);
        }
    }
    if (item->NoOwners()) AddItem(item);
}

// ---- TInheritanceModelEntity -----------------------------------------------------------

void TInheritanceModelEntity::Publish(PropertyTable& t) {
    using M = TInheritanceModelEntity;
    t.Str<M>("ItemClassName", &M::GetItemClassName, &M::SetItemClassName);
    t.Obj<M, TInheritanceModel>("ActualItem", &M::ActualItem, nullptr);
    t.Str<M>("NewClassName", nullptr, &M::SetNewClassName);
    t.Str<M>("FindClassName", nullptr, &M::SetFindClassName);
    t.Str<M>("ActualClassName", &M::GetActualClassName, &M::SetActualClassName);
    t.Bool<M>("DeleteActualItem", nullptr, &M::SetDeleteAI);
    t.Bool<M>("IsError", &M::GetIsError, nullptr);
    t.Field("Error", &M::Error);
}

void TInheritanceModelEntity::Create() {
    inherited::Create();
    FItemClass = GetItemClass();
    FEClass = nullptr;
    FActualItem = nullptr;
}

TElementClass TInheritanceModelEntity::GetItemClass() { return TInheritanceModel::StaticClass(); }

std::string TInheritanceModelEntity::GetItemClassName() {
    return FItemClass ? FItemClass->Name : TInheritanceModel::StaticClass()->Name;
}

void TInheritanceModelEntity::SetItemClassName(const std::string& name) {
    TElementClass cls = GetZarixClass(name);
    FItemClass = (cls && cls->InheritsFrom(TInheritanceModel::StaticClass())) ? cls : TInheritanceModel::StaticClass();
}

// The actual item, nil when there is none or it has been freed meanwhile.
TInheritanceModel* TInheritanceModelEntity::ActualItem() {
    if (!IsLive(FActualItem)) FActualItem = nullptr;
    return FActualItem;
}

bool TInheritanceModelEntity::GetIsError() { return Error > 0; }

void TInheritanceModelEntity::FreeActualItem() {
    TInheritanceModel* item = ActualItem();
    FActualItem = nullptr;
    if (item && item != this) Free(item);
}

void TInheritanceModelEntity::SetNewClassName(const std::string& name) {
    FActualItem = nullptr;
    Error = errNone;
    if (name.empty()) return;
    TElementClass cls = GetZarixClass(name);
    if (!cls) {
        Error = errNotRegistered;
        return;
    }
    TElementClass itemClass = FItemClass ? FItemClass : TInheritanceModel::StaticClass();
    TPersistent* created = itemClass->CreateInstance();
    TInheritanceModel* item = As<TInheritanceModel>(created);
    if (!item) {
        Free(created);
        return;
    }
    item->SetEClass(cls);
    FActualItem = item;
    SetNextItem(item);
}

void TInheritanceModelEntity::SetFindClassName(const std::string& name) {
    Error = errNone;
    TElementClass cls = GetZarixClass(name);
    if (!cls) {
        Error = errNotRegistered;
        FActualItem = nullptr;
        return;
    }
    FActualItem = GetItemForClass(cls);
    if (!FActualItem) Error = errNoItem;
}

std::string TInheritanceModelEntity::GetActualClassName() {
    TInheritanceModel* item = ActualItem();
    if (!item) {
        Error = errNoActualItem;
        return "NIL";
    }
    return item->GetClassName();
}

void TInheritanceModelEntity::SetActualClassName(const std::string& name) {
    Error = errNone;
    if (!ActualItem()) {
        Error = errNoActualItem;
        return;
    }
    FreeActualItem();
    SetNewClassName(name);
}

void TInheritanceModelEntity::SetDeleteAI(bool) {
    if (!ActualItem()) return;
    FreeActualItem();
    Error = errNoActualItem;
}

void RegisterInhMdlUnit() {
    RegisterZarixClass<TModelItems>();
    RegisterZarixClass<TInheritanceModel>();
    RegisterZarixClass<TInheritanceModelEntity>();
}
