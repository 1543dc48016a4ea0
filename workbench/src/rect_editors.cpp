#include "workbench/rect_editors.h"

#include <cmath>
#include <cstdlib>

#include "composition/pages.h"
#include "kernel/class_registry.h"
#include "platform/forms.h"
#include "platform/host.h"
#include "platform/sysutils.h"
#include "workbench/form_tool_manager.h"
#include "workbench/text_dialogs.h"

namespace {
constexpr uint16_t kDelete = 46;
constexpr TColor kPureGreen = 0x00FF00;
}  // namespace

// ---- TDrawRectTool -------------------------------------------------------------------------

void TDrawRectTool::Publish(PropertyTable& t) {
    using C = TDrawRectTool;
    t.Field("Drawn", &C::Drawn).Stored(false);
}

void TDrawRectTool::Create() {
    inherited::Create();
    SetName(Cz("Kreslítko obdélníčku"));
}

TPageProjection* TDrawRectTool::Projection() const {
    TDevice* d = GetDevice();
    return d ? d->GetProjection() : nullptr;
}

void TDrawRectTool::ModelRect(const TPixelRect& r, TRectangle& m) const {
    if (TPageProjection* p = Projection()) {
        T2DPoint a = p->GetModelPoint(r.Left, r.Top);
        T2DPoint b = p->GetModelPoint(r.Right, r.Bottom);
        m.SetRect(std::min(a.X, b.X), std::min(a.Y, b.Y), std::max(a.X, b.X), std::max(a.Y, b.Y));
    }
}

void TDrawRectTool::DrawBand() {
    if (TDevice* d = GetDevice()) DrawRubberBand(d, FBand);
}

void TDrawRectTool::BeginBand(const TPixelRect& r) {
    FBand = r;
    FBanding = true;
    if (TDevice* d = GetDevice()) XorPen(d, kPureGreen, 1);
    DrawBand();
}

void TDrawRectTool::EndBand() {
    if (!FBanding) return;
    DrawBand();
    FBanding = false;
    if (TDevice* d = GetDevice()) CopyPen(d);
}

void TDrawRectTool::EraseFollowMarker() {
    if (!Drawn) return;
    EraseMarker(FMarker.X, FMarker.Y);
    Drawn = false;
}

void TDrawRectTool::MoveMarker(int x, int y) {
    TPageProjection* p = Projection();
    if (!p) return;
    EraseFollowMarker();
    FMarker = p->GetModelPoint(x, y);
    DrawMarker(FMarker.X, FMarker.Y);
    Drawn = true;
}

void TDrawRectTool::KeyDown(TZarixMessage*& message, bool&) {
    auto* key = As<TZarixKeyEvent>(message);
    if (!key || key->Key != VK_ESCAPE) return;
    EndBand();
    PostMsgToOwners(tm_BreakDrawing, nullptr, false);
}

void TDrawRectTool::MouseDown(TZarixMessage*& message, bool& handled) {
    auto* mouse = As<TZarixMouseEvent>(message);
    if (!mouse) return;
    handled = true;
    EraseFollowMarker();
    if (mouse->Button == mbLeft) {
        EndBand();
        BeginBand(TPixelRect{mouse->X, mouse->Y, mouse->X, mouse->Y});
    }
}

void TDrawRectTool::MouseMove(TZarixMessage*& message, bool&) {
    auto* mouse = As<TZarixMouseEvent>(message);
    if (!mouse || !mouse->WasActive) return;
    MoveMarker(mouse->X, mouse->Y);
    if (FBanding && (mouse->Shift & ssLeft)) {
        DrawBand();
        FBand.Right = mouse->X;
        FBand.Bottom = mouse->Y;
        DrawBand();
    }
}

