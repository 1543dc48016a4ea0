#include "workbench/interactive_tools.h"

#include "kernel/class_registry.h"
#include "platform/forms.h"
#include "platform/sysutils.h"
#include "workbench/form_tool_manager.h"

// ---- TInteractiveTool --------------------------------------------------------------------

TFormToolManager* TInteractiveTool::GetManager() const { return IsLive(FManager) ? FManager : nullptr; }

void TInteractiveTool::SetManager(TFormToolManager* manager) { FManager = manager; }

TInterpret* TInteractiveTool::GetInterpret() const {
    if (!FInterpret || !IsLive(FInterpret)) return nullptr;
    return const_cast<TInteractiveTool*>(this)->IndexOf(FInterpret) >= 0 ? FInterpret : nullptr;
}

bool TInteractiveTool::InterpretBusy() const {
    TInterpret* i = GetInterpret();
    return i && i->GetBusy();
}

void TInteractiveTool::PostMouseEvent(int32_t msg, TElement* receiver, bool wasActive, int32_t y, int32_t x,
                                      TShiftState shift, TMouseButton button) {
    TZarixMouseEvent::Create(msg, this, receiver, shift, button, x, y, wasActive)->Post();
}

void TInteractiveTool::PostKeyEvent(int32_t msg, TElement* receiver, TShiftState shift, uint16_t key) {
    TZarixKeyEvent::Create(msg, this, receiver, shift, key)->Post();
}

void TInteractiveTool::SetInterpret(TInterpret* interpret) {
    if (!interpret || interpret == GetInterpret()) return;
    if (TInterpret* old = GetInterpret()) {
        try {
            interpret->SetDevice(old->GetDevice());
        } catch (const Exception&) {
        }
        try {
            interpret->SetInput(old->Input);
        } catch (const Exception&) {
        }
        FInterpret = nullptr;
        FreeElement(old);
    } else {
        try {
            interpret->SetDevice(GetDevice());
        } catch (const Exception&) {
        }
        try {
            interpret->SetInput(Input);
        } catch (const Exception&) {
        }
    }
    FInterpret = interpret;
    if (IndexOf(interpret) < 0) AddElement(interpret);
}

void TInteractiveTool::KeyDown(TZarixMessage*&, bool&) {}
void TInteractiveTool::MouseDown(TZarixMessage*&, bool&) {}
void TInteractiveTool::MouseUp(TZarixMessage*&, bool&) {}
void TInteractiveTool::MouseMove(TZarixMessage*&, bool&) {}
void TInteractiveTool::StartDrag(TZarixMessage*&, bool&) {}
void TInteractiveTool::DragOver(TZarixMessage*&, bool&) {}
void TInteractiveTool::DragDrop(TZarixMessage*&, bool&) {}
void TInteractiveTool::EndDrag(TZarixMessage*&, bool&) {}

void TInteractiveTool::ReView(TZarixMessage*& message, bool& handled) {
    TInterpret* i = GetInterpret();
    if (!Input || !i) return;
    if (message && message->Data) i->On_tm_ReViewByElement(message, handled);
    else i->On_tm_ReView(message, handled);
}

void TInteractiveTool::ResizeView(TZarixMessage*&, bool&) {}

void TInteractiveTool::BreakDrawing(TZarixMessage*&, bool& handled) {
    try {
        if (TInterpret* i = GetInterpret(); i && i->GetBusy()) i->SetBreak(true);
        handled = true;
    } catch (const Exception&) {
    }
}

// A request while the interpret draws breaks the drawing and marks both the interpret and
// the tool, so that the tool's done handler draws once more.
void TInteractiveTool::RequestReView(TZarixMessage*& message, bool& handled) {
    TElement* receiver = message ? message->Receiver : this;
    TElement* data = message ? message->Data : nullptr;
    bool kill = message && message->KillData;
    try {
        if (TInterpret* i = GetInterpret(); i && i->GetBusy()) {
            i->Status.Include(st_BREAK_AND_DOIT);
            Status.Include(st_BREAK_AND_DOIT);
        } else {
            // The data goes with the new message: this one must not free it.
            if (message) message->KillData = false;
            PostMsg(tm_ReView, receiver, data, kill);
        }
    } catch (const Exception&) {
        if (message) message->KillData = false;
        PostMsg(tm_ReView, receiver, data, kill);
    }
    handled = true;
}

void TInteractiveTool::SetInput(TElement* element) {
    inherited::SetInput(element);
    if (TInterpret* i = GetInterpret()) {
        try {
            i->SetInput(element);
        } catch (const Exception&) {
        }
    }
}

