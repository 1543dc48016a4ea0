// The elements of map data: points, polylines, areas and texts in national-grid metres,
// their strings (layers), the register of loaded layers and the attribute record from
// which the symbol interprets take their codes.
#pragma once
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "kernel/value_elements.h"
#include "pelvar/pelvar.h"

// The attribute record of a map element.
struct TSpaceAttributes {
    int32_t Code = 0;              // symbol or feature code
    uint16_t PointSymbolCode = 0;  // the point symbol drawn at a line's reference point
};

// One layer field's value of an element (integer, float or text).
using TFieldValue = std::variant<int64_t, double, std::string>;

// The base of every map element: a rectangle entity with a reference point, an
// orientation, the attribute record and the values of its layer's fields.
class TSpaceEntity : public TRectEntity {
    ZARIX_CLASS(TSpaceEntity, TRectEntity)
    static void Publish(PropertyTable& t);

public:
    // The reference point (where the element's symbol or label is placed).
    double GetRefX() const { return FRefX; }
    double GetRefY() const { return FRefY; }
    // A reference point set this way is kept when the vertices are set as text.
    void SetRefX(double x) { FRefX = x; FRefGiven = true; }
    void SetRefY(double y) { FRefY = y; FRefGiven = true; }
    // Orientation in radians, counter-clockwise from the x axis.
    double GetOrientation() const { return FOrientation; }
    void SetOrientation(double a) { FOrientation = a; }
    TSpaceAttributes* GetAttributes() { return &FAttributes; }
    int32_t GetCode() const { return FAttributes.Code; }
    void SetCode(int32_t c) { FAttributes.Code = c; }
    uint16_t GetSymbolCode() const { return FAttributes.PointSymbolCode; }
    void SetSymbolCode(uint16_t c) { FAttributes.PointSymbolCode = c; }
    // The property object a topology or attribute package links to the element (a child).
    TElement* GetPropertyObject() const { return FPropertyObject; }
    void SetPropertyObject(TElement* e) { ExchangeFieldElement(FPropertyObject, e); }

    // Whether the element has anything to draw or test.
    virtual bool NotEmpty();
    // Whether the element lies within the tolerance of (x, y) (the boundary counts).
    virtual bool IsNearXY(double x, double y, double tolerance);
    bool IsNear(T2DCoordinate* point, double tolerance);
    // Recomputes the rectangle, the reference point and the orientation from the geometry.
    virtual void UpdateGeometry();

    // The values of the layer's fields, in the order of the layer class's own properties.
    std::vector<TFieldValue>& Fields() { return FFields; }
    void Assign(TPersistent* source) override;
    void Destroy() override;

protected:
    double FRefX = 0;
    double FRefY = 0;
    double FOrientation = 0;
    bool FRefGiven = false;
    TSpaceAttributes FAttributes;
    TElement* FPropertyObject = nullptr;
    std::vector<TFieldValue> FFields;
};

// A point; its reference point is the point itself.
class TPointElement : public TSpaceEntity {
    ZARIX_CLASS(TPointElement, TSpaceEntity)
    static void Publish(PropertyTable& t);

public:
    static TPointElement* New(double x, double y);
    double GetX() const { return FRefX; }
    double GetY() const { return FRefY; }
    void SetX(double x);
    void SetY(double y);
    void SetXY(double x, double y);
    bool IsNearXY(double x, double y, double tolerance) override;
    void UpdateGeometry() override;
};

// A text placed at its reference point, rotated by its orientation.
class TTextElement : public TSpaceEntity {
    ZARIX_CLASS(TTextElement, TSpaceEntity)
    static void Publish(PropertyTable& t);

public:
    static TTextElement* New(double x, double y, const std::string& text);
    const std::string& GetText() const { return FText; }
    void SetText(const std::string& t) { FText = t; }
    // Character height in model metres (0: the device's font).
    double GetHeight() const { return FHeight; }
    void SetHeight(double h) { FHeight = h; }
    double GetX() const { return FRefX; }
    double GetY() const { return FRefY; }
    void SetX(double x);
    void SetY(double y);
    bool NotEmpty() override { return !FText.empty(); }
    bool IsNearXY(double x, double y, double tolerance) override;
    void UpdateGeometry() override;
    void Assign(TPersistent* source) override;

private:
    std::string FText;
    double FHeight = 0;
};

