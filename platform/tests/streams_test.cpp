#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>

#include "platform/classes.h"
#include "test_support.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes Written(const std::function<void(TWriter&)>& f) {
    TMemoryStream m;
    {
        TWriter w(m);
        f(w);
    }
    return Bytes(m.Memory(), m.Memory() + m.Size());
}

TMemoryStream StreamOf(const Bytes& b) {
    TMemoryStream m;
    if (!b.empty()) m.Write(b.data(), static_cast<int64_t>(b.size()));
    m.SetPosition(0);
    return m;
}

Bytes Ext(double v) {
    Bytes b(10);
    DoubleToExtended(v, b.data());
    return b;
}

double FromExt(const Bytes& b) { return ExtendedToDouble(b.data()); }

// An extended value from its significand and sign-and-exponent word.
Bytes ExtOf(uint64_t mant, uint16_t se) {
    Bytes b(10);
    for (int i = 0; i < 8; ++i) b[i] = static_cast<unsigned char>(mant >> (8 * i));
    b[8] = static_cast<unsigned char>(se);
    b[9] = static_cast<unsigned char>(se >> 8);
    return b;
}

class StreamsTempDir : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(tmp_.Path().empty()); }
    TempDir tmp_{"streams_"};
    std::string dir_ = tmp_.Path() + "/";
};

}  // namespace

// ---- writer: tags and byte order ----------------------------------------------------

TEST(TWriterTest, IntegersTakeTheShortestTagLittleEndian) {
    struct Case {
        int32_t v;
        Bytes bytes;
    } cases[] = {
        {0, {2, 0}},
        {127, {2, 0x7F}},
        {-128, {2, 0x80}},
        {128, {3, 0x80, 0x00}},
        {-129, {3, 0x7F, 0xFF}},
        {32767, {3, 0xFF, 0x7F}},
        {-32768, {3, 0x00, 0x80}},
        {32768, {4, 0x00, 0x80, 0x00, 0x00}},
        {-32769, {4, 0xFF, 0x7F, 0xFF, 0xFF}},
        {0x12345678, {4, 0x78, 0x56, 0x34, 0x12}},
        {INT32_MIN, {4, 0x00, 0x00, 0x00, 0x80}},
        {INT32_MAX, {4, 0xFF, 0xFF, 0xFF, 0x7F}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Written([&](TWriter& w) { w.WriteInteger(c.v); }), c.bytes) << c.v;
        TMemoryStream m = StreamOf(c.bytes);
        TReader r(m);
        EXPECT_EQ(r.ReadInteger(), c.v);
    }
}

TEST(TWriterTest, TagsOfListsBooleansFloatsAndRawItems) {
    Bytes b = Written([](TWriter& w) {
        w.WriteSignature();
        w.WriteListBegin();
        w.WriteBoolean(false);
        w.WriteBoolean(true);
        w.WriteFloat(2.5);
        w.WriteStr("ab");
        w.WriteValue(vaLString);
        w.Write("\x01\x02", 2);
        w.WriteListEnd();
    });
    Bytes want = {'T', 'P', 'F', '0', 1, 8, 9, 5, 0, 0, 0, 0, 0, 0, 0, 0xA0, 0x00, 0x40,
                  2, 'a', 'b', 12, 1, 2, 0};
    EXPECT_EQ(b, want);
}

TEST(TWriterTest, FloatsAreWrittenAsTheExtendedConversionGivesThem) {
    const double cases[] = {1.0, -0.375, 1e-300, -1.7976931348623157e308, 2.2250738585072014e-308,
                            4.9e-324, 0.0, -0.0, std::numeric_limits<double>::infinity(),
                            std::numeric_limits<double>::quiet_NaN()};
    for (double v : cases) {
        Bytes b = Written([&](TWriter& w) { w.WriteFloat(v); });
        Bytes want = {5};
        const Bytes e = Ext(v);
        want.insert(want.end(), e.begin(), e.end());
        EXPECT_EQ(b, want) << v;
    }
}

