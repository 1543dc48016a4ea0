#include "composition/key_map_interprets.h"

#include "composition/base_map_sheets.h"
#include "composition/key_map.h"
#include "gravo/gravo.h"
#include "kernel/class_registry.h"
#include "platform/forms.h"
#include "space/space.h"

namespace {

constexpr int32_t kPumpEvery = 500;
constexpr TColor kYellow = 0x00FFFF;

// One row of the series table: the class drawn, its switch, frame colour and the scale
// below which its sheets are labelled.
struct TSeriesStyle {
    bool shown;
    TColor frame;
    double labelBelow;
};

}  // namespace

// ---- TGuideInterpret -----------------------------------------------------------------------

void TGuideInterpret::Publish(PropertyTable& t) {
    using C = TGuideInterpret;
    t.Field("Show_50", &C::Show_50);
    t.Field("Show_25", &C::Show_25);
    t.Field("Show_10", &C::Show_10);
    t.Field("Show_5", &C::Show_5);
    t.Field("Show_2", &C::Show_2);
    t.Field("Show_U", &C::Show_U);
    t.Field("Show_ZM", &C::Show_ZM);
    t.Field("Show_Text", &C::Show_Text);
    t.Field("Fill_Page", &C::Fill_Page);
    t.Obj<C, TInterpret>("LineInterpret", &C::GetLineInterpret, nullptr).Stored(false);
}

TInterpret* TGuideInterpret::GetLineInterpret() {
    EnsureSubInterprets();
    return IsLive(FLineInterpret) ? FLineInterpret : nullptr;
}

void TGuideInterpret::SetSubInterprets() {
    FLineInterpret = TInterpretTopLinii::New();
    SetNextInterpret(FLineInterpret);
    SetNextInterpret(TSelectedElementInterpret::New());
    SetNextInterpret(TInterpretZM::New());
}

void TGuideInterpret::FreeSubInterprets() {
    inherited::FreeSubInterprets();
    FLineInterpret = nullptr;
}

bool TGuideInterpret::IsItsClass(TElement* element) {
    return element && (element->Is<TSMO_2>() || element->Is<TPolyLineElement>());
}

bool TGuideInterpret::QProcessBefore(TElement* element) {
    return element && (element->Is<TMapSpace>() || element->Is<TPolyLineElement>() ||
                       element->Is<TSelectedElement>() || element->Is<TMapsZM>());
}

bool TGuideInterpret::QGoInside(TElement* element) {
    return element && element->Is<TEntity>() && !element->Is<TAreaString>() && !element->Is<TZMSpace>();
}

bool TGuideInterpret::CanUniGoInside(TElement*) { return false; }

void TGuideInterpret::DoIt() {
    Application().ProcessMessages();
    inherited::DoIt();
}

void TGuideInterpret::GoInside(TElement* element) {
    auto* entity = As<TEntity>(element);
    if (NotInside || !entity) return;
    ++Level;
    uint64_t serial = entity->Serial();
    for (int32_t i = 0; i < entity->ElementsCount(); ++i) {
        if (GetBreak()) break;
        TElement* child = entity->Get(i);
        if (!child) continue;
        uint64_t before = DestroyedCount();
        Visit(child);
        // Messages let through while drawing may have freed what is being walked.
        if (DestroyedCount() != before && !IsLive(entity, serial)) break;
    }
    --Level;
}

bool TGuideInterpret::IsFinest(TMapSpace* space) {
    const TClassInfo* cls = space->ClassType();
    if (Show_ZM) return cls == TZMSpace::StaticClass();
    if (Show_U) return cls == TUserMapSpace::StaticClass();
    if (Show_2) return cls == TGuidePage_2::StaticClass();
    if (Show_5) return cls == TGuidePage_5::StaticClass();
    if (Show_10) return cls == TGuidePage_10::StaticClass();
    if (Show_25) return cls == TGuidePage_25::StaticClass();
    if (Show_50) return cls == TGuidePage_50::StaticClass();
    return false;
}

void TGuideInterpret::DrawZMSpace(TZMSpace* space) {
    TDevice* d = GetDevice();
    TMapsZM* zm = space->GetZM();
    d->GetPen()->SetColor(zm->GetColor());
    if (!Fill_Page) {
        d->Rectangle(space->Rect());
        return;
    }
    const TCorners& c = zm->Corners(zm->GetScale());
    d->Polygon(std::vector<T2DPoint>{c[0], c[1], c[3], c[2]});
}

