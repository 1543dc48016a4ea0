// The script runner and the script console. Scripts are Lua 5.4 in Windows-1250 text;
// they reach the suite through the global table `yesk` and element references:
//
//   local v = yesk.Create("TView", "Pohled")     -- a registered class by name
//   v.Scale = 5000                               -- published properties by name
//   v.Projection = p                             -- object properties take elements
//   local c = e:Child("Legend") or e:Child(0)    -- children by name or index
//   e:Add(v); e:Remove(v); e:FreeChild(v); v:Free()
//   t.Input = e; t:DoIt(); print(t.Output)       -- tools
//   e:Post(31, data)                             -- posts an element message to e
//   yesk.ProcessMessages()                       -- delivers what is queued
//   e:Path("FindElementByName(Legend).Text")     -- command-line paths (PathElement, PathList)
//   e:Get(name), e:Set(name, text), e:Has(name)  -- the element's own by-name access
//   yesk.Write("text"), print(...)               -- the text output (message 8)
//   yesk.World, yesk.ObjectModel, self           -- the world, its object model, the input
//
// Element references are checked on every use: one to a freed element raises. An error
// stops the script; the world's exception hook reports it with file name and line.
// Only text chunks are loaded (load, loadfile, dofile; string.dump is gone).
#pragma once
#include <string>

#include "kernel/tools.h"
#include "yesk/held.h"

class TCommandLine : public TResultTool {
    ZARIX_CLASS(TCommandLine, TResultTool)
    static void Publish(PropertyTable& t);

public:
    std::string FileName;

    // Runs the script FileName (nothing for an empty name) with `self` = Input. Result
    // is the text of what the script returns, or the error; Error is 1 after a failure.
    void DoIt() override;
    // Runs a text as a script named chunkName; the same rules as DoIt. When asExpression
    // is set and the text is an expression, its value is the result.
    bool RunText(const std::string& text, const std::string& chunkName, bool asExpression = false);
    // Whether a script of this runner is running now.
    bool GetRunning() const { return FRunning > 0; }
    // Ends every running script through its error path ("přerušeno" with file and
    // line), as Ctrl+C does while a script runs; nothing when none runs.
    static void Break();

private:
    bool Run(const std::string& code, const std::string& chunkName, bool asExpression);
    int FRunning = 0;
};

// The script console: each line the user host gives is run against the element (as
// `self`) and its result shown, until the host cancels.
class TCommandLineDlg : public TOwnerElement {
    ZARIX_CLASS(TCommandLineDlg, TOwnerElement)
    static void Publish(PropertyTable& t);

public:
    TElement* GetElement() const;
    void SetElement(TElement* element) { FElement.Set(element); }
    void Show();
    void Destroy() override;

private:
    THeld<TElement> FElement;
    THeld<TCommandLine> FRunner;
};
