// The recursor: a technology that walks an element tree depth first from its input,
// asking for each element whether to process it before its children, whether to descend
// into it, and whether to process it after them.
#pragma once
#include <cstdint>

#include "kernel/tools.h"

class TRecursor : public TTechnology {
    ZARIX_CLASS(TRecursor, TTechnology)
    static void Publish(PropertyTable& t);

public:
    bool NotInside = false;  // never descend below the element given to GoInside
    int32_t Level = 0;       // 1 for the input, one more per level of children

    // Walks the children of E (nothing for a non-entity or with NotInside).
    virtual void GoInside(TElement* element);
    // True for an entity.
    virtual bool QGoInside(TElement* element);
    virtual bool QProcessBefore(TElement* element);
    virtual bool QProcessAfter(TElement* element);
    virtual void Process(TElement* element);
    virtual void PrepareOutPut();

    // The walk from Input; does not set st_FOCUSED.
    void DoIt() override;
};

// A recursor whose decisions are made by tools (not owned): BeforeTool and AfterTool
// run on each element; QGoInsideTool decides by leaving an output or not.
class TRecursorWithTools : public TRecursor {
    ZARIX_CLASS(TRecursorWithTools, TRecursor)
    static void Publish(PropertyTable& t);

public:
    TTool* BeforeTool = nullptr;
    TTool* AfterTool = nullptr;
    TTool* QGoInsideTool = nullptr;

    bool QGoInside(TElement* element) override;
    bool QProcessBefore(TElement* element) override;
    bool QProcessAfter(TElement* element) override;
};

// Registers TRecursorWithTools.
void RegisterRecursUnit();
