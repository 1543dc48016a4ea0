// Small tools that scripts of the checking program create by class name: listing the
// published properties of elements and classes, showing a message, and an envelope that
// creates an object by class name and sets its properties by name.
#pragma once
#include <string>

#include "interpret/interpret.h"
#include "kernel/value_elements.h"
#include "yesk/held.h"

// Lists each element it walks: its name, then a tab and the name of each published
// property. For a class record of the registry the recorded class is listed.
class TPropertiesToListTool : public TInterpret {
    ZARIX_CLASS(TPropertiesToListTool, TInterpret)
    static void Publish(PropertyTable& t);

public:
    // Made on first use and freed with the tool (not a child).
    TStringListElement* GetList();
    // Clears the own list and fills it with the lines of the given one.
    void SetList(TStringListElement* list);

    bool QProcessBefore(TElement* element) override;
    // Entities, but not the class records, whose children are their property records.
    bool QGoInside(TElement* element) override;
    void Process(TElement* element) override;
    void Destroy() override;

private:
    THeld<TStringListElement> FList;
};

// ... and saves the list to FileName (one line per entry) after the walk.
class TPropertiesToTextTool : public TPropertiesToListTool {
    ZARIX_CLASS(TPropertiesToTextTool, TPropertiesToListTool)
    static void Publish(PropertyTable& t);

public:
    std::string FileName;
    void DoIt() override;
};

// Shows Text in a message box; every numbered parameter is Text.
class TShowMessage : public TTool {
    ZARIX_CLASS(TShowMessage, TTool)
    static void Publish(PropertyTable& t);

public:
    std::string Text;
    std::string NumberToPropertyName(int32_t number) override;
    void DoIt() override;
};
