// Typed value elements: small elements holding one value that convert it to and from
// the other basic types and text; the list of name=value items, the property list and
// the list of integers. Tools take their parameters and scripts their values as these.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "kernel/elements.h"

enum TType : uint8_t { _Boolean, _Char, _Byte, _Float, _String, _Integer, _Pointer, _Other };
const TTypeInfo* TypeInfoTType();

class TIntegerListElement;

// The typed value base: no value of its own; getters answer 0, False, #0 or "", setters
// do nothing.
class TTypeElement : public TOwnerElement {
    ZARIX_CLASS(TTypeElement, TOwnerElement)
    static void Publish(PropertyTable& t);

public:
    virtual TType GetType();
    virtual std::string GetTypeAsString();
    virtual uint8_t GetAsByte();
    virtual void SetAsByte(uint8_t value);
    virtual int32_t GetAsInteger();
    virtual void SetAsInteger(int32_t value);
    virtual char GetAsChar();
    virtual void SetAsChar(char value);
    virtual std::string GetAsString();
    virtual void SetAsString(const std::string& value);
    virtual double GetAsFloat();
    virtual void SetAsFloat(double value);
    virtual bool GetAsBoolean();
    virtual void SetAsBoolean(bool value);
    virtual void* GetAsPointer();
    virtual void SetAsPointer(void* value);
    virtual std::string GetUpperName();
    // A new element of the same class with the same value and name, owned by the caller;
    // nil for the base.
    virtual TTypeElement* SelfCopy();

    // The name as set; empty when none was (GetName then answers the class name).
    const std::string& OwnName() const { return FName; }

protected:
    // A blank of the same class named like this one.
    template <class T> T* NewSameClass() {
        auto* copy = static_cast<T*>(ClassType()->CreateInstance());
        copy->SetName(FName);
        return copy;
    }
};

class TBooleanElement : public TTypeElement {
    ZARIX_CLASS(TBooleanElement, TTypeElement)
    static void Publish(PropertyTable& t);

public:
    static TBooleanElement* New(bool value);
    static TBooleanElement* New(const std::string& name, bool value);

    TType GetType() override { return _Boolean; }
    std::string GetTypeAsString() override { return "boolean"; }
    void SetAsString(const std::string& value) override;  // exactly "true" or "false"
    std::string GetAsString() override;
    void SetAsByte(uint8_t value) override;
    uint8_t GetAsByte() override;
    bool GetAsBoolean() override { return FValue; }
    void SetAsBoolean(bool value) override { FValue = value; }
    TTypeElement* SelfCopy() override;

private:
    bool FValue = false;
};

class TCharElement : public TTypeElement {
    ZARIX_CLASS(TCharElement, TTypeElement)
    static void Publish(PropertyTable& t);

public:
    static TCharElement* New(char value);
    static TCharElement* New(const std::string& name, char value);

    TType GetType() override { return _Char; }
    std::string GetTypeAsString() override { return "char"; }
    void SetAsString(const std::string& value) override;  // the first character
    void SetAsInteger(int32_t value) override;            // only 1..255
    void SetAsByte(uint8_t value) override;
    std::string GetAsString() override;
    int32_t GetAsInteger() override;
    uint8_t GetAsByte() override;
    char GetAsChar() override { return FValue; }
    void SetAsChar(char value) override { FValue = value; }
    TTypeElement* SelfCopy() override;

private:
    char FValue = 0;
};

class TByteElement : public TTypeElement {
    ZARIX_CLASS(TByteElement, TTypeElement)
    static void Publish(PropertyTable& t);

public:
    static TByteElement* New(uint8_t value);
    static TByteElement* New(const std::string& name, uint8_t value);

    TType GetType() override { return _Byte; }
    std::string GetTypeAsString() override { return "byte"; }
    // Values outside 0..255 leave the value unchanged.
    void SetAsInteger(int32_t value) override;
    void SetAsFloat(double value) override;               // truncated towards zero
    void SetAsString(const std::string& value) override;  // an integer text
    void SetAsBoolean(bool value) override;
    void SetAsChar(char value) override;
    std::string GetAsString() override;
    double GetAsFloat() override;
    int32_t GetAsInteger() override;
    char GetAsChar() override;
    bool GetAsBoolean() override;
    uint8_t GetAsByte() override { return FValue; }
    void SetAsByte(uint8_t value) override { FValue = value; }
    TTypeElement* SelfCopy() override;

private:
    uint8_t FValue = 0;
};

