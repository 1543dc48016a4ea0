#include "script_module.h"

#include <charconv>
#include <lua.hpp>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "kernel/class_registry.h"
#include "kernel/elements.h"
#include "kernel/property_access.h"
#include "kernel/tools.h"
#include "kernel/value_elements.h"
#include "kernel/world.h"
#include "platform/classes.h"
#include "platform/forms.h"
#include "yesk/command_line.h"
#include "yesk/held.h"

namespace yesk_detail {

namespace {

std::vector<THeld<TCommandLine>>& Runners() {
    static std::vector<THeld<TCommandLine>> runners;
    return runners;
}

}  // namespace

void EnterRunner(TCommandLine* runner) { Runners().emplace_back(runner); }
void LeaveRunner() { Runners().pop_back(); }
TCommandLine* CurrentRunner() { return Runners().empty() ? nullptr : Runners().back().Get(); }

namespace {

// ---- arguments and results --------------------------------------------------------

constexpr int kMaxArgs = 8;
const char kElementMeta = 0;  // its address keys the element metatable in the registry

struct Ref {
    TPersistent* obj;
    uint64_t serial;
    TPersistent* Live() const { return IsLive(obj, serial) ? obj : nullptr; }
};

// One argument as plain values; strings point into the Lua stack.
struct Arg {
    int type = LUA_TNONE;
    const char* s = nullptr;
    size_t len = 0;
    lua_Integer i = 0;
    lua_Number n = 0;
    bool isInt = false;
    bool b = false;
    bool isRef = false;
    Ref ref{};
};

struct Args {
    int count = 0;
    Arg a[kMaxArgs];
    const Arg& operator[](int i) const {
        static const Arg none;
        return i < kMaxArgs ? a[i] : none;
    }
};

struct OutValue {
    enum Kind : uint8_t { Nil, Bool, Int, Num, Str, Obj, Fn, List } kind = Nil;
    bool b = false;
    lua_Integer i = 0;
    lua_Number n = 0;
    std::string s;
    TPersistent* obj = nullptr;
    lua_CFunction fn = nullptr;
    std::vector<std::string> list;
};

struct Out {
    std::vector<OutValue> values;
    bool failed = false;
    std::string error;

