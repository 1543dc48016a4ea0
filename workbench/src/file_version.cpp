#include "workbench/file_version.h"

#include <cstring>

#include "platform/sysutils.h"

void TFileVersion::Publish(PropertyTable& t) {
    using C = TFileVersion;
    t.Str<C>("FileName", &C::GetFileName, &C::SetFileName);
    t.Int<C>("MajorVersion", &C::GetMajorVersion, nullptr);
    t.Int<C>("MinorVersion", &C::GetMinorVersion, nullptr);
    t.Int<C>("Release", &C::GetRelease, nullptr);
    t.Int<C>("Build", &C::GetBuild, nullptr);
    t.Card<C>("FileFlagsMask", &C::GetFileFlagsMask, nullptr);
    t.Card<C>("FileFlags", &C::GetFileFlags, nullptr);
    t.Str<C>("Error", &C::GetError, nullptr);
    t.Str<C>("Language", &C::GetLanguage, nullptr);
    static const char* const kKeys[] = {"CompanyName",     "FileDescription",  "FileVersion", "InternalName",
                                        "LegalCopyright", "OriginalFilename", "ProductName", "ProductVersion"};
    for (const char* key : kKeys) t.Str<C>(key, [key](C* c) { return c->InfoString(key); }, nullptr);
}

TFileVersion::TFileVersion() : FError("Empty FileName") {}

void TFileVersion::SetFileName(const std::string& name) {
    // Nothing of an earlier file survives a new name.
    FFileName = name;
    FBuffer.clear();
    FFixed = nullptr;
    FHasTranslation = false;
    FLanguage = FCodePage = 0;
    uint32_t size = GetFileVersionInfoSize(name);
    if (size == 0) {
        FError = "InfoSize=0";
        return;
    }
    if (!GetFileVersionInfo(name, size, FBuffer)) {
        FError = "No FileVersionInfo";
        FBuffer.clear();
        return;
    }
    const char* value = nullptr;
    uint32_t length = 0;
    if (!VerQueryValue(FBuffer, "\\", value, length) || length == 0) {
        FError = "No FixedInfo";
        FBuffer.clear();
        return;
    }
    if (length != sizeof(TFixedFileInfo)) {
        FError = "Bad size of FixedInfo";
        FBuffer.clear();
        return;
    }
    FFixed = reinterpret_cast<const TFixedFileInfo*>(value);
    FError.clear();
    if (!VerQueryValue(FBuffer, "\\VarFileInfo\\Translation", value, length) || length < 4) {
        FError = "No Language Info";
        FBuffer.clear();
        FFixed = nullptr;
        return;
    }
    std::memcpy(&FLanguage, value, 2);
    std::memcpy(&FCodePage, value + 2, 2);
    FHasTranslation = true;
}

int32_t TFileVersion::GetMajorVersion() const { return FError.empty() && FFixed ? FFixed->dwFileVersionMS >> 16 : 0; }
int32_t TFileVersion::GetMinorVersion() const { return FError.empty() && FFixed ? FFixed->dwFileVersionMS & 0xFFFF : 0; }
int32_t TFileVersion::GetRelease() const { return FError.empty() && FFixed ? FFixed->dwFileVersionLS >> 16 : 0; }
int32_t TFileVersion::GetBuild() const { return FError.empty() && FFixed ? FFixed->dwFileVersionLS & 0xFFFF : 0; }
uint32_t TFileVersion::GetFileFlagsMask() const { return FError.empty() && FFixed ? FFixed->dwFileFlagsMask : 0; }
uint32_t TFileVersion::GetFileFlags() const { return FError.empty() && FFixed ? FFixed->dwFileFlags : 0; }

std::string TFileVersion::GetLanguage() const {
    if (!FError.empty() || !FHasTranslation) return std::string();
    std::string name = VerLanguageName(FLanguage);
    return name.size() < 49 ? name : std::string();
}

std::string TFileVersion::InfoString(const std::string& key) const {
    if (!FError.empty() || !FHasTranslation) return std::string();
    std::string path = "\\StringFileInfo\\" + IntToHex(FLanguage, 4) + IntToHex(FCodePage, 4) + "\\" + key;
    const char* value = nullptr;
    uint32_t length = 0;
    if (!VerQueryValue(FBuffer, path, value, length)) return std::string();
    if (length == 0) return "No " + key;
    return std::string(value, length);
}
