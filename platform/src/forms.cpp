#include "platform/forms.h"

#include <algorithm>
#include <deque>
#include <exception>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/files.h"
#include "platform/host.h"
#include "platform/windows.h"

namespace {

struct WindowState {
    uintptr_t nextHandle = 0x10000;
    std::unordered_set<void*> handles;
    std::unordered_map<void*, TWindowProc> procs;
    std::deque<TMsg> queue;
    QueueLeaveHook leaveHook = nullptr;
};

// Never destroyed: handlers may still post while other globals are torn down.
WindowState& Windows() {
    static WindowState* s = new WindowState;
    return *s;
}

intptr_t CallWindowProc(TMsg& m) {
    auto& w = Windows();
    auto it = w.procs.find(m.hwnd);
    if (it == w.procs.end() || !it->second) return 0;
    TWindowProc proc = it->second;  // the procedure may unregister itself
    return proc(m);
}

}  // namespace

void* AllocateWindowHandle() {
    auto& w = Windows();
    void* h = reinterpret_cast<void*>(w.nextHandle);
    w.nextHandle += 0x10;
    w.handles.insert(h);
    return h;
}

void RegisterWindowProc(void* hwnd, TWindowProc proc) { Windows().procs[hwnd] = std::move(proc); }

void UnregisterWindowProc(void* hwnd) { Windows().procs.erase(hwnd); }

bool PostMessage(void* hwnd, uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    auto& w = Windows();
    if (hwnd && !w.handles.count(hwnd)) return false;
    w.queue.push_back(TMsg{hwnd, msg, wParam, lParam});
    return true;
}

intptr_t SendMessage(void* hwnd, uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    TMsg m{hwnd, msg, wParam, lParam};
    return CallWindowProc(m);
}

void RemoveQueuedMessages(const std::function<bool(TMsg&)>& pred) {
    auto& w = Windows();
    auto& q = w.queue;
    size_t kept = 0;
    for (size_t i = 0; i < q.size(); ++i) {
        if (pred(q[i])) {
            if (w.leaveHook) w.leaveHook(q[i]);
            continue;
        }
        if (kept != i) q[kept] = q[i];
        ++kept;
    }
    q.resize(kept);
}

void SetQueueLeaveHook(QueueLeaveHook hook) { Windows().leaveHook = hook; }

void ForEachQueued(const std::function<void(TMsg&)>& fn) {
    for (TMsg& m : Windows().queue) fn(m);
}

size_t QueuedCount() { return Windows().queue.size(); }

// ---- TApplication ---------------------------------------------------------

TApplication::TApplication() : handle_(AllocateWindowHandle()) {}

std::string TApplication::Title() const {
    if (titleSet_) return title_;
    return ChangeFileExt(ExtractFileName(ExeName()), "");
}

std::string TApplication::ExeName() const { return ExecutablePath(); }

void TApplication::Initialize() {}

namespace {

std::vector<TTimer*>& Timers() {
    static std::vector<TTimer*> timers;
    return timers;
}

// The enabled timers that are due; a timer enabled, disabled or destroyed by another's
// handler is looked up again.
void RunDueTimers() {
    if (Timers().empty()) return;
    uint32_t now = GetTickCount();
    std::vector<TTimer*> due = Timers();
    for (TTimer* t : due)
        if (std::find(Timers().begin(), Timers().end(), t) != Timers().end()) t->RunIfDue(now);
}

}  // namespace

TTimer::TTimer() = default;

TTimer::~TTimer() { SetEnabled(false); }

void TTimer::SetEnabled(bool on) {
    if (on == enabled_) return;
    enabled_ = on;
    auto& all = Timers();
    if (on) {
        last_ = GetTickCount();
        all.push_back(this);
    } else {
        all.erase(std::remove(all.begin(), all.end(), this), all.end());
    }
}

void TTimer::RunIfDue(uint32_t now) {
    if (!enabled_ || now - last_ < Interval) return;
    last_ = now;
    if (OnTimer) OnTimer();
}

void TApplication::SetHint(std::string h) {
    hint_ = std::move(h);
    if (OnHint) {
        auto handler = OnHint;  // the handler may replace itself
        handler();
    }
}

bool TApplication::HandleMessage() {
    auto& w = Windows();
    auto& q = w.queue;
    RunDueTimers();
    if (q.empty()) return false;
    TMsg m = q.front();
    q.pop_front();
    try {
        if (w.leaveHook && w.leaveHook(m)) return true;
        Dispatch(m);
    } catch (...) {
        HandleException(this);
    }
    return true;
}

void TApplication::Dispatch(TMsg& m) {
    bool handled = false;
    if (OnMessage) {
        MessageHook hook = OnMessage;  // a handler may replace the hook
        hook(m, handled);
    }
    if (!handled) CallWindowProc(m);
}

void TApplication::ProcessMessages() {
    if (eventPump_) {
        auto pump = eventPump_;
        pump();
    }
    while (HandleMessage()) {
    }
}

void TApplication::Run() {
    if (eventLoop_ && !terminated_) {
        auto loop = eventLoop_;
        loop();
        return;
    }
    while (!terminated_ && HandleMessage()) {
    }
}

void TApplication::HandleException(void* sender) {
    std::exception_ptr ep = std::current_exception();
    if (!ep) return;
    try {
        std::rethrow_exception(ep);
    } catch (Exception& e) {
        Report(sender, e);
    } catch (std::exception& e) {
        Exception wrapped(Cz(e.what()));
        Report(sender, wrapped);
    }
}

void TApplication::Report(void* sender, Exception& e) {
    if (!OnException) {
        ShowException(e);
        return;
    }
    ExceptionHook hook = OnException;
    try {
        hook(sender, e);
    } catch (Exception& again) {
        ShowException(again);
    } catch (std::exception& again) {
        ShowException(Exception(Cz(again.what())));
    }
}

void TApplication::ShowException(const Exception& e) {
    HostMessageBox(e.Message(), Title(), mtError, mbOK);
}

TApplication& Application() {
    static TApplication* app = new TApplication;
    return *app;
}

std::string TScreen::Cursors(int index) const {
    auto it = cursors_.find(index);
    return it == cursors_.end() ? std::string() : it->second;
}

void TScreen::SetCursors(int index, std::string source) { cursors_[index] = std::move(source); }

TScreen& Screen() {
    static TScreen* s = new TScreen;
    return *s;
}
