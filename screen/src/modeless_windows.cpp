#include "modeless_windows.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMenu>
#include <QPointer>
#include <map>
#include <vector>

#include "platform/forms.h"
#include "screen/form_window.h"
#include "screen/image_view.h"
#include "screen/screen_host.h"

namespace {

std::vector<TImageView*> ImageViews(QWidget* w) {
    std::vector<TImageView*> out;
    for (QWidget* child : w->findChildren<QWidget*>())
        if (auto* v = dynamic_cast<TImageView*>(child)) out.push_back(v);
    return out;
}

// A form's window without a modal loop: Enter and Escape go to the form only, and the
// window's close button asks the form to close.
class TModelessWindow : public TFormWindow {
public:
    explicit TModelessWindow(TForm& form) : TFormWindow(form) {
        setAttribute(Qt::WA_DeleteOnClose, false);
        setModal(false);
        for (TImageView* v : ImageViews(this))
            if (v->ShowsPixels()) {
                adjustSize();  // the window holds its image at the form's size
                break;
            }
    }

protected:
    void keyPressEvent(QKeyEvent* e) override {
        inKey_ = true;
        TFormWindow::keyPressEvent(e);
        inKey_ = false;
    }
    void reject() override {
        if (!inKey_) TFormWindow::reject();
    }
    void accept() override {}

private:
    bool inKey_ = false;
};

std::map<const TForm*, QPointer<TModelessWindow>>& Windows() {
    static auto* w = new std::map<const TForm*, QPointer<TModelessWindow>>;
    return *w;
}

QEventLoop* g_loop = nullptr;
bool g_mainShown = false;  // the main form's window was open while the loop ran

void Retire(TModelessWindow* w) {
    if (!w) return;
    w->Detach();
    for (TImageView* v : ImageViews(w)) v->Detach();
    w->hide();
    w->deleteLater();
}

}  // namespace

// A new window opens where its form was last, else the main window at the top left of the
// screen and the others beside it (below it when there is no room), never off the screen.
static void Place(TModelessWindow* w) {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect room = screen->availableGeometry();
    const TForm& form = w->Form();
    constexpr int kTitle = 32, kGap = 8;  // room for the frame the window manager adds
    QSize size = w->size().boundedTo(room.size() - QSize(kGap, kTitle + kGap));
    if (size != w->size()) w->resize(size);
    QPoint at = room.topLeft() + QPoint(kGap, kGap);
    const TModelessWindow* main = nullptr;
    auto m = Windows().find(static_cast<const TForm*>(Application().MainForm()));
    if (m != Windows().end() && m->second && m->second != w && m->second->isVisible()) main = m->second;
    static int cascade = 0;
    if (form.Left != 0 || form.Top != 0) {
        at = {form.Left, form.Top};
    } else if (main) {
        QRect beside = main->frameGeometry();
        int step = 24 * (cascade++ % 8);
        if (beside.right() + kGap + size.width() <= room.right()) at = {beside.right() + kGap + step, beside.top() + step};
        else at = {beside.left() + step, beside.bottom() + kGap + step};
    }
    at.setX(std::clamp(at.x(), room.left(), std::max(room.left(), room.right() - size.width())));
    at.setY(std::clamp(at.y(), room.top(), std::max(room.top(), room.bottom() - size.height() - kTitle)));
    w->move(at);
}

void ShowFormWindow(TForm& form) {
    QPointer<TModelessWindow>& slot = Windows()[&form];
    if (!slot) {
        slot = new TModelessWindow(form);
        if (!form.Maximized) Place(slot);
    } else {
        slot->Refresh();
    }
    if (form.Maximized) slot->showMaximized();
    else slot->show();
    slot->raise();
}

void HideFormWindow(TForm& form) {
    auto it = Windows().find(&form);
    if (it != Windows().end() && it->second) it->second->hide();
}

void DropFormWindow(TForm& form) {
    auto it = Windows().find(&form);
    if (it == Windows().end()) return;
    Retire(it->second);
    Windows().erase(it);
}

void PopupFormMenu(TForm& form) {
    auto it = Windows().find(&form);
    if (it == Windows().end() || !it->second) return;
    if (auto* menu = qobject_cast<QMenu*>(it->second->Widget(form.PopupMenu))) {
        it->second->Refresh();
        menu->popup(QCursor::pos());
    }
}

void RefreshFormWindows() {
    for (auto& [f, w] : Windows()) {
        if (!w) continue;
        w->Refresh();
        if (w->Form().Visible != w->isVisible()) w->setVisible(w->Form().Visible);
        for (TImageView* v : ImageViews(w)) v->update();
    }
}

void CheckScreenLoop() {
    if (!g_loop) return;
    TApplication& app = Application();
    auto main = Windows().find(static_cast<const TForm*>(app.MainForm()));
    bool open = main != Windows().end() && main->second && main->first->Visible;
    // The main window was closed, or its form is gone.
    if (open) g_mainShown = true;
    else if (g_mainShown) app.Terminate();
    if (app.Terminated()) g_loop->quit();
}

void RunScreenLoop() {
    RefreshFormWindows();
    while (!Application().Terminated()) {
        QEventLoop loop;
        QEventLoop* outer = g_loop;
        g_loop = &loop;
        loop.exec();
        g_loop = outer;
    }
}

void DropAllFormWindows() {
    for (auto& [f, w] : Windows()) Retire(w);
    Windows().clear();
    g_mainShown = false;
}

TFormWindow* FormWindow(const TForm& form) {
    auto it = Windows().find(&form);
    return it == Windows().end() ? nullptr : it->second.data();
}
