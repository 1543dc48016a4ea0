// Evaluation of compiled conditions through published properties by name, and the
// condition and condition-creator elements.
#include <cmath>

#include "condition_tree.h"
#include "kernel/property_access.h"
#include "kernel/value_elements.h"
#include "yesk/condition.h"

using namespace yesk_detail;

namespace {

// A property value in the form it is compared in.
struct PropValue {
    enum Kind : uint8_t { Int, Float, Text, Enum } kind = Int;
    int64_t i = 0;
    double f = 0;
    std::string s;
    const TTypeInfo* type = nullptr;  // Enum
};

// False when the object has no readable property of that name. A string list answers
// its items as properties too.
bool ReadProperty(TPersistent* obj, const std::string& name, PropValue& v) {
    const TPropInfo* p = obj->ClassType()->FindProp(name);
    if (p && p->HasReader()) {
        switch (p->Kind()) {
            case tkInteger: case tkInt64: case tkSet:
                v.kind = PropValue::Int;
                v.i = GetOrdProp(obj, *p);
                return true;
            case tkEnumeration:
                v.kind = PropValue::Enum;
                v.i = GetOrdProp(obj, *p);
                v.type = p->PropType;
                return true;
            case tkChar:
                v.kind = PropValue::Text;
                v.s.assign(1, static_cast<char>(GetOrdProp(obj, *p)));
                return true;
            case tkFloat:
                v.kind = PropValue::Float;
                v.f = GetFloatProp(obj, *p);
                return true;
            case tkString: case tkLString: case tkWString:
                v.kind = PropValue::Text;
                v.s = GetStrProp(obj, *p);
                return true;
            case tkClass:
                v.kind = PropValue::Int;
                v.i = static_cast<int64_t>(reinterpret_cast<uintptr_t>(GetObjectProp(obj, *p)));
                return true;
            default:
                v.kind = PropValue::Text;
                FillWithData(obj, p, v.s);
                return true;
        }
    }
    if (auto* list = As<TStringListElement>(obj))
        if (TStringElement* item = list->GetStringElementByName(name)) {
            v.kind = PropValue::Text;
            v.s = item->GetAsString();
            return true;
        }
    return false;
}

// A text read as a whole number, else as a float with either decimal separator.
bool TextAsNumber(const std::string& text, bool& isInt, int64_t& i, double& f) {
    std::string t = Trim(text);
    if (t.empty()) return false;
    int code = 0;
    i = ValInt64(t, code);
    if (code == 0) {
        isInt = true;
        return true;
    }
    isInt = false;
    if (TextToFloatC(t, f) || TextToFloat(t, f)) return true;
    std::string swapped = t;
    for (char& c : swapped)
        if (c == ',') { c = '.'; break; }
    return TextToFloatC(swapped, f);
}

template <class T> bool Holds(CmpOp op, T a, T b) {
    switch (op) {
        case CmpOp::Eq: return a == b;
        case CmpOp::Ne: return !(a == b);
        case CmpOp::Lt: return a < b;
        case CmpOp::Gt: return a > b;
        case CmpOp::Le: return a <= b;
        case CmpOp::Ge: return a >= b;
    }
    return false;
}

bool HoldsNumbers(CmpOp op, bool aInt, int64_t ai, double af, bool bInt, int64_t bi, double bf) {
    if (aInt && bInt) return Holds(op, ai, bi);
    return Holds(op, aInt ? static_cast<double>(ai) : af, bInt ? static_cast<double>(bi) : bf);
}

std::string ValueText(const CondValue& v) {
    switch (v.kind) {
        case CondValue::Int: return IntToStr(v.i);
        case CondValue::Float: return FloatToStr(v.f);
        case CondValue::Text: return "'" + v.s + "'";
    }
    return {};
}

[[noreturn]] void NotComparable(const CondNode& n, const std::string& valueText) {
    throw ECondError(Cz("Podmínka: hodnotu ") + valueText + Cz(" vlastnosti ") + n.name +
                     Cz(" nelze porovnat s ") + ValueText(n.value));
}

bool Compare(const CondNode& n, TPersistent* obj) {
    PropValue v;
    if (!ReadProperty(obj, n.name, v))
        throw ECondError(Cz("Podmínka: objekt třídy ") + obj->ClassName() + Cz(" nemá vlastnost ") + n.name);
    const CondValue& lit = n.value;
    bool litInt = lit.kind == CondValue::Int;
    switch (v.kind) {
        case PropValue::Int:
        case PropValue::Enum:
            if (lit.kind != CondValue::Text) return HoldsNumbers(n.op, true, v.i, 0, litInt, lit.i, lit.f);
            if (v.kind == PropValue::Enum) {
                int id = GetEnumValue(v.type, lit.s);
                if (id < 0) NotComparable(n, GetEnumName(v.type, v.i));
                return Holds<int64_t>(n.op, v.i, id);
            } else {
                bool isInt = false;
                int64_t i = 0;
                double f = 0;
                if (!TextAsNumber(lit.s, isInt, i, f)) NotComparable(n, IntToStr(v.i));
                return HoldsNumbers(n.op, true, v.i, 0, isInt, i, f);
            }
        case PropValue::Float:
            if (lit.kind != CondValue::Text) return HoldsNumbers(n.op, false, 0, v.f, litInt, lit.i, lit.f);
            {
                bool isInt = false;
                int64_t i = 0;
                double f = 0;
                if (!TextAsNumber(lit.s, isInt, i, f)) NotComparable(n, FloatToStr(v.f));
                return HoldsNumbers(n.op, false, 0, v.f, isInt, i, f);
            }
        case PropValue::Text:
            if (lit.kind == CondValue::Text) return Holds(n.op, CompareStr(v.s, lit.s), 0);
            {
                bool isInt = false;
                int64_t i = 0;
                double f = 0;
                if (!TextAsNumber(v.s, isInt, i, f)) NotComparable(n, "'" + v.s + "'");
                return HoldsNumbers(n.op, isInt, i, f, litInt, lit.i, lit.f);
            }
    }
    return false;
}

bool Eval(const CondTree& tree, int index, TPersistent* obj) {
    const CondNode& n = tree.nodes[static_cast<size_t>(index)];
    switch (n.kind) {
        case CondNode::And:
            for (int t : n.terms)
                if (!Eval(tree, t, obj)) return false;
            return true;
        case CondNode::Or:
            for (int t : n.terms)
                if (Eval(tree, t, obj)) return true;
            return false;
        case CondNode::Not: return !Eval(tree, n.a, obj);
        case CondNode::Cmp: return Compare(n, obj);
    }
    return false;
}

}  // namespace

