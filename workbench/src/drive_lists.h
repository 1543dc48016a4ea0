// Drive boxes of the folder and picture dialogs.
#pragma once
#include <string>
#include <vector>

// "a:", "c:", ... for the drives in the drive table.
std::vector<std::string> DriveItems();
// The drive box text of a folder ("c:" for one without a letter, which C: holds).
std::string DriveOf(const std::string& folder);
// The folder a folder list's item leads to: ".." the parent, else the subfolder.
std::string FolderOfItem(const std::string& folder, const std::string& item);
