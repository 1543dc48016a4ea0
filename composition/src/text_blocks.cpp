#include "composition/text_blocks.h"

#include "kernel/class_registry.h"
#include "platform/files.h"

void TPersistentStringList::AssignLines(const TStringList& other) {
    if (&other == static_cast<TStringList*>(this)) return;
    bool sorted = Sorted();
    SetSorted(false);
    Clear();
    for (int i = 0; i < other.Count(); ++i) Add(other[i]);
    SetSorted(sorted);
}

void TTextBlock::Publish(PropertyTable& t) {
    using C = TTextBlock;
    t.Float<C>("LineHeight", &C::GetLineHeight, &C::SetLineHeight);
    t.Obj<C, TPersistentStringList>("Lines", &C::GetLines, &C::SetLines);
    t.Obj<C, TPersistentStringList>("LinesPlus", nullptr, &C::SetLinesPlus);
    t.Int<C>("LinesCount", &C::GetLinesCount, nullptr);
    t.Str<C>("FileName", &C::GetFileName, &C::SetFileName);
    t.Str<C>("Delimiter", &C::GetDelimiter, &C::SetDelimiter);
    t.Bool<C>("Sorted", &C::GetSorted, &C::SetSorted);
}

void TTextBlock::Create() {
    inherited::Create();
    FLineHeight = 0.015;
    FTextHeight = 0.01;
}

void TTextBlock::Destroy() {
    Free(FLines);
    FLines = nullptr;
    inherited::Destroy();
}

TPersistentStringList* TTextBlock::NeedLines() {
    if (!FLines) FLines = TPersistentStringList::New();
    return FLines;
}

TPersistentStringList* TTextBlock::GetLines() { return NeedLines(); }

void TTextBlock::SetLines(TPersistentStringList* lines) {
    if (lines == FLines) return;
    if (!lines) {
        Free(FLines);
        FLines = nullptr;
        return;
    }
    TPersistentStringList* own = NeedLines();
    own->SetSorted(false);
    own->AssignLines(*lines);
    own->SetSorted(FSorted);
}

void TTextBlock::SetLinesPlus(TPersistentStringList* lines) {
    if (!lines || !FLines || lines->Count() != FLines->Count()) return;
    if (lines == FLines) {
        TPersistentStringList copy;
        copy.AssignLines(*lines);
        SetLinesPlus(&copy);
        return;
    }
    // A sorted list takes no replaced lines: they are replaced unsorted and sorted again.
    bool sorted = FLines->Sorted();
    FLines->SetSorted(false);
    for (int i = 0; i < FLines->Count(); ++i) FLines->Put(i, (*FLines)[i] + FDelimiter + (*lines)[i]);
    FLines->SetSorted(sorted);
}

void TTextBlock::SetFileName(const std::string& name) {
    FFileName = name;
    if (name.empty() || !FileExists(name)) return;
    TPersistentStringList* own = NeedLines();
    own->Clear();
    try {
        own->LoadFromFile(name);
    } catch (...) {
    }
}

bool TTextBlock::GetSorted() {
    if (FLines) FSorted = FLines->Sorted();
    return FSorted;
}

void TTextBlock::SetSorted(bool sorted) {
    FSorted = sorted;
    if (FLines) FLines->SetSorted(sorted);
}

void RegisterTextBlockUnit() { RegisterZarixClass<TTextBlock>(); }
