#include "screen/form_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include "platform/host.h"
#include "platform/sysutils.h"

QString ToQt(const std::string& text1250) { return QString::fromStdString(ToUtf8(text1250)); }
std::string FromQt(const QString& text) { return Cz(text.toStdString()); }

namespace {

// A Qt key as the virtual key the forms expect (letters and digits are their own codes).
uint16_t VirtualKey(int key) {
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return static_cast<uint16_t>(0x70 + (key - Qt::Key_F1));
    if ((key >= Qt::Key_0 && key <= Qt::Key_9) || (key >= Qt::Key_A && key <= Qt::Key_Z)) return static_cast<uint16_t>(key);
    switch (key) {
        case Qt::Key_Escape: return 27;
        case Qt::Key_Return:
        case Qt::Key_Enter: return 13;
        case Qt::Key_Tab: return 9;
        case Qt::Key_Backspace: return 8;
        case Qt::Key_Space: return 32;
        case Qt::Key_Delete: return 46;
        case Qt::Key_Insert: return 45;
        case Qt::Key_Left: return 37;
        case Qt::Key_Up: return 38;
        case Qt::Key_Right: return 39;
        case Qt::Key_Down: return 40;
        case Qt::Key_PageUp: return 33;
        case Qt::Key_PageDown: return 34;
        case Qt::Key_Home: return 36;
        case Qt::Key_End: return 35;
        default: return 0;
    }
}

}  // namespace

TFormWindow::TFormWindow(TForm& form, QWidget* parent) : QDialog(parent), form_(form) {
    setWindowTitle(ToQt(form.Caption.empty() ? form.ClassName() : form.Caption));
    setObjectName(QString::fromStdString(form.ClassName()));
    auto* layout = new QVBoxLayout(this);
    for (const auto& c : form.Controls()) Build(*c);
    if (buttonRow_) layout->addLayout(buttonRow_);
    if (status_) layout->addWidget(status_);
    if (form.Width > 0 && form.Height > 0) resize(form.Width, form.Height);
    Refresh();
}

QWidget* TFormWindow::Widget(const std::string& name) const {
    auto it = widgets_.find(AnsiUpperCase(name));
    return it == widgets_.end() ? nullptr : it->second;
}

