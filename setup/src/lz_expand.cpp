#include "setup/lz_expand.h"

#include <fcntl.h>
#include <mspack.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

#include "platform/files.h"

namespace setup {

namespace {

// libmspack opens "files" by name through our system; the name is an LZStream*.
struct StreamFile {
    LZStream* s;
};

mspack_file* SysOpen(mspack_system*, const char* name, int) {
    auto* f = new StreamFile{reinterpret_cast<LZStream*>(const_cast<char*>(name))};
    return reinterpret_cast<mspack_file*>(f);
}

void SysClose(mspack_file* file) { delete reinterpret_cast<StreamFile*>(file); }

LZStream& StreamOf(mspack_file* file) { return *reinterpret_cast<StreamFile*>(file)->s; }

int SysRead(mspack_file* file, void* buffer, int bytes) {
    LZStream& s = StreamOf(file);
    if (bytes < 0) return -1;
    if (s.fd >= 0) {
        for (;;) {
            ssize_t n = ::read(s.fd, buffer, static_cast<size_t>(bytes));
            if (n < 0 && errno == EINTR) continue;
            return static_cast<int>(n);
        }
    }
    size_t left = s.position < s.buffer->size() ? s.buffer->size() - s.position : 0;
    size_t n = std::min(left, static_cast<size_t>(bytes));
    std::memcpy(buffer, s.buffer->data() + s.position, n);
    s.position += n;
    return static_cast<int>(n);
}

int SysWrite(mspack_file* file, void* buffer, int bytes) {
    LZStream& s = StreamOf(file);
    if (bytes < 0) return -1;
    if (s.fd >= 0) {
        const char* p = static_cast<const char*>(buffer);
        size_t left = static_cast<size_t>(bytes);
        while (left > 0) {
            ssize_t n = ::write(s.fd, p, left);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return -1;
            p += n;
            left -= static_cast<size_t>(n);
        }
        return bytes;
    }
    if (s.position > s.buffer->size()) s.buffer->resize(s.position);
    s.buffer->replace(s.position, std::min(static_cast<size_t>(bytes), s.buffer->size() - s.position),
                      static_cast<const char*>(buffer), static_cast<size_t>(bytes));
    s.position += static_cast<size_t>(bytes);
    return bytes;
}

int SysSeek(mspack_file* file, off_t offset, int mode) {
    LZStream& s = StreamOf(file);
    int whence = mode == MSPACK_SYS_SEEK_START ? SEEK_SET : mode == MSPACK_SYS_SEEK_CUR ? SEEK_CUR : SEEK_END;
    if (s.fd >= 0) return ::lseek(s.fd, offset, whence) < 0 ? -1 : 0;
    off_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? static_cast<off_t>(s.position)
                                                             : static_cast<off_t>(s.buffer->size());
    if (offset < -base || base + offset > static_cast<off_t>(s.buffer->size())) return -1;
    s.position = static_cast<size_t>(base + offset);
    return 0;
}

off_t SysTell(mspack_file* file) {
    LZStream& s = StreamOf(file);
    if (s.fd >= 0) return ::lseek(s.fd, 0, SEEK_CUR);
    return static_cast<off_t>(s.position);
}

void SysMessage(mspack_file*, const char*, ...) {}
void* SysAlloc(mspack_system*, size_t bytes) { return std::malloc(bytes); }
void SysFree(void* p) { std::free(p); }
void SysCopy(void* src, void* dest, size_t bytes) { std::memmove(dest, src, bytes); }

mspack_system g_system = {SysOpen, SysClose, SysRead, SysWrite, SysSeek, SysTell,
                          SysMessage, SysAlloc, SysFree, SysCopy, nullptr};

const char* NameOf(LZStream& s) { return reinterpret_cast<const char*>(&s); }

int64_t ErrorCode(int mspackError) {
    switch (mspackError) {
        case MSPACK_ERR_OPEN: return LZERROR_BADINHANDLE;
        case MSPACK_ERR_WRITE: return LZERROR_WRITE;
        case MSPACK_ERR_NOMEMORY: return LZERROR_GLOBALLOC;
        case MSPACK_ERR_DATAFORMAT: return LZERROR_UNKNOWNALG;
        case MSPACK_ERR_ARGS: return LZERROR_BADVALUE;
        default: return LZERROR_READ;
    }
}

int64_t PlainCopy(LZStream& source, LZStream& target) {
    StreamFile in{&source}, out{&target};
    char buf[65536];
    int64_t total = 0;
    for (;;) {
        int n = SysRead(reinterpret_cast<mspack_file*>(&in), buf, sizeof buf);
        if (n < 0) return LZERROR_READ;
        if (n == 0) return total;
        if (SysWrite(reinterpret_cast<mspack_file*>(&out), buf, n) != n) return LZERROR_WRITE;
        total += n;
    }
}

}  // namespace

int64_t LZCopy(LZStream& source, LZStream& target) {
    StreamFile probe{&source};
    off_t start = SysTell(reinterpret_cast<mspack_file*>(&probe));
    off_t targetStart = [&] {
        StreamFile t{&target};
        return SysTell(reinterpret_cast<mspack_file*>(&t));
    }();
    if (start < 0) return LZERROR_BADINHANDLE;
    if (targetStart < 0) return LZERROR_BADOUTHANDLE;

    msszdd_decompressor* szdd = mspack_create_szdd_decompressor(&g_system);
    if (!szdd) return LZERROR_GLOBALLOC;
    int64_t result;
    msszddd_header* header = szdd->open(szdd, NameOf(source));
    if (!header) {
        int err = szdd->last_error(szdd);
        if (err == MSPACK_ERR_SIGNATURE || err == MSPACK_ERR_READ) {
            // Not compressed (or too short to be): copied as it is.
            result = SysSeek(reinterpret_cast<mspack_file*>(&probe), start, MSPACK_SYS_SEEK_START) < 0
                         ? LZERROR_READ
                         : PlainCopy(source, target);
        } else {
            result = ErrorCode(err);
        }
    } else {
        int err = szdd->extract(szdd, header, NameOf(target));
        StreamFile t{&target};
        off_t end = SysTell(reinterpret_cast<mspack_file*>(&t));
        if (err != MSPACK_ERR_OK) {
            result = ErrorCode(err);
        } else if (end < 0) {
            result = LZERROR_WRITE;
        } else if (end - targetStart != header->length) {
            result = LZERROR_READ;
        } else {
            result = end - targetStart;
        }
        szdd->close(szdd, header);
    }
    mspack_destroy_szdd_decompressor(szdd);
    return result;
}

int64_t ExpandFile(const std::string& source, const std::string& target) {
    LZStream in;
    in.fd = ::open(MapPath(source).c_str(), O_RDONLY | O_CLOEXEC);
    if (in.fd < 0) return LZERROR_BADINHANDLE;
    struct stat st;
    if (::fstat(in.fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(in.fd);
        return LZERROR_BADINHANDLE;
    }
    std::string targetOs = MapPath(target);
    std::string folder = targetOs.substr(0, targetOs.find_last_of('/') + 1);
    std::string tmp = folder + ".setup-XXXXXX";
    LZStream out;
    out.fd = ::mkstemp(tmp.data());
    if (out.fd < 0) {
        ::close(in.fd);
        return LZERROR_BADOUTHANDLE;
    }
    int64_t result = LZCopy(in, out);
    ::close(in.fd);
    if (result >= 0) {
        mode_t mask = ::umask(0);
        ::umask(mask);
        if (::fchmod(out.fd, (st.st_mode & 0777 & ~mask) | S_IRUSR | S_IWUSR) != 0) result = LZERROR_WRITE;
    }
    if (::close(out.fd) != 0 && result >= 0) result = LZERROR_WRITE;
    if (result >= 0 && ::rename(tmp.c_str(), targetOs.c_str()) != 0) result = LZERROR_WRITE;
    if (result < 0) ::unlink(tmp.c_str());
    return result;
}

}  // namespace setup
