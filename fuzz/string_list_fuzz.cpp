// String-list files: lines saved and loaded again are the same lines, through a file and
// through a stream; any file loaded, saved and loaded again gives the same lines; a list
// element's named items written with IntoFile and read with AddFile are the same items.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "fuzz_support.h"
#include "kernel/kernel.h"
#include "kernel/value_elements.h"
#include "platform/classes.h"

namespace {

std::string gPath;

bool SameLines(const TStringList& a, const TStringList& b) {
    if (a.Count() != b.Count()) return false;
    for (int i = 0; i < a.Count(); ++i)
        if (a[i] != b[i]) return false;
    return true;
}

void CheckFileRoundTrip(const TStringList& lines) {
    lines.SaveToFile(gPath);
    TStringList back;
    back.LoadFromFile(gPath);
    FUZZ_CHECK(SameLines(lines, back));
    TMemoryStream stream;
    lines.SaveToStream(stream);
    stream.SetPosition(0);
    TStringList fromStream;
    fromStream.LoadFromStream(stream);
    FUZZ_CHECK(SameLines(lines, fromStream));
}

std::string WithoutLineBreaks(std::string s) {
    for (char& c : s)
        if (c == '\r' || c == '\n') c = ' ';
    return s;
}

bool IsBlank(char c) { return c == ' ' || c == '\0'; }

// A name that a "name=value" line gives back: not empty, no "=", no blank at either end.
bool ReadableName(const std::string& s) {
    return !s.empty() && s.find('=') == std::string::npos && !IsBlank(s.front()) && !IsBlank(s.back());
}

bool ReadableValue(const std::string& s) { return s.empty() || (!IsBlank(s.front()) && !IsBlank(s.back())); }

void CheckElementRoundTrip(FuzzedDataProvider& in) {
    std::vector<std::pair<std::string, std::string>> items;
    TStringListElement* list = TStringListElement::New();
    while (in.remaining_bytes() > 0 && items.size() < 32) {
        std::string name = WithoutLineBreaks(in.ConsumeRandomLengthString(40));
        std::string value = WithoutLineBreaks(in.ConsumeRandomLengthString(40));
        if (!ReadableName(name) || !ReadableValue(value)) continue;
        list->AddNameString(name, value);
        items.emplace_back(name, value);
    }
    list->IntoFile(gPath);
    TStringListElement* back = TStringListElement::New();
    back->AddFile(gPath);
    FUZZ_CHECK(back->ElementsCount() == static_cast<int32_t>(items.size()));
    for (size_t i = 0; i < items.size(); ++i) {
        FUZZ_CHECK(back->GetNameAtIndex(static_cast<int32_t>(i)) == items[i].first);
        FUZZ_CHECK(back->GetString(static_cast<int32_t>(i)) == items[i].second);
    }
    Free(back);
    Free(list);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool ready = (RegisterKernelClasses(), gPath = fuzz::ScratchPath("string-list.txt"), true);
    (void)ready;
    FuzzedDataProvider in(data, size);

    // The input as a file of its own.
    const std::string file = in.ConsumeRandomLengthString(4096);
    fuzz::WriteBytes(gPath, file);
    TStringList loaded;
    loaded.LoadFromFile(gPath);
    CheckFileRoundTrip(loaded);

    // Lines of any bytes but line breaks.
    TStringList lines;
    for (int i = 0; i < 16 && in.remaining_bytes() > 0; ++i)
        lines.Add(WithoutLineBreaks(in.ConsumeRandomLengthString(64)));
    CheckFileRoundTrip(lines);

    CheckElementRoundTrip(in);
    return 0;
}
