#include "composition/database_classes.h"

#include <algorithm>
#include <climits>

#include "database_tables.h"
#include "kernel/class_registry.h"
#include "kernel/tools.h"
#include "platform/host.h"
#include "platform/sysutils.h"

using composition_detail::TableCursor;

std::string Field(const std::string& text, int32_t n) {
    if (n < 1) return {};
    size_t start = 0;
    for (int32_t k = 1;; ++k) {
        size_t end = text.find(';', start);
        if (end == std::string::npos) return k == 1 && n == 1 ? text : std::string();
        if (k == n) return text.substr(start, end - start);
        start = end + 1;
    }
}

const TTypeInfo* TypeInfoTDSType() {
    static const TTypeInfo* t = MakeEnumType("TDSType", {"dstTable", "dstSQL", "dstSQLdef", "dstQBE", "dstText"});
    return t;
}

namespace {

// AdressField with the ";" that closes its last key field.
std::string ClosedKeys(const std::string& keys) {
    return keys.empty() || keys.back() == ';' ? keys : keys + ";";
}

std::vector<std::string> AddressParts(const std::string& address, size_t count) {
    std::vector<std::string> parts;
    for (size_t k = 1; k <= count; ++k) parts.push_back(Field(address, static_cast<int32_t>(k)));
    return parts;
}

}  // namespace

// ---- virtual elements ------------------------------------------------------------------

void TVirtualElement::Publish(PropertyTable& t) {
    using C = TVirtualElement;
    t.Field("ElementAdress", &C::ElementAdress);
    t.Int<C>("PropertyCount", &C::GetPropertyCount, nullptr);
}

TDatabaseClass* TVirtualElement::GetDatabaseClass() const {
    return IsLive(FClass, FClassSerial) ? FClass : nullptr;
}

void TVirtualElement::SetDatabaseClass(TDatabaseClass* cls) {
    FClass = cls;
    FClassSerial = cls ? cls->Serial() : 0;
}

int32_t TVirtualElement::GetPropertyCount() {
    TDatabaseClass* c = GetDatabaseClass();
    return c ? c->GetPropertyCount() : 0;
}

int32_t TVirtualElement::GetInstanceSize() {
    TDatabaseClass* c = GetDatabaseClass();
    return c ? c->GetRecordSize() : 0;
}

std::string TVirtualElement::GetPropertyStringByName(const std::string& name) {
    TDatabaseClass* c = GetDatabaseClass();
    if (c && c->HasField(name)) return c->FieldValue(name, ElementAdress);
    return TOwnerElement::GetPropertyStringByName(name);
}

// ---- database classes ------------------------------------------------------------------

void TDatabaseClass::Publish(PropertyTable& t) {
    using C = TDatabaseClass;
    t.Field("DataSourceType", TypeInfoTDSType(), &C::DataSourceType);
    t.Field("DataSourcePath", &C::DataSourcePath);
    t.Field("DataSource", &C::DataSource);
    t.Field("AdressField", &C::AdressField);
    t.Field("NameField", &C::NameField);
    t.Int<C>("PropertyCount", &C::GetPropertyCount, nullptr);
    t.Int<C>("RecordSize", &C::GetRecordSize, nullptr);
}

TDatabaseClass::TDatabaseClass() = default;
TDatabaseClass::~TDatabaseClass() = default;

void TDatabaseClass::Create() {
    TOwnerEntity::Create();
    DataSourceType = dstTable;
    FCursor = std::make_unique<TableCursor>();
}

void TDatabaseClass::Destroy() {
    if (TVirtualElement* e = IsLive(FCached, FCachedSerial) ? FCached : nullptr) {
        if (e->NoOwners()) Free(e);
    }
    FCached = nullptr;
    FCursor.reset();
    TOwnerEntity::Destroy();
}

void TDatabaseClass::CloseDataSet() {
    if (FCursor) FCursor->Close();
    FOpened = false;
    FCurrent = 0;
}

int32_t TDatabaseClass::KeyCount() const {
    std::string keys = ClosedKeys(AdressField);
    int32_t n = 0;
    for (char c : keys) n += c == ';';
    return n;
}

bool TDatabaseClass::Refuse(const std::string& reason) {
    if (FCursor) FCursor->Close();
    FOpened = false;
    FLastError = Cz("Databázová třída ") + GetName() + ": " + reason;
    MessageBeep(0);
    PostTextMsg(tm_TextNote, FLastError, nullptr);
    return false;
}

bool TDatabaseClass::Open() {
    if (!FCursor) FCursor = std::make_unique<TableCursor>();
    // What the data set is opened from; a change opens it again.
    const bool query = DataSourceType == dstSQL || DataSourceType == dstSQLdef;
    std::string sql = query ? FSQL.Text() : std::string();
    if (FCursor->Active() && FOpened && FOpenedType == DataSourceType && FOpenedPath == DataSourcePath &&
        FOpenedSource == DataSource && FOpenedKeys == AdressField && FOpenedName == NameField && FOpenedSQL == sql)
        return true;
    FCursor->Close();
    FOpened = false;
    FCurrent = 0;
    bool ok = false;
    switch (DataSourceType) {
        case dstTable: ok = FCursor->OpenTable(DataSourcePath, DataSource); break;
        case dstText:
            FTextConnection = DataSource.substr(0, 79);
            ok = FCursor->OpenText(DataSourcePath, DataSource);
            break;
        case dstSQL:
        case dstSQLdef: ok = FCursor->OpenQuery(DataSourcePath, FSQL.Text()); break;
        case dstQBE: return Refuse(Cz("dotaz QBE není podporován"));
    }
    if (!ok) return Refuse(FCursor->Reason());
    FKeys.clear();
    int32_t n = AdressField.empty() ? 0 : KeyCount();
    std::string keys = ClosedKeys(AdressField);
    for (int32_t k = 1; k <= n; ++k) {
        std::string name = Field(keys, k);
        int i = FCursor->FindField(name);
        if (i < 0) return Refuse(Cz("klíčové pole \"") + name + Cz("\" neexistuje: ") + DataSourcePath + " / " + DataSource);
        FKeys.push_back(i);
    }
    FNameIndex = NameField.empty() ? -1 : FCursor->FindField(NameField);
    if (!NameField.empty() && FNameIndex < 0)
        return Refuse(Cz("pole jména \"") + NameField + Cz("\" neexistuje: ") + DataSourcePath + " / " + DataSource);
    FOpened = true;
    FOpenedType = DataSourceType;
    FOpenedPath = DataSourcePath;
    FOpenedSource = DataSource;
    FOpenedKeys = AdressField;
    FOpenedName = NameField;
    FOpenedSQL = sql;
    FLastError.clear();
    return true;
}

