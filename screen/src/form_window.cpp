#include "screen/form_window.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPixmap>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QComboBox>
#include <QSplitter>
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
#include <algorithm>
#include <set>

#include "platform/forms.h"
#include "platform/host.h"
#include "platform/sysutils.h"
#include "flow_layout.h"
#include "screen/button_faces.h"
#include "screen/image_view.h"

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

// Drags from lists and trees name their control in this format, so that a window of this
// process can take them from another window.
constexpr char kControlFormat[] = "application/x-suite-control";

template <class View, class Item>
class TDragSourceView : public View {
public:
    explicit TDragSourceView(const TControl& c) : control_(&c) {}

protected:
    QMimeData* mimeData(const QList<Item*>& items) const override {
        QMimeData* data = View::mimeData(items);
        if (data) data->setData(kControlFormat, QByteArray::number(reinterpret_cast<quintptr>(control_)));
        return data;
    }

private:
    const TControl* control_;
};

std::set<const TFormWindow*>& LiveWindows() {
    static std::set<const TFormWindow*> windows;
    return windows;
}

QString Joined(const std::vector<std::string>& lines) {
    std::string all;
    for (size_t i = 0; i < lines.size(); ++i) all += (i ? "\n" : "") + lines[i];
    return ToQt(all);
}

}  // namespace

TFormWindow::TFormWindow(TForm& form, QWidget* parent) : QDialog(parent), form_(form) {
    setWindowTitle(ToQt(WindowCaption(form)));
    setObjectName(QString::fromStdString(form.ClassName()));
    LiveWindows().insert(this);
    // Tool bars on top, then the other controls, the client area growing with the window,
    // the buttons that end the form, status panels and the status bar.
    auto* layout = new QVBoxLayout(this);
    top_ = new QVBoxLayout;
    fields_ = new QVBoxLayout;
    client_ = new QSplitter(Qt::Horizontal);
    client_->setChildrenCollapsible(false);
    client_->hide();
    buttonRow_ = new QHBoxLayout;
    buttonRow_->addStretch(1);
    bottom_ = new QVBoxLayout;
    for (QBoxLayout* zone : {top_, fields_}) layout->addLayout(zone);
    layout->addWidget(client_, 1);
    layout->addLayout(buttonRow_);
    layout->addLayout(bottom_);
    refreshing_ = true;  // widgets being filled say nothing to the form
    while (built_ < form.Controls().size()) Build(*form.Controls()[built_]);
    Arrange();
    if (form.Width > 0 && form.Height > 0) resize(form.Width, form.Height);
    if (form.Left != 0 || form.Top != 0) move(form.Left, form.Top);
    setAcceptDrops(static_cast<bool>(form.OnDragDrop));
    refreshing_ = false;
    Refresh();
    // Handlers of posted messages change controls too: read them again now and then.
    timer_ = new QTimer(this);
    timer_->setInterval(250);
    connect(timer_, &QTimer::timeout, this, [this] {
        if (!refreshing_) After();
    });
    timer_->start();
}

TFormWindow::~TFormWindow() {
    LiveWindows().erase(this);
    timer_->stop();
    refreshing_ = true;  // nothing the widgets say while they go reaches the form
    hide();
    for (QObject* child : findChildren<QObject*>()) QObject::disconnect(child, nullptr, this, nullptr);
    for (auto& [object, control] : controlOf_) const_cast<QObject*>(object)->removeEventFilter(this);
    controlOf_.clear();
}

QWidget* TFormWindow::Widget(const std::string& name) const {
    auto it = widgets_.find(AnsiUpperCase(name));
    return it == widgets_.end() ? nullptr : it->second;
}

QAction* TFormWindow::Action(const std::string& name) const {
    auto it = actions_.find(AnsiUpperCase(name));
    return it == actions_.end() ? nullptr : it->second;
}