TEST(TWriterTest, StringsAreShortUpTo255BytesThenLong) {
    const std::string s255(255, 'x'), s256(256, '\xE8');
    Bytes b = Written([&](TWriter& w) { w.WriteString(s255); });
    ASSERT_EQ(b.size(), 257u);
    EXPECT_EQ(b[0], 6);
    EXPECT_EQ(b[1], 255);
    b = Written([&](TWriter& w) { w.WriteString(s256); });
    ASSERT_EQ(b.size(), 261u);
    EXPECT_EQ(Bytes(b.begin(), b.begin() + 5), (Bytes{12, 0x00, 0x01, 0x00, 0x00}));
    EXPECT_EQ(b[5], 0xE8);                        // bytes go out untouched
    EXPECT_EQ(Written([](TWriter& w) { w.WriteString(""); }), (Bytes{6, 0}));
    // A raw short string is cut at 255 bytes.
    b = Written([&](TWriter& w) { w.WriteStr(s256); });
    EXPECT_EQ(b.size(), 256u);
    EXPECT_EQ(b[0], 255);
}

TEST(TWriterTest, BufferReachesTheStreamOnFlushAndDestruction) {
    TMemoryStream m;
    {
        TWriter w(m, 64);
        w.WriteInteger(1);
        EXPECT_EQ(m.Size(), 0);
        EXPECT_EQ(w.Position(), 2);
        w.FlushBuffer();
        EXPECT_EQ(m.Size(), 2);
        w.WriteString(std::string(1000, 'q'));    // larger than the buffer
        w.WriteBoolean(true);
        EXPECT_EQ(w.Position(), 2 + 5 + 1000 + 1);
    }
    ASSERT_EQ(m.Size(), 2 + 5 + 1000 + 1);
    m.SetPosition(0);
    TReader r(m, 16);
    EXPECT_EQ(r.ReadInteger(), 1);
    EXPECT_EQ(r.ReadString(), std::string(1000, 'q'));
    EXPECT_TRUE(r.ReadBoolean());
}

// A stream that takes a number of bytes and then fails every write.
class TFullStream : public TMemoryStream {
public:
    explicit TFullStream(int64_t room) : room_(room) {}
    int64_t Write(const void* buffer, int64_t count) override {
        if (Size() + count > room_) throw EWriteError("full");
        return TMemoryStream::Write(buffer, count);
    }

private:
    int64_t room_;
};

TEST(TWriterTest, InTheBackgroundTheSameBytesArriveAndFailuresAreRaised) {
    auto values = [](TWriter& w) {
        for (int i = 0; i < 300; ++i) {
            w.WriteInteger(i * 977 - 150000);
            w.WriteString(std::string(static_cast<size_t>(i), 's'));
            w.WriteFloat(i * 0.25);
            if (i % 50 == 0) w.Write(std::string(5000, 'r').data(), 5000);  // more than a buffer
        }
    };
    const Bytes expected = Written(values);
    for (int bufSize : {16, 100, 4096, 1 << 20}) {
        SCOPED_TRACE(bufSize);
        TMemoryStream m;
        {
            TWriter w(m, bufSize, true);
            values(w);
            EXPECT_EQ(w.Position(), static_cast<int64_t>(expected.size()));
        }
        EXPECT_EQ(Bytes(m.Memory(), m.Memory() + m.Size()), expected);

        TFullStream full(1000);
        TWriter w(full, bufSize, true);
        EXPECT_THROW(
            {
                values(w);
                w.FlushBuffer();
            },
            EWriteError);
    }
}

// ---- 80-bit extended -----------------------------------------------------------------

TEST(ExtendedTest, KnownEncodings) {
    EXPECT_EQ(Ext(2.5), (Bytes{0, 0, 0, 0, 0, 0, 0, 0xA0, 0x00, 0x40}));
    EXPECT_EQ(Ext(1.0), (Bytes{0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}));
    EXPECT_EQ(Ext(-2.5), (Bytes{0, 0, 0, 0, 0, 0, 0, 0xA0, 0x00, 0xC0}));
    EXPECT_EQ(Ext(0.0), Bytes(10, 0));
    EXPECT_EQ(Ext(-0.0), (Bytes{0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x80}));
    EXPECT_EQ(Ext(INFINITY), (Bytes{0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x7F}));
    EXPECT_EQ(Ext(-INFINITY), (Bytes{0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0xFF}));
    // The smallest double denormal, 2^-1074, is a normal extended number.
    EXPECT_EQ(Ext(std::numeric_limits<double>::denorm_min()), ExtOf(uint64_t(1) << 63, 16383 - 1074));
    EXPECT_EQ(Ext(0.1), ExtOf(0xCCCCCCCCCCCCD000ull, 0x3FFB));
}

