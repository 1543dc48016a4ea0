// Map-sheet production: a template (".MSD") and a map space give a finished page. The
// template's desktop gets the map space, its target view is centred on it, the data
// folder goes into every view's model script, the views load their data and the content
// script (".MSC" beside the template) sets texts and properties, asking the user for the
// variable texts ("?:").
#pragma once
#include <string>

#include "kernel/tools.h"

class TDesktop;
class TMapSpace;
class TStringElement;
class TStringList;
class TText;

// The pipeline. Inputs: a map space (kept as a child; nil removes it) and the string
// elements "TEMPLATE" and "DATADIR" (each replaces the one of its name). Output: the new
// desktop (the caller's), nil when no template could be read.
class TMapSheetFiller : public TTool {
    ZARIX_CLASS(TMapSheetFiller, TTool)
    static void Publish(PropertyTable& t);

public:
    bool FillGraphics = false;

    void SetInput(TElement* element) override;
    void DoIt() override;

    // Nil once it is no longer a child.
    TMapSpace* GetMapSpace();
    const std::string& LastTemplate() const { return FTemplate; }

private:
    std::string NamedString(const std::string& name);

    TMapSpace* FMapSpace = nullptr;
    std::string FTemplate;
};

// The content script: its name is the script's path; input and output the desktop. Each
// line is "object.property=value", "property=value" (of the desktop), "ToolClass=path"
// (the tool runs on the element the path names) or the command "QUERYTEXTDLG". Value
// prefixes: "?:" asks (the text keeps "?:"), "!:" evaluates the value as a command line,
// "!:LIST:" sets a string-list property to the command line's list.
class TMSCInterpret : public TTool {
    ZARIX_CLASS(TMSCInterpret, TTool)

public:
    static TMSCInterpret* New(const std::string& scriptPath);

    void DoIt() override;

private:
    void ExecuteLine(TDesktop* desktop, const std::string& line, int n);
    void QueryTexts(TDesktop* desktop);
    void Report(int n, const std::string& text);
};

// For scripts: runs a filler on MapSpace (the input) with TemplateName and DataDirectory;
// its output is the desktop.
class TMapCreator : public TTool {
    ZARIX_CLASS(TMapCreator, TTool)
    static void Publish(PropertyTable& t);

public:
    std::string DataDirectory;
    std::string TemplateName;
    bool FillGraphics = true;

    void Create() override;
    TMapSpace* GetMapSpace();
    void SetMapSpace(TMapSpace* space);
    void DoIt() override;
};

// The form "Tf_AskForText" over the texts of the input entity: one grid row per text
// (name, text); OK writes the second column back into the texts.
class TVarTextDialog : public TTool {
    ZARIX_CLASS(TVarTextDialog, TTool)

public:
    void DoIt() override;
};

// Whether the text starts with the "?" modifier; rest: the text after its ":".
bool IsVariableText(const std::string& text, std::string* rest = nullptr);

// The main tool's map composition: its filler gets the map space, "TEMPLATE" and "DATADIR",
// fills the graphics and runs; the desktop is posted to the main tool as message 30.
// Answers the desktop; nil (and nothing posted) when no template could be read.
TDesktop* ProduceMapComposition(TTool* mainTool, TMapSheetFiller* filler, TElement* mapSpace,
                                const std::string& templatePath, const std::string& dataDirectory);

// Registers TMapCreator.
void RegisterMapSheetProductionUnit();
