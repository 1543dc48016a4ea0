#include "composition/page_interprets.h"

#include <cmath>
#include <cstdlib>

#include "composition/default_interpret_script.h"
#include "composition/key_map_interprets.h"
#include "composition/map_spaces.h"
#include "composition/modelfile.h"
#include "composition/pages.h"
#include "composition/text_blocks.h"
#include "composition/views.h"
#include "kernel/class_registry.h"
#include "kernel/element_holder.h"
#include "platform/forms.h"
#include "platform/host.h"
#include "platform/scope_exit.h"
#include "raster/raster.h"

namespace {

constexpr uint32_t kBeepError = 0x10;
constexpr double kMaxGridCells = 1000;
// Grid lines along one axis at most; steps below the coordinates' precision end there.
constexpr int kMaxGridLines = 1002;

bool IsExactly(TElement* e, const TClassInfo* cls) { return e && e->ClassType() == cls; }

TCanvasDevice* CanvasDeviceOf(TInterpret* interpret) { return As<TCanvasDevice>(interpret->GetDevice()); }

// What the view interpret changes on the device, kept to be put back.
class DeviceState {
public:
    explicit DeviceState(TDevice* device) {
        T_Page* page = device->GetPage();
        TPageProjection* pr = device->GetProjection();
        clipping_ = page->GetClipping();
        clip_ = page->GetClipRegion();
        second_ = page->GetSecondDrawing();
        angle_ = pr->GetAngle();
        region_.Assign(pr->GetPageRegion());
        centre_ = pr->GetCenter();
        scale_ = pr->GetScale();
        virtualScale_ = pr->GetVirtualScale();
        rotateX_ = pr->GetRotateCenter_X();
        rotateY_ = pr->GetRotateCenter_Y();
    }
    void Restore(TDevice* device) const {
        T_Page* page = device->GetPage();
        TPageProjection* pr = device->GetProjection();
        page->SetClipRegion(clip_);
        page->SetClipping(clipping_);
        page->SetSecondDrawing(second_);
        pr->SetAngle(angle_);
        pr->SetRotateCenter_X(rotateX_);
        pr->SetRotateCenter_Y(rotateY_);
        pr->ChangeProjection(centre_, page, scale_);
        pr->SetVirtualScale(virtualScale_);
        pr->SetPageRegion(region_);
    }

private:
    bool clipping_;
    TPixelRect clip_;
    bool second_;
    double angle_;
    TRectangle region_;
    T2DPoint centre_;
    double scale_;
    double virtualScale_;
    double rotateX_;
    double rotateY_;
};

// A walk of an interpret, closed also when it raises.
void RunClosed(TInterpret* interpret, TDevice* device) {
    interpret->Reset(device);
    try {
        interpret->DoIt();
    } catch (...) {
        // Closing writes to the device and can fail: on the normal path that failure is
        // the caller's, so it is no guard.
        interpret->Close();
        throw;
    }
    interpret->Close();
}

}  // namespace

void DrawDesktop(TDesktop* desktop, TDevice* device) {
    if (!desktop || !device || !device->GetProjection()) return;
    TPageProjection* pr = device->GetProjection();
    if (!pr->GetIsOK()) pr->ChangeProjectionByRect(desktop->Rect(), device->GetPage());
    TElementHolder<TDesktopInterpret> interpret(TDesktopInterpret::New());
    interpret->SetDevice(device);
    interpret->Input = desktop;
    RunClosed(interpret.Get(), device);
}

// ---- TDesktopInterpret -------------------------------------------------------------------

bool TDesktopInterpret::IsItsClass(TElement* element) { return As<TDesktop>(element) != nullptr; }

bool TDesktopInterpret::QGoInside(TElement* element) {
    return As<TEntity>(element) && !As<TView>(element) && !As<TText>(element);
}

bool TDesktopInterpret::QProcessBefore(TElement* element) {
    return As<TSelectedElement>(element) || As<TText>(element) || As<TDrawRectangle>(element) ||
           As<TGraphicFileElement>(element);
}

bool TDesktopInterpret::QProcessAfter(TElement*) { return false; }

