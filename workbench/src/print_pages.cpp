#include "workbench/print_pages.h"

#include <cmath>

#include "kernel/class_registry.h"

void TPrintPages::Publish(PropertyTable& t) {
    using C = TPrintPages;
    t.Obj<C, TRectEntity>("Source", &C::GetSource, &C::SetSource).Stored(false);
    t.Float<C>("Scale", &C::GetScale, &C::SetScale);
    t.Float<C>("Overlap", &C::GetOverlap, &C::SetOverlap);
    t.Bool<C>("Center", &C::GetCenter, &C::SetCenter);
    t.Bool<C>("FitToOne", &C::GetFitToOne, &C::SetFitToOne);
    t.Int<C>("ColCount", &C::GetColCount, nullptr);
    t.Int<C>("RowCount", &C::GetRowCount, nullptr);
}

void TPrintPages::Create() {
    inherited::Create();
    FScale = 1.0;
}

TRectEntity* TPrintPages::GetSource() const {
    return FSource && IsLive(FSource, FSourceSerial) ? FSource : nullptr;
}

void TPrintPages::SetSource(TRectEntity* source) {
    FSource = source;
    FSourceSerial = source ? source->Serial() : 0;
    BuildPages();
}

void TPrintPages::SetScale(double scale) {
    FScale = scale;
    BuildPages();
}

TDevice* TPrintPages::GetDevice() const { return IsLive(FDevice) ? FDevice : nullptr; }

void TPrintPages::SetOverlap(double overlap) {
    FOverlap = overlap;
    BuildPages();
}

void TPrintPages::SetCenter(bool center) {
    if (center == FCenter) return;
    FCenter = center;
    BuildPages();
}

TRectEntity* TPrintPages::LivePages() {
    if (FPages && IsLive(FPages) && IndexOf(FPages) >= 0) return FPages;
    FPages = nullptr;
    return nullptr;
}

TRectEntity* TPrintPages::GetPages() {
    if (!LivePages()) {
        FPages = TRectEntity::New();
        FPages->SetName("Pages");
        AddElement(FPages);
    }
    return FPages;
}

int32_t TPrintPages::PageCount() {
    TRectEntity* pages = LivePages();
    return pages ? pages->ElementsCount() : 0;
}

TDrawRectangle* TPrintPages::GetPage(int32_t index) {
    TRectEntity* pages = LivePages();
    if (!pages || index < 0 || index >= pages->ElementsCount()) return nullptr;
    return As<TDrawRectangle>(pages->Get(index));
}

void TPrintPages::ClearPages() {
    if (TRectEntity* pages = LivePages()) pages->FreeAll();
}

int64_t PrintSheetCount(double length, double step) {
    if (!(step > 0) || !std::isfinite(step)) return -1;
    double q = length / step;
    if (!std::isfinite(q) || q > static_cast<double>(TPrintPages::MaxPages)) return -1;
    if (q <= 0) return 0;
    double whole = std::trunc(q);
    return static_cast<int64_t>(whole) + (q - whole > 0.001 ? 1 : 0);
}

void TPrintPages::BuildPages() {
    if (TRectEntity* pages = LivePages()) {
        FPages = nullptr;
        FreeElement(pages);
    }
    FRect.Clear();
    FColCount = FRowCount = 0;
    FTooMany = FNoStep = false;
    TRectEntity* source = GetSource();
    TDevice* device = GetDevice();
    double scale = GetScale();
    if (!source || !device || scale == 0) return;

    double pw = (device->GetRealWidth() - FOverlap) * scale;
    double ph = (device->GetRealHeight() - FOverlap) * scale;
    if (!(pw > 0) || !(ph > 0)) {
        FNoStep = true;
        return;
    }
    int64_t cols = PrintSheetCount(source->GetWidth(), pw);
    int64_t rows = PrintSheetCount(source->GetHeight(), ph);
    if (FFitToOne) cols = rows = 1;
    if (cols < 0 || rows < 0 || cols * rows > MaxPages) {
        FTooMany = true;
        return;
    }
    FColCount = static_cast<int32_t>(cols);
    FRowCount = static_cast<int32_t>(rows);

    TRectEntity* container = GetPages();
    double minX = source->GetMinX();
    double minY = source->GetMinY();
    for (int32_t j = 0; j < FRowCount; ++j) {
        for (int32_t i = 0; i < FColCount; ++i) {
            TDrawRectangle* sheet = TDrawRectangle::New();
            double x = minX + i * pw - FOverlap;
            double y = minY + j * ph - FOverlap;
            sheet->SetRect(x, y, x + pw + FOverlap, y + ph + FOverlap);
            sheet->SetPenColor(clBlack);
            sheet->SetPenStyle(psSolid);
            sheet->SetBrushStyle(bsSolid);
            sheet->SetBrushColor(clWhite);
            container->AddAndUpdateRect(sheet);
            FRect.UpdateByRectangle(sheet->Rect());
        }
    }
    if (FCenter) CenterPages();
}

void TPrintPages::CenterPages() {
    TRectEntity* source = GetSource();
    TRectEntity* container = LivePages();
    if (!source || !container || FRect.IsEmpty()) return;
    double dx = source->GetCenterX() - GetCenterX();
    double dy = source->GetCenterY() - GetCenterY();
    container->GetRect()->Clear();
    FRect.Clear();
    for (int32_t i = 0; i < container->ElementsCount(); ++i) {
        auto* sheet = As<TRectEntity>(container->Get(i));
        if (!sheet) continue;
        sheet->Move(dx, dy);
        container->UpdateRect(sheet->Rect());
        FRect.UpdateByRectangle(sheet->Rect());
    }
}

void RegisterPrintPagesUnit() { RegisterZarixClass<TPrintPages>(); }
