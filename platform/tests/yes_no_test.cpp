#include "platform/yes_no.h"

#include <gtest/gtest.h>

#include <vector>

#include "test_support.h"

namespace {

TEST(YesNoTest, OnlyYesIsTrue) {
    struct Case { bool queued; int answer; bool expected; };
    for (Case c : {Case{true, mrYes, true}, Case{true, mrNo, false}, Case{true, mrCancel, false},
                   Case{true, mrOk, false}, Case{false, 0, false}}) {
        InstalledHost host;
        if (c.queued) host.PushResult(c.answer);
        EXPECT_EQ(ShowYesNo("q"), c.expected) << c.answer;
        ASSERT_EQ(host.Records().size(), 1u);
        EXPECT_EQ(host.Records()[0].caption, "TAnoNeDialog");
    }
}

// The user clicks a button or closes the dialog some other way.
TEST(YesNoTest, ButtonsAnswerAndClosingIsNo) {
    struct Case { const char* action; bool expected; };
    for (Case c : {Case{"Ano", true}, Case{"Ne", false}, Case{"close", false}}) {
        InstalledHost host;
        std::string action = c.action;
        host.PushAction([action] {
            TYesNoQuestion* q = ActiveYesNoQuestion();
            if (!q) return mrYes;
            if (action == "close") q->Close();
            else (*q)[action].Click();
            return q->ModalResult;
        });
        EXPECT_EQ(ShowYesNo("q"), c.expected) << c.action;
    }
}

TEST(YesNoTest, MessageStandsBelowAnEmptyLineOneMemoLineEach) {
    InstalledHost host;
    std::vector<std::string> seen;
    std::string caption, yes, no;
    host.PushAction([&] {
        TYesNoQuestion* q = ActiveYesNoQuestion();
        if (!q) return mrNo;
        seen = q->Lines();
        caption = q->Caption;
        yes = (*q)["Ano"].Caption;
        no = (*q)["Ne"].Caption;
        return mrYes;
    });
    EXPECT_TRUE(ShowYesNo("one\r\ntwo\nthree"));
    EXPECT_EQ(seen, (std::vector<std::string>{"", "one", "two", "three"}));
    EXPECT_EQ(caption, "Dialog");
    EXPECT_EQ(yes, "&Ano");
    EXPECT_EQ(no, "&Ne");
    EXPECT_EQ(ActiveYesNoQuestion(), nullptr);
}

}  // namespace