void TDesktopInterpret::Process(TElement* element) {
    auto* desktop = As<TDesktop>(element);
    TDevice* device = GetDevice();
    if (!desktop || !device) {
        inherited::Process(element);
        return;
    }
    device->GetBrush()->SetColor(desktop->GetBrushColor());
    device->GetBrush()->SetStyle(desktop->GetBrushStyle());
    device->GetPen()->SetStyle(desktop->GetPenStyle());
    device->SetPenWidth(desktop->GetPenWidth());
    device->GetPen()->SetColor(desktop->GetPenColor());
    device->Rectangle(desktop->GetMinX(), desktop->GetMinY(), desktop->GetMaxX(), desktop->GetMaxY());
}

void TDesktopInterpret::SetSubInterprets() {
    SetNextInterpret(TSelectedElementInterpret::New());
    SetNextInterpret(TDrawRectInterpret::New());
    SetNextInterpret(TViewInterpret::New());
    SetNextInterpret(TTextInterpret::New());
    SetNextInterpret(TTextBlockInterpret::New());
    if (UseRasters) SetNextInterpret(TRasterInterpret::New());
    SetNextInterpret(TBMPFileInterpret::New());
}

void TDesktopInterpret::DoIt() {
    Application().ProcessMessages();
    inherited::DoIt();
}

// ---- TDrawRectInterpret ------------------------------------------------------------------

bool TDrawRectInterpret::IsItsClass(TElement* element) { return As<TDrawRectangle>(element) != nullptr; }

bool TDrawRectInterpret::QGoInside(TElement*) { return false; }

bool TDrawRectInterpret::QProcessBefore(TElement* element) { return IsItsClass(element); }

void TDrawRectInterpret::Process(TElement* element) {
    auto* r = As<TDrawRectangle>(element);
    TDevice* device = GetDevice();
    if (!r || !device) return;
    device->GetPen()->SetColor(r->GetPenColor());
    device->GetPen()->SetStyle(r->GetPenStyle());
    device->SetPenWidth(r->GetPenWidth());
    device->GetBrush()->SetColor(r->GetBrushColor());
    device->GetBrush()->SetStyle(r->GetBrushStyle());
    device->Rectangle(r->GetMinX(), r->GetMinY(), r->GetMaxX(), r->GetMaxY());
}

// ---- TViewInterpret ----------------------------------------------------------------------

void TViewInterpret::Publish(PropertyTable& t) {
    using C = TViewInterpret;
    t.Obj<C, TInterpretScript>("InterpretScript", &C::GetInterpretScript, &C::SetInterpretScript).Stored(false);
    t.Obj<C, TUniversalInterpret>("Interpret", &C::GetInterpret, nullptr);
}

bool TViewInterpret::IsItsClass(TElement* element) { return As<TView>(element) != nullptr; }

bool TViewInterpret::QGoInside(TElement* element) {
    return As<TEntity>(element) && !As<TView>(element) && !As<TText>(element);
}

bool TViewInterpret::QProcessBefore(TElement* element) { return IsItsClass(element); }

TUniversalInterpret* TViewInterpret::GetInterpret() {
    if (FUniversal && !IsLive(FUniversal)) FUniversal = nullptr;
    if (!FUniversal) {
        FUniversal = TUniversalInterpret::New();
        SetNextInterpret(FUniversal);
    }
    return FUniversal;
}

TInterpretScript* TViewInterpret::GetInterpretScript() {
    TUniversalInterpret* ui = GetInterpret();
    if (!ui->GetScript()) {
        if (TInterpretScript* script = NewDefaultInterpretScript()) ui->SetScript(script);
    }
    return ui->GetScript();
}

void TViewInterpret::SetInterpretScript(TInterpretScript* script) {
    if (As<TInterpretScript>(script)) GetInterpret()->SetScript(script);
}

void TViewInterpret::Process(TElement* element) {
    if (auto* view = As<TView>(element)) DrawView(view);
}

