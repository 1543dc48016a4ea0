#include "composition/symbol_interprets.h"

#include <algorithm>
#include <cmath>

#include "gravo/gravo.h"
#include "held_children.h"
#include "kernel/class_registry.h"
#include "kernel/command_line.h"
#include "kernel/property_access.h"
#include "platform/host.h"
#include "platform/sysutils.h"
#include "space/space.h"

using composition_detail::ExchangeHeldChild;
using composition_detail::StillHeld;

namespace {

constexpr double kPi = 3.14159265358979323846;

int32_t PropInt(TElement* e, const std::string& name) { return StrToInt(GetPropStringByName(e, name)); }
double PropFloat(TElement* e, const std::string& name) { return StrToFloat(GetPropStringByName(e, name)); }

int32_t ToolResult(TResultTool* tool, TElement* e) {
    tool->SetInput(e);
    tool->DoIt();
    return StrToInt(tool->Result);
}

// A failing element beeps and the drawing goes on with the next.
template <class F>
void Beeping(F&& draw) {
    try {
        draw();
    } catch (const std::exception&) {
        MessageBeep(0);
    }
}

template <class F>
void Silent(F&& draw) {
    try {
        draw();
    } catch (const std::exception&) {
    }
}

template <class T>
void FreeTable(T*& table) {
    if (table) Free(table);
    table = nullptr;
}

std::string LibraryFile(const std::string& named, const char* name) {
    return named.empty() ? PathOfLibraries + name : named;
}

bool ExactClass(TElement* e, TElementClass cls) { return e && e->ClassType() == cls; }

}  // namespace

TColor ResolveSymbolColorValue(TGeneralInterpret* in, TElement* e, TColor defaultValue) {
    TColor v;
    if (in->UseColor) {
        v = in->Color;
    } else if (TResultTool* tool = in->GetToolColor()) {
        v = ToolResult(tool, e);
    } else if (!in->PropColor.empty()) {
        std::string text;
        EvalCommandLine(e, in->GetCommandLine(), text);
        v = StrToInt(text);
    } else {
        v = defaultValue;
    }
    return v;
}

TColor SymbolColorOfValue(TGeneralInterpret* in, TColor v) {
    if (in->ColorByPalette) {
        TColorPalette* p = in->GetPalette();
        return p ? p->GetColor(v) : v;
    }
    if (in->ColorByGravo) return DejBarvicku(static_cast<uint16_t>(v));
    return v;
}

TColor ResolveSymbolColor(TGeneralInterpret* in, TElement* e, TColor defaultValue) {
    return SymbolColorOfValue(in, ResolveSymbolColorValue(in, e, defaultValue));
}

// ---- TGeneralSymbolColorInterpret --------------------------------------------------------

void TGeneralSymbolColorInterpret::Publish(PropertyTable& t) {
    using C = TGeneralSymbolColorInterpret;
    t.Obj<C, TSetUserSymbolColor>("SymbolColorTool", &C::GetSymbolColorTool, &C::SetSymbolColorTool);
}

TSetUserSymbolColor* TGeneralSymbolColorInterpret::GetSymbolColorTool() {
    return StillHeld<TSetUserSymbolColor>(this, FSymbolColorTool);
}

void TGeneralSymbolColorInterpret::SetSymbolColorTool(TSetUserSymbolColor* tool) {
    ExchangeHeldChild<TSetUserSymbolColor>(this, FSymbolColorTool, tool);
}

int32_t TGeneralSymbolColorInterpret::ResolveCode(TElement* e, bool useFixed) {
    if (useFixed && UseCode) return Code;
    if (TResultTool* tool = GetToolCode()) return ToolResult(tool, e);
    if (!PropCode.empty()) return PropInt(e, PropCode);
    return 0;
}

void TGeneralSymbolColorInterpret::ColourSymbol(TZnacka* symbol, TElement* e, bool fillBackground) {
    TSetUserSymbolColor* tool = GetSymbolColorTool();
    if (!tool) return;
    tool->FillBackground = fillBackground;
    tool->SetPalette(GetPalette());
    tool->PropColor = PropColor;
    tool->SetToolColor(GetToolColor());
    tool->Color = Color;
    tool->UseColor = UseColor;
    tool->ColorByGravo = ColorByGravo;
    tool->ColorByPalette = ColorByPalette;
    tool->SetElem(e);
    tool->SetInput(symbol);
    tool->DoIt();
}

// ---- areas -------------------------------------------------------------------------------

