#include "pelvar/pelvar.h"

#include "pelvar/palette.h"

#include "kernel/class_registry.h"
#include "pelvar/map_world.h"
#include "platform/rtti.h"
#include "platform/sysutils.h"

namespace {

// Copies the named fields of the source when it is of the class (or derives from it);
// answers whether it was.
template <class C, class... F> bool CopyFields(C* to, TPersistent* source, F C::*... fields) {
    auto* from = As<C>(source);
    if (!from) return false;
    ((to->*fields = from->*fields), ...);
    return true;
}

}  // namespace

// ---- type records of the style properties -------------------------------------------

const TTypeInfo* TypeInfoPenStyle() {
    static const TTypeInfo* t = MakeEnumType(
        "TPenStyle", {"psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear", "psInsideFrame"});
    return t;
}

const TTypeInfo* TypeInfoBrushStyle() {
    static const TTypeInfo* t = MakeEnumType(
        "TBrushStyle", {"bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal", "bsBDiagonal", "bsCross",
                        "bsDiagCross"});
    return t;
}

const TTypeInfo* TypeInfoFontStyles() {
    static const TTypeInfo* t =
        MakeSetType("TFontStyles", MakeEnumType("TFontStyle", {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"}));
    return t;
}

// ---- TRectEntity -----------------------------------------------------------------------

void TRectEntity::Publish(PropertyTable& t) {
    t.Float<TRectEntity>("MinX", &TRectEntity::GetMinX, &TRectEntity::SetMinX);
    t.Float<TRectEntity>("MinY", &TRectEntity::GetMinY, &TRectEntity::SetMinY);
    t.Float<TRectEntity>("MaxX", &TRectEntity::GetMaxX, &TRectEntity::SetMaxX);
    t.Float<TRectEntity>("MaxY", &TRectEntity::GetMaxY, &TRectEntity::SetMaxY);
    t.Float<TRectEntity>("Width", &TRectEntity::GetWidth, &TRectEntity::SetWidth).Stored(false);
    t.Float<TRectEntity>("Height", &TRectEntity::GetHeight, &TRectEntity::SetHeight).Stored(false);
    t.Float<TRectEntity>("RefX", &TRectEntity::GetRefX, &TRectEntity::SetRefX).Stored(false);
    t.Float<TRectEntity>("RefY", &TRectEntity::GetRefY, &TRectEntity::SetRefY).Stored(false);
}

void TRectEntity::AddAndUpdateRect(TElement* child) {
    if (!child) return;
    AddElement(child);
    if (auto* r = As<TRectEntity>(child)) FRect.UpdateByRectangle(r->FRect);
}

void TRectEntity::Assign(TPersistent* source) {
    if (auto* r = As<TRectEntity>(source)) FRect.Assign(r->FRect);
    else if (auto* rc = As<TRectangle>(source)) FRect.Assign(*rc);
    else TOwnerEntity::Assign(source);
}

void TRectEntity::Load(TReader& reader, TEntity* dictionary) {
    inherited::Load(reader, dictionary);
    double minX = reader.ReadFloat();
    double minY = reader.ReadFloat();
    double maxX = reader.ReadFloat();
    double maxY = reader.ReadFloat();
    FRect.SetRect(minX, minY, maxX, maxY);
}

void TRectEntity::Save(TWriter& writer) {
    inherited::Save(writer);
    writer.WriteFloat(FRect.Min.X);
    writer.WriteFloat(FRect.Min.Y);
    writer.WriteFloat(FRect.Max.X);
    writer.WriteFloat(FRect.Max.Y);
}

// ---- TDrawRectangle --------------------------------------------------------------------

void TDrawRectangle::Publish(PropertyTable& t) {
    t.Float<TDrawRectangle>("PenWidth", &TDrawRectangle::GetPenWidth, &TDrawRectangle::SetPenWidth);
    t.Int<TDrawRectangle>("PenColor", &TDrawRectangle::GetPenColor, &TDrawRectangle::SetPenColor);
    t.Enum<TDrawRectangle, TPenStyle>("PenStyle", TypeInfoPenStyle(), &TDrawRectangle::GetPenStyle,
                                       &TDrawRectangle::SetPenStyle);
    t.Int<TDrawRectangle>("BrushColor", &TDrawRectangle::GetBrushColor, &TDrawRectangle::SetBrushColor);
    t.Enum<TDrawRectangle, TBrushStyle>("BrushStyle", TypeInfoBrushStyle(), &TDrawRectangle::GetBrushStyle,
                                         &TDrawRectangle::SetBrushStyle);
}

void TDrawRectangle::Create() {
    inherited::Create();
    FPenWidth = 0;
    FPenColor = clBlack;
    FPenStyle = psSolid;
    FBrushColor = clBlack;
    FBrushStyle = bsSolid;
}

void TDrawRectangle::Assign(TPersistent* source) {
    using C = TDrawRectangle;
    inherited::Assign(source);
    CopyFields<C>(this, source, &C::FPenWidth, &C::FPenColor, &C::FPenStyle, &C::FBrushColor, &C::FBrushStyle);
}

// ---- TText -----------------------------------------------------------------------------

void TText::Publish(PropertyTable& t) {
    t.Str<TText>("Text", &TText::GetText, &TText::SetText);
    t.Str<TText>("FontName", &TText::GetFontName, &TText::SetFontName);
    t.Int<TText>("Color", &TText::GetColor, &TText::SetColor);
    t.Float<TText>("TextHeight", &TText::GetTextHeight, &TText::SetTextHeight);
    t.Set<TText, uint8_t>("FontStyle", TypeInfoFontStyles(), &TText::GetFontStyle, &TText::SetFontStyle);
    t.Int<TText>("Charset", &TText::GetCharset, &TText::SetCharset);
    t.Int<TText>("Orientation", &TText::GetOrientation, &TText::SetOrientation);
}

void TText::Create() {
    inherited::Create();
    FFontName = "Arial";
    FColor = clBlack;
    FCharset = 1;
}

void TText::SetFont(const TFont& font) {
    FFontName = font.Name();
    FColor = font.Color();
    FFontStyle = font.Style();
    FCharset = font.Charset();
}

void TText::GetFont(TFont& font) const {
    font.SetName(FFontName);
    font.SetColor(FColor);
    font.SetStyle(FFontStyle);
    font.SetCharset(FCharset);
}

void TText::Assign(TPersistent* source) {
    using C = TText;
    inherited::Assign(source);
    CopyFields<C>(this, source, &C::FText, &C::FFontName, &C::FColor, &C::FTextHeight, &C::FFontStyle, &C::FCharset,
                  &C::FOrientation);
}

// ---- TSelectedElement ------------------------------------------------------------------

void TSelectedElement::Publish(PropertyTable& t) {
    t.Obj<TSelectedElement, TElement>("Selected", &TSelectedElement::GetSelected, &TSelectedElement::SetSelected)
        .Stored(false);
}

TElement* TSelectedElement::GetSelected() const { return IsLive(FSelected) ? FSelected : nullptr; }

void TSelectedElement::SetSelected(TElement* e) {
    FSelected = e;
    UpdateFromSelected();
}

void TSelectedElement::UpdateFromSelected() {
    if (auto* r = As<TRectEntity>(GetSelected())) FRect.Assign(r->Rect());
}

// ---- T2DCoordinate ---------------------------------------------------------------------

void T2DCoordinate::Publish(PropertyTable& t) {
    t.Float<T2DCoordinate>("X", &T2DCoordinate::GetX, &T2DCoordinate::SetX);
    t.Float<T2DCoordinate>("Y", &T2DCoordinate::GetY, &T2DCoordinate::SetY);
}

T2DCoordinate* T2DCoordinate::New(double x, double y) {
    T2DCoordinate* c = New();
    c->FX = x;
    c->FY = y;
    return c;
}

void T2DCoordinate::Assign(TPersistent* source) {
    using C = T2DCoordinate;
    if (!CopyFields<C>(this, source, &C::FX, &C::FY)) inherited::Assign(source);
}

std::vector<T2DPoint> PointsOf(TElement* e) {
    std::vector<T2DPoint> pts;
    if (auto* c = As<T2DCoordinate>(e)) {
        pts.push_back(c->Point());
    } else if (auto* ent = As<TEntity>(e)) {
        int32_t n = ent->ElementsCount();
        for (int32_t i = 0; i < n; ++i)
            if (auto* p = As<T2DCoordinate>(ent->Get(i))) pts.push_back(p->Point());
    }
    return pts;
}

// ---- TColorPalette ---------------------------------------------------------------------

namespace {
const TColor kBasicColors[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
                                 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
}  // namespace

void TColorPalette::Publish(PropertyTable& t) {
    t.Str<TColorPalette>("Colors", &TColorPalette::GetColors, &TColorPalette::SetColors);
}

void TColorPalette::Create() {
    inherited::Create();
    FColors.assign(std::begin(kBasicColors), std::end(kBasicColors));
}

TColor TColorPalette::GetColor(int32_t index) const {
    if (index < 0 || index >= GetCount()) return clBlack;
    return FColors[index];
}

void TColorPalette::SetColor(int32_t index, TColor c) {
    if (index < 0 || index > 65535) return;
    if (index >= GetCount()) FColors.resize(index + 1, clBlack);
    FColors[index] = c;
}

std::string TColorPalette::GetColors() const {
    std::string s;
    for (size_t i = 0; i < FColors.size(); ++i) {
        if (i) s += ",";
        s += IntToStr(FColors[i]);
    }
    return s;
}

void TColorPalette::SetColors(const std::string& text) {
    std::vector<TColor> colors;
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(',', start);
        if (comma == std::string::npos) comma = text.size();
        std::string item = Trim(text.substr(start, comma - start));
        int32_t v;
        if (!item.empty()) colors.push_back(TryStrToInt(item, v) ? v : clBlack);
        start = comma + 1;
    }
    FColors = std::move(colors);
}

void TColorPalette::Assign(TPersistent* source) {
    using C = TColorPalette;
    if (!CopyFields<C>(this, source, &C::FColors)) inherited::Assign(source);
}

namespace {
// The colours of the colour numbers: the current palette's first sixteen.
TColor gMapColors[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
                         0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
}  // namespace

TColor DejBarvicku(uint16_t code) { return gMapColors[code & 15]; }

void ApplyCurrentPalette() {
    TColorPalette* palette = CurrentPalette();
    for (int32_t i = 0; i < 16; ++i) gMapColors[i] = palette->GetColor(i);
}

// ---- registration ------------------------------------------------------------------------

void RegisterPelvarClasses() {
    static bool done = false;
    if (done) return;
    done = true;
    RegisterZarixClass<TRectEntity>();
    RegisterZarixClass<TDrawRectangle>();
    RegisterZarixClass<TText>();
    RegisterZarixClass<TSelectedElement>();
    RegisterZarixClass<T2DCoordinate>();
    RegisterZarixClass<TColorPalette>();
    RegisterZarixClass<TWCSWorld>();
    RegisterPaletteUnit();
}
