// Paths, files, folders, file search and date-time.
// Paths are suite strings (Windows-1250) in Windows or Unix form: "\" and "/" both separate,
// and a drive letter maps through the drive table. Only MapPath gives an operating-system
// path (UTF-8); every other routine takes and gives suite strings.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// ---- paths ------------------------------------------------------------------

// The operating-system path of a suite path. "X:" maps to the root of drive X in the drive
// table (C: is "/" unless set otherwise); a drive missing from the table maps below
// "/dev/null", where nothing can be found or created. A name that does not exist exactly is
// replaced, component by component, by an existing one that differs only in letter case.
// "." and ".." are folded as text first and never climb above the drive root (or "/");
// relative paths stay relative to the current folder and keep their leading "..".
std::string MapPath(const std::string& path);
// A suite string for a name that came from the operating system (UTF-8 is converted;
// other bytes are kept).
std::string FromOsName(const std::string& osName);

// Drive table: root folder (a suite path) and drive type (DRIVE_* of platform/windows.h).
// An empty root removes the drive. Letters are case-insensitive.
void SetDriveRoot(char letter, const std::string& root, int driveType = 3);
bool GetDriveRoot(char letter, std::string& root, int& driveType);
// Bit 0 for A, bit 1 for B, ...
uint32_t DriveMask();

bool IsPathDelimiter(char c);  // "\" or "/"
std::string ExtractFilePath(const std::string& path);  // folder with its trailing delimiter (or "X:")
std::string ExtractFileDir(const std::string& path);   // folder without it, except for a root
std::string ExtractFileName(const std::string& path);
std::string ExtractFileExt(const std::string& path);   // with the dot; empty without one
std::string ChangeFileExt(const std::string& path, const std::string& ext);
// An absolute path with "/" separators and "." and ".." resolved; a drive prefix is kept,
// a relative path is taken from the current folder.
std::string ExpandFileName(const std::string& path);
std::string IncludeTrailingPathDelimiter(const std::string& path);  // adds "/" when neither delimiter ends it
std::string ExcludeTrailingPathDelimiter(const std::string& path);

// ---- files and folders ------------------------------------------------------

bool FileExists(const std::string& path);       // an existing file, not a folder
bool DirectoryExists(const std::string& path);
bool DeleteFile(const std::string& path);
// Fails when the new name exists already (unless it is the same file in another letter case).
bool RenameFile(const std::string& oldName, const std::string& newName);
bool CreateDir(const std::string& path);
bool ForceDirectories(const std::string& path);  // with all missing parents; true when it exists
bool RemoveDir(const std::string& path);         // an empty folder
std::string GetCurrentDir();
bool SetCurrentDir(const std::string& path);

// ---- attributes and search --------------------------------------------------

constexpr int faReadOnly = 1, faHidden = 2, faSysFile = 4, faVolumeID = 8, faDirectory = 16,
              faArchive = 32, faAnyFile = 63;

// Attributes on Linux: read-only is the owner's missing write permission; hidden is a name
// starting with "."; a file is always archive, a folder only directory; system and volume
// bits are never set. FileSetAttr changes only read-only; the other bits do not persist.
int FileGetAttr(const std::string& path);                  // -1 when missing
int FileSetAttr(const std::string& path, int attr);        // 0, or an error number
int32_t FileAge(const std::string& path);                  // DOS time of the last change, -1 when missing
int FileSetDate(const std::string& path, int32_t dosTime); // 0, or an error number
int64_t FileSize(const std::string& path);                 // -1 when missing

struct FindState;

struct TSearchRec {
    std::string Name;
    int64_t Size = 0;
    int Attr = 0;
    int32_t Time = 0;  // packed DOS date and time, local, 2-second steps
    std::shared_ptr<FindState> FindHandle;
};

// Error numbers of the search routines.
constexpr int ERROR_FILE_NOT_FOUND = 2, ERROR_PATH_NOT_FOUND = 3, ERROR_NO_MORE_FILES = 18;

// Searches folder + mask (the last component of path). Entries come in name order, "." and
// ".." first for a folder other than the root. A file is listed whatever its read-only and
// archive bits; hidden, system, volume and directory entries only when attr holds that bit.
int FindFirst(const std::string& path, int attr, TSearchRec& rec);  // 0, or an error number
int FindNext(TSearchRec& rec);
void FindClose(TSearchRec& rec);

// Windows mask matching, case-insensitive: "*" any run, "?" one character (or none before a
// "." or at the end); "*.*" matches every name, a final ".*" also names without an
// extension, a final "." names without one.
bool MatchesMask(const std::string& name, const std::string& mask);

// ---- date and time ----------------------------------------------------------

using TDateTime = double;  // days since 1899-12-30, the fraction is the time of day

TDateTime Now();
TDateTime Date();
TDateTime Time();
TDateTime EncodeDate(int year, int month, int day);  // EConvertError when invalid
bool TryEncodeDate(int year, int month, int day, TDateTime& dt);
TDateTime EncodeTime(int hour, int min, int sec, int msec);  // EConvertError when invalid
bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& dt);
void DecodeDate(TDateTime dt, int& year, int& month, int& day);
void DecodeTime(TDateTime dt, int& hour, int& min, int& sec, int& msec);

// DOS stamps hold 1980..2107; a date outside gives 0.
int32_t DateTimeToFileDate(TDateTime dt);
TDateTime FileDateToDateTime(int32_t dosTime);  // EConvertError when the stamp is no date

// Short Czech forms: "d.m.yyyy" and "h:nn:ss"; DateTimeToStr leaves out a zero time.
std::string DateToStr(TDateTime dt);
std::string TimeToStr(TDateTime dt);
std::string DateTimeToStr(TDateTime dt);
// Reads those forms back: a date, a time, or a date, blanks and a time (seconds optional).
bool TryStrToDateTime(const std::string& s, TDateTime& dt);
TDateTime StrToDateTime(const std::string& s);  // EConvertError when not a date-time

// ---- the running program ----------------------------------------------------

// Full path of the running program (suite string); by default the operating system's.
std::string ExecutablePath();
void SetExecutablePath(const std::string& path);
// The arguments the program was started with, the program itself not counted (suite
// strings). ParamStr(0) is the program's path; an index beyond the count gives "".
void SetProgramArguments(std::vector<std::string> args);
int ParamCount();
std::string ParamStr(int index);
