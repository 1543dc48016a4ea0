#include "composition/texts.h"

#include "held_children.h"
#include "kernel/class_registry.h"

using composition_detail::ExchangeHeldChild;
using composition_detail::StillHeld;

// ---- styles ----------------------------------------------------------------------------

void TTextStyle::Publish(PropertyTable& t) {
    using C = TTextStyle;
    t.Int<C>("TextColor", &C::TextColor, [](C* c, TColor v) { c->TextColor = v; });
    t.Float<C>("TextHeight", &C::TextHeight, [](C* c, double v) { c->TextHeight = v; });
    t.Int<C>("TextSize", &C::TextSize, [](C* c, int32_t v) { c->TextSize = v; });
    t.Str<C>("FontName", &C::FontName, [](C* c, const std::string& v) { c->FontName = v; });
    t.Set<C, uint8_t>("FontStyle", TypeInfoFontStyles(), &C::FontStyle, [](C* c, uint8_t v) { c->FontStyle = v; });
}

void TParagraphStyle::Publish(PropertyTable& t) {
    using C = TParagraphStyle;
    t.Float<C>("LineHeight", &C::LineHeight, [](C* c, double v) { c->LineHeight = v; });
    t.Int<C>("LineSize", &C::LineSize, [](C* c, int32_t v) { c->LineSize = v; });
}

// ---- TPlainTextBlock -------------------------------------------------------------------

void TPlainTextBlock::Publish(PropertyTable& t) {
    t.Obj<TPlainTextBlock, TPersistentStringList>("Lines", &TPlainTextBlock::GetLines, &TPlainTextBlock::SetLines);
}

void TPlainTextBlock::Destroy() {
    Free(FLines);
    FLines = nullptr;
    inherited::Destroy();
}

TPersistentStringList* TPlainTextBlock::GetLines() {
    if (!FLines) FLines = TPersistentStringList::New();
    return FLines;
}

void TPlainTextBlock::SetLines(TPersistentStringList* lines) {
    if (!lines || lines == FLines) return;
    GetLines()->AssignLines(*lines);
}

void TPlainTextBlock::LoadFromFile(const std::string& path) {
    TPersistentStringList* lines = GetLines();
    lines->Clear();
    lines->LoadFromFile(path);
}

// ---- TPlainText ------------------------------------------------------------------------

void TPlainText::Publish(PropertyTable& t) {
    using C = TPlainText;
    t.Str<C>("Text", &C::GetText, &C::SetText);
    t.Obj<C, TTextStyle>("TextStyle", &C::GetTextStyle, &C::SetTextStyle);
    t.Bool<C>("NewStyle", nullptr, &C::SetNewStyle);
}

TTextStyle* TPlainText::GetTextStyle() { return nullptr; }
void TPlainText::SetTextStyle(TTextStyle*) {}
void TPlainText::SetNewStyle(bool) {}

// ---- TFormatedText ---------------------------------------------------------------------

TTextStyle* TFormatedText::GetTextStyle() {
    return StillHeld(this, FStyle);
}

void TFormatedText::SetTextStyle(TTextStyle* style) {
    ExchangeHeldChild<TTextStyle>(this, FStyle, style);
}

TTextStyle* TFormatedText::NewStyle() { return TTextStyle::New(); }

void TFormatedText::SetNewStyle(bool make) {
    if (make) SetTextStyle(NewStyle());
}

// ---- TParagraph ------------------------------------------------------------------------

void TParagraph::Publish(PropertyTable& t) {
    using C = TParagraph;
    t.Obj<C, TParagraphStyle>("ParagraphStyle", &C::GetParagraphStyle, &C::SetParagraphStyle);
    t.Obj<C, TFormatedText>("NextText", nullptr, &C::SetNextText);
    t.Str<C>("NextTextName", nullptr, &C::SetNextTextName);
}

TParagraphStyle* TParagraph::GetParagraphStyle() { return As<TParagraphStyle>(GetTextStyle()); }
void TParagraph::SetParagraphStyle(TParagraphStyle* style) { SetTextStyle(style); }
TTextStyle* TParagraph::NewStyle() { return TParagraphStyle::New(); }

void TParagraph::SetNextText(TFormatedText* text) {
    if (text) AddElement(text);
}

void TParagraph::SetNextTextName(const std::string& name) {
    TFormatedText* text = TFormatedText::New();
    text->SetName(name);
    AddElement(text);
}

// ---- TFormatedTextBlock ----------------------------------------------------------------

void TFormatedTextBlock::Publish(PropertyTable& t) {
    using C = TFormatedTextBlock;
    t.Str<C>("NextParagraphName", nullptr, &C::SetNextParagraphName);
    t.Obj<C, TParagraph>("NextParagraph", nullptr, &C::SetNextParagraph);
    t.Str<C>("FindParagraphName", nullptr, &C::SetFindParagraphName);
    t.Obj<C, TParagraph>("ActualParagraph", &C::GetActualParagraph, nullptr);
}

void TFormatedTextBlock::SetNextParagraphName(const std::string& name) {
    TParagraph* paragraph = TParagraph::New();
    paragraph->SetName(name);
    AddElement(paragraph);
    FActual = paragraph;
}

void TFormatedTextBlock::SetNextParagraph(TParagraph* paragraph) {
    if (!paragraph) return;
    AddElement(paragraph);
    FActual = paragraph;
}

void TFormatedTextBlock::SetFindParagraphName(const std::string& name) {
    FActual = As<TParagraph>(FindElementName(name));
}

TParagraph* TFormatedTextBlock::GetActualParagraph() {
    return StillHeld(this, FActual);
}

void RegisterTextsUnit() {
    RegisterZarixClass<TPlainTextBlock>();
    RegisterZarixClass<TFormatedText>();
    RegisterZarixClass<TVariableText>();
    RegisterZarixClass<TParagraph>();
    RegisterZarixClass<TFormatedTextBlock>();
    RegisterZarixClass<TTextStyle>();
    RegisterZarixClass<TParagraphStyle>();
}
