#include "kernel/memory_elements.h"

#include <algorithm>

#include "kernel/class_registry.h"

namespace {

uint32_t Saturate(uint64_t v) { return v > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<uint32_t>(v); }

uint64_t Used(uint32_t total, uint32_t avail) { return total > avail ? uint64_t{total} - avail : 0; }

}  // namespace

void TMemoryElement::Publish(PropertyTable& t) {
    using C = TMemoryElement;
    auto figure = [&t](const char* name, uint32_t TMemoryStatus::*field) {
        t.Card<C>(name, [field](C* c) { return c->Status().*field; }, nullptr);
    };
    figure("MemoryLoad", &TMemoryStatus::dwMemoryLoad);
    figure("TotalPhys", &TMemoryStatus::dwTotalPhys);
    figure("AvailPhys", &TMemoryStatus::dwAvailPhys);
    figure("TotalPageFile", &TMemoryStatus::dwTotalPageFile);
    figure("AvailPageFile", &TMemoryStatus::dwAvailPageFile);
    figure("TotalVirtual", &TMemoryStatus::dwTotalVirtual);
    figure("AvailVirtual", &TMemoryStatus::dwAvailVirtual);
    t.Card<C>("AlocatedMemory", &C::GetAlocatedMemory, nullptr);
    t.Card<C>("AvailMemory", &C::GetAvailMemory, nullptr);
}

void TMemoryElement::Create() {
    inherited::Create();
    SetName("Memory status");
    Refresh();
}

void TMemoryElement::Refresh() { GlobalMemoryStatus(FStatus); }

uint32_t TMemoryElement::GetAlocatedMemory() const {
    return Saturate(Used(FStatus.dwTotalPhys, FStatus.dwAvailPhys) +
                    Used(FStatus.dwTotalPageFile, FStatus.dwAvailPageFile));
}

uint32_t TMemoryElement::GetAvailMemory() const {
    uint64_t allocated = Used(FStatus.dwTotalPhys, FStatus.dwAvailPhys) +
                         Used(FStatus.dwTotalPageFile, FStatus.dwAvailPageFile);
    uint64_t free = 100 - std::min<uint32_t>(FStatus.dwMemoryLoad, 100);
    return Saturate(allocated / 100 * free);
}

void RegisterEMemoryUnit() { RegisterZarixClass<TMemoryElement>(); }
