// Shared set-up of the workbench tests: every class registered, a device of a given paper
// size.
#pragma once
#include "device/device.h"
#include "interpret/interpret.h"
#include "kernel/kernel.h"
#include "pelvar/pelvar.h"
#include "workbench/workbench.h"

namespace wbtest {

inline void RegisterAll() {
    static bool done = [] {
        RegisterKernelClasses();
        RegisterPelvarClasses();
        RegisterDeviceClasses();
        RegisterInterpretClasses();
        RegisterWorkbenchClasses();
        return true;
    }();
    (void)done;
}

// A bitmap device whose page measures width x height metres (1000 pixels a metre).
inline TBitmapDevice* PaperDevice(double width, double height) {
    TBitmapDevice* d = TBitmapDevice::New();
    d->GetPage()->SetResolution(1000, 1000);
    d->SetPageSize(static_cast<int>(width * 1000 + 0.5), static_cast<int>(height * 1000 + 0.5));
    return d;
}

}  // namespace wbtest
