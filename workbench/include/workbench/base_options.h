// The options objects of the programs and their walk through the ini file.
#pragma once
#include <string>

#include "kernel/elements.h"

class TIniFile;

// Marks an options class: its persisted options are the published properties that come
// after "LastIndex" (the last published property of TEntity), all read and written as text.
class TBaseOptions : public TOwnerEntity {
    ZARIX_CLASS(TBaseOptions, TOwnerEntity)
};

// Reads every persisted option of the object from section "Options" of the ini file, the
// current value as the default (so a missing key keeps it and every setter runs).
void LoadOptionsFromIni(TPersistent* options, const std::string& iniFileName);
// Writes every persisted option of the object under its name in section "Options"; the
// file is written once.
void SaveOptionsToIni(TPersistent* options, const std::string& iniFileName);
// The same into an ini file whose writes the caller may hold (BeginUpdate).
void SaveOptionsToIni(TPersistent* options, TIniFile& ini);

void RegisterBaseOptionsUnit();
