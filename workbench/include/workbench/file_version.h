// The version information of a program or package file (the version block every file of
// the suite carries, platform/version_info.h).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/rtti.h"
#include "platform/version_info.h"

class TFileVersion : public TPersistent {
    ZARIX_CLASS(TFileVersion, TPersistent)
    static void Publish(PropertyTable& t);

public:
    TFileVersion();

    const std::string& GetFileName() const { return FFileName; }
    // Reads the file's version information afresh: Error is empty when it was read,
    // else "InfoSize=0", "No FileVersionInfo", "No FixedInfo", "Bad size of FixedInfo"
    // or "No Language Info".
    void SetFileName(const std::string& name);
    const std::string& GetError() const { return FError; }

    // 0 or empty while Error is not empty.
    int32_t GetMajorVersion() const;
    int32_t GetMinorVersion() const;
    int32_t GetRelease() const;
    int32_t GetBuild() const;
    uint32_t GetFileFlagsMask() const;
    uint32_t GetFileFlags() const;
    std::string GetLanguage() const;
    // The string of that key of the file's translation; "No " + key for an empty value,
    // empty when there is none.
    std::string InfoString(const std::string& key) const;

private:
    std::string FFileName;
    std::string FError;
    std::vector<char> FBuffer;
    const TFixedFileInfo* FFixed = nullptr;
    uint16_t FLanguage = 0, FCodePage = 0;
    bool FHasTranslation = false;
};
