// The graphic library's elements: rectangles with owners, drawn rectangles, texts,
// selection markers, points, colour palettes and the world with coordinate systems.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "kernel/elements.h"
#include "pelvar/geometry.h"
#include "pelvar/graphics.h"

// A named entity with an axis-parallel rectangle. It keeps the list of its owners, so an
// element held by several entities is freed only by the last one.
class TRectEntity : public TOwnerEntity {
    ZARIX_CLASS(TRectEntity, TOwnerEntity)
    static void Publish(PropertyTable& t);

public:
    double GetMinX() const { return FRect.Min.X; }
    double GetMinY() const { return FRect.Min.Y; }
    double GetMaxX() const { return FRect.Max.X; }
    double GetMaxY() const { return FRect.Max.Y; }
    void SetMinX(double v) { FRect.SetMinX(v); }
    void SetMinY(double v) { FRect.SetMinY(v); }
    void SetMaxX(double v) { FRect.SetMaxX(v); }
    void SetMaxY(double v) { FRect.SetMaxY(v); }
    double GetWidth() const { return FRect.GetWidth(); }
    double GetHeight() const { return FRect.GetHeight(); }
    // The width and height are changed at the max side.
    void SetWidth(double w) { FRect.SetMaxX(FRect.Min.X + w); }
    void SetHeight(double h) { FRect.SetMaxY(FRect.Min.Y + h); }
    // The reference point is the min corner; setting it moves the rectangle.
    double GetRefX() const { return FRect.Min.X; }
    double GetRefY() const { return FRect.Min.Y; }
    void SetRefX(double x) { Move(x - FRect.Min.X, 0); }
    void SetRefY(double y) { Move(0, y - FRect.Min.Y); }
    double GetCenterX() const { return FRect.GetCenter().X; }
    double GetCenterY() const { return FRect.GetCenter().Y; }
    // The entity's own rectangle (it stays the entity's).
    TRectangle* GetRect() { return &FRect; }
    const TRectangle& Rect() const { return FRect; }
    void SetRect(double minX, double minY, double maxX, double maxY) { FRect.SetRect(minX, minY, maxX, maxY); }
    void UpdateByXY(double x, double y) { FRect.UpdateByXY(x, y); }
    void UpdateRect(const TRectangle& r) { FRect.UpdateByRectangle(r); }
    // Adds the child; a rectangle entity child also grows this rectangle over its own.
    void AddAndUpdateRect(TElement* child);
    bool PointIsInside(double x, double y) const { return FRect.PointIsInside(x, y); }
    bool IsOverRegion(double minX, double minY, double maxX, double maxY) const {
        return FRect.IsOverlap(minX, minY, maxX, maxY);
    }
    void Move(double dx, double dy) { FRect.Move(dx, dy); }
    // Copies the rectangle of a rectangle entity or of a TRectangle.
    void Assign(TPersistent* source) override;

    // Own part of the old model format: the inherited part, then MinX, MinY, MaxX, MaxY.
    void Load(TReader& reader, TEntity* dictionary) override;
    void Save(TWriter& writer) override;

protected:
    TRectangle FRect;
};

// A rectangle with pen and brush.
class TDrawRectangle : public TRectEntity {
    ZARIX_CLASS(TDrawRectangle, TRectEntity)
    static void Publish(PropertyTable& t);

public:
    void Create() override;
    // Pen width in the units of the rectangle (0: the thinnest line).
    double GetPenWidth() const { return FPenWidth; }
    void SetPenWidth(double w) { FPenWidth = w; }
    TColor GetPenColor() const { return FPenColor; }
    void SetPenColor(TColor c) { FPenColor = c; }
    TPenStyle GetPenStyle() const { return FPenStyle; }
    void SetPenStyle(TPenStyle s) { FPenStyle = s; }
    TColor GetBrushColor() const { return FBrushColor; }
    void SetBrushColor(TColor c) { FBrushColor = c; }
    TBrushStyle GetBrushStyle() const { return FBrushStyle; }
    void SetBrushStyle(TBrushStyle s) { FBrushStyle = s; }
    void Assign(TPersistent* source) override;

protected:
    double FPenWidth = 0;
    TColor FPenColor = 0;
    TPenStyle FPenStyle = psSolid;
    TColor FBrushColor = 0;
    TBrushStyle FBrushStyle = bsSolid;
};

