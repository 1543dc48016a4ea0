// The attribute table of the Gravo package: the record of one map element, its fields being
// the element's layer fields (the published properties its layer class adds).
#pragma once
#include <cstdint>
#include <string>

#include "space/space.h"

class TGravoDBFTable {
public:
    // The table named by an element's Gravo properties; false for an empty name. The flag
    // and the two numbers are kept as given (read-only flag, first record, record count).
    bool SetupLinkedObject(const std::string& table, bool readOnly, int32_t first, int32_t count);
    // The record of the element; false without a table or for an element of no layer class.
    bool SetupLinkedEntity(TElement* element);
    int32_t FieldDefsCount() const;
    std::string FieldDefName(int32_t i) const;
    std::string FieldAsString(int32_t i) const;
    void Close();
    bool Active() const { return FEntity != nullptr; }

private:
    std::string FTable;
    bool FReadOnly = true;
    int32_t FFirst = 0;
    int32_t FCount = 0;
    TSpaceEntity* FEntity = nullptr;
    uint64_t FEntitySerial = 0;
    int32_t FFirstProp = 0;  // the index of the first field property
    int32_t FFields = 0;
};
