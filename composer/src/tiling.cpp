#include "composer/tiling.h"

#include <cmath>
#include <memory>

#include "composition/pages.h"
#include "composition/views.h"
#include "kernel/class_registry.h"
#include "kernel/messages.h"
#include "platform/host.h"
#include "platform/sysutils.h"
#include "quintel/quintel.h"
#include "workbench/desktop_template_text.h"
#include "kernel/element_holder.h"

namespace {

// The most tiles or pages one tool makes; more would take memory without bound.
constexpr double kMaxPieces = 4096;

// Whole pieces of size step that cover length: the integer part, plus one for a fraction.
// The count is checked by FitsPieces before it is converted.
double Pieces(double length, double step) { return std::ceil(length / step); }

// Whether nx x ny pieces are a count the tools make: finite and at most kMaxPieces.
bool FitsPieces(double nx, double ny) {
    return std::isfinite(nx) && std::isfinite(ny) && nx >= 0 && ny >= 0 && nx * ny <= kMaxPieces;
}

bool AllFinite(std::initializer_list<double> values) {
    for (double v : values)
        if (!std::isfinite(v)) return false;
    return true;
}

// Reports a refused size or count to the tool's owners as a failure.
void Refuse(TElement* tool, const std::string& text) {
    tool->PostTextMsgToOwners(tm_TextNote, text);
    NoteErrorShown();
}

std::string TooMany(const char* prefix, double nx, double ny) {
    std::string count = std::isfinite(nx * ny) ? FloatToStr(nx * ny) : std::string("?");
    return std::string(prefix) + " - too many pieces: " + count + " (at most " + FloatToStr(kMaxPieces) + ")";
}

TRectEntity* LiveRect(TRectEntity* r) { return r && IsLive(r) ? r : nullptr; }

// The view shows its model without its script; the model rectangle goes to the space.
void ReferOnly(TView* view, TRectEntity* space) {
    if (auto* script = view->FindElementClass(TModelScript::StaticClass())) view->FreeElement(script);
    view->SetReadModel(true);
    TRectangle r;
    view->GetProjection()->GetModelRect(r);
    space->SetRect(r.Min.X, r.Min.Y, r.Max.X, r.Max.Y);
}

// The model size the view shows.
void ModelSize(TView* view, double& w, double& h) {
    TRectangle r;
    view->GetProjection()->GetModelRect(r);
    w = r.GetWidth();
    h = r.GetHeight();
}

}  // namespace

// ---- TTileTemplate --------------------------------------------------------------------------

void TTileTemplate::Publish(PropertyTable& t) {
    using C = TTileTemplate;
    t.Field("TileX", &C::TileX);
    t.Field("TileY", &C::TileY);
    t.Field("dX", &C::dX);
    t.Field("dy", &C::dy);
    t.Field("Margin", &C::Margin);
    t.Field("Frame", &C::Frame);
    t.Field("FrameColor", &C::FrameColor);
    t.Field("FrameWidth", &C::FrameWidth);
    t.Field("ReferSpace", &C::ReferSpace);
}

void TTileTemplate::DoIt() {
    auto* desktop = As<TDesktop>(Input);
    if (!desktop) return;
    SetOutput(desktop);
    TView* source = As<TView>(desktop->FindElementClass(TView::StaticClass()));
    if (!source) return;
    if (!AllFinite({TileX, TileY}) || TileX <= 0 || TileY <= 0) {
        Refuse(this, "Tile - TileX and TileY must be above 0");
        return;
    }
    if (!AllFinite({dX, dy, Margin, source->GetWidth(), source->GetHeight()})) {
        Refuse(this, "Tile - dX, dy, Margin and the view's size must be numbers");
        return;
    }
    const double columns = Pieces(source->GetWidth(), TileX), rows = Pieces(source->GetHeight(), TileY);
    if (!FitsPieces(columns, rows)) {
        Refuse(this, TooMany("Tile", columns, rows));
        return;
    }
    const int32_t nx = static_cast<int32_t>(columns), ny = static_cast<int32_t>(rows);
    source->SetWidth(nx * TileX);
    source->SetHeight(ny * TileY);
    if (TRectEntity* refer = LiveRect(ReferSpace)) {
        ReferOnly(source, refer);
        return;
    }
    source->SetReadModel(true);
    TRectangle r;
    source->GetProjection()->GetModelRect(r);
    desktop->SetWidth(nx * TileX + (nx - 1) * dX + 2 * Margin);
    desktop->SetHeight(ny * TileY + (ny - 1) * dy + 2 * Margin);
    double mw = 0, mh = 0;
    for (int32_t i = 0; i < nx; ++i) {
        for (int32_t j = 0; j < ny; ++j) {
            TView* tile = TView::New();
            desktop->AddElement(tile);
            tile->SetName("V-" + std::to_string(i) + "-" + std::to_string(j));
            tile->SetRect(0, 0, TileX, TileY);
            tile->SetScale(source->GetScale());
            tile->SetModel(source->GetModel());
            tile->SetRefX((TileX + dX) * i + Margin);
            tile->SetRefY((TileY + dy) * j + Margin);
            if (i == 0 && j == 0) ModelSize(tile, mw, mh);
            tile->SetModelCenterX(r.Min.X + mw / 2 + mw * i);
            tile->SetModelCenterY(r.Min.Y + mh / 2 + mh * j);
            tile->SetPenColor(FrameColor);
            tile->SetPenWidth(FrameWidth);
            tile->SetPenStyle(Frame ? psSolid : psClear);
        }
    }
    desktop->FreeElement(source);
}

