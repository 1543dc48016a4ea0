// The topology records of the Gravo package and the export of found regions.
#include "gravo/topology.h"

#include <gdal.h>
#include <ogr_api.h>
#include <ogr_srs_api.h>
#include <cpl_error.h>

#include <cstring>

#include "kernel/class_registry.h"
#include "platform/files.h"
#include "platform/sysutils.h"
#include "space/space_tree.h"

namespace {

int32_t ReadInt(const uint8_t* p) {
    uint32_t v = static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
                 static_cast<uint32_t>(p[3]) << 24;
    int32_t s;
    std::memcpy(&s, &v, sizeof s);
    return s;
}

void WriteInt(uint8_t* p, int32_t s) {
    uint32_t v;
    std::memcpy(&v, &s, sizeof v);
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace

TLineLinks ReadLinkRecord(const std::array<uint8_t, TGravoProps::kLinkRecordSize>& r) {
    TLineLinks l;
    l.A = ReadInt(&r[0]);
    l.FlagA = r[4] != 0;
    l.B = ReadInt(&r[5]);
    l.FlagB = r[9] != 0;
    l.C = ReadInt(&r[10]);
    l.D = ReadInt(&r[15]);
    return l;
}

void WriteLinkRecord(std::array<uint8_t, TGravoProps::kLinkRecordSize>& r, const TLineLinks& l) {
    r.fill(0);
    WriteInt(&r[0], l.A);
    r[4] = l.FlagA ? 1 : 0;
    WriteInt(&r[5], l.B);
    r[9] = l.FlagB ? 1 : 0;
    WriteInt(&r[10], l.C);
    WriteInt(&r[15], l.D);
}

// ---- properties --------------------------------------------------------------------------

void TGravoProps::Destroy() {
    FTopology.reset();
    inherited::Destroy();
}

void TGravoAreaProps::Publish(PropertyTable& t) {
    t.Int<TGravoAreaProps>("FatherIndex", [](TGravoAreaProps* o) { return o->FatherIndex; },
                           [](TGravoAreaProps* o, int32_t v) { o->FatherIndex = v; });
}

// ---- TGravoTopology ----------------------------------------------------------------------

TGravoTopology::~TGravoTopology() {
    if (FAreaTree) Free(FAreaTree);
}

void TGravoTopology::SetLayer(char kind, TSpaceEntityString* layer) {
    for (Entry& e : FLayers)
        if (e.Kind == kind) {
            e.Layer = layer;
            e.Serial = layer ? layer->Serial() : 0;
            if (kind == 'P' && FAreaTree) {
                Free(FAreaTree);
                FAreaTree = nullptr;
            }
        }
}

TSpaceEntityString* TGravoTopology::Layer(char kind) const {
    for (const Entry& e : FLayers)
        if (e.Kind == kind) return e.Layer && IsLive(e.Layer, e.Serial) ? e.Layer : nullptr;
    return nullptr;
}

TElement* TGravoTopology::GetElement(int32_t kind, int32_t index) const {
    if (kind < 0 || kind > 127) return nullptr;
    TSpaceEntityString* layer = Layer(static_cast<char>(kind));
    if (!layer || index < 0 || index >= layer->ElementsCount()) return nullptr;
    return layer->Get(index);
}

TSpaceEntityQTree* TGravoTopology::AreaTree() {
    TSpaceEntityString* areas = Layer('P');
    if (!areas) return nullptr;
    if (!FAreaTree) {
        FAreaTree = TSpaceEntityQTree::New();
        for (int32_t i = 0; i < areas->ElementsCount(); ++i)
            if (auto* a = As<TAreaElement>(areas->Get(i))) FAreaTree->AddSpaceEntity(a);
    }
    return FAreaTree;
}

void AttachTopologyProps(TSpaceEntityString* layer, const std::shared_ptr<TGravoTopology>& topology,
                         bool withFather) {
    if (!layer) return;
    for (int32_t i = 0; i < layer->ElementsCount(); ++i) {
        auto* e = As<TSpaceEntity>(layer->Get(i));
        if (!e) continue;
        auto* props = As<TGravoProps>(e->GetPropertyObject());
        bool area = withFather || As<TAreaElement>(e) != nullptr;
        if (!props || (area && !As<TGravoAreaProps>(props))) {
            TGravoProps* made = area ? TGravoAreaProps::New() : TGravoProps::New();
            if (props) made->ColorIndex = props->ColorIndex;
            e->SetPropertyObject(made);
            props = made;
        }
        props->Number = i + 1;
        props->Text = layer->GetName() + " " + IntToStr(i + 1);
        props->SetTopology(topology);
    }
}

// ---- TExportAreasToGravo -----------------------------------------------------------------

void TExportAreasToGravo::Publish(PropertyTable& t) {
    t.Str<TExportAreasToGravo>("BlockName", [](TExportAreasToGravo* o) { return o->BlockName; },
                               [](TExportAreasToGravo* o, const std::string& v) { o->BlockName = v; });
}

namespace {

struct GdalQuiet {
    GdalQuiet() {
        static bool registered = [] {
            GDALAllRegister();
            return true;
        }();
        (void)registered;
        CPLPushErrorHandler(CPLQuietErrorHandler);
        CPLErrorReset();
    }
    ~GdalQuiet() { CPLPopErrorHandler(); }
};

std::string GdalReason() {
    const char* m = CPLGetLastErrorMsg();
    return m && *m ? std::string(m) : std::string("GDAL");
}

OGRGeometryH PolygonOf(TAreaElement* area) {
    OGRGeometryH polygon = OGR_G_CreateGeometry(wkbPolygon);
    for (int32_t part = 0; part < area->PartCount(); ++part) {
        OGRGeometryH ring = OGR_G_CreateGeometry(wkbLinearRing);
        int32_t first = area->Parts()[static_cast<size_t>(part)], end = area->PartEnd(part);
        for (int32_t i = first; i < end; ++i) OGR_G_AddPoint_2D(ring, area->X(i), area->Y(i));
        if (end > first) OGR_G_AddPoint_2D(ring, area->X(first), area->Y(first));
        OGR_G_AddGeometryDirectly(polygon, ring);
    }
    return polygon;
}

}  // namespace

void TExportAreasToGravo::DoIt() {
    Error = 0;
    auto* regions = As<TEntity>(Input);
    if (!regions || BlockName.empty()) return;
    GdalQuiet quiet;
    std::string path = MapPath(BlockName);
    std::string layerName = ChangeFileExt(ExtractFileName(BlockName), "");
    auto fail = [&](const std::string& why) {
        Error = 1;
        PostTextMsgToOwners(tm_TextNote, Cz("Blok ") + BlockName + Cz(" nelze zapsat: ") + why);
    };
    GDALDriverH driver = GDALGetDriverByName("GPKG");
    if (!driver) return fail("GPKG");
    if (FileExists(BlockName)) GDALDeleteDataset(driver, path.c_str());
    if (FileExists(BlockName)) std::remove(path.c_str());
    GDALDatasetH ds = GDALCreate(driver, path.c_str(), 0, 0, 0, GDT_Unknown, nullptr);
    if (!ds) return fail(GdalReason());
    OGRSpatialReferenceH srs = OSRNewSpatialReference(nullptr);
    OSRImportFromEPSG(srs, 5514);
    OSRSetAxisMappingStrategy(srs, OAMS_TRADITIONAL_GIS_ORDER);
    OGRLayerH layer = GDALDatasetCreateLayer(ds, layerName.c_str(), srs, wkbPolygon, nullptr);
    OSRDestroySpatialReference(srs);
    if (!layer) {
        std::string why = GdalReason();
        GDALClose(ds);
        return fail(why);
    }
    auto field = [&](const char* name, OGRFieldType type) {
        OGRFieldDefnH f = OGR_Fld_Create(name, type);
        OGR_L_CreateField(layer, f, TRUE);
        OGR_Fld_Destroy(f);
    };
    field("cislo", OFTInteger);
    field("plocha", OFTReal);
    field("linie", OFTString);
    field("x", OFTReal);
    field("y", OFTReal);
    GDALDatasetStartTransaction(ds, FALSE);
    bool ok = true;
    for (int32_t i = 0; i < regions->ElementsCount() && ok; ++i) {
        auto* area = As<TAreaElement>(regions->Get(i));
        if (!area || !area->NotEmpty()) continue;
        OGRFeatureH f = OGR_F_Create(OGR_L_GetLayerDefn(layer));
        OGR_F_SetFieldInteger(f, 0, i + 1);
        OGR_F_SetFieldDouble(f, 1, area->GetWholeArea());
        TGravoProps* props = area->ElementsCount() > 0 ? GravoPropsOf(area->Get(0)) : nullptr;
        std::string text = props ? ToUtf8(props->GetText()) : std::string();
        OGR_F_SetFieldString(f, 2, text.c_str());
        OGR_F_SetFieldDouble(f, 3, area->GetRefX());
        OGR_F_SetFieldDouble(f, 4, area->GetRefY());
        OGR_F_SetGeometryDirectly(f, PolygonOf(area));
        ok = OGR_L_CreateFeature(layer, f) == OGRERR_NONE;
        OGR_F_Destroy(f);
    }
    std::string why = ok ? std::string() : GdalReason();
    GDALDatasetCommitTransaction(ds);
    GDALClose(ds);
    if (!ok) fail(why);
}

void RegisterGravoTopologyClasses() {
    static bool done = false;
    if (done) return;
    done = true;
    RegisterZarixClass<TGravoAreaProps>();
    RegisterZarixClass<TExportAreasToGravo>();
}
