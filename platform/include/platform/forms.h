// The application object, its queue of posted messages and the screen cursor.
// Headless: the queue of posted messages is the only event source, on one thread.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "platform/sysutils.h"

// A window message as taken from the queue.
struct TMsg {
    void* hwnd;
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
};

constexpr uint32_t WM_USER = 1024;

using TWindowProc = std::function<intptr_t(TMsg&)>;

// A new opaque, non-null window handle, distinct from every other handle of the process.
void* AllocateWindowHandle();
// The window procedure of a handle: it receives sent messages and queued messages that the
// message hook left unhandled. A handle without one (the application window by default)
// ignores every message and answers 0.
void RegisterWindowProc(void* hwnd, TWindowProc proc);
void UnregisterWindowProc(void* hwnd);

// Appends to the application's queue (first in, first out). A null handle posts a thread
// message, seen by the hook only. False for a handle that was never allocated.
bool PostMessage(void* hwnd, uint32_t msg, uintptr_t wParam, intptr_t lParam);
// Calls the target's window procedure at once; the queue and the message hook are bypassed.
intptr_t SendMessage(void* hwnd, uint32_t msg, uintptr_t wParam, intptr_t lParam);

// Queue maintenance for layers that keep pointers in lParam: drop or fix queued messages
// that name an object being freed. The callbacks must not post or remove messages.
void RemoveQueuedMessages(const std::function<bool(TMsg&)>& pred);
// Sees each queued message as it leaves the queue: taken for dispatch (answering true
// swallows it: it is not dispatched) or removed by RemoveQueuedMessages (the answer is
// ignored). It must not post or remove messages. One hook per process; nil removes it.
using QueueLeaveHook = bool (*)(const TMsg&);
void SetQueueLeaveHook(QueueLeaveHook hook);
void ForEachQueued(const std::function<void(TMsg&)>& fn);
size_t QueuedCount();

class TApplication {
public:
    using MessageHook = std::function<void(TMsg&, bool& handled)>;
    using ExceptionHook = std::function<void(void* sender, Exception&)>;

    TApplication();
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;

    void* Handle() const { return handle_; }

    // Until set, the program's file name without its extension.
    std::string Title() const;
    void SetTitle(std::string t) { title_ = std::move(t); titleSet_ = true; }
    // Full path of the running program.
    std::string ExeName() const;
    const std::string& HelpFile() const { return helpFile_; }
    void SetHelpFile(std::string f) { helpFile_ = std::move(f); }
    const std::string& Hint() const { return hint_; }
    // Runs OnHint with the new hint.
    void SetHint(std::string h);
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool v) { showHint_ = v; }
    int HintColor() const { return hintColor_; }
    void SetHintColor(int c) { hintColor_ = c; }
    int HintPause() const { return hintPause_; }
    void SetHintPause(int ms) { hintPause_ = ms; }
    void* MainForm() const { return mainForm_; }
    void SetMainForm(void* f) { mainForm_ = f; }

    void Initialize();

    // Takes one message from the queue and dispatches it; false when the queue is empty.
    bool HandleMessage();
    // Dispatches until the queue is empty, messages posted meanwhile included. Handlers may
    // call it again (nested); FIFO order holds across the nesting.
    void ProcessMessages();
    // Dispatches until Terminate() or until the queue is empty: with no other event source,
    // an empty queue ends the loop too. Messages still queued after Terminate() stay queued.
    // With an event loop set (a window system), Run hands over to it instead; it returns
    // once Terminate() was called.
    void Run();
    void Terminate() { terminated_ = true; }
    // The window system's loop, or nil for none (the default).
    void SetEventLoop(std::function<void()> loop) { eventLoop_ = std::move(loop); }
    bool HasEventLoop() const { return static_cast<bool>(eventLoop_); }
    // Lets the window system run inside ProcessMessages (windows repaint and take input
    // while a long job runs); nil for none (the default).
    void SetEventPump(std::function<void()> pump) { eventPump_ = std::move(pump); }
    bool Terminated() const { return terminated_; }

    // Shows the current hint (Hint()) where the program wants it; set by SetHint.
    std::function<void()> OnHint;

    // Sees every message taken from the queue, handled false on entry. An unhandled message
    // goes to the window procedure of its target.
    MessageHook OnMessage;
    // Receives an exception that escaped a dispatched message; the loop goes on. Without a
    // hook, ShowException shows it.
    ExceptionHook OnException;

    // For catch blocks: hands the exception in flight to OnException or ShowException.
    // A std::exception that is not an Exception is wrapped; other types are rethrown.
    void HandleException(void* sender);
    // A message box (error type, OK) with the exception's message, through the user host.
    void ShowException(const Exception& e);

private:
    void Dispatch(TMsg& m);
    void Report(void* sender, Exception& e);

    void* handle_;
    std::string title_;
    std::string helpFile_;
    std::string hint_;
    bool showHint_ = true;
    int hintColor_ = static_cast<int>(0x80000018u);  // system colour "info background"
    int hintPause_ = 500;
    void* mainForm_ = nullptr;
    bool titleSet_ = false;
    bool terminated_ = false;
    std::function<void()> eventLoop_;
    std::function<void()> eventPump_;
};

// A timer of the application loop: while enabled, OnTimer runs when the loop takes a
// message and at least Interval milliseconds have passed since it was enabled or last ran.
class TTimer {
public:
    TTimer();
    ~TTimer();
    TTimer(const TTimer&) = delete;
    TTimer& operator=(const TTimer&) = delete;

    uint32_t Interval = 1000;
    std::function<void()> OnTimer;
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool on);
    // Runs OnTimer when enabled and due at the tick count now.
    void RunIfDue(uint32_t now);

private:
    bool enabled_ = false;
    uint32_t last_ = 0;
};

// The one application object of the process, created on first use.
TApplication& Application();

// Screen cursors: the predefined ones are negative; a program's own cursors use indexes > 0.
enum TCursor : int {
    crDefault = 0,
    crNone = -1,
    crArrow = -2,
    crCross = -3,
    crIBeam = -4,
    crSizeNESW = -6,
    crSizeNS = -7,
    crSizeNWSE = -8,
    crSizeWE = -9,
    crUpArrow = -10,
    crHourGlass = -11,
    crDrag = -12,
    crNoDrop = -13,
    crHSplit = -14,
    crVSplit = -15,
    crMultiDrag = -16,
    crSQLWait = -17,
    crNo = -18,
    crAppStart = -19,
    crHelp = -20,
    crHandPoint = -21,
    crSizeAll = -22,
};

class TScreen {
public:
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor c) { cursor_ = c; }
    // The cursor table: what each program cursor index was loaded from (a cursor file or
    // a resource name); empty for an index never set. Headless, only the state is kept.
    std::string Cursors(int index) const;
    void SetCursors(int index, std::string source);
private:
    TCursor cursor_ = crDefault;
    std::map<int, std::string> cursors_;
};

TScreen& Screen();