// ---- TMultiDesktopTool ----------------------------------------------------------------------

void TMultiDesktopTool::Publish(PropertyTable& t) {
    using C = TMultiDesktopTool;
    t.Field("TemplateFile", &C::TemplateFile);
    t.Field("SourceViewName", &C::SourceViewName);
    t.Field("PageViewName", &C::PageViewName);
}

TDesktop* TMultiDesktopTool::GetTemplatePage() {
    if (FTemplatePage && (!IsLive(FTemplatePage) || IndexOf(FTemplatePage) < 0)) FTemplatePage = nullptr;
    return FTemplatePage;
}

void TMultiDesktopTool::SetTemplatePage(TDesktop* page) {
    GetTemplatePage();
    ExchangeFieldElement(FTemplatePage, page);
}

TView* TMultiDesktopTool::GetPageView() {
    TDesktop* page = GetTemplatePage();
    return page ? FindView(page, PageViewName) : nullptr;
}

TDesktop* TMultiDesktopTool::LoadTemplate(double dx, double dy) {
    auto generator = Hold(TMSTemplateGenerator::New());
    generator->SetTemplatePath(TemplateFile);
    generator->DeltaX = dx;
    generator->DeltaY = dy;
    generator->DoIt();
    return As<TDesktop>(generator->Output);
}

// ---- TMultiPageDesktopCreator ---------------------------------------------------------------

void TMultiPageDesktopCreator::Publish(PropertyTable& t) {
    using C = TMultiPageDesktopCreator;
    t.Field("NumberTextName", &C::NumberTextName);
    t.Field("LeftNumberTextName", &C::LeftNumberTextName);
    t.Field("RightNumberTextName", &C::RightNumberTextName);
    t.Field("TopNumberTextName", &C::TopNumberTextName);
    t.Field("BottomNumberTextName", &C::BottomNumberTextName);
    t.Field("NoNumberText", &C::NoNumberText);
    t.Field("Overlap", &C::Overlap);
    t.Field("Space", &C::Space);
    t.Field("ReferSpace", &C::ReferSpace);
}

void TMultiPageDesktopCreator::DoIt() {
    SetOutput(nullptr);
    auto* desktop = As<TDesktop>(Input);
    if (!desktop) {
        Refuse(this, "Multipage - Input is not Desktop!");
        return;
    }
    TView* source = FindView(desktop, SourceViewName);
    if (!source) {
        Refuse(this, "Multipage - SourceView not found!: " + SourceViewName);
        return;
    }
    SetTemplatePage(LoadTemplate(0, 0));
    TDesktop* page = GetTemplatePage();
    if (!page) {
        Refuse(this, "Multipage - Cannot create template: " + TemplateFile);
        return;
    }
    TView* pageView = GetPageView();
    if (!pageView) {
        Refuse(this, "Multipage - Template View not found: " + PageViewName);
        return;
    }
    double w = page->GetWidth(), h = page->GetHeight();
    double pw = pageView->GetWidth() - Overlap, ph = pageView->GetHeight() - Overlap;
    if (!AllFinite({w, h, pw, ph, Space, source->GetWidth(), source->GetHeight()})) {
        Refuse(this, "Multipage - Overlap, Space and the sizes of the views must be numbers");
        return;
    }
    if (pw <= 0 || ph <= 0) {
        Refuse(this, "Multipage - Overlap is not smaller than the template view: " + PageViewName);
        return;
    }
    const double columns = Pieces(source->GetWidth() + Overlap, pw), rows = Pieces(source->GetHeight() + Overlap, ph);
    if (!FitsPieces(columns, rows)) {
        Refuse(this, TooMany("Multipage", columns, rows));
        return;
    }
    const int32_t nx = static_cast<int32_t>(columns), ny = static_cast<int32_t>(rows);
    source->SetWidth(nx * pw + Overlap);
    source->SetHeight(ny * ph + Overlap);
    if (TRectEntity* refer = LiveRect(ReferSpace)) {
        ReferOnly(source, refer);
        return;
    }
    source->SetReadModel(true);
    TRectangle r;
    source->GetProjection()->GetModelRect(r);
    auto pages = Hold(TMultiPageDesktop::New());
    pages->NumberTextName = NumberTextName;
    pages->LeftNumberTextName = LeftNumberTextName;
    pages->RightNumberTextName = RightNumberTextName;
    pages->TopNumberTextName = TopNumberTextName;
    pages->BottomNumberTextName = BottomNumberTextName;
    pages->NoNumberText = NoNumberText;
    pages->Overlap = Overlap;
    SetTemplatePage(nullptr);

    double mw = 0, mh = 0;
    bool first = true;
    for (int32_t row = ny - 1; row >= 0; --row) {
        for (int32_t i = 0; i < nx; ++i) {
            auto sheet = Hold(LoadTemplate(Space + (w + Space) * i, Space + (h + Space) * row));
            if (!sheet) {
                Refuse(this, "Multipage - Cannot create template: " + TemplateFile);
                return;
            }
            sheet->SetName("PAGE");
            TView* view = FindView(sheet.Get(), PageViewName);
            if (!view) {
                Refuse(this, "Multipage - Template View not found: " + PageViewName);
                return;
            }
            view->SetScale(source->GetScale());
            view->SetModel(source->GetModel());
            if (first) {
                ModelSize(view, mw, mh);
                pages->RealOverlap = source->GetScale() * Overlap;
                first = false;
            }
            view->SetModelCenterX(r.Min.X + mw / 2 + (mw - pages->RealOverlap) * i);
            view->SetModelCenterY(r.Min.Y + mh / 2 + (mh - pages->RealOverlap) * row);
            pages->AddElement(sheet.Release());
        }
    }
    pages->GetRect()->Clear();
    for (int32_t i = 0; i < pages->ElementsCount(); ++i)
        if (auto* p = As<TRectEntity>(pages->Get(i))) pages->UpdateRect(p->Rect());
    pages->SetMaxX(pages->GetMaxX() + Space);
    pages->SetMaxY(pages->GetMaxY() + Space);
    pages->SetFillNumbers(true);
    SetOutput(pages.Release());
}

