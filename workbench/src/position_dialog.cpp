#include "workbench/position_dialog.h"

#include <cmath>

#include "kernel/string_routines.h"
#include "platform/host.h"
#include "platform/sysutils.h"
#include "workbench/length_units.h"

const char* const TF_rectedForm::kEdits[kFields] = {"edX",    "edY",    "edWidth", "edHeight", "edXmin",
                                                    "edXmax", "edYmin", "edYmax",  "edDX",     "edDY"};

void TF_rectedForm::Publish(PropertyTable& t) {
    using C = TF_rectedForm;
    t.Float("X", &C::GetX, &C::SetX);
    t.Float("Y", &C::GetY, &C::SetY);
    t.Float("RectWidth", &C::GetRectWidth, &C::SetRectWidth);
    t.Float("RectHeight", &C::GetRectHeight, &C::SetRectHeight);
    t.Float("Xmin", &C::GetXmin, &C::SetXmin);
    t.Float("Xmax", &C::GetXmax, &C::SetXmax);
    t.Float("Ymin", &C::GetYmin, &C::SetYmin);
    t.Float("Ymax", &C::GetYmax, &C::SetYmax);
    t.Float<C>("dX", nullptr, &C::SetdX);
    t.Float<C>("dY", nullptr, &C::SetdY);
}

TF_rectedForm::TF_rectedForm() : TForm("TF_rectedForm") {
    Caption = Cz("Poloha objektu");
    Width = 260;
    Height = 300;
    Add(TControlKind::Edit, "ed_Name");
    for (int i = 0; i < kFields; ++i) {
        TControl& e = Add(TControlKind::Edit, kEdits[i]);
        Field f = static_cast<Field>(i);
        e.OnExit = [this, f](TControl&) { LeaveEdit(f); };
    }
    TControl& units = Add(TControlKind::ComboBox, "cbUnits");
    units.Items = {"[m]", "[cm]", "[mm]"};
    units.ItemIndex = 2;
    units.Text = "[mm]";
    units.OnChange = [this](TControl& c) { SetUnit(c.Text); };
    Add(TControlKind::Button, "b_Apply", Cz("Použít")).OnClick = [this](TControl& c) {
        c.Focus();  // the field being edited is left first
        Use();
    };
    TControl& undo = Add(TControlKind::Button, "b_Undo", Cz("Vrátit"));
    undo.Visible = false;
    undo.OnClick = [this](TControl& c) {
        c.Focus();
        Undo();
    };
    Add(TControlKind::Button, "b_Close", Cz("Zavřít")).OnClick = [this](TControl&) { Close(); };
    OnClose = [this](TForm&) {
        if (ToolDestroying) return;
        PostToTool(tm_HideRectForm);
        PostToTool(tm_Redraw);  // the map behind the hidden dialog
    };
    OnResize = [this](TForm&) { Resized(); };
    OnDragDrop = [this](TForm&, TControl*) { PostToTool(tm_Redraw); };
    OnMouseUp = [this](TForm&) { PostToTool(tm_Redraw); };
    FTimer.Interval = 10;
    FTimer.OnTimer = [this] { Tick(); };
    OnShow = [this](TForm&) {
        FLastLeft = Left;
        FLastTop = Top;
        FTimer.SetEnabled(true);
    };
    for (int i = 0; i < kFields; ++i) Put(static_cast<Field>(i), 0);
}

void TF_rectedForm::Put(Field f, double v) {
    FValue[f] = v;
    FShown[f] = DoubleToStr(v * FFactor, 15, FDecimals);
    (*this)[kEdits[f]].Text = FShown[f];
}

void TF_rectedForm::BoundChanged() {
    if (FUpdates == 0)
        (*this)["b_Undo"].Visible = false;
    else
        --FUpdates;
}

void TF_rectedForm::SetXmin(double v) {
    BoundChanged();
    Put(kXmin, v);
    Put(kX, v);
    Put(kWidth, std::fabs(FValue[kXmax] - FValue[kXmin]));
}
void TF_rectedForm::SetXmax(double v) {
    BoundChanged();
    Put(kXmax, v);
    Put(kWidth, std::fabs(FValue[kXmax] - FValue[kXmin]));
}
void TF_rectedForm::SetYmin(double v) {
    BoundChanged();
    Put(kYmin, v);
    Put(kY, v);
    Put(kHeight, std::fabs(FValue[kYmax] - FValue[kYmin]));
}
void TF_rectedForm::SetYmax(double v) {
    BoundChanged();
    Put(kYmax, v);
    Put(kHeight, std::fabs(FValue[kYmax] - FValue[kYmin]));
}
void TF_rectedForm::SetX(double v) {
    Put(kX, v);
    Put(kXmin, v);
    Put(kXmax, v + FValue[kWidth]);
}
void TF_rectedForm::SetY(double v) {
    Put(kY, v);
    Put(kYmin, v);
    Put(kYmax, v + FValue[kHeight]);
}
void TF_rectedForm::SetRectWidth(double v) {
    Put(kWidth, v);
    Put(kXmax, FValue[kXmin] + v);
}
void TF_rectedForm::SetRectHeight(double v) {
    Put(kHeight, v);
    Put(kYmax, FValue[kYmin] + v);
}
void TF_rectedForm::SetdX(double v) {
    Put(kDX, v);
    SetX(FValue[kX] + v);
}
void TF_rectedForm::SetdY(double v) {
    Put(kDY, v);
    SetY(FValue[kY] + v);
}

