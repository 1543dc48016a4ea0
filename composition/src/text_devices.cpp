#include "composition/text_devices.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

#include "interpret/interpret.h"
#include "kernel/class_registry.h"
#include "kernel/file_elements.h"
#include "kernel/messages.h"
#include "kernel/world.h"
#include "platform/classes.h"
#include "platform/common_dialogs.h"
#include "platform/files.h"
#include "platform/forms.h"
#include "platform/host.h"
#include "platform/sysutils.h"
#include "platform/yes_no.h"

namespace {

constexpr int32_t kDoneMsg = 3;
constexpr uint32_t kReleaseWindow = WM_USER + 1;

const char* const kSaveQuestion = "Obsah souboru byl změněn ... uložit?";
const char* const kOpenFilter = "Text, RTF|*.txt;*.rtf";
const char* const kSaveFilter = "textový soubor (*.TXT)|*.txt|RTF soubor (RTF)|*.rtf";
const char* const kSaveTitle = "Uložení protokolu do souboru";

// The windows the application holds. A closed window is released from the queue, after
// the handler that closed it has returned.
struct TWindows {
    std::vector<std::unique_ptr<TStdtxtForm>> open;
    void* handle = nullptr;
};

TWindows& Windows() {
    static TWindows w;
    if (!w.handle) {
        w.handle = AllocateWindowHandle();
        RegisterWindowProc(w.handle, [](TMsg& m) -> intptr_t {
            if (m.message != kReleaseWindow) return 0;
            auto* form = reinterpret_cast<TStdtxtForm*>(m.lParam);
            auto& open = Windows().open;
            auto it = std::find_if(open.begin(), open.end(), [&](auto& p) { return p.get() == form; });
            if (it != open.end()) open.erase(it);
            return 0;
        });
    }
    return w;
}

std::string JoinedText(const std::vector<std::string>& lines) {
    std::string s;
    for (const std::string& l : lines) s += l + "\r\n";
    return s;
}

std::vector<std::string> SplitLines(const std::string& text) {
    TStringList l;
    l.SetText(text);
    std::vector<std::string> lines;
    for (int i = 0; i < l.Count(); ++i) lines.push_back(l[i]);
    return lines;
}

bool IsTxt(const std::string& path) { return AnsiUpperCase(ExtractFileExt(path)) == ".TXT"; }

const char* const kHex = "0123456789abcdef";

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

// ---- RTF -----------------------------------------------------------------------------------

std::string LinesToRtf(const std::vector<std::string>& lines) {
    std::string s = "{\\rtf1\\ansi\\ansicpg1250\\deff0{\\fonttbl{\\f0\\fmodern Courier New;}}\r\n\\f0\\fs20 ";
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i) s += "\\par\r\n";
        for (unsigned char c : lines[i]) {
            if (c == '\\' || c == '{' || c == '}') {
                s += '\\';
                s += static_cast<char>(c);
            } else if (c >= 0x80 || c < 0x20) {
                s += "\\'";
                s += kHex[c >> 4];
                s += kHex[c & 15];
            } else {
                s += static_cast<char>(c);
            }
        }
    }
    s += "\r\n}\r\n";
    return s;
}