void TViewInterpret::DrawView(TView* view) {
    TDevice* device = GetDevice();
    if (!device || !device->GetPage() || !device->GetProjection()) return;
    T_Page* page = device->GetPage();
    TPageProjection* pr = device->GetProjection();

    device->GetBrush()->SetColor(clWhite);
    device->GetBrush()->SetStyle(bsSolid);
    device->SetPenWidth(0);
    device->GetPen()->SetStyle(psDot);
    device->GetPen()->SetColor(clSilver);

    TRectangle shown;
    shown.Assign(pr->GetPageRegion());
    if (shown.IsEmpty() || !view->Rect().IsOverlap(shown)) return;
    TRectangle part;
    part.SetRect(std::max(view->GetMinX(), shown.Min.X), std::max(view->GetMinY(), shown.Min.Y),
                 std::min(view->GetMaxX(), shown.Max.X), std::min(view->GetMaxY(), shown.Max.Y));

    // Everything from the clip on is undone however the drawing ends.
    const DeviceState saved(device);
    auto restore = MakeScopeExit([&] {
        if (IsLive(device)) saved.Restore(device);
    });
    TPixelRect partOnDevice = pr->GetPageRect(part);
    double centreX, centreY;
    pr->GetPagePointF((part.Min.X + part.Max.X) / 2, (part.Min.Y + part.Max.Y) / 2, centreX, centreY);
    double viewCentreX, viewCentreY;
    pr->GetPagePointF(view->GetCenterX(), view->GetCenterY(), viewCentreX, viewCentreY);
    page->SetClipRegion(pr->GetPageRect(view->Rect()));
    page->SetClipping(true);
    page->SetSecondDrawing(true);

    TUniversalInterpret* ui = GetInterpret();
    GetInterpretScript();
    ui->SetPrinting(GetPrinting());
    ui->Input = view->GetModel();
    ui->SetDevice(device);

    double s0 = pr->GetScale();
    TViewProjection* vp = view->GetProjection();
    view->SetModelCenterX(view->GetModelCenterX());
    view->SetModelCenterY(view->GetModelCenterY());
    if (vp->GetScale() <= 0 || s0 <= 0) return;

    double scale = vp->GetScale() * s0;
    pr->ChangeProjection(vp->GetCenter(), page, scale);
    if (ModelFileProfile() != TModelFileProfile::Tarvine) {  // the checking program does not turn views
        pr->SetAngle(vp->GetAngle());
        pr->SetRotateCenter_X(vp->GetRotateCenter_X());
        pr->SetRotateCenter_Y(vp->GetRotateCenter_Y());
    }
    pr->SetVirtualScale(vp->GetVirtualScale());

    // The view's centre is now shown at the middle of the active rectangle, which is the
    // view's rectangle cut to the page; measured from the view's own middle instead, so
    // that a view reaching over the page edge keeps its place.
    TPixelRect active = page->GetActiveRect();
    double shiftX = viewCentreX - (active.Left + active.Right) / 2.0;
    double shiftY = viewCentreY - (active.Top + active.Bottom) / 2.0;
    T2DPoint m = pr->GetModelPoint(centreX - shiftX, centreY - shiftY);
    page->SetClipRegion(partOnDevice);
    pr->ChangeProjection(m, page, scale);

    if (ui->Input) {
        ui->Reset(device);
        ui->DoIt();
    }
}

// ---- TTextInterpret ----------------------------------------------------------------------

bool TTextInterpret::IsItsClass(TElement* element) { return As<TText>(element) != nullptr; }

bool TTextInterpret::QGoInside(TElement*) { return false; }

bool TTextInterpret::QProcessBefore(TElement* element) { return IsItsClass(element); }

void TTextInterpret::Process(TElement* element) {
    auto* text = As<TText>(element);
    TDevice* device = GetDevice();
    if (!text || !device || !device->GetProjection()) return;
    if (CanvasDeviceOf(this) && text->GetTextHeight() != 0) {
        int h = device->GetProjection()->GetPageLengthVert1(text->GetTextHeight());
        if (std::abs(h) < 2) return;
        TFont* font = device->GetFont();
        font->SetHeight(-h);
        text->GetFont(*font);
        device->SetTextOrientation(text->GetOrientation());
    }
    device->TextOut(text->GetMinX(), text->GetMaxY(), text->GetText());
}

// ---- TTextBlockInterpret -----------------------------------------------------------------

bool TTextBlockInterpret::IsItsClass(TElement* element) { return As<TTextBlock>(element) != nullptr; }

bool TTextBlockInterpret::QGoInside(TElement*) { return false; }

bool TTextBlockInterpret::QProcessBefore(TElement* element) { return IsItsClass(element); }

void TTextBlockInterpret::Process(TElement* element) {
    auto* block = As<TTextBlock>(element);
    TDevice* device = GetDevice();
    if (!block || !device || !device->GetProjection() || block->GetLinesCount() < 1) return;
    double x = block->GetMinX(), y = block->GetMaxY();
    if (CanvasDeviceOf(this) && block->GetTextHeight() != 0) {
        TFont* font = device->GetFont();
        font->SetHeight(-device->GetProjection()->GetPageLengthVert1(block->GetTextHeight()));
        block->GetFont(*font);
        device->SetTextOrientation(0);
    }
    TPersistentStringList* lines = block->GetLines();
    for (int i = 0; i < lines->Count(); ++i) {
        if (block->GetMinY() > y) break;
        device->TextOut(x, y, (*lines)[i]);
        y -= block->GetLineHeight();
    }
}