TEST(ExtendedTest, EveryKindOfDoubleRoundTrips) {
    const double values[] = {1.0, -1.0, 0.1, M_PI, 1e300, -1e-300, 123456789.125,
                             std::numeric_limits<double>::max(),
                             std::numeric_limits<double>::min(),
                             std::numeric_limits<double>::denorm_min(),
                             -std::numeric_limits<double>::denorm_min() * 12345,
                             INFINITY, -INFINITY};
    for (double v : values) EXPECT_EQ(FromExt(Ext(v)), v) << v;
    EXPECT_TRUE(std::signbit(FromExt(Ext(-0.0))));
    EXPECT_EQ(FromExt(Ext(-0.0)), 0.0);
    EXPECT_TRUE(std::isnan(FromExt(Ext(std::nan("")))));
    const Bytes nan = Ext(std::nan(""));
    EXPECT_EQ(nan[9] & 0x7F, 0x7F);
    EXPECT_EQ(nan[8], 0xFF);
}

TEST(ExtendedTest, WiderValuesRoundToNearestEvenAndSaturate) {
    const uint64_t one = uint64_t(1) << 63;
    // 1 + 2^-53 lies half way between 1 and the next double: ties go to even (1).
    EXPECT_EQ(FromExt(ExtOf(one | (1u << 10), 0x3FFF)), 1.0);
    // A bit more than half rounds up.
    EXPECT_EQ(FromExt(ExtOf(one | (1u << 10) | 1, 0x3FFF)), 1.0 + std::ldexp(1.0, -52));
    // Half way from an odd last bit rounds up to even.
    EXPECT_EQ(FromExt(ExtOf(one | (3u << 10), 0x3FFF)), 1.0 + 2 * std::ldexp(1.0, -52));
    // Beyond the double range: infinity of the right sign.
    EXPECT_EQ(FromExt(ExtOf(one, 0x3FFF + 1024)), INFINITY);
    EXPECT_EQ(FromExt(ExtOf(one, 0x8000 | (0x3FFF + 5000))), -INFINITY);
    EXPECT_EQ(FromExt(ExtOf(~uint64_t(0), 0x3FFF + 1023)), INFINITY);   // rounds over max
    EXPECT_EQ(FromExt(ExtOf(~uint64_t(0), 0x8000 | 0x3FFF)), -2.0);      // carries to the next power
    EXPECT_EQ(FromExt(ExtOf(~uint64_t(0), 0x3FFF - 1023)), std::numeric_limits<double>::min());
    // Below the range: denormals rounded once, then zero.
    EXPECT_EQ(FromExt(ExtOf(one, 0x3FFF - 1074)), std::numeric_limits<double>::denorm_min());
    EXPECT_EQ(FromExt(ExtOf(one | 1, 0x3FFF - 1075)), std::numeric_limits<double>::denorm_min());
    EXPECT_EQ(FromExt(ExtOf(one, 0x3FFF - 1075)), 0.0);                 // exactly half: even
    EXPECT_EQ(FromExt(ExtOf(3ull << 62, 0x3FFF - 1074)), 2 * std::numeric_limits<double>::denorm_min());
    EXPECT_EQ(FromExt(ExtOf(one, 1)), 0.0);
    EXPECT_TRUE(std::signbit(FromExt(ExtOf(one, 0x8001))));
    EXPECT_EQ(FromExt(ExtOf(12345, 0)), 0.0);                            // extended denormal
    EXPECT_TRUE(std::isnan(FromExt(ExtOf(one | 1, 0x7FFF))));
}

// ---- reader ---------------------------------------------------------------------------

