// Database classes: the records of a table, a text table or an SQL query shown as the
// children of an entity (virtual elements), read through GDAL/OGR.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "kernel/elements.h"
#include "platform/classes.h"

namespace composition_detail {
class TableCursor;
}

// The N-th field of Text (from 1), each field ended by ";". The first field is also the
// whole text when it holds no ";"; a last field not closed by ";" is found only as the first.
std::string Field(const std::string& text, int32_t n);

enum TDSType : uint8_t { dstTable = 0, dstSQL = 1, dstSQLdef = 2, dstQBE = 3, dstText = 4 };
const TTypeInfo* TypeInfoTDSType();

class TDatabaseClass;

// One record of a database class: its address is each key field's value followed by ";",
// its name the value of the name field; properties by name read the record's fields.
class TVirtualElement : public TOwnerElement {
    ZARIX_CLASS(TVirtualElement, TOwnerElement)
    static void Publish(PropertyTable& t);

public:
    std::string ElementAdress;
    int32_t GetPropertyCount();
    // The class it belongs to (not owned); nil once that one was freed.
    TDatabaseClass* GetDatabaseClass() const;
    void SetDatabaseClass(TDatabaseClass* cls);

    int32_t GetInstanceSize() override;
    std::string GetPropertyStringByName(const std::string& name) override;

private:
    TDatabaseClass* FClass = nullptr;
    uint64_t FClassSerial = 0;
};

class TDatabaseClass : public TOwnerEntity {
    ZARIX_CLASS(TDatabaseClass, TOwnerEntity)
    static void Publish(PropertyTable& t);

public:
    TDSType DataSourceType = dstTable;
    std::string DataSourcePath;
    std::string DataSource;
    std::string AdressField;
    std::string NameField;

    TDatabaseClass();
    ~TDatabaseClass() override;
    void Create() override;
    void Destroy() override;

    // Whether a data set is ready; any failure beeps, posts a text message naming the
    // source and the reason, and answers False.
    bool Open();
    int32_t GetPropertyCount();
    int32_t GetRecordSize();
    // The number of key fields of AdressField.
    int32_t KeyCount() const;

    int32_t ElementsCount() override;
    bool NoElements() override;
    TElement* Get(int32_t index) override;
    int32_t IndexOf(TElement* element) override;
    TElement* FindElementName(const std::string& name) override;
    void FreeAll() override;
    int32_t GetWholeSize() override;

    // The value of the field in the record of that address; empty when none has it.
    std::string FieldValue(const std::string& field, const std::string& address);
    bool HasField(const std::string& field);

    // The SQL text of dstSQL and dstSQLdef, passed to the engine as written.
    TStringList& SQL() { return FSQL; }
    const std::string& IndexName() const { return FIndexName; }
    void SetIndexName(const std::string& name) { FIndexName = name; }
    // The database name of the text connection: the first 79 characters of DataSource.
    const std::string& TextConnectionName() const { return FTextConnection; }
    // The last failure's text; empty after a successful open.
    const std::string& LastError() const { return FLastError; }
    // Closes the data set; the next access opens it again.
    void CloseDataSet();

private:
    bool Refuse(const std::string& reason);
    std::string Address();
    TVirtualElement* MakeElement();
    bool KeyMatches(const std::vector<std::string>& parts, bool ignoreCase);
    void MoveNextWrapping();
    TStringList FSQL;
    std::string FIndexName;
    std::string FTextConnection;
    std::string FLastError;
    // What the open data set was opened from; a change opens it again.
    bool FOpened = false;
    TDSType FOpenedType = dstTable;
    std::string FOpenedPath, FOpenedSource, FOpenedKeys, FOpenedName, FOpenedSQL;
    std::unique_ptr<composition_detail::TableCursor> FCursor;
    std::vector<int> FKeys;  // the key fields' indexes
    int FNameIndex = -1;
    int32_t FCurrent = 0;
    TVirtualElement* FCached = nullptr;
    uint64_t FCachedSerial = 0;
};

// Registers TDatabaseClass.
void RegisterDatabaseClassUnit();