void TFormWindow::Build(TControl& c) {
    ++built_;
    std::string key = AnsiUpperCase(c.Name);
    switch (c.Kind) {
        case TControlKind::MenuItem:
            BuildMenuItem(c);
            return;
        case TControlKind::MainMenu:
            if (!menus_) {
                menus_ = new QMenuBar(this);
                layout()->setMenuBar(menus_);
            }
            widgets_[key] = menus_;
            return;
        case TControlKind::PopupMenu:
            widgets_[key] = new QMenu(this);
            return;
        case TControlKind::Other:
            if (c.Items.empty()) return;  // a header's sections are shown, nothing else is
            break;
        default:
            break;
    }
    QWidget* w = Make(c);
    w->setObjectName(QString::fromStdString(c.Name));
    if (!c.Name.empty()) widgets_[key] = w;
    Watch(w, c);
    if (auto* tabs = qobject_cast<QTabWidget*>(Widget(c.Parent))) {
        tabs->addTab(w, ToQt(c.Caption));  // a page: the tab shows and hides it
        return;
    }
    if (c.Kind == TControlKind::StatusBar) {
        status_ = static_cast<QStatusBar*>(w);
        static_cast<QBoxLayout*>(layout())->addWidget(status_);
        return;
    }
    QWidget* placed = w;
    bool captioned = (c.Kind == TControlKind::Edit || c.Kind == TControlKind::ComboBox ||
                      c.Kind == TControlKind::SpinEdit) && !c.Caption.empty();
    if (captioned) {
        placed = new QWidget;
        auto* row = new QHBoxLayout(placed);
        row->setContentsMargins(0, 0, 0, 0);
        row->addWidget(new QLabel(ToQt(c.Caption)));
        row->addWidget(w, 1);
    }
    if (!c.Name.empty()) shown_[key] = placed;
    if (c.Kind == TControlKind::Button && c.ModalResult != mrNone) {
        // Buttons that end the form stand in one row below the rest.
        buttonRow_->addWidget(w);
        return;
    }
    auto holder = holders_.find(AnsiUpperCase(c.Parent));
    if (c.Width > 0 && c.Height > 0) {
        // A placed control: at its rectangle on one canvas per holder, which grows to hold it.
        QWidget*& canvas = canvases_[holder != holders_.end() ? holder->first : std::string()];
        if (!canvas) {
            canvas = new QWidget;
            if (holder != holders_.end()) AddTo(holder->second, canvas);
            else AddTo(fields_, canvas);
        }
        placed->setParent(canvas);
        placed->setGeometry(c.Left, c.Top, c.Width, c.Height);
        canvas->setMinimumSize(std::max(canvas->minimumWidth(), c.Left + c.Width),
                               std::max(canvas->minimumHeight(), c.Top + c.Height));
        return;
    }
    if (holder != holders_.end()) {
        AddTo(holder->second, placed);
        return;
    }
    switch (ZoneOf(c)) {
        case TZone::Tools:
            // Buttons of the form itself are its tool bar.
            if (!tools_) {
                auto* bar = new QWidget;
                tools_ = new TFlowLayout(bar);
                top_->addWidget(bar);
            }
            AddTo(tools_, placed);
            break;
        case TZone::Client: {
            // The client area: side by side when there are several, each under the labels
            // that come right before it.
            AddClientColumn(placed);
            break;
        }
        default:
            AddTo(fields_, placed);
            break;
    }
}

// Adds a widget to a box, before a stretch that ends it.
void TFormWindow::AddTo(QLayout* into, QWidget* w) {
    auto* box = qobject_cast<QBoxLayout*>(into);
    if (!box) {
        into->addWidget(w);
        return;
    }
    int end = box->count();
    if (end > 0 && box->itemAt(end - 1)->spacerItem()) --end;
    box->insertWidget(end, w);
}

// A client control in a column of its own, side by side with the others.
void TFormWindow::AddClientColumn(QWidget* placed) {
    auto* column = new QWidget;
    auto* lines = new QVBoxLayout(column);
    lines->setContentsMargins(0, 0, 0, 0);
    lines->addWidget(placed, 1);
    client_->addWidget(column);
    client_->show();
    columns_[placed] = lines;
}

TFormWindow::TZone TFormWindow::ZoneOf(const TControl& c) const {
    switch (c.Kind) {
        case TControlKind::Button:
            return TZone::Tools;
        case TControlKind::Memo:
        case TControlKind::Grid:
        case TControlKind::Tree:
        case TControlKind::ListBox:
        case TControlKind::PageControl:
            return TZone::Client;
        case TControlKind::Image:
            return c.Pixels || Application().MainForm() == &form_ ? TZone::Client : TZone::Fields;
        default:
            return TZone::Fields;
    }
}

bool TFormWindow::TopLevel(const TControl& c) const {
    return holders_.find(AnsiUpperCase(c.Parent)) == holders_.end() && !qobject_cast<QTabWidget*>(Widget(c.Parent));
}

