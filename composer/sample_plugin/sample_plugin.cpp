// A plug-in package: registers TSamplePluginTool, which writes one line to the log window.
#include "kernel/class_registry.h"
#include "kernel/tools.h"
#include "platform/packages.h"
#include "platform/version_info.h"

SUITE_VERSION_BLOCK(1, 0, 0, 1,
                    "FileDescription\0Uk\xe1zkov\xfd modul\0"
                    "FileVersion\0" "1.00\0"
                    "LegalCopyright\0\0"
                    "ProductName\0Oskelt32\0");

namespace {

class TSamplePluginTool : public TTool {
    ZARIX_CLASS(TSamplePluginTool, TTool)

public:
    void DoIt() override { PostTextMsg(tm_TextNote, "TSamplePluginTool", nullptr); }
};

}  // namespace

extern "C" SUITE_PACKAGE_EXPORT void ZarixRegisterPackage() { RegisterZarixClass<TSamplePluginTool>(); }
