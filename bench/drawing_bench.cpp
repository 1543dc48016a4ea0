// Drawing about 100,000 features of the sample data (its layers read 94 times) into a
// raster: through the map-data interprets of the default script, through a desktop with
// one view, and with the bundled symbols, beside the same primitives (plain area fills
// with outlines, polylines, crosses) drawn by raw Cairo calls in one loop.
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cmath>
#include <string>
#include <vector>

#include "composition/composition.h"
#include "composition/default_interpret_script.h"
#include "composition/page_interprets.h"
#include "composition/pages.h"
#include "composition/views.h"
#include "gravo/gravo.h"
#include "kernel/kernel.h"
#include "quintel/quintel.h"
#include "raster/raster.h"
#include "yesk/yesk.h"

namespace {

const std::string kData = SAMPLE_DATA_DIR;
const std::string kService = SAMPLE_SERVICE_DIR;
constexpr int kCopies = 94;
constexpr int kWidth = 1200;
constexpr int kHeight = 1000;

struct TSample {
    TRectEntity* model = nullptr;
    int64_t features = 0;
};

// The model: every sample layer read kCopies times, one string per layer and read.
TSample& Sample() {
    static TSample s = [] {
        RegisterCompositionClasses();
        UseRasters = false;
        TSample r;
        r.model = TRectEntity::New();
        TModelScript* script = TModelScript::New();
        for (const char* layer : {"zeme", "okoli", "hranice", "cesty", "mista"}) {
            std::string name = layer;
            for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            script->AddLayerOrParameter(name, "ostravsko.gpkg|" + std::string(layer));
        }
        script->FillWildNames(kData);
        for (int i = 0; i < kCopies; ++i) {
            TModelByScriptCreator* creator = TModelByScriptCreator::New();
            creator->SetInput(script);
            creator->DoIt();
            auto* part = As<TRectEntity>(creator->Output);
            while (part && part->ElementsCount() > 0) {
                auto* string = As<TEntity>(part->Get(0));
                part->RemoveElement(string);
                r.features += string->ElementsCount();
                r.model->AddAndUpdateRect(string);
            }
            Free(part);
            Free(creator);
        }
        Free(script);
        return r;
    }();
    return s;
}

// A raster device showing the whole sample region.
TBitmapDevice* NewDevice() {
    TBitmapDevice* d = TBitmapDevice::New();
    d->SetPageSize(kWidth, kHeight);
    d->GetProjection()->ChangeProjectionByRect(Sample().model->Rect(), d->GetPage());
    d->Clear();
    return d;
}

void DrawThroughInterprets(benchmark::State& state, const std::string& library) {
    TSample& s = Sample();
    PathOfLibraries = library;
    TBitmapDevice* d = NewDevice();
    TUniversalInterpret* ui = TUniversalInterpret::New();
    ui->SetScript(NewDefaultInterpretScript());
    ui->SetDevice(d);
    ui->SetInput(s.model);
    for (auto _ : state) {
        d->Clear();
        ui->Reset(d);
        ui->DoIt();
        d->GetCanvas()->Flush();
    }
    Free(ui);
    Free(d);
    PathOfLibraries.clear();
    state.counters["features"] = static_cast<double>(s.features);
}

void BM_MapDataInterprets(benchmark::State& state) { DrawThroughInterprets(state, ""); }
void BM_MapDataInterpretsWithSampleSymbols(benchmark::State& state) { DrawThroughInterprets(state, kService); }

// A desktop the size of the page with one view over the whole of it showing the model.
void BM_DesktopWithOneView(benchmark::State& state) {
    TSample& s = Sample();
    TBitmapDevice* d = TBitmapDevice::New();
    d->SetPageSize(kWidth, kHeight);
    double w = d->GetRealWidth(), h = d->GetRealHeight();
    d->GetProjection()->ChangeProjection(T2DPoint{w / 2, h / 2}, d->GetPage(), 1.0);
    TDesktop* desktop = TDesktop::New();
    desktop->SetRect(0, 0, w, h);
    TView* view = TView::New();
    view->SetRect(0, 0, w, h);
    desktop->AddElement(view);
    view->SetModel(s.model);
    const TRectangle& r = s.model->Rect();
    view->SetScale(std::max(r.GetWidth() / w, r.GetHeight() / h));
    view->SetModelCenterX(r.GetCenter().X);
    view->SetModelCenterY(r.GetCenter().Y);
    for (auto _ : state) {
        d->Clear();
        DrawDesktop(desktop, d);
        d->GetCanvas()->Flush();
    }
    view->RemoveElement(s.model);
    Free(desktop);
    Free(d);
    state.counters["features"] = static_cast<double>(s.features);
}

// The same primitives with Cairo alone: areas of 3 pixels and more filled white inside a
// black outline, polylines and crosses one pixel wide, from model coordinates each time.
void BM_RawCairo(benchmark::State& state) {
    TSample& s = Sample();
    const TRectangle& r = s.model->Rect();
    double f = std::min(kWidth / r.GetWidth(), kHeight / r.GetHeight());
    double cx = r.GetCenter().X, cy = r.GetCenter().Y;
    auto px = [&](double x) { return std::lround(kWidth / 2.0 + (x - cx) * f) + 0.5; };
    auto py = [&](double y) { return std::lround(kHeight / 2.0 - (y - cy) * f) + 0.5; };
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kWidth, kHeight);
    cairo_t* cr = cairo_create(surface);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_set_line_width(cr, 1);
    auto path = [&](TPolyElement* e, bool close) {
        for (int32_t part = 0; part < e->PartCount(); ++part) {
            int32_t i = e->Parts()[static_cast<size_t>(part)];
            cairo_move_to(cr, px(e->X(i)), py(e->Y(i)));
            for (++i; i < e->PartEnd(part); ++i) cairo_line_to(cr, px(e->X(i)), py(e->Y(i)));
            if (close) cairo_close_path(cr);
        }
    };
    for (auto _ : state) {
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_paint(cr);
        for (int32_t i = 0; i < s.model->ElementsCount(); ++i) {
            auto* string = As<TEntity>(s.model->Get(i));
            for (int32_t j = 0; j < string->ElementsCount(); ++j) {
                TElement* e = string->Get(j);
                if (auto* a = As<TAreaElement>(e)) {
                    if (a->GetLargestExtent() * f < 3) continue;
                    path(a, true);
                    cairo_set_source_rgb(cr, 1, 1, 1);
                    cairo_fill(cr);
                    path(a, true);
                    cairo_set_source_rgb(cr, 0, 0, 0);
                    cairo_stroke(cr);
                } else if (auto* l = As<TPolyLineElement>(e)) {
                    path(l, false);
                    cairo_set_source_rgb(cr, 0, 0, 0);
                    cairo_stroke(cr);
                } else if (auto* p = As<TPointElement>(e)) {
                    double x = px(p->GetX()), y = py(p->GetY());
                    cairo_set_source_rgb(cr, 0, 0, 0);
                    cairo_move_to(cr, x - 2, y);
                    cairo_line_to(cr, x + 2, y);
                    cairo_stroke(cr);
                    cairo_move_to(cr, x, y - 2);
                    cairo_line_to(cr, x, y + 2);
                    cairo_stroke(cr);
                }
            }
        }
        cairo_surface_flush(surface);
    }
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    state.counters["features"] = static_cast<double>(s.features);
}

BENCHMARK(BM_RawCairo)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MapDataInterprets)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DesktopWithOneView)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MapDataInterpretsWithSampleSymbols)->Unit(benchmark::kMillisecond);

}  // namespace
