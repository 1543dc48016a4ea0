// Tools and technologies: the unit of work of the programs (input, named parameters,
// DoIt, output, status, progress and the task messages) and tools made of tools.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <string>

#include "kernel/system_register.h"
#include "kernel/elements.h"
#include "kernel/messages.h"

// Core message numbers.
constexpr int32_t tm_StartTask = 0;
constexpr int32_t tm_EndTask = 1;
constexpr int32_t tm_QuitTask = 2;
constexpr int32_t tm_Done = 3;
constexpr int32_t tm_TextNote = 8;
constexpr int32_t tm_ProgressStart = 10;
constexpr int32_t tm_ProgressValue = 11;
constexpr int32_t tm_ProgressEnd = 12;
constexpr int32_t tm_ProgressText = 13;

enum TToolStatusItem : uint8_t {
    st_FOCUSED = 0,
    st_BUSY = 1,
    st_BREAK = 2,
    st_BREAK_AND_DOIT = 3,
    st_DIE = 4,
    st_Progress = 5,
};

// A set of TToolStatusItem in one byte.
class TToolStatus {
public:
    constexpr TToolStatus() = default;
    constexpr TToolStatus(std::initializer_list<TToolStatusItem> items) {
        for (TToolStatusItem i : items) Include(i);
    }
    constexpr bool Has(TToolStatusItem i) const { return (bits_ >> i) & 1u; }
    constexpr void Include(TToolStatusItem i) { bits_ = static_cast<uint8_t>(bits_ | (1u << i)); }
    constexpr void Exclude(TToolStatusItem i) { bits_ = static_cast<uint8_t>(bits_ & ~(1u << i)); }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr uint8_t Bits() const { return bits_; }
    static constexpr TToolStatus FromBits(uint8_t b) {
        TToolStatus s;
        s.bits_ = b;
        return s;
    }
    constexpr bool operator==(const TToolStatus&) const = default;

private:
    uint8_t bits_ = 0;
};

// The container of a tool's parameters.
class TParameters : public TOwnerEntity {
    ZARIX_CLASS(TParameters, TOwnerEntity)
};

// The container of a technology's tools; its one owner is the technology, which gets
// the messages sent to the container.
class TTools : public TEnvelopeEntity {
    ZARIX_CLASS(TTools, TEnvelopeEntity)
};

class TToolProperties : public TOwnerElement {
    ZARIX_CLASS(TToolProperties, TOwnerElement)
};

// Progress start (10) and value (11).
class TProgressMessage : public TZarixMessage {
    ZARIX_CLASS(TProgressMessage, TZarixMessage)
    static void Publish(PropertyTable& t);

public:
    std::string ProcessName;
    int32_t MinProgress = 0;
    int32_t MaxProgress = 0;
    int32_t Progress = 0;

    void SetProcessName(const std::string& v) { ProcessName = v; }
    void SetMinProgress(int32_t v) { MinProgress = v; }
    void SetMaxProgress(int32_t v) { MaxProgress = v; }
    void SetProgress(int32_t v) { Progress = v; }
};

class TTool : public TOwnerEntity {
    ZARIX_CLASS(TTool, TOwnerEntity)
    static void Publish(PropertyTable& t);

public:
    TToolStatus Status;
    int32_t Error = 0;          // the tool's own error number; the core never sets it
    bool DynamicTool = false;
    TElement* Input = nullptr;  // not owned
    TElement* Output = nullptr; // not owned

    virtual void SetInput(TElement* element);
    virtual void SetOutput(TElement* element);
    // The parameter container, created and added as a child on first use.
    virtual TParameters* GetParameters();
    // Releases the present container (FreeElement) and adds P as a child; setting the
    // present container again changes nothing.
    virtual void SetParameters(TParameters* parameters);
    virtual TElement* GetNameParameter(const std::string& name);
    virtual void SetNameParameter(const std::string& name, TElement* element);
    virtual void SetBreak(bool value);
    virtual void DoIt();
    virtual bool IsPossibleToQuit();
    virtual void CreateSelfByModel();
    virtual void CreateDynamicPart();
    virtual void DestroyDynamicPart();
    virtual void UpdateModel();
    virtual void on_tm_StartTask(TZarixMessage*& message, bool& handled);
    virtual void on_tm_QuitTask(TZarixMessage*& message, bool& handled);
    virtual void on_tm_EndTask(TZarixMessage*& message, bool& handled);
    virtual void on_tm_Done(TZarixMessage*& message, bool& handled);
    virtual std::string NumberToPropertyName(int32_t number);

    void HandleMessage(TZarixMessage*& message, bool& handled) override;
    void Destroy() override;

    // Status.
    bool GetBreak() const { return Status.Has(st_BREAK) || Status.Has(st_BREAK_AND_DOIT); }
    bool GetBusy() const { return Status.Has(st_BUSY); }
    void SetBusy(bool value);
    bool GetInProgress() const { return Status.Has(st_Progress); }
    void SetInProgress(bool value);

    // Progress: messages 10 to 13 with no receiver (for the main tool).
    void StartProgress(const std::string& processName, int32_t minProgress, int32_t maxProgress);
    void SetProgress(int32_t value);
    void SetProgressText(const std::string& text);
    void EndProgress();

