// TList, TStringList and the file helpers behind them.
#include "platform/classes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "classes_internal.h"
#include "platform/files.h"

namespace platform_internal {

std::string HostPath(const std::string& path) { return MapPath(path); }

namespace {

std::string OsError(int err) { return std::strerror(err); }

// The file that os finally names, following symbolic links (a dangling one too, so that
// the file is made where it points); false with errno set when a link cannot be read.
bool FollowLinks(std::string& os) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(os.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;
        std::string link(static_cast<size_t>(st.st_size) + 1, '\0');
        ssize_t n;
        while ((n = ::readlink(os.c_str(), link.data(), link.size())) >= static_cast<ssize_t>(link.size()))
            link.resize(link.size() * 2);
        if (n <= 0) {
            if (n == 0) errno = ENOENT;
            return false;
        }
        link.resize(static_cast<size_t>(n));
        if (link[0] != '/') {
            size_t slash = os.rfind('/');
            if (slash != std::string::npos) link = os.substr(0, slash + 1) + link;
        }
        os = std::move(link);
    }
    errno = ELOOP;
    return false;
}

}  // namespace

namespace {

// The whole file into a buffer: sized to the file first, so a regular file takes one read
// and no copy; a file that grows meanwhile, or reports no size, is read to its end.
template <class Buffer> bool ReadFileInto(const std::string& path, Buffer& bytes) {
    struct Closer {
        int fd;
        ~Closer() {
            int err = errno;
            ::close(fd);
            errno = err;
        }
    };
    int fd = ::open(HostPath(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    Closer closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        errno = EISDIR;
        return false;
    }
    Buffer out;
    size_t have = 0;
    size_t room = st.st_size > 0 ? static_cast<size_t>(st.st_size) + 1 : 65536;
    try {
        out.resize(room);
        for (;;) {
            if (have == room) out.resize(room *= 2);
            ssize_t n = ::read(fd, out.data() + have, room - have);
            if (n < 0) {
                if (errno == EINTR) continue;
                return false;
            }
            if (n == 0) break;
            have += static_cast<size_t>(n);
        }
    } catch (const std::exception&) {
        errno = ENOMEM;
        return false;
    }
    out.resize(have);
    bytes = std::move(out);
    return true;
}

}  // namespace

bool TryReadWholeFile(const std::string& path, std::string& bytes) { return ReadFileInto(path, bytes); }

std::string ReadWholeFile(const std::string& path) {
    std::string bytes;
    if (!TryReadWholeFile(path, bytes))
        throw EFOpenError("Cannot open file \"" + path + "\". " + OsError(errno));
    return bytes;
}

void ReadWholeFileInto(const std::string& path, platform_detail::Bytes& bytes) {
    if (!ReadFileInto(path, bytes)) throw EFOpenError("Cannot open file \"" + path + "\". " + OsError(errno));
}

void ReplaceFile(const std::string& path, std::string_view bytes) {
    TReplacingFileStream file(path);
    file.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    file.Commit();
}

}  // namespace platform_internal

// ---- TReplacingFileStream -------------------------------------------------------------

TReplacingFileStream::TReplacingFileStream(const std::string& path) : path_(path) {
    // A symbolic link stays: the file it points to is replaced.
    target_ = platform_internal::HostPath(path);
    if (!platform_internal::FollowLinks(target_)) Fail(errno);
    // The temporary file is made with the usual permissions (the umask applies as it is
    // made); a replaced file's permissions are then copied onto it.
    static std::atomic<unsigned> serial{0};
    for (int attempt = 0; fd_ < 0; ++attempt) {
        struct timespec ts {};
        ::clock_gettime(CLOCK_REALTIME, &ts);
        tmp_ = target_ + ".~" + std::to_string(::getpid()) + "-" + std::to_string(serial++) + "-" +
               std::to_string(ts.tv_nsec);
        fd_ = ::open(tmp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && (errno != EEXIST || attempt >= 100)) Fail(errno);
    }
    struct stat st {};
    if (::stat(target_.c_str(), &st) == 0 && ::fchmod(fd_, st.st_mode & 07777) != 0) Drop(errno);
}

TReplacingFileStream::~TReplacingFileStream() {
    if (fd_ >= 0) ::close(fd_);
    if (!committed_ && !tmp_.empty()) ::unlink(tmp_.c_str());
}

void TReplacingFileStream::Fail(int err) {
    throw EFCreateError("Cannot create file \"" + path_ + "\". " + platform_internal::OsError(err));
}

void TReplacingFileStream::Drop(int err) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    ::unlink(tmp_.c_str());
    tmp_.clear();
    Fail(err);
}

int64_t TReplacingFileStream::Read(void*, int64_t) { return 0; }

