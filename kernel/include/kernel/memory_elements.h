// The memory status as an element.
#pragma once
#include <cstdint>

#include "kernel/elements.h"
#include "platform/windows.h"

// Named "Memory status"; figures in bytes (the load in percent) as read by Refresh.
class TMemoryElement : public TOwnerElement {
    ZARIX_CLASS(TMemoryElement, TOwnerElement)
    static void Publish(PropertyTable& t);

public:
    void Create() override;
    void Refresh();
    // Sets the figures directly (a status read elsewhere).
    void SetStatus(const TMemoryStatus& status) { FStatus = status; }
    const TMemoryStatus& Status() const { return FStatus; }

    // Used physical memory plus used page file, saturated at 4294967295.
    uint32_t GetAlocatedMemory() const;
    // (AlocatedMemory div 100) x (100 - MemoryLoad), saturated at 4294967295.
    uint32_t GetAvailMemory() const;

private:
    TMemoryStatus FStatus{};
};

// Registers the memory element.
void RegisterEMemoryUnit();