TEST(TReaderTest, ReadsBackEveryTag) {
    const std::string long1250 = Cz("dlouhý text ") + std::string(300, '\x9A');
    Bytes b = Written([&](TWriter& w) {
        w.WriteSignature();
        w.WriteListBegin();
        w.WriteInteger(-5);
        w.WriteInteger(1000);
        w.WriteInteger(-100000);
        w.WriteFloat(-0.375);
        w.WriteInteger(7);                         // read back as a float
        w.WriteString(Cz("žluťoučký"));
        w.WriteString(long1250);
        w.WriteBoolean(true);
        w.WriteBoolean(false);
        w.WriteStr("raw");
        w.WriteListBegin();
        w.WriteListEnd();
        w.WriteListEnd();
    });
    TMemoryStream m = StreamOf(b);
    TReader r(m, 32);
    r.ReadSignature();
    EXPECT_EQ(r.NextValue(), vaList);
    r.ReadListBegin();
    EXPECT_FALSE(r.EndOfList());
    EXPECT_EQ(r.ReadInteger(), -5);
    EXPECT_EQ(r.NextValue(), vaInt16);
    EXPECT_EQ(r.ReadInteger(), 1000);
    EXPECT_EQ(r.ReadInteger(), -100000);
    EXPECT_EQ(r.ReadFloat(), -0.375);
    EXPECT_EQ(r.ReadFloat(), 7.0);
    EXPECT_EQ(r.ReadString(), Cz("žluťoučký"));
    EXPECT_EQ(r.NextValue(), vaLString);
    EXPECT_EQ(r.ReadString(), long1250);
    EXPECT_TRUE(r.ReadBoolean());
    EXPECT_FALSE(r.ReadBoolean());
    EXPECT_EQ(r.ReadStr(), "raw");
    EXPECT_EQ(r.ReadValue(), vaList);
    EXPECT_TRUE(r.EndOfList());
    r.ReadListEnd();
    r.ReadListEnd();
    EXPECT_EQ(r.Position(), static_cast<int64_t>(b.size()));
    EXPECT_THROW(r.NextValue(), EReadError);
}

TEST(TReaderTest, WrongTagsRaiseReadError) {
    auto reading = [](Bytes b, const std::function<void(TReader&)>& f) {
        TMemoryStream m = StreamOf(b);
        TReader r(m);
        f(r);
    };
    EXPECT_THROW(reading({6, 0}, [](TReader& r) { r.ReadInteger(); }), EReadError);
    EXPECT_THROW(reading({2, 0}, [](TReader& r) { r.ReadString(); }), EReadError);
    EXPECT_THROW(reading({2, 1}, [](TReader& r) { r.ReadBoolean(); }), EReadError);
    EXPECT_THROW(reading({6, 0}, [](TReader& r) { r.ReadFloat(); }), EReadError);
    EXPECT_THROW(reading({0}, [](TReader& r) { r.ReadListBegin(); }), EReadError);
    EXPECT_THROW(reading({1}, [](TReader& r) { r.ReadListEnd(); }), EReadError);
    EXPECT_THROW(reading({'T', 'P', 'F', '1'}, [](TReader& r) { r.ReadSignature(); }), EReadError);
    EXPECT_THROW(reading({'T', 'P'}, [](TReader& r) { r.ReadSignature(); }), EReadError);
    EXPECT_THROW(reading({}, [](TReader& r) { r.ReadValue(); }), EReadError);
    EXPECT_THROW(reading({7, 1, 'a'}, [](TReader& r) { r.SkipValue(); }), EReadError);
    EXPECT_THROW(reading({1, 2, 0, 99, 0}, [](TReader& r) { r.SkipValue(); }), EReadError);
}

TEST(TReaderTest, EveryTruncationRaisesReadError) {
    const Bytes full = Written([](TWriter& w) {
        w.WriteListBegin();
        w.WriteInteger(100000);
        w.WriteInteger(-300);
        w.WriteFloat(1.5);
        w.WriteString("abc");
        w.WriteString(std::string(400, 'z'));
        w.WriteStr("xy");
        w.WriteBoolean(true);
        w.WriteListEnd();
    });
    auto readAll = [](TReader& r) {
        r.ReadListBegin();
        r.ReadInteger();
        r.ReadInteger();
        r.ReadFloat();
        r.ReadString();
        r.ReadString();
        r.ReadStr();
        r.ReadBoolean();
        r.ReadListEnd();
    };
    for (size_t n = 0; n < full.size(); ++n) {
        Bytes part(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n));
        {
            TMemoryStream m = StreamOf(part);
            TReader r(m, 16);
            EXPECT_THROW(readAll(r), EReadError) << "length " << n;
        }
        {
            TMemoryStream m = StreamOf(part);
            TReader r(m, 16);
            EXPECT_THROW(r.SkipValue(), EReadError) << "length " << n;
        }
    }
    TMemoryStream m = StreamOf(full);
    TReader r(m);
    readAll(r);
}

