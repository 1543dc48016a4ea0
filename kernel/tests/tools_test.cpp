#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "kernel/class_registry.h"
#include "kernel/system_register.h"
#include "kernel/kernel.h"
#include "kernel/tools.h"
#include "kernel/property_access.h"
#include "kernel/world.h"
#include "platform/forms.h"
#include "platform/host.h"
#include "test_support.h"

namespace {

struct Received {
    int32_t number;
    TElement* sender;
    std::string text;
};

// A main tool that records what reaches it.
class TToolsTestMain : public TTechnology {
    ZARIX_CLASS(TToolsTestMain, TTechnology)

public:
    std::vector<Received> got;
    void HandleMessage(TZarixMessage*& m, bool& handled) override {
        inherited::HandleMessage(m, handled);
        if (!m) return;
        Received r{m->Message, m->Sender, ""};
        if (auto* t = As<TZarixTextMessage>(m)) r.text = t->GetMessageText();
        if (auto* p = As<TProgressMessage>(m))
            r.text = p->ProcessName + " " + IntToStr(p->MinProgress) + ".." + IntToStr(p->MaxProgress) + " " +
                     IntToStr(p->Progress);
        got.push_back(r);
    }
    std::vector<int32_t> Numbers() const {
        std::vector<int32_t> n;
        for (const Received& r : got) n.push_back(r.number);
        return n;
    }
};

std::vector<std::string>* g_runs = nullptr;

// Records its run and leaves its own child as output.
class TStepTool : public TTool {
    ZARIX_CLASS(TStepTool, TTool)

public:
    TElement* SeenInput = nullptr;
    std::function<void(TStepTool*)> OnRun;
    void DoIt() override {
        inherited::DoIt();
        SeenInput = Input;
        if (g_runs) g_runs->push_back(GetName());
        if (!result_) {
            result_ = TNameElement::New();
            result_->SetName(GetName() + ".out");
            AddElement(result_);
        }
        SetOutput(result_);
        if (OnRun) OnRun(this);
    }

private:
    TNameElement* result_ = nullptr;
};

class TStubbornTool : public TTool {
    ZARIX_CLASS(TStubbornTool, TTool)

public:
    bool IsPossibleToQuit() override { return false; }
};

class TNumberedTool : public TTool {
    ZARIX_CLASS(TNumberedTool, TTool)

public:
    std::string NumberToPropertyName(int32_t n) override { return n == 1 ? "Error" : ""; }
};

class ToolsTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterKernelClasses();
        static bool registered = false;
        if (!registered) {
            RegisterZarixClass<TStepTool>();
            registered = true;
        }
        g_runs = &runs_;
        world_ = TWorld::New();
        World = world_;
        main_ = TToolsTestMain::New();
        main_->SetName("Main");
        world_->SetMainTool(main_);
        world_->HookApplication();
    }
    void TearDown() override {
        Application().ProcessMessages();
        Free(world_);
        DropQueue();
        g_runs = nullptr;
    }
    TStepTool* Step(TTechnology* t, const char* name) {
        TStepTool* s = TStepTool::New();
        s->SetName(name);
        t->AddTool(s);
        return s;
    }
    // Notes (message 8) that reached the main tool.
    std::vector<std::string> Notes() const {
        std::vector<std::string> n;
        for (const Received& r : main_->got)
            if (r.number == tm_TextNote) n.push_back(r.text);
        return n;
    }
    InstalledHost host_;
    std::vector<std::string> runs_;
    TWorld* world_ = nullptr;
    TToolsTestMain* main_ = nullptr;
};

}  // namespace

