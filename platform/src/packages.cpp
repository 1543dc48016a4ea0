#include "platform/packages.h"

#include <dlfcn.h>

#include <map>

#include "platform/files.h"

namespace {

std::map<std::string, void*>& Loaded() {
    static auto* loaded = new std::map<std::string, void*>;
    return *loaded;
}

[[noreturn]] void Refuse(const std::string& path, const std::string& reason) {
    throw EPackageError("Can't load package " + path + ": " + reason);
}

}  // namespace

void* LoadPackage(const std::string& path) {
    std::string os = MapPath(ExpandFileName(path));
    auto found = Loaded().find(os);
    if (found != Loaded().end()) return found->second;
    if (!FileExists(path)) Refuse(path, "file not found");
    void* handle = dlopen(os.c_str(), RTLD_NOW | RTLD_GLOBAL);
    if (!handle) {
        const char* err = dlerror();
        Refuse(path, err ? FromOsName(err) : std::string("unknown error"));
    }
    auto entry = reinterpret_cast<TPackageRegister>(dlsym(handle, SUITE_PACKAGE_ENTRY));
    if (!entry) {
        dlclose(handle);
        Refuse(path, "no " SUITE_PACKAGE_ENTRY);
    }
    Loaded()[os] = handle;
    entry();
    return handle;
}
