#include "drive_lists.h"

#include <cctype>
#include <cstdint>

#include "platform/files.h"

std::vector<std::string> DriveItems() {
    std::vector<std::string> items;
    uint32_t mask = DriveMask();
    for (int i = 0; i < 26; ++i)
        if (mask & (1u << i)) items.push_back(std::string(1, static_cast<char>('a' + i)) + ":");
    return items;
}

std::string DriveOf(const std::string& folder) {
    if (folder.size() >= 2 && folder[1] == ':')
        return std::string(1, static_cast<char>(std::tolower(static_cast<unsigned char>(folder[0])))) + ":";
    return "c:";
}

std::string FolderOfItem(const std::string& folder, const std::string& item) {
    return item == ".." ? ExtractFileDir(ExcludeTrailingPathDelimiter(folder))
                        : IncludeTrailingPathDelimiter(folder) + item;
}