void TDrawRectTool::MouseUp(TZarixMessage*& message, bool& handled) {
    auto* mouse = As<TZarixMouseEvent>(message);
    if (!mouse || mouse->Button != mbLeft) return;
    if (!mouse->WasActive) {
        EndBand();  // the click that only activated the window
        return;
    }
    handled = true;
    EraseFollowMarker();
    if (!FBanding) return;
    EndBand();
    TPageProjection* p = Projection();
    if (!p) return;
    if (FBand.Right - FBand.Left > 2 || FBand.Bottom - FBand.Top > 2) {
        TRectangle r;
        ModelRect(FBand, r);
        RectDrawn(r.Min.X, r.Min.Y, r.Max.X, r.Max.Y);
    } else {
        T2DPoint m = p->GetModelPoint(FBand.Left, FBand.Bottom);
        PointClicked(m.X, m.Y);
    }
}

// ---- TSelectRectEntityByPoint ----------------------------------------------------------------

bool TSelectRectEntityByPoint::QGoInside(TElement* element) { return As<TRectEntity>(element) != nullptr; }

bool TSelectRectEntityByPoint::QProcessBefore(TElement* element) {
    if (!As<TRectEntity>(element) || As<TSelectedElement>(element)) return false;
    return !OnlyClass || element->InheritsFrom(OnlyClass);
}

void TSelectRectEntityByPoint::Process(TElement* element) {
    auto* r = As<TRectEntity>(element);
    if (r && r->PointIsInside(X, Y)) Output = element;
}

void TSelectRectEntityByPoint::DoIt() {
    Output = nullptr;
    inherited::DoIt();
}

// ---- TRectEntityEditor ---------------------------------------------------------------------

void TRectEntityEditor::Publish(PropertyTable& t) {
    using C = TRectEntityEditor;
    t.Field("Modified", &C::Modified);
}

void TRectEntityEditor::Create() {
    inherited::Create();
    SetName(Cz("Eitor mapového listu"));
}

void TRectEntityEditor::Destroy() {
    Select(nullptr);
    inherited::Destroy();
}

int32_t TRectEntityEditor::GetImageCursor() {
    TFormToolManager* m = GetManager();
    return m ? m->GetImageCursor() : 0;
}

void TRectEntityEditor::SetImageCursor(int32_t cursor) {
    if (TFormToolManager* m = GetManager()) m->SetImageCursor(cursor);
}

TSelectedElement* TRectEntityEditor::GetMarker() const {
    if (FMarkerElement && !IsLive(FMarkerElement, FMarkerSerial))
        const_cast<TRectEntityEditor*>(this)->FMarkerElement = nullptr;
    return FMarkerElement;
}

TRectEntity* TRectEntityEditor::GetSelected() const {
    TSelectedElement* marker = GetMarker();
    return marker ? As<TRectEntity>(marker->GetSelected()) : nullptr;
}

void TRectEntityEditor::Select(TElement* element) {
    // The input may be gone already (a window freeing its key map before its tools).
    TEntity* holder = Input && IsLive(Input) ? As<TEntity>(Input) : nullptr;
    if (TSelectedElement* old = GetMarker()) {
        FMarkerElement = nullptr;
        if (holder && holder->IndexOf(old) >= 0)
            holder->FreeElement(old);
        else if (old->GetOwnersCount() == 0)
            Free(old);
    }
    if (!element || !holder) return;
    TSelectedElement* marker = TSelectedElement::New();
    marker->SetSelected(element);
    holder->AddElement(marker);
    FMarkerElement = marker;
    FMarkerSerial = marker->Serial();
}

TRectEntity* TRectEntityEditor::ElementAt(double x, double y) {
    if (!Input) return nullptr;
    if (FRecursor && (!IsLive(FRecursor) || IndexOf(FRecursor) < 0)) FRecursor = nullptr;
    if (!FRecursor) {
        FRecursor = TSelectRectEntityByPoint::New();
        AddElement(FRecursor);
    }
    FRecursor->X = x;
    FRecursor->Y = y;
    FRecursor->OnlyClass = SelectClass();
    FRecursor->SetInput(Input);
    FRecursor->DoIt();
    return As<TRectEntity>(FRecursor->Output);
}

