// Lists, string lists, streams and the component writer and reader of the class library.
// Strings are Windows-1250 byte strings; multi-byte numbers in streams are little-endian.
#pragma once
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/large_blocks.h"
#include "platform/sysutils.h"

// ---- TList -------------------------------------------------------------------

// A list of untyped pointers. A bad index raises EListError "List index out of bounds (N)".
class TList {
public:
    TList() = default;
    virtual ~TList() = default;

    int Count() const { return static_cast<int>(items_.size()); }
    void* Get(int index) const;
    void Put(int index, void* item);
    void* operator[](int index) const { return Get(index); }

    int Add(void* item);                  // answers the new index
    void Insert(int index, void* item);   // 0..Count
    void Delete(int index);
    int Remove(void* item);               // first occurrence; answers its index or -1
    int IndexOf(void* item) const;        // -1 when absent
    void Clear();
    void Exchange(int i, int j);
    void* First() const { return Get(0); }
    void* Last() const { return Get(Count() - 1); }
    // The items in order (Count of them), valid until the list changes.
    void* const* Items() const { return items_.data(); }

private:
    void CheckIndex(int index, int count) const;
    std::vector<void*> items_;
};

// ---- TStringList ---------------------------------------------------------------

class TStream;

// Windows-1250 strings, each with an optional object pointer (not owned).
// Names, values, IndexOf and sorting ignore letter case (Windows-1250 table).
// A sorted list keeps its order on Add and ignores a string it already holds
// (Add answers the index of the one present); Insert and Put are refused on it.
class TStringList {
public:
    TStringList() = default;
    virtual ~TStringList() = default;

    int Count() const { return static_cast<int>(items_.size()); }
    const std::string& Strings(int index) const;
    const std::string& operator[](int index) const { return Strings(index); }
    void Put(int index, const std::string& s);
    void* Objects(int index) const;
    void PutObject(int index, void* object);

    int Add(const std::string& s);
    int AddObject(const std::string& s, void* object);
    void Insert(int index, const std::string& s);
    void InsertObject(int index, const std::string& s, void* object);
    void Delete(int index);
    void Clear();
    void Exchange(int i, int j);
    int IndexOf(std::string_view s) const;     // case-insensitive; -1 when absent

    // name=value lines: the name is the text before the first "=" (empty without one).
    std::string Names(int index) const;
    std::string Values(std::string_view name) const;   // empty when absent
    // Replaces the value of the first line of that name, or adds "name=value";
    // an empty value deletes the line.
    void SetValue(std::string_view name, std::string_view value);
    int IndexOfName(std::string_view name) const;

    void Sort();                                 // case-insensitive, stable
    bool Sorted() const { return sorted_; }
    void SetSorted(bool sorted);

    // Every line followed by CR LF.
    std::string Text() const;
    // Replaces the lines with those of the text, split at CR LF, LF or CR.
    void SetText(std::string_view text);

    // EFOpenError / EFCreateError name the file. Saving writes a temporary file beside
    // the target and renames it over the target.
    void LoadFromFile(const std::string& path);
    void SaveToFile(const std::string& path) const;
    void LoadFromStream(TStream& stream);        // from the position to the end
    void SaveToStream(TStream& stream) const;

private:
    struct Item {
        std::string s;
        void* object = nullptr;
    };
    void CheckIndex(int index, int count) const;
    int FindSorted(std::string_view s, bool& found) const;
    std::vector<Item> items_;
    bool sorted_ = false;
};

// ---- streams --------------------------------------------------------------------

enum TSeekOrigin { soBeginning = 0, soCurrent = 1, soEnd = 2 };

// File stream modes; the share flags are accepted and ignored.
constexpr uint16_t fmCreate = 0xFFFF;
constexpr uint16_t fmOpenRead = 0x0000;
constexpr uint16_t fmOpenWrite = 0x0001;
constexpr uint16_t fmOpenReadWrite = 0x0002;
constexpr uint16_t fmShareCompat = 0x0000;
constexpr uint16_t fmShareExclusive = 0x0010;
constexpr uint16_t fmShareDenyWrite = 0x0020;
constexpr uint16_t fmShareDenyRead = 0x0030;
constexpr uint16_t fmShareDenyNone = 0x0040;