std::vector<std::string> RtfToLines(const std::string& rtf) {
    std::vector<std::string> lines(1);
    // Groups that hold no text (font table, colours, styles, information, "\*" groups)
    // are skipped whole; depth counts the groups inside the one skipped.
    int depth = 0, skipFrom = -1;
    size_t i = 0, n = rtf.size();
    bool groupStart = false;
    while (i < n) {
        char c = rtf[i];
        if (c == '{') {
            ++depth;
            groupStart = true;
            ++i;
            continue;
        }
        if (c == '}') {
            if (depth == skipFrom) skipFrom = -1;
            --depth;
            groupStart = false;
            ++i;
            continue;
        }
        bool first = groupStart;
        groupStart = false;
        if (c == '\\' && i + 1 < n) {
            char d = rtf[i + 1];
            if (d == '\\' || d == '{' || d == '}') {
                if (skipFrom < 0) lines.back() += d;
                i += 2;
                continue;
            }
            if (d == '\'' && i + 3 < n + 0 && HexValue(rtf[i + 2]) >= 0 && HexValue(rtf[i + 3]) >= 0) {
                if (skipFrom < 0) lines.back() += static_cast<char>(HexValue(rtf[i + 2]) * 16 + HexValue(rtf[i + 3]));
                i += 4;
                continue;
            }
            if (d == '*') {
                if (first && skipFrom < 0) skipFrom = depth;
                i += 2;
                continue;
            }
            size_t j = i + 1;
            while (j < n && ((rtf[j] >= 'a' && rtf[j] <= 'z') || (rtf[j] >= 'A' && rtf[j] <= 'Z'))) ++j;
            std::string word = rtf.substr(i + 1, j - i - 1);
            if (j < n && (rtf[j] == '-' || (rtf[j] >= '0' && rtf[j] <= '9'))) {
                ++j;
                while (j < n && rtf[j] >= '0' && rtf[j] <= '9') ++j;
            }
            if (j < n && rtf[j] == ' ') ++j;
            if (word.empty()) j = i + 2;  // another control symbol: left out
            if (first && skipFrom < 0 &&
                (word == "fonttbl" || word == "colortbl" || word == "stylesheet" || word == "info"))
                skipFrom = depth;
            if (skipFrom < 0) {
                if (word == "par" || word == "line") lines.emplace_back();
                else if (word == "tab") lines.back() += '\t';
            }
            i = j;
            continue;
        }
        if (c != '\r' && c != '\n' && skipFrom < 0 && depth > 0) lines.back() += c;
        ++i;
    }
    return lines;
}

// ---- TStdtxtForm ---------------------------------------------------------------------------

TStdtxtForm::TStdtxtForm()
    : TForm("TStdtxtForm"),
      editor_(Add(TControlKind::Memo, "RichEdit")),
      status_(Add(TControlKind::StatusBar, "StatusBar")) {
    Width = 600;
    Height = 400;
    struct Command {
        const char* name;
        const char* caption;
        const char* hint;
        void (TStdtxtForm::*run)();
    };
    const Command commands[] = {
        {"Open", "Otevřít", "Otevření souboru", &TStdtxtForm::OpenFile},
        {"Save", "Uložit", "Uložení do souboru", &TStdtxtForm::SaveFile},
        {"FindText", "Najít text", "Vyhledání textu", &TStdtxtForm::FindText},
        {"SetFont", "Změna písma", "Nastavení písma", &TStdtxtForm::SetFont},
        {"Abort", "Přerušit", "Přerušit výpis", &TStdtxtForm::AbortJob},  // the button's own hint
        {"CloseForm", "Zavřít", "Zavření formuláře", &TStdtxtForm::CloseForm},
    };
    for (const Command& c : commands) {
        auto run = c.run;
        TControl& button = Add(TControlKind::Button, c.name, Cz(c.caption), "ToolBar");
        button.Hint = Cz(c.hint);
        button.OnClick = [this, run](TControl&) { (this->*run)(); };
    }
    Add(TControlKind::CheckBox, "WordWrap", Cz("Zalamovat řádky")).OnClick = [this](TControl& c) {
        FWordWrap = c.Checked;
    };
    editor_.OnChange = [this](TControl& c) {
        c.Items = SplitLines(c.Text);
        FModified = true;
    };
    OnCloseQuery = [this](TForm&) { return CanClose(); };
    OnClose = [this](TForm&) { Closed(); };
    ShowCaret();
}

TStdtxtForm::~TStdtxtForm() {
    if (TMemoFormDevice* d = Device()) d->ForgetForm();
}

TMemoFormDevice* TStdtxtForm::Device() const {
    return FDevice && IsLive(FDevice, FDeviceSerial) ? FDevice : nullptr;
}

void TStdtxtForm::SetDevice(TMemoFormDevice* device) {
    FDevice = device;
    FDeviceSerial = device ? device->Serial() : 0;
}

