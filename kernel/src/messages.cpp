#include "kernel/messages.h"

#include <algorithm>
#include <vector>

#include "platform/files.h"
#include "platform/forms.h"
#include "platform/host.h"
#include "kernel/element_holder.h"

// ---- TZarixMessage ------------------------------------------------------------------------

void TZarixMessage::Publish(PropertyTable& t) {
    t.Field("Message", &TZarixMessage::Message);
    t.Obj<TZarixMessage, TElement>("Sender", &TZarixMessage::Sender, [](TZarixMessage* m, TElement* v) { m->Sender = v; });
    t.Obj<TZarixMessage, TElement>("Receiver", &TZarixMessage::Receiver,
                                   [](TZarixMessage* m, TElement* v) { m->Receiver = v; });
    t.Obj<TZarixMessage, TElement>("Data", &TZarixMessage::Data, [](TZarixMessage* m, TElement* v) { m->Data = v; });
    t.Field("KillData", &TZarixMessage::KillData);
    t.Field("Time", &TZarixMessage::Time);
    t.Int<TZarixMessage>("PostIt", nullptr, &TZarixMessage::DoPostIt);
    t.Int<TZarixMessage>("SendIt", nullptr, &TZarixMessage::DoSendIt);
}

void TZarixMessage::Init(int32_t msg, TElement* sender, TElement* receiver, TElement* data) {
    Message = msg;
    Sender = sender;
    Receiver = receiver;
    Data = data;
    Time = Now();
}

TZarixMessage* TZarixMessage::CreateMessage(int32_t msg, TElement* sender, TElement* receiver, TElement* data,
                                            bool /*killData*/) {
    TZarixMessage* m = New();
    m->Init(msg, sender, receiver, data);
    return m;
}

void TZarixMessage::Destroy() {
    if (KillData && Data) {
        TElement* data = Data;
        Data = nullptr;
        if (IsLive(data)) {
            try {
                Free(data);
            } catch (...) {
            }
        }
    }
    inherited::Destroy();
}


intptr_t TZarixMessage::Send() {
    return SendMessage(Application().Handle(), WM_USER, 0, reinterpret_cast<intptr_t>(this));
}

void TZarixMessage::DoPostIt(int32_t msg) {
    if (msg != 0) Message = msg;
    Post();
}

void TZarixMessage::DoSendIt(int32_t msg) {
    if (msg != 0) Message = msg;
    Send();
}

// ---- TZarixTextMessage ---------------------------------------------------------------------

void TZarixTextMessage::Publish(PropertyTable& t) {
    t.Str<TZarixTextMessage>("Text", &TZarixTextMessage::GetMessageText, &TZarixTextMessage::SetMessageText);
}

TZarixTextMessage* TZarixTextMessage::CreateMessage(int32_t msg, TElement* sender, TElement* receiver,
                                                    TElement* data, bool /*killData*/) {
    TZarixTextMessage* m = New();
    m->Init(msg, sender, receiver, data);
    return m;
}

void TZarixTextMessage::Destroy() {
    FText.clear();
    inherited::Destroy();
}

// ---- the message operations of elements ------------------------------------------------------

void TElement::HandleMessage(TZarixMessage*&, bool&) {}

void TElement::OwnersHandleMessage(TZarixMessage*& message, bool& handled) {
    if (GetOwnersCount() < 1) {
        handled = true;
        return;
    }
    for (int32_t i = 0; i < GetOwnersCount(); ++i) {
        int32_t number = message ? message->Message : 0;
        try {
            if (TEntity* owner = GetOwnerEntity(i)) {
                owner->HandleMessage(message, handled);
                if (handled) break;
            }
        } catch (...) {
            MessageDlg(IntToStr(number), mtError, {mbOK}, 0);
        }
        if (!message) break;  // a handler took the message over
    }
    handled = true;
}

void TElement::SendMsg(int32_t msg, TElement* receiver, TElement* data, bool killData) {
    // A sent message passes no queue and no handler takes it over: free it here.
    TElementHolder<TZarixMessage> m(TZarixMessage::CreateMessage(msg, this, receiver, data, killData));
    m->Send();
}

void TElement::PostMsg(int32_t msg, TElement* receiver, TElement* data, bool killData) {
    TZarixMessage::CreateMessage(msg, this, receiver, data, killData)->Post();
}

void TElement::SendMsgToOwners(int32_t msg, TElement* data, bool killData) {
    for (int32_t i = 0; i < GetOwnersCount(); ++i) SendMsg(msg, GetOwnerEntity(i), data, killData);
}

void TElement::PostMsgToOwners(int32_t msg, TElement* data, bool killData) {
    for (int32_t i = 0; i < GetOwnersCount(); ++i) PostMsg(msg, GetOwnerEntity(i), data, killData);
}

void TElement::PostTextMsg(int32_t msg, const std::string& text, TElement* receiver) {
    TZarixTextMessage* m = TZarixTextMessage::CreateMessage(msg, this, receiver, nullptr, false);
    m->SetMessageText(text);
    m->Post();
}

void TElement::PostTextMsgToOwners(int32_t msg, const std::string& text) {
    for (int32_t i = 0; i < GetOwnersCount(); ++i) PostTextMsg(msg, text, GetOwnerEntity(i));
}