// ---- TBMPFileInterpret -------------------------------------------------------------------

bool TBMPFileInterpret::IsItsClass(TElement* element) {
    return IsExactly(element, TGraphicFileElement::StaticClass()) || IsExactly(element, TBMPFileElement::StaticClass());
}

bool TBMPFileInterpret::QGoInside(TElement*) { return false; }

bool TBMPFileInterpret::QProcessBefore(TElement* element) { return IsItsClass(element); }

void TBMPFileInterpret::Process(TElement* element) {
    auto* file = As<TGraphicFileElement>(element);
    TDevice* device = GetDevice();
    if (!file || !device || !CanvasDeviceOf(this)) return;
    TRasterImage picture;
    try {
        LoadPictureFile(file->GetFileName(), picture);
    } catch (const Exception&) {
        MessageBeep(kBeepError);
        return;
    }
    Application().ProcessMessages();
    if (!IsLive(file) || !IsLive(device)) return;
    if (file->GetHeight() > 0 && file->GetWidth() > 0) {
        TRectangle r;
        r.SetRect(file->GetMinX(), file->GetMaxY() - file->GetHeight(), file->GetMinX() + file->GetWidth(),
                  file->GetMaxY());
        device->StretchDraw(r, picture);
    } else {
        device->Draw(file->GetMinX(), file->GetMaxY(), picture);
    }
}

// ---- TSMO_Interpret ----------------------------------------------------------------------

bool TSMO_Interpret::IsItsClass(TElement* element) { return As<TSMO_2>(element) != nullptr; }

bool TSMO_Interpret::QGoInside(TElement*) { return true; }

bool TSMO_Interpret::QProcessBefore(TElement* element) { return IsItsClass(element); }

bool TSMO_Interpret::CanUniGoInside(TElement*) { return false; }

void TSMO_Interpret::Process(TElement* element) {
    auto* sheet = As<TSMO_2>(element);
    TDevice* device = GetDevice();
    if (!sheet || !device || !device->GetProjection()) return;
    if (!sheet->IsOverRegion(GetMinX(), GetMinY(), GetMaxX(), GetMaxY())) return;
    struct Series {
        const TClassInfo* cls;
        TColor color;
        double labelBelow;
    };
    const Series series[] = {{TSMO_50::StaticClass(), 0x000000, 5000000},
                             {TSMO_25::StaticClass(), 0xFF0000, 2500000},
                             {TSMO_10::StaticClass(), 0x0000FF, 1000000},
                             {TSMO_5::StaticClass(), 0x008000, 500000},
                             {TSMO_2::StaticClass(), 0x000080, 200000}};
    const Series* s = nullptr;
    for (const Series& candidate : series)
        if (sheet->InheritsFrom(candidate.cls)) {
            s = &candidate;
            break;
        }
    if (!s) return;
    TPen* pen = device->GetPen();
    pen->SetColor(s->color);
    pen->SetWidth(1);
    pen->SetStyle(psSolid);
    pen->SetMode(pmCopy);
    device->GetBrush()->SetStyle(bsClear);
    device->Rectangle(sheet->GetMinX(), sheet->GetMinY(), sheet->GetMaxX(), sheet->GetMaxY());
    TPageProjection* pr = device->GetProjection();
    if (pr->GetScale() < s->labelBelow) {
        TFont* font = device->GetFont();
        font->SetName("Arial");
        font->SetHeight(pr->GetPageLengthVert1(sheet->GetHeight()) / 7);
        device->TextOut(sheet->GetMinX(), sheet->GetMaxY(), sheet->GetName());
    }
}

// ---- grids -------------------------------------------------------------------------------

void TCross::Publish(PropertyTable& t) {
    t.Field<TCross>("Width", &TCross::Width);
    t.Field<TCross>("Height", &TCross::Height);
    t.Float<TCross>("Step", nullptr, &TCross::SetStep);
    t.Field<TCross>("Color", &TCross::Color);
    t.Field<TCross>("Size", &TCross::Size);
    t.Field<TCross>("PenWidth", &TCross::PenWidth);
}