QWidget* TFormWindow::Build(TControl& c) {
    auto* top = static_cast<QVBoxLayout*>(layout());
    QLayout* into = top;
    if (QWidget* holder = Widget(c.Parent))
        if (auto* box = qobject_cast<QGroupBox*>(holder)) into = box->layout();
    TControl* ctl = &c;
    QWidget* w = nullptr;
    QWidget* placed = nullptr;  // the widget with its caption, when it has one
    switch (c.Kind) {
        case TControlKind::Label:
        case TControlKind::Image:
            w = new QLabel;
            break;
        case TControlKind::Edit: {
            auto* e = new QLineEdit;
            connect(e, &QLineEdit::textEdited, this, [this, ctl](const QString& t) { ctl->Type(FromQt(t)); After(); });
            w = e;
            break;
        }
        case TControlKind::Memo: {
            auto* m = new QPlainTextEdit;
            m->setReadOnly(true);
            w = m;
            break;
        }
        case TControlKind::Button: {
            auto* b = new QPushButton;
            connect(b, &QPushButton::clicked, this, [this, ctl] { ctl->Click(); After(); });
            w = b;
            break;
        }
        case TControlKind::CheckBox: {
            auto* b = new QCheckBox;
            connect(b, &QCheckBox::clicked, this, [this, ctl](bool on) { ctl->SetChecked(on); After(); });
            w = b;
            break;
        }
        case TControlKind::RadioButton: {
            auto* b = new QRadioButton;
            b->setAutoExclusive(false);  // the form keeps its holder's buttons exclusive
            connect(b, &QRadioButton::clicked, this, [this, ctl] { ctl->SetChecked(true); After(); });
            w = b;
            break;
        }
        case TControlKind::ComboBox: {
            auto* b = new QComboBox;
            connect(b, &QComboBox::activated, this, [this, ctl](int i) { ctl->Select(i); After(); });
            w = b;
            break;
        }
        case TControlKind::ListBox: {
            auto* l = new QListWidget;
            connect(l, &QListWidget::currentRowChanged, this, [this, ctl](int row) {
                if (refreshing_) return;
                ctl->Select(row);
                After();
            });
            w = l;
            break;
        }
        case TControlKind::SpinEdit: {
            auto* s = new QDoubleSpinBox;
            connect(s, &QDoubleSpinBox::valueChanged, this, [this, ctl, s](double v) {
                if (refreshing_) return;
                ctl->Value = v;
                ctl->Type(FromQt(s->text()));
                After();
            });
            w = s;
            break;
        }
        case TControlKind::Grid: {
            auto* t = new QTableWidget;
            t->horizontalHeader()->hide();
            t->verticalHeader()->hide();
            connect(t, &QTableWidget::cellChanged, this, [this, ctl, t](int row, int col) {
                if (refreshing_) return;
                QTableWidgetItem* item = t->item(row, col);
                ctl->TypeCell(col, row, item ? FromQt(item->text()) : std::string());
                After();
            });
            connect(t, &QTableWidget::cellDoubleClicked, this, [this, ctl](int row, int col) {
                ctl->DblClickCell(col, row);
                After();
            });
            w = t;
            break;
        }
        case TControlKind::Panel:
        case TControlKind::GroupBox: {
            auto* g = new QGroupBox;
            new QVBoxLayout(g);
            if (c.Kind == TControlKind::Panel) g->setFlat(true);
            w = g;
            break;
        }
        case TControlKind::ProgressBar:
            w = new QProgressBar;
            break;
        case TControlKind::StatusBar:
            status_ = new QStatusBar;
            widgets_[AnsiUpperCase(c.Name)] = status_;
            return status_;
        case TControlKind::MenuItem: {
            // Items of a menu item are its submenu; other items go to a menu of their holder.
            if (!menus_) {
                menus_ = new QMenuBar(this);
                top->setMenuBar(menus_);
            }
            QMenu* menu = nullptr;
            if (QWidget* holder = Widget(c.Parent)) menu = qobject_cast<QMenu*>(holder);
            if (!menu && !c.Parent.empty()) {
                menu = menus_->addMenu(QString::fromStdString(c.Parent));
                widgets_[AnsiUpperCase(c.Parent)] = menu;
            }
            if (!form_.Children(c.Name).empty() || !menu) {
                QMenu* sub = menu ? menu->addMenu(ToQt(c.Caption)) : menus_->addMenu(ToQt(c.Caption));
                widgets_[AnsiUpperCase(c.Name)] = sub;
                return sub;
            }
            QAction* a = menu->addAction(ToQt(c.Caption));
            if (!c.ShortCut.empty()) a->setShortcut(QKeySequence(QString::fromStdString(c.ShortCut)));
            connect(a, &QAction::triggered, this, [this, ctl] { ctl->Click(); After(); });
            return nullptr;
        }
        case TControlKind::Other:
            return nullptr;
    }
    w->setObjectName(QString::fromStdString(c.Name));
    widgets_[AnsiUpperCase(c.Name)] = w;
    bool captioned = (c.Kind == TControlKind::Edit || c.Kind == TControlKind::ComboBox ||
                      c.Kind == TControlKind::SpinEdit) && !c.Caption.empty();
    if (captioned) {
        placed = new QWidget;
        auto* row = new QHBoxLayout(placed);
        row->setContentsMargins(0, 0, 0, 0);
        row->addWidget(new QLabel(ToQt(c.Caption)));
        row->addWidget(w, 1);
    }
    if (c.Kind == TControlKind::Button && c.ModalResult != mrNone) {
        // Buttons that end the form stand in one row below the rest.
        if (!buttonRow_) {
            buttonRow_ = new QHBoxLayout;
            buttonRow_->addStretch(1);
        }
        buttonRow_->addWidget(w);
        return w;
    }
    into->addWidget(placed ? placed : w);
    return w;
}

