// Shared set-up of the sheet-system tests: the registered classes and a world whose
// coordinate system 1 mirrors both axes.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "composition/composition.h"
#include "composition/map_spaces.h"
#include "device/device.h"
#include "interpret/interpret.h"
#include "kernel/kernel.h"
#include "pelvar/map_world.h"
#include "platform/host.h"

namespace sheets {

class SheetsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        RegisterCompositionClasses();
    }
    void SetUp() override {
        SetUserHost(&host);
        ClearHostLog();
        world = TWCSWorld::New();
        World = world;
    }
    void TearDown() override {
        Free(world);
        World = nullptr;
        SetUserHost(nullptr);
    }
    ScriptedHost host;
    TWCSWorld* world = nullptr;
};

inline TRectEntity* Rect(double minX, double minY, double maxX, double maxY) {
    TRectEntity* r = TRectEntity::New();
    r->SetRect(minX, minY, maxX, maxY);
    return r;
}

}  // namespace sheets
