// File version information. Every program and package of the suite carries one version
// block in its own ELF section "zarix_version" (see SUITE_VERSION_BLOCK); these calls
// answer from it as the Windows version calls answer from a version resource:
//
//   offset  0  "ZRXVERS1"
//           8  uint32 size of the whole block in bytes
//          12  the fixed file information, 52 bytes (TFixedFileInfo)
//          64  uint16 language, uint16 code page (the one translation)
//          68  the string table: key NUL value NUL ..., ended by an empty key
//
// All numbers little-endian. A file that is no 64-bit little-endian ELF file, or has no
// such section, has no version information.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct TFixedFileInfo {
    uint32_t dwSignature;  // 0xFEEF04BD
    uint32_t dwStrucVersion;
    uint32_t dwFileVersionMS;
    uint32_t dwFileVersionLS;
    uint32_t dwProductVersionMS;
    uint32_t dwProductVersionLS;
    uint32_t dwFileFlagsMask;
    uint32_t dwFileFlags;
    uint32_t dwFileOS;
    uint32_t dwFileType;
    uint32_t dwFileSubtype;
    uint32_t dwFileDateMS;
    uint32_t dwFileDateLS;
};
static_assert(sizeof(TFixedFileInfo) == 52);

template <size_t N> struct TVersionBlock {
    char Magic[8];
    uint32_t Size;
    TFixedFileInfo Fixed;
    uint16_t Language;
    uint16_t CodePage;
    char Strings[N];
};

template <size_t N>
constexpr TVersionBlock<N> MakeVersionBlock(uint16_t major, uint16_t minor, uint16_t release,
                                            uint16_t build, uint16_t language, uint16_t codePage,
                                            const char (&strings)[N]) {
    TVersionBlock<N> b{};
    const char magic[] = "ZRXVERS1";
    for (size_t i = 0; i < 8; ++i) b.Magic[i] = magic[i];
    b.Size = static_cast<uint32_t>(sizeof(TVersionBlock<N>));
    uint32_t ms = (uint32_t(major) << 16) | minor, ls = (uint32_t(release) << 16) | build;
    b.Fixed = TFixedFileInfo{0xFEEF04BDu, 0x10000u, ms, ls, ms, ls, 0x3Fu, 0, 0x40004u, 1, 0, 0, 0};
    b.Language = language;
    b.CodePage = codePage;
    for (size_t i = 0; i < N; ++i) b.Strings[i] = strings[i];
    return b;
}

// One block per program or package, in one of its own source files. The strings are
// "Key\0Value\0" pairs (Windows-1250 bytes), e.g.
//   SUITE_VERSION_BLOCK(3, 1, 0, 0, "ProductName\0Oskelt32\0FileVersion\0" "3.01\0");
// Czech (0x0405) in code page 1250.
#define SUITE_VERSION_BLOCK(major, minor, release, build, strings)                              \
    __attribute__((section("zarix_version"), used, aligned(4))) static const auto                \
        zarix_version_block = MakeVersionBlock(major, minor, release, build, 0x0405, 1250, strings)

// The size of the file's version block; 0 when it has none.
uint32_t GetFileVersionInfoSize(const std::string& fileName);
// Reads the block into data (size bytes at most); false when there is none or it is larger.
bool GetFileVersionInfo(const std::string& fileName, uint32_t size, std::vector<char>& data);
// A value of the block: "\" the fixed information, "\VarFileInfo\Translation" the
// language and code page words, "\StringFileInfo\LLLLCCCC\Key" a string (LLLL and CCCC
// hexadecimal). False when there is no such value; a string's length counts its bytes.
bool VerQueryValue(const std::vector<char>& block, const std::string& subBlock, const char*& value,
                   uint32_t& length);
// The name of a language identifier ("Czech", "English (United States)", ...); for an
// unknown one "Language Neutral".
std::string VerLanguageName(uint16_t language);