TEST(TReaderTest, LyingLengthsRaiseReadErrorBeforeAllocating) {
    // Long strings claiming 2 GiB, a negative length, and just one byte more than there is.
    for (const Bytes& b : {Bytes{12, 0xFF, 0xFF, 0xFF, 0x7F, 'a'}, Bytes{12, 0xFF, 0xFF, 0xFF, 0xFF},
                           Bytes{12, 4, 0, 0, 0, 'a', 'b', 'c'}, Bytes{6, 200, 'a'}}) {
        TMemoryStream m = StreamOf(b);
        TReader r(m);
        EXPECT_THROW(r.ReadString(), EReadError);
        m.SetPosition(0);
        TReader s(m);
        EXPECT_THROW(s.SkipValue(), EReadError);
    }
    TMemoryStream m = StreamOf({5, 'a'});
    TReader r(m);
    EXPECT_THROW(r.ReadStr(), EReadError);
}

TEST(TReaderTest, SkipValueSkipsWholeListsOfAnyDepth) {
    Bytes b = Written([](TWriter& w) {
        w.WriteListBegin();
        w.WriteInteger(1);
        w.WriteListBegin();
        w.WriteFloat(3.0);
        w.WriteString(std::string(5000, 's'));
        w.WriteBoolean(false);
        w.WriteListEnd();
        w.WriteInteger(70000);
        w.WriteListEnd();
        w.WriteString("after");
    });
    TMemoryStream m = StreamOf(b);
    TReader r(m, 16);
    r.SkipValue();
    EXPECT_EQ(r.ReadString(), "after");

    // Deep nesting neither overflows the stack nor passes an unclosed list.
    Bytes deep(200000, vaList);
    deep.insert(deep.end(), 200000, vaNull);
    deep.push_back(vaTrue);
    TMemoryStream d = StreamOf(deep);
    TReader rd(d);
    rd.SkipValue();
    EXPECT_TRUE(rd.ReadBoolean());
    deep.resize(399999);
    TMemoryStream u = StreamOf(deep);
    TReader ru(u);
    EXPECT_THROW(ru.SkipValue(), EReadError);
}

TEST(TReaderTest, FreeingTheReaderLeavesTheStreamAfterTheLastValue) {
    TMemoryStream m = StreamOf({2, 1, 2, 2, 2, 3});
    {
        TReader r(m);
        EXPECT_EQ(r.ReadInteger(), 1);
        EXPECT_EQ(r.Position(), 2);
    }
    EXPECT_EQ(m.Position(), 2);
    TReader r(m);
    EXPECT_EQ(r.ReadInteger(), 2);
}

// ---- streams ---------------------------------------------------------------------------

TEST(TMemoryStreamTest, ReadWriteSeekAndSize) {
    TMemoryStream m;
    m.WriteBuffer("hello", 5);
    EXPECT_EQ(m.Position(), 5);
    m.Seek(2, soEnd);                           // past the end: the gap is zero-filled
    m.WriteBuffer("!", 1);
    ASSERT_EQ(m.Size(), 8);
    EXPECT_EQ(std::memcmp(m.Memory(), "hello\0\0!", 8), 0);
    m.SetPosition(1);
    char buf[16];
    EXPECT_EQ(m.Read(buf, 16), 7);
    EXPECT_EQ(m.Read(buf, 1), 0);
    m.SetPosition(6);
    EXPECT_THROW(m.ReadBuffer(buf, 3), EReadError);
    EXPECT_THROW(m.Seek(-1, soBeginning), EStreamError);
    m.SetSize(3);
    EXPECT_EQ(m.Position(), 3);
    m.Clear();
    EXPECT_EQ(m.Size(), 0);
    EXPECT_EQ(m.Position(), 0);

    TMemoryStream a, b;
    a.WriteBuffer("0123456789", 10);
    a.SetPosition(7);
    EXPECT_EQ(b.CopyFrom(a, 0), 10);            // 0: the whole source
    a.SetPosition(2);
    EXPECT_EQ(b.CopyFrom(a, 3), 3);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.Memory()), 13), "0123456789234");
    EXPECT_THROW(b.CopyFrom(a, 100), EReadError);
    const int64_t before = b.Size();
    a.SetPosition(1);
    try {
        b.CopyFrom(a, -1);
        ADD_FAILURE() << "copied";
    } catch (const EStreamError& e) {
        EXPECT_EQ(e.Message(), "negative count");
    }
    EXPECT_EQ(b.Size(), before);
    EXPECT_EQ(a.Position(), 1);
}

