#include "platform/forms.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "platform/host.h"
#include "test_support.h"

namespace {

class AppTest : public ::testing::Test {
protected:
    void SetUp() override {
        RemoveQueuedMessages([](TMsg&) { return true; });
        Application().OnMessage = nullptr;
        Application().OnException = nullptr;
    }
    void TearDown() override {
        RemoveQueuedMessages([](TMsg&) { return true; });
        Application().OnMessage = nullptr;
        Application().OnException = nullptr;
    }
    void Post(intptr_t n) { ASSERT_TRUE(PostMessage(Application().Handle(), WM_USER, 0, n)); }
    InstalledHost host;
    std::vector<intptr_t> seen;
};

TEST_F(AppTest, NestedProcessMessagesKeepsFifoOrderAndHandlesMessagesPostedMeanwhile) {
    TApplication& app = Application();
    app.OnMessage = [&](TMsg& m, bool& handled) {
        EXPECT_FALSE(handled);
        seen.push_back(m.lParam);
        if (m.lParam == 1) {
            Post(3);
            app.ProcessMessages();  // nested: drains 2 and 3 before 1 returns
            seen.push_back(-1);
        }
        if (m.lParam == 3) Post(4);
        handled = true;
    };
    Post(1);
    Post(2);
    app.ProcessMessages();
    EXPECT_EQ(seen, (std::vector<intptr_t>{1, 2, 3, 4, -1}));
    EXPECT_EQ(QueuedCount(), 0u);
    EXPECT_FALSE(app.HandleMessage());
}

TEST_F(AppTest, ExceptionInHandlerReachesHookAndLoopGoesOn) {
    TApplication& app = Application();
    std::vector<std::string> caught;
    app.OnException = [&](void* sender, Exception& e) {
        EXPECT_EQ(sender, &app);
        caught.push_back(e.Message());
    };
    app.OnMessage = [&](TMsg& m, bool& handled) {
        seen.push_back(m.lParam);
        if (m.lParam == 1) throw Exception(Cz("chyba č. 1"));
        if (m.lParam == 2) throw std::runtime_error("std failure");
        handled = true;
    };
    Post(1);
    Post(2);
    Post(3);
    app.ProcessMessages();
    EXPECT_EQ(seen, (std::vector<intptr_t>{1, 2, 3}));
    EXPECT_EQ(caught, (std::vector<std::string>{Cz("chyba č. 1"), "std failure"}));
    EXPECT_TRUE(HostLog().empty());
}

TEST_F(AppTest, ExceptionWithoutHookIsShownInABox) {
    TApplication& app = Application();
    app.OnMessage = [&](TMsg&, bool&) { throw Exception("boom"); };
    Post(1);
    Post(2);
    app.ProcessMessages();
    ASSERT_EQ(host.Records().size(), 2u);
    EXPECT_EQ(host.Records()[0].type, mtError);
    EXPECT_EQ(HostLog(), (std::vector<std::string>{"boom", "boom"}));
}

TEST_F(AppTest, ExceptionThrownByTheHookItselfIsShown) {
    TApplication& app = Application();
    app.OnException = [](void*, Exception&) { throw Exception("hook failed"); };
    app.OnMessage = [&](TMsg& m, bool&) {
        seen.push_back(m.lParam);
        throw Exception("first");
    };
    Post(1);
    Post(2);
    app.ProcessMessages();
    EXPECT_EQ(seen.size(), 2u);
    EXPECT_EQ(HostLog(), (std::vector<std::string>{"hook failed", "hook failed"}));
}

TEST_F(AppTest, HandleExceptionInCatchBlock) {
    TApplication& app = Application();
    std::string got;
    app.OnException = [&](void*, Exception& e) { got = e.Message(); };
    try {
        throw EConvertError("bad number");
    } catch (...) {
        app.HandleException(nullptr);
    }
    EXPECT_EQ(got, "bad number");
    app.HandleException(nullptr);  // nothing in flight: nothing happens
    EXPECT_EQ(got, "bad number");
}

TEST_F(AppTest, UnhandledMessagesGoToTheTargetWindowProcedure) {
    TApplication& app = Application();
    void* w = AllocateWindowHandle();
    ASSERT_NE(w, nullptr);
    ASSERT_NE(w, app.Handle());
    std::vector<intptr_t> proc;
    RegisterWindowProc(w, [&](TMsg& m) {
        proc.push_back(m.lParam);
        return intptr_t{42};
    });
    app.OnMessage = [&](TMsg& m, bool& handled) {
        seen.push_back(m.lParam);
        handled = m.lParam == 1;
    };
    PostMessage(w, WM_USER, 0, 1);
    PostMessage(w, WM_USER, 0, 2);
    Post(3);  // the application window ignores it
    app.ProcessMessages();
    EXPECT_EQ(seen, (std::vector<intptr_t>{1, 2, 3}));
    EXPECT_EQ(proc, (std::vector<intptr_t>{2}));

    // Sent messages bypass the queue and the hook.
    EXPECT_EQ(SendMessage(w, WM_USER, 0, 7), 42);
    EXPECT_EQ(SendMessage(app.Handle(), WM_USER, 0, 8), 0);
    EXPECT_EQ(proc, (std::vector<intptr_t>{2, 7}));
    EXPECT_EQ(seen.size(), 3u);

    UnregisterWindowProc(w);
    EXPECT_EQ(SendMessage(w, WM_USER, 0, 9), 0);
    EXPECT_FALSE(PostMessage(reinterpret_cast<void*>(0x12345), WM_USER, 0, 0));
}

TEST_F(AppTest, QueueCanBePurgedAndFixed) {
    Post(1);
    Post(2);
    Post(3);
    Post(2);
    RemoveQueuedMessages([](TMsg& m) { return m.lParam == 2; });
    EXPECT_EQ(QueuedCount(), 2u);
    ForEachQueued([](TMsg& m) { m.lParam *= 10; });
    Application().OnMessage = [&](TMsg& m, bool& handled) {
        seen.push_back(m.lParam);
        handled = true;
    };
    Application().ProcessMessages();
    EXPECT_EQ(seen, (std::vector<intptr_t>{10, 30}));
}

TEST_F(AppTest, TitleAndScreenCursor) {
    TApplication& app = Application();
    EXPECT_FALSE(app.Title().empty());
    app.SetTitle("Oskelt32");
    EXPECT_EQ(app.Title(), "Oskelt32");
    Screen().SetCursor(crHourGlass);
    EXPECT_EQ(Screen().Cursor(), crHourGlass);
    Screen().SetCursor(crDefault);
}

// Terminate cannot be undone in a process: keep this test last.
TEST_F(AppTest, RunEndsOnTerminateOrEmptyQueue) {
    TApplication& app = Application();
    app.OnMessage = [&](TMsg& m, bool& handled) {
        seen.push_back(m.lParam);
        if (m.lParam == 2) app.Terminate();
        handled = true;
    };
    Post(1);
    app.Run();  // the queue runs dry
    EXPECT_FALSE(app.Terminated());
    Post(2);
    Post(3);
    app.Run();
    EXPECT_TRUE(app.Terminated());
    EXPECT_EQ(seen, (std::vector<intptr_t>{1, 2}));
    EXPECT_EQ(QueuedCount(), 1u);
    app.Run();
    EXPECT_EQ(QueuedCount(), 1u);
    app.ProcessMessages();  // still delivers what is left
    EXPECT_EQ(seen, (std::vector<intptr_t>{1, 2, 3}));
}

}  // namespace
