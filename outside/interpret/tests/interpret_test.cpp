#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "interpret/interpret.h"
#include "interpret/models.h"
#include "kernel/class_registry.h"
#include "kernel/kernel.h"
#include "kernel/messages.h"
#include "pelvar/map_world.h"
#include "platform/forms.h"

namespace {

std::vector<std::string>& Log() {
    static std::vector<std::string> log;
    return log;
}

// An interpret that records what it is asked to do.
class TRecInterpret : public TRectInterpret {
    ZARIX_CLASS(TRecInterpret, TRectInterpret)

public:
    TElementClass Claims = nullptr;
    bool Uni = false;  // let the universal interpret walk on
    std::string FailAt;  // the walk raises at the element of this name

    bool IsItsClass(TElement* e) override { return !Claims || e->InheritsFrom(Claims); }
    bool QProcessBefore(TElement* e) override { return IsItsClass(e); }
    bool CanUniGoInside(TElement* e) override { return Uni && As<TEntity>(e); }
    void Process(TElement* e) override {
        if (!FailAt.empty() && e->GetName() == FailAt) throw Exception("walk failed");
        Log().push_back(GetName() + ":" + e->GetName());
    }
    void Reset(TDevice* d) override {
        inherited::Reset(d);
        Log().push_back(GetName() + ".Reset");
    }
    void Close() override {
        Log().push_back(GetName() + ".Close");
        inherited::Close();
    }
};

// Draws the rectangles it is given in red.
class TRedRectInterpret : public TRectInterpret {
    ZARIX_CLASS(TRedRectInterpret, TRectInterpret)

public:
    bool QProcessBefore(TElement* e) override { return As<TRectEntity>(e) != nullptr; }
    bool CanUniGoInside(TElement* e) override { return As<TEntity>(e) != nullptr; }
    void Process(TElement* e) override {
        auto* r = As<TRectEntity>(e);
        if (!r || !IsOverRegion(r)) return;
        GetDevice()->GetPen()->SetColor(clRed);
        GetDevice()->GetBrush()->SetStyle(bsClear);
        GetDevice()->Rectangle(r->Rect());
    }
};

// An element class beneath TRectEntity for dispatch by nearest class.
class TSubRect : public TRectEntity {
    ZARIX_CLASS(TSubRect, TRectEntity)
};

TRectEntity* Named(TRectEntity* e, const char* name) {
    e->SetName(name);
    return e;
}

TRecInterpret* Rec(const char* name, TElementClass claims = nullptr) {
    TRecInterpret* i = TRecInterpret::New();
    i->SetName(name);
    i->Claims = claims;
    return i;
}

class Interpret : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        RegisterKernelClasses();
        RegisterPelvarClasses();
        RegisterDeviceClasses();
        RegisterInterpretClasses();
    }
    void SetUp() override { Log().clear(); }
};

}  // namespace

TEST_F(Interpret, ChainGetsEachClaimedElementInOrder) {
    // A view is a rectangle too: the rectangle interpret frames it, then the view
    // interpret draws it.
    TInterpret* desk = TInterpret::New();
    desk->SetNextInterpret(Rec("rect", TRectEntity::StaticClass()));
    desk->SetNextInterpret(Rec("view", TSubRect::StaticClass()));
    desk->SetNextInterpret(Rec("text", TText::StaticClass()));
    TRectEntity* view = Named(TSubRect::New(), "V");
    desk->Process(view);
    EXPECT_EQ(Log(), (std::vector<std::string>{"rect:V", "view:V"}));

    // Reset and Close reach the whole chain; so does the break.
    Log().clear();
    desk->Reset(nullptr);
    desk->Close();
    EXPECT_EQ(Log(), (std::vector<std::string>{"rect.Reset", "view.Reset", "text.Reset", "rect.Close", "view.Close",
                                               "text.Close"}));
    desk->SetBreak(true);
    for (TInterpret* i : desk->GetSubInterprets()) EXPECT_TRUE(i->GetBreak());
    Free(view);
    Free(desk);  // frees the chain
}

