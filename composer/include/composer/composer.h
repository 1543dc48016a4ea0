// Start-up of the map composition program's library.
#pragma once

// Registers the element classes of the map composition program (the workbench's first).
// Safe to call more than once; only the first call registers.
void RegisterComposerClasses();
