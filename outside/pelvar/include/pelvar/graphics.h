// Colours, pens, brushes and fonts: the drawing attributes that elements keep and
// devices apply.
#pragma once
#include <cstdint>
#include <string>

struct TTypeInfo;

// A Windows colour value: red in the lowest byte, then green, then blue.
using TColor = int32_t;

constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clGreen = 0x008000;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clGray = 0x808080;

inline TColor RGBColor(int r, int g, int b) { return (r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16); }
inline int ColorRed(TColor c) { return c & 0xFF; }
inline int ColorGreen(TColor c) { return (c >> 8) & 0xFF; }
inline int ColorBlue(TColor c) { return (c >> 16) & 0xFF; }

enum TPenStyle : uint8_t { psSolid = 0, psDash = 1, psDot = 2, psDashDot = 3, psDashDotDot = 4, psClear = 5, psInsideFrame = 6 };
enum TPenMode : uint8_t { pmCopy = 4, pmXor = 14, pmNotXor = 15 };
enum TBrushStyle : uint8_t { bsSolid = 0, bsClear = 1, bsHorizontal = 2, bsVertical = 3, bsFDiagonal = 4, bsBDiagonal = 5, bsCross = 6, bsDiagCross = 7 };
enum TFontStyle : uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };  // bits of a set

class TPen {
public:
    TColor Color() const { return color_; }
    void SetColor(TColor c) { color_ = c; }
    // Width in pixels; 0 draws one pixel wide.
    int Width() const { return width_; }
    void SetWidth(int w) { width_ = w < 0 ? 0 : w; }
    TPenStyle Style() const { return style_; }
    void SetStyle(TPenStyle s) { style_ = s; }
    TPenMode Mode() const { return mode_; }
    void SetMode(TPenMode m) { mode_ = m; }
    void Assign(const TPen& p) { *this = p; }
private:
    TColor color_ = clBlack;
    int width_ = 1;
    TPenStyle style_ = psSolid;
    TPenMode mode_ = pmCopy;
};

class TBrush {
public:
    TColor Color() const { return color_; }
    void SetColor(TColor c) { color_ = c; }
    TBrushStyle Style() const { return style_; }
    void SetStyle(TBrushStyle s) { style_ = s; }
    void Assign(const TBrush& b) { *this = b; }
private:
    TColor color_ = clWhite;
    TBrushStyle style_ = bsSolid;
};

class TFont {
public:
    const std::string& Name() const { return name_; }
    void SetName(std::string n) { name_ = std::move(n); }
    TColor Color() const { return color_; }
    void SetColor(TColor c) { color_ = c; }
    // Negative: the character height in pixels; positive: the cell height; 0: use Size.
    int Height() const { return height_; }
    void SetHeight(int h) { height_ = h; }
    // Points; used while Height is 0.
    int Size() const { return size_; }
    void SetSize(int s) { size_ = s; height_ = 0; }
    uint8_t Style() const { return style_; }
    void SetStyle(uint8_t s) { style_ = s; }
    int Charset() const { return charset_; }
    void SetCharset(int c) { charset_ = c; }
    // Direction of the base line in tenths of a degree, counter-clockwise.
    int Orientation() const { return orientation_; }
    void SetOrientation(int o) { orientation_ = o; }
    void Assign(const TFont& f) { *this = f; }
private:
    std::string name_ = "Arial";
    TColor color_ = clBlack;
    int height_ = 0;
    int size_ = 8;
    uint8_t style_ = 0;
    int charset_ = 1;  // the default character set
    int orientation_ = 0;
};


// Type records of the published style properties (identifiers as the enumerations).
const TTypeInfo* TypeInfoPenStyle();
const TTypeInfo* TypeInfoBrushStyle();
const TTypeInfo* TypeInfoFontStyles();  // a set of fsBold, fsItalic, fsUnderline, fsStrikeOut