TEST_F(Interpret, UniversalDispatchByNearestClassResetsAndClosesOnce) {
    TRecInterpret* rects = Rec("R");
    rects->Uni = true;
    TRecInterpret* shared = Rec("S");
    TInterpretScript* script = TInterpretScript::New();
    script->SetIClass(TElement::StaticClass());
    TISClass* r = script->CreateAndAddClass(TRectEntity::StaticClass(), rects);
    r->CreateAndAddClass(TSubRect::StaticClass(), shared);
    r->CreateAndAddClass(TText::StaticClass(), shared);  // one interpret for two classes
    EXPECT_EQ(script->GetInterprets().size(), 2u);

    TRectEntity* model = Named(TRectEntity::New(), "M");
    model->AddElement(Named(TSubRect::New(), "a"));
    TText* t = TText::New();
    t->SetName("t");
    model->AddElement(t);
    model->AddElement(T2DCoordinate::New(1, 1));  // nearest class TElement: no interpret

    TUniversalInterpret* ui = TUniversalInterpret::New();
    ui->SetScript(script);
    ui->SetInput(model);
    ui->DoIt();
    EXPECT_EQ(Log(), (std::vector<std::string>{"R.Reset", "S.Reset", "R:M", "S:a", "S:t", "R.Close", "S.Close"}));
    EXPECT_FALSE(ui->GetBusy());

    // A second run resets and closes again, once each.
    Log().clear();
    ui->DoIt();
    EXPECT_EQ(std::count(Log().begin(), Log().end(), "S.Reset"), 1);
    EXPECT_EQ(std::count(Log().begin(), Log().end(), "S.Close"), 1);

    // Freeing the interpret frees the script and the interprets it holds.
    Free(ui);
    EXPECT_FALSE(IsLive(script));
    EXPECT_FALSE(IsLive(shared));
    model->FreeAll();
    Free(model);
    Application().ProcessMessages();
}

TEST_F(Interpret, UniversalLeavesTheDescentToAnInterpretThatWalksItself) {
    TRecInterpret* own = Rec("own");  // CanUniGoInside false: it walks its subtree itself
    TInterpretScript* script = TInterpretScript::New();
    script->SetIClass(TElement::StaticClass());
    script->CreateAndAddClass(TRectEntity::StaticClass(), own);
    TRectEntity* model = Named(TRectEntity::New(), "M");
    TRectEntity* child = Named(TRectEntity::New(), "c");
    child->AddElement(Named(TRectEntity::New(), "g"));
    model->AddElement(child);
    TUniversalInterpret* ui = TUniversalInterpret::New();
    ui->SetScript(script);
    ui->SetInput(model);
    ui->DoIt();
    EXPECT_EQ(Log(), (std::vector<std::string>{"own.Reset", "own:M", "own:c", "own:g", "own.Close"}));
    Free(ui);
    model->FreeAll();
    Free(model);
    Application().ProcessMessages();
}

TEST_F(Interpret, UniversalPostsDoneToItsOwnerEvenWhenBroken) {
    struct TOwner : TOwnerEntity {
        int done = 0;
        void HandleMessage(TZarixMessage*& m, bool& handled) override {
            if (m && m->Message == 3) ++done;
            handled = true;
        }
    };
    World = TWCSWorld::New();  // carries the posted messages to their receivers
    World->HookApplication();
    auto* owner = new TOwner();
    owner->Create();
    TUniversalInterpret* ui = TUniversalInterpret::New();
    owner->AddElement(ui);
    TRectEntity* model = TRectEntity::New();
    ui->SetInput(model);
    ui->DoIt();
    Application().ProcessMessages();
    EXPECT_EQ(owner->done, 1);

    // A script interpret that breaks the drawing: the walk stops, done still comes.
    class TBreaker : public TRecInterpret {
    public:
        TUniversalInterpret* ui = nullptr;
        void Process(TElement* e) override {
            TRecInterpret::Process(e);
            ui->SetBreak(true);
        }
    };
    auto* breaker = new TBreaker();
    breaker->Create();
    breaker->SetName("B");
    breaker->Uni = true;
    breaker->ui = ui;
    TInterpretScript* script = TInterpretScript::New();
    script->SetIClass(TElement::StaticClass());
    script->CreateAndAddClass(TRectEntity::StaticClass(), breaker);
    ui->SetScript(script);
    model->AddElement(Named(TRectEntity::New(), "x"));
    model->AddElement(Named(TRectEntity::New(), "y"));
    model->SetName("M");
    Log().clear();
    ui->DoIt();
    EXPECT_EQ(Log(), (std::vector<std::string>{"B.Reset", "B:M", "B.Close"}));
    Application().ProcessMessages();
    EXPECT_EQ(owner->done, 2);
    Free(owner);
    model->FreeAll();
    Free(model);
    Application().ProcessMessages();
    Free(World);
    EXPECT_EQ(World, nullptr);
}

