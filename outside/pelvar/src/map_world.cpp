#include "pelvar/map_world.h"

void TWCS::Convert(double&, double&) {}

void TWCSNegated::Convert(double& x, double& y) {
    x = -x;
    y = -y;
}

void TWCSWorld::Destroy() {
    for (auto& [id, cs] : FSystems) Free(cs);
    FSystems.clear();
    inherited::Destroy();
}

TWCS* TWCSWorld::GetIDWCS(int32_t id) {
    auto it = FSystems.find(id);
    if (it != FSystems.end()) return it->second;
    TWCS* cs = nullptr;
    if (id == 1) cs = TWCSNegated::New();
    if (cs) FSystems[id] = cs;
    return cs;
}

TWCS* WorldWCS(int32_t id) {
    auto* w = As<TWCSWorld>(World);
    return w ? w->GetIDWCS(id) : nullptr;
}
