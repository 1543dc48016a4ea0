#include "composition/user_symbol_colour.h"

#include "held_children.h"
#include "gravo/gravo.h"
#include "kernel/class_registry.h"
#include "platform/sysutils.h"
#include "symbol/symbol.h"
#include "platform/scope_exit.h"

using composition_detail::StillHeld;

void TSetUserSymbolColor::Publish(PropertyTable& t) {
    using C = TSetUserSymbolColor;
    t.Obj<C, TElement>("Elem", &C::GetElem, &C::SetElem).Stored(false);
    t.Int<C>("Color", &C::Color, [](C* o, int32_t v) { o->Color = v; });
    t.Bool<C>("UseColor", &C::UseColor, [](C* o, bool v) { o->UseColor = v; });
    t.Obj<C, TResultTool>("ToolColor", &C::GetToolColor, &C::SetToolColor);
    t.Str<C>("PropColor", &C::PropColor, [](C* o, const std::string& v) { o->PropColor = v; });
    t.Bool<C>("ColorByPalette", &C::ColorByPalette, [](C* o, bool v) { o->ColorByPalette = v; });
    t.Obj<C, TColorPalette>("Palette", &C::GetPalette, &C::SetPalette);
    t.Bool<C>("ColorByGravo", &C::ColorByGravo, [](C* o, bool v) { o->ColorByGravo = v; });
    t.Bool<C>("FillBackground", &C::FillBackground, [](C* o, bool v) { o->FillBackground = v; });
}

void TSetUserSymbolColor::SetElem(TElement* e) {
    FElem = e;
    FElemSerial = e ? e->Serial() : 0;
}

void TSetUserSymbolColor::SetToolColor(TResultTool* tool) {
    FToolColor = tool;
    FToolSerial = tool ? tool->Serial() : 0;
}

void TSetUserSymbolColor::SetPalette(TColorPalette* palette) {
    FPalette = palette;
    FPaletteSerial = palette ? palette->Serial() : 0;
}

TIntegerElement* TSetUserSymbolColor::SavedIndex() {
    if (!StillHeld<TIntegerElement>(this, FSaved)) {
        FSaved = TIntegerElement::New(0);
        AddElement(FSaved);
    }
    return FSaved;
}

TColor TSetUserSymbolColor::Resolve(int32_t index) {
    if (index == -1) return -1;
    TColor value;
    if (UseColor) {
        value = Color;
    } else if (TResultTool* tool = GetToolColor()) {
        TGravoProps* props = GravoPropsOf(GetElem());
        if (!props) return -1;
        TIntegerElement* saved = SavedIndex();
        saved->SetAsInteger(props->ColorIndex);
        props->ColorIndex = index;
        // The element keeps its own index whatever the tool does.
        {
            auto restore = MakeScopeExit([props, saved] { props->ColorIndex = saved->GetAsInteger(); });
            tool->SetInput(GetElem());
            tool->DoIt();
        }
        value = StrToInt(tool->Result);
    } else if (PropColor.empty()) {
        value = 0xFFFFFF;
    } else {
        value = index;
    }
    if (ColorByPalette) {
        TColorPalette* p = GetPalette();
        return p ? p->GetColor(value) : value;
    }
    if (ColorByGravo) return DejBarvicku(static_cast<uint16_t>(value));
    return value;
}

void TSetUserSymbolColor::DoIt() {
    inherited::DoIt();
    if (auto* line = As<TLiniovaZnacka>(Input)) {
        auto* elem = As<TPolyLineElement>(GetElem());
        if (!elem) return;
        TGravoProps* props = GravoPropsOf(elem);
        int32_t d = props ? props->ColorIndex : 0;
        line->UserColored = true;
        for (TLineComponent& c : line->Components) {
            c.UserColored = true;
            c.Color = Resolve(c.ColorIndex == -1 ? d : c.ColorIndex);
        }
    } else if (auto* area = As<TPlosnaZnacka>(Input)) {
        area->Fill.UserColored = true;
        area->Fill.Color = Resolve(area->Fill.ColorIndex);
        area->FillBackground = FillBackground;
        for (TPatternGroup& g : area->Groups)
            for (TPatternItem& item : g.Items) {
                item.UserColored = true;
                item.Color = Resolve(item.ColorIndex);
            }
    }
}

void RegisterUserSymbolColorUnit() { RegisterZarixClass<TSetUserSymbolColor>(); }