class TFloatElement : public TTypeElement {
    ZARIX_CLASS(TFloatElement, TTypeElement)
    static void Publish(PropertyTable& t);

public:
    static TFloatElement* New(double value);
    static TFloatElement* New(const std::string& name, double value);

    TType GetType() override { return _Float; }
    std::string GetTypeAsString() override { return "float"; }
    // "." as decimal point and an optional exponent, whatever the locale.
    void SetAsString(const std::string& value) override;
    void SetAsInteger(int32_t value) override;
    // Scientific form, " 1.5000000000000000E+0000" or "-...", whatever the locale.
    std::string GetAsString() override;
    int32_t GetAsInteger() override;  // truncated; 0 outside the Integer range
    double GetAsFloat() override { return FValue; }
    void SetAsFloat(double value) override { FValue = value; }
    TTypeElement* SelfCopy() override;

private:
    double FValue = 0;
};

class TStringElement : public TTypeElement {
    ZARIX_CLASS(TStringElement, TTypeElement)
    static void Publish(PropertyTable& t);

public:
    static TStringElement* New(const std::string& value);
    static TStringElement* New(const std::string& name, const std::string& value);
    // The text taken by the NameIsValue rule; the number is not used.
    static TStringElement* New(const std::string& text, int32_t unused);

    TType GetType() override { return _String; }
    std::string GetTypeAsString() override { return "string"; }
    void SetAsString(const std::string& value) override { FValue = value; }
    std::string GetAsString() override { return FValue; }
    void SetAsInteger(int32_t value) override;
    int32_t GetAsInteger() override;        // 0 when the text is no integer
    void SetAsFloat(double value) override;  // locale form
    double GetAsFloat() override;
    void SetAsBoolean(bool value) override;  // "TRUE" / "FALSE"
    // A number: not 0; other texts: "TRUE" or "ANO" in any letter case.
    bool GetAsBoolean() override;
    TTypeElement* SelfCopy() override;

    int32_t GetLongInt(bool& ok);
    bool GetBoolean(bool def, bool& ok);
    double GetDouble(bool& ok);             // locale form; 0 and ok False on failure
    void SetLongInt(int32_t value) { SetAsInteger(value); }
    void SetDouble(double value) { SetAsFloat(value); }

    // name + "=" + value. Writing splits at the first "=" into trimmed parts: an empty
    // name part changes nothing; a name part alone becomes the value.
    std::string GetNameIsValue();
    void SetNameIsValue(const std::string& text);

    // The text read as integers one after another; nil when none was read.
    TIntegerListElement* CreateIntegerList();

private:
    std::string FValue;
};

class TIntegerElement : public TTypeElement {
    ZARIX_CLASS(TIntegerElement, TTypeElement)
    static void Publish(PropertyTable& t);

public:
    static TIntegerElement* New(int32_t value);
    static TIntegerElement* New(const std::string& name, int32_t value);

    TType GetType() override { return _Integer; }
    std::string GetTypeAsString() override { return "integer"; }
    void SetAsString(const std::string& value) override;  // an integer text, else unchanged
    void SetAsFloat(double value) override;               // truncated, when it fits
    void SetAsBoolean(bool value) override;
    void SetAsByte(uint8_t value) override;
    void SetAsPointer(void* value) override;
    std::string GetAsString() override;
    uint8_t GetAsByte() override;     // 0 outside 0..255
    bool GetAsBoolean() override;
    double GetAsFloat() override;
    void* GetAsPointer() override;    // only a live object at that address, else nil
    int32_t GetAsInteger() override { return FValue; }
    void SetAsInteger(int32_t value) override { FValue = value; }
    TTypeElement* SelfCopy() override;

private:
    int32_t FValue = 0;
};

// An address. As text it is a 64-bit decimal number; a number turns back into an
// address only when a live object sits there.
class TPointerElement : public TTypeElement {
    ZARIX_CLASS(TPointerElement, TTypeElement)

public:
    static TPointerElement* New(void* value);
    static TPointerElement* New(const std::string& name, void* value);

