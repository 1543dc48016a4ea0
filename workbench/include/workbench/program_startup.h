// What the programs' main blocks share: their command line, the scripted user host of
// batch runs and the message loop around the main tool.
#pragma once
#include <string>
#include <vector>

#include "platform/host.h"

class TElement;
class TOldMainTool;

// Registers the classes of Kernel and of the workbench with all it builds on, in unit
// order. Safe to call more than once.
void RegisterProgramClasses();

// The program's own options taken out of its arguments: "--answers FILE". What remains
// are the program arguments (ParamStr). False with the reason for an incomplete option.
bool ReadProgramArguments(int argc, char** argv, std::string& answersFile, std::string& error);

// Starts the main tool (DoIt, under the world's exception hook) and runs the message loop
// until the application terminates. When the queue runs empty the user is asked to quit
// (message 2); refusing opens the script console on the world, and the loop goes on.
void RunMainTool(TOldMainTool* tool);

// Shows the script console on the element (the world when nil) and frees it once shown,
// however the showing ends, unless it freed itself.
void OpenScriptConsole(TElement* element);

// The main block of a program: its own arguments and the answers file (status 2 with a
// message when either is wrong), its classes, the information panel, the application
// title, the main tool (made by startUp) and the loop; status 0 at the end.
int RunProgram(int argc, char** argv, const char* title, void (*registerClasses)(), TOldMainTool* (*startUp)());