void TInteractiveTool::HandleMessage(TZarixMessage*& message, bool& handled) {
    handled = false;
    inherited::HandleMessage(message, handled);
    if (handled || !message) return;
    switch (message->Message) {
        case tm_BreakDrawing: BreakDrawing(message, handled); break;
        case tm_ReView: ReView(message, handled); break;
        case tm_RequestReView: RequestReView(message, handled); break;
        case tm_ResizeView: ResizeView(message, handled); break;
        case tm_WindowKeyDown: KeyDown(message, handled); break;
        case tm_WindowMouseDown: MouseDown(message, handled); break;
        case tm_WindowMouseUp: MouseUp(message, handled); break;
        case tm_WindowMouseMove: MouseMove(message, handled); break;
        case tm_WindowStartDrag: StartDrag(message, handled); break;
        case tm_WindowDragOver: DragOver(message, handled); break;
        case tm_WindowDragDrop: DragDrop(message, handled); break;
        case tm_WindowEndDrag: EndDrag(message, handled); break;
        default: break;
    }
}

// ---- TViewer -----------------------------------------------------------------------------

void TViewer::Create() {
    inherited::Create();
    SetName(Cz("Prohlížeč"));
}

void TViewer::KeyDown(TZarixMessage*& message, bool& handled) {
    auto* key = As<TZarixKeyEvent>(message);
    if (!key) return;
    switch (key->Key) {
        case VK_ESCAPE:
            PostMsgToOwners(tm_BreakDrawing, nullptr, false);
            handled = true;
            break;
        case VK_F5:
            if (GetDeviceScale() > 0) SetDeviceScale(GetDeviceScale() / 2);
            PostMsgToOwners(tm_RequestReView, nullptr, false);
            handled = true;
            break;
        case VK_F6:
            if (GetDeviceScale() > 0) SetDeviceScale(GetDeviceScale() * 2);
            PostMsgToOwners(tm_RequestReView, nullptr, false);
            handled = true;
            break;
        default: break;
    }
}

void DrawRubberBand(TDevice* d, const TPixelRect& r) {
    TBrushStyle brush = d->GetBrush()->Style();
    d->GetBrush()->SetStyle(bsClear);
    d->RectangleDevice(r.Left, r.Top, r.Right, r.Bottom);
    d->GetBrush()->SetStyle(brush);
}

void XorPen(TDevice* d, TColor color, int width) {
    TPen* pen = d->GetPen();
    pen->SetMode(pmXor);
    pen->SetColor(color);
    pen->SetStyle(psSolid);
    pen->SetWidth(width);
}

void CopyPen(TDevice* d) {
    d->GetPen()->SetMode(pmCopy);
    d->GetPen()->SetColor(clBlack);
    d->GetPen()->SetWidth(1);
}

void TViewer::DrawBand() {
    if (TDevice* d = GetDevice()) DrawRubberBand(d, FBand);
}

void TViewer::MouseDown(TZarixMessage*& message, bool& handled) {
    auto* mouse = As<TZarixMouseEvent>(message);
    if (!mouse) return;
    TMouseButton button = mouse->Button;
    TPixelPoint at{mouse->X, mouse->Y};
    Application().ProcessMessages();
    if (!IsLive(this)) return;
    PostMsgToOwners(tm_BreakDrawing, nullptr, false);
    if (button == mbLeft) {
        if (TDevice* d = GetDevice()) XorPen(d, 32768, 3);
        FBand = TPixelRect{at.X, at.Y, at.X, at.Y};
        FDragging = true;
        DrawBand();
    }
    handled = true;
}

void TViewer::MouseMove(TZarixMessage*& message, bool&) {
    auto* mouse = As<TZarixMouseEvent>(message);
    if (!mouse || !FDragging || !mouse->WasActive || !(mouse->Shift & ssLeft)) return;
    DrawBand();
    FBand.Right = mouse->X;
    FBand.Bottom = mouse->Y;
    DrawBand();
}

void TViewer::MouseUp(TZarixMessage*& message, bool& handled) {
    auto* mouse = As<TZarixMouseEvent>(message);
    if (!mouse || mouse->Button != mbLeft) return;
    TDevice* d = GetDevice();
    auto endBand = [&] {
        if (!FDragging) return;
        DrawBand();
        FDragging = false;
        if (d) CopyPen(d);
    };
    if (!mouse->WasActive) {
        // The click that only activated the window: the band goes, nothing zooms.
        endBand();
        return;
    }
    endBand();
    TPageProjection* p = d ? d->GetProjection() : nullptr;
    if (p) {
        if (FBand.Right - FBand.Left > 2 || FBand.Bottom - FBand.Top > 2) {
            TRectangle r;
            p->GetModelRect(FBand, r);
            p->ChangeProjectionByRect(r, nullptr);
        } else {
            p->ChangeProjection(p->GetModelPoint(mouse->X, mouse->Y), nullptr, 0);
        }
    }
    PostMsgToOwners(tm_RequestReView, nullptr, false);
    handled = true;
}

void RegisterInteractiveToolsUnit() {
    RegisterZarixClass<TInteractiveTool>();
    RegisterZarixClass<TViewer>();
}
