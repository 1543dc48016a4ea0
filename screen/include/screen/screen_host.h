// The front end on a display: each headless form shown modally becomes a Qt window whose
// widgets mirror its controls, and what the user does there is the same call a headless
// host makes (Click, Type, Select, SetChecked, TypeCell, KeyDown). Message boxes, queries
// and the file and folder choosers are Qt dialogs. Forms shown without waiting (main and
// map windows) are windows of their own, and the application's loop is Qt's loop until
// the program terminates. It knows forms and controls only.
#pragma once
#include <string>

#include "platform/host.h"

// True when a display is present (DISPLAY or WAYLAND_DISPLAY) and neither "--headless" nor
// "--answers" is among the arguments: the screen host is then the user host. "--headless"
// is taken out of the arguments either way.
// The programs on the Kernel library load the Qt part (the screen module) only then.
bool StartScreen(int& argc, char** argv);
// Restores the headless host and ends Qt.
void StopScreen();

// The parts: whether a display is to be used ("--headless" taken out), and the Qt host
// made (false when it already is) and ended.
bool ScreenWanted(int& argc, char** argv);
bool OpenScreen(int& argc, char** argv);
void CloseScreen();

class TForm;
class TFormWindow;
// The window showing a form that was shown without waiting (Show), or nullptr.
TFormWindow* FormWindow(const TForm& form);
