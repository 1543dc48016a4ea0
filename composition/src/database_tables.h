// Tables, text tables and queries of a data source read through GDAL/OGR, one record at a
// time: what the database classes walk.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace composition_detail {

class TableCursor {
public:
    TableCursor();
    ~TableCursor();
    TableCursor(const TableCursor&) = delete;
    TableCursor& operator=(const TableCursor&) = delete;

    // Each answers whether records can be read; on failure Reason() names the source and
    // says why (OGR's own text where it gave one) and the cursor is closed.
    // A table of a folder, a file or a connection (a layer of that name).
    bool OpenTable(const std::string& source, const std::string& table);
    // A delimited text file of the folder, read by the CSV driver (first line: field names).
    bool OpenText(const std::string& folder, const std::string& file);
    // The SQL text run on the source: in its own SQL where it has one (SQLite, GeoPackage,
    // PostgreSQL), else in OGR's SQLite dialect.
    bool OpenQuery(const std::string& source, const std::string& sql);
    void Close();
    bool Active() const { return layer_ != nullptr; }
    const std::string& Reason() const { return reason_; }

    int32_t RecordCount() const { return count_; }
    int32_t FieldCount() const;
    // The sum of the fields' data sizes.
    int32_t RecordSize() const { return recordSize_; }
    // The field of that name (any letter case), or -1.
    int FindField(const std::string& name) const;

    void First();
    void Next();
    void MoveBy(int32_t n);
    bool Eof() const { return current_ == nullptr; }
    // The number of the current record from 0.
    int32_t RecNo() const { return recNo_; }
    // The field's value of the current record as text; empty at the end or for a field
    // that is not set.
    std::string Value(int field) const;

    // Whether the table has the attribute index of that name (SQLite and GeoPackage keep
    // their indexes in the database; other sources have none here).
    bool HasIndex(const std::string& indexName);
    // The value of the field in the record whose index fields equal the key parts in
    // order; false when no record has that key. The cursor stays where it is.
    bool FindKey(const std::string& indexName, const std::vector<std::string>& key, int field,
                 std::string& value);

private:
    struct Handle;
    bool Fail(const std::string& what);
    bool Ready(const std::string& what);
    void Fetch();
    std::unique_ptr<Handle> h_;
    void* layer_ = nullptr;   // OGRLayerH of the open data set
    void* current_ = nullptr; // OGRFeatureH of the current record
    std::string reason_;
    std::string source_, table_;
    std::string driver_;
    int32_t count_ = 0;
    int32_t recordSize_ = 0;
    int32_t recNo_ = 0;
    // Key lookups go through a second handle, so the walk keeps its place.
    std::string keyIndex_;
    std::vector<int> keyFields_;
    std::unordered_map<std::string, int64_t> keyToFid_;
};

}  // namespace composition_detail
