// Inheritance models: items keyed by element class, each holding the items of its
// subclasses, so that a lookup walks down to the most specific item for a class.
#pragma once
#include <cstdint>
#include <string>

#include "kernel/elements.h"

// The entity holding a model's items; named "ITEMS".
class TModelItems : public TEnvelopeEntity {
    ZARIX_CLASS(TModelItems, TEnvelopeEntity)

public:
    std::string GetName() override;
};

// A model item keyed by a class (nil: any class) with the items of its subclasses.
class TInheritanceModel : public TOwnerEntity {
    ZARIX_CLASS(TInheritanceModel, TOwnerEntity)
    static void Publish(PropertyTable& t);

public:
    // The items entity, created and added as a child on first use.
    virtual TModelItems* GetItems();
    virtual bool GetNoItems();
    // Inserts an item below the nearest item of an ancestor class; items of the new
    // item's class or of its subclasses move below it. An item already in this tree,
    // nil or the model itself is not inserted.
    virtual void SetNextItem(TInheritanceModel* item);
    // Stores the class; a class also names the model.
    virtual void SetEClass(TElementClass cls);
    virtual void SetClassName(const std::string& name);
    // The most specific item for the class: an item whose class the class is or
    // descends from, else the model itself when it has a class, else nil.
    virtual TInheritanceModel* GetItemForClass(TElementClass cls);
    virtual TInheritanceModel* GetItemForClassName(const std::string& name);
    // Whether the model applies to the class (always without a class of its own).
    virtual bool ItsMyClass(TElementClass cls);

    void AddItem(TInheritanceModel* item);
    TElement* GetItem(int32_t index);
    TElementClass EClass() const { return FEClass; }
    std::string GetClassName();
    // Whether item sits anywhere below this model.
    bool HoldsItem(TInheritanceModel* item);

protected:
    TModelItems* FindItems();
    TElementClass FEClass = nullptr;
    TModelItems* FItems = nullptr;
};

// The root of an inheritance model with a by-name command surface for scripts:
// NewClassName, FindClassName, ActualClassName, DeleteActualItem and an error code.
class TInheritanceModelEntity : public TInheritanceModel {
    ZARIX_CLASS(TInheritanceModelEntity, TInheritanceModel)
    static void Publish(PropertyTable& t);

public:
    // Error codes.
    static constexpr int32_t errNone = 0;
    static constexpr int32_t errNoItem = 1;        // no item applies to the class
    static constexpr int32_t errNotRegistered = 2; // the class name is not registered
    static constexpr int32_t errNoActualItem = 3;

    void Create() override;
    virtual std::string GetActualClassName();  // "NIL" without an actual item
    virtual bool GetIsError();
    virtual void SetNewClassName(const std::string& name);
    virtual void SetActualClassName(const std::string& name);
    virtual void SetFindClassName(const std::string& name);
    virtual void SetDeleteAI(bool flag);
    // The class created for new items.
    virtual TElementClass GetItemClass();

    std::string GetItemClassName();
    void SetItemClassName(const std::string& name);
    TInheritanceModel* ActualItem();
    int32_t Error = 0;

protected:
    // Frees the actual item unless it is this model itself.
    void FreeActualItem();
    TInheritanceModel* FActualItem = nullptr;
    TElementClass FItemClass = nullptr;
};

// Registers TModelItems, TInheritanceModel and TInheritanceModelEntity.
void RegisterInhMdlUnit();
