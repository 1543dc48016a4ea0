// Start-up of the shared library Kernel.
#pragma once

// Registers every element class of Kernel with the class registry, in the order of its
// units. Safe to call more than once; only the first call registers.
void RegisterKernelClasses();
