// Modal dialogs that edit a copy of a text or a text block (the dialog owns the copy);
// callers copy the edited attributes back on OK with the functions below.
#pragma once
#include <string>

#include "composition/text_blocks.h"
#include "pelvar/graphics.h"
#include "pelvar/pelvar.h"
#include "platform/controls.h"

// The font dialog: "Name", "Height", "Color" (decimal), "Bold", "Italic", "Underline",
// "StrikeOut", "Charset", "OK", "Cancel". True on OK with the font changed.
bool ExecuteFontDialog(TFont& font);
// The colour dialog: "Color" (decimal), "OK", "Cancel".
bool ExecuteColorDialog(TColor& color);

// What the text and text-block dialogs share: name, font, colour and height fields with
// their unit combo "Combo_Units" ("mm", "cm", "m") and spin buttons ("<field>Up", "<field>Down").
class TTextDialogBase : public TForm {
public:
    using TForm::TForm;
    ~TTextDialogBase() override;
    // Takes the copy (freeing the one held before) and fills the controls from it.
    void SetElement(TText* copy);
    TText* Element() const { return FCopy; }

protected:
    void AddCommon();
    // A height field in metres of the copy, with its spin buttons (step 1 mm).
    void AddHeight(const std::string& edit, double (*get)(TText*), void (*set)(TText*, double));
    virtual void Fill();
    void FillHeights();
    void ShowFont();
    std::string Unit();

    TText* FCopy = nullptr;
    bool FFilling = false;
    struct Height {
        std::string Edit;
        double (*Get)(TText*);
        void (*Set)(TText*, double);
    };
    std::vector<Height> FHeights;
};

// "Nastavení parametrů textu".
class TEditTextDialog : public TTextDialogBase {
public:
    TEditTextDialog();

protected:
    void Fill() override;

private:
    void FillOrientation();
};

// The text block dialog: the heights of its characters and lines and the source file.
class TEditTextBlockDialog : public TTextDialogBase {
public:
    TEditTextBlockDialog();
    TTextBlock* Block() const { return As<TTextBlock>(FCopy); }
    // The folder the file browser opens in.
    std::string InitialDir;

protected:
    void Fill() override;
};

// Copy-back on OK, as each caller takes it.
// Template editor: name, text, font name, font style, character set, colour, height, orientation.
void CopyBackText(TText* edited, TText* element);
// Rectangle editor: text, font name, colour, height, orientation.
void CopyBackTextFromRectEditor(TText* edited, TText* element);
// Template editor: name, font name, font style, character set, colour, text height, line
// height, file name.
void CopyBackTextBlock(TTextBlock* edited, TTextBlock* element);