void TStdtxtForm::ShowCaret() { status_.Text = IntToStr(FCaretLine) + "/" + IntToStr(FCaretColumn); }

void TStdtxtForm::SetCaret(int line, int column) {
    FCaretLine = std::max(0, line);
    FCaretColumn = std::max(0, column);
    ShowCaret();
}

void TStdtxtForm::WriteText(const std::string& text) {
    FPending += text;
    if (editor_.Items.empty()) editor_.Items.push_back(FPending);
    else editor_.Items.back() = FPending;
    FModified = true;
}

void TStdtxtForm::WriteLine(const std::string& text) {
    WriteText(text);
    FPending.clear();
    editor_.Items.push_back(" ");
}

void TStdtxtForm::BeginWriting() {
    FBusy = true;
    Application().ProcessMessages();
}

void TStdtxtForm::EndWriting() { FBusy = false; }

void TStdtxtForm::ClearText() {
    editor_.Items.clear();
    editor_.Text.clear();
    FPending.clear();
    FSelStart = FSelLength = 0;
}

bool TStdtxtForm::AskSave() {
    if (!FModified || !ShowYesNo(Cz(kSaveQuestion))) return true;
    SaveFile();
    return true;
}

void TStdtxtForm::OpenFile() {
    AskSave();
    std::string name;
    if (!GetUserHost().SelectFile(Cz(kOpenFilter), FInitialDir, name) || name.empty()) return;
    OpenFromFile(name);
}

bool TStdtxtForm::OpenFromFile(const std::string& path) {
    FInitialDir = ExtractFilePath(path);
    if (!LoadFromFile(path)) return false;
    FModified = false;
    return true;
}

void TStdtxtForm::SaveFile() {
    TSaveDialog dialog;
    dialog.Title = Cz(kSaveTitle);
    dialog.Filter = Cz(kSaveFilter);
    dialog.DefaultExt = "TXT";
    dialog.InitialDir = FInitialDir;
    dialog.OverwritePrompt = true;
    dialog.OnTypeChange = [](TSaveDialog& d) { d.DefaultExt = d.FilterIndex == 1 ? "TXT" : "RTF"; };
    if (!dialog.Execute()) return;
    FInitialDir = ExtractFilePath(dialog.FileName);
    if (SaveToFile(dialog.FileName)) FModified = false;
}

bool TStdtxtForm::SaveToFile(const std::string& path) {
    try {
        if (IsTxt(path)) {
            TStringList l;
            for (const std::string& line : editor_.Items) l.Add(line);
            l.SaveToFile(path);
        } else {
            std::string rtf = LinesToRtf(editor_.Items);
            TMemoryStream m;
            m.WriteBuffer(rtf.data(), static_cast<int64_t>(rtf.size()));
            m.SaveToFile(path);
        }
        return true;
    } catch (const Exception& e) {
        ShowErrorMessage(e.Message());
        return false;
    }
}

bool TStdtxtForm::LoadFromFile(const std::string& path) {
    try {
        TMemoryStream m;
        m.LoadFromFile(path);
        std::string bytes(reinterpret_cast<const char*>(m.Memory()), static_cast<size_t>(m.Size()));
        // The editor takes RTF by its signature, whatever the name.
        if (bytes.rfind("{\\rtf", 0) == 0) editor_.Items = RtfToLines(bytes);
        else editor_.Items = SplitLines(bytes);
        editor_.Text.clear();
        FSelStart = FSelLength = 0;
        SetCaret(0, 0);
        return true;
    } catch (const Exception& e) {
        ShowErrorMessage(e.Message());
        return false;
    }
}

void TStdtxtForm::FindText() {
    if (!GetUserHost().InputQuery(Cz("Vyhledání textu"), Cz("Najít text"), FFindText)) return;
    Find(FFindText);
}

