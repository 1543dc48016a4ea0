// The component writer and reader, and the 80-bit extended codec.
#include <algorithm>
#include <bit>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <limits>
#include <mutex>
#include <thread>
#include <utility>
#include <typeinfo>

#include "platform/classes.h"

// ---- 80-bit extended ------------------------------------------------------------

namespace {

void PutLE(unsigned char* out, uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out[i] = static_cast<unsigned char>(v >> (8 * i));
}

uint64_t GetLE(const unsigned char* in, int bytes) {
    uint64_t v = 0;
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(&v, in, static_cast<size_t>(bytes));
    } else {
        for (int i = 0; i < bytes; ++i) v |= static_cast<uint64_t>(in[i]) << (8 * i);
    }
    return v;
}

}  // namespace

void DoubleToExtended(double value, unsigned char out[10]) {
    const uint64_t bits = std::bit_cast<uint64_t>(value);
    const unsigned sign = static_cast<unsigned>(bits >> 63);
    const int exp = static_cast<int>((bits >> 52) & 0x7FF);
    const uint64_t frac = bits & ((uint64_t(1) << 52) - 1);
    uint64_t mant = 0;
    unsigned e = 0;
    if (exp == 0x7FF) {
        e = 0x7FFF;
        mant = (uint64_t(1) << 63) | (frac << 11);
        if (frac != 0) mant |= uint64_t(1) << 62;    // NaN stays a quiet NaN
    } else if (exp != 0) {
        e = static_cast<unsigned>(exp - 1023 + 16383);
        mant = (uint64_t(1) << 63) | (frac << 11);
    } else if (frac != 0) {
        // A double denormal is a normal extended number.
        const int lead = 63 - std::countl_zero(frac);   // highest set bit, 0..51
        mant = frac << (63 - lead);
        e = static_cast<unsigned>(lead - 1074 + 16383);
    }
    const uint16_t top = static_cast<uint16_t>((sign << 15) | e);
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(out, &mant, 8);
        std::memcpy(out + 8, &top, 2);
    } else {
        PutLE(out, mant, 8);
        PutLE(out + 8, top, 2);
    }
}

double ExtendedToDouble(const unsigned char in[10]) {
    const uint64_t mant = GetLE(in, 8);
    const unsigned se = static_cast<unsigned>(GetLE(in + 8, 2));
    const bool negative = (se & 0x8000) != 0;
    const int exp = static_cast<int>(se & 0x7FFF);
    if ((mant >> 63) && exp != 0x7FFF && exp - 16383 >= -1022 && exp - 16383 <= 1023) {
        // A normal value with a normal double: the top 53 bits, rounded to nearest even; a
        // carry out of them steps the exponent (to infinity past the largest).
        uint64_t kept = mant >> 11;
        const uint64_t rest = mant & 0x7FF;
        if (rest > 0x400 || (rest == 0x400 && (kept & 1))) ++kept;
        uint64_t bits = (static_cast<uint64_t>(exp - 16383 + 1022) << 52) + kept;
        if (negative) bits |= uint64_t(1) << 63;
        return std::bit_cast<double>(bits);
    }
    double r;
    if (exp == 0x7FFF) {
        r = (mant << 1) == 0 ? std::numeric_limits<double>::infinity()
                             : std::numeric_limits<double>::quiet_NaN();
    } else if (mant == 0) {
        r = 0.0;
    } else {
        // value = mant * 2^(e - 63); extended denormals use the exponent of 1.
        const int e = (exp == 0 ? 1 : exp) - 16383;
        const int lowExp = e - 63;                      // weight of bit 0 of mant
        const int top = lowExp + (63 - std::countl_zero(mant));
        // Keep 53 significant bits, and no bit below the smallest denormal.
        const int unit = std::max(top - 52, -1074);
        const int shift = unit - lowExp;
        if (shift <= 0) {
            r = std::ldexp(static_cast<double>(mant), lowExp);
        } else if (shift > 64) {
            r = 0.0;
        } else {
            // Round to nearest, ties to even.
            uint64_t kept = shift == 64 ? 0 : mant >> shift;
            const uint64_t rest = shift == 64 ? mant : mant & ((uint64_t(1) << shift) - 1);
            const uint64_t half = uint64_t(1) << (shift - 1);
            if (rest > half || (rest == half && (kept & 1))) ++kept;
            r = std::ldexp(static_cast<double>(kept), unit);   // inf when out of range
        }
    }
    return negative ? -r : r;
}