void TFormWindow::Arrange() {
    const auto& all = form_.Controls();
    for (size_t i = 0; i < all.size(); ++i) {
        const TControl& c = *all[i];
        auto shown = shown_.find(AnsiUpperCase(c.Name));
        if (shown == shown_.end() || !TopLevel(c)) continue;
        QWidget* placed = shown->second;
        if ((c.Kind == TControlKind::Panel || c.Kind == TControlKind::GroupBox) && fields_->indexOf(placed) >= 0 &&
            !c.Caption.size()) {
            // A panel of buttons is a tool bar across the top, one of labels a status line
            // across the bottom; a panel of edits stays among the fields.
            std::vector<TControl*> kids = form_.Children(c.Name);
            if (kids.empty()) continue;
            // A panel holding a tree, grid, list or memo is part of the client area.
            if (std::any_of(kids.begin(), kids.end(), [this](const TControl* k) { return ZoneOf(*k) == TZone::Client; })) {
                fields_->removeWidget(placed);
                AddClientColumn(placed);
                continue;
            }
            bool labels = true, row = true;
            for (const TControl* k : kids) {
                bool holder = holders_.count(AnsiUpperCase(k->Name)) && !form_.Children(k->Name).empty();
                labels = labels && k->Kind == TControlKind::Label;
                row = row && !holder && k->Width == 0 &&
                      (k->Kind == TControlKind::Button || k->Kind == TControlKind::Label ||
                       k->Kind == TControlKind::CheckBox || k->Kind == TControlKind::Panel);
            }
            if (!row) continue;
            // Its widgets in rows that wrap when the window is narrow.
            QLayout*& box = holders_[AnsiUpperCase(c.Name)];
            std::vector<QWidget*> kept;
            while (QLayoutItem* item = box->takeAt(0)) {
                if (item->widget()) kept.push_back(item->widget());
                delete item;
            }
            delete box;
            box = new TFlowLayout(placed);
            for (QWidget* k : kept) box->addWidget(k);
            fields_->removeWidget(placed);
            (labels ? bottom_ : top_)->addWidget(placed);
        } else if (auto column = columns_.find(placed); column != columns_.end()) {
            // Labels and headers right before a client control are its title.
            for (size_t j = i; j-- > 0;) {
                const TControl& title = *all[j];
                auto t = shown_.find(AnsiUpperCase(title.Name));
                bool titleKind = title.Kind == TControlKind::Label || (title.Kind == TControlKind::Other && !title.Items.empty());
                if (!titleKind || t == shown_.end() || !TopLevel(title) || fields_->indexOf(t->second) < 0) break;
                fields_->removeWidget(t->second);
                column->second->insertWidget(0, t->second);
            }
        }
    }
}