int32_t TRectEntityEditor::HitTest(const TPixelRect& r, int x, int y) {
    const int g = GripSize;
    const int L = r.Left, T = r.Top, R = r.Right, B = r.Bottom;
    if (!(x > L - g && x < R + g && y > T - g && y < B + g)) return 0;
    const int cx = L + (R - L) / 2, cy = T + (B - T) / 2;
    auto vertical = [&](int nearTop, int nearBottom, int middle) {
        if (y < T + g) return nearTop;
        if (y > B - g) return nearBottom;
        return std::abs(y - cy) < g ? middle : 0;
    };
    int code = 0;
    if (x < L + g) code = vertical(5, 9, 1);
    else if (x > R - g) code = vertical(6, 10, 2);
    else if (std::abs(x - cx) < g) code = y < T + g ? 4 : (y > B - g ? 8 : 0);
    if (code) return code;
    return x > L && x < R && y > T && y < B ? edMove : 0;
}

void TRectEntityEditor::KeepAspect() {
    const double r = FRatio;
    if (r < 0.0001) return;
    TPixelRect& b = FBand;
    int w = b.Right - b.Left, h = b.Bottom - b.Top;
    const int dw = w - (FSaved.Right - FSaved.Left), dh = h - (FSaved.Bottom - FSaved.Top);
    if (std::abs(dh) < std::abs(dw)) h = static_cast<int>(Round(std::fabs(w / r)));
    else w = static_cast<int>(Round(std::fabs(r * h)));
    const int m = FMode;
    if (m == edMove) {
        b.Right = b.Left + w;
        b.Bottom = b.Top + h;
    } else if (m & (edLeft | edRight)) {
        if (m & edLeft) b.Left = b.Right - w;
        else b.Right = b.Left + w;
        if (m & edTop) b.Top = b.Bottom - h;
        else b.Bottom = b.Top + h;
    } else if (m & (edTop | edBottom)) {
        if (m & edTop) b.Top = b.Bottom - h;
        else b.Bottom = b.Top + h;
        if (m & edLeft) b.Left = b.Right - w;
        else b.Right = b.Left + w;
    }
}

void TRectEntityEditor::RedrawAfterDialog() {
    for (int i = 0; i < 31 && IsLive(this); ++i) Application().ProcessMessages();
    if (IsLive(this)) PostMsgToOwners(tm_ReView, nullptr, false);
}

void TRectEntityEditor::EditSelected() {
    auto* text = As<TText>(GetSelected());
    if (!text) return;
    TText* copy = TText::New();
    copy->Assign(text);
    TEditTextDialog dialog;
    dialog.SetElement(copy);
    if (dialog.ShowModal() == mrOk) CopyBackTextFromRectEditor(dialog.Element(), text);
    RedrawAfterDialog();
}

TEntity* TRectEntityEditor::HolderOf(TRectEntity*) { return As<TEntity>(Input); }

void TRectEntityEditor::KeyDown(TZarixMessage*& message, bool&) {
    auto* key = As<TZarixKeyEvent>(message);
    TRectEntity* selected = GetSelected();
    if (!key || key->Key != kDelete || !selected || selected == Input) return;
    TEntity* holder = HolderOf(selected);
    if (!holder || selected == holder) return;
    const int32_t i = holder->IndexOf(selected);
    if (i < 0) return;  // only elements of the holder are deleted
    Select(nullptr);
    TElement* next = nullptr;
    if (i == 0 && holder->ElementsCount() > 1) next = holder->Get(1);
    else if (i > 0) next = holder->Get(i - 1);
    holder->FreeElement(selected);
    if (next) Select(next);
    Modified = true;
    PostMsgToOwners(tm_ReView, nullptr, false);
}