bool TStdtxtForm::Find(const std::string& text) {
    std::string all = JoinedText(editor_.Items);
    // Find next goes on after the selected match; without a selection, from the caret.
    size_t from = static_cast<size_t>(FSelStart + (FSelLength > 0 ? 1 : 0));
    size_t at = text.empty() || from > all.size() ? std::string::npos : all.find(text, from);
    if (at == std::string::npos) {
        ShowMessage("Text " + text + " Nenalezen !");
        return false;
    }
    FSelStart = static_cast<int>(at);
    FSelLength = static_cast<int>(text.size());
    size_t lineStart = all.rfind("\r\n", at);
    lineStart = lineStart == std::string::npos ? 0 : lineStart + 2;
    int line = static_cast<int>(std::count(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(lineStart), '\n'));
    SetCaret(line, static_cast<int>(at - lineStart));
    editor_.Focus();
    return true;
}

void TStdtxtForm::SetFont() {
    TFontDialog dialog;
    dialog.FontName = FFontName;
    dialog.FontSize = FFontSize;
    if (!dialog.Execute()) return;
    FFontName = dialog.FontName;
    FFontSize = dialog.FontSize;
}

void TStdtxtForm::AbortJob() {
    try {
        TMemoFormDevice* d = Device();
        if (!d) return;
        for (int32_t i = 0; i < d->GetOwnersCount(); ++i) {
            auto* owner = As<TUniversalInterpret>(d->GetOwnerEntity(i));
            if (!owner) continue;
            owner->SetBreak(true);
            editor_.Items.push_back(Cz("***** Přerušeno uživatelem !!!!!! *****"));
            editor_.Items.push_back("  ");
            return;
        }
    } catch (...) {
    }
}

void TStdtxtForm::CloseForm() { Close(); }

bool TStdtxtForm::CanClose() {
    if (FBusy) return false;
    return AskSave();
}

void TStdtxtForm::Closed() {
    FClosing = true;
    Application().ProcessMessages();
    try {
        if (TMemoFormDevice* d = Device()) Free(d);
    } catch (...) {
    }
    SetDevice(nullptr);
    TWindows& w = Windows();
    PostMessage(w.handle, kReleaseWindow, 0, reinterpret_cast<intptr_t>(this));
}

std::vector<TStdtxtForm*> OpenTextWindows() {
    std::vector<TStdtxtForm*> list;
    for (auto& f : Windows().open) list.push_back(f.get());
    return list;
}

// ---- TMemoFormDevice -----------------------------------------------------------------------

void TMemoFormDevice::Publish(PropertyTable& t) {
    using C = TMemoFormDevice;
    t.Int<C>("Left", &C::GetLeft, &C::SetLeft);
    t.Int<C>("Top", &C::GetTop, &C::SetTop);
    t.Int<C>("Width", &C::GetWidth, &C::SetWidth);
    t.Int<C>("Height", &C::GetHeight, &C::SetHeight);
    t.Str<C>("Caption", &C::GetCaption, &C::SetCaption);
    t.Str<C>("LoadFromFile", nullptr, &C::LoadFromFile);
}

void TMemoFormDevice::Create() {
    inherited::Create();
    auto form = std::make_unique<TStdtxtForm>();
    FForm = form.get();
    FForm->SetDevice(this);
    Windows().open.push_back(std::move(form));
    FForm->Show();
}

TStdtxtForm* TMemoFormDevice::Form() const {
    if (!FForm) return nullptr;
    for (auto& f : Windows().open)
        if (f.get() == FForm) return FForm;
    return nullptr;
}

void TMemoFormDevice::Destroy() {
    if (TStdtxtForm* f = Form(); f && !f->Closing()) f->SetDevice(nullptr);
    FForm = nullptr;
    // The holder drops its reference while the sender still is this device.
    if (World) {
        try {
            TZarixMessage* m = TZarixMessage::CreateMessage(kDoneMsg, this, nullptr, nullptr, false);
            TMsg msg{Application().Handle(), WM_USER, 0, reinterpret_cast<intptr_t>(m)};
            bool handled = false;
            World->HandleWinMessage(msg, handled);
        } catch (...) {
        }
    }
    Application().ProcessMessages();
    inherited::Destroy();
}