QWidget* TFormWindow::Make(TControl& c) {
    TControl* ctl = &c;
    std::string key = AnsiUpperCase(c.Name);
    switch (c.Kind) {
        case TControlKind::Label:
            return new QLabel;
        case TControlKind::Image:
            if (c.Pixels) return new TImageView(c);  // a live raster
            return new QLabel;
        case TControlKind::Edit: {
            auto* e = new QLineEdit;
            connect(e, &QLineEdit::textEdited, this, [this, ctl](const QString& t) { Act([&] { ctl->Type(FromQt(t)); }); });
            return e;
        }
        case TControlKind::Memo: {
            auto* m = new QPlainTextEdit;
            connect(m, &QPlainTextEdit::textChanged, this, [this, ctl, m] {
                if (refreshing_) return;
                std::string text = FromQt(m->toPlainText());
                ctl->Items.clear();
                for (size_t from = 0;;) {
                    size_t nl = text.find('\n', from);
                    ctl->Items.push_back(text.substr(from, nl - from));
                    if (nl == std::string::npos) break;
                    from = nl + 1;
                }
                shownItems_[ctl] = ctl->Items;
                Act([&] { ctl->Type(text); });
            });
            return m;
        }
        case TControlKind::Button: {
            auto* b = new QPushButton;
            connect(b, &QPushButton::clicked, this, [this, ctl] { Act([&] { ctl->Click(); }); });
            return b;
        }
        case TControlKind::CheckBox: {
            auto* b = new QCheckBox;
            connect(b, &QCheckBox::clicked, this, [this, ctl](bool on) { Act([&] { ctl->SetChecked(on); }); });
            return b;
        }
        case TControlKind::RadioButton: {
            if (!c.Items.empty()) {
                // A radio group: one button an item, the picked one is the item index.
                auto* g = new QGroupBox;
                new QVBoxLayout(g);
                auto* buttons = new QButtonGroup(g);
                connect(buttons, &QButtonGroup::idClicked, this, [this, ctl](int i) {
                    if (refreshing_) return;
                    Act([&] { ctl->Select(i); });
                });
                return g;
            }
            auto* b = new QRadioButton;
            b->setAutoExclusive(false);  // the form keeps its holder's buttons exclusive
            connect(b, &QRadioButton::clicked, this, [this, ctl] { Act([&] { ctl->SetChecked(true); }); });
            return b;
        }
        case TControlKind::ComboBox: {
            auto* b = new QComboBox;
            Editable(b, c);
            connect(b, &QComboBox::activated, this, [this, ctl](int i) {
                // An editable combo says so again when it loses the focus: no change then.
                bool same = i == ctl->ItemIndex && i >= 0 && static_cast<size_t>(i) < ctl->Items.size() &&
                            ctl->Text == ctl->Items[static_cast<size_t>(i)];
                if (refreshing_ || same) return;
                Act([&] { ctl->Select(i); });
            });
            return b;
        }
        case TControlKind::ListBox: {
            auto* l = new TDragSourceView<QListWidget, QListWidgetItem>(c);
            connect(l, &QListWidget::currentRowChanged, this, [this, ctl](int row) {
                if (refreshing_) return;
                Act([&] { ctl->Select(row); });
            });
            return l;
        }
        case TControlKind::Tree: {
            auto* t = new TDragSourceView<QTreeWidget, QTreeWidgetItem>(c);
            t->setHeaderHidden(true);
            // A node's text edited in place is typed into the tree.
            connect(t, &QTreeWidget::itemChanged, this, [this, ctl](QTreeWidgetItem* item) {
                if (refreshing_) return;
                shownItems_.erase(ctl);  // the nodes again as the form has them
                Act([&] { ctl->Type(FromQt(item->text(0))); });
            });
            connect(t, &QTreeWidget::currentItemChanged, this, [this, ctl](QTreeWidgetItem* item) {
                if (refreshing_ || !item) return;
                Act([&] { ctl->Select(item->data(0, Qt::UserRole).toInt()); });
            });
            return t;
        }
        case TControlKind::SpinEdit: {
            auto* s = new QDoubleSpinBox;
            connect(s, &QDoubleSpinBox::valueChanged, this, [this, ctl, s](double v) {
                if (refreshing_) return;
                ctl->Value = v;
                Act([&] { ctl->Type(FromQt(s->text())); });
            });
            return s;
        }
        case TControlKind::Grid: {
            auto* t = new QTableWidget;
            t->horizontalHeader()->hide();
            t->verticalHeader()->hide();
            connect(t, &QTableWidget::cellChanged, this, [this, ctl, t](int row, int col) {
                if (refreshing_) return;
                QTableWidgetItem* item = t->item(row, col);
                Act([&] { ctl->TypeCell(col, row, item ? FromQt(item->text()) : std::string()); });
            });
            connect(t, &QTableWidget::cellDoubleClicked, this, [this, ctl](int row, int col) {
                Act([&] { ctl->DblClickCell(col, row); });
            });
            // A cell the form refuses stays unselected.
            connect(t, &QTableWidget::currentCellChanged, this, [this, ctl, t](int row, int col, int wasRow, int wasCol) {
                if (refreshing_ || row < 0 || col < 0 || ctl->SelectCell(col, row)) return;
                refreshing_ = true;
                t->setCurrentCell(wasRow, wasCol);
                refreshing_ = false;
            });
            return t;
        }
        case TControlKind::PageControl: {
            auto* tabs = new QTabWidget;
            connect(tabs, &QTabWidget::currentChanged, this, [this, ctl](int page) {
                if (refreshing_ || page < 0) return;
                Act([&] { ctl->Select(page); });
            });
            return tabs;
        }
        case TControlKind::Panel:
        case TControlKind::GroupBox: {
            QWidget* w;
            if (qobject_cast<QTabWidget*>(Widget(c.Parent))) {
                w = new QWidget;  // a page
            } else {
                auto* g = new QGroupBox;
                if (c.Kind == TControlKind::Panel) g->setFlat(true);
                w = g;
            }
            holders_[key] = new QVBoxLayout(w);
            return w;
        }
        case TControlKind::ProgressBar:
            return new QProgressBar;
        case TControlKind::StatusBar:
            return new QStatusBar;
        default: {
            auto* header = new QWidget;
            new QHBoxLayout(header);
            return header;
        }
    }
}

