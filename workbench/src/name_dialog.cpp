#include "workbench/name_dialog.h"

#include "platform/host.h"
#include "platform/sysutils.h"

Tf_Name::Tf_Name() : TForm("Tf_Name") {
    Caption = Cz("Jméno objektu");
    Width = 250;
    Height = 110;
    Add(TControlKind::Edit, "ed_Name");
    Add(TControlKind::Button, "OK", "OK").ModalResult = mrOk;
    Add(TControlKind::Button, "Storno", "Storno").ModalResult = mrCancel;
}
