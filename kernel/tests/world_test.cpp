#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kernel/class_registry.h"
#include "kernel/kernel.h"
#include "kernel/property_access.h"
#include "kernel/world.h"
#include "platform/forms.h"
#include "platform/host.h"
#include "test_support.h"

namespace {

struct Delivery {
    std::string who;
    int32_t number;
    TElement* receiver;
    TElement* sender;
};

std::vector<Delivery>* g_log = nullptr;
TZarixMessage* g_kept = nullptr;

// Logs every message; 66 raises, 67 takes the message over.
class TLoggingTech : public TTechnology {
    ZARIX_CLASS(TLoggingTech, TTechnology)

public:
    void HandleMessage(TZarixMessage*& m, bool& handled) override {
        inherited::HandleMessage(m, handled);
        if (g_log) g_log->push_back({GetName(), m->Message, m->Receiver, m->Sender});
        if (m->Message == 66) throw Exception(Cz("Chyba v nástroji"));
        if (m->Message == 67) {
            g_kept = m;
            m = nullptr;
        }
        handled = true;
    }
};

class TCountingWorld : public TWorld {
    ZARIX_CLASS(TCountingWorld, TWorld)

public:
    int errors = 0;
    void Error() override { ++errors; }
};

// Notes, when freed, the world and main tool it could still reach, and whether asking for
// the main tool was an error.
struct Reached {
    TWorld* world;
    TTechnology* main;
    int errors;
};
std::vector<Reached>* g_reached = nullptr;

class TClosingTool : public TTool {
    ZARIX_CLASS(TClosingTool, TTool)

public:
    void Destroy() override {
        if (g_reached) {
            auto* world = As<TCountingWorld>(World);
            TTechnology* main = world ? world->GetMainTool() : nullptr;
            g_reached->push_back({World, main, world ? world->errors : -1});
        }
        inherited::Destroy();
    }
};

TMsg Carrier(TZarixMessage* m) {
    return TMsg{Application().Handle(), WM_USER, 0, reinterpret_cast<intptr_t>(m)};
}

class WorldsTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterKernelClasses();
        g_log = &log_;
        world_ = TCountingWorld::New();
        World = world_;
        main_ = Tech("Main");
        other_ = Tech("Other");
        main_->AddTool(other_);
    }
    void TearDown() override {
        Application().ProcessMessages();
        Free(world_);
        if (IsLive(main_) && main_->NoOwners()) Free(main_);
        DropQueue();
        EXPECT_EQ(World, nullptr);
        g_log = nullptr;
    }
    static TLoggingTech* Tech(const char* name) { return NewNamed<TLoggingTech>(name); }
    void Install() {
        world_->SetMainTool(main_);
        world_->HookApplication();
    }
    InstalledHost host_;
    std::vector<Delivery> log_;
    TCountingWorld* world_ = nullptr;
    TLoggingTech* main_ = nullptr;
    TLoggingTech* other_ = nullptr;
};

}  // namespace

TEST_F(WorldsTest, DeliversToTheReceiverOrElseTheMainTool) {
    Install();
    other_->PostMsg(20, other_, nullptr, false);
    other_->PostMsg(21, nullptr, nullptr, false);
    Application().ProcessMessages();
    ASSERT_EQ(log_.size(), 2u);
    EXPECT_EQ(log_[0].who, "Other");
    EXPECT_EQ(log_[0].number, 20);
    EXPECT_EQ(log_[1].who, "Main");
    EXPECT_EQ(log_[1].receiver, main_);  // set before the hand-over
    EXPECT_EQ(log_[1].sender, other_);

    // A handler may keep the message; the world frees nothing then.
    main_->PostMsg(67, nullptr, nullptr, false);
    Application().ProcessMessages();
    ASSERT_TRUE(IsLive(g_kept));
    EXPECT_EQ(g_kept->Message, 67);
    Free(g_kept);
    g_kept = nullptr;
}

