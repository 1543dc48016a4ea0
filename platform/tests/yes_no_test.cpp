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

TEST(YesNoTest, MessageStandsBelowAnEmptyLineOneMemoLineEach) {
    InstalledHost host;
    std::vector<std::string> seen;
    std::string caption;
    host.PushAction([&] {
        const TYesNoQuestion* q = ActiveYesNoQuestion();
        if (!q) return mrNo;
        seen = q->Lines();
        caption = q->Caption();
        return mrYes;
    });
    EXPECT_TRUE(ShowYesNo("one\r\ntwo\nthree"));
    EXPECT_EQ(seen, (std::vector<std::string>{"", "one", "two", "three"}));
    EXPECT_EQ(caption, "Dialog");
    EXPECT_EQ(ActiveYesNoQuestion(), nullptr);
}

}  // namespace