    TType GetType() override { return _Pointer; }
    std::string GetTypeAsString() override { return "pointer"; }
    void SetAsPointer(void* value) override { FValue = value; }
    void* GetAsPointer() override { return FValue; }
    void SetAsInteger(int32_t value) override;
    int32_t GetAsInteger() override;
    std::string GetAsString() override;
    void SetAsString(const std::string& value) override;
    TTypeElement* SelfCopy() override;

private:
    void* FValue = nullptr;
};

// A string holding a path.
class TPathElement : public TStringElement {
    ZARIX_CLASS(TPathElement, TStringElement)

public:
    static TPathElement* New(const std::string& value);
    static TPathElement* New(const std::string& name, const std::string& value);
};

// An ordered list of TStringElement items: an item's element name is its name, its
// Value its value. Names are compared upper-cased; the first match wins.
class TStringListElement : public TOwnerEntity {
    ZARIX_CLASS(TStringListElement, TOwnerEntity)
    static void Publish(PropertyTable& t);

public:
    // The element followed by AddStringList (list).
    static TStringListElement* New(const TStringList* list);

    std::string GetString(int32_t index);
    void PutString(int32_t index, const std::string& text);
    std::string GetNameAtIndex(int32_t index);   // empty for an item without name
    void PutName(int32_t index, const std::string& name);
    std::string GetUpperName(int32_t index);
    TStringElement* GetSElems(int32_t index);    // nil when the child is no string item
    void PutSElems(int32_t index, TStringElement* item);

    TStringElement* GetStringElementByName(const std::string& name);
    std::string GetStringByName(const std::string& name);
    int32_t GetIntegerByName(const std::string& name);
    bool GetBooleanByName(const std::string& name);
    double GetDoubleByName(const std::string& name);
    // A missing item is appended first with that name and an empty value.
    void SetStringByName(const std::string& name, const std::string& text);
    void SetIntegerByName(const std::string& name, int32_t value);
    void SetDoubleByName(const std::string& name, double value);

    TStringElement* AddString(const std::string& text);   // an item without name
    TStringElement* AddNameString(const std::string& name, const std::string& text);
    TStringElement* AddName(const std::string& name);     // with an empty value
    // Only a text holding "=": an item built by the NameIsValue rule.
    void AddNameIsValue(const std::string& text);
    // Each non-empty line: "name=value" gives that item ("name=" an empty value, "=v"
    // an item without name), any other line an item of that name with an empty value.
    void AddStringList(const TStringList* list);
    void AddStringListElement(TStringListElement* other);  // its lines in file form
    void AddFile(const std::string& path);     // a missing file adds nothing
    void IntoFile(const std::string& path);    // name=value lines, CR LF, replacing the file
    // The items' values in order, owned by the caller.
    std::unique_ptr<TStringList> CreateStringList();
    // Items whose value holds "=" take name and value from it by the NameIsValue rule.
    void ParamToNames();

    // A published property of that name first; an empty answer gives the item value.
    std::string GetPropertyStringByName(const std::string& name) override;
    // The published property when there is one, else the item of that name.
    void SetPropertyStringByName(const std::string& name, const std::string& value) override;

private:
    void AddLine(const std::string& line);
};

// A string list whose values are filled from an element's published properties.
class TPropertyList : public TStringListElement {
    ZARIX_CLASS(TPropertyList, TStringListElement)
    static void Publish(PropertyTable& t);

public:
    std::string Delimiter;

    // Each item's value becomes the element's property named by the item; a name
    // starting with "-" negates the text of the value.
    void SetByElement(TElement* element);
    std::string GetCatenation();  // the values joined with Delimiter
};

// An ordered list of TIntegerElement items.
class TIntegerListElement : public TOwnerEntity {
    ZARIX_CLASS(TIntegerListElement, TOwnerEntity)

public:
    bool KeepSorted = false;
    bool AllowDuplicates = false;

    int32_t GetInteger(int32_t index);   // 0 when the child is no integer item
    void PutInteger(int32_t index, int32_t value);
    bool ValueExists(int32_t value);
    // Appends, or with KeepSorted inserts before the first greater item (a value already
    // present is skipped unless AllowDuplicates).
    void AddInteger(int32_t value);
    // Adds each comma-separated part that is an integer.
    void SetValuesString(const std::string& text);
};

// A new list filled from the text as TStringElement::CreateIntegerList does; nil when
// no integer was read. The name is not used.
TIntegerListElement* CreateIntegerListElementFromString(const std::string& name,
                                                        const std::string& text);

// Registers the classes of this unit.
void RegisterETypeUnit();
