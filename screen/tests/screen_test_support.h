// For tests of forms on Qt's offscreen platform: the one application object and a check
// that a form's window has a widget for each of its controls.
#pragma once
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <memory>
#include <vector>

#include "screen/form_window.h"

// Leaks inside the font library Qt loads, not ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\n"; }

namespace screentest {

inline QApplication& App() {
    static int argc = 1;
    static char name[] = "screen_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app =
        QApplication::instance() ? static_cast<QApplication*>(QApplication::instance()) : new QApplication(argc, argv);
    return *app;
}

// Each form opens in a window with a widget (or a menu action) for every named control.
inline void ExpectEveryControlShown(const std::vector<std::unique_ptr<TForm>>& forms) {
    for (const auto& f : forms) {
        TFormWindow w(*f);
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w)) << f->ClassName();
        for (const auto& c : f->Controls())
            if (!c->Name.empty() && c->Kind != TControlKind::Other) {
                EXPECT_TRUE(w.Widget(c->Name) || w.Action(c->Name)) << f->ClassName() << " " << c->Name;
            }
    }
}

}  // namespace screentest
