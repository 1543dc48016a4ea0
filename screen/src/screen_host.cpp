#include "screen/screen_host.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QInputDialog>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <memory>

#include "platform/forms.h"
#include "platform/sysutils.h"
#include "screen/form_window.h"
#include "modeless_windows.h"

namespace {

// Message boxes, queries and choosers as Qt dialogs; forms as their mirror windows.
class TScreenHost : public UserHost {
public:
    int MessageBox(const std::string& text, const std::string& caption, TMsgDlgType type,
                   TMsgDlgButtons buttons) override {
        static const char* const kCaptions[] = {"&Ano", "&Ne", "OK", "Storno", "&Přerušit", "&Opakovat",
                                                "&Ignorovat", "&Vše", "N&e všem", "A&no všem", "Nápo&věda"};
        QMessageBox box;
        box.setWindowTitle(ToQt(caption));
        box.setText(ToQt(text));
        box.setIcon(type == mtWarning       ? QMessageBox::Warning
                    : type == mtError       ? QMessageBox::Critical
                    : type == mtInformation ? QMessageBox::Information
                    : type == mtConfirmation ? QMessageBox::Question
                                             : QMessageBox::NoIcon);
        if (buttons.Empty()) buttons = mbOK;
        int def = DefaultResult(buttons);
        for (int b = mbYes; b <= mbHelp; ++b) {
            auto btn = static_cast<TMsgDlgBtn>(b);
            if (!buttons.Has(btn) || btn == mbHelp) continue;
            QPushButton* p = box.addButton(QString::fromUtf8(kCaptions[b]), QMessageBox::AcceptRole);
            p->setProperty("result", ButtonResult(btn));
            if (ButtonResult(btn) == def) box.setDefaultButton(p);
            if (btn == mbCancel || btn == mbNo) box.setEscapeButton(p);
        }
        box.exec();
        QAbstractButton* clicked = box.clickedButton();
        return clicked ? clicked->property("result").toInt() : (buttons.Has(mbCancel) ? mrCancel : def);
    }
    bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) override {
        bool ok = false;
        QString v = QInputDialog::getText(nullptr, ToQt(caption), ToQt(prompt), QLineEdit::Normal, ToQt(value), &ok);
        if (ok) value = FromQt(v);
        return ok;
    }
    bool SelectFile(const std::string& filter, const std::string& initialDir, std::string& fileName) override {
        // "text|*.a;*.b|text2|*.c" as Qt filters "text (*.a *.b);;text2 (*.c)"
        QStringList parts = ToQt(filter).split('|');
        QStringList filters;
        for (int i = 0; i + 1 < parts.size(); i += 2) {
            QString patterns = QString(parts[i + 1]).replace(';', ' ');
            // A text that already names its patterns keeps them once.
            filters << (parts[i].contains("(" + patterns + ")") ? parts[i] : parts[i] + " (" + patterns + ")");
        }
        QString f = QFileDialog::getOpenFileName(nullptr, QString(), ToQt(initialDir), filters.join(";;"));
        if (f.isEmpty()) return false;
        fileName = FromQt(f);
        return true;
    }
    bool SelectDirectory(const std::string& caption, std::string& directory) override {
        QString d = QFileDialog::getExistingDirectory(nullptr, ToQt(caption), ToQt(directory));
        if (d.isEmpty()) return false;
        directory = FromQt(d);
        return true;
    }
    int ShowModal(const std::string& formName) override {
        return MessageBox(formName, Application().Title(), mtCustom, mbOKCancel);
    }
    void FormShown(TForm& form) override { ShowFormWindow(form); }
    void FormHidden(TForm& form) override { HideFormWindow(form); }
    void FormDestroyed(TForm& form) override { DropFormWindow(form); }
    void FormPopupMenu(TForm& form) override { PopupFormMenu(form); }
    int ShowForm(TForm& form) override {
        TFormWindow window(form);
        int result = window.exec();
        return result == QDialog::Rejected && form.ModalResult == mrNone ? mrCancel : result;
    }
};

struct ScreenState {
    std::unique_ptr<QApplication> app;
    TScreenHost host;
    std::unique_ptr<QTranslator> czech;
    QTimer* queue = nullptr;
};
ScreenState* g_screen = nullptr;

}  // namespace

bool OpenScreen(int& argc, char** argv) {
    if (g_screen) return false;
    g_screen = new ScreenState;
    if (!QApplication::instance()) g_screen->app = std::make_unique<QApplication>(argc, argv);
    // Qt's own dialogs and buttons speak Czech.
    g_screen->czech = std::make_unique<QTranslator>();
    if (g_screen->czech->load(QLocale(QLocale::Czech), "qtbase", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(g_screen->czech.get());
    // The application's posted messages run between window events on this thread.
    g_screen->queue = new QTimer;
    g_screen->queue->setInterval(5);
    QObject::connect(g_screen->queue, &QTimer::timeout, [] {
        int handled = 0;
        while (handled < 100 && Application().HandleMessage()) ++handled;
        if (handled) RefreshFormWindows();
        CheckScreenLoop();
    });
    g_screen->queue->start();
    QApplication::setQuitOnLastWindowClosed(false);  // the program ends the loop
    SetUserHost(&g_screen->host);
    Application().SetEventLoop(RunScreenLoop);
    // A job that lets messages run lets the windows run too, now and then.
    Application().SetEventPump([] {
        static QElapsedTimer since;
        if (since.isValid() && since.elapsed() < 50) return;
        since.restart();
        QCoreApplication::processEvents();
    });
    return true;
}

void CloseScreen() {
    if (!g_screen) return;
    SetUserHost(nullptr);
    Application().SetEventLoop(nullptr);
    Application().SetEventPump(nullptr);
    DropAllFormWindows();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    delete g_screen->queue;
    delete g_screen;
    g_screen = nullptr;
}
