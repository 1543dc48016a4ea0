#include "checker/checking_program.h"

#include "kernel/world.h"
#include "platform/forms.h"
#include "workbench/program_startup.h"

namespace tarvine {

// ---- TMainForm ------------------------------------------------------------------------

TMainForm::TMainForm(TOldMainTool* tool) : TMainForm2(tool, "TMainForm") {
    Application().SetHintColor(65280);
    // The application's hint shows in the status bar.
    Application().OnHint = [this] { (*this)["StatusBar"].Text = Application().Hint(); };
    (*this)["Picture"].Hint = Cz("Levým tlačítkem myši získáte info o aplikaci, pravým nabídku");
    Add(TControlKind::Label, "l_Data").Hint = Cz("Nastavená datová složka");
    Add(TControlKind::Label, "l_Control").Hint = Cz("Soubor aktuální kontroly");
    TControl& bar = Add(TControlKind::ProgressBar, "ProgressBar");
    bar.MinValue = 0;
    bar.MaxValue = 100;
    bar.Visible = false;
    struct Button {
        const char* name;
        const char* caption;
        const char* hint;
        int32_t message;
    };
    static const Button kButtons[] = {
        {"bb_Options", "&Nastavení", "Nastavení cest a ovládacích skriptů", msg::OptionsDialog},
        {"bb_Data", "&Data", "", msg::DataSetScript},
        {"bb_Control", "&Kontroly", "Nastavení a editace kontrol", msg::ControlSetScript},
        {"bb_Start", "&Start", "spuštění kontrolního procesu", msg::RunScript},
        {"bb_Quit", "Konec", "Ukončení Aplikace", tm_QuitTask},
    };
    for (const Button& b : kButtons) {
        TControl& c = Add(TControlKind::Button, b.name, Cz(b.caption));
        c.Hint = Cz(b.hint);
        int32_t message = b.message;
        c.OnClick = [this, message](TControl&) { PostToTool(message); };
    }
    Add(TControlKind::MenuItem, "mi_Import", "&Import", "PopupMenu").OnClick = [this](TControl&) {
        PostToTool(msg::ImportLayers);
    };
    // The script console opens on the world itself: 71 is the check set-up here.
    (*this)["mi_Yesk"].OnClick = [](TControl&) { OpenScriptConsole(World); };
}

TMainForm::~TMainForm() { Application().OnHint = nullptr; }

}  // namespace tarvine
