#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <map>
#include <vector>

#include "platform/sysutils.h"

namespace {

struct Drive {
    std::string root;
    int type;
};

struct FileState {
    std::map<char, Drive> drives{{'C', Drive{"/", 3}}};
    std::string exePath;
    std::vector<std::string> args;
};

FileState& State() {
    static FileState* s = new FileState;
    return *s;
}

char DriveLetter(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

// The name up to its first NUL: the system would cut it there anyway, after folding.
std::string UpToNul(const std::string& p) { return p.substr(0, p.find('\0')); }

bool HasDrive(const std::string& p) {
    return p.size() >= 2 && p[1] == ':' && std::isalpha(static_cast<unsigned char>(p[0]));
}

// Splits at both delimiters, dropping empty components.
std::vector<std::string> Components(const std::string& s) {
    std::vector<std::string> parts;
    std::string cur;
    for (char c : s) {
        if (IsPathDelimiter(c)) {
            if (!cur.empty()) parts.push_back(std::move(cur));
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty()) parts.push_back(std::move(cur));
    return parts;
}

// Folds "." and ".." as text. ".." never climbs above the start of the path; only a
// relative path keeps the ".." that would.
std::vector<std::string> FoldDots(const std::vector<std::string>& parts, bool relative) {
    std::vector<std::string> out;
    for (const std::string& c : parts) {
        if (c == ".") continue;
        if (c == "..") {
            if (!out.empty() && out.back() != "..") out.pop_back();
            else if (relative) out.push_back(c);
            continue;
        }
        out.push_back(c);
    }
    return out;
}

bool ValidUtf8(const std::string& s, bool& ascii) {
    ascii = true;
    char32_t cp;
    for (size_t i = 0; i < s.size();) {
        ascii = ascii && static_cast<unsigned char>(s[i]) < 0x80;
        if (!NextUtf8(s, i, cp)) return false;
    }
    return true;
}

bool Exists(const std::string& os) {
    struct stat st;
    return lstat(os.c_str(), &st) == 0;
}

bool IsFolder(const std::string& os) {
    struct stat st;
    return stat(os.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The entry of folder osDir (a path ending in "/", or empty for the current folder) whose
// name equals name ignoring letter case; empty when none. With wantFolder a folder (or a
// link to one) comes before other entries.
std::string FindCaseVariant(const std::string& osDir, const std::string& name, bool wantFolder) {
    DIR* d = opendir(osDir.empty() ? "." : osDir.c_str());
    if (!d) return {};
    std::string best;
    bool bestFolder = false;
    while (dirent* e = readdir(d)) {
        std::string n = e->d_name;
        if (n == "." || n == ".." || !AnsiSameText(FromOsName(n), name)) continue;
        bool folder = wantFolder && IsFolder(osDir + n);
        if (best.empty() || (folder && !bestFolder) || (folder == bestFolder && n < best)) {
            best = n;
            bestFolder = folder;
        }
    }
    closedir(d);
    return best;
}

// Operating-system root of a drive, ending in "/".
std::string DriveRootOs(char letter) {
    auto& drives = State().drives;
    auto it = drives.find(DriveLetter(letter));
    if (it == drives.end()) return std::string("/dev/null/") + DriveLetter(letter) + ":/";
    std::string r = it->second.root;
    if (HasDrive(r)) r = r.substr(2);  // a root given with a drive letter is taken from "/"
    std::string os = MapPath(r.empty() || !IsPathDelimiter(r[0]) ? "/" + r : r);
    if (os.empty() || os.back() != '/') os += '/';
    return os;
}

std::string Canonical(const std::string& os) {
    char buf[PATH_MAX];
    if (!realpath(os.empty() ? "." : os.c_str(), buf)) return {};
    return buf;
}

int32_t PackDos(const struct tm& t) {
    int year = t.tm_year + 1900;
    if (year < 1980) return (1 << 5 | 1) << 16;  // 1.1.1980 0:00:00
    if (year > 2107) return static_cast<int32_t>((127u << 25) | (12u << 21) | (31u << 16) | (23u << 11) | (59u << 5) | 29u);
    uint32_t date = static_cast<uint32_t>(((year - 1980) << 9) | ((t.tm_mon + 1) << 5) | t.tm_mday);
    uint32_t time = static_cast<uint32_t>((t.tm_hour << 11) | (t.tm_min << 5) | (std::min(t.tm_sec, 59) / 2));
    return static_cast<int32_t>((date << 16) | time);
}

int32_t DosTimeOf(time_t t) {
    struct tm lt;
    if (!localtime_r(&t, &lt)) return PackDos(tm{});
    return PackDos(lt);
}

int AttrOf(const struct stat& st, const std::string& suiteName) {
    int a = S_ISDIR(st.st_mode) ? faDirectory : faArchive;
    if (!(st.st_mode & S_IWUSR)) a |= faReadOnly;
    if (!suiteName.empty() && suiteName[0] == '.' && suiteName != "." && suiteName != "..") a |= faHidden;
    return a;
}

bool StatFollow(const std::string& os, struct stat& st) {
    return stat(os.c_str(), &st) == 0 || lstat(os.c_str(), &st) == 0;
}

}  // namespace

// ---- paths ------------------------------------------------------------------

bool IsPathDelimiter(char c) { return c == '\\' || c == '/'; }

std::string FromOsName(const std::string& osName) {
    bool ascii;
    if (!ValidUtf8(osName, ascii) || ascii) return osName;
    return Cz(osName);
}

std::string MapPath(const std::string& given) {
    const std::string path = UpToNul(given);
    if (path.empty()) return {};
    std::string rest = path;
    std::string cur;  // the mapped prefix, ending in "/" unless empty
    if (HasDrive(path)) {
        cur = DriveRootOs(path[0]);
        rest = path.substr(2);
    } else if (IsPathDelimiter(path[0])) {
        cur = "/";
    }
    bool resolving = true;
    const std::vector<std::string> parts = FoldDots(Components(rest), cur.empty());
    for (size_t k = 0; k < parts.size(); ++k) {
        const std::string& c = parts[k];
        std::string os = ToUtf8(c);
        // A component before another one (or before a trailing delimiter) names a folder.
        bool folder = k + 1 < parts.size() || IsPathDelimiter(path.back());
        if (c != ".." && resolving) {
            bool exact = Exists(cur + os);
            if (!exact || (folder && !IsFolder(cur + os))) {
                std::string variant = FindCaseVariant(cur, c, folder);
                if (!variant.empty() && (!exact || IsFolder(cur + variant))) os = variant;
                else if (!exact) resolving = false;
            }
        }
        cur += os;
        cur += '/';
    }
    if (!cur.empty() && cur != "/" && !IsPathDelimiter(path.back())) cur.pop_back();
    if (cur.empty()) cur = ".";
    return cur;
}

void SetDriveRoot(char letter, const std::string& root, int driveType) {
    auto& drives = State().drives;
    if (root.empty()) drives.erase(DriveLetter(letter));
    else drives[DriveLetter(letter)] = Drive{root, driveType};
}

bool GetDriveRoot(char letter, std::string& root, int& driveType) {
    auto& drives = State().drives;
    auto it = drives.find(DriveLetter(letter));
    if (it == drives.end()) return false;
    root = it->second.root;
    driveType = it->second.type;
    return true;
}

uint32_t DriveMask() {
    uint32_t mask = 0;
    for (auto& [letter, d] : State().drives)
        if (letter >= 'A' && letter <= 'Z') mask |= 1u << (letter - 'A');
    return mask;
}

namespace {
// Index of the last path delimiter (or the drive colon), npos when none.
size_t LastDelimiter(const std::string& p) {
    for (size_t i = p.size(); i-- > 0;)
        if (IsPathDelimiter(p[i]) || (i == 1 && p[i] == ':' && HasDrive(p))) return i;
    return std::string::npos;
}
size_t ExtDot(const std::string& p) {
    size_t d = LastDelimiter(p);
    size_t dot = p.rfind('.');
    if (dot == std::string::npos || (d != std::string::npos && dot < d)) return std::string::npos;
    return dot;
}
}  // namespace

std::string ExtractFilePath(const std::string& path) {
    size_t i = LastDelimiter(path);
    return i == std::string::npos ? std::string() : path.substr(0, i + 1);
}

std::string ExtractFileDir(const std::string& path) {
    size_t i = LastDelimiter(path);
    if (i == std::string::npos) return {};
    if (i > 0 && IsPathDelimiter(path[i]) && !IsPathDelimiter(path[i - 1]) && path[i - 1] != ':')
        return path.substr(0, i);
    return path.substr(0, i + 1);
}

std::string ExtractFileName(const std::string& path) {
    size_t i = LastDelimiter(path);
    return i == std::string::npos ? path : path.substr(i + 1);
}

std::string ExtractFileExt(const std::string& path) {
    size_t dot = ExtDot(path);
    return dot == std::string::npos ? std::string() : path.substr(dot);
}

std::string ChangeFileExt(const std::string& path, const std::string& ext) {
    size_t dot = ExtDot(path);
    return (dot == std::string::npos ? path : path.substr(0, dot)) + ext;
}

std::string ExpandFileName(const std::string& given) {
    const std::string path = UpToNul(given);
    if (path.empty()) return {};
    std::string prefix, rest;
    if (HasDrive(path)) {
        prefix = path.substr(0, 2);
        rest = path.substr(2);
    } else if (IsPathDelimiter(path[0])) {
        rest = path;
    } else {
        rest = GetCurrentDir() + "/" + path;
    }
    const std::vector<std::string> out = FoldDots(Components(rest), false);
    std::string r = prefix + "/";
    for (size_t i = 0; i < out.size(); ++i) r += (i ? "/" : "") + out[i];
    if (!out.empty() && IsPathDelimiter(path.back())) r += '/';
    return r;
}

std::string IncludeTrailingPathDelimiter(const std::string& path) {
    if (!path.empty() && IsPathDelimiter(path.back())) return path;
    return path + "/";
}

std::string ExcludeTrailingPathDelimiter(const std::string& path) {
    if (!path.empty() && IsPathDelimiter(path.back())) return path.substr(0, path.size() - 1);
    return path;
}

// ---- files and folders ------------------------------------------------------

bool FileExists(const std::string& path) {
    struct stat st;
    return !path.empty() && stat(MapPath(path).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
    struct stat st;
    return !path.empty() && stat(MapPath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool DeleteFile(const std::string& path) { return !path.empty() && unlink(MapPath(path).c_str()) == 0; }

bool RenameFile(const std::string& oldName, const std::string& given) {
    const std::string newName = UpToNul(given);
    std::string name = ExtractFileName(newName);
    if (oldName.empty() || name.empty() || name == "." || name == "..") return false;
    std::string src = MapPath(oldName);
    struct stat s1, s2;
    if (lstat(src.c_str(), &s1) != 0) return false;
    std::string dir = ExtractFilePath(newName);
    std::string dst = dir.empty() ? std::string() : IncludeTrailingPathDelimiter(MapPath(dir));
    dst += ToUtf8(name);
    std::string existing = MapPath(newName);
    if (lstat(existing.c_str(), &s2) == 0 && (s1.st_ino != s2.st_ino || s1.st_dev != s2.st_dev)) return false;
    if (lstat(dst.c_str(), &s2) == 0 && (s1.st_ino != s2.st_ino || s1.st_dev != s2.st_dev)) return false;
    return rename(src.c_str(), dst.c_str()) == 0;
}

bool CreateDir(const std::string& path) { return !path.empty() && mkdir(MapPath(path).c_str(), 0777) == 0; }

bool ForceDirectories(const std::string& path) {
    std::string p = ExcludeTrailingPathDelimiter(path);
    if (p.empty()) return !path.empty() && DirectoryExists(path);
    if (DirectoryExists(p)) return true;
    std::string parent = ExtractFileDir(p);
    if (!parent.empty() && parent != p && !ForceDirectories(parent)) return false;
    return CreateDir(p) || DirectoryExists(p);
}

bool RemoveDir(const std::string& path) { return !path.empty() && rmdir(MapPath(path).c_str()) == 0; }

std::string GetCurrentDir() {
    std::vector<char> buf(PATH_MAX);
    while (!getcwd(buf.data(), buf.size())) {
        if (errno != ERANGE) return {};
        buf.resize(buf.size() * 2);
    }
    return FromOsName(buf.data());
}

bool SetCurrentDir(const std::string& path) { return !path.empty() && chdir(MapPath(path).c_str()) == 0; }

// ---- attributes -------------------------------------------------------------

int FileGetAttr(const std::string& path) {
    struct stat st;
    if (path.empty() || !StatFollow(MapPath(path), st)) return -1;
    return AttrOf(st, ExtractFileName(ExcludeTrailingPathDelimiter(path)));
}

int FileSetAttr(const std::string& path, int attr) {
    if (path.empty()) return ERROR_FILE_NOT_FOUND;
    std::string os = MapPath(path);
    struct stat st;
    if (stat(os.c_str(), &st) != 0) return errno;
    mode_t mode = st.st_mode & 07777;
    if (attr & faReadOnly) mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
    else mode |= S_IWUSR;
    if (mode != (st.st_mode & 07777) && chmod(os.c_str(), mode) != 0) return errno;
    return 0;
}

int32_t FileAge(const std::string& path) {
    struct stat st;
    if (path.empty() || stat(MapPath(path).c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return -1;
    return DosTimeOf(st.st_mtime);
}

int FileSetDate(const std::string& path, int32_t dosTime) {
    uint32_t d = static_cast<uint32_t>(dosTime);
    struct tm t {};
    t.tm_year = static_cast<int>((d >> 25) & 127) + 80;
    t.tm_mon = static_cast<int>((d >> 21) & 15) - 1;
    t.tm_mday = static_cast<int>((d >> 16) & 31);
    t.tm_hour = static_cast<int>((d >> 11) & 31);
    t.tm_min = static_cast<int>((d >> 5) & 63);
    t.tm_sec = static_cast<int>((d & 31) * 2);
    t.tm_isdst = -1;
    if (t.tm_mon < 0 || t.tm_mon > 11 || t.tm_mday < 1 || t.tm_hour > 23 || t.tm_min > 59 || t.tm_sec > 59)
        return EINVAL;
    time_t when = mktime(&t);
    if (when == static_cast<time_t>(-1)) return EINVAL;
    struct timespec ts[2];
    ts[0].tv_sec = 0;
    ts[0].tv_nsec = UTIME_OMIT;
    ts[1].tv_sec = when;
    ts[1].tv_nsec = 0;
    if (path.empty()) return ERROR_FILE_NOT_FOUND;
    if (utimensat(AT_FDCWD, MapPath(path).c_str(), ts, 0) != 0) return errno;
    return 0;
}

int64_t FileSize(const std::string& path) {
    struct stat st;
    if (path.empty() || stat(MapPath(path).c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return -1;
    return st.st_size;
}

// ---- search -----------------------------------------------------------------

struct FindState {
    std::vector<TSearchRec> entries;
    size_t next = 0;
};

namespace {

// Whether name[i..] matches mask[j..] is decided for every i, one mask position at a
// time from the end, so the cost is the product of the two lengths however many stars:
// - "*" takes any run of characters, but one before a "." stops at the name's last dot
//   (when that dot lies ahead);
// - "?" takes one character other than ".", or nothing when there is none;
// - "." takes a dot, or the end of the name when only "*", "?" and "." follow;
// - other characters match ignoring letter case.
bool MatchMask(const std::string& n, const std::string& m) {
    const size_t len = n.size(), lastDot = n.rfind('.');
    std::vector<char> next(len + 1, 0), cur(len + 1, 0);
    next[len] = 1;  // an empty mask matches only the end of the name
    bool onlyWild = true;  // mask[j + 1..] holds only "*", "?" and "."
    for (size_t j = m.size(); j-- > 0;) {
        const char c = m[j];
        if (c == '*' && j + 1 == m.size()) {
            std::fill(cur.begin(), cur.end(), 1);
        } else if (c == '*' && m[j + 1] == '*') {
            cur = next;  // a run of stars is one star
        } else if (c == '*') {
            // cur[i]: some k in [i, limit(i)] with next[k]; limit(i) is the last dot when
            // the star stands before a "." and the dot is at or after i.
            const bool beforeDot = m[j + 1] == '.' && lastDot != std::string::npos;
            size_t seenFrom = len + 1;  // smallest k >= i with next[k]
            for (size_t i = len + 1; i-- > 0;) {
                if (next[i]) seenFrom = i;
                const size_t limit = beforeDot && lastDot >= i ? lastDot : len;
                cur[i] = seenFrom <= limit;
            }
        } else {
            for (size_t i = 0; i <= len; ++i) {
                if (c == '?') cur[i] = i < len && n[i] != '.' ? next[i + 1] : next[i];
                else if (c == '.') cur[i] = i < len ? n[i] == '.' && next[i + 1] : onlyWild;
                else cur[i] = i < len && AnsiUpperChar(static_cast<unsigned char>(n[i])) ==
                                             AnsiUpperChar(static_cast<unsigned char>(c)) && next[i + 1];
            }
        }
        onlyWild = onlyWild && (c == '*' || c == '?' || c == '.');
        std::swap(cur, next);
    }
    return next[0];
}

bool DriveRootFolder(const std::string& canonicalDir) {
    if (canonicalDir == "/") return true;
    for (auto& [letter, d] : State().drives)
        if (Canonical(DriveRootOs(letter)) == canonicalDir) return true;
    return false;
}

}  // namespace

bool MatchesMask(const std::string& name, const std::string& mask) {
    if (mask == "*" || mask == "*.*") return true;
    return MatchMask(name, mask);
}

int FindFirst(const std::string& path, int attr, TSearchRec& rec) {
    rec.FindHandle.reset();
    std::string dir = ExtractFilePath(path);
    std::string mask = ExtractFileName(path);
    std::string osDir = dir.empty() ? std::string() : IncludeTrailingPathDelimiter(MapPath(dir));
    DIR* d = opendir(osDir.empty() ? "." : osDir.c_str());
    if (!d) return ERROR_PATH_NOT_FOUND;
    if (mask.empty()) {
        closedir(d);
        return ERROR_FILE_NOT_FOUND;
    }
    bool root = DriveRootFolder(Canonical(osDir));
    const int special = faHidden | faSysFile | faVolumeID | faDirectory;
    auto state = std::make_shared<FindState>();
    while (dirent* e = readdir(d)) {
        std::string os = e->d_name;
        if (root && (os == "." || os == "..")) continue;
        std::string name = FromOsName(os);
        if (!MatchesMask(name, mask)) continue;
        struct stat st;
        if (!StatFollow(osDir + os, st)) continue;
        TSearchRec r;
        r.Name = name;
        r.Attr = AttrOf(st, name);
        if (r.Attr & ~attr & special) continue;
        r.Size = S_ISDIR(st.st_mode) ? 0 : st.st_size;
        r.Time = DosTimeOf(st.st_mtime);
        state->entries.push_back(std::move(r));
    }
    closedir(d);
    auto rank = [](const std::string& n) { return n == "." ? 0 : n == ".." ? 1 : 2; };
    std::sort(state->entries.begin(), state->entries.end(), [&](const TSearchRec& a, const TSearchRec& b) {
        if (rank(a.Name) != rank(b.Name)) return rank(a.Name) < rank(b.Name);
        int c = AnsiCompareText(a.Name, b.Name);
        return c != 0 ? c < 0 : CompareStr(a.Name, b.Name) < 0;
    });
    if (state->entries.empty()) return ERROR_FILE_NOT_FOUND;
    rec.FindHandle = state;
    return FindNext(rec);
}

int FindNext(TSearchRec& rec) {
    std::shared_ptr<FindState> s = rec.FindHandle;
    if (!s || s->next >= s->entries.size()) return ERROR_NO_MORE_FILES;
    const TSearchRec& e = s->entries[s->next++];
    rec.Name = e.Name;
    rec.Size = e.Size;
    rec.Attr = e.Attr;
    rec.Time = e.Time;
    return 0;
}

void FindClose(TSearchRec& rec) { rec.FindHandle.reset(); }

// ---- date and time ----------------------------------------------------------

namespace {

constexpr int64_t kMsPerDay = 86400000;

int64_t DaysFromCivil(int64_t y, int m, int d) {
    y -= m <= 2;
    int64_t era = (y >= 0 ? y : y - 399) / 400;
    int64_t yoe = y - era * 400;
    int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& y, int& m, int& d) {
    z += 719468;
    int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    int64_t doe = z - era * 146097;
    int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    int64_t mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

constexpr int64_t kUnixEpochDays = 25569;  // 1970-01-01 as TDateTime

bool LeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && LeapYear(y) ? 29 : days[m - 1];
}

// Whole days and milliseconds of the day; a negative value keeps its time as a positive fraction.
void Split(TDateTime dt, int64_t& days, int64_t& ms) {
    if (!std::isfinite(dt)) dt = 0;
    dt = std::clamp(dt, -693594.0, 2958466.0);
    if (dt >= 0) {
        int64_t total = std::llround(dt * kMsPerDay);
        days = total / kMsPerDay;
        ms = total % kMsPerDay;
    } else {
        days = static_cast<int64_t>(std::trunc(dt));
        ms = std::min<int64_t>(std::llround(std::fabs(dt - static_cast<double>(days)) * kMsPerDay), kMsPerDay - 1);
    }
}

TDateTime LocalNow() {
    struct timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    struct tm lt;
    localtime_r(&ts.tv_sec, &lt);
    double days = static_cast<double>(DaysFromCivil(lt.tm_year + 1900, lt.tm_mon + 1, lt.tm_mday) + kUnixEpochDays);
    int64_t ms = (lt.tm_hour * 3600 + lt.tm_min * 60 + std::min(lt.tm_sec, 59)) * 1000LL + ts.tv_nsec / 1000000;
    return days + static_cast<double>(ms) / kMsPerDay;
}

std::string Two(int v) { return (v < 10 ? "0" : "") + std::to_string(v); }

// Reads an unsigned decimal number of 1 to maxDigits digits.
bool Number(const std::string& s, size_t& i, int maxDigits, int& v) {
    size_t start = i;
    v = 0;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])) && i - start < static_cast<size_t>(maxDigits))
        v = v * 10 + (s[i++] - '0');
    return i > start && (i == s.size() || !std::isdigit(static_cast<unsigned char>(s[i])));
}

}  // namespace

TDateTime Now() { return LocalNow(); }
TDateTime Date() { return std::floor(LocalNow()); }
TDateTime Time() {
    TDateTime n = LocalNow();
    return n - std::floor(n);
}

bool TryEncodeDate(int year, int month, int day, TDateTime& dt) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) return false;
    dt = static_cast<double>(DaysFromCivil(year, month, day) + kUnixEpochDays);
    return true;
}

TDateTime EncodeDate(int year, int month, int day) {
    TDateTime dt;
    if (!TryEncodeDate(year, month, day, dt)) throw EConvertError("Invalid argument to date encode");
    return dt;
}

bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& dt) {
    if (hour < 0 || hour > 23 || min < 0 || min > 59 || sec < 0 || sec > 59 || msec < 0 || msec > 999) return false;
    dt = static_cast<double>(((hour * 60 + min) * 60 + sec) * 1000LL + msec) / kMsPerDay;
    return true;
}

TDateTime EncodeTime(int hour, int min, int sec, int msec) {
    TDateTime dt;
    if (!TryEncodeTime(hour, min, sec, msec, dt)) throw EConvertError("Invalid argument to time encode");
    return dt;
}

void DecodeDate(TDateTime dt, int& year, int& month, int& day) {
    int64_t days, ms;
    Split(dt, days, ms);
    CivilFromDays(days - kUnixEpochDays, year, month, day);
}

void DecodeTime(TDateTime dt, int& hour, int& min, int& sec, int& msec) {
    int64_t days, ms;
    Split(dt, days, ms);
    hour = static_cast<int>(ms / 3600000);
    min = static_cast<int>(ms / 60000 % 60);
    sec = static_cast<int>(ms / 1000 % 60);
    msec = static_cast<int>(ms % 1000);
}

int32_t DateTimeToFileDate(TDateTime dt) {
    int y, mo, d, h, mi, s, ms;
    DecodeDate(dt, y, mo, d);
    DecodeTime(dt, h, mi, s, ms);
    if (y < 1980 || y > 2107) return 0;
    uint32_t date = static_cast<uint32_t>(((y - 1980) << 9) | (mo << 5) | d);
    uint32_t time = static_cast<uint32_t>((h << 11) | (mi << 5) | (s / 2));
    return static_cast<int32_t>((date << 16) | time);
}

TDateTime FileDateToDateTime(int32_t dosTime) {
    uint32_t v = static_cast<uint32_t>(dosTime);
    uint32_t date = v >> 16, time = v & 0xFFFF;
    return EncodeDate(static_cast<int>(date >> 9) + 1980, static_cast<int>((date >> 5) & 15), static_cast<int>(date & 31)) +
           EncodeTime(static_cast<int>(time >> 11), static_cast<int>((time >> 5) & 63), static_cast<int>(time & 31) * 2, 0);
}

std::string DateToStr(TDateTime dt) {
    int y, m, d;
    DecodeDate(dt, y, m, d);
    std::string year = std::to_string(y);
    while (year.size() < 4) year = "0" + year;
    return std::to_string(d) + "." + std::to_string(m) + "." + year;
}

std::string TimeToStr(TDateTime dt) {
    int h, m, s, ms;
    DecodeTime(dt, h, m, s, ms);
    return std::to_string(h) + ":" + Two(m) + ":" + Two(s);
}

std::string DateTimeToStr(TDateTime dt) {
    int h, m, s, ms;
    DecodeTime(dt, h, m, s, ms);
    if (h == 0 && m == 0 && s == 0 && ms == 0) return DateToStr(dt);
    return DateToStr(dt) + " " + TimeToStr(dt);
}

bool TryStrToDateTime(const std::string& text, TDateTime& dt) {
    std::string s = Trim(text);
    size_t i = 0;
    double date = 0, time = 0;
    bool hasDate = false, hasTime = false;
    int a, b, c;
    size_t save = i;
    if (Number(s, i, 2, a) && i < s.size() && s[i] == '.') {
        ++i;
        if (!Number(s, i, 2, b) || i >= s.size() || s[i] != '.') return false;
        ++i;
        size_t ys = i;
        if (!Number(s, i, 4, c)) return false;
        if (i - ys <= 2) {  // a two-digit year is taken in the present century
            int cy, cm, cd;
            DecodeDate(Now(), cy, cm, cd);
            c += cy / 100 * 100;
        }
        if (!TryEncodeDate(c, b, a, date)) return false;
        hasDate = true;
        while (i < s.size() && s[i] == ' ') ++i;
    } else {
        i = save;
    }
    if (i < s.size()) {
        int h, m, sec = 0;
        if (!Number(s, i, 2, h) || i >= s.size() || s[i] != ':') return false;
        ++i;
        if (!Number(s, i, 2, m)) return false;
        if (i < s.size() && s[i] == ':') {
            ++i;
            if (!Number(s, i, 2, sec)) return false;
        }
        if (i != s.size() || !TryEncodeTime(h, m, sec, 0, time)) return false;
        hasTime = true;
    }
    if (!hasDate && !hasTime) return false;
    dt = date + time;
    return true;
}

TDateTime StrToDateTime(const std::string& s) {
    TDateTime dt;
    if (!TryStrToDateTime(s, dt)) throw EConvertError("'" + s + "' is not a valid date and time");
    return dt;
}

// ---- the running program ----------------------------------------------------

std::string ExecutablePath() {
    auto& s = State();
    if (s.exePath.empty()) {
        std::vector<char> buf(PATH_MAX + 1);
        ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size() - 1);
        if (n > 0) s.exePath = FromOsName(std::string(buf.data(), static_cast<size_t>(n)));
    }
    return s.exePath;
}

void SetExecutablePath(const std::string& path) { State().exePath = path; }

void SetProgramArguments(std::vector<std::string> args) { State().args = std::move(args); }

int ParamCount() { return static_cast<int>(State().args.size()); }

std::string ParamStr(int index) {
    if (index == 0) return ExecutablePath();
    if (index < 0 || index > ParamCount()) return std::string();
    return State().args[static_cast<size_t>(index - 1)];
}