class TStream {
public:
    virtual ~TStream() = default;

    // Answer the number of bytes moved (fewer at the end of the data, or on failure).
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    virtual int64_t Write(const void* buffer, int64_t count) = 0;
    // Answers the new position.
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
    virtual int64_t Size();
    virtual void SetSize(int64_t size);          // EStreamError where not supported

    int64_t Position() { return Seek(0, soCurrent); }
    void SetPosition(int64_t pos) { Seek(pos, soBeginning); }

    // EReadError "Stream read error" / EWriteError "Stream write error" on a short transfer.
    void ReadBuffer(void* buffer, int64_t count);
    void WriteBuffer(const void* buffer, int64_t count);
    // Copies count bytes from the source's position; count 0 copies the whole source
    // from its start; a negative count is an EStreamError. Answers the bytes copied.
    int64_t CopyFrom(TStream& source, int64_t count);
};

class TFileStream : public TStream {
public:
    // EFCreateError (fmCreate) or EFOpenError when the file cannot be opened.
    TFileStream(const std::string& path, uint16_t mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override;
    void SetSize(int64_t size) override;
    const std::string& FileName() const { return fileName_; }

private:
    std::string fileName_;
    int fd_ = -1;
};

// A file written in one pass to a temporary file beside the target and renamed over it
// by Commit (flushed to the disk first, the folder after); destroyed uncommitted, it
// leaves the target as it was. A symbolic link is kept and its target replaced.
// EFCreateError naming the file when it cannot be made or written.
class TReplacingFileStream : public TStream {
public:
    explicit TReplacingFileStream(const std::string& path);
    ~TReplacingFileStream() override;
    TReplacingFileStream(const TReplacingFileStream&) = delete;
    TReplacingFileStream& operator=(const TReplacingFileStream&) = delete;

    int64_t Read(void* buffer, int64_t count) override;  // nothing to read
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;  // the end only
    int64_t Size() override { return size_; }
    void SetSize(int64_t size) override;
    void Commit();

private:
    [[noreturn]] void Fail(int err);
    [[noreturn]] void Drop(int err);
    void Put(const char* p, int64_t count);
    void Flush();
    std::string path_, target_, tmp_;
    std::vector<char> pending_;  // written to the file when full and at Commit
    int fd_ = -1;
    int64_t size_ = 0;
    bool committed_ = false;
};


// Bytes past the end that a write or SetSize brings in read as zero.
class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override { return static_cast<int64_t>(data_.size()); }
    void SetSize(int64_t size) override;         // the position is kept within the new size

    unsigned char* Memory() { return data_.data(); }
    const unsigned char* Memory() const { return data_.data(); }
    void Clear();
    // Whole file into memory, position 0 (EFOpenError): one read into a buffer of the
    // file's size.
    void LoadFromFile(const std::string& path);
    void LoadFromStream(TStream& stream);        // the whole stream, from its start
    // Temporary file beside the target, renamed over it (EFCreateError).
    void SaveToFile(const std::string& path) const;
    void SaveToStream(TStream& stream) const;

private:
    platform_detail::Bytes data_;
    int64_t position_ = 0;
};

// ---- component stream encoding --------------------------------------------------

// Value tags of the component stream encoding.
enum TValueType : uint8_t {
    vaNull = 0,       // end of list
    vaList = 1,
    vaInt8 = 2,
    vaInt16 = 3,
    vaInt32 = 4,
    vaExtended = 5,   // 10-byte 80-bit extended
    vaString = 6,     // 1-byte length
    vaFalse = 8,
    vaTrue = 9,
    vaLString = 12,   // 4-byte length
};

