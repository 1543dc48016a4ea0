// Property access by name and command lines of TElement.
#include "kernel/command_line.h"
#include "kernel/elements.h"
#include "kernel/property_access.h"
#include "kernel/string_routines.h"
#include "platform/sysutils.h"

bool TElement::ExecuteCommandLine(const std::string& command, std::string& result) {
    EvalCommandLine(this, command, result);
    return true;
}

TStringList* TElement::ExecuteCommandLineToList(const std::string& command) {
    return EvalCommandLineToList(this, command);
}

TElement* TElement::ExecuteCommandLineToElement(const std::string& command) {
    return EvalCommandLineToElement(this, command);
}

bool TElement::HasPropertyByName(const std::string& name) { return GetPropIndex(this, name) >= 0; }

std::string TElement::GetPropertyStringByName(const std::string& name) { return GetPropStringByName(this, name); }

void TElement::SetPropertyStringByName(const std::string& name, const std::string& value) {
    SetPropStringByName(this, name, value);
}

int32_t TElement::GetPropertyLongIntByName(const std::string& name) {
    try {
        int code = 0;
        return ValInt(GetPropertyStringByName(name), code);  // 0 when it is no number
    } catch (...) {
        return 0;
    }
}

void TElement::SetPropertyLongIntByName(const std::string& name, int32_t value) {
    SetPropertyStringByName(name, IntToStr(value));
}

bool TElement::GetPropertyBooleanByName(const std::string& name) { return StrToBool(GetPropertyStringByName(name)); }

void TElement::SetPropertyBooleanByName(const std::string& name, bool value) {
    SetPropertyStringByName(name, BoolToStr(value));
}