int32_t TMemoFormDevice::GetLeft() const { return Form() ? Form()->Left : 0; }
void TMemoFormDevice::SetLeft(int32_t v) {
    if (TStdtxtForm* f = Form()) f->Left = v;
}
int32_t TMemoFormDevice::GetTop() const { return Form() ? Form()->Top : 0; }
void TMemoFormDevice::SetTop(int32_t v) {
    if (TStdtxtForm* f = Form()) f->Top = v;
}
int32_t TMemoFormDevice::GetWidth() const { return Form() ? Form()->Width : 0; }
void TMemoFormDevice::SetWidth(int32_t v) {
    if (TStdtxtForm* f = Form()) f->Width = v;
}
int32_t TMemoFormDevice::GetHeight() const { return Form() ? Form()->Height : 0; }
void TMemoFormDevice::SetHeight(int32_t v) {
    if (TStdtxtForm* f = Form()) f->Height = v;
}
std::string TMemoFormDevice::GetCaption() const { return Form() ? Form()->Caption : std::string(); }
void TMemoFormDevice::SetCaption(const std::string& v) {
    if (TStdtxtForm* f = Form()) f->Caption = v;
}

void TMemoFormDevice::LoadFromFile(const std::string& path) {
    if (TStdtxtForm* f = Form()) f->OpenFromFile(path);
}

void TMemoFormDevice::SetVisible(bool visible) {
    if (TStdtxtForm* f = Form()) {
        if (visible) f->Show();
        else f->Hide();
    }
}

void TMemoFormDevice::Clear() {
    if (TStdtxtForm* f = Form()) f->ClearText();
}

void TMemoFormDevice::WriteText(const std::string& text) {
    if (TStdtxtForm* f = Form()) f->WriteText(text);
}

void TMemoFormDevice::WriteLine(const std::string& text) {
    if (TStdtxtForm* f = Form()) f->WriteLine(text);
}

void TMemoFormDevice::BeginOutput() {
    if (TStdtxtForm* f = Form()) f->BeginWriting();
}

void TMemoFormDevice::EndOutput() {
    if (TStdtxtForm* f = Form()) f->EndWriting();
}

// ---- TTextFileDevice -----------------------------------------------------------------------

void TTextFileDevice::Publish(PropertyTable& t) {
    using C = TTextFileDevice;
    t.Str<C>("FileName", &C::GetFileName, &C::SetFileName);
}

void TTextFileDevice::Create() { TOwnerElement::Create(); }

void TTextFileDevice::Destroy() {
    try {
        CloseFile();
    } catch (...) {
    }
    inherited::Destroy();
}

void TTextFileDevice::SetFileName(const std::string& name) {
    CloseFile();
    if (name.empty()) return;
    if (ModelFileReading::Active()) {
        FFileName = name;
        return;
    }
    OpenFile(name);
}

void TTextFileDevice::OpenFile(const std::string& name) {
    try {
        FStream = new TFileStream(name, fmCreate);
    } catch (Exception& e) {
        throw EInOutError(e.Message());
    }
    FFileName = name;
}

void TTextFileDevice::BeginOutput() {
    if (!FStream && !FFileName.empty()) OpenFile(FFileName);
}

void TTextFileDevice::CloseFile() {
    delete FStream;
    FStream = nullptr;
    FFileName.clear();
}

// Each piece goes to the file at once; one that the file does not take whole is an error.
void TTextFileDevice::WriteText(const std::string& text) {
    if (!FStream || text.empty()) return;
    int64_t size = static_cast<int64_t>(text.size());
    if (FStream->Write(text.data(), size) != size)
        throw EInOutError("Write error in file \"" + FFileName + "\". " + std::strerror(errno));
}

void TTextFileDevice::WriteLine(const std::string& text) {
    if (FStream) WriteText(text + "\r\n");
}

void RegisterTextDevicesUnit() {
    RegisterZarixClass<TTextFileDevice>();
    RegisterZarixClass<TMemoFormDevice>();
}