void TGeneralAreaInterpret::Publish(PropertyTable& t) {
    using C = TGeneralAreaInterpret;
    t.Bool<C>("FillBackground", &C::FillBackground, [](C* o, bool v) { o->FillBackground = v; });
}

bool TGeneralAreaInterpret::IsItsClass(TElement* e) { return As<TAreaString>(e) || As<TAreaElement>(e); }

bool TGeneralAreaInterpret::QGoInside(TElement*) { return false; }

bool TGeneralAreaInterpret::QProcessBefore(TElement* e) {
    try {
        auto* a = As<TAreaElement>(e);
        TDevice* d = GetDevice();
        if (!a || As<TAreaString>(e) || !d || !d->GetProjection()) return false;
        return a->GetLargestExtent() >= d->GetProjection()->GetModelLength(3) && IsOverRegion(a);
    } catch (const std::exception&) {
        return false;
    }
}

bool TGeneralAreaInterpret::CanUniGoInside(TElement* e) { return ExactClass(e, TAreaString::StaticClass()); }

void TGeneralAreaInterpret::Process(TElement* e) {
    auto* source = As<TAreaElement>(e);
    TDevice* d = GetDevice();
    if (!source || !d) return;
    TAreaElement* converted = nullptr;
    Beeping([&] {
        TAreaElement* a = source;
        if (As<TPolyLineAreaElement>(source)) a = converted = source->CreateAreaElement();
        if (!a || a->GetWholeArea() <= 0) return;
        TColor v = ResolveSymbolColor(this, e, 0xFFFFFF);
        int32_t k = ResolveCode(e, true);
        auto rings = RingsOf(a);
        if (k < 1000) {
            d->GetBrush()->SetColor(v);
            d->GetBrush()->SetStyle(bsSolid);
            d->GetPen()->SetColor(clBlack);
            d->GetPen()->SetWidth(1);
            d->GetPen()->SetStyle(converted ? psClear : psSolid);
            d->PolyPolygon(rings);
            return;
        }
        TPlosnaZnacka* symbol = FSymbols ? FSymbols->VratZnackuDleKodu(k) : nullptr;
        if (!symbol) return;
        ColourSymbol(symbol, e, FillBackground);
        d->PrepareForPolyPolygon(rings);
        FSymbols->VyplnPlochu(symbol, a);
    });
    if (converted) Free(converted);
}

void TGeneralAreaInterpret::Reset(TDevice* device) {
    inherited::Reset(device);
    FreeTable(FSymbols);
    FSymbols = LoadSymbolTable<TAreaSymbols>(LibraryFile(SymbolFile, "\\Srafy.txt"), GetDevice());
}

void TGeneralAreaInterpret::Close() {
    FreeTable(FSymbols);
    inherited::Close();
}

void TGeneralAreaInterpret::Destroy() {
    FreeTable(FSymbols);
    inherited::Destroy();
}

// ---- lines -------------------------------------------------------------------------------

void TGeneralLineInterpret::Publish(PropertyTable& t) {
    using C = TGeneralLineInterpret;
    t.Str<C>("PropSymbol", &C::PropSymbol, [](C* o, const std::string& v) { o->PropSymbol = v; });
}

bool TGeneralLineInterpret::IsItsClass(TElement* e) { return As<TPolyLineElement>(e) || As<TPolyLineString>(e); }

bool TGeneralLineInterpret::QGoInside(TElement*) { return false; }

bool TGeneralLineInterpret::QProcessBefore(TElement* e) { return As<TPolyLineElement>(e) && !As<TAreaElement>(e); }

bool TGeneralLineInterpret::CanUniGoInside(TElement* e) { return As<TPolyLineString>(e) != nullptr; }

void TGeneralLineInterpret::Process(TElement* e) {
    auto* line = As<TPolyLineElement>(e);
    if (!line) {
        inherited::Process(e);
        return;
    }
    TDevice* d = GetDevice();
    if (!d || !IsOverRegion(line)) return;
    Beeping([&] {
        d->GetPen()->SetStyle(psSolid);
        int32_t k = ResolveCode(e, false);
        TLiniovaZnacka* symbol = k > 999 && FSymbols ? FSymbols->VratZnackuDleKodu(k) : nullptr;
        if (symbol) {
            ColourSymbol(symbol, e, false);
            FSymbols->ZobrazLinii(line, symbol);
        } else {
            // A value of 0 is no line with the code table, whatever colour it stands for.
            TColor v = ResolveSymbolColorValue(this, e, Color);
            if (ColorByGravo && v == 0) return;
            d->GetPen()->SetColor(SymbolColorOfValue(this, v));
            d->GetPen()->SetWidth(k > 3 ? FThick : FThin);
            for (int32_t part = 0; part < line->PartCount(); ++part) {
                int32_t first = line->Parts()[static_cast<size_t>(part)];
                d->MoveTo(line->X(first), line->Y(first));
                for (int32_t i = first + 1; i < line->PartEnd(part); ++i) d->LineTo(line->X(i), line->Y(i));
            }
        }
        if (FPointSymbols && line->GetSymbolCode() > 999)
            FPointSymbols->PaintSymbol(13, line->GetSymbolCode(), line->GetRefX(), line->GetRefY(),
                                       line->GetOrientation() + kPi / 2);
    });
}

