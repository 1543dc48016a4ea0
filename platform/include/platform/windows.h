// The few Windows calls the suite makes, on Linux.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Milliseconds since an arbitrary start, wrapping at 2^32.
uint32_t GetTickCount();

// Sizes in bytes, saturated at 4294967295. Physical memory and the load come from the kernel
// (available = MemAvailable); the page file is physical memory plus swap; virtual memory is
// the 2 GiB user space of a 32-bit process, less this process's resident size.
struct TMemoryStatus {
    uint32_t dwMemoryLoad;  // percent in use
    uint32_t dwTotalPhys;
    uint32_t dwAvailPhys;
    uint32_t dwTotalPageFile;
    uint32_t dwAvailPageFile;
    uint32_t dwTotalVirtual;
    uint32_t dwAvailVirtual;
};
void GlobalMemoryStatus(TMemoryStatus& status);

constexpr int DRIVE_UNKNOWN = 0, DRIVE_NO_ROOT_DIR = 1, DRIVE_REMOVABLE = 2, DRIVE_FIXED = 3,
              DRIVE_REMOTE = 4, DRIVE_CDROM = 5, DRIVE_RAMDISK = 6;

// From the drive table of platform/files.h.
uint32_t GetLogicalDrives();
// root is "X:\" (or "X:", "X:/"); DRIVE_NO_ROOT_DIR for a drive not in the table or another text.
int GetDriveType(const std::string& root);

// The folder given as the Windows folder (a suite path without a trailing delimiter); by
// default the home folder.
std::string GetWindowsDirectory();
void SetWindowsDirectory(const std::string& path);

// Starts a program with its arguments, without a shell. The path is mapped (MapPath); a
// name without a folder is taken from the current folder. Without wait the program runs on
// its own and the answer is whether it started; with wait, whether it started and ended
// with exit code 0.
bool StartProgram(const std::string& path, const std::vector<std::string>& args, bool wait = false);

constexpr int SW_HIDE = 0, SW_SHOWNORMAL = 1, SW_SHOWMINIMIZED = 2, SW_SHOWMINNOACTIVE = 7;

// Splits the command line at blanks (double quotes group) and starts the first word with the
// others as arguments, not waiting. A program named without a folder is looked for in the
// running program's folder, the current folder and PATH, also in lower case. The window mode
// is ignored. Answers 33 when started, ERROR_FILE_NOT_FOUND (2) when the program was not
// found, 11 when it could not be run.
uint32_t WinExec(const std::string& cmdLine, int show);

// The generator of the platform's Random: RandSeed = RandSeed * 134775813 + 1.
extern int32_t RandSeed;
void Randomize();           // seeds from the clock
int32_t Random(int32_t n);  // 0 .. n-1 (0 when n <= 0)
