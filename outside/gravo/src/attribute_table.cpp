#include "gravo/attribute_table.h"

#include "kernel/property_access.h"
#include "space/layer_class.h"

bool TGravoDBFTable::SetupLinkedObject(const std::string& table, bool readOnly, int32_t first, int32_t count) {
    Close();
    FTable = table;
    FReadOnly = readOnly;
    FFirst = first;
    FCount = count;
    return !FTable.empty();
}

bool TGravoDBFTable::SetupLinkedEntity(TElement* element) {
    auto* entity = As<TSpaceEntity>(element);
    int32_t fields = entity ? LayerFieldCount(entity->ClassType()) : 0;
    if (FTable.empty() || fields == 0) return false;
    FEntity = entity;
    FEntitySerial = entity->Serial();
    FFields = fields;
    FFirstProp = GetPropCount(entity) - fields;  // the layer class publishes its fields last
    return true;
}

int32_t TGravoDBFTable::FieldDefsCount() const {
    if (!FEntity || !IsLive(FEntity, FEntitySerial)) return 0;
    return FFields;
}

std::string TGravoDBFTable::FieldDefName(int32_t i) const {
    return i >= 0 && i < FieldDefsCount() ? GetPropName(FEntity, FFirstProp + i) : std::string();
}

std::string TGravoDBFTable::FieldAsString(int32_t i) const {
    return i >= 0 && i < FieldDefsCount() ? GetPropString(FEntity, FFirstProp + i) : std::string();
}

void TGravoDBFTable::Close() {
    FEntity = nullptr;
    FEntitySerial = 0;
    FFields = 0;
}