    // Parameters.
    bool GetNoParameters();
    void AddParameter(TElement* element);
    void AddNamedParameter(TElement* element);
    TElement* GetParameter(int32_t index);
    void PutParameter(int32_t index, TElement* element);
    void FreeParameter(TElement* element);
    void FreeParameters();

    // Published properties by number.
    std::string GetPropertyNumber(int32_t number);
    void SetPropertyNumber(int32_t number, const std::string& text);

    // The first TToolModel child, or nil.
    TToolModel* GetSelfModel();
    // Releases the present model (FreeElement) and adds the new one as a child; setting
    // the present model again changes nothing.
    void SetSelfModel(TToolModel* model);

protected:
    TParameters* FParameters = nullptr;
};

class TTechnology : public TTool {
    ZARIX_CLASS(TTechnology, TTool)
    static void Publish(PropertyTable& t);

public:
    virtual TTool* GetActiveTool();
    virtual int32_t GetActiveToolIndex();
    virtual void SetActiveTool(TTool* tool);
    // Stores the index when it names a tool, otherwise -1.
    virtual void SetActiveToolIndex(int32_t index);
    virtual void AddToolProc(TTool* tool);
    virtual TTool* AddTool(TTool* tool);
    virtual TTool* CreateToolByModel(TToolModel* model);
    // A registered tool class created by name, named and added; nil for an unknown
    // class or one that is not a tool.
    virtual TTool* CreateTool(const std::string& className, const std::string& name);
    virtual TTool* InsertTool(int32_t index, TTool* tool);
    virtual void RemoveTool(TTool* tool);
    virtual void FreeTool(TTool* tool);

    bool IsPossibleToQuit() override;
    void CreateSelfByModel() override;
    void CreateDynamicPart() override;
    void DestroyDynamicPart() override;
    void UpdateModel() override;
    // Frees the sender when it is one of this technology's tools.
    void on_tm_EndTask(TZarixMessage*& message, bool& handled) override;

    // The tool list, created and added as a child on first use.
    TTools* GetTools();
    // Releases the present list and makes L the list, added as a child (so that its
    // messages reach the technology).
    void SetTools(TTools* tools);
    // Number of tools; does not create the list.
    int32_t ToolsCount();
    // The tool at the index, nil when the item is not a tool.
    TTool* GetTool(int32_t index);
    void PutTool(int32_t index, TTool* tool);
    TTool* GetToolByName(const std::string& name);
    // Frees the tool held in field (FreeTool), then stores and adds the new one; setting
    // the held tool again changes nothing.
    void ExchangeFieldTool(TTool*& field, TTool* tool);
    template <class T> void ExchangeFieldTool(T*& field, T* tool) {
        TTool* f = field;
        ExchangeFieldTool(f, static_cast<TTool*>(tool));
        field = static_cast<T*>(f);
    }
    void SetToolToFree(TTool* tool) { FreeTool(tool); }
    void SetNewToolByModel(TToolModel* model) { CreateToolByModel(model); }

protected:
    // The field element while it is still a child, else nil.
    TTools* LiveTools();
    TTools* FTools = nullptr;
    int32_t FActiveToolIndex = 0;
};

// Runs its tools in order, each one's output the next one's input.
class TSeqTechnology : public TTechnology {
    ZARIX_CLASS(TSeqTechnology, TTechnology)

public:
    void HandleMessage(TZarixMessage*& message, bool& handled) override;
    void DoIt() override;
};

class TIterateTechnology : public TTechnology {
    ZARIX_CLASS(TIterateTechnology, TTechnology)

public:
    virtual void TestIterace(bool& result);
    virtual void Iterate();
    void DoIt() override;

protected:
    int32_t FIteration = 0;  // for descendants
};

// Runs the tool at SelIndex, or ElseTool when there is none.
class TSelectTechnology : public TTechnology {
    ZARIX_CLASS(TSelectTechnology, TTechnology)
    static void Publish(PropertyTable& t);

public:
    int32_t SelIndex = 0;

    void DoIt() override;
    // The else tool while it is still a child, else nil.
    TTool* GetElseTool();
    // Nil is ignored; otherwise stored and added as a child (a previous one stays).
    void SetElseTool(TTool* tool);

protected:
    TTool* FElseTool = nullptr;
};

// Tools that only carry a result for scripts.
class TResultTool : public TTool {
    ZARIX_CLASS(TResultTool, TTool)
    static void Publish(PropertyTable& t);

public:
    std::string Result;
};

class TBooleanTool : public TTool {
    ZARIX_CLASS(TBooleanTool, TTool)
    static void Publish(PropertyTable& t);

public:
    bool Result = false;
};

class TOrdinalTool : public TTool {
    ZARIX_CLASS(TOrdinalTool, TTool)

public:
    int32_t Result = 0;
    void SetResult(int32_t value) { Result = value; }
};

// Creates a tool by class name (with or without the leading "T"), runs it on the input
// and frees it. False when no tool could be created (a class that is not a tool is
// freed unrun).
bool CreateAndExecuteTool(const std::string& className, TElement* input);

// Registers the tool classes.
// Gives the tool its input, runs it, frees it (also when it raises) and answers its output.
TElement* RunAndFree(TTool* tool, TElement* input);

void RegisterToolsUnit();