TEST_F(Interpret, DrawsAModelThroughTheDeviceOntoARaster) {
    TBitmapDevice* dev = TBitmapDevice::New();
    dev->SetPageSize(200, 100);
    dev->GetPage()->SetResolution(1, 1);  // one pixel per page metre
    dev->GetProjection()->ChangeProjectionByRect(0, 0, 200, 100, dev->GetPage());
    dev->Clear();

    TRectEntity* model = TRectEntity::New();
    model->AddAndUpdateRect(Named(TRectEntity::New(), "a"));
    static_cast<TRectEntity*>(model->Get(0))->SetRect(10, 10, 50, 40);
    TRectEntity* far = TRectEntity::New();
    far->SetRect(500, 500, 600, 600);  // outside the region: not drawn
    model->AddElement(far);

    TInterpretScript* script = TInterpretScript::New();
    script->SetIClass(TElement::StaticClass());
    script->CreateAndAddClass(TRectEntity::StaticClass(), TRedRectInterpret::New());
    TUniversalInterpret* ui = TUniversalInterpret::New();
    ui->SetScript(script);
    ui->SetDevice(dev);
    ui->SetInput(model);
    TZarixMessage* none = nullptr;
    bool handled = false;
    ui->On_tm_ReView(none, handled);
    EXPECT_TRUE(handled);
    // Model (10, 10)-(50, 40) is pixels (10, 60)-(50, 90).
    EXPECT_EQ(dev->GetBitmap()->Pixel(10, 75), clRed);
    EXPECT_EQ(dev->GetBitmap()->Pixel(30, 60), clRed);
    EXPECT_EQ(dev->GetBitmap()->Pixel(30, 75), clWhite);
    Free(ui);
    model->FreeAll();
    Free(model);
    Free(dev);
    Application().ProcessMessages();
}

TEST_F(Interpret, RectInterpretTakesTheRegionShownByTheDevice) {
    TBitmapDevice* dev = TBitmapDevice::New();
    dev->SetPageSize(100, 50);
    dev->GetPage()->SetResolution(1, 1);
    dev->GetProjection()->ChangeProjection(T2DPoint{0, 0}, dev->GetPage(), 2);
    TRectInterpret* ri = TRectInterpret::New();
    ri->Reset(dev);
    EXPECT_DOUBLE_EQ(ri->GetMinX(), -100);
    EXPECT_DOUBLE_EQ(ri->GetMaxY(), 50);
    EXPECT_TRUE(ri->IsInsideRegion(99, -49));
    EXPECT_FALSE(ri->IsInsideRegion(101, 0));
    Free(dev);
    EXPECT_EQ(ri->GetDevice(), nullptr);  // the device is gone
    Free(ri);
}

TEST_F(Interpret, CheckSetModelsBecomeAScript) {
    TInterpretNodeEntity* set = TInterpretNodeEntity::New();
    TInterpretNode* node = TInterpretNode::New();
    set->AddElement(node);
    set->AddElement(TRectEntity::New());
    set->SetDynamicModel(true);
    EXPECT_TRUE(node->GetDynamic());
    EXPECT_EQ(set->GetInterpretNode(0), node);
    EXPECT_EQ(set->GetInterpretNode(1), nullptr);
    EXPECT_EQ(set->GetInterpretNode(5), nullptr);

    // The palette: one interpret model with a property and a sub-model (a check tool).
    TInterpretModelEntity* palette = TInterpretModelEntity::New();
    TInterpretModel* m = TInterpretModel::New();
    m->SetName("Kontrola");
    m->ElementClassName = "TRectInterpret";
    m->SetNewPropertyName("NotInside");
    PropertyModelsOf(m)[0]->Value = "TRUE";
    m->SetNewToolName("check");
    m->GetSubModels()[0]->ElementClassName = "TResultTool";
    palette->AddElement(m);

    TInterpretModelEntity* own = TInterpretModelEntity::New();
    node->SetInterpretModel(own);
    own->SetModelToAdd(m);  // a copy
    ASSERT_EQ(own->GetModels().size(), 1u);
    TToolModel* copy = own->GetModels()[0];
    EXPECT_NE(copy, m);
    EXPECT_EQ(copy->GetName(), "Kontrola");
    EXPECT_EQ(PropertyModelsOf(copy).size(), 1u);

    // Properties added to the palette later reach the node's copy.
    m->SetNewPropertyName("Level");
    own->AddProperties(palette);
    EXPECT_EQ(PropertyModelsOf(copy).size(), 2u);

    TInterpretModelToIntrepretScript* conv = TInterpretModelToIntrepretScript::New();
    conv->SetInput(own);
    conv->DoIt();
    auto* script = As<TInterpretScript>(conv->Output);
    ASSERT_NE(script, nullptr);
    std::vector<TInterpret*> its = script->GetInterprets();
    ASSERT_EQ(its.size(), 1u);  // the chain interpret at the root
    std::vector<TInterpret*> chain = its[0]->GetSubInterprets();
    ASSERT_EQ(chain.size(), 1u);
    EXPECT_EQ(chain[0]->ClassName(), "TRectInterpret");
    EXPECT_EQ(chain[0]->GetName(), "Kontrola");
    EXPECT_TRUE(chain[0]->NotInside);
    ASSERT_EQ(chain[0]->ToolsCount(), 1);
    EXPECT_EQ(chain[0]->GetTool(0)->GetName(), "check");
    Free(script);
    Free(conv);

    // A model naming no interpret class gives no script.
    own->SetModelToDelete(copy);
    EXPECT_TRUE(own->GetModels().empty());
    conv = TInterpretModelToIntrepretScript::New();
    conv->SetInput(own);
    conv->DoIt();
    EXPECT_EQ(conv->Output, nullptr);
    Free(conv);

    // Replacing the node's interpret model releases the old one.
    node->SetInterpretModel(TInterpretModelEntity::New());
    EXPECT_FALSE(IsLive(own));
    Free(palette);
    Free(set);
}

