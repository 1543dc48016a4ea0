// Start-up of the workbench library.
#pragma once

// Registers the element classes of the workbench (the shell both programs share) with the
// class registry, in the order of its units; registers the composition classes (and with
// them the kernel and the outside packages) first, so a program calls only this. Safe to call more than once;
// only the first call registers.
void RegisterWorkbenchClasses();
