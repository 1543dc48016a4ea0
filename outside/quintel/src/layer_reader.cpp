// Reading the layers of a model script through GDAL/OGR into map elements.
#include <gdal.h>
#include <ogr_api.h>
#include <ogr_srs_api.h>
#include <cpl_error.h>

#include <array>
#include <cmath>
#include <atomic>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <unordered_map>

#include "kernel/class_registry.h"
#include "kernel/world.h"
#include "platform/files.h"
#include "platform/host.h"
#include "platform/sysutils.h"
#include "quintel/quintel.h"
#include "space/layer_class.h"
#include "space/space.h"
#include "yesk/condition.h"
#include "kernel/element_holder.h"

namespace {

// A layer that cannot be read; the text says why.
struct LayerFailure {
    std::string Reason;
};

// A feature with a coordinate outside the sane range of the layer's system.
struct CoordinateFailure {
    T2DPoint At;
};

// The sane range of coordinates: the national grid's metres hold the whole Earth within
// 6e7 m, so 1e9 m is generous; a layer without a reference system has units of its own
// (millimetres, say), so it may reach 1e12. Beyond, the arithmetic of the topology
// overflows (squares of 1e155 are infinite) and GEOS's noding does not end.
constexpr double kGridBound = 1e9;
constexpr double kUnreferencedBound = 1e12;

// UTF-8 to Windows-1250; a character the code page lacks becomes "?" and sets lossy.
class TextConverter {
public:
    TextConverter() {
        for (int b = 0x80; b < 0x100; ++b) {
            std::string u = ToUtf8(std::string(1, static_cast<char>(b)));
            if (u != "\xEF\xBF\xBD") map_[Decode(u)] = static_cast<char>(b);
        }
    }
    std::string operator()(const char* s, bool& lossy) const {
        std::string out;
        if (!s) return out;
        size_t n = std::strlen(s);
        out.reserve(n);
        for (size_t i = 0; i < n;) {
            unsigned char c = static_cast<unsigned char>(s[i]);
            if (c < 0x80) {
                out += static_cast<char>(c);
                ++i;
                continue;
            }
            size_t len = (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 1;
            if (len == 1 || i + len > n) {
                out += '?';
                lossy = true;
                ++i;
                continue;
            }
            auto it = map_.find(Decode(std::string_view(s + i, len)));
            if (it == map_.end()) {
                out += '?';
                lossy = true;
            } else {
                out += it->second;
            }
            i += len;
        }
        return out;
    }

private:
    static char32_t Decode(std::string_view u) {
        auto c = static_cast<unsigned char>(u[0]);
        char32_t cp = u.size() == 2 ? c & 0x1F : u.size() == 3 ? c & 0x0F : c & 0x07;
        for (size_t k = 1; k < u.size(); ++k) cp = (cp << 6) | (static_cast<unsigned char>(u[k]) & 0x3F);
        return cp;
    }
    std::unordered_map<char32_t, char> map_;
};

const TextConverter& ToCp1250() {
    static const TextConverter converter;
    return converter;
}

// The messages GDAL raises go to the last-error record only, not to the terminal.
struct QuietGdal {
    QuietGdal() {
        static bool registered = [] {
            GDALAllRegister();
            return true;
        }();
        (void)registered;
        CPLPushErrorHandler(CPLQuietErrorHandler);
    }
    ~QuietGdal() { CPLPopErrorHandler(); }
};

struct DatasetCloser {
    void operator()(GDALDatasetH h) const { GDALClose(h); }
};
struct SrsFree {
    void operator()(OGRSpatialReferenceH h) const { OSRDestroySpatialReference(h); }
};
struct TransformFree {
    void operator()(OGRCoordinateTransformationH h) const { OCTDestroyCoordinateTransformation(h); }
};
struct FeatureFree {
    void operator()(OGRFeatureH h) const { OGR_F_Destroy(h); }
};
using Dataset = std::unique_ptr<std::remove_pointer_t<GDALDatasetH>, DatasetCloser>;
using Srs = std::unique_ptr<std::remove_pointer_t<OGRSpatialReferenceH>, SrsFree>;
using Transform = std::unique_ptr<std::remove_pointer_t<OGRCoordinateTransformationH>, TransformFree>;
using Feature = std::unique_ptr<std::remove_pointer_t<OGRFeatureH>, FeatureFree>;

std::atomic<int> sourcesOpened{0};

// What one load opens once for all its layers: each data source, the national grid
// (S-JTSK, east-north) and the transformations to and from it per source system.
class LayerSources {
public:
    struct System {
        Srs Source;
        bool IsGrid = false;
        Transform ToGrid, FromGrid;  // none when the source is the grid
    };

