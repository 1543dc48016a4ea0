#include "database_tables.h"

#include <gdal.h>
#include <ogr_api.h>
#include <cpl_error.h>
#include <cpl_conv.h>
#include <cpl_string.h>

#include <sys/stat.h>

#include <algorithm>
#include <climits>

#include "platform/files.h"
#include "platform/sysutils.h"

namespace composition_detail {

namespace {

// GDAL's messages go to the last-error record only, not to the terminal.
struct QuietGdal {
    QuietGdal() {
        static bool registered = [] {
            GDALAllRegister();
            return true;
        }();
        (void)registered;
        CPLPushErrorHandler(CPLQuietErrorHandler);
        CPLErrorReset();
        // A locked database answers at once rather than after SQLite's retries (unless
        // the user set the wait).
        if (!CPLGetConfigOption("SQLITE_BUSY_TIMEOUT", nullptr)) {
            CPLSetThreadLocalConfigOption("SQLITE_BUSY_TIMEOUT", "200");
            setTimeout = true;
        }
    }
    ~QuietGdal() {
        if (setTimeout) CPLSetThreadLocalConfigOption("SQLITE_BUSY_TIMEOUT", nullptr);
        CPLPopErrorHandler();
    }
    bool setTimeout = false;
};

// A connection string ("PG:...", "/vsi..." paths, "X:" drives aside) goes to OGR as written.
bool IsConnection(const std::string& s) {
    size_t colon = s.find(':');
    return colon != std::string::npos && colon >= 2 && s.find_first_of("/\\") > colon;
}

std::string OsSource(const std::string& s) { return IsConnection(s) ? ToUtf8(s) : MapPath(s); }

bool IsFolder(const std::string& osPath) {
    struct stat st;
    return stat(osPath.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The widest field a record counts; a sidecar may declare any width.
constexpr int64_t kMaxFieldWidth = 65535;
// The widest text of a number OGR is let to make.
constexpr int kMaxNumberWidth = 64;

int64_t DataSize(OGRFieldDefnH f) {
    const int64_t width = std::min<int64_t>(OGR_Fld_GetWidth(f), kMaxFieldWidth);
    switch (OGR_Fld_GetType(f)) {
        case OFTInteger: return OGR_Fld_GetSubType(f) == OFSTBoolean || OGR_Fld_GetSubType(f) == OFSTInt16 ? 2 : 4;
        case OFTInteger64: return 8;
        case OFTReal: return 8;
        case OFTString: return (width > 0 ? width : 255) + 1;
        case OFTDate: return 4;
        case OFTTime: return 4;
        case OFTDateTime: return 8;
        case OFTBinary: return width > 0 ? width : 0;
        default: return 0;
    }
}

std::string Quoted(const std::string& s, char q) {
    std::string out(1, q);
    for (char c : s) {
        out += c;
        if (c == q) out += q;
    }
    out += q;
    return out;
}

OGRLayerH LayerByName(GDALDatasetH ds, const std::string& name) {
    if (OGRLayerH l = GDALDatasetGetLayerByName(ds, ToUtf8(name).c_str())) return l;
    int n = GDALDatasetGetLayerCount(ds);
    for (int i = 0; i < n; ++i) {
        OGRLayerH l = GDALDatasetGetLayer(ds, i);
        if (l && AnsiSameText(FromOsName(OGR_L_GetName(l)), name)) return l;
    }
    return nullptr;
}

}  // namespace

struct TableCursor::Handle {
    GDALDatasetH ds = nullptr;
    OGRLayerH resultSet = nullptr;  // of a query, released before the data set closes
    GDALDatasetH keyDs = nullptr;   // the second handle of key lookups
    OGRLayerH keyLayer = nullptr;
    std::vector<std::string> names;  // field names, Windows-1250
    ~Handle() {
        if (resultSet) GDALDatasetReleaseResultSet(ds, resultSet);
        if (ds) GDALClose(ds);
        if (keyDs) GDALClose(keyDs);
    }
};

TableCursor::TableCursor() = default;

TableCursor::~TableCursor() { Close(); }

void TableCursor::Close() {
    if (current_) OGR_F_Destroy(static_cast<OGRFeatureH>(current_));
    current_ = nullptr;
    layer_ = nullptr;
    h_.reset();
    count_ = recordSize_ = recNo_ = 0;
    keyIndex_.clear();
    keyFields_.clear();
    keyToFid_.clear();
}

bool TableCursor::Fail(const std::string& what) {
    const char* m = CPLGetLastErrorMsg();
    reason_ = what;
    if (m && *m) reason_ += ": " + FromOsName(m);
    Close();
    return false;
}

// The layer is open: reads its fields and counts its records.
bool TableCursor::Ready(const std::string& what) {
    auto layer = static_cast<OGRLayerH>(layer_);
    OGRFeatureDefnH defn = OGR_L_GetLayerDefn(layer);
    int n = OGR_FD_GetFieldCount(defn);
    int64_t size = 0;
    h_->names.clear();
    for (int i = 0; i < n; ++i) {
        OGRFieldDefnH f = OGR_FD_GetFieldDefn(defn, i);
        h_->names.push_back(FromOsName(OGR_Fld_GetNameRef(f)));
        size += DataSize(f);
    }
    recordSize_ = static_cast<int32_t>(std::min<int64_t>(size, INT32_MAX));
    // Records are read for their fields only.
    const char* ignored[] = {"OGR_GEOMETRY", nullptr};
    OGR_L_SetIgnoredFields(layer, ignored);
    CPLErrorReset();
    GIntBig count = OGR_L_GetFeatureCount(layer, TRUE);
    if (count < 0 || CPLGetLastErrorType() >= CE_Failure) return Fail(what);
    count_ = count > INT32_MAX ? INT32_MAX : static_cast<int32_t>(count);
    First();
    if (CPLGetLastErrorType() >= CE_Failure) return Fail(what);
    return true;
}

bool TableCursor::OpenTable(const std::string& source, const std::string& table) {
    Close();
    QuietGdal quiet;
    std::string what = source + " / " + table;
    source_ = source;
    table_ = table;
    h_ = std::make_unique<Handle>();
    std::string os = OsSource(source);
    h_->ds = GDALOpenEx(os.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY | GDAL_OF_VERBOSE_ERROR, nullptr, nullptr, nullptr);
    OGRLayerH layer = h_->ds ? LayerByName(h_->ds, table) : nullptr;
    if (!layer && h_->ds) {
        // "regions.dbf" names the layer "regions" of a folder.
        std::string ext = ExtractFileExt(table);
        if (!ext.empty()) layer = LayerByName(h_->ds, table.substr(0, table.size() - ext.size()));
    }
    if (!layer && !IsConnection(source) && IsFolder(os)) {
        // A file of the folder that OGR opens on its own (a GeoPackage, a text table).
        if (h_->ds) GDALClose(h_->ds);
        CPLErrorReset();
        std::string file = MapPath(IncludeTrailingPathDelimiter(source) + table);
        h_->ds = GDALOpenEx(file.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY | GDAL_OF_VERBOSE_ERROR, nullptr, nullptr, nullptr);
        if (h_->ds && GDALDatasetGetLayerCount(h_->ds) == 1) layer = GDALDatasetGetLayer(h_->ds, 0);
    }
    if (!h_->ds) return Fail(Cz("zdroj dat nelze otevřít: ") + what);
    if (!layer) {
        CPLErrorReset();
        return Fail(Cz("tabulka neexistuje: ") + what);
    }
    driver_ = GDALGetDriverShortName(GDALGetDatasetDriver(h_->ds));
    layer_ = layer;
    return Ready(what);
}

bool TableCursor::OpenText(const std::string& folder, const std::string& file) {
    Close();
    QuietGdal quiet;
    std::string path = folder.empty() ? file : IncludeTrailingPathDelimiter(folder) + file;
    std::string what = path;
    source_ = folder;
    table_ = file;
    h_ = std::make_unique<Handle>();
    std::string os = "CSV:" + OsSource(path);
    const char* drivers[] = {"CSV", nullptr};
    const char* options[] = {"HEADERS=YES", nullptr};
    h_->ds = GDALOpenEx(os.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY | GDAL_OF_VERBOSE_ERROR, drivers, options, nullptr);
    if (!h_->ds) return Fail(Cz("textovou tabulku nelze otevřít: ") + what);
    OGRLayerH layer = GDALDatasetGetLayer(h_->ds, 0);
    if (!layer) return Fail(Cz("textová tabulka nemá záznamy: ") + what);
    driver_ = "CSV";
    layer_ = layer;
    return Ready(what);
}

bool TableCursor::OpenQuery(const std::string& source, const std::string& sql) {
    Close();
    QuietGdal quiet;
    std::string what = source;
    source_ = source;
    table_.clear();
    h_ = std::make_unique<Handle>();
    std::string os = OsSource(source);
    h_->ds = GDALOpenEx(os.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY | GDAL_OF_VERBOSE_ERROR, nullptr, nullptr, nullptr);
    if (!h_->ds) return Fail(Cz("zdroj dat nelze otevřít: ") + what);
    driver_ = GDALGetDriverShortName(GDALGetDatasetDriver(h_->ds));
    bool ownSql = driver_ == "SQLite" || driver_ == "GPKG" || driver_ == "PostgreSQL";
    std::string text = ToUtf8(sql);
    CPLErrorReset();
    h_->resultSet = GDALDatasetExecuteSQL(h_->ds, text.c_str(), nullptr, ownSql ? nullptr : "SQLITE");
    if (!h_->resultSet) {
        if (!*CPLGetLastErrorMsg()) return Fail(Cz("dotaz SQL nevrací záznamy: ") + what);
        return Fail(Cz("dotaz SQL selhal: ") + what);
    }
    if (CPLGetLastErrorType() >= CE_Failure) return Fail(Cz("dotaz SQL selhal: ") + what);
    layer_ = h_->resultSet;
    return Ready(what);
}

int32_t TableCursor::FieldCount() const { return h_ ? static_cast<int32_t>(h_->names.size()) : 0; }

int TableCursor::FindField(const std::string& name) const {
    if (!h_) return -1;
    for (size_t i = 0; i < h_->names.size(); ++i)
        if (AnsiSameText(h_->names[i], name)) return static_cast<int>(i);
    return -1;
}

void TableCursor::Fetch() {
    if (current_) OGR_F_Destroy(static_cast<OGRFeatureH>(current_));
    current_ = OGR_L_GetNextFeature(static_cast<OGRLayerH>(layer_));
}

void TableCursor::First() {
    if (!layer_) return;
    OGR_L_ResetReading(static_cast<OGRLayerH>(layer_));
    recNo_ = 0;
    Fetch();
}

void TableCursor::Next() {
    if (!layer_ || !current_) return;
    ++recNo_;
    Fetch();
}

void TableCursor::MoveBy(int32_t n) {
    if (!layer_) return;
    int32_t target = recNo_ + n;
    if (target < 0) target = 0;
    if (target < recNo_ || !current_) {
        First();
    }
    while (recNo_ < target && current_) Next();
}

std::string TableCursor::Value(int field) const {
    if (!current_ || field < 0 || field >= FieldCount()) return {};
    auto f = static_cast<OGRFeatureH>(current_);
    if (!OGR_F_IsFieldSetAndNotNull(f, field)) return {};
    // A real with a declared width or precision beyond any number's is written plainly:
    // OGR pads it to that width (a sidecar's "Real(99999999999.9)" took gigabytes).
    OGRFieldDefnH d = OGR_F_GetFieldDefnRef(f, field);
    if (OGR_Fld_GetType(d) == OFTReal && (OGR_Fld_GetWidth(d) > kMaxNumberWidth || OGR_Fld_GetPrecision(d) > kMaxNumberWidth))
        return CPLSPrintf("%.15g", OGR_F_GetFieldAsDouble(f, field));
    return FromOsName(OGR_F_GetFieldAsString(f, field));
}

bool TableCursor::HasIndex(const std::string& indexName) {
    if (!layer_ || indexName.empty() || table_.empty()) return false;
    if (driver_ != "GPKG" && driver_ != "SQLite") return false;
    if (keyIndex_ == indexName && !keyFields_.empty()) return true;
    QuietGdal quiet;
    // The index's columns in order; the index name is the program's, quoted as a literal.
    std::string sql = "SELECT ii.name FROM sqlite_master m, pragma_index_info(m.name) ii WHERE m.type = 'index' "
                      "AND m.name = " + Quoted(ToUtf8(indexName), '\'') +
                      " AND lower(m.tbl_name) = lower(" + Quoted(ToUtf8(table_), '\'') + ") ORDER BY ii.seqno";
    OGRLayerH rs = GDALDatasetExecuteSQL(h_->ds, sql.c_str(), nullptr, nullptr);
    if (!rs) return false;
    std::vector<int> fields;
    bool ok = true;
    for (OGRFeatureH f; (f = OGR_L_GetNextFeature(rs));) {
        int i = FindField(FromOsName(OGR_F_GetFieldAsString(f, 0)));
        if (i < 0) ok = false;
        fields.push_back(i);
        OGR_F_Destroy(f);
    }
    GDALDatasetReleaseResultSet(h_->ds, rs);
    if (!ok || fields.empty()) return false;
    keyIndex_ = indexName;
    keyFields_ = std::move(fields);
    keyToFid_.clear();
    return true;
}

bool TableCursor::FindKey(const std::string& indexName, const std::vector<std::string>& key, int field,
                          std::string& value) {
    value.clear();
    if (!HasIndex(indexName)) return false;
    QuietGdal quiet;
    if (!h_->keyLayer) {
        // One pass over the key columns; a key value never becomes SQL text.
        h_->keyDs = GDALOpenEx(OsSource(source_).c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY | GDAL_OF_VERBOSE_ERROR, nullptr, nullptr,
                               nullptr);
        if (!h_->keyDs) return false;
        h_->keyLayer = LayerByName(h_->keyDs, table_);
        if (!h_->keyLayer) return false;
        const char* ignored[] = {"OGR_GEOMETRY", nullptr};
        OGR_L_SetIgnoredFields(h_->keyLayer, ignored);
    }
    if (keyToFid_.empty()) {
        OGR_L_ResetReading(h_->keyLayer);
        for (OGRFeatureH f; (f = OGR_L_GetNextFeature(h_->keyLayer));) {
            std::string k;
            for (int i : keyFields_) {
                if (OGR_F_IsFieldSetAndNotNull(f, i)) k += FromOsName(OGR_F_GetFieldAsString(f, i));
                k += '\0';
            }
            keyToFid_.emplace(std::move(k), OGR_F_GetFID(f));
            OGR_F_Destroy(f);
        }
    }
    std::string k;
    for (size_t i = 0; i < keyFields_.size(); ++i) {
        if (i < key.size()) k += key[i];
        k += '\0';
    }
    auto it = keyToFid_.find(k);
    if (it == keyToFid_.end()) return false;
    OGRFeatureH f = OGR_L_GetFeature(h_->keyLayer, it->second);
    if (!f) return false;
    if (field >= 0 && field < OGR_F_GetFieldCount(f) && OGR_F_IsFieldSetAndNotNull(f, field))
        value = FromOsName(OGR_F_GetFieldAsString(f, field));
    OGR_F_Destroy(f);
    return true;
}

}  // namespace composition_detail
