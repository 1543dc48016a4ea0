#include "workbench/base_options.h"

#include "kernel/class_registry.h"
#include "kernel/property_access.h"
#include "kernel/real_ini_file.h"

namespace {

const char kSection[] = "Options";

template <class Step> void WalkOptions(TPersistent* options, Step step) {
    if (!options) return;
    int last = GetPropIndex(options, "LastIndex");
    if (last < 0) return;  // not an entity: nothing is persisted
    int count = GetPropCount(options);
    for (int i = last + 1; i < count; ++i) step(i, GetPropName(options, i));
}

}  // namespace

void LoadOptionsFromIni(TPersistent* options, const std::string& iniFileName) {
    TRealIniFile ini(iniFileName);
    WalkOptions(options, [&](int i, const std::string& name) {
        std::string value = ini.ReadString(kSection, name, GetPropString(options, i));
        SetPropString(options, i, value);
    });
}

void SaveOptionsToIni(TPersistent* options, TIniFile& ini) {
    ini.BeginUpdate();
    WalkOptions(options, [&](int i, const std::string& name) {
        ini.WriteString(kSection, name, GetPropString(options, i));
    });
    ini.UpdateFile();
}

void SaveOptionsToIni(TPersistent* options, const std::string& iniFileName) {
    TRealIniFile ini(iniFileName);
    SaveOptionsToIni(options, ini);
}

void RegisterBaseOptionsUnit() { RegisterZarixClass<TBaseOptions>(); }
