// TStream, TFileStream and TMemoryStream.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "classes_internal.h"
#include "platform/classes.h"

// ---- TStream ---------------------------------------------------------------------

int64_t TStream::Size() {
    int64_t pos = Seek(0, soCurrent);
    int64_t size = Seek(0, soEnd);
    Seek(pos, soBeginning);
    return size;
}

void TStream::SetSize(int64_t) { throw EStreamError("Stream size cannot be changed"); }

void TStream::ReadBuffer(void* buffer, int64_t count) {
    if (count != 0 && Read(buffer, count) != count) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, int64_t count) {
    if (count != 0 && Write(buffer, count) != count) throw EWriteError("Stream write error");
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
    if (count < 0) throw EStreamError("negative count");
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    const int64_t total = count;
    std::vector<unsigned char> buf(static_cast<size_t>(std::min<int64_t>(count, 65536)));
    while (count > 0) {
        int64_t n = std::min<int64_t>(count, static_cast<int64_t>(buf.size()));
        source.ReadBuffer(buf.data(), n);
        WriteBuffer(buf.data(), n);
        count -= n;
    }
    return total;
}

// ---- TFileStream -------------------------------------------------------------------

TFileStream::TFileStream(const std::string& path, uint16_t mode) : fileName_(path) {
    const std::string host = platform_internal::HostPath(path);
    int flags = O_CLOEXEC;
    if (mode == fmCreate) {
        flags |= O_RDWR | O_CREAT | O_TRUNC;
    } else {
        switch (mode & 3) {
        case fmOpenWrite: flags |= O_WRONLY; break;
        case fmOpenReadWrite: flags |= O_RDWR; break;
        default: flags |= O_RDONLY; break;
        }
    }
    fd_ = ::open(host.c_str(), flags, 0666);
    int err = errno;
    if (fd_ >= 0) {
        struct stat st {};
        if (::fstat(fd_, &st) != 0 || S_ISDIR(st.st_mode)) {
            err = EISDIR;
            ::close(fd_);
            fd_ = -1;
        }
    }
    if (fd_ < 0) {
        if (mode == fmCreate)
            throw EFCreateError("Cannot create file \"" + path + "\". " + std::strerror(err));
        throw EFOpenError("Cannot open file \"" + path + "\". " + std::strerror(err));
    }
}

TFileStream::~TFileStream() {
    if (fd_ >= 0) ::close(fd_);
}

int64_t TFileStream::Read(void* buffer, int64_t count) {
    int64_t done = 0;
    auto* p = static_cast<unsigned char*>(buffer);
    while (done < count) {
        ssize_t n = ::read(fd_, p + done, static_cast<size_t>(count - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += n;
    }
    return done;
}

int64_t TFileStream::Write(const void* buffer, int64_t count) {
    int64_t done = 0;
    const auto* p = static_cast<const unsigned char*>(buffer);
    while (done < count) {
        ssize_t n = ::write(fd_, p + done, static_cast<size_t>(count - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += n;
    }
    return done;
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
    int whence = origin == soBeginning ? SEEK_SET : origin == soCurrent ? SEEK_CUR : SEEK_END;
    off_t r = ::lseek(fd_, static_cast<off_t>(offset), whence);
    if (r < 0) throw EStreamError("Stream seek error in \"" + fileName_ + "\"");
    return r;
}

int64_t TFileStream::Size() {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) return Seek(0, soEnd);
    return st.st_size;
}

void TFileStream::SetSize(int64_t size) {
    if (size < 0 || ::ftruncate(fd_, static_cast<off_t>(size)) != 0)
        throw EStreamError("Stream size cannot be changed in \"" + fileName_ + "\"");
    if (Position() > size) Seek(size, soBeginning);
}

// ---- TMemoryStream -----------------------------------------------------------------

int64_t TMemoryStream::Read(void* buffer, int64_t count) {
    int64_t avail = Size() - position_;
    if (count <= 0 || avail <= 0) return 0;
    int64_t n = std::min(count, avail);
    std::memcpy(buffer, data_.data() + position_, static_cast<size_t>(n));
    position_ += n;
    return n;
}

namespace {

// The largest size, and so the furthest position, a memory stream can reach.
int64_t MemoryLimit(const platform_detail::Bytes& data) {
    return static_cast<int64_t>(std::min<size_t>(data.max_size(), INT64_MAX));
}

// New bytes up to zeroTo read as zero; those after it are about to be written.
void Resize(platform_detail::Bytes& data, int64_t size, int64_t zeroTo) {
    if (size < 0 || size > MemoryLimit(data)) throw EStreamError("Stream size cannot be changed");
    const size_t old = data.size();
    try {
        data.resize(static_cast<size_t>(size));
    } catch (const std::exception&) {
        throw EStreamError("Out of memory while expanding memory stream");
    }
    const size_t zeroEnd = static_cast<size_t>(std::min(size, zeroTo));
    if (zeroEnd > old) std::memset(data.data() + old, 0, zeroEnd - old);
}

}  // namespace

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
    if (count <= 0) return 0;
    if (count > MemoryLimit(data_) - position_) throw EStreamError("Stream write error");
    int64_t end = position_ + count;
    if (end > Size()) Resize(data_, end, position_);
    std::memcpy(data_.data() + position_, buffer, static_cast<size_t>(count));
    position_ = end;
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
    int64_t base = origin == soBeginning ? 0 : origin == soCurrent ? position_ : Size();
    int64_t target;
    if (__builtin_add_overflow(base, offset, &target) || target < 0 || target > MemoryLimit(data_))
        throw EStreamError("Stream seek error");
    position_ = target;
    return position_;
}

void TMemoryStream::SetSize(int64_t size) {
    Resize(data_, size, size);
    if (position_ > size) position_ = size;
}

void TMemoryStream::Clear() {
    data_.clear();
    data_.shrink_to_fit();
    position_ = 0;
}

void TMemoryStream::LoadFromFile(const std::string& path) {
    platform_detail::Bytes bytes;
    platform_internal::ReadWholeFileInto(path, bytes);
    data_ = std::move(bytes);
    position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& stream) {
    stream.SetPosition(0);
    int64_t n = stream.Size();
    platform_detail::Bytes bytes(static_cast<size_t>(n));
    stream.ReadBuffer(bytes.data(), n);
    data_ = std::move(bytes);
    position_ = 0;
}

void TMemoryStream::SaveToFile(const std::string& path) const {
    platform_internal::ReplaceFile(
        path, std::string_view(reinterpret_cast<const char*>(data_.data()), data_.size()));
}

void TMemoryStream::SaveToStream(TStream& stream) const {
    stream.WriteBuffer(data_.data(), static_cast<int64_t>(data_.size()));
}