    OutValue& Add(OutValue::Kind k) {
        values.emplace_back();
        values.back().kind = k;
        return values.back();
    }
    void Nil() { Add(OutValue::Nil); }
    void Bool(bool b) { Add(OutValue::Bool).b = b; }
    void Int(lua_Integer i) { Add(OutValue::Int).i = i; }
    void Num(lua_Number n) { Add(OutValue::Num).n = n; }
    void Str(std::string s) { Add(OutValue::Str).s = std::move(s); }
    void Obj(TPersistent* o) {
        if (o) Add(OutValue::Obj).obj = o;
        else Nil();
    }
    void Fn(lua_CFunction f) { Add(OutValue::Fn).fn = f; }
    void List(std::vector<std::string> l) { Add(OutValue::List).list = std::move(l); }
};

using Impl = void (*)(const Args&, Out&);

[[noreturn]] void Raise(const std::string& text) { throw Exception(text); }

bool IsElementRef(lua_State* L, int index) {
    if (!lua_getmetatable(L, index)) return false;
    lua_rawgetp(L, LUA_REGISTRYINDEX, &kElementMeta);
    bool ours = lua_rawequal(L, -1, -2);
    lua_pop(L, 2);
    return ours;
}

// Reads without raising: no conversions, no allocations.
void ReadArgs(lua_State* L, Args& args) {
    args.count = lua_gettop(L);
    for (int i = 0; i < args.count && i < kMaxArgs; ++i) {
        Arg& a = args.a[i];
        a.type = lua_type(L, i + 1);
        switch (a.type) {
            case LUA_TNUMBER:
                a.isInt = lua_isinteger(L, i + 1);
                a.i = lua_tointeger(L, i + 1);
                a.n = lua_tonumber(L, i + 1);
                break;
            case LUA_TSTRING: a.s = lua_tolstring(L, i + 1, &a.len); break;
            case LUA_TBOOLEAN: a.b = lua_toboolean(L, i + 1); break;
            case LUA_TUSERDATA:
                if (IsElementRef(L, i + 1)) {
                    a.isRef = true;
                    a.ref = *static_cast<Ref*>(lua_touserdata(L, i + 1));
                }
                break;
            default: break;
        }
    }
}

void PushRef(lua_State* L, TPersistent* obj) {
    auto* r = static_cast<Ref*>(lua_newuserdatauv(L, sizeof(Ref), 0));
    r->obj = obj;
    r->serial = obj->Serial();
    lua_rawgetp(L, LUA_REGISTRYINDEX, &kElementMeta);
    lua_setmetatable(L, -2);
}

// Pushes the results, or the error message, of the implementation (inside lua_pcall).
int PushOut(lua_State* L) {
    Out* out = static_cast<Out*>(lua_touserdata(L, 1));
    if (out->failed) {
        lua_pushlstring(L, out->error.data(), out->error.size());
        return 1;
    }
    int n = static_cast<int>(out->values.size());
    luaL_checkstack(L, n, nullptr);
    for (int k = 0; k < n; ++k) {
        const OutValue& v = out->values[static_cast<size_t>(k)];
        switch (v.kind) {
            case OutValue::Nil: lua_pushnil(L); break;
            case OutValue::Bool: lua_pushboolean(L, v.b); break;
            case OutValue::Int: lua_pushinteger(L, v.i); break;
            case OutValue::Num: lua_pushnumber(L, v.n); break;
            case OutValue::Str: lua_pushlstring(L, v.s.data(), v.s.size()); break;
            case OutValue::Obj: PushRef(L, v.obj); break;
            case OutValue::Fn: lua_pushcfunction(L, v.fn); break;
            case OutValue::List:
                lua_createtable(L, static_cast<int>(v.list.size()), 0);
                for (size_t j = 0; j < v.list.size(); ++j) {
                    lua_pushlstring(L, v.list[j].data(), v.list[j].size());
                    lua_rawseti(L, -2, static_cast<lua_Integer>(j + 1));
                }
                break;
        }
    }
    return n;
}

void Fail(Out& out, const char* message) noexcept {
    out.failed = true;
    try {
        out.error = message;
    } catch (...) {
        out.error.clear();
    }
}

// The C function around an implementation; see script_module.h.
template <Impl F> int Guard(lua_State* L) {
    int pushed = -1;
    {
        Args args;
        ReadArgs(L, args);
        Out out;
        try {
            if (args.count > kMaxArgs) Raise(Cz("Příliš mnoho argumentů"));
            F(args, out);
        } catch (const Exception& e) {
            Fail(out, e.Message().c_str());
        } catch (const std::bad_alloc&) {
            Fail(out, "not enough memory");
        } catch (const std::exception& e) {
            Fail(out, e.what());
        } catch (...) {
            Fail(out, "unknown error");
        }
        int base = lua_gettop(L);
        lua_pushcfunction(L, &PushOut);
        lua_pushlightuserdata(L, &out);
        int status = lua_pcall(L, 1, LUA_MULTRET, 0);
        if (status == LUA_OK && !out.failed) pushed = lua_gettop(L) - base;
    }
    if (pushed >= 0) return pushed;
    // Only plain values are left in this frame: the error may leave it by longjmp.
    if (lua_type(L, -1) == LUA_TSTRING) {
        luaL_where(L, 1);
        lua_insert(L, -2);
        lua_concat(L, 2);
    }
    return lua_error(L);
}

// ---- argument helpers ---------------------------------------------------------------

std::string Str(const Arg& a) { return std::string(a.s ? a.s : "", a.len); }

std::string NumberText(const Arg& a) {
    if (a.isInt) return IntToStr(a.i);
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, a.n);
    return std::string(buf, r.ptr);
}

// A value as the text the property rules read.
std::string ValueText(const Arg& a, const std::string& what) {
    switch (a.type) {
        case LUA_TSTRING: return Str(a);
        case LUA_TNUMBER: return NumberText(a);
        case LUA_TBOOLEAN: return a.b ? "True" : "False";
        default: Raise(what + Cz(" očekává text, číslo nebo logickou hodnotu"));
    }
}

std::string TextArg(const Args& args, int i, const char* what) {
    const Arg& a = args[i];
    if (a.type != LUA_TSTRING && a.type != LUA_TNUMBER) Raise(std::string(what) + Cz(" očekává text"));
    return ValueText(a, what);
}

TPersistent* LiveRef(const Arg& a) {
    if (!a.isRef) return nullptr;
    TPersistent* o = a.ref.Live();
    if (!o) Raise(Cz("Prvek již neexistuje"));
    return o;
}

TPersistent* ObjArg(const Args& args, int i, const char* what) {
    TPersistent* o = LiveRef(args[i]);
    if (!o) Raise(std::string(what) + Cz(" očekává prvek"));
    return o;
}

TElement* ElementArg(const Args& args, int i, const char* what) {
    auto* e = As<TElement>(ObjArg(args, i, what));
    if (!e) Raise(std::string(what) + Cz(" očekává prvek"));
    return e;
}

TEntity* EntityArg(const Args& args, int i, const char* what) {
    TElement* e = ElementArg(args, i, what);
    auto* entity = As<TEntity>(e);
    if (!entity) Raise(std::string(what) + Cz(": prvek ") + e->GetName() + Cz(" není entita"));
    return entity;
}

// Element messages and writes of the script come from the runner.
TElement* Sender() { return CurrentRunner(); }

// The owners of an element: the entities holding it, or an envelope's one owner.
std::vector<TEntity*> OwnersOf(TElement* e) {
    std::vector<TEntity*> owners;
    if (auto* envelope = As<TEnvelopeEntity>(e)) {
        if (IsLive(envelope->Owner())) owners.push_back(envelope->Owner());
        return owners;
    }
    for (int32_t i = 0; i < e->GetOwnersCount(); ++i)
        if (TEntity* o = e->GetOwnerEntity(i); IsLive(o)) owners.push_back(o);
    return owners;
}

// Whether target is e or holds e, directly or through its owners.
bool HoldsOrIs(TElement* target, TElement* e) {
    std::vector<TElement*> todo{e};
    std::vector<TElement*> seen;
    while (!todo.empty()) {
        TElement* x = todo.back();
        todo.pop_back();
        if (x == target) return true;
        bool known = false;
        for (TElement* s : seen) known = known || s == x;
        if (known) continue;
        seen.push_back(x);
        for (TEntity* o : OwnersOf(x)) todo.push_back(o);
    }
    return false;
}

// Freeing the world or what holds a running runner would pull the floor from under it.
void CheckMayFree(TElement* e) {
    if (e == World) Raise(Cz("Skript nemůže uvolnit svět"));
    for (const THeld<TCommandLine>& held : Runners())
        if (TCommandLine* r = held.Get(); r && HoldsOrIs(e, r))
            Raise(Cz("Prvek ") + e->GetName() + Cz(" drží běžící skript a nelze jej uvolnit"));
}

// ---- properties ---------------------------------------------------------------------

bool IsBooleanType(const TTypeInfo* t) { return t == TypeInfoBoolean() || (t && t->Name == "Boolean"); }

void ReadProperty(Out& out, TPersistent* obj, const TPropInfo& p) {
    switch (p.Kind()) {
        case tkInteger: case tkInt64: case tkSet: out.Int(GetOrdProp(obj, p)); break;
        case tkEnumeration:
            if (IsBooleanType(p.PropType)) out.Bool(GetOrdProp(obj, p) != 0);
            else out.Str(GetEnumName(p.PropType, GetOrdProp(obj, p)));
            break;
        case tkChar: out.Str(std::string(1, static_cast<char>(GetOrdProp(obj, p)))); break;
        case tkFloat: out.Num(GetFloatProp(obj, p)); break;
        case tkString: case tkLString: case tkWString: out.Str(GetStrProp(obj, p)); break;
        case tkClass: {
            TPersistent* o = GetObjectProp(obj, p);
            out.Obj(IsLive(o) ? o : nullptr);
            break;
        }
        default: {
            std::string text;
            FillWithData(obj, &p, text);
            out.Str(std::move(text));
        }
    }
}

void WriteProperty(TPersistent* obj, const TPropInfo& p, const Arg& v) {
    if (!p.HasWriter()) Raise(Cz("Vlastnost ") + p.Name + Cz(" je jen ke čtení"));
    if (p.Kind() == tkClass) {
        TPersistent* value = nullptr;
        if (v.type != LUA_TNIL) {
            value = LiveRef(v);
            if (!value) Raise(Cz("Vlastnost ") + p.Name + Cz(" očekává prvek"));
            const TClassInfo* cls = p.PropType->ClassRef();
            if (cls && !value->InheritsFrom(cls))
                Raise(Cz("Vlastnost ") + p.Name + Cz(" očekává prvek třídy ") + cls->Name);
        }
        if (value == obj) Raise(Cz("Vlastnost ") + p.Name + Cz(" nemůže odkazovat na svůj prvek"));
        SetObjectProp(obj, p, value);
        return;
    }
    if (v.isRef) Raise(Cz("Vlastnost ") + p.Name + Cz(" není objektová"));
    SetPropByString(obj, &p, ValueText(v, Cz("Vlastnost ") + p.Name));
}

// ---- element methods ----------------------------------------------------------------

void DoIt(const Args& args, Out&) {
    auto* tool = As<TTool>(ElementArg(args, 0, "DoIt"));
    if (!tool) Raise(Cz("DoIt: prvek není nástroj"));
    tool->DoIt();
}

void Child(const Args& args, Out& out) {
    TEntity* e = EntityArg(args, 0, "Child");
    const Arg& key = args[1];
    if (key.type == LUA_TNUMBER && key.isInt) {
        bool inside = key.i >= 0 && key.i < e->ElementsCount();
        out.Obj(inside ? e->Get(static_cast<int32_t>(key.i)) : nullptr);
    } else if (key.type == LUA_TSTRING) {
        out.Obj(e->FindElementName(Str(key)));
    } else {
        Raise(Cz("Child očekává jméno nebo index"));
    }
}

void ChildCount(const Args& args, Out& out) {
    auto* e = As<TEntity>(ElementArg(args, 0, "ChildCount"));
    out.Int(e ? e->ElementsCount() : 0);
}

void Add(const Args& args, Out& out) {
    TEntity* e = EntityArg(args, 0, "Add");
    TElement* child = ElementArg(args, 1, "Add");
    if (HoldsOrIs(child, e)) Raise(Cz("Add: prvek nemůže obsahovat sebe ani svého vlastníka"));
    e->AddElement(child);
    out.Obj(child);
}

void Create(const Args& args, Out& out) {
    TEntity* e = EntityArg(args, 0, "Create");
    std::string cls = TextArg(args, 1, "Create");
    std::string name = args[2].type == LUA_TNONE || args[2].type == LUA_TNIL ? std::string() : TextArg(args, 2, "Create");
    TElement* made = CreateElementByName(cls);
    if (!made) Raise(Cz("Neznámá třída ") + cls);
    made->SetName(name);
    e->AddElement(made);
    out.Obj(made);
}

void Remove(const Args& args, Out&) {
    TEntity* e = EntityArg(args, 0, "Remove");
    e->RemoveElement(ElementArg(args, 1, "Remove"));
}

void FreeChild(const Args& args, Out&) {
    TEntity* e = EntityArg(args, 0, "FreeChild");
    TElement* child = ElementArg(args, 1, "FreeChild");
    CheckMayFree(child);
    e->FreeElement(child);
}

void FreeSelf(const Args& args, Out&) {
    TPersistent* o = ObjArg(args, 0, "Free");
    if (auto* e = As<TElement>(o)) CheckMayFree(e);
    Free(o);
}

void Post(const Args& args, Out&) {
    TElement* e = ElementArg(args, 0, "Post");
    const Arg& number = args[1];
    if (number.type != LUA_TNUMBER || !number.isInt || number.i < INT32_MIN || number.i > INT32_MAX)
        Raise(Cz("Post očekává číslo zprávy"));
    TElement* data = args[2].type == LUA_TNIL || args[2].type == LUA_TNONE ? nullptr : ElementArg(args, 2, "Post");
    TZarixMessage::CreateMessage(static_cast<int32_t>(number.i), Sender(), e, data, false)->Post();
}

void Path(const Args& args, Out& out) {
    TElement* e = ElementArg(args, 0, "Path");
    std::string result;
    e->ExecuteCommandLine(TextArg(args, 1, "Path"), result);
    out.Str(std::move(result));
}

void PathElement(const Args& args, Out& out) {
    TElement* e = ElementArg(args, 0, "PathElement");
    out.Obj(e->ExecuteCommandLineToElement(TextArg(args, 1, "PathElement")));
}

void PathList(const Args& args, Out& out) {
    TElement* e = ElementArg(args, 0, "PathList");
    std::unique_ptr<TStringList> list(e->ExecuteCommandLineToList(TextArg(args, 1, "PathList")));
    std::vector<std::string> lines;
    if (list)
        for (int i = 0; i < list->Count(); ++i) lines.push_back(list->Strings(i));
    out.List(std::move(lines));
}

void GetByName(const Args& args, Out& out) {
    out.Str(ElementArg(args, 0, "Get")->GetPropertyStringByName(TextArg(args, 1, "Get")));
}

void SetByName(const Args& args, Out&) {
    TElement* e = ElementArg(args, 0, "Set");
    e->SetPropertyStringByName(TextArg(args, 1, "Set"), ValueText(args[2], "Set"));
}

void HasByName(const Args& args, Out& out) {
    out.Bool(ElementArg(args, 0, "Has")->HasPropertyByName(TextArg(args, 1, "Has")));
}

void ClassNameOf(const Args& args, Out& out) { out.Str(ObjArg(args, 0, "ClassName")->ClassName()); }

void IsOf(const Args& args, Out& out) {
    TPersistent* o = ObjArg(args, 0, "Is");
    TElementClass cls = GetZarixClass(TextArg(args, 1, "Is"));
    out.Bool(cls && o->InheritsFrom(cls));
}

struct Method {
    const char* name;
    lua_CFunction fn;
};

const Method kMethods[] = {
    {"DoIt", &Guard<DoIt>},           {"Child", &Guard<Child>},         {"ChildCount", &Guard<ChildCount>},
    {"Add", &Guard<Add>},             {"Create", &Guard<Create>},       {"Remove", &Guard<Remove>},
    {"FreeChild", &Guard<FreeChild>}, {"Free", &Guard<FreeSelf>},       {"Post", &Guard<Post>},
    {"Path", &Guard<Path>},           {"PathElement", &Guard<PathElement>}, {"PathList", &Guard<PathList>},
    {"Get", &Guard<GetByName>},       {"Set", &Guard<SetByName>},       {"Has", &Guard<HasByName>},
    {"ClassName", &Guard<ClassNameOf>}, {"Is", &Guard<IsOf>},
};

lua_CFunction FindMethod(const std::string& name) {
    for (const Method& m : kMethods)
        if (SameText(m.name, name)) return m.fn;
    return nullptr;
}

// ---- metamethods --------------------------------------------------------------------

void Index(const Args& args, Out& out) {
    TPersistent* obj = ObjArg(args, 0, "");
    if (args[1].type != LUA_TSTRING) Raise(Cz("Vlastnosti prvku mají jména"));
    std::string key = Str(args[1]);
    const TPropInfo* p = GetPropInfo(obj, key);
    if (p && p->HasReader()) return ReadProperty(out, obj, *p);
    if (lua_CFunction m = FindMethod(key)) return out.Fn(m);
    if (auto* list = As<TStringListElement>(obj))
        if (TStringElement* item = list->GetStringElementByName(key)) return out.Str(item->GetAsString());
    if (p) Raise(Cz("Vlastnost ") + p->Name + Cz(" je jen pro zápis"));
    Raise(Cz("Prvek třídy ") + obj->ClassName() + Cz(" nemá vlastnost ") + key);
}

void NewIndex(const Args& args, Out&) {
    TPersistent* obj = ObjArg(args, 0, "");
    if (args[1].type != LUA_TSTRING) Raise(Cz("Vlastnosti prvku mají jména"));
    std::string key = Str(args[1]);
    if (const TPropInfo* p = GetPropInfo(obj, key)) return WriteProperty(obj, *p, args[2]);
    if (auto* list = As<TStringListElement>(obj)) return list->SetStringByName(key, ValueText(args[2], key));
    Raise(Cz("Prvek třídy ") + obj->ClassName() + Cz(" nemá vlastnost ") + key);
}

void ToString(const Args& args, Out& out) {
    const Arg& a = args[0];
    TPersistent* o = a.isRef ? a.ref.Live() : nullptr;
    if (!o) return out.Str(Cz("(uvolněný prvek)"));
    auto* e = As<TElement>(o);
    out.Str(o->ClassName() + (e ? "(" + e->GetName() + ")" : std::string()));
}

int Equal(lua_State* L) {
    bool same = false;
    if (IsElementRef(L, 1) && IsElementRef(L, 2)) {
        const Ref* a = static_cast<Ref*>(lua_touserdata(L, 1));
        const Ref* b = static_cast<Ref*>(lua_touserdata(L, 2));
        same = a->obj == b->obj && a->serial == b->serial;
    }
    lua_pushboolean(L, same);
    return 1;
}

// ---- the yesk table -----------------------------------------------------------------

void CreateByName(const Args& args, Out& out) {
    std::string cls = TextArg(args, 0, "yesk.Create");
    TElement* e = CreateElementByName(cls);
    if (!e) Raise(Cz("Neznámá třída ") + cls);
    if (args[1].type != LUA_TNONE && args[1].type != LUA_TNIL) e->SetName(TextArg(args, 1, "yesk.Create"));
    out.Obj(e);
}

void Write(const Args& args, Out&) {
    std::string text;
    for (int i = 0; i < args.count && i < kMaxArgs; ++i) {
        if (i) text += '\t';
        text += args[i].isRef ? std::string("prvek") : ValueText(args[i], "yesk.Write");
    }
    TZarixTextMessage* m = TZarixTextMessage::CreateMessage(tm_TextNote, Sender(), nullptr, nullptr, false);
    m->SetMessageText(text);
    m->Post();
}

void ProcessMessages(const Args&, Out&) { Application().ProcessMessages(); }

void WorldOf(const Args&, Out& out) { out.Obj(IsLive(World) ? World : nullptr); }

void ObjectModelOf(const Args&, Out& out) { out.Obj(IsLive(World) ? World->GetObjectModel() : nullptr); }

const luaL_Reg kModule[] = {
    {"Create", &Guard<CreateByName>},
    {"Write", &Guard<Write>},
    {"ProcessMessages", &Guard<ProcessMessages>},
    {"GetWorld", &Guard<WorldOf>},
    {"GetObjectModel", &Guard<ObjectModelOf>},
    {nullptr, nullptr},
};

// The prelude: print writes to the text output; World and ObjectModel are read afresh.
const char kPrelude[] =
    "local yesk = ...\n"
    "function print(...)\n"
    "  local t = table.pack(...)\n"
    "  for i = 1, t.n do t[i] = tostring(t[i]) end\n"
    "  yesk.Write(table.concat(t, '\\t'))\n"
    "end\n"
    "setmetatable(yesk, { __index = function(_, k)\n"
    "  if k == 'World' then return yesk.GetWorld() end\n"
    "  if k == 'ObjectModel' then return yesk.GetObjectModel() end\n"
    "end })\n";

// load and loadfile with their mode argument forced to text; the original is upvalue 1.
template <int ModeArg> int TextOnlyLoad(lua_State* L) {
    if (lua_gettop(L) < ModeArg) lua_settop(L, ModeArg);
    lua_pushliteral(L, "t");
    lua_replace(L, ModeArg);
    lua_pushvalue(L, lua_upvalueindex(1));
    lua_insert(L, 1);
    lua_call(L, lua_gettop(L) - 1, LUA_MULTRET);
    return lua_gettop(L);
}

int TextOnlyDofile(lua_State* L) {
    const char* name = luaL_optstring(L, 1, nullptr);
    lua_settop(L, 1);
    if (luaL_loadfilex(L, name, "t") != LUA_OK) return lua_error(L);
    lua_call(L, 0, LUA_MULTRET);
    return lua_gettop(L) - 1;
}

// Only text chunks are ever loaded; a binary chunk can write through wild pointers.
void RefuseBinaryChunks(lua_State* L) {
    lua_getglobal(L, "load");
    lua_pushcclosure(L, &TextOnlyLoad<3>, 1);
    lua_setglobal(L, "load");
    lua_getglobal(L, "loadfile");
    lua_pushcclosure(L, &TextOnlyLoad<2>, 1);
    lua_setglobal(L, "loadfile");
    lua_pushcfunction(L, &TextOnlyDofile);
    lua_setglobal(L, "dofile");
    lua_getglobal(L, LUA_STRLIBNAME);
    lua_pushnil(L);
    lua_setfield(L, -2, "dump");
    lua_pop(L, 1);
}

}  // namespace

