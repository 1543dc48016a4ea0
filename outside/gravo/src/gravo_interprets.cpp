// The map-data interprets of the Gravo package.
#include <cmath>

#include "gravo/gravo.h"
#include "gravo/topology.h"
#include "kernel/class_registry.h"
#include "platform/host.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

template <class T>
void FreeTable(T*& table) {
    if (table) Free(table);
    table = nullptr;
}

// Every element is drawn on its own; one that cannot be drawn beeps and the next follows.
template <class F>
void Guarded(F&& draw) {
    try {
        draw();
    } catch (const std::exception&) {
        MessageBeep(0xFFFF);
    }
}

}  // namespace

// ---- TGravoProps -------------------------------------------------------------------------

void TGravoProps::Publish(PropertyTable& t) {
    t.Int<TGravoProps>("ColorIndex", &TGravoProps::ColorIndex, [](TGravoProps* o, int32_t v) { o->ColorIndex = v; });
    t.Str<TGravoProps>("Table", [](TGravoProps* o) { return o->Table; },
                       [](TGravoProps* o, const std::string& v) { o->Table = v; });
    t.Int<TGravoProps>("Number", &TGravoProps::Number, [](TGravoProps* o, int32_t v) { o->Number = v; });
    t.Str<TGravoProps>("Text", [](TGravoProps* o) { return o->Text; },
                       [](TGravoProps* o, const std::string& v) { o->Text = v; });
}

TGravoProps* GravoPropsOf(TElement* element) {
    auto* s = As<TSpaceEntity>(element);
    return s ? As<TGravoProps>(s->GetPropertyObject()) : nullptr;
}

TGravoProps* AttachGravoProps(TSpaceEntity* element, int32_t colorIndex) {
    TGravoProps* p = TGravoProps::New();
    p->ColorIndex = colorIndex;
    element->SetPropertyObject(p);
    return p;
}

// ---- TGravoInterpret ---------------------------------------------------------------------

bool TGravoInterpret::CanUniGoInside(TElement* element) { return As<TSpaceEntityString>(element) != nullptr; }

bool TGravoInterpret::QGoInside(TElement* element) { return As<TSpaceEntityString>(element) != nullptr; }

TColor TGravoInterpret::ColorOf(TElement* element, TColor fallback) {
    TGravoProps* p = GravoPropsOf(element);
    return p ? DejBarvicku(static_cast<uint16_t>(p->ColorIndex)) : fallback;
}

int32_t TGravoInterpret::CodeOf(TSpaceEntity* element, const TSymbolTable* table) {
    int32_t code = element->GetCode();
    return code == 0 && table ? table->LayerCode(element) : code;
}

// ---- areas -------------------------------------------------------------------------------

bool TInterpretTopPloch::IsItsClass(TElement* e) { return (As<TAreaElement>(e) != nullptr) || (As<TAreaString>(e) != nullptr); }

bool TInterpretTopPloch::QProcessBefore(TElement* e) {
    auto* a = As<TAreaElement>(e);
    TDevice* d = GetDevice();
    if (!a || !d || !d->GetProjection() || !IsOverRegion(a)) return false;
    return a->GetLargestExtent() >= d->GetProjection()->GetModelLength(3);
}

void TInterpretTopPloch::Process(TElement* e) {
    auto* source = As<TAreaElement>(e);
    TDevice* d = GetDevice();
    if (!source || !d) return;
    Guarded([&] {
        TAreaElement* a = source;
        if ((As<TPolyLineAreaElement>(source) != nullptr)) a = source->CreateAreaElement();
        auto rings = RingsOf(a);
        TPlosnaZnacka* symbol = FSymbols ? FSymbols->VratZnackuDleKodu(CodeOf(source, FSymbols)) : nullptr;
        if (symbol) {
            d->PrepareForPolyPolygon(rings);
            FSymbols->VyplnPlochu(symbol, a);
        } else {
            d->GetBrush()->SetColor(ColorOf(source, clWhite));
            d->GetBrush()->SetStyle(bsSolid);
            d->GetPen()->SetColor(clBlack);
            d->GetPen()->SetStyle(psSolid);
            d->GetPen()->SetWidth(1);
            d->PolyPolygon(rings);
        }
        if (a != source) Free(a);
    });
}

void TInterpretTopPloch::Reset(TDevice* device) {
    inherited::Reset(device);
    FreeTable(FSymbols);
    FSymbols = LoadSymbolTable<TAreaSymbols>(PathOfLibraries + "\\Srafy.txt", GetDevice());
}

void TInterpretTopPloch::Close() {
    FreeTable(FSymbols);
    inherited::Close();
}

void TInterpretTopPloch::Destroy() {
    FreeTable(FSymbols);
    inherited::Destroy();
}

// ---- lines -------------------------------------------------------------------------------

bool TInterpretTopLinii::IsItsClass(TElement* e) { return (As<TPolyLineElement>(e) != nullptr) || (As<TPolyLineString>(e) != nullptr); }

bool TInterpretTopLinii::QProcessBefore(TElement* e) { return (As<TPolyLineElement>(e) != nullptr) && IsOverRegion(e); }