// A text placed in a rectangle; it is written from the rectangle's top left corner.
class TText : public TRectEntity {
    ZARIX_CLASS(TText, TRectEntity)
    static void Publish(PropertyTable& t);

public:
    void Create() override;
    const std::string& GetText() const { return FText; }
    virtual void SetText(const std::string& t) { FText = t; }
    const std::string& GetFontName() const { return FFontName; }
    void SetFontName(const std::string& n) { FFontName = n; }
    TColor GetColor() const { return FColor; }
    void SetColor(TColor c) { FColor = c; }
    // Character height in the units of the rectangle; 0 writes with the device's font.
    double GetTextHeight() const { return FTextHeight; }
    void SetTextHeight(double h) { FTextHeight = h; }
    uint8_t GetFontStyle() const { return FFontStyle; }
    void SetFontStyle(uint8_t s) { FFontStyle = s; }
    int32_t GetCharset() const { return FCharset; }
    void SetCharset(int32_t c) { FCharset = c; }
    // Direction of the base line in degrees, counter-clockwise.
    int32_t GetOrientation() const { return FOrientation; }
    void SetOrientation(int32_t o) { FOrientation = o; }
    // Takes name, colour, style and character set of the font.
    void SetFont(const TFont& font);
    // Puts name, colour, style and character set into the font.
    void GetFont(TFont& font) const;
    void Assign(TPersistent* source) override;

protected:
    std::string FText;
    std::string FFontName;
    TColor FColor = 0;
    double FTextHeight = 0;
    uint8_t FFontStyle = 0;
    int32_t FCharset = 0;
    int32_t FOrientation = 0;
};

// The selection marker: a rectangle that refers to the selected element (not owned) and
// covers its rectangle.
class TSelectedElement : public TRectEntity {
    ZARIX_CLASS(TSelectedElement, TRectEntity)
    static void Publish(PropertyTable& t);

public:
    // Nil once the selected element is gone.
    TElement* GetSelected() const;
    // Refers to the element and takes its rectangle when it has one.
    void SetSelected(TElement* e);
    // Takes the selected element's rectangle again.
    void UpdateFromSelected();

private:
    TElement* FSelected = nullptr;
};

// A point element.
class T2DCoordinate : public TOwnerElement {
    ZARIX_CLASS(T2DCoordinate, TOwnerElement)
    static void Publish(PropertyTable& t);

public:
    static T2DCoordinate* New(double x, double y);
    double GetX() const { return FX; }
    double GetY() const { return FY; }
    void SetX(double x) { FX = x; }
    void SetY(double y) { FY = y; }
    T2DPoint Point() const { return {FX, FY}; }
    void Assign(TPersistent* source) override;

private:
    double FX = 0;
    double FY = 0;
};

// The points of an element: a point element itself, or the point children of an entity
// in child order.
std::vector<T2DPoint> PointsOf(TElement* e);

// A table of colours chosen by index.
class TColorPalette : public TOwnerElement {
    ZARIX_CLASS(TColorPalette, TOwnerElement)
    static void Publish(PropertyTable& t);

public:
    // Sixteen colours: black, blue, green, cyan, red, magenta, brown, light grey, dark
    // grey, light blue, light green, light cyan, light red, light magenta, yellow, white.
    void Create() override;
    // The colour at the index; black outside the table.
    TColor GetColor(int32_t index) const;
    void SetColor(int32_t index, TColor c);  // grows the table as needed
    int32_t GetCount() const { return static_cast<int32_t>(FColors.size()); }
    // The table as decimal numbers separated by ",".
    std::string GetColors() const;
    void SetColors(const std::string& text);
    void Assign(TPersistent* source) override;

private:
    std::vector<TColor> FColors;
};

// The colour of a colour number of the map data (numbers 0 to 15 as the sixteen palette
// colours; higher numbers repeat them).
TColor DejBarvicku(uint16_t code);

// Registers the element classes of the graphic library; after RegisterKernelClasses.
void RegisterPelvarClasses();
