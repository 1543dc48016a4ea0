// Cutting one large map window into page-sized pieces: a grid of equal windows on the
// same page, or a multi-page desktop made of copies of a page template with an overlap,
// and a preview of such a desktop's page outlines. Problems are posted to the tool's
// owners as text messages (8); the tool then ends without output.
#pragma once
#include <string>

#include "kernel/tools.h"
#include "pelvar/pelvar.h"

class TDesktop;
class TView;

// Input and output: a desktop. Its first view is replaced by a grid of views "V-i-j" of
// TileX x TileY with gaps dX, dy and a border Margin, each showing its part of the view's
// model (shared). With ReferSpace the view is only widened to whole tiles and its model
// rectangle copied into ReferSpace.
class TTileTemplate : public TTool {
    ZARIX_CLASS(TTileTemplate, TTool)
    static void Publish(PropertyTable& t);

public:
    double TileX = 0, TileY = 0, dX = 0, dy = 0, Margin = 0;
    bool Frame = false;
    int32_t FrameColor = 0;
    double FrameWidth = 0;
    TRectEntity* ReferSpace = nullptr;  // not owned

    void DoIt() override;
};

// The page template (TemplateFile, ".MSD") and the names of the source view and of the
// view on the template page that shows the map.
class TMultiDesktopTool : public TTool {
    ZARIX_CLASS(TMultiDesktopTool, TTool)
    static void Publish(PropertyTable& t);

public:
    std::string TemplateFile;
    std::string SourceViewName;
    std::string PageViewName;

    // The template page read last (a child of the tool); nil once it is no longer one.
    TDesktop* GetTemplatePage();
    // The child named PageViewName of the template page; nil when there is none.
    TView* GetPageView();

protected:
    // Reads the template moved by (dx, dy); the desktop is the caller's, nil when none.
    TDesktop* LoadTemplate(double dx, double dy);
    // Frees the held template page and holds this one.
    void SetTemplatePage(TDesktop* page);

    TDesktop* FTemplatePage = nullptr;
};

// Input: a desktop holding the source view; output: a new multi-page desktop (the
// caller's) whose pages "PAGE" are copies of the template, numbered from the top row, left
// to right, each page view showing its part of the source view's model with Overlap.
class TMultiPageDesktopCreator : public TMultiDesktopTool {
    ZARIX_CLASS(TMultiPageDesktopCreator, TMultiDesktopTool)
    static void Publish(PropertyTable& t);

public:
    std::string NumberTextName, LeftNumberTextName, RightNumberTextName;
    std::string TopNumberTextName, BottomNumberTextName, NoNumberText;
    double Overlap = 0;
    double Space = 0;
    TRectEntity* ReferSpace = nullptr;  // not owned

    void DoIt() override;
};

// Input: a multi-page desktop; output: the template page read again (a child of the
// tool), whose source view shows the map of the first page under an outline of every page.
class TMultiPageDesktopPreview : public TMultiDesktopTool {
    ZARIX_CLASS(TMultiPageDesktopPreview, TMultiDesktopTool)
    static void Publish(PropertyTable& t);

public:
    int32_t PenColor = 0;
    int32_t PenStyle = 0;
    double PenWidth = 0;
    int32_t BrushColor = 0;
    int32_t BrushStyle = 0;

    void DoIt() override;
};

// Registers TTileTemplate, TMultiDesktopTool, TMultiPageDesktopCreator and
// TMultiPageDesktopPreview.
void RegisterTilingUnit();
