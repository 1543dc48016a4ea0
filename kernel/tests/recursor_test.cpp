#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kernel/kernel.h"
#include "kernel/recursor.h"
#include "kernel/property_access.h"
#include "test_support.h"

namespace {

std::vector<std::string>* g_trace = nullptr;

void Trace(const std::string& s) {
    if (g_trace) g_trace->push_back(s);
}

// Processes every element before and after its children and traces each call.
class TTraceRecursor : public TRecursor {
    ZARIX_CLASS(TTraceRecursor, TRecursor)

public:
    bool Before = true;
    bool After = true;
    TEntity* PruneOwner = nullptr;  // frees PruneVictim from PruneOwner while "+a" is processed
    TElement* PruneVictim = nullptr;
    bool QProcessBefore(TElement* e) override {
        Trace("before " + e->GetName() + " " + IntToStr(Level));
        return Before;
    }
    bool QProcessAfter(TElement* e) override {
        Trace("after " + e->GetName());
        return After;
    }
    void Process(TElement* e) override {
        Trace("process " + e->GetName());
        if (PruneOwner && e->GetName() == "+a") PruneOwner->FreeElement(PruneVictim);
    }
    void PrepareOutPut() override { Trace("prepare"); }
};

// Records what the walk descends into.
class TInsideRecursor : public TRecursorWithTools {
    ZARIX_CLASS(TInsideRecursor, TRecursorWithTools)

public:
    void GoInside(TElement* e) override {
        Trace("inside " + e->GetName());
        inherited::GoInside(e);
    }
};

// Traces its input; leaves an output only for entities whose name starts with "+".
class TTraceTool : public TTool {
    ZARIX_CLASS(TTraceTool, TTool)

public:
    void DoIt() override {
        Trace(GetName() + " " + Input->GetName());
        SetOutput(Input->GetName()[0] == '+' ? Input : nullptr);
    }
};

// Traces its input and frees it when its name starts with "-".
class TFreeingTool : public TTool {
    ZARIX_CLASS(TFreeingTool, TTool)

public:
    void DoIt() override {
        Trace(GetName() + " " + Input->GetName());
        if (Input->GetName()[0] != '-') return;
        if (TEntity* owner = Input->GetOwnerEntity(0)) owner->FreeElement(Input);
        else Free(Input);
    }
};

TOwnerEntity* Entity(const char* name, std::initializer_list<TElement*> children = {}) {
    TOwnerEntity* e = NewNamed<TOwnerEntity>(name);
    for (TElement* c : children) e->AddElement(c);
    return e;
}

TNameElement* Leaf(const char* name) { return NewNamed<TNameElement>(name); }

class RecursorTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterKernelClasses();
        g_trace = &trace_;
        // root { +a { a1 }, b, c {} }
        root_ = Entity("root", {Entity("+a", {Leaf("a1")}), Leaf("b"), Entity("c")});
    }
    void TearDown() override {
        Free(root_);
        g_trace = nullptr;
    }
    std::vector<std::string> trace_;
    TOwnerEntity* root_ = nullptr;
};

using Lines = std::vector<std::string>;

}  // namespace

TEST_F(RecursorTest, WalksBeforeInsideAfterAtEveryLevel) {
    TTraceRecursor* r = TTraceRecursor::New();
    r->After = false;
    r->SetInput(root_);
    r->DoIt();
    EXPECT_EQ(trace_, (Lines{"prepare", "before root 1", "process root", "before +a 2", "process +a", "before a1 3",
                             "process a1", "after a1", "after +a", "before b 2", "process b", "after b",
                             "before c 2", "process c", "after c", "after root"}));
    EXPECT_EQ(r->Level, 1);
    EXPECT_FALSE(r->Status.Has(st_FOCUSED));
    Free(r);
}

