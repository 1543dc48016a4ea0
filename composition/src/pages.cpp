#include "composition/pages.h"

#include "composition/map_spaces.h"
#include "composition/views.h"
#include "held_children.h"
#include "kernel/class_registry.h"
#include "platform/host.h"
#include "platform/sysutils.h"

using composition_detail::ExchangeHeldChild;
using composition_detail::StillHeld;

void TDesktop::Create() {
    inherited::Create();
    FBrushColor = clWhite;
}

TMapSpace* TDesktop::GetMapSpace() { return StillHeld(this, FMapSpace); }

void TDesktop::SetMapSpace(TMapSpace* space) { ExchangeHeldChild<TMapSpace>(this, FMapSpace, space); }

// ---- TmapSheet -------------------------------------------------------------------------

void TmapSheet::Publish(PropertyTable& t) { t.Str<TmapSheet>("Save", &TmapSheet::GetSave, &TmapSheet::SetSave); }

void TmapSheet::SetSave(const std::string& text) {
    MessageBeep(0);
    FSave = text;
}

// ---- TDeskTopFile ----------------------------------------------------------------------

void TDeskTopFile::Publish(PropertyTable& t) {
    using C = TDeskTopFile;
    t.Float<C>("DeltaX", &C::DeltaX, [](C* c, double v) { c->DeltaX = v; });
    t.Float<C>("DeltaY", &C::DeltaY, [](C* c, double v) { c->DeltaY = v; });
}

// ---- TMultiPageDesktop -----------------------------------------------------------------

void TMultiPageDesktop::Publish(PropertyTable& t) {
    using C = TMultiPageDesktop;
    auto text = [&t](const char* name, std::string C::*field) {
        t.Str<C>(name, [field](C* c) { return c->*field; }, [field](C* c, const std::string& v) { c->*field = v; });
    };
    t.Obj<C, TDesktop>("ActualPage", &C::GetActualPage, &C::SetActualPage).Stored(false);
    t.Int<C>("FIndPageNumber", nullptr, &C::SetFIndPageNumber);
    t.Int<C>("ActualNumber", &C::GetActualNumber, nullptr).Stored(false);
    t.Int<C>("ActualLeftNumber", &C::GetActualLeftNumber, nullptr).Stored(false);
    t.Int<C>("ActualRightNumber", &C::GetActualRightNumber, nullptr).Stored(false);
    t.Int<C>("ActualTopNumber", &C::GetActualTopNumber, nullptr).Stored(false);
    t.Int<C>("ActualBottomNumber", &C::GetActualBottomNumber, nullptr).Stored(false);
    t.Int<C>("PageNumberToDelete", nullptr, &C::SetPageNumberToDelete);
    t.Float<C>("Overlap", &C::Overlap, [](C* c, double v) { c->Overlap = v; });
    t.Float<C>("RealOverlap", &C::RealOverlap, [](C* c, double v) { c->RealOverlap = v; });
    text("NumberTextName", &C::NumberTextName);
    text("LeftNumberTextName", &C::LeftNumberTextName);
    text("RightNumberTextName", &C::RightNumberTextName);
    text("TopNumberTextName", &C::TopNumberTextName);
    text("BottomNumberTextName", &C::BottomNumberTextName);
    text("NoNumberText", &C::NoNumberText);
    t.Bool<C>("FillNumbers", nullptr, &C::SetFillNumbers);
}

TDesktop* TMultiPageDesktop::GetPage(int32_t index) {
    int32_t count = PageCount();
    if (count == 0 || index < 0) return nullptr;
    return As<TDesktop>(Get(index < count ? index : count - 1));
}

TDesktop* TMultiPageDesktop::PageAt(double x, double y) {
    for (int32_t i = 0; i < PageCount(); ++i)
        if (auto* page = As<TDesktop>(Get(i)); page && page->PointIsInside(x, y)) return page;
    return nullptr;
}

int32_t TMultiPageDesktop::PageNumberAt(double x, double y) {
    if (!GetActualPage()) return 0;
    TDesktop* page = PageAt(x, y);
    return page ? IndexOf(page) + 1 : 0;
}

TDesktop* TMultiPageDesktop::GetActualPage() { return StillHeld(this, FActualPage); }

void TMultiPageDesktop::SetFIndPageNumber(int32_t n) {
    if (n <= 0) n = 1;
    if (n > PageCount()) n = PageCount();
    FActualPage = GetPage(n - 1);
}

int32_t TMultiPageDesktop::GetActualNumber() {
    TDesktop* page = GetActualPage();
    return page ? IndexOf(page) + 1 : 0;
}

int32_t TMultiPageDesktop::NeighbourNumber(int dx, int dy) {
    TDesktop* page = GetActualPage();
    if (!page) return 0;
    return PageNumberAt(page->GetCenterX() + dx * page->GetWidth(), page->GetCenterY() + dy * page->GetHeight());
}

void TMultiPageDesktop::SetPageNumberToDelete(int32_t n) {
    if (n <= 0 || n > PageCount()) return;
    TElement* page = Get(n - 1);
    if (n == GetActualNumber()) SetFIndPageNumber(n - 1);
    if (FActualPage == page) FActualPage = nullptr;
    FreeElement(page);
    SetFillNumbers(true);
}

void TMultiPageDesktop::SetFillNumbers(bool) {
    for (int32_t i = 0; i < PageCount(); ++i) {
        auto* page = As<TDesktop>(Get(i));
        if (!page) continue;
        FActualPage = page;
        page->SetName("Page " + IntToStr(i + 1));
        const std::string* names[] = {&NumberTextName, &LeftNumberTextName, &RightNumberTextName,
                                      &TopNumberTextName, &BottomNumberTextName};
        int32_t numbers[] = {i + 1, GetActualLeftNumber(), GetActualRightNumber(), GetActualTopNumber(),
                             GetActualBottomNumber()};
        for (int k = 0; k < 5; ++k)
            if (auto* text = As<TText>(page->FindElementName(*names[k])))
                text->SetText(numbers[k] <= 0 ? NoNumberText : IntToStr(numbers[k]));
    }
}

TView* FindView(TElement* element, const std::string& name) {
    auto* entity = As<TEntity>(element);
    return entity ? As<TView>(entity->FindElementName(name)) : nullptr;
}

void RegisterPagesUnit() {
    RegisterZarixClass<TDesktop>();
    RegisterZarixClass<TMultiPageDesktop>();
    RegisterZarixClass<TDeskTopFile>();
}

void RegisterMapSheetUnit() { RegisterZarixClass<TmapSheet>(); }
