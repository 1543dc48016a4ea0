// A window mirroring a headless form: one widget per control, placed in the panel, group
// box or menu that holds it. A widget's signal becomes the control's own call; after each
// the widgets are read again from the controls, and a form result ends the window.
#pragma once
#include <QDialog>
#include <map>
#include <string>

#include "platform/controls.h"

class QHBoxLayout;
class QMenuBar;
class QStatusBar;

class TFormWindow : public QDialog {
public:
    explicit TFormWindow(TForm& form, QWidget* parent = nullptr);
    // The widget of a control by name; nullptr for none.
    QWidget* Widget(const std::string& name) const;
    // The widgets from the controls' state; closes with the form's result once it has one.
    void Refresh();
    TForm& Form() const { return form_; }

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void reject() override;

private:
    QWidget* Build(TControl& c);
    void After();  // a user action ran: refresh, and end on a result
    TForm& form_;
    std::map<std::string, QWidget*> widgets_;  // by control name, upper-cased
    QMenuBar* menus_ = nullptr;
    QStatusBar* status_ = nullptr;
    QHBoxLayout* buttonRow_ = nullptr;
    bool refreshing_ = false;
};

// Windows-1250 text to Qt and back.
QString ToQt(const std::string& text1250);
std::string FromQt(const QString& text);
