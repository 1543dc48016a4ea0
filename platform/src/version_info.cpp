#include "platform/version_info.h"

#include <cstring>
#include <fstream>

#include "platform/files.h"
#include "platform/sysutils.h"

namespace {

constexpr size_t kHeader = 68;  // magic, size, fixed information, translation

uint64_t Le(const unsigned char* p, int bytes) {
    uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}

bool ReadAt(std::ifstream& f, uint64_t offset, void* data, size_t size) {
    f.clear();
    f.seekg(static_cast<std::streamoff>(offset));
    f.read(static_cast<char*>(data), static_cast<std::streamsize>(size));
    return f.good() || (f.eof() && static_cast<size_t>(f.gcount()) == size);
}

// Offset and size of the version section of a 64-bit little-endian ELF file.
bool FindSection(const std::string& fileName, uint64_t& offset, uint64_t& size) {
    std::ifstream f(MapPath(fileName), std::ios::binary);
    if (!f) return false;
    f.seekg(0, std::ios::end);
    auto end = f.tellg();
    if (end < 64) return false;
    uint64_t fileSize = static_cast<uint64_t>(end);
    unsigned char eh[64];
    if (!ReadAt(f, 0, eh, sizeof eh)) return false;
    if (std::memcmp(eh, "\x7f" "ELF", 4) != 0 || eh[4] != 2 || eh[5] != 1) return false;
    uint64_t shoff = Le(eh + 0x28, 8);
    uint64_t shentsize = Le(eh + 0x3A, 2), shnum = Le(eh + 0x3C, 2), shstrndx = Le(eh + 0x3E, 2);
    if (shentsize < 64 || shnum == 0 || shstrndx >= shnum) return false;
    if (shoff > fileSize || shnum * shentsize > fileSize - shoff) return false;
    auto header = [&](uint64_t i, unsigned char* sh) { return ReadAt(f, shoff + i * shentsize, sh, 64); };
    unsigned char sh[64];
    if (!header(shstrndx, sh)) return false;
    uint64_t strOff = Le(sh + 24, 8), strSize = Le(sh + 32, 8);
    if (strOff > fileSize || strSize > fileSize - strOff) return false;
    static const char kName[] = "zarix_version";
    for (uint64_t i = 0; i < shnum; ++i) {
        if (!header(i, sh)) return false;
        uint64_t name = Le(sh, 4);
        uint32_t type = static_cast<uint32_t>(Le(sh + 4, 4));
        if (type == 8 /* no bits */ || name >= strSize || strSize - name < sizeof kName) continue;
        char text[sizeof kName];
        if (!ReadAt(f, strOff + name, text, sizeof kName)) return false;
        if (std::memcmp(text, kName, sizeof kName) != 0) continue;
        offset = Le(sh + 24, 8);
        size = Le(sh + 32, 8);
        return offset <= fileSize && size <= fileSize - offset;
    }
    return false;
}

// The block at the start of the section: its size when it is well formed, else 0.
uint32_t BlockSize(const std::string& fileName, uint64_t& offset) {
    uint64_t size = 0;
    if (!FindSection(fileName, offset, size) || size < kHeader) return 0;
    std::ifstream f(MapPath(fileName), std::ios::binary);
    unsigned char head[12];
    if (!ReadAt(f, offset, head, sizeof head) || std::memcmp(head, "ZRXVERS1", 8) != 0) return 0;
    uint64_t blockSize = Le(head + 8, 4);
    if (blockSize < kHeader || blockSize > size) return 0;
    return static_cast<uint32_t>(blockSize);
}

}  // namespace

uint32_t GetFileVersionInfoSize(const std::string& fileName) {
    uint64_t offset = 0;
    return BlockSize(fileName, offset);
}

bool GetFileVersionInfo(const std::string& fileName, uint32_t size, std::vector<char>& data) {
    uint64_t offset = 0;
    uint32_t blockSize = BlockSize(fileName, offset);
    if (blockSize == 0 || blockSize > size) return false;
    std::ifstream f(MapPath(fileName), std::ios::binary);
    data.assign(blockSize, 0);
    return ReadAt(f, offset, data.data(), blockSize);
}

bool VerQueryValue(const std::vector<char>& block, const std::string& subBlock, const char*& value,
                   uint32_t& length) {
    value = nullptr;
    length = 0;
    if (block.size() < kHeader || std::memcmp(block.data(), "ZRXVERS1", 8) != 0) return false;
    std::string key = subBlock;
    for (char& c : key)
        if (c == '/') c = '\\';
    if (key == "\\") {
        value = block.data() + 12;
        length = sizeof(TFixedFileInfo);
        return true;
    }
    if (SameText(key, "\\VarFileInfo\\Translation")) {
        value = block.data() + 64;
        length = 4;
        return true;
    }
    static const std::string kStrings = "\\StringFileInfo\\";
    if (key.size() <= kStrings.size() + 9 || !SameText(key.substr(0, kStrings.size()), kStrings)) return false;
    const auto* raw = reinterpret_cast<const unsigned char*>(block.data());
    std::string translation = IntToHex(Le(raw + 64, 2), 4) + IntToHex(Le(raw + 66, 2), 4);
    if (!SameText(key.substr(kStrings.size(), 8), translation) || key[kStrings.size() + 8] != '\\') return false;
    std::string name = key.substr(kStrings.size() + 9);
    // Key NUL value NUL pairs up to an empty key or the end of the block.
    size_t i = kHeader, n = block.size();
    while (i < n && block[i] != '\0') {
        size_t keyEnd = i;
        while (keyEnd < n && block[keyEnd] != '\0') ++keyEnd;
        if (keyEnd >= n) return false;
        size_t valueStart = keyEnd + 1, valueEnd = valueStart;
        while (valueEnd < n && block[valueEnd] != '\0') ++valueEnd;
        if (valueEnd >= n) return false;
        if (SameText(std::string_view(block.data() + i, keyEnd - i), name)) {
            value = block.data() + valueStart;
            length = static_cast<uint32_t>(valueEnd - valueStart);
            return true;
        }
        i = valueEnd + 1;
    }
    return false;
}

std::string VerLanguageName(uint16_t language) {
    switch (language) {
        case 0x0405: return "Czech";
        case 0x041B: return "Slovak";
        case 0x0407: return "German (Germany)";
        case 0x0409: return "English (United States)";
        case 0x0809: return "English (United Kingdom)";
        case 0x0415: return "Polish";
        default: return "Language Neutral";
    }
}