TEST_F(ToolsTest, StatusBreakAndActiveIndex) {
    TTool* t = TTool::New();
    EXPECT_TRUE(t->Status.Empty());
    t->Status.Include(st_BREAK_AND_DOIT);
    EXPECT_EQ(t->Status.Bits(), 8);
    EXPECT_TRUE(t->GetBreak());
    t->SetBreak(true);
    t->SetBreak(false);
    EXPECT_FALSE(t->GetBreak());
    EXPECT_TRUE(t->Status.Empty());
    t->DoIt();
    EXPECT_TRUE(t->Status.Has(st_FOCUSED));
    Free(t);

    TTechnology* tech = TTechnology::New();
    EXPECT_EQ(tech->GetActiveToolIndex(), 0);
    EXPECT_EQ(tech->GetActiveTool(), nullptr);
    tech->SetActiveToolIndex(0);
    EXPECT_EQ(tech->GetActiveToolIndex(), -1);  // empty list
    Step(tech, "a");
    TStepTool* b = Step(tech, "b");
    tech->SetActiveToolIndex(2);
    EXPECT_EQ(tech->GetActiveToolIndex(), -1);
    tech->SetActiveToolIndex(1);
    EXPECT_EQ(tech->GetActiveTool(), b);
    TTool* stranger = TTool::New();
    tech->SetActiveTool(stranger);  // not in the list
    EXPECT_EQ(tech->GetActiveToolIndex(), -1);
    Free(stranger);
    EXPECT_EQ(tech->GetToolByName("B"), b);
    Free(tech);
}

