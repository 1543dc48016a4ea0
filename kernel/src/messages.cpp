#include "kernel/messages.h"

#include <algorithm>
#include <vector>

#include "platform/files.h"
#include "platform/forms.h"
#include "platform/host.h"

// ---- TZarixMessage ------------------------------------------------------------------------

void TZarixMessage::Publish(PropertyTable& t) {
    t.Int<TZarixMessage>("Message", &TZarixMessage::Message, [](TZarixMessage* m, int32_t v) { m->Message = v; });
    t.Obj<TZarixMessage, TElement>("Sender", &TZarixMessage::Sender, [](TZarixMessage* m, TElement* v) { m->Sender = v; });
    t.Obj<TZarixMessage, TElement>("Receiver", &TZarixMessage::Receiver,
                                   [](TZarixMessage* m, TElement* v) { m->Receiver = v; });
    t.Obj<TZarixMessage, TElement>("Data", &TZarixMessage::Data, [](TZarixMessage* m, TElement* v) { m->Data = v; });
    t.Bool<TZarixMessage>("KillData", &TZarixMessage::KillData, [](TZarixMessage* m, bool v) { m->KillData = v; });
    t.Float<TZarixMessage>("Time", &TZarixMessage::Time, [](TZarixMessage* m, double v) { m->Time = v; });
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

void TZarixMessage::Post() { PostMessage(Application().Handle(), WM_USER, 0, reinterpret_cast<intptr_t>(this)); }

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
    TZarixMessage* m = TZarixMessage::CreateMessage(msg, this, receiver, data, killData);
    try {
        m->Send();
    } catch (...) {
        Free(m);
        throw;
    }
    Free(m);
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

TZarixMessage* ElementMessageOf(uint32_t msg, intptr_t lParam) {
    if (msg != WM_USER) return nullptr;
    void* p = reinterpret_cast<void*>(lParam);
    if (!IsLive(p)) return nullptr;
    return As<TZarixMessage>(static_cast<TPersistent*>(p));
}

void ForgetQueuedMessagesOf(TElement* element) {
    if (!element || QueuedCount() == 0) return;
    std::vector<TZarixMessage*> dropped;
    RemoveQueuedMessages([&](TMsg& m) {
        if (m.message != WM_USER) return false;
        if (reinterpret_cast<void*>(m.lParam) == static_cast<void*>(element)) return true;
        TZarixMessage* zm = ElementMessageOf(m.message, m.lParam);
        if (!zm) return false;
        if (zm->Sender == element) zm->Sender = nullptr;
        if (zm->Data == element) zm->Data = nullptr;
        if (zm->Receiver != element) return false;
        if (std::find(dropped.begin(), dropped.end(), zm) == dropped.end()) dropped.push_back(zm);
        return true;
    });
    // Freed after the walk: freeing walks the queue again.
    for (TZarixMessage* zm : dropped)
        if (IsLive(zm)) Free(zm);
}
