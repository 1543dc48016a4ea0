// A window mirroring a headless form: one widget per control, placed in the panel, group
// box, page or menu that holds it. A widget's signal becomes the control's own call; after
// each, and on a timer, the widgets are read again from the controls, and a form result ends
// the window.
#pragma once
#include <QDialog>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/controls.h"

class QAction;
class QComboBox;
class QBoxLayout;
class QHBoxLayout;
class QSplitter;
class QVBoxLayout;
class QLayout;
class QMenu;
class QMenuBar;
class QMimeData;
class QStatusBar;
class QTimer;

class TFormWindow : public QDialog {
public:
    explicit TFormWindow(TForm& form, QWidget* parent = nullptr);
    ~TFormWindow() override;
    // The widget of a control by name (a menu or pop-up menu is its QMenu); nullptr for none.
    QWidget* Widget(const std::string& name) const;
    // The action of a menu item without items of its own; nullptr for none.
    QAction* Action(const std::string& name) const;
    // The widgets from the controls' state; closes with the form's result once it has one.
    void Refresh();
    TForm& Form() const { return form_; }
    // The form is going: the window no longer reads or calls it.
    void Detach() { detached_ = refreshing_ = true; }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;
    void reject() override;

private:
    // Where a control of the form itself goes: the tool bar, the fields or the client area.
    enum class TZone { Tools, Fields, Client };
    TZone ZoneOf(const TControl& c) const;
    void AddClientColumn(QWidget* placed);
    bool TopLevel(const TControl& c) const;
    // Panels of buttons or labels become bars along the edges, labels before a client
    // control its title.
    void Arrange();
    static void AddTo(QLayout* into, QWidget* w);
    void Build(TControl& c);
    QWidget* Make(TControl& c);
    void BuildMenuItem(TControl& c);
    void Watch(QWidget* w, TControl& c);
    void Editable(QComboBox* b, TControl& c);
    void RefreshControl(const TControl& c, QWidget* w);
    bool ItemsChanged(const TControl& c, const std::vector<std::string>& items);
    void KeyToForm(QKeyEvent* e);
    // A right button pressed over a control that takes mouse input: its click.
    bool RightClick(TControl* c, QMouseEvent* e);
    void Bounds();
    void After();  // a user action ran: refresh, and end on a result
    // A user action on the form: an exception from its handlers is shown, then After.
    void Act(const std::function<void()>& call);
    // The control a drag comes from: the one its data names while that control's form and
    // window live (a drag from another window), else the control the button went down on
    // here; nullptr when the named control is gone.
    TControl* DragSource(const QMimeData* data) const;
    TForm& form_;
    std::map<std::string, QWidget*> widgets_;  // by control name, upper-cased
    std::map<std::string, QWidget*> shown_;    // what hides with the control (the widget with its caption)
    std::map<std::string, QLayout*> holders_;  // panels, group boxes and pages by name
    std::map<std::string, QWidget*> canvases_;  // placed controls of a holder ("" the form)
    std::map<std::string, QAction*> actions_;  // menu items, by name
    std::map<const QObject*, TControl*> controlOf_;
    std::map<const TControl*, std::vector<std::string>> shownItems_;
    QMenuBar* menus_ = nullptr;
    QStatusBar* status_ = nullptr;
    QHBoxLayout* buttonRow_ = nullptr;
    QVBoxLayout* top_ = nullptr;     // tool bars
    QLayout* tools_ = nullptr;       // the form's own buttons
    QVBoxLayout* fields_ = nullptr;  // what is neither bar nor client
    QVBoxLayout* bottom_ = nullptr;  // status lines
    QSplitter* client_ = nullptr;    // images, memos, grids, trees, lists, page controls
    std::map<const QWidget*, QVBoxLayout*> columns_;  // a client control's column
    QTimer* timer_ = nullptr;
    size_t built_ = 0;  // controls built so far
    const QEvent* keyed_ = nullptr;  // the key event the form already saw
    TControl* pressed_ = nullptr;    // the control a mouse button went down on last
    TControl* focused_ = nullptr;    // the active control the focus was last put on
    bool refreshing_ = false;
    bool detached_ = false;
};

// Runs a call into the forms; an exception it raises is shown as the application's loop
// shows one, and goes no further.
void RunGuarded(const std::function<void()>& call);

// Windows-1250 text to Qt and back.
QString ToQt(const std::string& text1250);
std::string FromQt(const QString& text);