TEST_F(Interpret, CheckSetPropertiesArePublished) {
    const TClassInfo* node = TInterpretNode::StaticClass();
    for (const char* n : {"DataModel", "InterpretModel", "Dynamic"}) {
        const TPropInfo* p = node->FindProp(n);
        ASSERT_NE(p, nullptr) << n;
        EXPECT_TRUE(p->StoredOnClass()) << n;
    }
    EXPECT_NE(TInterpretNodeEntity::StaticClass()->FindProp("NoSettings"), nullptr);
    EXPECT_NE(TISClass::StaticClass()->FindProp("Interpret"), nullptr);
    EXPECT_NE(TUniversalInterpret::StaticClass()->FindProp("Script"), nullptr);
    EXPECT_NE(GetZarixClass("TInterpretModelToIntrepretScript"), nullptr);

    // The interpret held by a script node is set back by name of its class, as a model
    // file reader does.
    TISClass* n = TISClass::New();
    n->SetPropertyStringByName("IClass", "TRectEntity");
    EXPECT_EQ(n->GetIClass(), TRectEntity::StaticClass());
    // The reader sets the properties before it reads the children list, whose entry
    // for the interpret then finds it a child already.
    TRectInterpret* it = TRectInterpret::New();
    n->SetInterpret(it);
    EXPECT_EQ(n->IndexOf(it), 0);
    EXPECT_EQ(n->ElementsCount(), 1);
    EXPECT_EQ(n->GetInterpret(), it);
    Free(n);
}

TEST_F(Interpret, GeneralInterpretClaimsItsConfiguredClass) {
    TGeneralBrushInterpret* g = TGeneralBrushInterpret::New();
    TText* t = TText::New();
    TRectEntity* r = TRectEntity::New();
    EXPECT_TRUE(g->IsItsClass(r));  // no class set: every element
    g->SetPropertyStringByName("ElementClass", "TText");
    g->SetPropertyStringByName("PropColor", "Color");
    g->SetPropertyStringByName("UseCode", "TRUE");
    EXPECT_TRUE(g->QProcessBefore(t));
    EXPECT_FALSE(g->QProcessBefore(r));
    EXPECT_TRUE(g->QGoInside(r));
    EXPECT_EQ(g->GetCommandLine(), "Color");
    EXPECT_TRUE(g->UseCode);
    g->SetPropertyStringByName("ElementClass", "TNoSuchClass");
    EXPECT_FALSE(g->IsItsClass(t));
    Free(t);
    Free(r);
    Free(g);
}

TEST_F(Interpret, RedrawOfOneElementWalksOnlyThatElement) {
    TRecInterpret* it = Rec("I");
    TRectEntity* model = Named(TRectEntity::New(), "M");
    TRectEntity* part = Named(TRectEntity::New(), "p");
    model->AddElement(part);
    it->SetInput(model);
    TZarixMessage* msg = TZarixMessage::CreateMessage(31, nullptr, it, part, false);
    bool handled = false;
    it->HandleMessage(msg, handled);
    EXPECT_TRUE(handled);
    EXPECT_EQ(Log(), (std::vector<std::string>{"I.Reset", "I:p", "I.Close"}));
    EXPECT_EQ(it->Input, model);  // the input is kept

    // A walk that raises still closes and keeps the input.
    Log().clear();
    it->FailAt = "p";
    handled = false;
    EXPECT_THROW(it->HandleMessage(msg, handled), Exception);
    EXPECT_EQ(Log(), (std::vector<std::string>{"I.Reset", "I.Close"}));
    EXPECT_EQ(it->Input, model);

    Log().clear();
    msg->Data = nullptr;  // the whole input
    handled = false;
    EXPECT_THROW(it->HandleMessage(msg, handled), Exception);
    EXPECT_EQ(Log(), (std::vector<std::string>{"I.Reset", "I:M", "I.Close"}));
    EXPECT_EQ(it->Input, model);
    Free(msg);
    Free(it);
    model->FreeAll();
    Free(model);
}
