// For tests of forms on Qt's offscreen platform: the one application object and a check
// that a form's window has a widget for each of its controls.
#pragma once
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
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

// No visible widget of the window shows a control's name or the form's class name, and the
// window has a title that is not the class name.
inline void ExpectNoNamesShown(const TFormWindow& w) {
    const TForm& form = w.Form();
    SCOPED_TRACE(form.ClassName());
    EXPECT_FALSE(w.windowTitle().isEmpty());
    EXPECT_NE(w.windowTitle().toStdString(), form.ClassName());
    for (QWidget* child : w.findChildren<QWidget*>()) {
        if (!child->isVisibleTo(&w)) continue;
        QString text;
        if (auto* b = qobject_cast<QAbstractButton*>(child)) text = b->text();
        else if (auto* l = qobject_cast<QLabel*>(child)) text = l->text();
        else if (auto* g = qobject_cast<QGroupBox*>(child)) text = g->title();
        if (text.isEmpty()) continue;
        EXPECT_FALSE(form.Find(FromQt(text))) << text.toStdString();
        EXPECT_NE(text.toStdString(), form.ClassName());
    }
}

// A picture for docs/ in the build folder.
inline void SaveShot(QWidget& w, const char* dir, const char* name) {
    QDir().mkpath(dir);
    EXPECT_TRUE(w.grab().save(QString(dir) + "/" + name)) << name;
}

}  // namespace screentest