// ---- TWriter ----------------------------------------------------------------------

// The second thread of a writer in the background and the buffer it writes.
struct TWriter::Behind {
    std::mutex lock;
    std::condition_variable changed;
    std::unique_ptr<unsigned char[]> buf;
    size_t size = 0;
    bool busy = false;  // buf is being written
    bool stop = false;
    std::exception_ptr failure;
    std::thread thread;

    // Until nothing is being written; raises what writing raised.
    void Wait() {
        std::unique_lock<std::mutex> l(lock);
        changed.wait(l, [&] { return !busy; });
        if (failure) std::rethrow_exception(std::exchange(failure, nullptr));
    }
};

namespace {

// Large buffers of the thread's finished writers, kept for its next writer of the same
// buffer size: writing many files takes no new memory for each.
constexpr size_t kKeptBuffer = 64 * 1024;
struct SpareBuffers {
    size_t size = 0;
    std::unique_ptr<unsigned char[]> kept[2];
};
thread_local SpareBuffers tSpareBuffers;

std::unique_ptr<unsigned char[]> TakeBuffer(size_t size) {
    SpareBuffers& spare = tSpareBuffers;
    if (size == spare.size)
        for (auto& b : spare.kept)
            if (b) return std::move(b);
    return std::unique_ptr<unsigned char[]>(new unsigned char[size]);
}

void GiveBuffer(std::unique_ptr<unsigned char[]> buf, size_t size) {
    if (!buf || size < kKeptBuffer) return;
    SpareBuffers& spare = tSpareBuffers;
    if (size != spare.size) {
        spare.kept[0].reset();
        spare.kept[1].reset();
        spare.size = size;
    }
    for (auto& b : spare.kept)
        if (!b) {
            b = std::move(buf);
            return;
        }
}

}  // namespace

TWriter::TWriter(TStream& stream, int bufSize, bool inBackground)
    : stream_(stream),
      bufSize_(static_cast<size_t>(std::max(bufSize, 16))),
      buf_(TakeBuffer(bufSize_)) {
    if (!inBackground) return;
    behind_ = std::make_unique<Behind>();
    behind_->buf = TakeBuffer(bufSize_);
    behind_->thread = std::thread([b = behind_.get(), &stream] {
        std::unique_lock<std::mutex> l(b->lock);
        for (;;) {
            b->changed.wait(l, [&] { return b->busy || b->stop; });
            if (!b->busy) return;
            l.unlock();
            std::exception_ptr failure;
            try {
                stream.WriteBuffer(b->buf.get(), static_cast<int64_t>(b->size));
            } catch (...) {
                failure = std::current_exception();
            }
            l.lock();
            if (failure && !b->failure) b->failure = failure;
            b->busy = false;
            b->changed.notify_all();
        }
    });
}

TWriter::~TWriter() {
    try {
        FlushBuffer();
    } catch (...) {
    }
    if (behind_) {
        {
            std::lock_guard<std::mutex> l(behind_->lock);
            behind_->stop = true;
        }
        behind_->changed.notify_all();
        behind_->thread.join();
        GiveBuffer(std::move(behind_->buf), bufSize_);
    }
    GiveBuffer(std::move(buf_), bufSize_);
}

void TWriter::Spill() {
    if (used_ == 0) return;
    if (!behind_) {
        // Drop the buffer first so a failed write is not repeated by the destructor.
        const size_t n = used_;
        used_ = 0;
        stream_.WriteBuffer(buf_.get(), static_cast<int64_t>(n));
        return;
    }
    behind_->Wait();
    {
        std::lock_guard<std::mutex> l(behind_->lock);
        std::swap(buf_, behind_->buf);
        behind_->size = used_;
        behind_->busy = true;
    }
    used_ = 0;
    behind_->changed.notify_all();
}