void TGeneralLineInterpret::Reset(TDevice* device) {
    inherited::Reset(device);
    FreeTable(FSymbols);
    FreeTable(FPointSymbols);
    FThin = 1;
    FThick = 1;
    TDevice* d = GetDevice();
    if (TPageProjection* p = d ? d->GetProjection() : nullptr)
        FThick = std::min(4, p->GetPageLengthHoriz1(p->GetVirtualScale() * 0.0007));
    FSymbols = LoadSymbolTable<TLineSymbols>(PathOfLibraries + "\\linzn.txt", d);
    if (FSymbols) FSymbols->SetRegion(GetRegion());
    FPointSymbols = LoadSymbolTable<TPointSymbols>(PathOfLibraries + "\\Fonty.txt", d);
}

void TGeneralLineInterpret::Close() {
    FreeTable(FSymbols);
    FreeTable(FPointSymbols);
    inherited::Close();
}

void TGeneralLineInterpret::Destroy() {
    FreeTable(FSymbols);
    FreeTable(FPointSymbols);
    inherited::Destroy();
}

// ---- points ------------------------------------------------------------------------------

bool TGeneralPointInterpret::IsItsClass(TElement* e) { return As<TPointElement>(e) || As<TPointString>(e); }

bool TGeneralPointInterpret::QGoInside(TElement* e) { return As<TPointString>(e) != nullptr; }

bool TGeneralPointInterpret::QProcessBefore(TElement* e) { return As<TPointElement>(e) != nullptr; }

void TGeneralPointInterpret::Process(TElement* e) {
    auto* p = As<TPointElement>(e);
    if (!p) {
        inherited::Process(e);
        return;
    }
    TDevice* d = GetDevice();
    if (!d || !d->GetProjection() || !IsInsideRegion(p->GetX(), p->GetY()) || !p->GetAttributes()) return;
    Beeping([&] {
        d->GetPen()->SetColor(ResolveSymbolColor(this, e, Color));
        d->GetPen()->SetStyle(psSolid);
        if (FSymbols && p->GetCode() >= 1000) {
            FSymbols->InterpretSymbol(p, p->GetCode());
            return;
        }
        DrawPlainPointMark(d, p);
    });
}

void TGeneralPointInterpret::Reset(TDevice* device) {
    inherited::Reset(device);
    FreeTable(FSymbols);
    FSymbols = LoadSymbolTable<TPointSymbols>(LibraryFile(SymbolFile, "\\Fonty.txt"), GetDevice());
}

void TGeneralPointInterpret::Close() {
    FreeTable(FSymbols);
    inherited::Close();
}

void TGeneralPointInterpret::Destroy() {
    FreeTable(FSymbols);
    inherited::Destroy();
}

// ---- texts -------------------------------------------------------------------------------

void TGeneralTextInterpret::Publish(PropertyTable& t) {
    using C = TGeneralTextInterpret;
    t.Str<C>("PropText", &C::PropText, [](C* o, const std::string& v) { o->PropText = v; });
    t.Str<C>("PropFont", &C::PropFont, [](C* o, const std::string& v) { o->PropFont = v; });
    t.Str<C>("ValFont", &C::ValFont, [](C* o, const std::string& v) { o->ValFont = v; });
    t.Bool<C>("AbsSize", &C::AbsSize, [](C* o, bool v) { o->AbsSize = v; });
}