// 80-bit x87 extended precision (8-byte significand with explicit integer bit, then
// sign and 15-bit exponent), little-endian. Conversion to extended is exact; back to
// double it rounds to nearest even, and values beyond the double range give +-inf.
void DoubleToExtended(double value, unsigned char out[10]);
double ExtendedToDouble(const unsigned char in[10]);

// Writes values with their tags. Buffered: the buffer goes to the stream when full, on
// FlushBuffer and on destruction (a failure there is swallowed: call FlushBuffer to see it).
// In the background, a full buffer is written by a second thread while the next one
// fills; a failure is raised by the next write that fills a buffer or by FlushBuffer,
// which waits until everything is written. The stream is not to be used meanwhile.
class TWriter {
public:
    explicit TWriter(TStream& stream, int bufSize = 4096, bool inBackground = false);
    ~TWriter();
    TWriter(const TWriter&) = delete;
    TWriter& operator=(const TWriter&) = delete;

    void FlushBuffer();
    int64_t Position();                          // stream position including the buffer

    void Write(const void* buffer, int64_t count);   // raw bytes
    void WriteValue(TValueType tag);
    void WriteSignature();                       // raw "TPF0"
    void WriteListBegin() { WriteValue(vaList); }
    void WriteListEnd() { WriteValue(vaNull); }
    void WriteInteger(int32_t value);            // shortest of tags 2, 3, 4
    void WriteFloat(double value);
    void WriteString(std::string_view s);        // tag 6 up to 255 bytes, else tag 12
    void WriteBoolean(bool value);
    void WriteStr(std::string_view s);           // raw 1-byte length and bytes, cut at 255

    // Several values with one check of the buffer: Reserve room for up to 16 bytes, fill
    // it with the Put functions (each answers the end of what it put), Advance to the end.
    unsigned char* Reserve(size_t n) { return Room(n); }
    void Advance(unsigned char* end) { used_ = static_cast<size_t>(end - buf_.get()); }
    static unsigned char* PutInteger(unsigned char* b, int32_t value);  // as WriteInteger, 2-5 bytes
    static unsigned char* PutFloat(unsigned char* b, double value);     // as WriteFloat, 11 bytes

private:
    struct Behind;
    // Room for at least n more bytes in the buffer (n at most the buffer's size).
    unsigned char* Room(size_t n) {
        if (bufSize_ - used_ < n) Spill();
        return buf_.get() + used_;
    }
    // Hands the buffer on to the stream (to the second thread in the background).
    void Spill();

    TStream& stream_;
    size_t bufSize_;
    std::unique_ptr<unsigned char[]> buf_;
    size_t used_ = 0;
    std::unique_ptr<Behind> behind_;
};

[[gnu::always_inline]] inline void TWriter::WriteValue(TValueType tag) {
    *Room(1) = tag;
    ++used_;
}

[[gnu::always_inline]] inline unsigned char* TWriter::PutInteger(unsigned char* b, int32_t value) {
    const uint32_t u = static_cast<uint32_t>(value);
    b[1] = static_cast<unsigned char>(u);
    if (value >= -128 && value <= 127) {
        b[0] = vaInt8;
        return b + 2;
    }
    b[2] = static_cast<unsigned char>(u >> 8);
    if (value >= -32768 && value <= 32767) {
        b[0] = vaInt16;
        return b + 3;
    }
    b[0] = vaInt32;
    b[3] = static_cast<unsigned char>(u >> 16);
    b[4] = static_cast<unsigned char>(u >> 24);
    return b + 5;
}

[[gnu::always_inline]] inline unsigned char* TWriter::PutFloat(unsigned char* b, double value) {
    b[0] = vaExtended;
    const uint64_t bits = std::bit_cast<uint64_t>(value);
    const unsigned exp = static_cast<unsigned>(bits >> 52) & 0x7FF;
    if (std::endian::native == std::endian::little && exp != 0 && exp != 0x7FF) {
        // A normal number: the significand with its integer bit, the exponent rebased.
        const uint64_t mant = (uint64_t(1) << 63) | (bits << 11);
        const uint16_t top = static_cast<uint16_t>(((bits >> 48) & 0x8000) | (exp - 1023 + 16383));
        std::memcpy(b + 1, &mant, 8);
        std::memcpy(b + 9, &top, 2);
    } else {
        DoubleToExtended(value, b + 1);
    }
    return b + 11;
}