// ---- TMultiPageDesktopPreview ---------------------------------------------------------------

void TMultiPageDesktopPreview::Publish(PropertyTable& t) {
    using C = TMultiPageDesktopPreview;
    t.Field("PenColor", &C::PenColor);
    t.Field("PenStyle", &C::PenStyle);
    t.Field("PenWidth", &C::PenWidth);
    t.Field("BrushColor", &C::BrushColor);
    t.Field("BrushStyle", &C::BrushStyle);
}

void TMultiPageDesktopPreview::DoIt() {
    SetOutput(nullptr);
    auto* pages = As<TMultiPageDesktop>(Input);
    if (!pages) {
        Refuse(this, "Multipage PreView - Input not found or is not TMultipageDesktop!");
        return;
    }
    SetTemplatePage(LoadTemplate(0, 0));
    TDesktop* preview = GetTemplatePage();
    SetOutput(preview);
    TView* view = preview ? FindView(preview, SourceViewName) : nullptr;
    if (!view) {
        Refuse(this, "Multipage PreView - SourceView not found!: " + SourceViewName);
        return;
    }
    TRectEntity* model = TRectEntity::New();
    model->SetName("MODELVIEW");
    view->SetModel(model);
    double h = pages->RealOverlap / 2;
    for (int32_t n = 0; n < pages->PageCount(); ++n) {
        TDesktop* page = pages->GetPage(n);
        pages->SetActualPage(page);
        TView* pageView = page ? FindView(page, PageViewName) : nullptr;
        if (!pageView) continue;
        if (n == 0 && pageView->GetModel()) model->AddAndUpdateRect(pageView->GetModel());
        TDrawRectangle* outline = TDrawRectangle::New();
        outline->SetName(std::to_string(pages->GetActualNumber()));
        outline->SetRect(pageView->GetModelMinX() + (pages->GetActualLeftNumber() > 0 ? h : 0),
                         pageView->GetModelMinY() + (pages->GetActualBottomNumber() > 0 ? h : 0),
                         pageView->GetModelMaxX() - (pages->GetActualRightNumber() > 0 ? h : 0),
                         pageView->GetModelMaxY() - (pages->GetActualTopNumber() > 0 ? h : 0));
        outline->SetPenColor(PenColor);
        outline->SetPenStyle(static_cast<TPenStyle>(PenStyle));
        outline->SetPenWidth(PenWidth);
        outline->SetBrushColor(BrushColor);
        outline->SetBrushStyle(static_cast<TBrushStyle>(BrushStyle));
        view->AddToModel(outline);
    }
    view->GetProjection()->FitToRect(model->Rect());
}

void RegisterTilingUnit() {
    RegisterZarixClass<TTileTemplate>();
    RegisterZarixClass<TMultiDesktopTool>();
    RegisterZarixClass<TMultiPageDesktopCreator>();
    RegisterZarixClass<TMultiPageDesktopPreview>();
}