namespace {
// Writers such as libpng and Cairo's PDF hand over many small pieces.
constexpr size_t kReplacingBuffer = 64 * 1024;
constexpr size_t kLargePiece = 16 * 1024;
}  // namespace

void TReplacingFileStream::Put(const char* p, int64_t count) {
    int64_t done = 0;
    while (done < count) {
        ssize_t n = ::write(fd_, p + done, static_cast<size_t>(count - done));
        if (n < 0) {
            if (errno == EINTR) continue;
            Drop(errno);
        }
        done += n;
    }
}

void TReplacingFileStream::Flush() {
    if (pending_.empty()) return;
    Put(pending_.data(), static_cast<int64_t>(pending_.size()));
    pending_.clear();
}

int64_t TReplacingFileStream::Write(const void* buffer, int64_t count) {
    if (fd_ < 0 || committed_) throw EWriteError("Stream write error");
    if (count <= 0) return 0;
    const auto* p = static_cast<const char*>(buffer);
    const auto n = static_cast<size_t>(count);
    if (n >= kLargePiece) {
        // Large pieces (a model writer's whole buffer) go straight to the file.
        Flush();
        Put(p, count);
    } else {
        if (pending_.size() + n > kReplacingBuffer) Flush();
        pending_.reserve(kReplacingBuffer);
        pending_.insert(pending_.end(), p, p + count);
    }
    size_ += count;
    return count;
}

int64_t TReplacingFileStream::Seek(int64_t offset, TSeekOrigin origin) {
    // Written in one pass: only the present position can be asked for.
    int64_t base = origin == soBeginning ? 0 : size_;
    if (base + offset != size_) throw EStreamError("Stream seek error");
    return size_;
}

void TReplacingFileStream::SetSize(int64_t size) {
    if (size != size_) throw EStreamError("Stream size cannot be changed");
}