// ---- the queue ----------------------------------------------------------------------------------

// Which queued messages name which elements. A message records its sender, receiver and
// data when it is first queued; each element so named keeps a list of those messages
// (with stale entries of messages that have left the queue since, dropped from time to
// time). Freeing an element visits only the messages that name it, never the queue.
struct TQueueLinks {
    uint32_t named = 0;  // record slots of queued messages that hold the element
    std::vector<std::pair<TZarixMessage*, uint64_t>> by;  // message and its serial
};

struct TQueueIndex {
    // Messages with entries in the queue; none: no element is named by one.
    static inline size_t queued = 0;

    static bool Names(const TZarixMessage* m, const TElement* e) {
        return m->FNamed[0] == e || m->FNamed[1] == e || m->FNamed[2] == e;
    }

    static void Name(TZarixMessage* m, int slot, TElement* e) {
        m->FNamed[slot] = e;
        if (!e) return;
        TQueueLinks*& links = e->FQueueLinks;
        if (!links) links = new TQueueLinks;
        if (links->by.size() > 2 * static_cast<size_t>(links->named) + 8)
            std::erase_if(links->by, [e](const auto& entry) {
                return !IsLive(entry.first, entry.second) || !Names(entry.first, e);
            });
        links->by.emplace_back(m, m->Serial());
        ++links->named;
    }

    static void Unname(TZarixMessage* m, int slot) {
        TElement* e = m->FNamed[slot];
        m->FNamed[slot] = nullptr;
        if (!e || !e->FQueueLinks) return;
        if (--e->FQueueLinks->named == 0) {
            delete e->FQueueLinks;
            e->FQueueLinks = nullptr;
        }
    }

    static void Posted(TZarixMessage* m) {
        if (m->FQueuedEntries++ > 0) return;
        ++queued;
        Name(m, 0, m->Sender);
        Name(m, 1, m->Receiver);
        Name(m, 2, m->Data);
    }

    // Answers whether the entry is to be swallowed.
    static bool Left(TZarixMessage* m) {
        if (m->FQueuedEntries <= 0) return false;
        if (--m->FQueuedEntries > 0) return m->FDropped;
        --queued;
        for (int slot = 0; slot < 3; ++slot) Unname(m, slot);
        if (!m->FDropped) return false;
        Free(m);
        return true;
    }

    // The message stays until its entries leave the queue, naming nothing; owned data
    // is freed now.
    static void Drop(TZarixMessage* m) {
        m->FDropped = true;
        for (int slot = 0; slot < 3; ++slot) Unname(m, slot);
        TElement* data = m->KillData ? m->Data : nullptr;
        m->Sender = m->Receiver = m->Data = nullptr;
        m->KillData = false;
        if (data && IsLive(data)) {
            try {
                Free(data);
            } catch (...) {
            }
        }
    }

    static void Forget(TElement* e) {
        TQueueLinks* links = e->FQueueLinks;
        if (!links) return;
        e->FQueueLinks = nullptr;
        for (const auto& [m, serial] : links->by) {
            if (!IsLive(m, serial) || m->FQueuedEntries == 0 || m->FDropped || !Names(m, e)) continue;
            for (TElement*& named : m->FNamed)
                if (named == e) named = nullptr;
            if (m->Sender == e) m->Sender = nullptr;
            if (m->Data == e) m->Data = nullptr;
            if (m->Receiver == e) Drop(m);
        }
        delete links;
    }

    // A message object freed while queued takes its entries out of the queue.
    static void Unqueue(TZarixMessage* m) {
        if (m->FQueuedEntries <= 0) return;
        m->FDropped = false;
        RemoveQueuedMessages([m](TMsg& q) {
            return q.message == WM_USER && reinterpret_cast<void*>(q.lParam) == static_cast<void*>(m);
        });
    }

    static bool OnLeave(const TMsg& q) {
        if (q.message != WM_USER) return false;
        void* p = reinterpret_cast<void*>(q.lParam);
        if (!IsLive(p)) return false;
        auto* m = As<TZarixMessage>(static_cast<TPersistent*>(p));
        return m && Left(m);
    }

    static bool Dropped(const TZarixMessage* m) { return m->FDropped; }
};

void TZarixMessage::Post() {
    static const bool hooked = (SetQueueLeaveHook(&TQueueIndex::OnLeave), true);
    (void)hooked;
    if (PostMessage(Application().Handle(), WM_USER, 0, reinterpret_cast<intptr_t>(this))) TQueueIndex::Posted(this);
}

TZarixMessage* ElementMessageOf(uint32_t msg, intptr_t lParam) {
    if (msg != WM_USER) return nullptr;
    void* p = reinterpret_cast<void*>(lParam);
    if (!IsLive(p)) return nullptr;
    auto* m = As<TZarixMessage>(static_cast<TPersistent*>(p));
    return m && !TQueueIndex::Dropped(m) ? m : nullptr;
}

void ForgetQueuedMessagesOf(TElement* element) {
    if (!element) return;
    TQueueIndex::Forget(element);
    if (TQueueIndex::queued == 0) return;
    if (auto* m = As<TZarixMessage>(element)) TQueueIndex::Unqueue(m);
}
