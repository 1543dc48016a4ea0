// Map-sheet templates as plain text (".MSD"): a page with its rectangles, texts, pictures
// and views, one section per element ("[Class]", "NAME=", property lines, "END").
// TMSTemplateGenerator reads such a file into a new desktop; TDeskTopSaveToText writes a
// desktop to one.
#pragma once
#include <string>
#include <vector>

#include "kernel/recursor.h"
#include "kernel/tools.h"

class TCteniParametru;
class TDesktop;
class TDrawRectangle;
class TStringList;
class TText;
class TView;

// Reads the template file into a new desktop (the output, owned by the caller; nil when
// the file is missing, empty or holds no desktop section). Every element read and the
// desktop itself are moved by (DeltaX, DeltaY). A "[TDeskTopFile]" section reads the
// template it names (relative to this one's folder) with its own offsets and adds its
// desktop; a template that is being read already is not read again.
class TMSTemplateGenerator : public TTechnology {
    ZARIX_CLASS(TMSTemplateGenerator, TTechnology)
    static void Publish(PropertyTable& t);

public:
    double DeltaX = 0;
    double DeltaY = 0;

    const std::string& GetTemplatePath() const { return FTemplatePath; }
    void SetTemplatePath(const std::string& path) { FTemplatePath = path; }

    // A new element of the class with its property lines read (during DoIt).
    virtual TText* ReadText();
    virtual TElement* ReadGraphicFile();
    // The rectangle's fill is switched off.
    virtual TDrawRectangle* ReadDrawRectangle();

    void DoIt() override;

protected:
    // Property lines up to "END" applied to the element; the failures are shown.
    void ReadProperties(TElement* element);
    // The same; a key that is no property of the view goes to its model script.
    void ReadView(TView* view);

private:
    void ReadLines(TElement* element, TView* view);
    void ReadSection(const std::string& section, TDesktop*& desktop);
    void ReadNested(TElement* file, TDesktop* desktop);

    std::string FTemplatePath;
    TCteniParametru* FReader = nullptr;  // during DoIt
    bool FAtEnd = false;
};

// Writes the input desktop to MSDFileName (replacing it). Only desktops, drawn
// rectangles, pictures, texts and views are written and entered; each gets its header,
// a name line when its name is not the class name, its stored properties and, for a
// view, the lines of its model script. A section whose children are written is closed
// by "END" before the first of them and once more after the last.
class TDeskTopSaveToText : public TRecursor {
    ZARIX_CLASS(TDeskTopSaveToText, TRecursor)
    static void Publish(PropertyTable& t);

public:
    std::string MSDFileName;

    void Create() override;
    void DoIt() override;
    bool QGoInside(TElement* element) override;
    bool QProcessBefore(TElement* element) override;
    bool QProcessAfter(TElement* element) override;
    void Process(TElement* element) override;

    const std::string& LastClassName() const { return FLastClassName; }

private:
    void Line(const std::string& text);

    TStringList* FLines = nullptr;  // the file's text during DoIt
    std::string FLastClassName;
    bool FHeaderClosed = false;
};

// The stored property lines of an element as the template writes them ("Name=value").
std::vector<std::string> TemplatePropertyLines(TElement* element);

// Registers TMSTemplateGenerator.
void RegisterDesktopTemplateUnit();