TEST_F(RecursorTest, InputEdges) {
    TTraceRecursor* r = TTraceRecursor::New();
    r->Level = 7;
    r->DoIt();  // no input
    EXPECT_EQ(r->Level, 1);
    EXPECT_TRUE(trace_.empty());

    TNameElement* leaf = Leaf("leaf");
    r->SetInput(leaf);
    r->DoIt();
    EXPECT_EQ(trace_, (Lines{"prepare", "before leaf 1", "process leaf", "after leaf", "process leaf"}));
    Free(leaf);

    trace_.clear();
    r->Before = r->After = false;
    SetPropStringByName(r, "NotInside", "True");
    r->SetInput(root_);
    r->DoIt();
    EXPECT_EQ(trace_, (Lines{"prepare", "before root 1", "after root"}));
    Free(r);
}

TEST_F(RecursorTest, ChildrenFreedDuringTheWalkAreSkipped) {
    TTraceRecursor* r = TTraceRecursor::New();
    r->After = false;
    r->PruneOwner = root_;
    r->PruneVictim = root_->Get(2);
    r->SetInput(root_);
    r->DoIt();
    EXPECT_EQ(trace_, (Lines{"prepare", "before root 1", "process root", "before +a 2", "process +a", "before a1 3",
                             "process a1", "after a1", "after +a", "before b 2", "process b", "after b",
                             "after root"}));
    EXPECT_EQ(root_->ElementsCount(), 2);
    EXPECT_EQ(r->Level, 1);
    Free(r);
}

TEST_F(RecursorTest, ToolsDecideAndProcess) {
    TInsideRecursor* r = TInsideRecursor::New();
    r->SetInput(root_);
    r->DoIt();  // no tools: every entity is entered, nothing processed
    // Non-entities are offered too and refused by GoInside itself.
    EXPECT_EQ(trace_, (Lines{"inside root", "inside +a", "inside a1", "inside b", "inside c"}));

    trace_.clear();
    TTraceTool* before = TTraceTool::New();
    before->SetName("B");
    TTraceTool* after = TTraceTool::New();
    after->SetName("A");
    TTraceTool* gate = TTraceTool::New();
    gate->SetName("Q");
    r->BeforeTool = before;
    r->AfterTool = after;
    r->QGoInsideTool = gate;
    r->DoIt();
    // The gate is asked only for entities; root has no "+", so nothing below it is seen.
    EXPECT_EQ(trace_, (Lines{"B root", "Q root", "A root"}));

    trace_.clear();
    r->SetInput(root_->Get(0));
    r->DoIt();
    EXPECT_EQ(trace_, (Lines{"B +a", "Q +a", "inside +a", "B a1", "inside a1", "A a1", "A +a"}));

    // A freed tool is no longer run.
    trace_.clear();
    Free(after);
    r->DoIt();
    EXPECT_EQ(trace_, (Lines{"B +a", "Q +a", "inside +a", "B a1", "inside a1"}));
    Free(before);
    Free(gate);
    Free(r);
}

TEST_F(RecursorTest, AnElementFreedByAStepIsNotReadAgain) {
    TInsideRecursor* r = TInsideRecursor::New();
    TFreeingTool* before = TFreeingTool::New();
    before->SetName("B");
    TTraceTool* after = TTraceTool::New();
    after->SetName("A");
    r->BeforeTool = before;
    r->AfterTool = after;
    root_->AddElement(Entity("-d", {Leaf("d1")}));
    r->SetInput(root_);
    r->DoIt();
    EXPECT_EQ(trace_, (Lines{"B root", "inside root", "B +a", "inside +a", "B a1", "inside a1", "A a1", "A +a", "B b",
                             "inside b", "A b", "B c", "inside c", "A c", "B -d", "A root"}));
    EXPECT_EQ(root_->ElementsCount(), 3);

    // The input itself.
    trace_.clear();
    r->SetInput(Entity("-in", {Leaf("x")}));
    r->DoIt();
    EXPECT_EQ(trace_, Lines{"B -in"});
    EXPECT_EQ(r->Level, 1);
    r->SetInput(nullptr);
    Free(before);
    Free(after);
    Free(r);
}
