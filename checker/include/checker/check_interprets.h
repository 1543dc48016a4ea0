// Check interprets: walked over the map data, they run their check tools on every element
// and write the protocol (a plain text) to their device: a block for every faulty object
// and a summary per interpret when the walk ends.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "checker/check_tools.h"
#include "interpret/interpret.h"

// The base: the texts around the object blocks and the number of objects handed to it.
class TCheckInterpret : public TInterpret {
    ZARIX_CLASS(TCheckInterpret, TInterpret)
    static void Publish(PropertyTable& t);

public:
    int32_t ObjectCount = 0;  // kept for the life of the interpret
    std::string BeforeRow;    // written before the object line, without line end
    std::string AfterRow;     // a line after the fault lines
    std::string Header;       // written in front of every object block, without line end

    // The line that names the element in its block; nothing in the base.
    virtual void WriteObjectLine(TElement* element);
};

// Runs every check tool on every element; a faulty element gets a block with one line per
// check that failed and writes; Close writes the summary.
class TTestInterpret : public TCheckInterpret {
    ZARIX_CLASS(TTestInterpret, TCheckInterpret)

public:
    void Process(TElement* element) override;
    void Reset(TDevice* device) override;
    void Close() override;
    // The element's name.
    void WriteObjectLine(TElement* element) override;
    // The objects tested and each check's fault count and result.
    virtual void WriteSummary();

protected:
    void WriteLine(const std::string& text);
    void WriteText(const std::string& text);
    // The check tools in tool order, taken anew after anything was freed.
    const std::vector<TCheckTool*>& Checks();

private:
    std::vector<TCheckTool*> FChecks;
    uint64_t FChecksDestroyed = 0;
    bool FChecksTaken = false;
};

// Counts the objects, shows progress, and names an object by its property object.
class TTestTplInterpret : public TTestInterpret {
    ZARIX_CLASS(TTestTplInterpret, TTestInterpret)
    static void Publish(PropertyTable& t);

public:
    std::string MsgProp;         // comma list of properties quoted in the object line
    std::string LastObjectText;  // the property object's text of the last object line

    void Process(TElement* element) override;
    void Reset(TDevice* device) override;
    void Close() override;
    // " č." + number + " " + (" * " + value per MsgProp name) + " " + text; nothing for an
    // element without a property object.
    void WriteObjectLine(TElement* element) override;

protected:
    // The progress text at every object shown (each hundredth and the first).
    void CountObject();
};

// Only the elements of one kind are taken; others are neither counted nor checked.
class TTestAreaInterpret : public TTestTplInterpret {
    ZARIX_CLASS(TTestAreaInterpret, TTestTplInterpret)

public:
    void Process(TElement* element) override;
};

class TTestLineInterpret : public TTestTplInterpret {
    ZARIX_CLASS(TTestLineInterpret, TTestTplInterpret)

public:
    void Process(TElement* element) override;
};

class TTestPointInterpret : public TTestTplInterpret {
    ZARIX_CLASS(TTestPointInterpret, TTestTplInterpret)

public:
    void Process(TElement* element) override;
};

class TTestTextInterpret : public TTestTplInterpret {
    ZARIX_CLASS(TTestTextInterpret, TTestTplInterpret)

public:
    void Process(TElement* element) override;
};

class TQTreeTopLin;

// Builds the topology of a line layer (a polyline string) and reports the closed regions
// that no area of the layer's topology covers; with OutputDir each string's regions are
// exported into a block "Err<n>.blk" there.
class TCheckLineStringInterpret : public TTestTplInterpret {
    ZARIX_CLASS(TCheckLineStringInterpret, TTestTplInterpret)
    static void Publish(PropertyTable& t);

public:
    std::string ErrorTxt;
    std::string OutputDir;
    bool DontSendError = false;
    int32_t UnclosedCount = 0;  // regions without an area, over the interpret's life

    void Process(TElement* element) override;
    void WriteSummary() override;
    // The block names so far, one entry per string handled (a count without OutputDir).
    const std::vector<std::string>& BlockNames() const { return FBlockNames; }
    void Destroy() override;

private:
    void ExamineRegions(TEntity* regions);
    void ExportRegions(TEntity* regions);
    void FreeWork();

    TQTreeTopLin* FQTree = nullptr;
    TEntity* FRegions = nullptr;
    std::string FBlockName;
    std::vector<std::string> FBlockNames;
};

// Writes "TDI: " + the element's name on a text-file device, nothing on others.
class TTextDeviceInterpret : public TInterpret {
    ZARIX_CLASS(TTextDeviceInterpret, TInterpret)

public:
    void Process(TElement* element) override;
};

// The property object a topology package links to a map element (nil when none), its
// number and its descriptive text (its published "Number" and "Text").
TElement* PropertyObjectOf(TElement* element);
int32_t PropertyObjectNumber(TElement* object);
std::string PropertyObjectText(TElement* object);