void TLines::Publish(PropertyTable& t) {
    t.Field<TLines>("Width", &TLines::Width);
    t.Field<TLines>("Height", &TLines::Height);
    t.Field<TLines>("Color", &TLines::Color);
    t.Field<TLines>("PenWidth", &TLines::PenWidth);
}

void TGridInterpret::TakeRegion() {
    TDevice* device = GetDevice();
    TRectangle r;
    if (device && device->GetProjection()) device->GetProjection()->GetModelRect(r);
    FMinX = r.Min.X;
    FMinY = r.Min.Y;
    FMaxX = r.Max.X;
    FMaxY = r.Max.Y;
}

void TGridInterpret::DoIt() {
    TakeRegion();
    inherited::DoIt();
}

void TGridInterpret::Reset(TDevice* device) {
    inherited::Reset(device);
    TakeRegion();
}

bool TGridInterpret::ValidSteps(TElement* element, double width, double height) {
    if (width > 0 && height > 0 && (FMaxX - FMinX) / width <= kMaxGridCells && (FMaxY - FMinY) / height <= kMaxGridCells)
        return true;
    ShowErrorMessage(Cz("Objekt ") + element->ClassName() + ":" + element->GetName() +
                     Cz(" má vzhledem k zobrazované ploše nevhodně nastavenou šířku či výšku"));
    return false;
}

bool TInterpretKrizku::IsItsClass(TElement* element) { return As<TCross>(element) != nullptr; }

bool TInterpretKrizku::QProcessBefore(TElement* element) { return IsExactly(element, TCross::StaticClass()); }

void TInterpretKrizku::Process(TElement* element) {
    auto* cross = As<TCross>(element);
    TDevice* device = GetDevice();
    if (!cross || !device) return;
    if (!ValidSteps(cross, cross->Width, cross->Height)) return;
    FHalf = cross->Size / 2;
    device->GetPen()->SetStyle(psSolid);
    device->GetPen()->SetColor(cross->Color);
    device->SetPenWidth(cross->PenWidth);
    double x0 = std::trunc(FMinX / cross->Width) * cross->Width;
    double y0 = std::trunc(FMinY / cross->Height) * cross->Height;
    for (int i = 0; i < kMaxGridLines; ++i) {
        double x = x0 + i * cross->Width;
        if (x > FMaxX) break;
        for (int j = 0; j < kMaxGridLines; ++j) {
            double y = y0 + j * cross->Height;
            if (y > FMaxY) break;
            device->MoveTo(x - FHalf, y);
            device->LineTo(x + FHalf, y);
            device->MoveTo(x, y - FHalf);
            device->LineTo(x, y + FHalf);
        }
    }
    Application().ProcessMessages();
}

bool TLinesInterpret::IsItsClass(TElement* element) { return As<TLines>(element) != nullptr; }

bool TLinesInterpret::QProcessBefore(TElement* element) { return IsExactly(element, TLines::StaticClass()); }

void TLinesInterpret::Process(TElement* element) {
    auto* lines = As<TLines>(element);
    TDevice* device = GetDevice();
    if (!lines || !device) return;
    if (!ValidSteps(lines, lines->Width, lines->Height)) return;
    device->GetPen()->SetStyle(psSolid);
    device->GetPen()->SetColor(lines->Color);
    device->SetPenWidth(lines->PenWidth);
    double x0 = std::trunc(FMinX / lines->Width) * lines->Width;
    double y0 = std::trunc(FMinY / lines->Height) * lines->Height;
    for (int i = 0; i < kMaxGridLines; ++i) {
        double x = x0 + i * lines->Width;
        if (x > FMaxX) break;
        device->MoveTo(x, FMinY);
        device->LineTo(x, FMaxY);
    }
    for (int j = 0; j < kMaxGridLines; ++j) {
        double y = y0 + j * lines->Height;
        if (y > FMaxY) break;
        device->MoveTo(FMinX, y);
        device->LineTo(FMaxX, y);
    }
    Application().ProcessMessages();
}

// ---- registration ------------------------------------------------------------------------

void RegisterPageInterpretsUnit() {
    RegisterZarixClass<TDesktopInterpret>();
    RegisterZarixClass<TViewInterpret>();
    RegisterZarixClass<TDrawRectInterpret>();
    RegisterZarixClass<TSMO_Interpret>();
    RegisterZarixClass<TCross>();
    RegisterZarixClass<TInterpretKrizku>();
    RegisterZarixClass<TLines>();
    RegisterZarixClass<TLinesInterpret>();
    RegisterZarixClass<TUniversalGravoScriptCreator>();
}