TEST_F(ToolsTest, SequencePipesOutputIntoInput) {
    TSeqTechnology* seq = TSeqTechnology::New();
    TNameElement* in = TNameElement::New();
    seq->SetInput(in);
    seq->DoIt();  // no children at all
    EXPECT_EQ(seq->Input, in);
    EXPECT_EQ(seq->Output, nullptr);
    EXPECT_EQ(seq->ElementsCount(), 0);

    TStepTool* a = Step(seq, "a");
    TStepTool* b = Step(seq, "b");
    TStepTool* c = Step(seq, "c");
    seq->DoIt();
    EXPECT_EQ(runs_, (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(a->SeenInput, in);
    EXPECT_EQ(b->SeenInput, a->Output);
    EXPECT_EQ(c->SeenInput, b->Output);
    EXPECT_EQ(seq->Output, c->Output);
    EXPECT_EQ(seq->Input, c->Output);
    EXPECT_EQ(seq->GetActiveToolIndex(), 2);
    // Every tool shares the technology's parameter container.
    TParameters* p = seq->GetParameters();
    EXPECT_EQ(a->GetParameters(), p);
    EXPECT_EQ(c->GetParameters(), p);
    EXPECT_EQ(p->GetOwnersCount(), 4);
    seq->DoIt();  // again: the shared container is kept, not released
    EXPECT_EQ(p->GetOwnersCount(), 4);
    Free(seq);
    Free(in);
}

TEST_F(ToolsTest, SequenceSkipsToolsFreedWhileItRuns) {
    TSeqTechnology* seq = TSeqTechnology::New();
    TStepTool* a = Step(seq, "a");
    Step(seq, "b");
    TStepTool* c = Step(seq, "c");
    a->OnRun = [seq, c](TStepTool*) { seq->FreeTool(c); };
    seq->DoIt();
    EXPECT_EQ(runs_, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(seq->ToolsCount(), 2);
    Free(seq);
}

TEST_F(ToolsTest, SelectionByIndexAndElseTool) {
    TSelectTechnology* sel = TSelectTechnology::New();
    TNameElement* in = TNameElement::New();
    TNameElement* before = TNameElement::New();
    sel->SetInput(in);
    sel->SetOutput(before);
    sel->SelIndex = -1;
    sel->DoIt();  // no tools, no else tool
    EXPECT_EQ(sel->Output, before);
    EXPECT_FALSE(sel->Status.Has(st_FOCUSED));

    Step(sel, "a");
    TStepTool* b = Step(sel, "b");
    sel->SelIndex = 1;
    sel->DoIt();
    EXPECT_EQ(runs_, (std::vector<std::string>{"b"}));
    EXPECT_EQ(b->SeenInput, in);
    EXPECT_EQ(sel->Output, b->Output);

    TStepTool* other = TStepTool::New();
    other->SetName("else");
    sel->SetElseTool(nullptr);  // ignored
    sel->SetElseTool(other);
    EXPECT_GE(sel->IndexOf(other), 0);
    for (int32_t index : {-1, 2}) {
        sel->SelIndex = index;
        sel->DoIt();
    }
    EXPECT_EQ(runs_, (std::vector<std::string>{"b", "else", "else"}));
    EXPECT_EQ(sel->Output, other->Output);
    EXPECT_EQ(GetObjectPropByName(sel, "ElseTool"), other);
    Free(sel);
    Free(in);
    Free(before);
}

TEST_F(ToolsTest, QuittingToolIsFreedOnceByItsTechnology) {
    TStepTool* a = Step(main_, "a");
    TStepTool* b = Step(main_, "b");
    a->DoIt();
    a->PostMsg(tm_QuitTask, a, nullptr, false);
    a->PostMsg(tm_QuitTask, a, nullptr, false);  // asks twice
    Application().HandleMessage();
    Application().HandleMessage();
    EXPECT_FALSE(a->Status.Has(st_FOCUSED));
    main_->PostMsg(42, a, nullptr, false);  // still queued when a dies
    b->PostMsg(43, main_, a, false);        // names a as data
    Application().ProcessMessages();
    EXPECT_EQ(main_->ToolsCount(), 1);
    EXPECT_EQ(main_->GetTool(0), b);
    EXPECT_EQ(QueuedCount(), 0u);
    // The second end-task arrived without its dead sender and freed nothing more.
    int endTasks = 0;
    for (const Received& r : main_->got)
        if (r.number == tm_EndTask) {
            ++endTasks;
            if (endTasks == 2) {
                EXPECT_EQ(r.sender, nullptr);
            }
        }
    EXPECT_EQ(endTasks, 2);
    EXPECT_EQ(main_->Numbers(), (std::vector<int32_t>{tm_EndTask, tm_EndTask, 43}));
    EXPECT_TRUE(IsLive(b));
}

TEST_F(ToolsTest, EndTaskFreesOnlyToolsOfTheList) {
    TTool* stranger = TTool::New();
    stranger->PostMsg(tm_EndTask, main_, nullptr, false);
    main_->PostMsg(tm_EndTask, main_, nullptr, false);  // from itself
    Application().ProcessMessages();
    EXPECT_TRUE(IsLive(stranger));
    EXPECT_TRUE(IsLive(main_));
    Free(stranger);

    TStubbornTool* stubborn = TStubbornTool::New();
    main_->AddTool(stubborn);
    EXPECT_FALSE(main_->IsPossibleToQuit());
    stubborn->PostMsg(tm_QuitTask, stubborn, nullptr, false);
    Application().ProcessMessages();
    EXPECT_EQ(main_->ToolsCount(), 1);  // refused to quit
}

TEST_F(ToolsTest, ProgressMessagesReachTheMainTool) {
    TTool* t = TTool::New();
    t->SetProgress(5);
    t->SetProgressText("x");
    t->EndProgress();
    EXPECT_EQ(QueuedCount(), 0u);

    t->StartProgress("Load", 0, 100);  // delivered at once
    ASSERT_EQ(main_->got.size(), 1u);
    EXPECT_EQ(main_->got[0].number, tm_ProgressStart);
    EXPECT_EQ(main_->got[0].sender, t);
    EXPECT_EQ(main_->got[0].text, "Load 0..100 0");
    EXPECT_TRUE(t->GetInProgress());
    t->SetProgress(40);
    t->SetProgressText(Cz("Načítám"));
    EXPECT_EQ(QueuedCount(), 2u);  // no pumping
    t->EndProgress();
    t->EndProgress();
    Application().ProcessMessages();
    EXPECT_EQ(main_->Numbers(), (std::vector<int32_t>{10, 11, 13, 12}));
    EXPECT_EQ(main_->got[1].text, " 0..0 40");
    EXPECT_EQ(main_->got[2].text, Cz("Načítám"));

    // A tool freed during progress ends it; the message no longer names it.
    t->StartProgress("Again", 1, 2);
    Free(t);
    Application().ProcessMessages();
    ASSERT_EQ(main_->got.back().number, tm_ProgressEnd);
    EXPECT_EQ(main_->got.back().sender, nullptr);
}

TEST_F(ToolsTest, ToolsBuiltFromModels) {
    TToolModel* model = TToolModel::New();
    model->SetName("Chooser");
    model->SetNewPropertyName("SelIndex");
    As<TPropertyModel>(model->GetModelProperties()->Get(0))->Value = "1";
    const char* tools[][3] = {{"First", "TTool", ""},
                              {"Odd", "TNameElement", ""},
                              {"Ghost", "TNoSuchTool", ""},
                              {"Fallback", "tsteptool", "ElseTool"},
                              {"Nameless", "", ""}};
    for (auto& row : tools) {
        model->SetNewToolName(row[0]);
        auto* m = As<TToolModel>(model->GetModelTools()->FindElementName(row[0]));
        m->ElementClassName = row[1];
        m->AttachToPropertyName = row[2];
    }
    auto* first = As<TToolModel>(model->GetModelTools()->Get(0));
    first->SetNewPropertyName("Error");
    As<TPropertyModel>(first->GetModelProperties()->Get(0))->Value = "7";

    TSelectTechnology* sel = TSelectTechnology::New();
    sel->SetSelfModel(model);
    sel->CreateSelfByModel();
    EXPECT_EQ(sel->SelIndex, 1);
    ASSERT_EQ(sel->ToolsCount(), 2);
    TTool* plain = sel->GetTool(0);
    EXPECT_EQ(plain->ClassType(), TTool::StaticClass());
    EXPECT_EQ(plain->GetName(), "First");
    EXPECT_EQ(plain->Error, 7);
    EXPECT_EQ(plain->GetSelfModel(), first);
    EXPECT_EQ(first->GetOwnersCount(), 2);  // the model list and the tool
    TTool* fallback = sel->GetTool(1);
    EXPECT_TRUE(fallback->Is<TStepTool>());
    EXPECT_EQ(sel->GetElseTool(), fallback);

    // Property values go back into the models.
    plain->Error = 9;
    sel->SelIndex = 3;
    sel->UpdateModel();
    EXPECT_EQ(As<TPropertyModel>(first->GetModelProperties()->Get(0))->Value, "9");
    EXPECT_EQ(As<TPropertyModel>(model->GetModelProperties()->Get(0))->Value, "3");

    TTool* lone = TTool::New();
    lone->SetName("Lone");
    lone->CreateSelfByModel();
    Application().ProcessMessages();
    EXPECT_EQ(Notes(), (std::vector<std::string>{"Class: TNameElement is not a Tool", "Unknown class: TNoSuchTool",
                                                 "Tool: Lone class: TTool Has no model!"}));
    Free(lone);
    Free(sel);  // frees the model with it
}

TEST_F(ToolsTest, DynamicPartIsBuiltAndDestroyedOnDemand) {
    TToolModel* model = TToolModel::New();
    model->DynamicTool = true;
    for (const char* name : {"a", "b"}) {
        model->SetNewToolName(name);
        As<TToolModel>(model->GetModelTools()->FindElementName(name))->ElementClassName = "TStepTool";
    }
    TTechnology* tech = TTechnology::New();
    tech->SetName("Dyn");
    main_->AddTool(tech);
    tech->SetSelfModel(model);
    tech->CreateSelfByModel();
    EXPECT_TRUE(tech->DynamicTool);
    EXPECT_EQ(tech->ToolsCount(), 0);
    tech->CreateDynamicPart();
    ASSERT_EQ(tech->ToolsCount(), 2);
    TTool* a = tech->GetTool(0);
    a->Error = 4;
    a->GetSelfModel()->SetNewPropertyName("Error");
    tech->PostMsg(50, a, nullptr, false);  // queued to a tool about to go

    tech->DestroyDynamicPart();
    EXPECT_EQ(tech->ToolsCount(), 0);
    auto* am = As<TToolModel>(model->GetModelTools()->Get(0));
    EXPECT_EQ(As<TPropertyModel>(am->GetModelProperties()->Get(0))->Value, "4");
    Application().ProcessMessages();
    EXPECT_EQ(Notes(), (std::vector<std::string>{"Dyn: DestroyDynamic"}));
    EXPECT_EQ(main_->Numbers(), (std::vector<int32_t>{tm_TextNote}));  // 50 was dropped
}

TEST_F(ToolsTest, SettingTheSameObjectAgainKeepsIt) {
    TTechnology* tech = TTechnology::New();
    TToolModel* model = TToolModel::New();
    tech->SetSelfModel(model);
    tech->SetSelfModel(model);
    EXPECT_TRUE(IsLive(model));
    EXPECT_EQ(tech->GetSelfModel(), model);
    EXPECT_EQ(tech->ElementsCount(), 1);

    TParameters* p = tech->GetParameters();
    tech->SetParameters(p);
    EXPECT_TRUE(IsLive(p));
    EXPECT_EQ(tech->GetParameters(), p);

    TTool* held = nullptr;
    TTool* t = TTool::New();
    tech->ExchangeFieldTool(held, t);
    tech->ExchangeFieldTool(held, t);
    EXPECT_TRUE(IsLive(t));
    EXPECT_EQ(tech->ToolsCount(), 1);
    TTool* t2 = TTool::New();
    tech->ExchangeFieldTool(held, t2);
    EXPECT_FALSE(IsLive(t));
    EXPECT_EQ(held, t2);

    TToolModel* model2 = TToolModel::New();
    tech->SetSelfModel(model2);
    EXPECT_FALSE(IsLive(model));
    Free(tech);
}

TEST_F(ToolsTest, HeldChildTakenOutAndSetAgainIsAChildAgain) {
    TTechnology* tech = TTechnology::New();
    TParameters* p = tech->GetParameters();
    tech->RemoveElement(p);
    tech->SetParameters(p);
    EXPECT_GE(tech->IndexOf(p), 0);
    EXPECT_EQ(tech->GetParameters(), p);
    TTools* tools = tech->GetTools();
    tech->RemoveElement(tools);
    tech->SetTools(tools);
    EXPECT_GE(tech->IndexOf(tools), 0);
    EXPECT_EQ(tech->GetTools(), tools);
    Free(tech);
    EXPECT_FALSE(IsLive(p));
    EXPECT_FALSE(IsLive(tools));
}

TEST_F(ToolsTest, ReplacedToolListPassesMessagesToTheTechnology) {
    TTools* list = TTools::New();
    TStepTool* a = TStepTool::New();
    list->AddElement(a);
    TTools* old = main_->GetTools();
    main_->SetTools(list);
    EXPECT_FALSE(IsLive(old));
    EXPECT_EQ(list->Owner(), main_);
    EXPECT_GE(main_->IndexOf(list), 0);
    a->PostMsg(tm_QuitTask, a, nullptr, false);
    Application().ProcessMessages();
    EXPECT_FALSE(IsLive(a));
    EXPECT_EQ(main_->ToolsCount(), 0);
}

TEST_F(ToolsTest, CreateAndExecuteTool) {
    TNameElement* in = TNameElement::New();
    EXPECT_TRUE(CreateAndExecuteTool("StepTool", in));
    EXPECT_EQ(runs_, (std::vector<std::string>{"TStepTool"}));
    EXPECT_FALSE(CreateAndExecuteTool("TNameElement", in));
    EXPECT_FALSE(CreateAndExecuteTool("Nothing", in));
    EXPECT_EQ(HostLog().back(), Cz("Neregistrovaný element: TNothing"));
    Free(in);
}

TEST_F(ToolsTest, ParametersAndPropertiesByNumber) {
    TNumberedTool* t = TNumberedTool::New();
    EXPECT_TRUE(t->GetNoParameters());
    EXPECT_EQ(t->ElementsCount(), 0);
    TNameElement* scale = TNameElement::New();
    scale->SetName("Scale");
    EXPECT_TRUE(SetObjectPropByName(t, "NextParameter", scale));
    EXPECT_FALSE(t->GetNoParameters());
    EXPECT_EQ(t->GetNameParameter("scale"), scale);
    TNameElement* plain = TNameElement::New();
    t->AddParameter(plain);
    EXPECT_EQ(t->GetParameters()->IndexOf(plain), t->GetParameters()->ElementsCount() - 1);
    t->FreeParameter(plain);
    EXPECT_FALSE(IsLive(plain));

    t->SetPropertyNumber(1, "12");
    EXPECT_EQ(t->Error, 12);
    EXPECT_EQ(t->GetPropertyNumber(1), "12");
    EXPECT_EQ(t->GetPropertyNumber(2), "");
    t->SetPropertyNumber(2, "5");  // no name: nothing
    Free(t);
}
