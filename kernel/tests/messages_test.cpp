#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kernel/kernel.h"
#include "kernel/messages.h"
#include "platform/files.h"
#include "platform/forms.h"
#include "platform/host.h"
#include "test_support.h"

namespace {

struct Delivery {
    std::string receiver;
    int32_t number;
};

std::vector<Delivery>* g_log = nullptr;

// An owner that records what it is asked to handle, and may claim or refuse it.
class TListener : public TOwnerEntity {
    ZARIX_CLASS(TListener, TOwnerEntity)
    void HandleMessage(TZarixMessage*& message, bool& handled) override {
        if (g_log) g_log->push_back({GetName(), message ? message->Message : -1});
        if (fail) throw Exception("handler failed");
        if (claim) handled = true;
    }
    bool claim = false;
    bool fail = false;
};

class ZMessageTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterKernelClasses();
        g_log = &log_;
        // Stands in for the world: hands each element message to its receiver, then frees it.
        Application().OnMessage = [this](TMsg& m, bool& handled) {
            TZarixMessage* zm = ElementMessageOf(m.message, m.lParam);
            if (!zm) return;
            delivered_.push_back(zm->Message);
            if (zm->Receiver) zm->Receiver->HandleMessage(zm, handled);
            Free(zm);
        };
    }
    void TearDown() override {
        Application().OnMessage = nullptr;
        g_log = nullptr;
        DropQueue();
    }
    // The element messages waiting in the queue, in order.
    std::vector<TZarixMessage*> Queued() {
        std::vector<TZarixMessage*> out;
        ForEachQueued([&](TMsg& m) {
            EXPECT_EQ(m.hwnd, Application().Handle());
            EXPECT_EQ(m.wParam, 0u);
            if (TZarixMessage* zm = ElementMessageOf(m.message, m.lParam)) out.push_back(zm);
        });
        return out;
    }
    TListener* Listener(const char* name) { return NewNamed<TListener>(name); }
    InstalledHost host_;
    std::vector<Delivery> log_;
    std::vector<int32_t> delivered_;
};

}  // namespace

TEST_F(ZMessageTest, PostedMessagesCarryTheirFields) {
    TListener* receiver = Listener("r");
    TNameElement* sender = TNameElement::New();
    TElement* data = TElement::New();
    double before = Now();
    sender->PostMsg(5, receiver, data, true);
    std::vector<TZarixMessage*> q = Queued();
    ASSERT_EQ(q.size(), 1u);
    TZarixMessage* m = q[0];
    EXPECT_EQ(m->ID, -1);
    EXPECT_EQ(m->Message, 5);
    EXPECT_EQ(m->Sender, sender);
    EXPECT_EQ(m->Receiver, receiver);
    EXPECT_EQ(m->Data, data);
    EXPECT_FALSE(m->KillData);  // the flag is not taken over
    EXPECT_GE(m->Time, before - 1e-6);
    EXPECT_LE(m->Time, Now() + 1e-6);
    Application().ProcessMessages();
    ASSERT_EQ(log_.size(), 1u);
    EXPECT_EQ(log_[0].receiver, "r");
    EXPECT_TRUE(IsLive(data));  // the data survives the message
    Free(data);
    Free(sender);
    Free(receiver);
}

// A sent message bypasses the queue and the world; nobody handles it, and it must not
// be left behind (the leak checker of the sanitizer build sees it).
TEST_F(ZMessageTest, SentMessagesReachNoHandlerAndAreNotKept) {
    TListener* receiver = Listener("r");
    TNameElement* sender = TNameElement::New();
    TElement* data = TElement::New();
    sender->SendMsg(5, receiver, data, true);
    EXPECT_TRUE(Queued().empty());
    Application().ProcessMessages();
    EXPECT_TRUE(log_.empty());
    EXPECT_TRUE(IsLive(data));
    Free(data);
    Free(sender);
    Free(receiver);
}

