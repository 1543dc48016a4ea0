// Text output devices: logs and protocols written into a text window the user can read,
// search, save and use to stop the running job, or into a text file.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "device/device.h"
#include "platform/controls.h"

class TFileStream;
class TMemoFormDevice;

// The text window. The editor "RichEdit" holds the lines (its Items); the commands are
// the buttons "Open", "Save", "FindText", "SetFont", "Abort" and "CloseForm"; "WordWrap"
// switches word wrap; "StatusBar" shows the caret as line/column, both from 0. The window
// belongs to the application and frees itself when the user closes it.
class TStdtxtForm : public TForm {
public:
    TStdtxtForm();
    ~TStdtxtForm() override;

    TControl& Editor() { return editor_; }
    const std::vector<std::string>& Lines() const { return editor_.Items; }
    const std::string& PendingLine() const { return FPending; }
    bool Busy() const { return FBusy; }
    bool Modified() const { return FModified; }
    bool Closing() const { return FClosing; }
    bool WordWrap() const { return FWordWrap; }
    const std::string& FontName() const { return FFontName; }
    int FontSize() const { return FFontSize; }
    const std::string& InitialDir() const { return FInitialDir; }
    // The selection, as positions in the text whose lines end with CR LF.
    int SelStart() const { return FSelStart; }
    int SelLength() const { return FSelLength; }

    // The device writing here; nil once it is gone.
    TMemoFormDevice* Device() const;
    void SetDevice(TMemoFormDevice* device);

    void WriteText(const std::string& text);
    void WriteLine(const std::string& text);
    void BeginWriting();
    void EndWriting();
    void ClearText();

    // The commands.
    void OpenFile();
    void SaveFile();
    void FindText();
    void SetFont();
    void AbortJob();
    void CloseForm();
    // Searches from the selection on; found: selects it, else tells the user.
    bool Find(const std::string& text);
    // Moves the caret; the status line follows.
    void SetCaret(int line, int column);

    // Plain text, or RTF for any other extension than ".TXT"; the editor's own failure is
    // reported to the user and the text kept.
    bool SaveToFile(const std::string& path);
    bool LoadFromFile(const std::string& path);
    // As the Open command after its dialog: the file's folder becomes the dialogs' starting
    // folder and the loaded text counts as unmodified.
    bool OpenFromFile(const std::string& path);

private:
    bool CanClose();
    void Closed();
    bool AskSave();
    void ShowCaret();
    TControl& editor_;
    TControl& status_;
    std::string FPending;
    bool FBusy = false;
    bool FModified = false;
    bool FClosing = false;
    bool FWordWrap = false;
    std::string FFontName = "Courier New";
    int FFontSize = 10;
    std::string FInitialDir;
    std::string FFindText;
    int FSelStart = 0;
    int FSelLength = 0;
    int FCaretLine = 0;
    int FCaretColumn = 0;
    TMemoFormDevice* FDevice = nullptr;
    uint64_t FDeviceSerial = 0;
};

// The text windows the application holds, oldest first.
std::vector<TStdtxtForm*> OpenTextWindows();

// RTF of our own: the lines in Windows-1250 as one plain paragraph each, and back.
std::string LinesToRtf(const std::vector<std::string>& lines);
std::vector<std::string> RtfToLines(const std::string& rtf);

class TMemoFormDevice : public TDevice {
    ZARIX_CLASS(TMemoFormDevice, TDevice)
    static void Publish(PropertyTable& t);

public:
    // Opens its window at once.
    void Create() override;
    // The window forgets the device unless it is closing and stays for reading; the holder
    // is told (message 3, sent with the device as sender) while the device still lives.
    void Destroy() override;

    TStdtxtForm* Form() const;
    void ForgetForm() { FForm = nullptr; }

    int32_t GetLeft() const;
    void SetLeft(int32_t v);
    int32_t GetTop() const;
    void SetTop(int32_t v);
    int32_t GetWidth() const;
    void SetWidth(int32_t v);
    int32_t GetHeight() const;
    void SetHeight(int32_t v);
    std::string GetCaption() const;
    void SetCaption(const std::string& v);
    // The window shows the file (text or RTF), as its Open command would.
    void LoadFromFile(const std::string& path);

    void SetVisible(bool visible) override;
    void Clear() override;
    void WriteText(const std::string& text) override;
    void WriteLine(const std::string& text) override;
    void BeginOutput() override;
    void EndOutput() override;
    void FlushOutput() override {}
    void SetOutputOption(int) override {}

private:
    TStdtxtForm* FForm = nullptr;
};

// Writes a text file: each line goes to the file as it is written.
class TTextFileDevice : public TDevice {
    ZARIX_CLASS(TTextFileDevice, TDevice)
    static void Publish(PropertyTable& t);

public:
    // Without the drawing part.
    void Create() override;
    void Destroy() override;
    TCanvas* GetCanvas() override { return nullptr; }

    // The open file's name, or the one waiting for output; empty when closed.
    std::string GetFileName() const { return FFileName; }
    // Closes an open file, then creates or empties the named one; EInOutError naming it
    // when it cannot be made. While a model file is read the name is only kept: the file
    // is made when output begins.
    void SetFileName(const std::string& name);
    bool IsOpen() const { return FStream != nullptr; }
    void CloseFile();

    void SetVisible(bool) override {}
    void Clear() override {}
    // A piece the file does not take whole raises EInOutError naming the file; nothing is
    // written while the file is not open.
    void WriteText(const std::string& text) override;
    void WriteLine(const std::string& text) override;
    // Makes (or empties) a file whose name waits for output; an open file keeps what was
    // written.
    void BeginOutput() override;
    void EndOutput() override { CloseFile(); }
    void FlushOutput() override {}
    void SetOutputOption(int) override {}

private:
    void OpenFile(const std::string& name);
    TFileStream* FStream = nullptr;
    std::string FFileName;
};

void RegisterTextDevicesUnit();