void TRectEntityEditor::MouseDown(TZarixMessage*& message, bool& handled) {
    auto* mouse = As<TZarixMouseEvent>(message);
    if (!mouse) return;
    handled = true;
    EraseFollowMarker();
    TPageProjection* p = Projection();
    if (mouse->Button != mbLeft || !p) return;
    EndBand();
    TRectEntity* selected = GetSelected();
    const int32_t code = selected ? HitTest(p->GetPageRect(selected->Rect()), mouse->X, mouse->Y) : 0;
    FMode = code;
    if (code == 0 || code == edMove) {
        T2DPoint m = p->GetModelPoint(mouse->X, mouse->Y);
        TRectEntity* hit = ElementAt(m.X, m.Y);
        if (!hit) {
            Select(nullptr);
            return;
        }
        if (hit != selected) {
            Select(hit);
            FMode = 0;
        }
        selected = hit;
    }
    BeginBand(p->GetPageRect(selected->Rect()));
    FLast = TPixelPoint{mouse->X, mouse->Y};
}

void TRectEntityEditor::MouseMove(TZarixMessage*& message, bool& handled) {
    auto* mouse = As<TZarixMouseEvent>(message);
    if (!mouse || !mouse->WasActive) return;
    TRectEntity* selected = GetSelected();
    TPageProjection* p = Projection();
    if (!selected || As<TDesktop>(selected) || !p) return;
    if ((mouse->Shift & ssLeft) && FBanding) {
        const int dx = mouse->X - FLast.X, dy = mouse->Y - FLast.Y;
        FLast = TPixelPoint{mouse->X, mouse->Y};
        FSaved = FBand;
        DrawBand();
        if (FMode & edLeft) FBand.Left += dx;
        if (FMode & edRight) FBand.Right += dx;
        if (FMode & edTop) FBand.Top += dy;
        if (FMode & edBottom) FBand.Bottom += dy;
        if (FAspect) KeepAspect();
        DrawBand();
        Modified = true;
        PostMsgToOwners(tm_RectDragged, nullptr, false);
        handled = true;
        return;
    }
    if (mouse->Shift & (ssLeft | ssRight | ssMiddle)) return;
    const int32_t code = HitTest(p->GetPageRect(selected->Rect()), mouse->X, mouse->Y);
    int32_t cursor;
    switch (code) {
        case 5:
        case 10: cursor = crSizeNWSE; break;
        case 6:
        case 9: cursor = crSizeNESW; break;
        case 4:
        case 8: cursor = crSizeNS; break;
        case 1:
        case 2: cursor = crSizeWE; break;
        default: {
            T2DPoint m = p->GetModelPoint(mouse->X, mouse->Y);
            TRectEntity* top = ElementAt(m.X, m.Y);
            if (code == edMove) cursor = top && top != selected ? GetCursorIndex() : crHandPoint;
            else cursor = top ? GetCursorIndex() : NoSelectionCursor();
        }
    }
    if (cursor != GetImageCursor()) SetImageCursor(cursor);
}

void TRectEntityEditor::MouseUp(TZarixMessage*& message, bool& handled) {
    auto* mouse = As<TZarixMouseEvent>(message);
    if (!mouse) return;
    TRectEntity* selected = GetSelected();
    if (!selected) {
        EndBand();
        PostMsgToOwners(tm_ReView, nullptr, false);
        return;
    }
    if (mouse->Button != mbLeft || !mouse->WasActive || !FBanding) return;
    handled = true;
    EndBand();
    // A grip dragged across the opposite edge turns the rectangle over.
    TRectangle r;
    ModelRect(FBand, r);
    selected->SetRect(r.Min.X, r.Min.Y, r.Max.X, r.Max.Y);
    Select(selected);
    PostMsgToOwners(tm_ReView, nullptr, false);
}

void RegisterRectEditorsUnit() {
    RegisterZarixClass<TDrawRectTool>();
    RegisterZarixClass<TRectEntityEditor>();
    RegisterZarixClass<TSelectRectEntityByPoint>();
}
