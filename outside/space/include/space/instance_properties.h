// The properties of one object: enumeration of its published properties, one of them
// selected by index or by name, its value read and written as text. Text that the
// property's kind cannot take raises EConvertError and leaves the property as it was.
#pragma once
#include <cstdint>
#include <string>

#include "kernel/elements.h"

class TInstanceProperties : public TOwnerElement {
    ZARIX_CLASS(TInstanceProperties, TOwnerElement)
    static void Publish(PropertyTable& t);

public:
    // The object (not owned); nil once it was freed.
    TPersistent* GetInstance() const;
    virtual void SetInstance(TPersistent* instance);
    // The property addressed by name (published PropertyName, PropertyText).
    const std::string& GetPropertyName() const { return FPropertyName; }
    void SetPropertyName(const std::string& name) { FPropertyName = name; }
    // The index of the addressed property in the instance's list; -1 when absent.
    int32_t GetPropertyIndex();
    // The addressed property as text (the property rules by name).
    std::string GetPropertyText();
    void SetPropertyText(const std::string& text);

    // Enumeration: the instance's property count (0 without one), the selected property.
    int32_t Count() const;
    // False (nothing selected) for an index outside the list.
    bool SelectIndex(int32_t index);
    // Selects by name (any case); false when there is no such property.
    bool SelectName(const std::string& name);
    int32_t Selected() const { return FSelected; }
    std::string SelectedName() const;
    TTypeKind SelectedKind() const;
    // The selected property's value as text; empty without a selection.
    std::string GetPropString() const;
    // Writes the selected property from text; EConvertError for text its kind cannot
    // take (then nothing is written). A class property takes "nil", empty, or the
    // address of a live object of its class.
    void SetPropString(const std::string& text);
    // The object a class property holds; nil for other kinds.
    TPersistent* GetObjectValue() const;
    // How many published properties the class has, its ancestors' included.
    static int32_t ClassPropCount(const TClassInfo* cls);

protected:
    TPersistent* FInstance = nullptr;
    uint64_t FInstanceSerial = 0;
    std::string FPropertyName;
    int32_t FSelected = -1;

private:
    const TPropInfo* SelectedProp() const;
};

void RegisterInstancePropertiesUnit();