void TWriter::FlushBuffer() {
    Spill();
    if (behind_) behind_->Wait();
}

int64_t TWriter::Position() {
    if (behind_) behind_->Wait();
    return stream_.Position() + static_cast<int64_t>(used_);
}

void TWriter::Write(const void* buffer, int64_t count) {
    if (count <= 0) return;
    const auto* p = static_cast<const unsigned char*>(buffer);
    const size_t n = static_cast<size_t>(count);
    if (used_ + n > bufSize_) {
        if (n >= bufSize_) {
            FlushBuffer();
            stream_.WriteBuffer(p, count);
            return;
        }
        Spill();
    }
    std::memcpy(buf_.get() + used_, p, n);
    used_ += n;
}

void TWriter::WriteSignature() { Write("TPF0", 4); }

void TWriter::WriteFloat(double value) { Advance(PutFloat(Room(11), value)); }

void TWriter::WriteString(std::string_view s) {
    if (s.size() <= 255 && 2 + s.size() <= bufSize_) {
        unsigned char* h = Room(2 + s.size());
        h[0] = vaString;
        h[1] = static_cast<unsigned char>(s.size());
        std::memcpy(h + 2, s.data(), s.size());
        used_ += 2 + s.size();
        return;
    }
    if (s.size() <= 255) {
        unsigned char h[2] = {vaString, static_cast<unsigned char>(s.size())};
        Write(h, 2);
    } else {
        if (s.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
            throw EWriteError("String too long for the stream");
        unsigned char h[5];
        h[0] = vaLString;
        PutLE(h + 1, s.size(), 4);
        Write(h, 5);
    }
    Write(s.data(), static_cast<int64_t>(s.size()));
}

void TWriter::WriteBoolean(bool value) { WriteValue(value ? vaTrue : vaFalse); }

void TWriter::WriteStr(std::string_view s) {
    const unsigned char len = static_cast<unsigned char>(std::min<size_t>(s.size(), 255));
    Write(&len, 1);
    Write(s.data(), len);
}

// ---- TReader ----------------------------------------------------------------------

TReader::TReader(TStream& stream, int bufSize) : stream_(stream) {
    if (typeid(stream) == typeid(TMemoryStream)) {
        // The bytes from the position on are read where they are; the stream stands at
        // its end meanwhile, as if they had been read into a buffer.
        auto& memory = static_cast<TMemoryStream&>(stream);
        const int64_t size = memory.Size();
        const int64_t pos = memory.Position();
        streamAt_ = pos;
        streamSize_ = size;
        if (pos < size) {
            cur_ = memory.Memory() + pos;
            lim_ = memory.Memory() + size;
            memory.SetPosition(size);
            streamAt_ = size;
        }
        return;
    }
    streamAt_ = stream.Position();
    streamSize_ = stream.Size();
    buf_.resize(static_cast<size_t>(std::max(bufSize, 16)));
}

TReader::~TReader() {
    // Leave the stream just after the last value read.
    if (lim_ > cur_) {
        try {
            stream_.Seek(-static_cast<int64_t>(lim_ - cur_), soCurrent);
        } catch (...) {
        }
    }
}

void TReader::ReadError(const char* message) { throw EReadError(message); }

void TReader::PropValueError() { ReadError("Invalid property value"); }

void TReader::Fill() {
    const int64_t n = buf_.empty() ? 0 : stream_.Read(buf_.data(), static_cast<int64_t>(buf_.size()));
    if (n <= 0) ReadError("Stream read error");
    streamAt_ += n;
    cur_ = buf_.data();
    lim_ = cur_ + n;
}

int64_t TReader::Remaining() {
    const int64_t rest = streamSize_ - streamAt_;
    return static_cast<int64_t>(lim_ - cur_) + std::max<int64_t>(rest, 0);
}

void TReader::CheckLength(int64_t length) {
    if (length < 0) ReadError("Stream read error");
    if (length <= Remaining()) return;
    // The stream may have grown since its size was asked.
    streamSize_ = stream_.Size();
    if (length > Remaining()) ReadError("Stream read error");
}

std::string TReader::ReadBytes(int64_t length) {
    CheckLength(length);
    if (length <= lim_ - cur_) {
        std::string s(reinterpret_cast<const char*>(cur_), static_cast<size_t>(length));
        cur_ += length;
        return s;
    }
    std::string s(static_cast<size_t>(length), '\0');
    Read(s.data(), length);
    return s;
}

void TReader::Read(void* buffer, int64_t count) {
    if (count <= 0) return;
    auto* p = static_cast<unsigned char*>(buffer);
    size_t want = static_cast<size_t>(count);
    const size_t have = std::min(want, static_cast<size_t>(lim_ - cur_));
    if (have) std::memcpy(p, cur_, have);
    cur_ += have;
    p += have;
    want -= have;
    if (want == 0) return;
    if (want >= buf_.size()) {
        stream_.ReadBuffer(p, static_cast<int64_t>(want));
        streamAt_ += static_cast<int64_t>(want);
        return;
    }
    while (want > 0) {
        Fill();
        const size_t n = std::min(want, static_cast<size_t>(lim_ - cur_));
        std::memcpy(p, cur_, n);
        cur_ += n;
        p += n;
        want -= n;
    }
}

void TReader::ReadSignature() {
    char sig[4];
    Read(sig, 4);
    if (std::memcmp(sig, "TPF0", 4) != 0) ReadError("Invalid stream format");
}

int32_t TReader::ReadIntegerSlow() {
    unsigned char b[4];
    switch (ReadValue()) {
    case vaInt8:
        Read(b, 1);
        return static_cast<int8_t>(b[0]);
    case vaInt16:
        Read(b, 2);
        return static_cast<int16_t>(GetLE(b, 2));
    case vaInt32:
        Read(b, 4);
        return static_cast<int32_t>(GetLE(b, 4));
    default:
        PropValueError();
    }
}

double TReader::ReadFloatSlow() {
    if (NextValue() != vaExtended) return ReadInteger();
    if (lim_ - cur_ >= 11) {
        const double v = ExtendedToDouble(cur_ + 1);
        cur_ += 11;
        return v;
    }
    ReadByte();
    unsigned char b[10];
    Read(b, 10);
    return ExtendedToDouble(b);
}

std::string TReader::ReadString() {
    int64_t len;
    switch (ReadValue()) {
    case vaString:
        len = ReadByte();
        break;
    case vaLString: {
        unsigned char b[4];
        Read(b, 4);
        len = static_cast<int32_t>(GetLE(b, 4));
        break;
    }
    default:
        PropValueError();
    }
    return ReadBytes(len);
}

bool TReader::ReadBoolean() {
    switch (ReadValue()) {
    case vaFalse: return false;
    case vaTrue: return true;
    default: PropValueError();
    }
}

std::string TReader::ReadStr() { return ReadBytes(ReadByte()); }

void TReader::SkipValue() {
    // Iterative, so deeply nested lists cannot exhaust the stack.
    int64_t depth = 0;
    do {
        int64_t skip = 0;
        switch (ReadValue()) {
        case vaNull:
            if (depth > 0) --depth;
            break;
        case vaList: ++depth; break;
        case vaInt8: skip = 1; break;
        case vaInt16: skip = 2; break;
        case vaInt32: skip = 4; break;
        case vaExtended: skip = 10; break;
        case vaString: skip = ReadByte(); break;
        case vaLString: {
            unsigned char b[4];
            Read(b, 4);
            skip = static_cast<int32_t>(GetLE(b, 4));
            break;
        }
        case vaFalse:
        case vaTrue: break;
        default: PropValueError();
        }
        if (skip == 0) continue;
        CheckLength(skip);
        const size_t inBuf = std::min(static_cast<size_t>(skip), static_cast<size_t>(lim_ - cur_));
        cur_ += inBuf;
        if (static_cast<int64_t>(inBuf) < skip) streamAt_ = stream_.Seek(skip - static_cast<int64_t>(inBuf), soCurrent);
    } while (depth > 0);
}