TEST_F(WorldsTest, WithoutMainToolMessagesAreFreedUnhandled) {
    world_->HookApplication();
    EXPECT_EQ(world_->GetMainTool(), nullptr);
    EXPECT_EQ(world_->errors, 1);
    other_->PostMsg(22, nullptr, nullptr, false);
    Application().ProcessMessages();
    EXPECT_TRUE(log_.empty());
    EXPECT_GE(world_->errors, 2);
}

TEST_F(WorldsTest, TakesOnlyElementMessages) {
    Install();
    bool handled = false;
    TMsg other{Application().Handle(), WM_USER + 1, 0, 0};
    world_->HandleWinMessage(other, handled);
    TMsg empty{Application().Handle(), WM_USER, 0, 0};  // no message object
    world_->HandleWinMessage(empty, handled);
    TNameElement* notMessage = TNameElement::New();
    TMsg wrong{Application().Handle(), WM_USER, 0, reinterpret_cast<intptr_t>(notMessage)};
    world_->HandleWinMessage(wrong, handled);
    EXPECT_FALSE(handled);
    EXPECT_TRUE(log_.empty());
    EXPECT_TRUE(IsLive(notMessage));
    Free(notMessage);

    PostMessage(Application().Handle(), WM_USER, 0, 0);
    Application().ProcessMessages();
    EXPECT_TRUE(log_.empty());
}

TEST_F(WorldsTest, DeadReceiversDropAndDeadSendersAreCleared) {
    Install();
    // Messages taken out of the queue before their elements died.
    TLoggingTech* doomed = Tech("Doomed");
    TZarixMessage* toDead = TZarixMessage::CreateMessage(30, main_, doomed, nullptr, false);
    TZarixMessage* fromDead = TZarixMessage::CreateMessage(31, doomed, main_, doomed, false);
    Free(doomed);
    bool handled = false;
    TMsg a = Carrier(toDead);
    world_->HandleWinMessage(a, handled);
    EXPECT_FALSE(IsLive(toDead));
    TMsg b = Carrier(fromDead);
    world_->HandleWinMessage(b, handled);
    ASSERT_EQ(log_.size(), 1u);
    EXPECT_EQ(log_[0].number, 31);
    EXPECT_EQ(log_[0].sender, nullptr);
    EXPECT_FALSE(IsLive(fromDead));
}

TEST_F(WorldsTest, HandlerExceptionIsReportedAndTheLoopGoesOn) {
    Install();
    TZarixMessage* raising = TZarixMessage::CreateMessage(66, main_, other_, nullptr, false);
    raising->Post();
    main_->PostMsg(23, other_, nullptr, false);
    Application().ProcessMessages();
    ASSERT_EQ(log_.size(), 2u);
    EXPECT_EQ(log_[1].number, 23);
    ASSERT_EQ(HostLog().size(), 1u);
    EXPECT_EQ(HostLog().front(), Cz("World Level Error :Chyba v nástroji"));
    EXPECT_FALSE(IsLive(raising));  // freed although its handler raised
}

TEST_F(WorldsTest, OwnedObjectsAndTheirReplacement) {
    TSystemRegister* reg = world_->GetSysReg();
    EXPECT_EQ(world_->GetSysReg(), reg);
    EXPECT_EQ(reg->GetName(), "System register");
    EXPECT_EQ(world_->GetObjectModel()->GetName(), "Object model");
    EXPECT_EQ(world_->GetObjectClasses(), ZarixClasses);
    EXPECT_EQ(ZarixClasses->GetName(), "ObjectClasses");
    EXPECT_EQ(GetObjectPropByName(world_, "SystemRegister"), reg);

    world_->SetMainTool(main_);
    world_->SetMainTool(main_);  // again: kept
    EXPECT_TRUE(IsLive(main_));
    EXPECT_EQ(world_->GetMainTool(), main_);
    world_->SetSysReg(reg);
    EXPECT_TRUE(IsLive(reg));

    TLoggingTech* second = Tech("Second");
    world_->SetMainTool(second);  // the first is released
    EXPECT_FALSE(IsLive(main_));
    EXPECT_EQ(world_->GetMainTool(), second);
    TObjectModel* model = TObjectModel::New();
    TObjectModel* old = world_->GetObjectModel();
    world_->SetObjectModel(model);
    EXPECT_FALSE(IsLive(old));
    EXPECT_EQ(world_->GetObjectModel(), model);

    // A main tool freed behind the world's back is not handed out.
    Free(second);
    EXPECT_EQ(world_->GetMainTool(), nullptr);
}

