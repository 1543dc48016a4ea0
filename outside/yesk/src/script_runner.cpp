// TCommandLine: runs a Lua script in a fresh state and reports its errors through the
// world's exception hook; TCommandLineDlg: the console that runs lines against an element.
#include <atomic>
#include <csignal>
#include <fstream>
#include <iterator>
#include <lua.hpp>

#include "kernel/world.h"
#include "platform/files.h"
#include "platform/forms.h"
#include "platform/host.h"
#include "script_module.h"
#include "yesk/command_line.h"

namespace {

// What the boot function needs; plain values only.
struct BootData {
    const char* code;
    size_t length;
    const char* chunkName;
    bool asExpression;
    TPersistent* self;
};

// Inside lua_pcall: opens the module, compiles the text (never a binary chunk) and runs
// it; leaves the text of its first result on the stack.
int Boot(lua_State* L) {
    const auto* d = static_cast<const BootData*>(lua_touserdata(L, 1));
    lua_settop(L, 0);
    yesk_detail::OpenSuiteModule(L, d->self);
    int status = LUA_ERRSYNTAX;
    if (d->asExpression) {
        lua_pushliteral(L, "return ");
        lua_pushlstring(L, d->code, d->length);
        lua_concat(L, 2);
        size_t n = 0;
        const char* text = lua_tolstring(L, -1, &n);
        status = luaL_loadbufferx(L, text, n, d->chunkName, "t");
        if (status == LUA_OK) lua_remove(L, -2);
        else lua_settop(L, 0);
    }
    if (status != LUA_OK && luaL_loadbufferx(L, d->code, d->length, d->chunkName, "t") != LUA_OK)
        return lua_error(L);
    lua_call(L, 0, 1);
    if (lua_isnil(L, -1)) lua_pushliteral(L, "");
    else luaL_tolstring(L, -1, nullptr);
    return 1;
}

// The break request of the running scripts: Ctrl+C while a script runs, or Break.
std::atomic<bool> gBreak{false};
int gRunDepth = 0;
struct sigaction gOldInterrupt;

void OnInterrupt(int) { gBreak.store(true); }

const std::string& InterruptedText() {
    static const std::string text = Cz("přerušeno");
    return text;
}

// Every few thousand instructions: a requested break ends the script with its position.
void BreakHook(lua_State* L, lua_Debug* ar) {
    if (!gBreak.load(std::memory_order_relaxed)) return;
    // From now on at every instruction, so that a pcall inside the loop cannot keep it.
    lua_sethook(L, &BreakHook, LUA_MASKCOUNT, 1);
    lua_getinfo(L, "Sl", ar);
    lua_pushfstring(L, "%s:%d: %s", ar->short_src, ar->currentline, InterruptedText().c_str());
    lua_error(L);
}

// The outermost script takes Ctrl+C for itself and gives it back when it ends.
void EnterScript() {
    InterruptedText();
    if (gRunDepth++ > 0) return;
    gBreak.store(false);
    struct sigaction sa {};
    sa.sa_handler = &OnInterrupt;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, &gOldInterrupt);
}

void LeaveScript() {
    if (--gRunDepth > 0) return;
    sigaction(SIGINT, &gOldInterrupt, nullptr);
    gBreak.store(false);
}

// Through the application's exception hook (the world's, once hooked), else the world.
void ReportScriptError(TCommandLine* sender, const std::string& text) {
    Exception e(text);
    TApplication& app = Application();
    if (app.OnException) app.OnException(sender, e);
    else if (IsLive(World)) World->HandleException(sender, e);
    else app.ShowException(e);
}

}  // namespace

// ---- TCommandLine -------------------------------------------------------------------

void TCommandLine::Publish(PropertyTable& t) {
    using C = TCommandLine;
    t.Str<C>("FileName", [](C* c) { return c->FileName; }, [](C* c, const std::string& v) { c->FileName = v; });
}

void TCommandLine::DoIt() {
    Error = 0;
    Result.clear();
    if (FileName.empty()) return;
    std::ifstream in(MapPath(FileName), std::ios::binary);
    if (!in) {
        Error = 1;
        Result = Cz("Nelze otevřít soubor skriptu ") + FileName;
        ReportScriptError(this, Result);
        return;
    }
    std::string code((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Run(code, "@" + FileName, false);
}

bool TCommandLine::RunText(const std::string& text, const std::string& chunkName, bool asExpression) {
    Error = 0;
    Result.clear();
    return Run(text, chunkName, asExpression);
}

bool TCommandLine::Run(const std::string& code, const std::string& chunkName, bool asExpression) {
    lua_State* L = luaL_newstate();
    if (!L) {
        Error = 1;
        Result = "not enough memory";
        ReportScriptError(this, Result);
        return false;
    }
    BootData data{code.data(), code.size(), chunkName.c_str(), asExpression, IsLive(Input) ? Input : nullptr};
    ++FRunning;
    THeld<TCommandLine> self(this);
    yesk_detail::EnterRunner(this);
    EnterScript();
    lua_sethook(L, &BreakHook, LUA_MASKCOUNT, 1000);
    lua_pushcfunction(L, &Boot);
    lua_pushlightuserdata(L, &data);
    int status = lua_pcall(L, 1, 1, 0);
    size_t n = 0;
    const char* text = lua_type(L, -1) == LUA_TSTRING ? lua_tolstring(L, -1, &n) : nullptr;
    std::string result = text ? std::string(text, n) : std::string("(error object is not a string)");
    lua_close(L);
    LeaveScript();
    yesk_detail::LeaveRunner();
    // The script may have freed what held this runner, and with it the runner.
    bool alive = self.Get() != nullptr;
    if (alive) {
        --FRunning;
        Result = result;
        Error = status == LUA_OK ? 0 : 1;
    }
    if (status == LUA_OK) return true;
    ReportScriptError(alive ? this : nullptr, result);
    return false;
}

void TCommandLine::Break() {
    if (gRunDepth > 0) gBreak.store(true);
}

// ---- TCommandLineDlg ----------------------------------------------------------------

void TCommandLineDlg::Publish(PropertyTable& t) {
    using C = TCommandLineDlg;
    t.Obj<C, TElement>("Element", &C::GetElement, &C::SetElement);
}

TElement* TCommandLineDlg::GetElement() const { return FElement.Get(); }

void TCommandLineDlg::Show() {
    TCommandLine* runner = FRunner.Get();
    if (!runner) {
        runner = TCommandLine::New();
        runner->SetName("Yesk");
        FRunner.Set(runner);
    }
    // An empty line or a cancelled query closes the console.
    for (;;) {
        std::string line;
        if (!GetUserHost().InputQuery("Yesk", Cz("Příkaz:"), line) || Trim(line).empty()) break;
        runner->SetInput(GetElement());
        if (runner->RunText(line, "=console", true) && !runner->Result.empty()) ShowMessage(runner->Result);
    }
}

void TCommandLineDlg::Destroy() {
    TCommandLine* runner = FRunner.Get();
    FRunner.Set(nullptr);
    if (runner && !runner->GetRunning()) Free(runner);
    inherited::Destroy();
}
