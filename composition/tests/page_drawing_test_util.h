// A desktop drawn into a raster: 0.2 x 0.15 m of page at 4000 pixels per metre, so page
// point (x, y) is pixel (4000 x, 600 - 4000 y).
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "../../kernel/tests/test_support.h"
#include "composition/composition.h"
#include "composition/page_interprets.h"
#include "composition/pages.h"
#include "composition/views.h"
#include "device/device.h"
#include "interpret/interpret.h"
#include "gravo/gravo.h"
#include "kernel/kernel.h"
#include "pelvar/pelvar.h"
#include "quintel/quintel.h"
#include "raster/raster.h"
#include "space/space.h"

namespace drawtest {

inline void RegisterAll() {
    static bool done = [] {
        RegisterKernelClasses();
        RegisterPelvarClasses();
        RegisterDeviceClasses();
        RegisterInterpretClasses();
        RegisterSpaceClasses();
        RegisterQuintelClasses();
        RegisterRasterClasses();
        RegisterSymbolClasses();
        RegisterGravoClasses();
        RegisterCompositionClasses();
        return true;
    }();
    (void)done;
}

constexpr double kPixelsPerMetre = 4000;

inline int Px(double x) { return static_cast<int>(x * kPixelsPerMetre + 0.5); }
inline int Py(double y) { return 600 - static_cast<int>(y * kPixelsPerMetre + 0.5); }

class PageDrawing : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterAll();
        desktop = TDesktop::New();
        desktop->SetRect(0, 0, 0.2, 0.15);
        desktop->SetPenColor(clBlack);
        device = TBitmapDevice::New();
        device->GetPage()->SetResolution(kPixelsPerMetre, kPixelsPerMetre);
        device->SetPageSize(800, 600);
        device->GetProjection()->ChangeProjection(T2DPoint{0.1, 0.075}, device->GetPage(), 1.0);
    }
    void TearDown() override {
        Free(desktop);
        Free(device);
        DropQueue();
    }
    // A view over page (x0, y0)-(x1, y1) showing the model around (cx, cy) at the scale.
    TView* AddView(double x0, double y0, double x1, double y1, double cx, double cy, double scale) {
        TView* v = TView::New();
        v->SetRect(x0, y0, x1, y1);
        desktop->AddElement(v);
        v->SetScale(scale);
        v->SetModelCenterX(cx);
        v->SetModelCenterY(cy);
        return v;
    }
    void Draw() { DrawDesktop(desktop, device); }
    TColor At(int x, int y) { return device->GetBitmap()->Pixel(x, y); }
    // Whether any pixel of the pixel box (right and bottom outside) has the colour.
    bool AnyIn(int l, int t, int r, int b, const std::function<bool(TColor)>& test) {
        for (int y = t; y < b; ++y)
            for (int x = l; x < r; ++x)
                if (test(At(x, y))) return true;
        return false;
    }
    bool AnyNotWhite(int l, int t, int r, int b) {
        return AnyIn(l, t, r, b, [](TColor c) { return c != clWhite; });
    }

    InstalledHost host;
    TDesktop* desktop = nullptr;
    TBitmapDevice* device = nullptr;
};

}  // namespace drawtest