TEST_F(WorldsTest, FreeingTheWorldKeepsTheClassRegistry) {
    TZarixClasses* registry = ZarixClasses;
    int32_t owners = registry->GetOwnersCount();
    TCountingWorld* second = TCountingWorld::New();
    EXPECT_EQ(registry->GetOwnersCount(), owners + 1);
    Free(second);
    ASSERT_TRUE(IsLive(registry));
    EXPECT_EQ(registry->GetOwnersCount(), owners);
    EXPECT_EQ(GetZarixClass("ttool"), TTool::StaticClass());

    world_->HookApplication();
    Free(world_);  // unhooks and clears World
    world_ = nullptr;
    EXPECT_FALSE(static_cast<bool>(Application().OnMessage));
    EXPECT_EQ(World, nullptr);
    EXPECT_TRUE(IsLive(registry));
    EXPECT_EQ(registry->GetOwnersCount(), owners - 1);
    world_ = TCountingWorld::New();  // for TearDown
}

// Tools closing with the world still reach it and its main tool (to save their state
// where the program keeps it), whether they are the main tool's or the world's own.
TEST_F(WorldsTest, ChildrenAreFreedWhileTheWorldAndItsMainToolAreThere) {
    std::vector<Reached> reached;
    g_reached = &reached;
    Install();
    other_->AddTool(TClosingTool::New());
    main_->AddTool(TClosingTool::New());
    world_->AddElement(TClosingTool::New());
    TCountingWorld* world = world_;
    TLoggingTech* main = main_;
    Free(world_);
    world_ = TCountingWorld::New();  // for TearDown
    g_reached = nullptr;
    ASSERT_EQ(reached.size(), 3u);
    for (const Reached& r : reached) {
        EXPECT_EQ(r.world, world);
        EXPECT_EQ(r.main, main);
        EXPECT_EQ(r.errors, 0);
    }
    EXPECT_EQ(World, nullptr);
}

TEST_F(WorldsTest, PropertiesOfTheApplication) {
    EXPECT_EQ(MainToolPropString("Name"), "");  // no main tool
    world_->SetMainTool(main_);
    main_->Error = 5;
    EXPECT_EQ(MainToolPropString("Error"), "5");
    World = nullptr;
    EXPECT_EQ(MainToolPropString("Error"), "");
    World = world_;

    std::string savedTitle = Application().Title();
    SetPropStringByName(world_, "ApplicTitle", "Oskelt32");
    EXPECT_EQ(Application().Title(), "Oskelt32");
    EXPECT_EQ(GetPropStringByName(world_, "ApplicTitle"), "Oskelt32");
    Application().SetTitle(savedTitle);
    std::string dir = GetPropStringByName(world_, "ApplicDir");
    EXPECT_EQ(dir.back(), '/');
    EXPECT_EQ(GetPropStringByName(world_, "ApplicExeName").rfind(dir, 0), 0u);

    TOwnerElement* tested = TOwnerElement::New();
    EXPECT_TRUE(SetObjectPropByName(world_, "TestElement", tested));
    EXPECT_EQ(TestedElement, tested);
    TestedElement = nullptr;
    Free(tested);
    // The registry cannot be replaced through the property.
    SetObjectPropByName(world_, "ObjectClasses", main_);
    EXPECT_EQ(world_->GetObjectClasses(), ZarixClasses);
}