    // The data source of the path, opened on first use; nil when it cannot be opened.
    GDALDatasetH Open(const std::string& path) {
        auto it = datasets_.find(path);
        if (it != datasets_.end()) return it->second.get();
        Dataset ds(GDALOpenEx(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY, nullptr, nullptr, nullptr));
        if (!ds) return nullptr;
        ++sourcesOpened;
        return datasets_.emplace(path, std::move(ds)).first->second.get();
    }

    // The system of a layer's reference; nil transformations when it cannot be made.
    const System& SystemOf(OGRSpatialReferenceH layerSrs) {
        for (auto& s : systems_)
            if (s.first == layerSrs) return *s.second;
        for (auto& s : systems_)
            if (OSRIsSame(s.second->Source.get(), layerSrs)) {
                std::shared_ptr<System> same = s.second;
                systems_.emplace_back(layerSrs, same);
                return *same;
            }
        auto system = std::make_shared<System>();
        system->Source.reset(OSRClone(layerSrs));
        OSRSetAxisMappingStrategy(system->Source.get(), OAMS_TRADITIONAL_GIS_ORDER);
        system->IsGrid = OSRIsSame(system->Source.get(), Grid());
        if (!system->IsGrid) {
            system->ToGrid.reset(OCTNewCoordinateTransformation(system->Source.get(), Grid()));
            if (system->ToGrid) system->FromGrid.reset(OCTNewCoordinateTransformation(Grid(), system->Source.get()));
        }
        systems_.emplace_back(layerSrs, system);
        return *system;
    }

private:
    OGRSpatialReferenceH Grid() {
        if (!grid_) {
            grid_.reset(OSRNewSpatialReference(nullptr));
            OSRImportFromEPSG(grid_.get(), 5514);
            OSRSetAxisMappingStrategy(grid_.get(), OAMS_TRADITIONAL_GIS_ORDER);
        }
        return grid_.get();
    }

    std::unordered_map<std::string, Dataset> datasets_;
    Srs grid_;
    std::vector<std::pair<OGRSpatialReferenceH, std::shared_ptr<System>>> systems_;
};

std::string LastGdalError(const char* fallback) {
    const char* m = CPLGetLastErrorMsg();
    bool lossy = false;
    return (m && *m) ? ToCp1250()(m, lossy) : Cz(fallback);
}

enum class Kind { Point, Text, Line, Area };

Kind KindOf(OGRwkbGeometryType type, bool text) {
    switch (wkbFlatten(type)) {
        case wkbPoint:
        case wkbMultiPoint: return text ? Kind::Text : Kind::Point;
        case wkbLineString:
        case wkbMultiLineString:
        case wkbCircularString:
        case wkbCompoundCurve:
        case wkbMultiCurve: return Kind::Line;
        case wkbPolygon:
        case wkbMultiPolygon:
        case wkbCurvePolygon:
        case wkbMultiSurface: return Kind::Area;
        default: throw LayerFailure{Cz("neznámý druh geometrie ") + OGRGeometryTypeToName(type)};
    }
}

// The kinds of a geometry, members of a collection included; kinds the suite has no class
// for are left out.
void CollectKinds(OGRGeometryH g, bool text, std::set<Kind>& kinds) {
    if (!g || OGR_G_IsEmpty(g)) return;
    OGRwkbGeometryType type = wkbFlatten(OGR_G_GetGeometryType(g));
    if (type == wkbGeometryCollection) {
        for (int i = 0; i < OGR_G_GetGeometryCount(g); ++i) CollectKinds(OGR_G_GetGeometryRef(g, i), text, kinds);
        return;
    }
    try {
        kinds.insert(KindOf(type, text));
    } catch (const LayerFailure&) {
    }
}

// The suffix of a kind's string and class in a layer of mixed kinds.
const char* KindSuffix(Kind k) {
    switch (k) {
        case Kind::Point: return "_Body";
        case Kind::Text: return "_Texty";
        case Kind::Line: return "_Linie";
        default: return "_Plochy";
    }
}

TElementClass BaseOf(Kind k) {
    switch (k) {
        case Kind::Point: return TPointElement::StaticClass();
        case Kind::Text: return TTextElement::StaticClass();
        case Kind::Line: return TPolyLineElement::StaticClass();
        default: return TAreaElement::StaticClass();
    }
}

TSpaceEntityString* NewString(Kind k) {
    switch (k) {
        case Kind::Point: return TPointString::New();
        case Kind::Text: return TTextString::New();
        case Kind::Line: return TPolyLineString::New();
        default: return TAreaString::New();
    }
}

// One layer being read.
class LayerReader {
public:
    LayerReader(TModelScript* script, TLayerScript* layer, const TModelByScriptCreator& creator, LayerSources& sources)
        : script_(script), layer_(layer), creator_(creator), sources_(sources) {}

