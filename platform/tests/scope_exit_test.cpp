#include "platform/scope_exit.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

// How the scope ends and whether the cleanup was dismissed first.
TEST(ScopeExitTest, RunsOnceUnlessDismissed) {
    struct Case { const char* name; bool raise; bool dismiss; int runs; };
    for (Case c : {Case{"normal end", false, false, 1}, Case{"exception", true, false, 1},
                   Case{"dismissed", false, true, 0}, Case{"dismissed, then exception", true, true, 0}}) {
        int runs = 0;
        try {
            auto guard = MakeScopeExit([&] { ++runs; });
            if (c.dismiss) guard.Release();
            if (c.raise) throw std::runtime_error("work failed");
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "work failed") << c.name;
        }
        EXPECT_EQ(runs, c.runs) << c.name;
    }
}

// A moved guard runs its cleanup once, from where it was moved to.
TEST(ScopeExitTest, MovedGuardRunsOnce) {
    int runs = 0;
    {
        auto first = MakeScopeExit([&] { ++runs; });
        {
            auto second = std::move(first);
            EXPECT_EQ(runs, 0);
        }
        EXPECT_EQ(runs, 1);
    }
    EXPECT_EQ(runs, 1);
}

// A cleanup that throws is reported and dropped; the work's own exception still comes out.
TEST(ScopeExitTest, FailingCleanupStaysInside) {
    struct Case { const char* name; bool raise; };
    for (Case c : {Case{"normal end", false}, Case{"exception", true}}) {
        std::string caught;
        testing::internal::CaptureStderr();
        try {
            auto guard = MakeScopeExit([] { throw std::logic_error("cleanup broke"); });
            if (c.raise) throw std::runtime_error("work failed");
        } catch (const std::exception& e) {
            caught = e.what();
        }
        std::string report = testing::internal::GetCapturedStderr();
        EXPECT_EQ(caught, c.raise ? "work failed" : "") << c.name;
        EXPECT_NE(report.find("cleanup broke"), std::string::npos) << c.name;
    }
}

}  // namespace