TEST_F(ZMessageTest, KillDataFreesTheDataWithTheMessage) {
    TElement* data = TElement::New();
    TZarixMessage* m = TZarixMessage::CreateMessage(3, nullptr, nullptr, data, true);
    const TPropInfo* kill = GetPropInfo(m, "KillData");
    SetOrdProp(m, *kill, 1);
    EXPECT_TRUE(m->KillData);
    Free(m);
    EXPECT_FALSE(IsLive(data));

    // A message created by class name starts empty.
    TElement* blank = CreateElementByName("TZarixMessage");
    auto* bm = As<TZarixMessage>(blank);
    ASSERT_NE(bm, nullptr);
    EXPECT_EQ(bm->Message, 0);
    EXPECT_EQ(bm->Sender, nullptr);
    EXPECT_EQ(bm->Time, 0.0);
    Free(blank);
}

TEST_F(ZMessageTest, PostItAndSendItByProperty) {
    std::vector<std::string> names;
    for (const TPropInfo& p : TZarixMessage::StaticClass()->Props) names.push_back(p.Name);
    EXPECT_EQ(names, (std::vector<std::string>{"ID", "Name", "OwnersCount", "Size", "WholeSize", "Message", "Sender",
                                               "Receiver", "Data", "KillData", "Time", "PostIt", "SendIt"}));
    TZarixMessage* m = TZarixMessage::New();
    EXPECT_FALSE(IsStoredProp(m, *GetPropInfo(m, "PostIt")));
    m->Message = 4;
    const TPropInfo* postIt = GetPropInfo(m, "PostIt");
    SetOrdProp(m, *postIt, 0);
    ASSERT_EQ(Queued().size(), 1u);
    EXPECT_EQ(Queued()[0]->Message, 4);
    RemoveQueuedMessages([](TMsg&) { return true; });
    SetOrdProp(m, *postIt, 7);
    ASSERT_EQ(Queued().size(), 1u);
    EXPECT_EQ(m->Message, 7);
    Application().ProcessMessages();
    EXPECT_EQ(delivered_, std::vector<int32_t>{7});
    EXPECT_FALSE(IsLive(m));

    // Sending bypasses the queue and its hook: the caller keeps the object.
    TZarixMessage* s = TZarixMessage::New();
    SetOrdProp(s, *GetPropInfo(s, "SendIt"), 9);
    EXPECT_EQ(s->Message, 9);
    EXPECT_TRUE(Queued().empty());
    EXPECT_TRUE(delivered_.size() == 1u);
    Free(s);

    TZarixTextMessage* t = TZarixTextMessage::New();
    const TPropInfo* text = GetPropInfo(t, "Text");
    ASSERT_NE(text, nullptr);
    SetStrProp(t, *text, Cz("Hotovo"));
    EXPECT_EQ(t->GetMessageText(), Cz("Hotovo"));
    Free(t);
}

TEST_F(ZMessageTest, MessagesToOwnersGoFirstToLast) {
    TListener* a = Listener("a");
    TListener* b = Listener("b");
    TListener* c = Listener("c");
    TOwnerElement* x = TOwnerElement::New();
    x->PostMsgToOwners(1, nullptr, false);  // no owners: nothing
    EXPECT_TRUE(Queued().empty());
    for (TListener* owner : {a, b, c}) owner->AddElement(x);
    TElement* data = TElement::New();
    x->PostMsgToOwners(11, data, false);
    std::vector<TZarixMessage*> q = Queued();
    ASSERT_EQ(q.size(), 3u);
    EXPECT_EQ(q[0]->Receiver, a);
    EXPECT_EQ(q[1]->Receiver, b);
    EXPECT_EQ(q[2]->Receiver, c);
    for (TZarixMessage* m : q) EXPECT_EQ(m->Data, data);
    x->PostTextMsgToOwners(12, "note");
    q = Queued();
    ASSERT_EQ(q.size(), 6u);
    auto* tm = As<TZarixTextMessage>(q[3]);
    ASSERT_NE(tm, nullptr);
    EXPECT_EQ(tm->GetMessageText(), "note");
    EXPECT_EQ(tm->Sender, x);
    EXPECT_EQ(tm->Data, nullptr);
    Application().ProcessMessages();
    ASSERT_EQ(log_.size(), 6u);
    std::string order;
    for (const Delivery& d : log_) order += d.receiver + std::to_string(d.number) + " ";
    EXPECT_EQ(order, "a11 b11 c11 a12 b12 c12 ");
    Free(a);
    Free(b);
    Free(c);
    Free(data);
}

