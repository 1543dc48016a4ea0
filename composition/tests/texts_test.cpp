#include <gtest/gtest.h>

#include "composition/texts.h"
#include "kernel/property_access.h"
#include "page_test_util.h"

namespace {

using pagetest::PageModelTest;

std::vector<std::string> LinesOf(const TStringList* l) {
    std::vector<std::string> out;
    if (l)
        for (int i = 0; i < l->Count(); ++i) out.push_back((*l)[i]);
    return out;
}

using TextBlockTest = PageModelTest;

TEST_F(TextBlockTest, LinesFromFilesAndAppendedLines) {
    TTextBlock* b = TTextBlock::New();
    EXPECT_DOUBLE_EQ(b->GetLineHeight(), 0.015);
    EXPECT_DOUBLE_EQ(b->GetTextHeight(), 0.01);
    EXPECT_EQ(b->GetLinesCount(), 0);
    b->SetFileName(Path("missing.txt"));
    EXPECT_EQ(b->GetLinesCount(), 0);
    b->SetFileName(WriteLines("a.txt", "one\r\ntwo\nthree\n"));
    EXPECT_EQ(LinesOf(b->GetLines()), (std::vector<std::string>{"one", "two", "three"}));
    b->SetFileName(Path("missing.txt"));
    EXPECT_EQ(b->GetLinesCount(), 3);

    TPersistentStringList* plus = TPersistentStringList::New();
    plus->Add("1");
    plus->Add("2");
    b->SetDelimiter(" - ");
    b->SetLinesPlus(plus);  // another length: nothing
    b->SetLinesPlus(nullptr);
    plus->Add("3");
    b->SetLinesPlus(plus);
    EXPECT_EQ(LinesOf(b->GetLines()), (std::vector<std::string>{"one - 1", "two - 2", "three - 3"}));
    b->SetSorted(true);
    b->SetLinesPlus(plus);  // a sorted list sorts again
    EXPECT_EQ(LinesOf(b->GetLines()), (std::vector<std::string>{"one - 1 - 1", "three - 3 - 2", "two - 2 - 3"}));
    EXPECT_EQ(plus->Count(), 3);

    // Lines takes a copy: the blocks and the caller each keep their own list.
    b->SetLines(plus);
    EXPECT_NE(b->GetLines(), plus);
    EXPECT_EQ(LinesOf(b->GetLines()), LinesOf(plus));
    b->SetLines(b->GetLines());
    EXPECT_EQ(b->GetLinesCount(), 3);
    TZarixInstance* inst = TZarixInstance::New();
    inst->SetInstance(b);
    auto* copy = As<TTextBlock>(static_cast<TElement*>(inst->CreateInstanceCopy()));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(LinesOf(copy->GetLines()), LinesOf(b->GetLines()));
    Free(inst);
    Free(copy);
    Free(plus);
    Free(b);
}

TEST_F(TextBlockTest, SortedBeforeAnyListOnlyStoresTheFlag) {
    TTextBlock* b = TTextBlock::New();
    b->SetSorted(true);
    EXPECT_TRUE(b->GetSorted());
    b->GetLines()->Add("b");
    b->GetLines()->Add("a");
    EXPECT_FALSE(b->GetSorted());
    EXPECT_EQ(LinesOf(b->GetLines()), (std::vector<std::string>{"b", "a"}));
    b->SetSorted(true);
    EXPECT_EQ(LinesOf(b->GetLines()), (std::vector<std::string>{"a", "b"}));
    Free(b);
}

TEST_F(TextBlockTest, StoredBlockReadsItsFileAgainSorted) {
    TTextBlock* b = TTextBlock::New();
    b->SetName("Legend");
    b->SetFileName(WriteLines("legend.txt", Cz("žluť\r\nchyba\r\nauto\r\n")));
    b->SetDelimiter(";");
    b->SetSorted(true);
    TTextBlock* back = RoundTrip(b);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->GetName(), "Legend");
    EXPECT_EQ(back->GetDelimiter(), ";");
    EXPECT_TRUE(back->GetSorted());
    EXPECT_EQ(LinesOf(back->GetLines()), (std::vector<std::string>{"auto", "chyba", Cz("žluť")}));
    Free(back);
}

using FormattedTextTest = PageModelTest;

TEST_F(FormattedTextTest, ScriptBuildsParagraphsThatSurviveAModelFile) {
    TFormatedTextBlock* block = TFormatedTextBlock::New();
    block->SetName("Block");
    EXPECT_TRUE(SetPropStringByName(block, "NextParagraphName", "P1"));
    TParagraph* p1 = block->GetActualParagraph();
    ASSERT_NE(p1, nullptr);
    p1->SetNextTextName("T1");
    p1->SetNewStyle(true);
    TParagraphStyle* ps = p1->GetParagraphStyle();
    ASSERT_NE(ps, nullptr);
    ps->LineHeight = 0.02;
    ps->FontName = "Arial";
    p1->SetParagraphStyle(ps);  // the held style: kept
    EXPECT_EQ(p1->GetTextStyle(), ps);
    auto* t1 = As<TFormatedText>(p1->FindElementName("T1"));
    ASSERT_NE(t1, nullptr);
    t1->SetText("Hello");
    t1->SetNewStyle(true);
    t1->GetTextStyle()->TextHeight = 0.005;
    t1->SetNewStyle(false);
    EXPECT_NE(t1->GetTextStyle(), nullptr);
    block->SetNextParagraphName("P2");
    block->SetNextParagraph(nullptr);
    EXPECT_EQ(block->GetActualParagraph()->GetName(), "P2");
    block->SetFindParagraphName("P1");
    EXPECT_EQ(block->GetActualParagraph(), p1);
    block->SetFindParagraphName("none");
    EXPECT_EQ(block->GetActualParagraph(), nullptr);

    TFormatedTextBlock* back = RoundTrip(block);
    ASSERT_NE(back, nullptr);
    auto* q1 = As<TParagraph>(back->FindElementName("P1"));
    ASSERT_NE(q1, nullptr);
    EXPECT_NE(back->FindElementName("P2"), nullptr);
    ASSERT_NE(q1->GetParagraphStyle(), nullptr);
    EXPECT_DOUBLE_EQ(q1->GetParagraphStyle()->LineHeight, 0.02);
    EXPECT_EQ(q1->GetParagraphStyle()->FontName, "Arial");
    EXPECT_EQ(q1->ElementsCount(), 2);  // the text and the style, each once
    auto* u1 = As<TFormatedText>(q1->FindElementName("T1"));
    ASSERT_NE(u1, nullptr);
    EXPECT_EQ(u1->GetText(), "Hello");
    ASSERT_NE(u1->GetTextStyle(), nullptr);
    EXPECT_DOUBLE_EQ(u1->GetTextStyle()->TextHeight, 0.005);
    Free(back);
}

TEST_F(FormattedTextTest, PlainTextsHaveNoStyle) {
    TPlainText* t = TPlainText::New();
    t->SetNewStyle(true);
    TTextStyle* s = TTextStyle::New();
    t->SetTextStyle(s);
    EXPECT_EQ(t->GetTextStyle(), nullptr);
    Free(s);
    Free(t);

    TPlainTextBlock* pb = TPlainTextBlock::New();
    pb->SetFileName(WriteLines("p.txt", "x\ny\n"));
    EXPECT_EQ(LinesOf(pb->GetLines()), (std::vector<std::string>{"x", "y"}));
    pb->SetLines(nullptr);
    EXPECT_EQ(pb->GetLines()->Count(), 2);
    Free(pb);
}

}  // namespace