void TFormWindow::Refresh() {
    refreshing_ = true;
    for (const auto& cp : form_.Controls()) {
        const TControl& c = *cp;
        QWidget* w = Widget(c.Name);
        if (!w) continue;
        QString caption = ToQt(c.Caption), text = ToQt(c.Text);
        if (auto* l = qobject_cast<QLabel*>(w)) l->setText(caption.isEmpty() ? text : caption);
        else if (auto* e = qobject_cast<QLineEdit*>(w)) {
            if (e->text() != text) e->setText(text);
            e->setReadOnly(c.ReadOnly);
        } else if (auto* m = qobject_cast<QPlainTextEdit*>(w)) {
            std::string all;
            for (size_t i = 0; i < c.Items.size(); ++i) all += (i ? "\n" : "") + c.Items[i];
            if (m->toPlainText() != ToQt(all)) m->setPlainText(ToQt(all));
        } else if (auto* b = qobject_cast<QCheckBox*>(w)) {
            b->setText(caption);
            b->setChecked(c.Checked);
        } else if (auto* r = qobject_cast<QRadioButton*>(w)) {
            r->setText(caption);
            r->setChecked(c.Checked);
        } else if (auto* p = qobject_cast<QPushButton*>(w)) {
            p->setText(caption.isEmpty() ? QString::fromStdString(c.Name) : caption);
            p->setDefault(c.ModalResult == mrOk);
        } else if (auto* cb = qobject_cast<QComboBox*>(w)) {
            cb->clear();
            for (const std::string& item : c.Items) cb->addItem(ToQt(item));
            cb->setCurrentIndex(c.ItemIndex);
        } else if (auto* lw = qobject_cast<QListWidget*>(w)) {
            lw->clear();
            for (const std::string& item : c.Items) lw->addItem(ToQt(item));
            lw->setCurrentRow(c.ItemIndex);
        } else if (auto* s = qobject_cast<QDoubleSpinBox*>(w)) {
            s->setRange(c.MinValue, c.MaxValue > c.MinValue ? c.MaxValue : 1e9);
            s->setSingleStep(c.Increment);
            s->setValue(c.Value);
            s->setReadOnly(c.ReadOnly);
        } else if (auto* t = qobject_cast<QTableWidget*>(w)) {
            t->setColumnCount(c.ColCount);
            t->setRowCount(c.RowCount);
            for (int col = 0; col < c.ColCount; ++col) {
                if (col < static_cast<int>(c.ColWidths.size()) && c.ColWidths[col] > 0) t->setColumnWidth(col, c.ColWidths[col]);
                for (int row = 0; row < c.RowCount; ++row) {
                    QString cell = ToQt(c.Cell(col, row));
                    if (!t->item(row, col)) t->setItem(row, col, new QTableWidgetItem(cell));
                    else if (t->item(row, col)->text() != cell) t->item(row, col)->setText(cell);
                }
            }
            t->setEditTriggers(c.ReadOnly ? QAbstractItemView::NoEditTriggers : QAbstractItemView::AllEditTriggers);
        } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
            g->setTitle(caption);
        } else if (auto* pb = qobject_cast<QProgressBar*>(w)) {
            pb->setRange(static_cast<int>(c.MinValue), static_cast<int>(c.MaxValue > c.MinValue ? c.MaxValue : 100));
            pb->setValue(static_cast<int>(c.Value));
        } else if (auto* sb = qobject_cast<QStatusBar*>(w)) {
            sb->showMessage(text.isEmpty() ? caption : text);
        }
        if (!c.Hint.empty()) {
            w->setToolTip(ToQt(c.Hint));
            w->setStatusTip(ToQt(c.Hint));
        }
        if (!qobject_cast<QMenu*>(w)) {
            w->setEnabled(c.Enabled);
            QWidget* shown = w->parentWidget() && w->parentWidget() != this &&
                                     !qobject_cast<QGroupBox*>(w->parentWidget()) && !qobject_cast<QTableWidget*>(w->parentWidget())
                                 ? w->parentWidget()
                                 : w;
            shown->setVisible(c.Visible);
        }
    }
    refreshing_ = false;
}

void TFormWindow::After() {
    Refresh();
    if (form_.ModalResult != mrNone) done(form_.ModalResult);
}

void TFormWindow::keyPressEvent(QKeyEvent* e) {
    uint16_t key = VirtualKey(e->key());
    if (key) {
        uint32_t shift = 0;
        if (e->modifiers() & Qt::ShiftModifier) shift |= 1;
        if (e->modifiers() & Qt::AltModifier) shift |= 2;
        if (e->modifiers() & Qt::ControlModifier) shift |= 4;
        form_.KeyDown(key, shift);
        After();
        if (form_.ModalResult != mrNone || (key != 13 && key != 27)) return;
    }
    QDialog::keyPressEvent(e);
}

void TFormWindow::reject() {
    // Closing the window closes the form, which may refuse.
    if (!form_.Close()) return;
    done(form_.ModalResult != mrNone ? form_.ModalResult : mrCancel);
}