TEST(TMemoryStreamTest, PositionsPastTheLimitRaise) {
    TMemoryStream m;
    m.WriteBuffer("abc", 3);
    struct Case { int64_t start, offset; TSeekOrigin origin; };
    const Case seeks[] = {{0, INT64_MAX, soEnd}, {1, INT64_MAX, soCurrent}, {2, INT64_MIN, soCurrent}, {0, INT64_MIN, soEnd}};
    for (const Case& c : seeks) {
        m.SetPosition(c.start);
        EXPECT_THROW(m.Seek(c.offset, c.origin), EStreamError) << c.offset;
        EXPECT_EQ(m.Position(), c.start);
    }
    m.Seek(INT64_MAX, soBeginning);
    EXPECT_THROW(m.Write("x", 1), EStreamError);
    m.Seek(INT64_MAX - 1, soBeginning);
    EXPECT_THROW(m.Write("xy", 2), EStreamError);
    EXPECT_EQ(m.Size(), 3);
}

TEST_F(StreamsTempDir, FileStreamsOpenCreateAndFail) {
    const std::string path = dir_ + "data.bin";
    {
        TFileStream f(path, fmCreate);
        f.WriteBuffer("abcdef", 6);
        EXPECT_EQ(f.Size(), 6);
    }
    {
        TFileStream f(path, fmOpenRead | fmShareDenyWrite);
        EXPECT_EQ(f.FileName(), path);
        char buf[4];
        f.Seek(-4, soEnd);
        f.ReadBuffer(buf, 4);
        EXPECT_EQ(std::string(buf, 4), "cdef");
        EXPECT_EQ(f.Write("x", 1), 0);          // read-only
        EXPECT_THROW(f.WriteBuffer("x", 1), EWriteError);
        EXPECT_THROW(f.ReadBuffer(buf, 1), EReadError);
    }
    {
        TFileStream f(path, fmOpenReadWrite | fmShareExclusive);
        f.SetPosition(1);
        f.WriteBuffer("B", 1);
        f.SetSize(3);
        EXPECT_EQ(f.Size(), 3);
    }
    TMemoryStream m;
    m.LoadFromFile(path);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(m.Memory()), 3), "aBc");
    m.Seek(0, soEnd);
    m.WriteBuffer("\r\n", 2);
    m.SaveToFile(path);
    EXPECT_EQ(ReadFile(path), "aBc\r\n");

    const std::string missing = dir_ + "missing.bin";
    try {
        TFileStream f(missing, fmOpenRead);
        FAIL() << "opened";
    } catch (const EFOpenError& e) {
        EXPECT_NE(e.Message().find(missing), std::string::npos);
    }
    EXPECT_THROW(TFileStream(dir_, fmOpenRead), EFOpenError);
    std::string win = dir_ + "DATA.BIN";       // Windows form, other letter case
    for (char& c : win)
        if (c == '/') c = '\\';
    EXPECT_EQ(TFileStream(win, fmOpenRead).Size(), 5);
    EXPECT_THROW(TFileStream(dir_ + "no/such.bin", fmCreate), EFCreateError);
    EXPECT_THROW(m.LoadFromFile(missing), EFOpenError);
}

TEST_F(StreamsTempDir, ReaderOverAFileStreamChecksLengthsAgainstTheFile) {
    const std::string path = dir_ + "model.bin";
    {
        TFileStream f(path, fmCreate);
        TWriter w(f, 16);
        w.WriteSignature();
        w.WriteString(std::string(1000, 'L'));
        w.WriteValue(vaLString);
        const unsigned char lie[4] = {0x00, 0x00, 0x00, 0x40};   // 1 GiB
        w.Write(lie, 4);
        w.Write("tail", 4);
    }
    TFileStream f(path, fmOpenRead);
    TReader r(f, 16);
    r.ReadSignature();
    EXPECT_EQ(r.ReadString(), std::string(1000, 'L'));
    EXPECT_THROW(r.ReadString(), EReadError);
}

