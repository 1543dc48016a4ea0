// Checks: tools that look at one element (Input) and say whether it is correct. A check
// interpret runs every check on every element, counts the faults and writes them.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "kernel/tools.h"
#include "kernel/value_elements.h"

namespace yesk_detail {
struct CondTree;
}

// The common base. Error (inherited from TTool) is 0 after a correct element, otherwise
// the check number of the fault.
class TCheckTool : public TTool {
    ZARIX_CLASS(TCheckTool, TTool)
    static void Publish(PropertyTable& t);

public:
    std::string ErrorTxt;     // printed in front of every fault line of the protocol
    int32_t ErrorCount = 0;   // faults in this run; counted by the check interpret only
    bool DontSendErrors = false;

    // The number stored in Error after a failed test.
    virtual int32_t CheckNumber();
    // The fault of the last tested element; empty when Error is 0 or less.
    virtual std::string GetErrorMsg();
    // The text after the check's name in the summary.
    virtual std::string GetResultMsg();
    // True when Input is correct.
    virtual bool Test();
    // Error := 0, before each element.
    virtual void Reset();

    // Runs the test; the check number is asked for only after a failure.
    void DoIt() override;
};

// The condition TestCondition must hold (check number 1000); the fault text quotes the
// properties named in MsgProp.
class TCheckPropsTool : public TCheckTool {
    ZARIX_CLASS(TCheckPropsTool, TCheckTool)
    static void Publish(PropertyTable& t);

public:
    std::string TestCondition;
    std::string MsgProp;  // comma-separated property names

    int32_t CheckNumber() override { return 1000; }
    std::string GetErrorMsg() override;
    // A condition that cannot be compiled or evaluated shows "Condition processing
    // Error" and passes the element. The compiled condition is kept while the text stays.
    bool Test() override;

private:
    std::shared_ptr<const yesk_detail::CondTree> FTree;
    std::string FTreeText;
    bool FCompiled = false;
};

// An integer property whose value must (or, with Exclude, must not) be listed.
class TIntegerPropertyFilter : public TBooleanTool {
    ZARIX_CLASS(TIntegerPropertyFilter, TBooleanTool)
    static void Publish(PropertyTable& t);

public:
    std::string PropertyName;
    bool Exclude = false;
    int32_t LastValue = 0;  // the value read by the last DoIt

    // The allowed values, made on first use as a child.
    TIntegerListElement* GetValues();
    std::string GetValuesString();
    // Adds each comma-separated integer (one already listed is not added again); pieces
    // that are no integer are skipped.
    void SetValuesString(const std::string& text);
    void AddValue(int32_t value);
    // Result := Exclude, turned over when the property's value is listed.
    void DoIt() override;

private:
    TIntegerListElement* FValues = nullptr;
};

// The value of PropertyName must pass the owned filter (check number 1100); the values
// that did not are collected, sorted and each once, for the summary.
class TCheckPropsByFilter : public TCheckTool {
    ZARIX_CLASS(TCheckPropsByFilter, TCheckTool)
    static void Publish(PropertyTable& t);

public:
    // Both made on first use as children.
    TIntegerPropertyFilter* GetFilter();
    TIntegerListElement* GetFoundValues();

    int32_t CheckNumber() override { return 1100; }
    std::string GetErrorMsg() override;
    std::string GetResultMsg() override;
    bool Test() override;

private:
    TIntegerPropertyFilter* FFilter = nullptr;
    TIntegerListElement* FFoundValues = nullptr;
};

// Splits a comma list into its trimmed pieces: "a, b" gives a and b, "a," gives a and the
// empty piece, a text without comma gives itself.
std::vector<std::string> SplitCommaList(const std::string& text);

// The tool's input while it lives, else nil.
TElement* LiveInput(TTool* tool);

// The child in field, else the first child of its class (one a model file brought), else
// nil; field follows.
template <class T> T* ChildIfAny(TEntity* owner, T*& field) {
    // The child's own owner list answers whether it is still held (no search of the children).
    if (field && (!IsLive(field) || !field->IsMyOwner(owner))) field = nullptr;
    if (!field) field = As<T>(owner->FindElementClass(T::StaticClass()));
    return field;
}

// The same, a new child added when there is none.
template <class T> T* ChildOnFirstUse(TEntity* owner, T*& field) {
    if (!ChildIfAny(owner, field)) {
        field = T::New();
        owner->AddElement(field);
    }
    return field;
}

// Registers the check tools and the script tools of the checking program.
void RegisterCheckerClasses();
