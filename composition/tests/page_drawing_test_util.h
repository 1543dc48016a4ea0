// A desktop drawn into a raster: 0.2 x 0.15 m of page at 4000 pixels per metre, so page
// point (x, y) is pixel (4000 x, 600 - 4000 y).
#pragma once
#include <gtest/gtest.h>

#include <functional>

#include "../../kernel/tests/test_support.h"
#include "composition/composition.h"
#include "composition/page_interprets.h"
#include "composition/pages.h"
#include "composition/views.h"
#include "gravo/gravo.h"
#include "kernel/kernel.h"
#include "raster/raster.h"

namespace drawtest {

inline void RegisterAll() {
    static bool done = (RegisterKernelClasses(), RegisterPelvarClasses(), RegisterDeviceClasses(),
                        RegisterInterpretClasses(), RegisterSpaceClasses(), RegisterQuintelClasses(),
                        RegisterRasterClasses(), RegisterSymbolClasses(), RegisterGravoClasses(),
                        RegisterCompositionClasses(), true);
    (void)done;
}

inline int Px(double x) { return static_cast<int>(x * 4000 + 0.5); }
inline int Py(double y) { return 600 - static_cast<int>(y * 4000 + 0.5); }

class PageDrawing : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterAll();
        desktop->SetRect(0, 0, 0.2, 0.15);
        device->GetPage()->SetResolution(4000, 4000);
        device->SetPageSize(800, 600);
        device->GetProjection()->ChangeProjection(T2DPoint{0.1, 0.075}, device->GetPage(), 1.0);
    }
    void TearDown() override {
        Free(desktop);
        Free(device);
        DropQueue();
    }
    // A view over page (0.1, 0.05)-(0.19, 0.14), pixels 400..760 x 40..400, at 0.4 pixels
    // per model metre around the centre, its model a rectangle entity holding the content.
    TView* GridView(TElement* content, double cx, double cy) {
        TView* v = TView::New();
        v->SetRect(0.1, 0.05, 0.19, 0.14);
        TRectEntity* model = TRectEntity::New();
        model->AddElement(content);
        v->SetModel(model);
        v->SetScale(10000);
        v->SetModelCenterX(cx);
        v->SetModelCenterY(cy);
        return v;
    }
    // Draws the desktop afresh with the element on it, which is freed afterwards.
    void DrawWith(TElement* e) {
        desktop->AddElement(e);
        device->GetBitmap()->Fill(clWhite);
        DrawDesktop(desktop, device);
        desktop->FreeElement(e);
    }
    TColor At(int x, int y) { return device->GetBitmap()->Pixel(x, y); }
    // Whether a pixel of the box (right and bottom outside) passes the test.
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
    TDesktop* desktop = TDesktop::New();
    TBitmapDevice* device = TBitmapDevice::New();
};

}  // namespace drawtest
