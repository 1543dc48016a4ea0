#include "workbench/main_forms.h"

#include "kernel/file_routines.h"
#include "kernel/messages.h"
#include "kernel/world.h"
#include "platform/files.h"
#include "platform/forms.h"
#include "platform/host.h"
#include "platform/inifiles.h"
#include "workbench/file_version.h"
#include "workbench/main_tool_base.h"
#include "yesk/command_line.h"

TMainForm1::TMainForm1(TOldMainTool* tool, std::string className) : TForm(std::move(className)), FTool(tool) {
    TControl& picture = Add(TControlKind::Image, "Picture");
    picture.OnClick = [this](TControl&) { PostToTool(tm_AboutPanel); };
    Add(TControlKind::StatusBar, "StatusBar");
    TControl& animate = Add(TControlKind::Other, "Animate");
    try {
        TFileVersion version;
        version.SetFileName(Application().ExeName());
        Caption = version.InfoString("ProductName") + " verze " + version.InfoString("FileVersion");
        if (tool) {
            FIniFile = tool->GetIniFileName();
            TIniFile ini(FIniFile);
            Left = ini.ReadInteger("MainForm", "Left", 0);
            Top = ini.ReadInteger("MainForm", "Top", 0);
        }
        animate.Text = ExecPath() + "ZARIX001.AVI";
        animate.Checked = true;  // playing
    } catch (Exception&) {
        // A window without its caption or place still works.
    }
    OnCloseQuery = [this](TForm&) {
        if (MayClose) return true;
        PostToTool(tm_QuitTask);
        return false;
    };
}

TMainForm1::~TMainForm1() {
    if (FIniFile.empty()) return;
    try {
        TIniFile ini(FIniFile);
        ini.WriteInteger("MainForm", "Left", Left);
        ini.WriteInteger("MainForm", "Top", Top);
    } catch (Exception&) {
    }
}

void TMainForm1::PostToTool(int32_t message, TElement* data) {
    TOldMainTool* tool = FTool.Get();
    if (tool) TZarixMessage::CreateMessage(message, nullptr, tool, data, false)->Post();
}

void TMainForm1::ClickForm() {
    TControl& animate = (*this)["Animate"];
    animate.Checked = !animate.Checked;
    PostToTool(tm_AboutPanel);
}

void TMainForm1::DropFiles(const std::vector<std::string>& files) {
    for (const std::string& file : files) {
        std::string ext = AnsiUpperCase(ExtractFileExt(file));
        if (ext != ".YESK" && ext != ".TXT") continue;
        TCommandLine* runner = TCommandLine::New();
        THeld<TCommandLine> alive(runner);
        runner->FileName = file;
        try {
            runner->DoIt();
        } catch (...) {
            Application().HandleException(runner);
        }
        if (alive.Get()) Free(runner);
    }
}

TMainForm2::TMainForm2(TOldMainTool* tool, std::string className) : TMainForm1(tool, std::move(className)) {
    Add(TControlKind::PopupMenu, "PopupMenu");
    (*this)["Picture"].PopupMenu = "PopupMenu";
    struct Item {
        const char* name;
        const char* caption;
        int32_t message;
        TElement* (*data)();
    };
    static const Item kItems[] = {
        {"mi_Konec", "&Konec", tm_QuitTask, [] { return static_cast<TElement*>(nullptr); }},
        {"mi_Yesk", "&Y.E.S.K.", 71, [] { return static_cast<TElement*>(World); }},
        {"mi_World", "&Struktura Světa", 36, [] { return static_cast<TElement*>(World); }},
        {"mi_Tools", "Struktura &Nástrojů", 36,
         [] { return World ? static_cast<TElement*>(World->GetMainTool()) : nullptr; }},
        {"mi_Model", "Struktura &Modelu", 36,
         [] { return World ? static_cast<TElement*>(World->GetObjectModel()) : nullptr; }},
    };
    for (const Item& item : kItems) {
        TControl& c = Add(TControlKind::MenuItem, item.name, Cz(item.caption), "PopupMenu");
        int32_t message = item.message;
        auto data = item.data;
        c.OnClick = [this, message, data](TControl&) { PostToTool(message, data()); };
    }
}

void BrowseFolderInto(TControl& edit) {
    if (!DirectoryExists(edit.Text)) edit.Text.clear();
    // The folder tool of the dialogs when it is there, else the host's folder chooser.
    if (TTool* tool = NewRegistered<TTool>("TSelectDirDialog")) {
        tool->SetPropertyStringByName("Directory", edit.Text);
        tool->DoIt();
        std::string chosen = tool->GetPropertyStringByName("Directory");
        Free(tool);
        if (!chosen.empty()) edit.Text = chosen;
        return;
    }
    std::string folder = edit.Text;
    if (GetUserHost().SelectDirectory(Cz("Výběr složky"), folder)) edit.Text = folder;
}