TEST_F(ZMessageTest, OwnersHandleMessageStopsAtTheFirstTaker) {
    TOwnerElement* x = TOwnerElement::New();
    TZarixMessage* m = TZarixMessage::CreateMessage(21, x, x, nullptr, false);
    bool handled = false;
    x->OwnersHandleMessage(m, handled);
    EXPECT_TRUE(handled);
    EXPECT_TRUE(log_.empty());

    TListener* first = Listener("first");
    TListener* second = Listener("second");
    first->AddElement(x);
    second->AddElement(x);
    first->claim = true;
    handled = false;
    x->OwnersHandleMessage(m, handled);
    ASSERT_EQ(log_.size(), 1u);
    EXPECT_EQ(log_[0].receiver, "first");

    // A failing owner is reported by the message number; the next one is still asked.
    log_.clear();
    first->claim = false;
    first->fail = true;
    handled = false;
    x->OwnersHandleMessage(m, handled);
    EXPECT_TRUE(handled);
    ASSERT_EQ(log_.size(), 2u);
    EXPECT_EQ(log_[1].receiver, "second");
    ASSERT_EQ(host_.Records().size(), 1u);
    EXPECT_EQ(host_.Records()[0].type, mtError);
    EXPECT_EQ(HostLog().back(), "21");
    Free(m);
    Free(first);
    Free(second);
}

TEST_F(ZMessageTest, EnvelopesReaddressToTheirOwner) {
    TEnvelopeEntity* lone = TEnvelopeEntity::New();
    TZarixMessage* m = TZarixMessage::CreateMessage(30, nullptr, lone, nullptr, false);
    bool handled = false;
    lone->HandleMessage(m, handled);  // no owner: nothing happens
    EXPECT_EQ(m->Receiver, lone);
    EXPECT_FALSE(handled);

    TListener* tool = Listener("tool");
    TEnvelopeEntity* env = TEnvelopeEntity::New();
    tool->AddElement(env);
    env->HandleMessage(m, handled);
    EXPECT_EQ(m->Receiver, tool);
    ASSERT_EQ(log_.size(), 1u);
    EXPECT_EQ(log_[0].receiver, "tool");
    Free(m);
    Free(lone);
    Free(tool);
}

TEST_F(ZMessageTest, FreeingAnElementMakesItsQueuedMessagesHarmless) {
    TListener* receiver = Listener("gone");
    TListener* keeper = Listener("keeper");
    TNameElement* sender = TNameElement::New();
    TElement* owned = TElement::New();
    TElement* shared = TElement::New();
    sender->PostMsg(1, receiver, owned, false);
    Queued()[0]->KillData = true;
    sender->PostMsg(2, keeper, shared, false);
    receiver->PostMsg(3, keeper, nullptr, false);
    sender->PostMsg(4, receiver, nullptr, false);
    ASSERT_EQ(Queued().size(), 4u);

    Free(receiver);  // drops 1 (with its data) and 4; 3 forgets its sender
    EXPECT_FALSE(IsLive(owned));
    std::vector<TZarixMessage*> q = Queued();
    ASSERT_EQ(q.size(), 2u);
    EXPECT_EQ(q[0]->Message, 2);
    EXPECT_EQ(q[1]->Message, 3);
    EXPECT_EQ(q[1]->Sender, nullptr);

    Free(shared);  // message 2 forgets its data
    EXPECT_EQ(Queued()[0]->Data, nullptr);
    Free(sender);
    EXPECT_EQ(Queued()[0]->Sender, nullptr);

    // A message object freed while queued leaves the queue: a later message, which may
    // be made at its address, is delivered once.
    TZarixMessage* early = Queued()[0];
    Free(early);
    ASSERT_EQ(Queued().size(), 1u);
    keeper->PostMsg(5, keeper, nullptr, false);
    Application().ProcessMessages();
    EXPECT_EQ(delivered_, (std::vector<int32_t>{3, 5}));
    Free(keeper);
}