// An element made of vertices in one or more parts (the rings of an area, the pieces
// of a line). The vertices are stored as text: "x y,x y;x y,...", parts split by ";".
class TPolyElement : public TSpaceEntity {
    ZARIX_CLASS(TPolyElement, TSpaceEntity)
    static void Publish(PropertyTable& t);

public:
    int32_t VertexCount() const { return static_cast<int32_t>(FPoints.size()); }
    double X(int32_t i) const { return FPoints.at(static_cast<size_t>(i)).X; }
    double Y(int32_t i) const { return FPoints.at(static_cast<size_t>(i)).Y; }
    T2DPoint Vertex(int32_t i) const { return FPoints.at(static_cast<size_t>(i)); }
    // Vertex i in the element's orientation when oriented is set (an area's outer ring
    // runs counter-clockwise), in stored order otherwise.
    virtual T2DPoint OrientedVertex(int32_t i, bool oriented);
    // All vertices as OrientedVertex gives them, into out.
    virtual void OrientedVertices(bool oriented, std::vector<T2DPoint>& out);
    const std::vector<T2DPoint>& Points() const { return FPoints; }
    // Start indexes of the parts; the first is 0. No parts without vertices.
    const std::vector<int32_t>& Parts() const { return FParts; }
    int32_t PartCount() const { return static_cast<int32_t>(FParts.size()); }
    int32_t PartEnd(int32_t part) const;  // one past the part's last vertex
    // Replaces the geometry (parts as start indexes; empty: one part) and updates it.
    void SetPoints(std::vector<T2DPoint> points, std::vector<int32_t> parts = {});
    // Appends a part; an empty one is ignored. UpdateGeometry is left to the caller.
    void AddPart(const T2DPoint* points, size_t count);

    std::string GetVertices() const;
    void SetVertices(const std::string& text);  // EConvertError on a malformed text
    bool NotEmpty() override { return !FPoints.empty(); }
    bool IsNearXY(double x, double y, double tolerance) override;
    void UpdateGeometry() override;
    void Assign(TPersistent* source) override;

protected:
    // The distance from (x, y) to the nearest segment (or lone vertex).
    double DistanceToOutline(double x, double y) const;
    std::vector<T2DPoint> FPoints;
    std::vector<int32_t> FParts;
};

// A polyline; its reference point is the middle of its length and its orientation the
// direction of the line there.
class TPolyLineElement : public TPolyElement {
    ZARIX_CLASS(TPolyLineElement, TPolyElement)

public:
    double GetLength() const;
    void UpdateGeometry() override;
};

// An area of one or more rings (outer rings and holes, filled even-odd); its reference
// point lies inside it.
class TAreaElement : public TPolyElement {
    ZARIX_CLASS(TAreaElement, TPolyElement)
    static void Publish(PropertyTable& t);

public:
    bool IsPointInside(double x, double y) const;
    // Outer rings minus holes, in square metres.
    double GetWholeArea() const;
    // The larger of the rectangle's width and height.
    double GetLargestExtent() const { return std::max(GetWidth(), GetHeight()); }
    // Skipped by area fills and the area tree.
    bool GetSkip() const { return FSkip; }
    void SetSkip(bool s) { FSkip = s; }
    T2DPoint OrientedVertex(int32_t i, bool oriented) override;
    void OrientedVertices(bool oriented, std::vector<T2DPoint>& out) override;
    bool IsNearXY(double x, double y, double tolerance) override;
    void UpdateGeometry() override;
    void Assign(TPersistent* source) override;
    // A plain area of the same outline, owned by the caller.
    virtual TAreaElement* CreateAreaElement();

private:
    bool IsHole(int32_t part) const;
    bool FSkip = false;
};

// An area whose outline is made of its child polylines (chained end to end into rings);
// without such children its own vertices are the outline.
class TPolyLineAreaElement : public TAreaElement {
    ZARIX_CLASS(TPolyLineAreaElement, TAreaElement)

public:
    TAreaElement* CreateAreaElement() override;
};

// A plain area built from a polyline area (or copied from any area), owned by the caller;
// nil for nil.
TAreaElement* CreateAreaElement(TAreaElement* area);

// A string of map elements; its rectangle covers those added with AddAndUpdateRect.
class TSpaceEntityString : public TRectEntity {
    ZARIX_CLASS(TSpaceEntityString, TRectEntity)
};
class TPointString : public TSpaceEntityString {
    ZARIX_CLASS(TPointString, TSpaceEntityString)
};
class TPolyLineString : public TSpaceEntityString {
    ZARIX_CLASS(TPolyLineString, TSpaceEntityString)
};
class TAreaString : public TSpaceEntityString {
    ZARIX_CLASS(TAreaString, TSpaceEntityString)
};
class TTextString : public TSpaceEntityString {
    ZARIX_CLASS(TTextString, TSpaceEntityString)
};

// The register of loaded layers: one string item per layer class made for map data.
class TRegister : public TStringListElement {
    ZARIX_CLASS(TRegister, TStringListElement)
};

// Registers the map-data classes; after RegisterPelvarClasses.
void RegisterSpaceClasses();