void TFormWindow::BuildMenuItem(TControl& c) {
    TControl* ctl = &c;
    std::string key = AnsiUpperCase(c.Name);
    QWidget* holder = Widget(c.Parent);
    auto* menu = qobject_cast<QMenu*>(holder);
    auto* bar = qobject_cast<QMenuBar*>(holder);
    if (!menu && !bar) {
        if (!menus_) {
            menus_ = new QMenuBar(this);
            layout()->setMenuBar(menus_);
        }
        if (QAction* plain = Action(c.Parent)) {
            // An item that gets items of its own becomes their menu.
            menu = new QMenu(plain->text(), this);
            if (auto* up = qobject_cast<QMenu*>(plain->parent())) up->insertMenu(plain, menu);
            else menus_->insertMenu(plain, menu);
            plain->setVisible(false);
            actions_[AnsiUpperCase(c.Parent)] = menu->menuAction();
            widgets_[AnsiUpperCase(c.Parent)] = menu;
        } else if (c.Parent.empty()) {
            bar = menus_;
        } else {
            menu = new QMenu(this);  // a holder the form does not have: shown nowhere
            widgets_[AnsiUpperCase(c.Parent)] = menu;
        }
    }
    QAction* a;
    if (!form_.Children(c.Name).empty()) {
        QMenu* sub = menu ? menu->addMenu(ToQt(c.Caption)) : bar->addMenu(ToQt(c.Caption));
        widgets_[key] = sub;
        a = sub->menuAction();
    } else {
        a = menu ? menu->addAction(ToQt(c.Caption)) : bar->addAction(ToQt(c.Caption));
        if (!c.ShortCut.empty()) a->setShortcut(QKeySequence(QString::fromStdString(c.ShortCut)));
        addAction(a);  // its shortcut works in the whole window, pop-up menus too
        connect(a, &QAction::triggered, this, [this, ctl] {
            if (refreshing_) return;
            Act([&] { ctl->Click(); });
        });
    }
    connect(a, &QAction::hovered, this, [this, ctl] {
        if (ctl->Hint.empty()) return;
        Application().SetHint(ctl->Hint);
        After();
    });
    actions_[key] = a;
}

void TFormWindow::Editable(QComboBox* b, TControl& c) {
    // Typing into a combo is the control's Type; a read-only one only picks.
    b->setEditable(!c.ReadOnly);
    if (QLineEdit* e = b->lineEdit()) {
        TControl* ctl = &c;
        connect(e, &QLineEdit::textEdited, this, [this, ctl](const QString& t) {
            Act([&] { ctl->Type(FromQt(t)); });
        });
        controlOf_[e] = &c;
        e->installEventFilter(this);
        // A combo made read-only later drops its line edit.
        connect(e, &QObject::destroyed, this, [this, e] { controlOf_.erase(e); });
    }
}

void TFormWindow::Watch(QWidget* w, TControl& c) {
    controlOf_[w] = &c;
    w->installEventFilter(this);
    auto* area = qobject_cast<QAbstractScrollArea*>(w);
    if (area) {
        controlOf_[area->viewport()] = &c;
        area->viewport()->installEventFilter(this);
    }
    // Where some control takes drops, or the control's drag carries something, lists and
    // trees can be dragged from.
    bool drops = static_cast<bool>(c.DragObject);
    for (const auto& other : form_.Controls()) drops = drops || static_cast<bool>(other->OnDragDrop);
    if (auto* view = qobject_cast<QAbstractItemView*>(w);
        view && drops && (c.Kind == TControlKind::ListBox || c.Kind == TControlKind::Tree)) {
        view->setDragEnabled(true);
        view->setDragDropMode(QAbstractItemView::DragOnly);
    }
    if (c.OnDragDrop) (area ? area->viewport() : w)->setAcceptDrops(true);
    if (c.PopupMenu.empty()) return;
    TControl* ctl = &c;
    QWidget* from = area ? area->viewport() : w;
    w->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(w, &QWidget::customContextMenuRequested, this, [this, ctl, from](const QPoint& at) {
        if (auto* menu = qobject_cast<QMenu*>(Widget(ctl->PopupMenu))) {
            Refresh();
            menu->popup(from->mapToGlobal(at));
        }
    });
}

bool TFormWindow::ItemsChanged(const TControl& c, const std::vector<std::string>& items) {
    std::vector<std::string>& shown = shownItems_[&c];
    if (shown == items) return false;
    shown = items;
    return true;
}

void TFormWindow::Refresh() {
    if (detached_) return;
    bool was = refreshing_;
    refreshing_ = true;
    if (QString title = ToQt(WindowCaption(form_)); windowTitle() != title) setWindowTitle(title);
    // Controls added since the window was built.
    if (built_ < form_.Controls().size()) {
        while (built_ < form_.Controls().size()) Build(*form_.Controls()[built_]);
        Arrange();
    }
    for (const auto& cp : form_.Controls()) {
        const TControl& c = *cp;
        if (QAction* a = Action(c.Name)) {
            a->setText(ToQt(c.Caption));
            a->setEnabled(c.Enabled);
            a->setVisible(c.Visible);
            if (c.Checked) a->setCheckable(true);
            a->setChecked(c.Checked);
            if (!c.Hint.empty()) a->setStatusTip(ToQt(c.Hint));
            continue;
        }
        if (QWidget* w = Widget(c.Name); w && !qobject_cast<QMenu*>(w) && !qobject_cast<QMenuBar*>(w)) RefreshControl(c, w);
    }
    // The form made another control active: the focus follows.
    if (form_.ActiveControl() != focused_) {
        focused_ = form_.ActiveControl();
        if (QWidget* w = focused_ ? Widget(focused_->Name) : nullptr) w->setFocus();
    }
    refreshing_ = was;
}

