// Pages ("desktops") of a map composition: element trees placed in page coordinates,
// multi-page desktops that spread one composition over several sheets and number them,
// the pages that map-sheet production fills, and stored pages placed on a page.
#pragma once
#include <cstdint>
#include <string>

#include "kernel/file_elements.h"
#include "pelvar/pelvar.h"

class TMapSpace;
class TView;

class TDesktop : public TDrawRectangle {
    ZARIX_CLASS(TDesktop, TDrawRectangle)

public:
    void Create() override;  // white brush
    // The map sheet the page shows (a child of the page); nil once it is no longer one.
    TMapSpace* GetMapSpace();
    // Frees the held map space and holds this one as a child; the held one changes
    // nothing.
    void SetMapSpace(TMapSpace* space);

private:
    TMapSpace* FMapSpace = nullptr;
};

// The page template of a map sheet.
class TMapSheetTemplate : public TDesktop {
    ZARIX_CLASS(TMapSheetTemplate, TDesktop)
};

class TmapSheet : public TMapSheetTemplate {
    ZARIX_CLASS(TmapSheet, TMapSheetTemplate)
    static void Publish(PropertyTable& t);

public:
    const std::string& GetSave() const { return FSave; }
    // Beeps and keeps the text.
    void SetSave(const std::string& text);

private:
    std::string FSave;
};

// The map sheets of a composition.
class TMapSheets : public TOwnerEntity {
    ZARIX_CLASS(TMapSheets, TOwnerEntity)
};

// A page stored in a file, placed on this page with a shift.
class TDeskTopFile : public TFileElement {
    ZARIX_CLASS(TDeskTopFile, TFileElement)
    static void Publish(PropertyTable& t);

public:
    double DeltaX = 0;
    double DeltaY = 0;
};

// Pages (its children, each a TDesktop) that make one composition; a page's number is
// its child index + 1. The page numbers and those of each page's neighbours are written
// into texts on the pages, found by name.
class TMultiPageDesktop : public TRectEntity {
    ZARIX_CLASS(TMultiPageDesktop, TRectEntity)
    static void Publish(PropertyTable& t);

public:
    int32_t PageCount() { return ElementsCount(); }
    // The page at the index; an index above the last gives the last; none without pages.
    TDesktop* GetPage(int32_t index);
    // The first page holding the point.
    TDesktop* PageAt(double x, double y);
    // The number of the page holding the point; 0 for none and while no page is actual.
    int32_t PageNumberAt(double x, double y);

    // Nil once the page is no longer one of the pages.
    TDesktop* GetActualPage();
    void SetActualPage(TDesktop* page) { FActualPage = page; }
    // Page n (clamped to the pages) becomes the actual page.
    void SetFIndPageNumber(int32_t n);
    int32_t GetActualNumber();
    int32_t GetActualLeftNumber() { return NeighbourNumber(-1, 0); }
    int32_t GetActualRightNumber() { return NeighbourNumber(1, 0); }
    int32_t GetActualTopNumber() { return NeighbourNumber(0, 1); }
    int32_t GetActualBottomNumber() { return NeighbourNumber(0, -1); }
    // Removes and frees page n and numbers the others anew; other numbers do nothing.
    void SetPageNumberToDelete(int32_t n);
    // Names each page "Page " + its number and fills its number texts; the last page
    // ends as the actual page.
    void SetFillNumbers(bool any);

    double Overlap = 0;
    double RealOverlap = 0;
    std::string NumberTextName;
    std::string LeftNumberTextName;
    std::string RightNumberTextName;
    std::string TopNumberTextName;
    std::string BottomNumberTextName;
    std::string NoNumberText;

private:
    // The number of the page one page width (dx) or height (dy) away from the actual
    // page's centre.
    int32_t NeighbourNumber(int dx, int dy);

    TDesktop* FActualPage = nullptr;  // one of the pages, not owned
};

// The child of the element found by name when it is a view; else nil.
TView* FindView(TElement* element, const std::string& name);

// Registers TDesktop, TMultiPageDesktop and TDeskTopFile.
void RegisterPagesUnit();
// Registers TmapSheet.
void RegisterMapSheetUnit();