void TInterpretTopLinii::Process(TElement* e) {
    auto* line = As<TPolyLineElement>(e);
    TDevice* d = GetDevice();
    if (!line || !d) return;
    Guarded([&] {
        TColor color = ColorOf(line, clBlack);
        d->GetPen()->SetColor(color);
        d->GetPen()->SetStyle(psSolid);
        d->GetPen()->SetWidth(1);
        TLiniovaZnacka* symbol = FSymbols ? FSymbols->VratZnackuDleKodu(CodeOf(line, FSymbols)) : nullptr;
        if (symbol) {
            FSymbols->ZobrazLinii(line, symbol);
        } else if (TCanvas* c = d->Prepared()) {
            TPageProjection* proj = d->GetProjection();
            std::vector<TPixelPoint> px;
            for (int32_t part = 0; part < line->PartCount(); ++part) {
                px.clear();
                for (int32_t i = line->Parts()[static_cast<size_t>(part)]; i < line->PartEnd(part); ++i)
                    px.push_back(proj->GetPagePoint(line->X(i), line->Y(i)));
                c->Polyline(px);
            }
        }
        if (FPointSymbols && line->GetSymbolCode() > 999)
            FPointSymbols->PaintSymbol(TPointSymbols::psOutline | TPointSymbols::psFill | TPointSymbols::psTurn,
                                       line->GetSymbolCode(), line->GetRefX(), line->GetRefY(),
                                       line->GetOrientation() + kPi / 2);
    });
}

void TInterpretTopLinii::Reset(TDevice* device) {
    inherited::Reset(device);
    FreeTable(FSymbols);
    FreeTable(FPointSymbols);
    FSymbols = LoadSymbolTable<TLineSymbols>(PathOfLibraries + "\\linzn.txt", GetDevice());
    if (FSymbols) FSymbols->SetRegion(GetRegion());
    FPointSymbols = LoadSymbolTable<TPointSymbols>(PathOfLibraries + "\\Fonty.txt", GetDevice());
}

void TInterpretTopLinii::Close() {
    FreeTable(FSymbols);
    FreeTable(FPointSymbols);
    inherited::Close();
}

void TInterpretTopLinii::Destroy() {
    FreeTable(FSymbols);
    FreeTable(FPointSymbols);
    inherited::Destroy();
}

// ---- points ------------------------------------------------------------------------------

bool TInterpretTopBodu::IsItsClass(TElement* e) { return (As<TPointElement>(e) != nullptr) || (As<TPointString>(e) != nullptr); }

bool TInterpretTopBodu::QProcessBefore(TElement* e) {
    auto* p = As<TPointElement>(e);
    return p && IsInsideRegion(p->GetX(), p->GetY());
}

void TInterpretTopBodu::Process(TElement* e) {
    auto* p = As<TPointElement>(e);
    TDevice* d = GetDevice();
    if (!p || !d || !d->GetProjection()) return;
    Guarded([&] {
        d->GetPen()->SetColor(ColorOf(p, clBlack));
        d->GetPen()->SetStyle(psSolid);
        d->GetPen()->SetWidth(1);
        int32_t code = CodeOf(p, FSymbols);
        if (FSymbols && FSymbols->VratZnackuDleKodu(code)) {
            FSymbols->InterpretSymbol(p, code);
            return;
        }
        DrawPlainPointMark(d, p);
    });
}

void TInterpretTopBodu::Reset(TDevice* device) {
    inherited::Reset(device);
    FreeTable(FSymbols);
    FSymbols = LoadSymbolTable<TPointSymbols>(PathOfLibraries + "\\Fonty.txt", GetDevice());
}

void TInterpretTopBodu::Close() {
    FreeTable(FSymbols);
    inherited::Close();
}

void TInterpretTopBodu::Destroy() {
    FreeTable(FSymbols);
    inherited::Destroy();
}

// ---- texts -------------------------------------------------------------------------------

bool TInterpretTopTextu::IsItsClass(TElement* e) { return (As<TTextElement>(e) != nullptr) || (As<TTextString>(e) != nullptr); }

bool TInterpretTopTextu::QProcessBefore(TElement* e) {
    auto* t = As<TTextElement>(e);
    return t && IsInsideRegion(t->GetX(), t->GetY());
}

void TInterpretTopTextu::Process(TElement* e) {
    auto* t = As<TTextElement>(e);
    TDevice* d = GetDevice();
    if (!t || !d || !d->GetProjection() || t->GetText().empty()) return;
    Guarded([&] {
        // Every label starts from the default font (Arial, 8 points on any device), never from
        // what the text drawn before it left on the device.
        TFont label;
        if (t->GetHeight() > 0) {
            int h = d->GetProjection()->GetPageLengthVert1(t->GetHeight());
            if (h < 2) return;
            label.SetHeight(-h);
        }
        label.SetColor(ColorOf(t, clBlack));
        d->GetFont()->Assign(label);
        d->SetTextOrientation(t->GetOrientation() * 180 / kPi);
        d->GetBrush()->SetStyle(bsClear);
        d->TextOut(t->GetX(), t->GetY(), t->GetText());
    });
}

void DrawPlainPointMark(TDevice* d, TPointElement* p) {
    TPixelPoint at = d->GetProjection()->GetPagePoint(p->GetX(), p->GetY());
    d->MoveToDevice(at.X - 2, at.Y);
    d->LineToDevice(at.X + 2, at.Y);
    d->MoveToDevice(at.X, at.Y - 2);
    d->LineToDevice(at.X, at.Y + 2);
}

void RegisterGravoClasses() {
    static bool done = false;
    if (done) return;
    done = true;
    RegisterZarixClass<TGravoProps>();
    RegisterGravoTopologyClasses();
    RegisterZarixClass<TGravoInterpret>();
    RegisterZarixClass<TInterpretTopPloch>();
    RegisterZarixClass<TInterpretTopLinii>();
    RegisterZarixClass<TInterpretTopBodu>();
    RegisterZarixClass<TInterpretTopTextu>();
}