void OpenSuiteModule(lua_State* L, TPersistent* self) {
    static const luaL_Reg libs[] = {
        {LUA_GNAME, luaopen_base},        {LUA_TABLIBNAME, luaopen_table},
        {LUA_STRLIBNAME, luaopen_string}, {LUA_MATHLIBNAME, luaopen_math},
        {LUA_UTF8LIBNAME, luaopen_utf8},  {LUA_COLIBNAME, luaopen_coroutine},
    };
    for (const luaL_Reg& lib : libs) {
        luaL_requiref(L, lib.name, lib.func, 1);
        lua_pop(L, 1);
    }
    RefuseBinaryChunks(L);
    lua_newtable(L);
    lua_pushcfunction(L, &Guard<Index>);
    lua_setfield(L, -2, "__index");
    lua_pushcfunction(L, &Guard<NewIndex>);
    lua_setfield(L, -2, "__newindex");
    lua_pushcfunction(L, &Guard<ToString>);
    lua_setfield(L, -2, "__tostring");
    lua_pushcfunction(L, &Equal);
    lua_setfield(L, -2, "__eq");
    lua_pushstring(L, "yesk.element");
    lua_setfield(L, -2, "__name");
    lua_rawsetp(L, LUA_REGISTRYINDEX, &kElementMeta);

    luaL_newlib(L, kModule);
    lua_pushvalue(L, -1);
    lua_setglobal(L, "yesk");
    if (luaL_loadbufferx(L, kPrelude, sizeof kPrelude - 1, "=yesk", "t") != LUA_OK) lua_error(L);
    lua_insert(L, -2);
    lua_call(L, 1, 0);
    if (self && IsLive(self)) PushRef(L, self);
    else lua_pushnil(L);
    lua_setglobal(L, "self");
}

}  // namespace yesk_detail