TEST_F(StreamsTempDir, ReaderOverAFileStreamKnowsItsPositionAcrossRefillsSkipsAndGrowth) {
    const std::string path = dir_ + "values.bin";
    {
        TFileStream f(path, fmCreate);
        TWriter w(f, 16);
        w.Write("head", 4);
        w.WriteInteger(1000);                   // 3 bytes, ends at 7
        w.WriteString(std::string(40, 'S'));    // 42 bytes, ends at 49
        w.WriteString(std::string(30, 'K'));    // skipped, ends at 81
        w.WriteInteger(7);                      // ends at 83
    }
    TFileStream f(path, fmOpenRead);
    f.Seek(4, soBeginning);
    {
        TReader r(f, 16);
        EXPECT_EQ(r.Position(), 4);
        EXPECT_EQ(r.ReadInteger(), 1000);
        EXPECT_EQ(r.Position(), 7);
        EXPECT_EQ(r.ReadString(), std::string(40, 'S'));
        EXPECT_EQ(r.Position(), 49);
        r.SkipValue();
        EXPECT_EQ(r.Position(), 81);
        EXPECT_EQ(r.ReadInteger(), 7);
        EXPECT_EQ(r.Position(), 83);
        // The file grows while it is read: a string written meanwhile is read whole.
        {
            TFileStream g(path, fmOpenReadWrite);
            g.Seek(0, soEnd);
            TWriter w(g, 16);
            w.WriteString(std::string(50, 'G'));
        }
        EXPECT_EQ(r.ReadString(), std::string(50, 'G'));
        EXPECT_EQ(r.Position(), 135);
        EXPECT_THROW(r.ReadInteger(), EReadError);
    }
}

TEST(TReaderTest, AMemoryStreamIsReadFromItsPositionAndLeftAfterTheLastValue) {
    // start position, values read, position of the stream afterwards (-1: the read fails)
    struct Case { int64_t start; int reads; int64_t after; };
    const Case cases[] = {{0, 3, 6}, {2, 2, 6}, {4, 1, 6}, {2, 0, 2}, {6, 1, -1}, {9, 1, -1}, {9, 0, 9}};
    for (const Case& c : cases) {
        TMemoryStream m = StreamOf({2, 1, 2, 2, 2, 3});
        m.SetPosition(c.start);
        {
            TReader r(m);
            if (c.after < 0) {
                EXPECT_THROW(r.ReadInteger(), EReadError) << c.start;
                continue;
            }
            for (int i = 0; i < c.reads; ++i) EXPECT_EQ(r.ReadInteger(), c.start / 2 + 1 + i) << c.start;
            EXPECT_EQ(r.Position(), c.after);
        }
        EXPECT_EQ(m.Position(), c.after) << c.start;
    }
}

TEST(TMemoryStreamTest, GrowingAgainReadsZeroWhereBytesWereCut) {
    TMemoryStream m;
    m.WriteBuffer("abcdef", 6);
    m.SetSize(2);
    m.SetSize(4);
    EXPECT_EQ(std::memcmp(m.Memory(), "ab\0\0", 4), 0);
    m.SetSize(1);
    m.Seek(2, soEnd);
    m.WriteBuffer("z", 1);
    EXPECT_EQ(std::memcmp(m.Memory(), "a\0\0z", 4), 0);
}

TEST_F(StreamsTempDir, LoadFromFileTakesTheWholeFile) {
    for (size_t size : {size_t(0), size_t(1), size_t(65536), size_t(200000)}) {
        std::string bytes(size, '\0');
        for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7);
        const std::string path = dir_ + "f" + std::to_string(size);
        {
            TFileStream f(path, fmCreate);
            f.WriteBuffer(bytes.data(), static_cast<int64_t>(size));
        }
        TMemoryStream m;
        m.LoadFromFile(path);
        ASSERT_EQ(m.Size(), static_cast<int64_t>(size));
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(m.Memory()), size), bytes);
        EXPECT_EQ(m.Position(), 0);
    }
    TMemoryStream m;
    EXPECT_THROW(m.LoadFromFile(dir_ + "missing"), EFOpenError);
    EXPECT_THROW(m.LoadFromFile(dir_), EFOpenError);
}