bool EvaluateCondition(const CondTree& tree, TPersistent* subject) {
    if (!subject || !IsLive(subject)) throw ECondError(Cz("Podmínka nemá objekt k vyhodnocení"));
    return Eval(tree, tree.root, subject);
}

// ---- TCondition ---------------------------------------------------------------------

void TCondition::Publish(PropertyTable& t) {
    using C = TCondition;
    t.Str<C>("Text", &C::GetText, nullptr);
    t.Obj<C, TElement>("Subject", &C::GetSubject, &C::SetSubject);
    t.Bool<C>("Value", &C::Evaluate, nullptr);
}

std::string TCondition::GetText() const { return FTree ? FTree->text : std::string(); }

TElement* TCondition::GetSubject() const { return FSubject.Get(); }

bool TCondition::Evaluate() { return EvaluateFor(GetSubject()); }

bool TCondition::EvaluateFor(TPersistent* subject) {
    if (!FTree) throw ECondError(Cz("Podmínka není přeložena"));
    return EvaluateCondition(*FTree, subject);
}

void TCondition::Destroy() {
    FTree.reset();
    inherited::Destroy();
}

// ---- TCondCreator -------------------------------------------------------------------

void TCondCreator::Publish(PropertyTable& t) {
    using C = TCondCreator;
    t.Str<C>("Text", [](C* c) { return c->Text; }, [](C* c, const std::string& v) { c->Text = v; });
}

void TCondCreator::FreeUntakenOutput() {
    // An output that an entity has taken as its child is no longer the creator's.
    TCondition* own = FOwnOutput.Get();
    if (Output == FOwnOutput.Raw()) Output = nullptr;
    FOwnOutput.Set(nullptr);
    if (own && own->NoOwners()) Free(own);
}

void TCondCreator::DoIt() {
    FreeUntakenOutput();
    Output = nullptr;
    std::shared_ptr<const CondTree> tree = CompileCondition(Text);
    if (!tree) return;
    TCondition* c = TCondition::New();
    c->SetTree(std::move(tree));
    FOwnOutput.Set(c);
    Output = c;
}

TCondition* TCondCreator::TakeOutput() {
    TCondition* c = FOwnOutput.Get();
    FOwnOutput.Set(nullptr);
    return c;
}

void TCondCreator::Destroy() {
    FreeUntakenOutput();
    inherited::Destroy();
}
