// Run-time packages: shared libraries built against Kernel that register their classes
// through one exported C function when they are loaded.
#pragma once
#include <string>

#include "platform/sysutils.h"

SUITE_EXCEPTION(EPackageError, Exception)

// The registration function every package exports under this name:
//   extern "C" SUITE_PACKAGE_EXPORT void ZarixRegisterPackage();
#define SUITE_PACKAGE_ENTRY "ZarixRegisterPackage"
#define SUITE_PACKAGE_EXPORT __attribute__((visibility("default")))
using TPackageRegister = void (*)();

// Loads the package (a suite path) and runs its registration function, once per package:
// loading one that is loaded already answers its handle again. Packages stay loaded until
// the process ends. EPackageError "Can't load package <path>: <reason>" when the file
// cannot be loaded or exports no registration function (it is unloaded again then).
void* LoadPackage(const std::string& path);
