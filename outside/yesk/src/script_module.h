// The Lua side of the script runner: the `yesk` table and element references.
//
// Lua raises errors by longjmp. Every C function of the module is a Guard around an
// implementation that never touches the Lua state: the guard copies the arguments into
// plain values first, runs the implementation (C++ exceptions are caught there), pushes
// the results inside a protected call, lets its C++ locals go and only then raises.
#pragma once

struct lua_State;
class TCommandLine;
class TPersistent;

namespace yesk_detail {

// Opens the libraries a script may use and the module; `self` is the element the
// script runs against. Called inside a protected call.
void OpenSuiteModule(lua_State* L, TPersistent* self);

// The runners whose scripts are running, innermost last.
void EnterRunner(TCommandLine* runner);
void LeaveRunner();
TCommandLine* CurrentRunner();

}  // namespace yesk_detail