void TGeneralTextInterpret::Process(TElement* e) {
    TDevice* d = GetDevice();
    if (!d) return;
    Silent([&] {
        TPageProjection* p = d->GetProjection();
        if (As<TCanvasDevice>(d) && p) {
            double h = PropHeight.empty() ? Height : PropFloat(e, PropHeight);
            if (h <= 0) return;
            double scale = AbsSize ? p->GetScale() : p->GetVirtualScale();
            d->GetFont()->SetHeight(-p->GetPageLengthVert1(scale * h));
            std::string font = PropFont.empty() ? std::string() : GetPropStringByName(e, PropFont);
            d->GetFont()->SetName(font.empty() ? ValFont : font);
            d->GetFont()->SetColor(PropColor.empty() ? Color : PropInt(e, PropColor));
        }
        d->TextOut(PropFloat(e, PropX), PropFloat(e, PropY), GetPropStringByName(e, PropText));
    });
}

// ---- formatted text blocks ---------------------------------------------------------------

void TGeneralFormatedTextBlockInterpret::Publish(PropertyTable& t) {
    using C = TGeneralFormatedTextBlockInterpret;
    t.Obj<C, TFormatedTextBlock>("TextBlock", &C::GetTextBlock, &C::SetTextBlock);
    t.Bool<C>("AbsSize", &C::AbsSize, [](C* o, bool v) { o->AbsSize = v; });
}

TFormatedTextBlock* TGeneralFormatedTextBlockInterpret::GetTextBlock() {
    if (!StillHeld<TFormatedTextBlock>(this, FTextBlock)) {
        FTextBlock = TFormatedTextBlock::New();
        AddElement(FTextBlock);
    }
    return FTextBlock;
}

void TGeneralFormatedTextBlockInterpret::SetTextBlock(TFormatedTextBlock* block) {
    ExchangeHeldChild<TFormatedTextBlock>(this, FTextBlock, block);
}

void TGeneralFormatedTextBlockInterpret::Process(TElement* e) {
    TDevice* d = GetDevice();
    TPageProjection* p = d ? d->GetProjection() : nullptr;
    if (!As<TCanvasDevice>(d) || !p) return;
    Silent([&] {
        TFormatedTextBlock* block = GetTextBlock();
        TParagraphStyle* s = block->GetParagraphStyle();
        if (!s) return;
        bool deviceMode = s->TextHeight == 0;
        bool fromElement = !PropX.empty() && !PropY.empty();
        double x = X, y = Y, step;
        if (deviceMode) {
            if (s->TextSize == 0) return;
            d->GetFont()->SetHeight(-s->TextSize);
            step = s->LineSize;
            if (fromElement) {
                x = p->GetPageX(PropFloat(e, PropX));
                y = p->GetPageY(PropFloat(e, PropY));
            } else {
                x = std::nearbyint(X);
                y = std::nearbyint(Y);
            }
        } else {
            double scale = AbsSize ? p->GetScale() : p->GetVirtualScale();
            d->GetFont()->SetHeight(-p->GetPageLengthVert1(scale * s->TextHeight));
            step = scale * s->LineHeight;
            if (fromElement) {
                x = PropFloat(e, PropX);
                y = PropFloat(e, PropY);
            }
            if (x == 0 && y == 0) {
                T2DPoint corner = p->GetModelPoint(0, 0);
                x = corner.X;
                y = corner.Y;
            }
        }
        d->GetFont()->SetName(s->FontName);
        d->GetFont()->SetColor(s->TextColor);
        d->GetBrush()->SetStyle(bsClear);
        double startX = x;
        auto draw = [&](const std::string& text) {
            if (text.empty()) return;
            if (deviceMode) {
                d->TextOutDevice(static_cast<int>(x), static_cast<int>(y), text);
                x += d->TextWidth(text);
            } else {
                d->TextOut(x, y, text);
                x += d->TextModelWidth(text);
            }
        };
        for (int32_t i = 0; i < block->ElementsCount(); ++i) {
            auto* paragraph = As<TParagraph>(block->Get(i));
            if (!paragraph) continue;
            x = startX;
            draw(paragraph->GetText());
            for (int32_t j = 0; j < paragraph->ElementsCount(); ++j) {
                auto* text = As<TFormatedText>(paragraph->Get(j));
                if (!text) continue;
                if (As<TVariableText>(text)) text->SetText(GetPropStringByName(e, text->GetName()));
                draw(text->GetText());
            }
            y += deviceMode ? step : -step;
        }
    });
}

void RegisterSymbolInterpretsUnit() {
    RegisterZarixClass<TGeneralAreaInterpret>();
    RegisterZarixClass<TGeneralLineInterpret>();
    RegisterZarixClass<TGeneralPointInterpret>();
    RegisterZarixClass<TGeneralTextInterpret>();
    RegisterZarixClass<TGeneralFormatedTextBlockInterpret>();
}
