// What a window shows for a button and for a form: a button without a caption shows a short
// caption taken from its hint or its role, never its name; a form without a caption shows
// the program's title, never its class name. Texts are Windows-1250.
#pragma once
#include <string>

#include "platform/controls.h"

struct ButtonFace {
    std::string Caption;
    std::string Tip;  // the tooltip: the hint, else what the button does
};
ButtonFace FaceOf(const TControl& button);
std::string WindowCaption(const TForm& form);
