// Start-up of the composition library.
#pragma once

// Registers the element classes of the composition library with the class registry, in
// the order of its units, after the kernel's and the outside packages'. Safe to call more
// than once; only the first call registers.
void RegisterCompositionClasses();
