// The component stream reader on any bytes: it raises only EReadError, never reads past
// the data, and the values it read, written again and read back, are the same values
// in the same structure; skipping whole values ends where reading them does.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "platform/classes.h"

namespace {

struct Value {
    TValueType tag;  // vaList and vaNull for the list marks; vaInt32 for every integer
    int32_t integer = 0;
    double number = 0;
    std::string text;
    bool operator==(const Value& o) const {
        if (tag != o.tag || integer != o.integer || text != o.text) return false;
        return std::memcmp(&number, &o.number, sizeof number) == 0 || (std::isnan(number) && std::isnan(o.number));
    }
};

// Values up to the first failure; the count of values that ended a whole top-level item.
std::vector<Value> ReadAll(TMemoryStream& stream, size_t& wholeItems, int64_t& endOfWhole) {
    std::vector<Value> values;
    wholeItems = 0;
    endOfWhole = 0;
    TReader reader(stream, 64);
    int depth = 0;
    try {
        for (int i = 0; i < 4096; ++i) {
            Value v{reader.NextValue()};
            switch (v.tag) {
            case vaList: reader.ReadListBegin(); ++depth; break;
            case vaNull:
                if (depth == 0) return values;
                reader.ReadListEnd();
                --depth;
                break;
            case vaInt8: case vaInt16: case vaInt32: v.tag = vaInt32; v.integer = reader.ReadInteger(); break;
            case vaExtended: v.number = reader.ReadFloat(); break;
            case vaString: case vaLString: v.tag = vaString; v.text = reader.ReadString(); break;
            case vaFalse: case vaTrue: v.integer = reader.ReadBoolean(); break;
            default: reader.ReadValue(); return values;  // raises
            }
            FUZZ_CHECK(reader.Position() <= stream.Size());
            values.push_back(v);
            if (depth == 0) {
                wholeItems = values.size();
                endOfWhole = reader.Position();
            }
        }
    } catch (const EReadError&) {
    }
    return values;
}

void WriteAll(const std::vector<Value>& values, TStream& stream) {
    TWriter writer(stream, 64);
    for (const Value& v : values) {
        switch (v.tag) {
        case vaList: writer.WriteListBegin(); break;
        case vaNull: writer.WriteListEnd(); break;
        case vaInt32: writer.WriteInteger(v.integer); break;
        case vaExtended: writer.WriteFloat(v.number); break;
        case vaString: writer.WriteString(v.text); break;
        default: writer.WriteBoolean(v.integer != 0); break;
        }
    }
    writer.FlushBuffer();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TMemoryStream in;
    in.WriteBuffer(data, static_cast<int64_t>(size));
    in.SetPosition(0);
    size_t whole;
    int64_t endOfWhole;
    std::vector<Value> values = ReadAll(in, whole, endOfWhole);
    values.resize(whole);  // a list cut short is not written again

    TMemoryStream again;
    WriteAll(values, again);
    again.SetPosition(0);
    size_t wholeAgain;
    int64_t end;
    FUZZ_CHECK(ReadAll(again, wholeAgain, end) == values);
    FUZZ_CHECK(wholeAgain == values.size() && end == again.Size());

    // Skipping the same whole items stops at the same place.
    in.SetPosition(0);
    {
        TReader reader(in, 64);
        int64_t last = 0;
        try {
            while (reader.Position() < endOfWhole) {
                reader.SkipValue();
                FUZZ_CHECK(reader.Position() > last && reader.Position() <= static_cast<int64_t>(size));
                last = reader.Position();
            }
            FUZZ_CHECK(last == endOfWhole);
            // Signatures and raw strings never read past the data either.
            if (reader.Position() < static_cast<int64_t>(size)) (void)reader.ReadStr();
            FUZZ_CHECK(reader.Position() <= static_cast<int64_t>(size));
            reader.ReadSignature();
        } catch (const EReadError&) {
        }
    }
    return 0;
}
