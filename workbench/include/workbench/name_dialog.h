// The small name form "Jméno objektu": one edit and OK / "Storno".
#pragma once
#include "platform/controls.h"

class Tf_Name : public TForm {
public:
    Tf_Name();
    TControl& NameEdit() { return (*this)["ed_Name"]; }
};