int32_t TDatabaseClass::GetPropertyCount() { return Open() ? FCursor->FieldCount() : 0; }

int32_t TDatabaseClass::GetRecordSize() { return Open() ? FCursor->RecordSize() : 0; }

int32_t TDatabaseClass::ElementsCount() { return Open() ? FCursor->RecordCount() : 0; }

bool TDatabaseClass::NoElements() { return ElementsCount() < 1; }

int32_t TDatabaseClass::GetWholeSize() {
    if (!Open()) return 0;
    const int64_t size = static_cast<int64_t>(FCursor->RecordCount()) * FCursor->RecordSize();
    return static_cast<int32_t>(std::min<int64_t>(size, INT32_MAX));
}

void TDatabaseClass::FreeAll() {}

std::string TDatabaseClass::Address() {
    std::string a;
    for (int i : FKeys) a += FCursor->Value(i) + ";";
    return a;
}

TVirtualElement* TDatabaseClass::MakeElement() {
    TVirtualElement* e = IsLive(FCached, FCachedSerial) ? FCached : nullptr;
    if (!e || !e->NoOwners()) {
        e = TVirtualElement::New();
        e->SetDatabaseClass(this);
        FCached = e;
        FCachedSerial = e->Serial();
    }
    e->SetName(FNameIndex >= 0 ? FCursor->Value(FNameIndex) : std::string());
    e->ElementAdress = Address();
    FCurrent = FCursor->RecNo();
    return e;
}

TElement* TDatabaseClass::Get(int32_t index) {
    if (!Open()) return nullptr;
    if (index < 0 || index >= FCursor->RecordCount()) return nullptr;
    // The cursor's own place, whatever moved it since.
    int32_t at = FCursor->Eof() ? FCursor->RecordCount() : FCursor->RecNo();
    if (index == 0) FCursor->First();
    else if (index == at + 1) FCursor->Next();
    else if (index != at) FCursor->MoveBy(index - at);
    if (FCursor->Eof()) return nullptr;
    return MakeElement();
}

void TDatabaseClass::MoveNextWrapping() {
    FCursor->Next();
    if (FCursor->Eof()) FCursor->First();
}

bool TDatabaseClass::KeyMatches(const std::vector<std::string>& parts, bool ignoreCase) {
    for (size_t k = 0; k < FKeys.size(); ++k) {
        std::string v = FCursor->Value(FKeys[k]);
        if (ignoreCase ? !AnsiSameText(v, parts[k]) : v != parts[k]) return false;
    }
    return true;
}

TElement* TDatabaseClass::FindElementName(const std::string& name) {
    if (!Open() || FCursor->RecordCount() < 1) return nullptr;
    int field = FCursor->FindField(AdressField);
    if (field < 0 && !FKeys.empty()) field = FKeys.front();
    if (field < 0) return nullptr;
    if (FCursor->Eof()) FCursor->First();
    for (int32_t r = 0; r < FCursor->RecordCount(); ++r) {
        if (AnsiSameText(FCursor->Value(field), name)) return MakeElement();
        MoveNextWrapping();
    }
    return nullptr;
}

int32_t TDatabaseClass::IndexOf(TElement* element) {
    auto* v = As<TVirtualElement>(element);
    if (!v || !Open()) return -1;
    std::vector<std::string> parts = AddressParts(v->ElementAdress, FKeys.size());
    if (FCursor->Eof()) FCursor->First();
    for (int32_t r = 0; r < FCursor->RecordCount(); ++r) {
        if (KeyMatches(parts, true)) return FCursor->RecNo();
        MoveNextWrapping();
    }
    return -1;
}

bool TDatabaseClass::HasField(const std::string& field) { return Open() && FCursor->FindField(field) >= 0; }

std::string TDatabaseClass::FieldValue(const std::string& field, const std::string& address) {
    if (!Open()) return {};
    int f = FCursor->FindField(field);
    if (f < 0) return {};
    if (DataSourceType == dstTable && !FIndexName.empty() && FCursor->HasIndex(FIndexName)) {
        size_t n = 0;
        for (char c : address) n += c == ';';
        std::vector<std::string> key = AddressParts(address, n ? n : 1);
        std::string value;
        FCursor->FindKey(FIndexName, key, f, value);
        return value;
    }
    std::vector<std::string> parts = AddressParts(address, FKeys.size());
    if (FCursor->Eof()) FCursor->First();
    for (int32_t r = 0; r < FCursor->RecordCount(); ++r) {
        if (KeyMatches(parts, false)) return FCursor->Value(f);
        MoveNextWrapping();
    }
    return {};
}

void RegisterDatabaseClassUnit() { RegisterZarixClass<TDatabaseClass>(); }
