// Formatted texts built by scripts: blocks of paragraphs, each a run of texts, with text
// and paragraph styles; and the plain text block that keeps the lines of a file.
#pragma once
#include <cstdint>
#include <string>

#include "composition/text_blocks.h"
#include "kernel/file_elements.h"
#include "pelvar/graphics.h"

class TTextStyle : public TOwnerElement {
    ZARIX_CLASS(TTextStyle, TOwnerElement)
    static void Publish(PropertyTable& t);

public:
    TColor TextColor = 0;
    double TextHeight = 0;
    int32_t TextSize = 0;
    std::string FontName;
    uint8_t FontStyle = 0;  // set of TFontStyle bits
};

class TParagraphStyle : public TTextStyle {
    ZARIX_CLASS(TParagraphStyle, TTextStyle)
    static void Publish(PropertyTable& t);

public:
    double LineHeight = 0;
    int32_t LineSize = 0;
};

class TPlainTextBlock : public TFileBasedEntity {
    ZARIX_CLASS(TPlainTextBlock, TFileBasedEntity)
    static void Publish(PropertyTable& t);

public:
    void Destroy() override;
    // Created empty on first read.
    TPersistentStringList* GetLines();
    // Copies the given list's lines; nil changes nothing.
    void SetLines(TPersistentStringList* lines);
    // Replaces the lines with those of the file.
    void LoadFromFile(const std::string& path) override;

private:
    TPersistentStringList* FLines = nullptr;
};

class TPlainText : public TOwnerEntity {
    ZARIX_CLASS(TPlainText, TOwnerEntity)
    static void Publish(PropertyTable& t);

public:
    const std::string& GetText() const { return FText; }
    void SetText(const std::string& t) { FText = t; }
    // A plain text has no style: nil, and setting does nothing.
    virtual TTextStyle* GetTextStyle();
    virtual void SetTextStyle(TTextStyle* style);
    virtual void SetNewStyle(bool make);

protected:
    std::string FText;
};

// A text that holds its style as a child.
class TFormatedText : public TPlainText {
    ZARIX_CLASS(TFormatedText, TPlainText)

public:
    TTextStyle* GetTextStyle() override;
    // Frees the held style and takes this one as a child; the held one changes nothing.
    void SetTextStyle(TTextStyle* style) override;
    // True replaces the held style with a new one; false does nothing.
    void SetNewStyle(bool make) override;

protected:
    virtual TTextStyle* NewStyle();
    TTextStyle* FStyle = nullptr;
};

class TVariableText : public TFormatedText {
    ZARIX_CLASS(TVariableText, TFormatedText)
};

// A paragraph: a run of texts (its children) with a paragraph style.
class TParagraph : public TFormatedText {
    ZARIX_CLASS(TParagraph, TFormatedText)
    static void Publish(PropertyTable& t);

public:
    virtual TParagraphStyle* GetParagraphStyle();
    virtual void SetParagraphStyle(TParagraphStyle* style);
    // Adds the text as a child; nil does nothing.
    void SetNextText(TFormatedText* text);
    // Adds a new text of that name.
    void SetNextTextName(const std::string& name);

protected:
    TTextStyle* NewStyle() override;
};

// A block of paragraphs with one of them actual, which scripts go on filling.
class TFormatedTextBlock : public TParagraph {
    ZARIX_CLASS(TFormatedTextBlock, TParagraph)
    static void Publish(PropertyTable& t);

public:
    // Adds a new paragraph of that name and makes it actual.
    void SetNextParagraphName(const std::string& name);
    // Adds the paragraph and makes it actual; nil does nothing.
    void SetNextParagraph(TParagraph* paragraph);
    // The child paragraph of that name becomes actual; none when there is no such one.
    void SetFindParagraphName(const std::string& name);
    // Nil once the actual paragraph is no longer a child.
    TParagraph* GetActualParagraph();

private:
    TParagraph* FActual = nullptr;
};

// Registers TPlainTextBlock, TFormatedText, TVariableText, TParagraph, TFormatedTextBlock,
// then the two styles (so that a stored text keeps its style).
void RegisterTextsUnit();
