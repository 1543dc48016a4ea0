// Element messages: objects carried through the application's queue as WM_USER with
// the message object as the long parameter.
#pragma once
#include <cstdint>
#include <string>

#include "kernel/elements.h"

class TZarixMessage : public TElement {
    ZARIX_CLASS(TZarixMessage, TElement)
    static void Publish(PropertyTable& t);

public:
    TElement* Sender = nullptr;
    TElement* Receiver = nullptr;
    int32_t Message = 0;
    TElement* Data = nullptr;
    bool KillData = false;  // the message owns Data and frees it with itself
    double Time = 0;        // date and time of creation, days since 1899-12-30

    // A new message stamped with the current time. The kill-data flag is not stored:
    // only an assignment to KillData makes a message own its data.
    static TZarixMessage* CreateMessage(int32_t msg, TElement* sender, TElement* receiver,
                                        TElement* data, bool killData);

    void Destroy() override;

    // Posts the message to the application window; returns at once.
    void Post();
    // Hands the message to the application window's procedure.
    intptr_t Send();
    // A non-zero number replaces Message first.
    void DoPostIt(int32_t msg);
    void DoSendIt(int32_t msg);

protected:
    void Init(int32_t msg, TElement* sender, TElement* receiver, TElement* data);

private:
    friend struct TQueueIndex;
    int32_t FQueuedEntries = 0;        // queue entries carrying this message
    bool FDropped = false;             // its receiver was freed: it waits only to leave the queue
    TElement* FNamed[3] = {};          // sender, receiver and data as they were posted
};

class TZarixTextMessage : public TZarixMessage {
    ZARIX_CLASS(TZarixTextMessage, TZarixMessage)
    static void Publish(PropertyTable& t);

public:
    static TZarixTextMessage* CreateMessage(int32_t msg, TElement* sender, TElement* receiver,
                                            TElement* data, bool killData);

    std::string GetMessageText() const { return FText; }
    void SetMessageText(const std::string& text) { FText = text; }
    void Destroy() override;

private:
    std::string FText;
};

// The element message carried by a window message: WM_USER with a live message object
// as the long parameter; nil otherwise, and nil for a message dropped because its
// receiver was freed.
TZarixMessage* ElementMessageOf(uint32_t msg, intptr_t lParam);

// Makes queued messages harmless before an element is freed: one addressed to it is
// dropped (and freed with its data when it owns it), one naming it as sender or data
// forgets it, and the queue entries of a freed message object are removed.
void ForgetQueuedMessagesOf(TElement* element);