void TFormWindow::RefreshControl(const TControl& c, QWidget* w) {
    QString caption = ToQt(c.Caption), text = ToQt(c.Text);
    auto* group = c.Kind == TControlKind::RadioButton ? w->findChild<QButtonGroup*>() : nullptr;
    if (group) {
        static_cast<QGroupBox*>(w)->setTitle(caption);
        if (ItemsChanged(c, c.Items)) {
            for (QAbstractButton* b : group->buttons()) delete b;
            for (size_t i = 0; i < c.Items.size(); ++i) {
                auto* r = new QRadioButton(ToQt(c.Items[i]));
                w->layout()->addWidget(r);
                group->addButton(r, static_cast<int>(i));
            }
        }
        if (QAbstractButton* b = group->button(c.ItemIndex)) b->setChecked(true);
        else if (QAbstractButton* on = group->checkedButton()) {
            group->setExclusive(false);
            on->setChecked(false);
            group->setExclusive(true);
        }
    } else if (c.Kind == TControlKind::Other) {
        if (ItemsChanged(c, c.Items)) {
            for (QLabel* l : w->findChildren<QLabel*>()) delete l;
            for (const std::string& section : c.Items) w->layout()->addWidget(new QLabel(ToQt(section)));
        }
    } else if (auto* l = qobject_cast<QLabel*>(w)) {
        if (c.Kind == TControlKind::Image) {
            // A picture file named by the text; the live map image is drawn elsewhere.
            if (ItemsChanged(c, {c.Text})) {
                QPixmap picture;
                if (!c.Text.empty() && picture.load(text)) l->setPixmap(picture);
                else l->clear();
            }
        } else {
            // A label's caption names what its text shows ("x:" and the coordinate).
            l->setText(caption.isEmpty() ? text : text.isEmpty() ? caption : caption + " " + text);
        }
    } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
        if (e->text() != text) e->setText(text);
        e->setReadOnly(c.ReadOnly);
    } else if (auto* m = qobject_cast<QPlainTextEdit*>(w)) {
        if (ItemsChanged(c, c.Items)) m->setPlainText(Joined(c.Items));
        m->setReadOnly(c.ReadOnly);
    } else if (auto* b = qobject_cast<QCheckBox*>(w)) {
        b->setText(caption);
        b->setChecked(c.Checked);
    } else if (auto* r = qobject_cast<QRadioButton*>(w)) {
        r->setText(caption);
        r->setChecked(c.Checked);
    } else if (auto* p = qobject_cast<QPushButton*>(w)) {
        ButtonFace face = FaceOf(c);
        if (p->text() != ToQt(face.Caption)) p->setText(ToQt(face.Caption));
        p->setDefault(c.ModalResult == mrOk);
        if (c.Checked) p->setCheckable(true);  // a tool bar button that stays down
        p->setChecked(c.Checked);
    } else if (auto* cb = qobject_cast<QComboBox*>(w)) {
        if (ItemsChanged(c, c.Items)) {
            cb->clear();
            for (const std::string& item : c.Items) cb->addItem(ToQt(item));
        }
        if (cb->isEditable() == c.ReadOnly) Editable(cb, *form_.Find(c.Name));
        if (cb->currentIndex() != c.ItemIndex) cb->setCurrentIndex(c.ItemIndex);
        if (cb->isEditable() && cb->currentText() != text) cb->setEditText(text);
    } else if (auto* lw = qobject_cast<QListWidget*>(w)) {
        if (ItemsChanged(c, c.Items)) {
            lw->clear();
            for (const std::string& item : c.Items) lw->addItem(ToQt(item));
        }
        if (lw->currentRow() != c.ItemIndex) lw->setCurrentRow(c.ItemIndex);
    } else if (auto* tw = qobject_cast<QTreeWidget*>(w)) {
        if (ItemsChanged(c, c.Items)) {
            // Each node hangs under the last node one level up.
            tw->clear();
            std::vector<QTreeWidgetItem*> path;
            for (size_t i = 0; i < c.Items.size(); ++i) {
                auto level = static_cast<size_t>(TreeLevel(c.Items[i]));
                if (level > path.size()) level = path.size();
                path.resize(level);
                auto* node = path.empty() ? new QTreeWidgetItem(tw) : new QTreeWidgetItem(path.back());
                node->setText(0, ToQt(TreeText(c.Items[i])));
                node->setFlags(node->flags() | Qt::ItemIsEditable);
                node->setData(0, Qt::UserRole, static_cast<int>(i));
                path.push_back(node);
            }
            tw->expandAll();
        }
        QTreeWidgetItem* current = nullptr;
        for (QTreeWidgetItemIterator it(tw); *it && c.ItemIndex >= 0; ++it)
            if ((*it)->data(0, Qt::UserRole).toInt() == c.ItemIndex) current = *it;
        if (tw->currentItem() != current) tw->setCurrentItem(current);
        tw->setEditTriggers(c.ReadOnly ? QAbstractItemView::NoEditTriggers
                                       : QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    } else if (auto* s = qobject_cast<QDoubleSpinBox*>(w)) {
        auto whole = [](double v) { return v == static_cast<double>(static_cast<long long>(v)); };
        s->setDecimals(whole(c.Increment) && whole(c.MinValue) && whole(c.MaxValue) ? 0 : 2);
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
    } else if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
        std::vector<TControl*> pages = form_.Children(c.Name);
        for (int i = 0; i < static_cast<int>(pages.size()) && i < tabs->count(); ++i) {
            const TControl& page = *pages[static_cast<size_t>(i)];
            tabs->setTabText(i, ToQt(page.Caption));
            tabs->setTabEnabled(i, page.Enabled);
            tabs->setTabVisible(i, page.Visible);
            if (!page.Hint.empty()) tabs->setTabToolTip(i, ToQt(page.Hint));
            if (SameText(page.Name, c.Text) && tabs->currentIndex() != i) tabs->setCurrentIndex(i);
        }
    } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
        g->setTitle(caption);
    } else if (auto* pb = qobject_cast<QProgressBar*>(w)) {
        pb->setRange(static_cast<int>(c.MinValue), static_cast<int>(c.MaxValue > c.MinValue ? c.MaxValue : 100));
        pb->setValue(static_cast<int>(c.Value));
    } else if (auto* sb = qobject_cast<QStatusBar*>(w)) {
        if (sb->currentMessage() != (text.isEmpty() ? caption : text)) sb->showMessage(text.isEmpty() ? caption : text);
    }
    // Hints pop up unless the application shows none.
    std::string hint = c.Kind == TControlKind::Button ? FaceOf(c).Tip : c.Hint;
    QString tip = Application().ShowHint() ? ToQt(hint) : QString();
    if (w->toolTip() != tip) w->setToolTip(tip);
    w->setEnabled(c.Enabled);
    auto shown = shown_.find(AnsiUpperCase(c.Name));
    if (shown != shown_.end()) {
        shown->second->setVisible(c.Visible);
        // A hidden client control takes its column and titles along.
        if (columns_.count(shown->second)) shown->second->parentWidget()->setVisible(c.Visible);
    }
}

