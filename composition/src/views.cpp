#include "composition/views.h"

#include "held_children.h"
#include "kernel/class_registry.h"
#include "platform/sysutils.h"
#include "platform/scope_exit.h"
#include "kernel/element_holder.h"

using composition_detail::StillHeld;

void TView::Publish(PropertyTable& t) {
    using C = TView;
    t.Obj<C, TElement>("Model", &C::GetModel, &C::SetModel).Stored(false);
    t.Obj<C, TModelScript>("ModelScript", &C::GetModelScript, nullptr).Stored(false);
    t.Float<C>("ModelCenterX", &C::GetModelCenterX, &C::SetModelCenterX);
    t.Float<C>("ModelCenterY", &C::GetModelCenterY, &C::SetModelCenterY);
    t.Float<C>("ModelMinX", &C::GetModelMinX, nullptr).Stored(false);
    t.Float<C>("ModelMaxX", &C::GetModelMaxX, nullptr).Stored(false);
    t.Float<C>("ModelMinY", &C::GetModelMinY, nullptr).Stored(false);
    t.Float<C>("ModelMaxY", &C::GetModelMaxY, nullptr).Stored(false);
    t.Float<C>("Scale", &C::GetScale, &C::SetScale);
    t.Float<C>("Angle", &C::GetAngle, &C::SetAngle);
    t.Float<C>("RotateCenterX", &C::GetRotateCenterX, &C::SetRotateCenterX);
    t.Float<C>("RotateCenterY", &C::GetRotateCenterY, &C::SetRotateCenterY);
    t.Float<C>("VirtualScale", &C::GetVirtualScale, &C::SetVirtualScale);
    t.Str<C>("ControlViewName", &C::GetControlViewName, &C::SetControlViewName);
    t.Float<C>("ModelDeltaX", &C::GetModelDeltaX, &C::SetModelDeltaX);
    t.Float<C>("ModelDeltaY", &C::GetModelDeltaY, &C::SetModelDeltaY);
    t.Bool<C>("ReadModel", nullptr, &C::SetReadModel);
    t.Bool<C>("ReadAfter", &C::GetReadAfter, &C::SetReadAfter);
}

void TView::Create() {
    inherited::Create();
    GetProjection();
    FPenColor = clSilver;
    FPenStyle = psDot;
    FBrushColor = clWhite;
    FBrushStyle = bsClear;
}

TViewProjection* TView::GetProjection() {
    if (!StillHeld(this, FProjection)) AddElement(TViewProjection::New());
    return FProjection;
}

void TView::AddElement(TElement* element) {
    if (auto* projection = As<TViewProjection>(element)) {
        if (projection == StillHeld(this, FProjection)) return;
        if (TViewProjection* previous = FProjection) {
            if (!projection->GetIsOK()) projection->Assign(previous);
            FProjection = nullptr;
            FreeElement(previous);
        }
        FProjection = projection;
        if (IndexOf(projection) < 0) inherited::AddElement(projection);
        projection->SetView(this);
        return;
    }
    bool model = element && !element->Is<TModelScript>() && !StillHeld(this, FModel) && IndexOf(element) < 0;
    inherited::AddElement(element);
    if (model) FModel = element;
}

TElement* TView::GetModel() { return StillHeld(this, FModel); }

void TView::SetModel(TElement* model) {
    if (model == GetModel()) return;
    // The old model leaves the children and is not freed: a caller may still hold it.
    if (TElement* previous = StillHeld(this, FModel)) {
        FModel = nullptr;
        RemoveElement(previous);
    }
    FModel = nullptr;
    if (!model) return;
    if (IndexOf(model) < 0) inherited::AddElement(model);
    FModel = model;
}

TElement* TView::CreateModel() {
    TRectEntity* model = TRectEntity::New();
    model->SetName(Cz("Předmět zájmu"));
    SetModel(model);
    return model;
}

void TView::AddToModel(TRectEntity* rectangle) {
    TElement* model = GetModel();
    if (!model) {
        model = TRectEntity::New();
        model->SetName("VIEWMODEL");
    }
    if (auto* r = As<TRectEntity>(model)) r->AddAndUpdateRect(rectangle);
    else if (auto* e = As<TEntity>(model)) e->AddElement(rectangle);
    SetModel(model);
}

void TView::SetReadModel(bool read) {
    if (read) BuildModel();
    if (GetName() == "VEKTOR") TestedElement = GetModel();
}

TModelScript* TView::GetModelScript() {
    if (auto* script = As<TModelScript>(FindElementClass(TModelScript::StaticClass()))) return script;
    TModelScript* script = TModelScript::New();
    script->SetName("Model Script");
    AddElement(script);
    return script;
}

void TView::BuildModel() {
    TRectangle shown;
    GetModelRect(shown);
    auto* script = As<TModelScript>(FindElementClass(TModelScript::StaticClass()));
    if (!script) return;
    TViewProjection* projection = GetProjection();
    TElement* model = nullptr;
    {
        TElementHolder<TModelByScriptCreator> creator(TModelByScriptCreator::New());
        creator->SetInput(script);
        // Without a valid projection there is no area: the whole model is read.
        if (projection->GetIsOK()) {
            creator->SetArea(shown.Min.X, shown.Min.Y, shown.Max.X, shown.Max.Y);
            creator->UseArea = true;
        }
        creator->DoIt();
        model = creator->Output;
    }
    if (!model) return;
    // A model read before, which nothing else holds, would be lost.
    TElement* previous = GetModel();
    bool counted = previous && previous->IsMyOwner(this);
    SetModel(model);
    if (counted && previous != model && IsLive(previous) && previous->NoOwners()) Free(previous);
    model->SetName("VIEWMODEL");
    if (!projection->GetIsOK())
        if (auto* r = As<TRectEntity>(model)) {
            projection->SetCenterX(r->GetCenterX());
            projection->SetCenterY(r->GetCenterY());
        }
}

TView* TView::GetControlView() {
    if (FControlViewName.empty() || GetOwnersCount() == 0) return nullptr;
    TEntity* owner = GetOwnerEntity(0);
    TView* view = owner ? As<TView>(owner->FindElementName(FControlViewName)) : nullptr;
    return view == this ? nullptr : view;
}

double TView::CenterThroughControl(bool x) {
    TViewProjection* p = GetProjection();
    TView* control = FFollowing ? nullptr : GetControlView();
    if (!control) return x ? p->GetCenterX() : p->GetCenterY();
    double value = 0;
    {
        FFollowing = true;
        auto done = MakeScopeExit([this] { FFollowing = false; });
        value = x ? control->GetModelCenterX() + FModelDeltaX : control->GetModelCenterY() + FModelDeltaY;
    }
    if (x) p->SetCenterX(value);
    else p->SetCenterY(value);
    return value;
}

double TView::GetModelCenterX() { return CenterThroughControl(true); }
double TView::GetModelCenterY() { return CenterThroughControl(false); }

void TView::GetModelRect(TRectangle& r) {
    TViewProjection* p = GetProjection();
    if (p->GetScale() == 0) {
        r.SetRect(0, 0, 0, 0);
        return;
    }
    p->SetCenter({GetModelCenterX(), GetModelCenterY()});
    p->GetModelRect(r);
}

double TView::ExtentCorner(bool max, bool y) {
    TRectangle r;
    GetModelRect(r);
    const T2DPoint& corner = max ? r.Max : r.Min;
    return y ? corner.Y : corner.X;
}

void RegisterViewUnit() {
    RegisterZarixClass<TViewProjection>();
    RegisterZarixClass<TView>();
}

void RegisterGravoViewUnit() { RegisterZarixClass<TGravoView>(); }
