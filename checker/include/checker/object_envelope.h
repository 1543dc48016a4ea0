// An element that holds one object and reads and writes its properties by name, and the
// envelope that creates that object by class name.
#pragma once
#include <string>

#include "kernel/elements.h"
#include "yesk/held.h"

// Holds one object (not owned) and addresses one of its published properties by name.
class TInstanceProperties : public TOwnerElement {
    ZARIX_CLASS(TInstanceProperties, TOwnerElement)
    static void Publish(PropertyTable& t);

public:
    TPersistent* GetInstance() const;
    virtual void SetInstance(TPersistent* instance) { FInstance.Set(instance); }
    const std::string& GetPropertyName() const { return FPropertyName; }
    void SetPropertyName(const std::string& name) { FPropertyName = name; }
    // The index of the addressed property in the instance's list; -1 when absent.
    int32_t GetPropertyIndex();
    // The addressed property as text (the property rules by name).
    std::string GetPropertyText();
    void SetPropertyText(const std::string& text);

protected:
    THeld<TPersistent> FInstance;
    std::string FPropertyName;
};

// Creates an object of a registered class (CreateClass, Life) and holds it; renaming the
// envelope names the object too, with a number added until the object takes the name.
class TObjectEnvelope : public TInstanceProperties {
    ZARIX_CLASS(TObjectEnvelope, TInstanceProperties)
    static void Publish(PropertyTable& t);

public:
    // Looks the class up, again with a leading "T"; found: remembered and an object made.
    void SetCreateClass(const std::string& name);
    // True makes the object when there is none; false frees it.
    void SetLife(bool alive);
    // A new object of the remembered class replaces (and frees) the held one.
    void CreateInstance();
    void SetName(const std::string& value) override;
    void Destroy() override;

    TElementClass GetClass() const { return FClass; }

private:
    void FreeInstance();
    void GiveUniqueName(const std::string& name);
    TElementClass FClass = nullptr;
    THeld<TPersistent> FMade;  // the object this envelope made and frees
};