void TReplacingFileStream::Commit() {
    if (fd_ < 0 || committed_) throw EWriteError("Stream write error");
    Flush();
    // On the disk before the name: a power loss leaves the old file or the whole new one.
    if (::fsync(fd_) != 0) Drop(errno);
    int closed = ::close(fd_);
    fd_ = -1;
    if (closed != 0) Drop(errno);
    if (::rename(tmp_.c_str(), target_.c_str()) != 0) Drop(errno);
    committed_ = true;
    // And the new name itself on the disk.
    const size_t slash = target_.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : target_.substr(0, slash);
    int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

namespace {

[[noreturn]] void ListIndexError(int index) {
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

[[noreturn]] void SortedListError() {
    throw EListError("Operation not allowed on sorted string list");
}

}  // namespace

// ---- TList -------------------------------------------------------------------------

void TList::CheckIndex(int index, int count) const {
    if (index < 0 || index >= count) ListIndexError(index);
}

void* TList::Get(int index) const {
    CheckIndex(index, Count());
    return items_[static_cast<size_t>(index)];
}

void TList::Put(int index, void* item) {
    CheckIndex(index, Count());
    items_[static_cast<size_t>(index)] = item;
}

int TList::Add(void* item) {
    items_.push_back(item);
    return Count() - 1;
}

void TList::Insert(int index, void* item) {
    CheckIndex(index, Count() + 1);
    items_.insert(items_.begin() + index, item);
}

void TList::Delete(int index) {
    CheckIndex(index, Count());
    items_.erase(items_.begin() + index);
}

int TList::Remove(void* item) {
    int i = IndexOf(item);
    if (i >= 0) Delete(i);
    return i;
}

int TList::IndexOf(void* item) const {
    auto it = std::find(items_.begin(), items_.end(), item);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TList::Clear() { items_.clear(); }

void TList::Exchange(int i, int j) {
    CheckIndex(i, Count());
    CheckIndex(j, Count());
    std::swap(items_[static_cast<size_t>(i)], items_[static_cast<size_t>(j)]);
}

// ---- TStringList -------------------------------------------------------------------

void TStringList::CheckIndex(int index, int count) const {
    if (index < 0 || index >= count) ListIndexError(index);
}

const std::string& TStringList::Strings(int index) const {
    CheckIndex(index, Count());
    return items_[static_cast<size_t>(index)].s;
}

void TStringList::Put(int index, const std::string& s) {
    if (sorted_) SortedListError();
    CheckIndex(index, Count());
    items_[static_cast<size_t>(index)].s = s;
}

void* TStringList::Objects(int index) const {
    CheckIndex(index, Count());
    return items_[static_cast<size_t>(index)].object;
}

void TStringList::PutObject(int index, void* object) {
    CheckIndex(index, Count());
    items_[static_cast<size_t>(index)].object = object;
}

int TStringList::FindSorted(std::string_view s, bool& found) const {
    // First position whose string is not below s.
    int lo = 0, hi = Count();
    while (lo < hi) {
        int mid = lo + (hi - lo) / 2;
        if (AnsiCompareText(items_[static_cast<size_t>(mid)].s, s) < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    found = lo < Count() && AnsiCompareText(items_[static_cast<size_t>(lo)].s, s) == 0;
    return lo;
}

int TStringList::Add(const std::string& s) { return AddObject(s, nullptr); }

int TStringList::AddObject(const std::string& s, void* object) {
    if (!sorted_) {
        items_.push_back({s, object});
        return Count() - 1;
    }
    bool found = false;
    int at = FindSorted(s, found);
    if (found) return at;
    items_.insert(items_.begin() + at, Item{s, object});
    return at;
}

void TStringList::Insert(int index, const std::string& s) { InsertObject(index, s, nullptr); }

void TStringList::InsertObject(int index, const std::string& s, void* object) {
    if (sorted_) SortedListError();
    CheckIndex(index, Count() + 1);
    items_.insert(items_.begin() + index, Item{s, object});
}

void TStringList::Delete(int index) {
    CheckIndex(index, Count());
    items_.erase(items_.begin() + index);
}

void TStringList::Clear() { items_.clear(); }

void TStringList::Exchange(int i, int j) {
    CheckIndex(i, Count());
    CheckIndex(j, Count());
    std::swap(items_[static_cast<size_t>(i)], items_[static_cast<size_t>(j)]);
}

int TStringList::IndexOf(std::string_view s) const {
    if (sorted_) {
        bool found = false;
        int at = FindSorted(s, found);
        return found ? at : -1;
    }
    for (int i = 0; i < Count(); ++i)
        if (AnsiCompareText(items_[static_cast<size_t>(i)].s, s) == 0) return i;
    return -1;
}

std::string TStringList::Names(int index) const {
    const std::string& s = Strings(index);
    size_t eq = s.find('=');
    return eq == std::string::npos ? std::string() : s.substr(0, eq);
}

int TStringList::IndexOfName(std::string_view name) const {
    for (int i = 0; i < Count(); ++i) {
        const std::string& s = items_[static_cast<size_t>(i)].s;
        size_t eq = s.find('=');
        if (eq != std::string::npos && AnsiCompareText(std::string_view(s).substr(0, eq), name) == 0)
            return i;
    }
    return -1;
}

std::string TStringList::Values(std::string_view name) const {
    int i = IndexOfName(name);
    if (i < 0) return {};
    const std::string& s = items_[static_cast<size_t>(i)].s;
    return s.substr(s.find('=') + 1);
}

void TStringList::SetValue(std::string_view name, std::string_view value) {
    int i = IndexOfName(name);
    if (value.empty()) {
        if (i >= 0) Delete(i);
        return;
    }
    std::string line = std::string(name) + "=" + std::string(value);
    if (i < 0) {
        Add(line);
    } else if (sorted_) {
        void* object = items_[static_cast<size_t>(i)].object;
        Delete(i);
        AddObject(line, object);
    } else {
        Put(i, line);
    }
}

void TStringList::Sort() {
    std::stable_sort(items_.begin(), items_.end(), [](const Item& a, const Item& b) {
        return AnsiCompareText(a.s, b.s) < 0;
    });
}

void TStringList::SetSorted(bool sorted) {
    if (sorted && !sorted_) Sort();
    sorted_ = sorted;
}

std::string TStringList::Text() const {
    std::string out;
    for (const Item& it : items_) {
        out += it.s;
        out += "\r\n";
    }
    return out;
}

void TStringList::SetText(std::string_view text) {
    Clear();
    size_t i = 0;
    while (i < text.size()) {
        size_t start = i;
        while (i < text.size() && text[i] != '\r' && text[i] != '\n') ++i;
        Add(std::string(text.substr(start, i - start)));
        if (i < text.size() && text[i] == '\r') ++i;
        if (i < text.size() && text[i] == '\n') ++i;
    }
}

void TStringList::LoadFromFile(const std::string& path) {
    SetText(platform_internal::ReadWholeFile(path));
}

void TStringList::SaveToFile(const std::string& path) const {
    platform_internal::ReplaceFile(path, Text());
}

void TStringList::LoadFromStream(TStream& stream) {
    int64_t n = stream.Size() - stream.Position();
    std::string bytes;
    if (n > 0) {
        bytes.resize(static_cast<size_t>(n));
        bytes.resize(static_cast<size_t>(stream.Read(bytes.data(), n)));
    }
    SetText(bytes);
}

void TStringList::SaveToStream(TStream& stream) const {
    std::string t = Text();
    stream.WriteBuffer(t.data(), static_cast<int64_t>(t.size()));
}
