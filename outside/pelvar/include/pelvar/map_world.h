// The world of the map programs and its coordinate systems.
#pragma once
#include <cstdint>
#include <map>

#include "kernel/world.h"

// A coordinate system: converts a point in place.
class TWCS : public TOwnerElement {
    ZARIX_CLASS(TWCS, TOwnerElement)

public:
    // The identity.
    virtual void Convert(double& x, double& y);
};

// System 1: the national grid's sheet numbering to model coordinates. Both axes are
// mirrored (x := -x, y := -y), so sizes and axis directions of sheets are kept.
class TWCSNegated : public TWCS {
    ZARIX_CLASS(TWCSNegated, TWCS)

public:
    void Convert(double& x, double& y) override;
};

// The world's class in the map programs.
class TWCSWorld : public TWorld {
    ZARIX_CLASS(TWCSWorld, TWorld)

public:
    void Destroy() override;
    // The coordinate system of the number, owned by the world; nil for an unknown number.
    TWCS* GetIDWCS(int32_t id);

private:
    std::map<int32_t, TWCS*> FSystems;
};

// The coordinate system of the number in the world when it is a TWCSWorld; nil otherwise.
TWCS* WorldWCS(int32_t id);