    // The layer's strings, owned by the caller: one, or one per kind of geometry in a layer
    // of mixed kinds; raises LayerFailure.
    std::vector<TSpaceEntityString*> Read(std::vector<std::string>& notes);
    // The layer's fields, from its definition; raises LayerFailure.
    std::vector<TLayerField> Fields();

private:
    OGRLayerH OpenLayer();
    void Prepare(OGRLayerH layer);
    int FieldIndex(OGRFeatureDefnH defn, const std::string& name, const char* role);
    std::vector<TLayerField> FieldsOf(OGRFeatureDefnH defn);
    // Elements of one feature's geometry (several for multi-points and multi-lines).
    void AddFeature(OGRFeatureH f, OGRGeometryH g, TSpaceEntityString* string);
    // The same in a layer of mixed kinds: each geometry to the string of its kind.
    void AddMixedFeature(OGRFeatureH f, OGRGeometryH g);
    bool ReadPart(OGRGeometryH g, std::vector<T2DPoint>& points);
    TSpaceEntity* NewElement(OGRFeatureH f);
    bool Holds(TSpaceEntity* e);
    void Note(std::string text) { notes_->push_back(Cz("Vrstva ") + layer_->GetName() + ": " + text); }

    TModelScript* script_;
    TLayerScript* layer_;
    const TModelByScriptCreator& creator_;
    LayerSources& sources_;
    std::vector<std::string>* notes_ = nullptr;
    TLayerSource source_;
    GDALDatasetH dataset_ = nullptr;
    OGRCoordinateTransformationH transform_ = nullptr;
    Kind kind_ = Kind::Point;
    TElementClass class_ = nullptr;
    // A layer of mixed kinds: the kinds it holds, and for each its class and string.
    std::set<Kind> mixedKinds_;
    std::map<Kind, TElementClass> mixedClasses_;
    std::map<Kind, TElementHolder<TSpaceEntityString>> mixedStrings_;
    std::vector<OGRFieldType> fieldTypes_;
    int textField_ = -1, codeField_ = -1, symbolField_ = -1;
    std::shared_ptr<const yesk_detail::CondTree> condition_;
    bool lossy_ = false;
    std::vector<double> xs_, ys_;
    double bound_ = kUnreferencedBound;
    // The elements of the feature being read, kept only once all of it could be read.
    std::vector<std::pair<TSpaceEntityString*, TSpaceEntity*>> pending_;
    void DropPending() {
        for (auto& held : pending_) Free(held.second);
        pending_.clear();
    }

public:
    ~LayerReader() { DropPending(); }
};

OGRLayerH LayerReader::OpenLayer() {
    std::string file = script_->LayerFile(layer_);
    if (source_.File.empty()) throw LayerFailure{Cz("chybí jméno souboru")};
    std::string path = MapPath(file);
    CPLErrorReset();
    dataset_ = sources_.Open(path);
    if (!dataset_) {
        if (!FileExists(file) && !DirectoryExists(file)) throw LayerFailure{Cz("soubor ") + file + Cz(" neexistuje")};
        throw LayerFailure{Cz("soubor ") + file + Cz(" nelze číst: ") + LastGdalError("neznámý formát")};
    }
    int count = GDALDatasetGetLayerCount(dataset_);
    OGRLayerH found = nullptr;
    bool lossy = false;
    auto byName = [&](const std::string& name) -> OGRLayerH {
        for (int i = 0; i < count; ++i) {
            OGRLayerH l = GDALDatasetGetLayer(dataset_, i);
            if (l && AnsiSameText(ToCp1250()(OGR_L_GetName(l), lossy), name)) return l;
        }
        return nullptr;
    };
    if (!source_.Layer.empty()) {
        found = byName(source_.Layer);
        if (!found) throw LayerFailure{Cz("soubor ") + file + Cz(" nemá vrstvu ") + source_.Layer};
    } else if (count == 1) {
        found = GDALDatasetGetLayer(dataset_, 0);
    } else {
        found = byName(layer_->GetName());
        if (!found) throw LayerFailure{Cz("soubor ") + file + Cz(" má více vrstev; vrstvu je třeba jmenovat")};
    }
    if (!found) throw LayerFailure{Cz("vrstvu nelze číst: ") + LastGdalError("chyba ovladače")};
    return found;
}

std::vector<TLayerField> LayerReader::FieldsOf(OGRFeatureDefnH defn) {
    std::vector<TLayerField> fields;
    fieldTypes_.clear();
    for (int i = 0; i < OGR_FD_GetFieldCount(defn); ++i) {
        OGRFieldDefnH fd = OGR_FD_GetFieldDefn(defn, i);
        OGRFieldType t = OGR_Fld_GetType(fd);
        fieldTypes_.push_back(t);
        TTypeKind k = t == OFTInteger || t == OFTInteger64 ? tkInteger : t == OFTReal ? tkFloat : tkLString;
        fields.push_back({ToCp1250()(OGR_Fld_GetNameRef(fd), lossy_), k});
    }
    return fields;
}

std::vector<TLayerField> LayerReader::Fields() {
    source_ = ParseLayerValue(layer_->GetValue());
    return FieldsOf(OGR_L_GetLayerDefn(OpenLayer()));
}

int LayerReader::FieldIndex(OGRFeatureDefnH defn, const std::string& name, const char* role) {
    if (name.empty()) return -1;
    bool lossy = false;
    for (int i = 0; i < OGR_FD_GetFieldCount(defn); ++i)
        if (AnsiSameText(ToCp1250()(OGR_Fld_GetNameRef(OGR_FD_GetFieldDefn(defn, i)), lossy), name)) return i;
    throw LayerFailure{Cz(role) + Cz(" pole ") + name + Cz(" vrstva nemá")};
}

void LayerReader::Prepare(OGRLayerH layer) {
    // The same layer read before in this load may still hold its filter.
    OGR_L_SetSpatialFilter(layer, nullptr);
    OGRFeatureDefnH defn = OGR_L_GetLayerDefn(layer);
    OGRwkbGeometryType type = OGR_L_GetGeomType(layer);
    textField_ = FieldIndex(defn, source_.TextField, "textové");
    codeField_ = FieldIndex(defn, source_.CodeField, "kódové");
    symbolField_ = FieldIndex(defn, source_.SymbolField, "symbolové");
    if (wkbFlatten(type) == wkbUnknown || wkbFlatten(type) == wkbGeometryCollection) {
        // A layer of no declared kind: the kinds of all its geometries, whatever the area.
        std::set<Kind> kinds;
        OGR_L_ResetReading(layer);
        for (Feature f; (f = Feature(OGR_L_GetNextFeature(layer)));)
            CollectKinds(OGR_F_GetGeometryRef(f.get()), textField_ >= 0, kinds);
        OGR_L_ResetReading(layer);
        if (kinds.size() > 1) mixedKinds_ = kinds;
        kind_ = kinds.empty() ? (textField_ >= 0 ? Kind::Text : Kind::Point) : *kinds.begin();
    } else {
        kind_ = KindOf(type, textField_ >= 0);
    }

    std::vector<TLayerField> fields = FieldsOf(defn);
    if (mixedKinds_.empty()) {
        class_ = LayerClass(layer_->GetName(), BaseOf(kind_), fields);
    } else {
        for (Kind k : mixedKinds_) mixedClasses_[k] = LayerClass(layer_->GetName() + KindSuffix(k), BaseOf(k), fields);
    }

    // The national grid, east-north.
    OGRSpatialReferenceH layerSrs = OGR_L_GetSpatialRef(layer);
    bound_ = layerSrs ? kGridBound : kUnreferencedBound;
    if (layerSrs) {
        CPLErrorReset();
        const LayerSources::System& system = sources_.SystemOf(layerSrs);
        transform_ = system.ToGrid.get();
        if (!transform_ && !system.IsGrid)
            throw LayerFailure{Cz("souřadnice vrstvy nelze převést do S-JTSK: ") + LastGdalError("")};
        if (creator_.UseArea) {
            double minX = creator_.MinX, minY = creator_.MinY, maxX = creator_.MaxX, maxY = creator_.MaxY;
            double x0, y0, x1, y1;
            if (system.FromGrid &&
                OCTTransformBounds(system.FromGrid.get(), minX, minY, maxX, maxY, &x0, &y0, &x1, &y1, 21)) {
                minX = x0, minY = y0, maxX = x1, maxY = y1;
            }
            OGR_L_SetSpatialFilterRect(layer, minX, minY, maxX, maxY);
        }
    } else if (creator_.UseArea) {
        OGR_L_SetSpatialFilterRect(layer, creator_.MinX, creator_.MinY, creator_.MaxX, creator_.MaxY);
    }

    std::string condition = script_->Parameter(layer_, "@CONDITION");
    try {
        condition_ = CompileCondition(condition);
    } catch (const ECondError& e) {
        throw LayerFailure{Cz("chybná podmínka: ") + e.Message()};
    }
}

bool LayerReader::ReadPart(OGRGeometryH g, std::vector<T2DPoint>& points) {
    int n = OGR_G_GetPointCount(g);
    if (n <= 0) return false;
    points.resize(static_cast<size_t>(n));
    if (!transform_) {
        OGR_G_GetPoints(g, &points[0].X, sizeof(T2DPoint), &points[0].Y, sizeof(T2DPoint), nullptr, 0);
    } else {
        xs_.resize(static_cast<size_t>(n));
        ys_.resize(static_cast<size_t>(n));
        OGR_G_GetPoints(g, xs_.data(), sizeof(double), ys_.data(), sizeof(double), nullptr, 0);
        if (!OCTTransform(transform_, n, xs_.data(), ys_.data(), nullptr)) return false;
        for (size_t i = 0; i < points.size(); ++i) points[i] = {xs_[i], ys_[i]};
    }
    for (const T2DPoint& p : points)
        if (!(std::fabs(p.X) <= bound_ && std::fabs(p.Y) <= bound_)) throw CoordinateFailure{p};
    return true;
}

TSpaceEntity* LayerReader::NewElement(OGRFeatureH f) {
    auto* e = static_cast<TSpaceEntity*>(class_->CreateInstance());
    auto& values = e->Fields();
    values.resize(fieldTypes_.size());
    for (size_t i = 0; i < fieldTypes_.size(); ++i) {
        int idx = static_cast<int>(i);
        bool set = OGR_F_IsFieldSetAndNotNull(f, idx);
        switch (fieldTypes_[i]) {
            case OFTInteger:
            case OFTInteger64: values[i] = set ? static_cast<int64_t>(OGR_F_GetFieldAsInteger64(f, idx)) : int64_t{0}; break;
            case OFTReal: values[i] = set ? OGR_F_GetFieldAsDouble(f, idx) : 0.0; break;
            default: values[i] = set ? ToCp1250()(OGR_F_GetFieldAsString(f, idx), lossy_) : std::string(); break;
        }
    }
    if (codeField_ >= 0) e->SetCode(OGR_F_GetFieldAsInteger(f, codeField_));
    if (symbolField_ >= 0) e->SetSymbolCode(static_cast<uint16_t>(OGR_F_GetFieldAsInteger(f, symbolField_)));
    if (textField_ >= 0) static_cast<TTextElement*>(e)->SetText(ToCp1250()(OGR_F_GetFieldAsString(f, textField_), lossy_));
    return e;
}

bool LayerReader::Holds(TSpaceEntity* e) {
    if (!condition_) return true;
    try {
        return EvaluateCondition(*condition_, e);
    } catch (const ECondError& err) {
        throw LayerFailure{Cz("podmínku nelze vyhodnotit: ") + err.Message()};
    }
}

void LayerReader::AddFeature(OGRFeatureH f, OGRGeometryH g, TSpaceEntityString* string) {
    OGRwkbGeometryType type = wkbFlatten(OGR_G_GetGeometryType(g));
    if (OGR_G_HasCurveGeometry(g, TRUE)) {
        OGRGeometryH linear = OGR_G_GetLinearGeometry(g, 0, nullptr);
        AddFeature(f, linear, string);
        OGR_G_DestroyGeometry(linear);
        return;
    }
    auto keep = [&](TSpaceEntity* e) {
        TElementHolder<TSpaceEntity> owned(e);
        if (Holds(e)) pending_.push_back({string, owned.Release()});
    };
    std::vector<T2DPoint> points;
    switch (kind_) {
        case Kind::Point:
        case Kind::Text: {
            if (type == wkbMultiPoint || type == wkbGeometryCollection) {
                for (int i = 0; i < OGR_G_GetGeometryCount(g); ++i) AddFeature(f, OGR_G_GetGeometryRef(g, i), string);
                return;
            }
            if (type != wkbPoint || !ReadPart(g, points)) throw LayerFailure{};
            TSpaceEntity* e = NewElement(f);
            if (kind_ == Kind::Point) static_cast<TPointElement*>(e)->SetXY(points[0].X, points[0].Y);
            else {
                e->SetRefX(points[0].X);
                e->SetRefY(points[0].Y);
                e->UpdateGeometry();
            }
            keep(e);
            return;
        }
        case Kind::Line: {
            if (type == wkbMultiLineString || type == wkbGeometryCollection) {
                for (int i = 0; i < OGR_G_GetGeometryCount(g); ++i) AddFeature(f, OGR_G_GetGeometryRef(g, i), string);
                return;
            }
            if (type != wkbLineString || !ReadPart(g, points)) throw LayerFailure{};
            auto* e = static_cast<TPolyLineElement*>(NewElement(f));
            e->SetPoints(std::move(points));
            keep(e);
            return;
        }
        case Kind::Area: {
            auto* e = static_cast<TAreaElement*>(NewElement(f));
            auto addPolygon = [&](OGRGeometryH polygon) {
                if (wkbFlatten(OGR_G_GetGeometryType(polygon)) != wkbPolygon) return false;
                for (int r = 0; r < OGR_G_GetGeometryCount(polygon); ++r) {
                    if (!ReadPart(OGR_G_GetGeometryRef(polygon, r), points)) continue;
                    e->AddPart(points.data(), points.size());
                }
                return true;
            };
            TElementHolder<TAreaElement> owned(e);
            bool ok = true;
            if (type == wkbPolygon) ok = addPolygon(g);
            else if (type == wkbMultiPolygon || type == wkbGeometryCollection)
                for (int i = 0; i < OGR_G_GetGeometryCount(g) && ok; ++i)
                    ok = addPolygon(OGR_G_GetGeometryRef(g, i));
            else ok = false;
            if (!ok || !e->NotEmpty()) throw LayerFailure{};
            e->UpdateGeometry();
            keep(owned.Release());
            return;
        }
    }
}

void LayerReader::AddMixedFeature(OGRFeatureH f, OGRGeometryH g) {
    if (!g || OGR_G_IsEmpty(g)) return;
    OGRwkbGeometryType type = wkbFlatten(OGR_G_GetGeometryType(g));
    if (type == wkbGeometryCollection) {
        for (int i = 0; i < OGR_G_GetGeometryCount(g); ++i) AddMixedFeature(f, OGR_G_GetGeometryRef(g, i));
        return;
    }
    Kind k = KindOf(type, textField_ >= 0);
    auto cls = mixedClasses_.find(k);
    if (cls == mixedClasses_.end()) throw LayerFailure{};
    auto held = mixedStrings_.find(k);
    if (held == mixedStrings_.end()) throw LayerFailure{};
    kind_ = k;
    class_ = cls->second;
    AddFeature(f, g, held->second.Get());
}

std::vector<TSpaceEntityString*> LayerReader::Read(std::vector<std::string>& notes) {
    notes_ = &notes;
    source_ = ParseLayerValue(layer_->GetValue());
    OGRLayerH layer = OpenLayer();
    Prepare(layer);
    const bool mixed = !mixedKinds_.empty();
    // Every kind the layer holds has its string, whatever the area lets in.
    for (Kind k : mixedKinds_) {
        TElementHolder<TSpaceEntityString> string(NewString(k));
        string->SetName(layer_->GetName() + KindSuffix(k));
        mixedStrings_.emplace(k, std::move(string));
    }
    TElementHolder<TSpaceEntityString> string(NewString(kind_));
    string->SetName(layer_->GetName());
    OGR_L_ResetReading(layer);
    int64_t number = 0, empty = 0;
    int failuresInRow = 0;
    for (;;) {
        CPLErrorReset();
        Feature f(OGR_L_GetNextFeature(layer));
        ++number;
        if (!f) {
            // The end, or a feature the driver could not read: skip it and go on, unless
            // the driver keeps failing.
            if (CPLGetLastErrorType() < CE_Failure || ++failuresInRow > 100) break;
            Note(Cz("prvek ") + IntToStr(number) + Cz(" nelze číst: ") + LastGdalError("chyba ovladače"));
            continue;
        }
        failuresInRow = 0;
        OGRGeometryH g = OGR_F_GetGeometryRef(f.get());
        if (!g || OGR_G_IsEmpty(g)) {
            ++empty;
            continue;
        }
        try {
            if (mixed) AddMixedFeature(f.get(), g);
            else AddFeature(f.get(), g, string.Get());
            for (auto& [into, e] : pending_) into->AddAndUpdateRect(e);
            pending_.clear();
        } catch (const LayerFailure& failure) {
            DropPending();
            if (!failure.Reason.empty()) throw;
            Note(Cz("prvek ") + IntToStr(number) + Cz(" nelze číst: geometrie ") + OGR_G_GetGeometryName(g) +
                 Cz(" neodpovídá vrstvě"));
        } catch (const CoordinateFailure& bad) {
            DropPending();
            Note(Cz("prvek ") + IntToStr(number) + Cz(" vynechán: souřadnice ") + FloatToStr(bad.At.X) + " " +
                 FloatToStr(bad.At.Y) + Cz(" mimo rozsah ±") + FloatToStr(bound_));
        }
    }
    if (empty) Note(IntToStr(empty) + Cz(" prvků bez geometrie vynecháno"));
    if (lossy_) Note(Cz("znaky, které Windows-1250 nemá, jsou nahrazeny \"?\""));
    std::vector<TSpaceEntityString*> strings;
    if (!mixed) {
        strings.push_back(string.Release());
        return strings;
    }
    // In the order of the kinds: points or texts, lines, areas.
    for (auto& [k, held] : mixedStrings_) strings.push_back(held.Release());
    return strings;
}

// Notes the layer classes in the world's register of loaded layers.
void RegisterLayers(TRectEntity* model) {
    if (!World || !model) return;
    TObjectModel* objects = World->GetObjectModel();
    auto* reg = As<TRegister>(objects->FindElementClass(TRegister::StaticClass()));
    if (!reg) {
        reg = TRegister::New();
        objects->AddElement(reg);
    }
    for (int32_t i = 0; i < model->ElementsCount(); ++i) {
        auto* string = As<TSpaceEntityString>(model->Get(i));
        if (!string || string->ElementsCount() == 0) continue;
        std::string cls = string->Get(0)->ClassName();
        if (!reg->GetStringElementByName(cls)) reg->AddNameString(cls, string->GetName());
    }
}

}  // namespace

int LayerSourcesOpened() { return sourcesOpened; }

std::vector<TLayerField> LayerFields(TModelScript* script, TLayerScript* layer) {
    if (!script || !layer) return {};
    QuietGdal quiet;
    LayerSources sources;
    TElementHolder<TModelByScriptCreator> creator(TModelByScriptCreator::New());
    try {
        return LayerReader(script, layer, *creator, sources).Fields();
    } catch (const LayerFailure&) {
    } catch (const Exception&) {
    }
    return {};
}

void TModelByScriptCreator::DoIt() {
    FMessages.clear();
    SetOutput(nullptr);
    auto* script = As<TModelScript>(Input);
    if (!script) return;
    QuietGdal quiet;
    LayerSources sources;
    TRectEntity* model = nullptr;
    for (TLayerScript* layer : script->Layers()) {
        std::vector<std::string> notes;
        std::vector<TSpaceEntityString*> strings;
        try {
            LayerReader reader(script, layer, *this, sources);
            strings = reader.Read(notes);
        } catch (const LayerFailure& failure) {
            notes.push_back(Cz("Vrstva ") + layer->GetName() + Cz(" nenačtena: ") + failure.Reason);
            NoteErrorShown();
        } catch (const Exception& e) {
            notes.push_back(Cz("Vrstva ") + layer->GetName() + Cz(" nenačtena: ") + e.Message());
            NoteErrorShown();
        }
        for (std::string& n : notes) Note(n);
        for (TSpaceEntityString* string : strings) {
            if (!model) model = NewModel();
            model->AddAndUpdateRect(string);
        }
    }
    std::vector<std::string> notes;
    BuildModelTopology(script, model, notes);
    for (std::string& n : notes) Note(n);
    RegisterLayers(model);
    SetOutput(model);
}
