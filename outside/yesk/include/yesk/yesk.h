// The script package: conditions, the Lua script runner and the script console.
#pragma once

// Registers the package's element classes (after the kernel's). Safe to call again.
void RegisterYeskClasses();
