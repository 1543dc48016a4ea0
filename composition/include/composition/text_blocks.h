// The text block: a page text that shows a list of lines (a legend, a list of sheet
// names), filled from a text file or by scripts.
#pragma once
#include <cstdint>
#include <string>

#include "pelvar/pelvar.h"
#include "platform/classes.h"

// A string list that can be a published property value.
class TPersistentStringList : public TPersistent, public TStringList {
    ZARIX_CLASS(TPersistentStringList, TPersistent)

public:
    // Replaces the lines with those of the other list (its sorting is not taken).
    void AssignLines(const TStringList& other);
};

class TTextBlock : public TText {
    ZARIX_CLASS(TTextBlock, TText)
    static void Publish(PropertyTable& t);

public:
    void Create() override;   // LineHeight 0.015, TextHeight 0.01
    void Destroy() override;  // frees the lines

    double GetLineHeight() const { return FLineHeight; }
    void SetLineHeight(double h) { FLineHeight = h; }
    // The lines, created empty on first read; owned by the block.
    TPersistentStringList* GetLines();
    // Takes a copy of the given lines, sorted as the block's Sorted flag says; nil drops
    // the list.
    void SetLines(TPersistentStringList* lines);
    // With as many given lines as own ones: own line i + Delimiter + given line i, for
    // every i. Otherwise nothing changes. The given list stays the caller's.
    void SetLinesPlus(TPersistentStringList* lines);
    int32_t GetLinesCount() const { return FLines ? FLines->Count() : 0; }
    const std::string& GetFileName() const { return FFileName; }
    // An existing file replaces the lines with its own; a missing one keeps them.
    void SetFileName(const std::string& name);
    const std::string& GetDelimiter() const { return FDelimiter; }
    void SetDelimiter(const std::string& d) { FDelimiter = d; }
    // The list's own sorting while a list exists, else the flag.
    bool GetSorted();
    void SetSorted(bool sorted);

private:
    TPersistentStringList* NeedLines();

    double FLineHeight = 0;
    TPersistentStringList* FLines = nullptr;
    std::string FFileName;
    std::string FDelimiter;
    bool FSorted = false;
};

// Registers TTextBlock.
void RegisterTextBlockUnit();