void TF_rectedForm::Apply(Field f, double v) {
    switch (f) {
    case kX: SetX(v); break;
    case kY: SetY(v); break;
    case kWidth: SetRectWidth(v); break;
    case kHeight: SetRectHeight(v); break;
    case kXmin: SetXmin(v); break;
    case kXmax: SetXmax(v); break;
    case kYmin: SetYmin(v); break;
    case kYmax: SetYmax(v); break;
    case kDX: SetdX(v); break;
    case kDY: SetdY(v); break;
    default: break;
    }
}

void TF_rectedForm::LeaveEdit(Field f) {
    TControl& e = (*this)[kEdits[f]];
    double v = 0;
    if (e.Text == FShown[f]) {
        Apply(f, FValue[f]);  // untouched: the exact value, not the rounded display
    } else if (ParseNumber(e.Text, v)) {
        Apply(f, v / FFactor);
    } else {
        e.Text = FShown[f];  // a stray letter restores the field
    }
}

void TF_rectedForm::SetUnit(const std::string& item) {
    if (item == "[m]") {
        FFactor = 1;
        FDecimals = 3;
    } else if (item == "[cm]") {
        FFactor = 100;
        FDecimals = 2;
    } else {
        FFactor = 1000;
        FDecimals = 2;
    }
    TControl& units = (*this)["cbUnits"];
    if (units.Text != item) {
        units.Text = item;
        for (size_t i = 0; i < units.Items.size(); ++i)
            if (units.Items[i] == item) units.ItemIndex = static_cast<int>(i);
    }
    double xmin = FValue[kXmin], xmax = FValue[kXmax], ymin = FValue[kYmin], ymax = FValue[kYmax];
    SetXmin(xmin);
    SetXmax(xmax);
    SetYmin(ymin);
    SetYmax(ymax);
    for (int i = 0; i < kFields; ++i) Put(static_cast<Field>(i), FValue[i]);
}

void TF_rectedForm::SetTool(TTool* tool) {
    FTool = tool;
    FToolSerial = tool ? tool->Serial() : 0;
}

void TF_rectedForm::PostToTool(int32_t msg) {
    if (FTool && IsLive(FTool, FToolSerial)) FTool->PostMsg(msg, FTool, nullptr, false);
}

void TF_rectedForm::Use() {
    TRectEntity* e = SelectedElement ? SelectedElement() : nullptr;
    if (!e) return;
    FUndoElement = e;
    FUndoSerial = e->Serial();
    FUndo[0] = e->GetMinX();
    FUndo[1] = e->GetMinY();
    FUndo[2] = e->GetMaxX();
    FUndo[3] = e->GetMaxY();
    FUndoName = e->GetName();
    e->SetName((*this)["ed_Name"].Text);
    TRectangle r;
    r.SetRect(GetXmin(), GetYmin(), GetXmax(), GetYmax());
    r.Sort();  // typed bounds the wrong way round still give min below max
    e->SetRect(r.Min.X, r.Min.Y, r.Max.X, r.Max.Y);
    (*this)["b_Undo"].Visible = true;
    FUpdates = 4;
    if (SelectAgain) SelectAgain(e);
    PostToTool(tm_Redraw);
}

void TF_rectedForm::Undo() {
    TRectEntity* e = FUndoElement && IsLive(FUndoElement, FUndoSerial) ? FUndoElement : nullptr;
    (*this)["b_Undo"].Visible = false;
    if (!e) return;
    e->SetName(FUndoName);
    e->SetRect(FUndo[0], FUndo[1], FUndo[2], FUndo[3]);
    if (SelectAgain) SelectAgain(e);
    PostToTool(tm_Redraw);
}

void TF_rectedForm::Resized() { PostToTool(tm_Redraw); }

void TF_rectedForm::Tick() {
    if (!Visible) {
        FTimer.SetEnabled(false);
        return;
    }
    if (Left == FLastLeft && Top == FLastTop) return;
    FLastLeft = Left;
    FLastTop = Top;
    PostToTool(tm_Redraw);
}