[[gnu::always_inline]] inline void TWriter::WriteInteger(int32_t value) {
    unsigned char* b = Room(5);
    Advance(PutInteger(b, value));
}

// Reads values written by TWriter. Every failure raises EReadError: a wrong tag, data
// ending early, a length longer than what remains in the stream, a wrong signature
// ("Invalid stream format"). Buffered: on destruction the stream is set back to the
// position just after the last value read. A memory stream is read in place, without a
// buffer; it must not change while the reader reads it.
class TReader {
public:
    explicit TReader(TStream& stream, int bufSize = 4096);
    ~TReader();
    TReader(const TReader&) = delete;
    TReader& operator=(const TReader&) = delete;

    int64_t Position() {                         // stream position of the next byte to read
        return streamAt_ - static_cast<int64_t>(lim_ - cur_);
    }

    void Read(void* buffer, int64_t count);      // raw bytes
    void ReadSignature();                        // "TPF0"
    TValueType ReadValue() { return static_cast<TValueType>(ReadByte()); }
    TValueType NextValue() {                     // peeks at the next tag
        if (cur_ == lim_) Fill();
        return static_cast<TValueType>(*cur_);
    }
    bool EndOfList() { return NextValue() == vaNull; }  // the next tag is the end of a list
    void ReadListBegin() {
        if (ReadValue() != vaList) PropValueError();
    }
    void ReadListEnd() {
        if (ReadValue() != vaNull) PropValueError();
    }
    int32_t ReadInteger() {                      // tags 2, 3, 4
        if (lim_ - cur_ >= 5) {
            const unsigned char* p = cur_;
            switch (p[0]) {
            case vaInt8:
                cur_ += 2;
                return static_cast<int8_t>(p[1]);
            case vaInt16:
                cur_ += 3;
                return static_cast<int16_t>(p[1] | p[2] << 8);
            case vaInt32:
                cur_ += 5;
                return static_cast<int32_t>(p[1] | p[2] << 8 | p[3] << 16 | static_cast<uint32_t>(p[4]) << 24);
            default:
                break;
            }
        }
        return ReadIntegerSlow();
    }
    double ReadFloat() {                         // tag 5, or an integer
        if (lim_ - cur_ >= 11 && *cur_ == vaExtended) {
            const double v = ExtendedToDouble(cur_ + 1);
            cur_ += 11;
            return v;
        }
        return ReadFloatSlow();
    }
    std::string ReadString();                    // tags 6, 12
    bool ReadBoolean();                          // tags 8, 9
    std::string ReadStr();                       // raw 1-byte length and bytes
    void SkipValue();                            // one value of any tag above, lists whole

private:
    [[noreturn]] static void ReadError(const char* message);
    [[noreturn]] static void PropValueError();
    void Fill();
    int32_t ReadIntegerSlow();                   // near the end of what is held, or a wrong tag
    double ReadFloatSlow();
    int64_t Remaining();
    void CheckLength(int64_t length);
    std::string ReadBytes(int64_t length);  // checked against what remains
    unsigned char ReadByte() {
        if (cur_ == lim_) Fill();
        return *cur_++;
    }

    TStream& stream_;
    std::vector<unsigned char> buf_;             // empty when reading a memory stream in place
    const unsigned char* cur_ = nullptr;         // next byte held
    const unsigned char* lim_ = nullptr;         // end of the bytes held
    // Where the stream stands (just after the bytes held) and its size when last asked:
    // kept here, since only the reader moves the stream while it reads.
    int64_t streamAt_ = 0;
    int64_t streamSize_ = 0;
};