void TGuideInterpret::Process(TElement* element) {
    if (++FCounter > kPumpEvery) {
        FCounter = 0;
        uint64_t serial = element->Serial();
        Application().ProcessMessages();
        if (!IsLive(element, serial)) return;
    }
    if (element->Is<TPolyLineElement>() || element->Is<TSelectedElement>()) {
        inherited::Process(element);
        return;
    }
    if (element->Is<TMapsZM>()) {
        if (Show_ZM) inherited::Process(element);
        return;
    }
    TDevice* d = GetDevice();
    auto* space = As<TMapSpace>(element);
    if (!d || !space || !d->GetProjection() || !IsOverRegion(element)) return;

    const TClassInfo* cls = space->ClassType();
    TSeriesStyle style{false, 0, 0};
    if (cls == TGuidePage_50::StaticClass()) style = {Show_50, 0x000000, 5000000};
    else if (cls == TGuidePage_25::StaticClass()) style = {Show_25, 0x808080, 2500000};
    else if (cls == TGuidePage_10::StaticClass()) style = {Show_10, 0x0000FF, 1000000};
    else if (cls == TGuidePage_5::StaticClass()) style = {Show_5, 0x008000, 500000};
    else if (cls == TGuidePage_2::StaticClass()) style = {Show_2, 0x000080, 200000};
    else if (space->Is<TUserMapSpace>()) style = {Show_U, 0xFF0000, 1000000};
    else if (cls == TZMSpace::StaticClass()) style = {Show_ZM, 0, 0};
    if (!style.shown) return;

    double s = d->GetProjection()->GetScale();
    TPen* pen = d->GetPen();
    pen->SetColor(style.frame);
    pen->SetWidth(1);
    pen->SetStyle(psSolid);
    pen->SetMode(pmCopy);
    TBrush* brush = d->GetBrush();
    if (Fill_Page) {
        brush->SetStyle(bsSolid);
        brush->SetColor(space->GetSelected() && IsFinest(space) ? kYellow : clWhite);
    } else {
        brush->SetStyle(bsClear);
    }
    if (auto* zms = As<TZMSpace>(space)) {
        // No label: a base-map sheet is named by its frame interpret.
        DrawZMSpace(zms);
        return;
    }
    d->Rectangle(space->Rect());
    if (Show_Text && s < style.labelBelow) {
        TFont* font = d->GetFont();
        font->SetName("Arial");
        font->SetColor(clBlack);
        font->SetHeight(d->GetProjection()->GetPageLengthVert1(space->GetHeight()) / 10);
        brush->SetStyle(bsClear);
        d->TextOut(space->GetMinX(), space->GetMaxY(), space->GetName());
    }
}

// ---- TSelectedElementInterpret -------------------------------------------------------------

bool TSelectedElementInterpret::IsItsClass(TElement* element) {
    return element && element->Is<TSelectedElement>();
}

bool TSelectedElementInterpret::QProcessBefore(TElement* element) { return IsItsClass(element); }

void TSelectedElementInterpret::Process(TElement* element) {
    TDevice* d = GetDevice();
    auto* marker = As<TSelectedElement>(element);
    if (!d || !marker || !d->GetProjection()) return;
    TPen* pen = d->GetPen();
    pen->SetWidth(1);
    pen->SetStyle(psSolid);
    pen->SetMode(pmCopy);
    pen->SetColor(0x808080);
    d->GetBrush()->SetStyle(bsSolid);
    d->GetBrush()->SetColor(clBlack);
    TPixelRect r = d->GetProjection()->GetPageRect(marker->Rect());
    int w = r.Right - r.Left, h = r.Bottom - r.Top;
    const TPixelPoint points[8] = {{r.Left, r.Top},          {r.Right, r.Top},           {r.Left, r.Bottom},
                                   {r.Right, r.Bottom},      {r.Left + w / 2, r.Top},    {r.Left + w / 2, r.Bottom},
                                   {r.Left, r.Top + h / 2},  {r.Right, r.Top + h / 2}};
    for (const TPixelPoint& p : points) d->RectangleDevice(p.X - 5, p.Y - 5, p.X + 5, p.Y + 5);
}

void RegisterKeyMapInterpretsUnit() { RegisterZarixClass<TGuideInterpret>(); }
