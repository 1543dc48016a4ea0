// File routines: listing the files of a folder tree, deleting a folder, opening a file in
// the text editor.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "platform/classes.h"

// The folder of the running program with a trailing delimiter.
std::string ExecPath();

// Collects the paths of the entries matching a mask in a folder and all its subfolders:
// per folder its own matches sorted, then each subfolder in name order. Symbolic links to
// folders are not entered.
class TDirSurfer {
public:
    TDirSurfer() = default;
    virtual ~TDirSurfer() = default;
    TDirSurfer(const TDirSurfer&) = delete;
    TDirSurfer& operator=(const TDirSurfer&) = delete;

    // Walks the folder (expanded to a full path); entries whose attributes share a bit
    // with attributes, or have none, are taken.
    void Create(const std::string& folder, uint16_t attributes, const std::string& mask);
    // Whether a path goes into the list; all do here.
    virtual bool OKFilter(const std::string& path);
    void AddToList(const std::string& path);

    TStringList& List() { return FList; }

private:
    void Walk(const std::string& folder);
    TStringList FList;
    uint16_t FAttributes = 0;
    std::string FMask;
};

// Full paths from a TDirSurfer; nil when nothing was found.
std::unique_ptr<TStringList> GetFilesInSubDirs(const std::string& folder, const std::string& mask,
                                               uint16_t attributes);
// folder + name of each entry of folder + mask (not "." or "..") whose attributes share a
// bit with attributes; nil when none. The folder must end with a delimiter.
std::unique_ptr<TStringList> GetFilesInDir(const std::string& folder, const std::string& mask,
                                           uint16_t attributes);

// The text editor: $SUITE_EDITOR, else $VISUAL, else $EDITOR, else "xdg-open". It may
// carry arguments of its own, separated by blanks.
std::string TextEditorCommand();
// Starts the text editor with the path as one argument, without a shell and without
// waiting; answers whether it started.
bool UseNotePadFor(const std::string& path);

// The size in bytes; 0 when the file cannot be opened.
int64_t SizeOfFile(const std::string& path);

// Deletes the files of the folder and then the folder (not its subfolders). A failure is
// shown in a message box and answers False; a missing folder answers True.
bool DeleteDirectory(const std::string& folder);
