// Map windows on a page: a rectangle in page coordinates that shows a model (an element
// tree of map data) around a model centre at a scale, optionally rotated. A view can
// follow another view of the same page (its control view) at a fixed shift.
#pragma once
#include <string>

#include "composition/view_projection.h"
#include "pelvar/pelvar.h"
#include "quintel/quintel.h"

class TView : public TDrawRectangle {
    ZARIX_CLASS(TView, TDrawRectangle)
    static void Publish(PropertyTable& t);

public:
    // Silver dotted frame, clear white brush, a projection child bound to the view.
    void Create() override;

    // A new rectangle entity "Předmět zájmu" becomes the model; answered.
    virtual TElement* CreateModel();
    // True builds the model; then a view named "VEKTOR" publishes its model as the
    // tested element.
    virtual void SetReadModel(bool read);

    // Created, added and bound when missing.
    TViewProjection* GetProjection();
    // Nil once the model is no longer a child of the view.
    TElement* GetModel();
    // The old model leaves the children and is freed when nothing else holds it; the new
    // one becomes a child. The present model changes nothing.
    void SetModel(TElement* model);
    // The model script child; one named "Model Script" is made when there is none.
    TModelScript* GetModelScript();
    // Adds the rectangle to the model (grown over it when the model is a rectangle
    // entity); without a model a rectangle entity "VIEWMODEL" is made first.
    void AddToModel(TRectEntity* rectangle);
    // Builds the model "VIEWMODEL" from the model script over the extent shown; without
    // a script, or when the script gives no model, the model stays.
    void BuildModel();
    // The model extent shown, with the centre brought up to date; all zeros at scale 0.
    void GetModelRect(TRectangle& r);

    // With a control view: its centre plus the shift, which also becomes this view's
    // centre. Without one: this view's centre.
    double GetModelCenterX();
    double GetModelCenterY();
    void SetModelCenterX(double x) { GetProjection()->SetCenterX(x); }
    void SetModelCenterY(double y) { GetProjection()->SetCenterY(y); }
    double GetModelMinX() { return ExtentCorner(false, false); }
    double GetModelMaxX() { return ExtentCorner(true, false); }
    double GetModelMinY() { return ExtentCorner(false, true); }
    double GetModelMaxY() { return ExtentCorner(true, true); }
    double GetScale() { return GetProjection()->GetScale(); }
    void SetScale(double s) { GetProjection()->SetScale(s); }
    double GetAngle() { return GetProjection()->GetAngle(); }
    void SetAngle(double a) { GetProjection()->SetAngle(a); }
    double GetRotateCenterX() { return GetProjection()->GetRotateCenter_X(); }
    void SetRotateCenterX(double x) { GetProjection()->SetRotateCenter_X(x); }
    double GetRotateCenterY() { return GetProjection()->GetRotateCenter_Y(); }
    void SetRotateCenterY(double y) { GetProjection()->SetRotateCenter_Y(y); }
    double GetVirtualScale() { return GetProjection()->GetVirtualScale(); }
    void SetVirtualScale(double s) { GetProjection()->SetVirtualScale(s); }
    const std::string& GetControlViewName() const { return FControlViewName; }
    void SetControlViewName(const std::string& name) { FControlViewName = name; }
    // The view of the first owner named by ControlViewName, or nil.
    TView* GetControlView();
    double GetModelDeltaX() const { return FModelDeltaX; }
    void SetModelDeltaX(double d) { FModelDeltaX = d; }
    double GetModelDeltaY() const { return FModelDeltaY; }
    void SetModelDeltaY(double d) { FModelDeltaY = d; }
    bool GetReadAfter() const { return FReadAfter; }
    void SetReadAfter(bool b) { FReadAfter = b; }

    // The view keeps one projection: another one added as a child takes the place of the
    // present one (and its values, unless it holds a scale of its own). The first child
    // other than a projection or a model script added while the view holds no model
    // becomes the model, so a view read from a
    // model file finds its model among its children.
    void AddElement(TElement* element) override;

private:
    double ExtentCorner(bool max, bool y);
    // A centre coordinate through the chain of control views; a chain leading back to a
    // view is cut there.
    double CenterThroughControl(bool x);

    TViewProjection* FProjection = nullptr;
    TElement* FModel = nullptr;
    std::string FControlViewName;
    double FModelDeltaX = 0;
    double FModelDeltaY = 0;
    bool FReadAfter = false;
    bool FFollowing = false;  // a centre is being read through the control views
};

// A map window of the drawing package; it behaves as a view.
class TGravoView : public TView {
    ZARIX_CLASS(TGravoView, TView)
};

// Registers TViewProjection and TView.
void RegisterViewUnit();
// Registers TGravoView.
void RegisterGravoViewUnit();