void RunGuarded(const std::function<void()>& call) {
    try {
        call();
    } catch (...) {
        // Shown as the headless loop shows it; the window goes on.
        try {
            Application().HandleException(&Application());
        } catch (...) {
        }
    }
}

void TFormWindow::Act(const std::function<void()>& call) {
    RunGuarded(call);
    After();
}

void TFormWindow::After() {
    if (detached_) return;
    Refresh();
    if (form_.ModalResult != mrNone) done(form_.ModalResult);
}

bool TFormWindow::eventFilter(QObject* watched, QEvent* e) {
    auto it = controlOf_.find(watched);
    if (it == controlOf_.end() || refreshing_) return QDialog::eventFilter(watched, e);
    TControl* c = it->second;
    switch (e->type()) {
        case QEvent::Enter:
        case QEvent::Leave:
            // Where the program shows hints (Application().OnHint), a control's hint goes there.
            if (!c->Hint.empty()) {
                Application().SetHint(e->type() == QEvent::Enter ? c->Hint : std::string());
                After();
            }
            break;
        case QEvent::FocusIn:
            Act([&] { c->Focus(); });
            break;
        case QEvent::KeyPress:
            KeyToForm(static_cast<QKeyEvent*>(e));
            if (form_.ModalResult != mrNone) return true;
            break;
        case QEvent::KeyRelease:
            keyed_ = nullptr;
            break;
        case QEvent::MouseButtonPress:
            pressed_ = c;  // a drag starts from the control the button went down on
            if (RightClick(c, static_cast<QMouseEvent*>(e))) return true;
            break;
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(e);
            TControl* source = DragSource(drop->mimeData());
            if (!c->OnDragDrop || !source || source == c) break;
            drop->acceptProposedAction();
            if (e->type() == QEvent::Drop) pressed_ = nullptr;
            Act([&] {
                if (e->type() == QEvent::Drop) c->DragDrop(*source);
                else c->DragOver(*source, drop->position().toPoint().x(), drop->position().toPoint().y());
            });
            return true;
        }
        case QEvent::MouseButtonRelease:
            pressed_ = nullptr;
            // A right button's release went with its press.
            if (static_cast<QMouseEvent*>(e)->button() == Qt::RightButton && c->OnMouse && c->Kind != TControlKind::Image)
                return true;
            // A picture, label or panel takes a click.
            if ((c->Kind == TControlKind::Image || c->Kind == TControlKind::Label ||
                 (c->Kind == TControlKind::Panel && c->OnClick)) &&
                static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton) {
                Act([&] { c->Click(); });
            }
            break;
        default:
            break;
    }
    return QDialog::eventFilter(watched, e);
}

