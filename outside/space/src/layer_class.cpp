#include "space/layer_class.h"

#include <cmath>

#include "kernel/class_registry.h"
#include "platform/sysutils.h"

namespace {

// A map element whose class record is the layer's.
template <class T> class TLayerObject : public T {
public:
    const TClassInfo* FLayerClass = nullptr;
    const TClassInfo* ClassType() const override { return FLayerClass; }
};

template <class T> TPersistent* NewLayerObject(const TClassInfo* cls) {
    auto* o = new TLayerObject<T>();
    o->FLayerClass = cls;
    return o;
}

TPersistent* (*BlankOf(TElementClass base))(const TClassInfo*) {
    if (base == TPointElement::StaticClass()) return &NewLayerObject<TPointElement>;
    if (base == TTextElement::StaticClass()) return &NewLayerObject<TTextElement>;
    if (base == TPolyLineElement::StaticClass()) return &NewLayerObject<TPolyLineElement>;
    if (base == TAreaElement::StaticClass()) return &NewLayerObject<TAreaElement>;
    if (base == TPolyLineAreaElement::StaticClass()) return &NewLayerObject<TPolyLineAreaElement>;
    return nullptr;
}

TFieldValue* FieldOf(TPersistent* o, size_t index) {
    auto& fields = static_cast<TSpaceEntity*>(o)->Fields();
    return index < fields.size() ? &fields[index] : nullptr;
}

TFieldValue& FieldFor(TPersistent* o, size_t index) {
    auto& fields = static_cast<TSpaceEntity*>(o)->Fields();
    if (index >= fields.size()) fields.resize(index + 1);
    return fields[index];
}

int64_t AsInt(const TFieldValue* v) {
    if (!v) return 0;
    if (auto* i = std::get_if<int64_t>(v)) return *i;
    if (auto* d = std::get_if<double>(v)) return std::isfinite(*d) ? static_cast<int64_t>(*d) : 0;
    int code = 0;
    int64_t n = ValInt64(std::get<std::string>(*v), code);
    return code == 0 ? n : 0;
}

double AsFloat(const TFieldValue* v) {
    if (!v) return 0;
    if (auto* d = std::get_if<double>(v)) return *d;
    if (auto* i = std::get_if<int64_t>(v)) return static_cast<double>(*i);
    return StrToFloatDef(std::get<std::string>(*v), 0);
}

std::string AsText(const TFieldValue* v) {
    if (!v) return std::string();
    if (auto* s = std::get_if<std::string>(v)) return *s;
    if (auto* i = std::get_if<int64_t>(v)) return IntToStr(*i);
    return FloatToStr(std::get<double>(*v));
}

void Publish(PropertyTable& table, const std::string& name, TTypeKind kind, size_t index) {
    TPropInfo p;
    p.Name = name;
    switch (kind) {
        case tkInteger:
            p.PropType = TypeInfoInteger();
            p.GetOrd = [index](TPersistent* o) { return AsInt(FieldOf(o, index)); };
            p.SetOrd = [index](TPersistent* o, int64_t v) { FieldFor(o, index) = v; };
            break;
        case tkFloat:
            p.PropType = TypeInfoFloat();
            p.GetFloat = [index](TPersistent* o) { return AsFloat(FieldOf(o, index)); };
            p.SetFloat = [index](TPersistent* o, double v) { FieldFor(o, index) = v; };
            break;
        default:
            p.PropType = TypeInfoLString();
            p.GetStr = [index](TPersistent* o) { return AsText(FieldOf(o, index)); };
            p.SetStr = [index](TPersistent* o, const std::string& v) { FieldFor(o, index) = v; };
            break;
    }
    table.Add(std::move(p));
}

bool SameLayout(TElementClass cls, TElementClass base, const std::vector<std::string>& names,
                const std::vector<TLayerField>& fields) {
    if (cls->Parent != base || !cls->NewBlankOf || cls->Props.size() != base->Props.size() + fields.size()) return false;
    for (size_t i = 0; i < fields.size(); ++i) {
        const TPropInfo& p = cls->Props[base->Props.size() + i];
        TTypeKind kind = fields[i].Kind == tkInteger || fields[i].Kind == tkFloat ? fields[i].Kind : tkLString;
        if (p.Name != names[i] || p.Kind() != kind) return false;
    }
    return true;
}

}  // namespace

std::vector<std::string> LayerPropertyNames(TElementClass base, const std::vector<TLayerField>& fields) {
    std::vector<std::string> names;
    auto taken = [&](const std::string& n) {
        if (base->FindProp(n)) return true;
        for (const std::string& m : names)
            if (AnsiSameText(m, n)) return true;
        return false;
    };
    for (const TLayerField& f : fields) {
        std::string n = f.Name.empty() ? std::string("FIELD") : f.Name;
        while (taken(n)) n += '_';
        names.push_back(n);
    }
    return names;
}

TElementClass LayerClass(const std::string& name, TElementClass base, const std::vector<TLayerField>& fields) {
    auto blankOf = BlankOf(base);
    if (!blankOf) throw EConvertError(Cz("Vrstva nemůže mít třídu ") + (base ? base->Name : std::string("nil")));
    std::vector<std::string> names = LayerPropertyNames(base, fields);
    std::string className = name.empty() ? std::string("LAYER") : name;
    for (int suffix = 2;; ++suffix) {
        TElementClass existing = GetZarixClass(className);
        if (!existing) break;
        if (SameLayout(existing, base, names, fields)) return existing;
        className = (name.empty() ? std::string("LAYER") : name) + "_" + IntToStr(suffix);
    }
    TClassInfo* ci = rtti_detail::NewClassInfo(className.c_str(), base, base->NewBlank, base->InstanceSize);
    ci->NewBlankOf = blankOf;
    PropertyTable table(ci->Props);
    for (size_t i = 0; i < fields.size(); ++i) Publish(table, names[i], fields[i].Kind, i);
    rtti_detail::FinishClassInfo(ci);
    try {
        RegisterRunTimeClass(ci);
    } catch (...) {
        // A class the registry refused is dropped; a registered one lives on.
        delete ci;
        throw;
    }
    return ci;
}

int32_t LayerFieldCount(TElementClass cls) {
    if (!cls || !cls->Parent || !cls->NewBlankOf || cls->NewBlankOf != BlankOf(cls->Parent)) return 0;
    return static_cast<int32_t>(cls->Props.size() - cls->Parent->Props.size());
}