bool TFormWindow::RightClick(TControl* c, QMouseEvent* e) {
    // The right button on a control that takes mouse input (a map image has its own view):
    // its press is the whole click, down and up, since a window system may hand the release
    // to another widget.
    if (e->button() != Qt::RightButton || !c->OnMouse || c->Kind == TControlKind::Image) return false;
    QPoint p = e->position().toPoint();
    uint32_t shift = ShiftState(e->modifiers(), e->buttons());
    Act([&] {
        c->Mouse(TControl::TMouseAction::Down, 1, shift, p.x(), p.y());
        c->Mouse(TControl::TMouseAction::Up, 1, shift & ~16u, p.x(), p.y());
    });
    return true;
}

void TFormWindow::KeyToForm(QKeyEvent* e) {
    // The form sees each key before its control does, once.
    if (e == keyed_) return;
    keyed_ = e;
    if (uint16_t key = VirtualKey(e->key())) {
        Act([&] { form_.KeyDown(key, ShiftState(e->modifiers())); });
    }
}

void TFormWindow::keyPressEvent(QKeyEvent* e) {
    KeyToForm(e);
    keyed_ = nullptr;
    uint16_t key = VirtualKey(e->key());
    if (key && (form_.ModalResult != mrNone || (key != 13 && key != 27))) return;
    QDialog::keyPressEvent(e);
}

void TFormWindow::contextMenuEvent(QContextMenuEvent* e) {
    if (auto* menu = qobject_cast<QMenu*>(Widget(form_.PopupMenu))) {
        Refresh();
        menu->popup(e->globalPos());
        return;
    }
    QDialog::contextMenuEvent(e);
}

void TFormWindow::mouseReleaseEvent(QMouseEvent* e) {
    Act([&] { form_.MouseUp(); });
    QDialog::mouseReleaseEvent(e);
}

void TFormWindow::Bounds() {
    if (!isVisible() || refreshing_) return;
    // A map window's size is its image's: that is what it opens at again.
    QSize size = this->size();
    for (QWidget* child : findChildren<QWidget*>())
        if (auto* v = dynamic_cast<TImageView*>(child); v && v->ShowsPixels()) size = v->size();
    Act([&] { form_.SetBounds(x(), y(), size.width(), size.height()); });
}

void TFormWindow::resizeEvent(QResizeEvent* e) {
    QDialog::resizeEvent(e);
    Bounds();
}

void TFormWindow::moveEvent(QMoveEvent* e) {
    QDialog::moveEvent(e);
    Bounds();
}

void TFormWindow::dragEnterEvent(QDragEnterEvent* e) {
    if (form_.OnDragDrop) e->acceptProposedAction();
}

void TFormWindow::dropEvent(QDropEvent* e) {
    e->acceptProposedAction();
    Act([&] { form_.DragDrop(DragSource(e->mimeData())); });
}

TControl* TFormWindow::DragSource(const QMimeData* data) const {
    if (!data || !data->hasFormat(kControlFormat)) return pressed_;
    auto address = static_cast<quintptr>(data->data(kControlFormat).toULongLong());
    for (const TFormWindow* w : LiveWindows()) {
        if (w->detached_) continue;
        for (const auto& c : w->form_.Controls())
            if (reinterpret_cast<quintptr>(c.get()) == address) return c.get();
    }
    return nullptr;
}

void TFormWindow::reject() {
    // Closing the window closes the form, which may refuse.
    if (!form_.Close()) return;
    done(form_.ModalResult != mrNone ? form_.ModalResult : mrCancel);
}
