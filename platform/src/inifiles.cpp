// TIniFile: parsing and rewriting profile files line by line.
#include "platform/inifiles.h"

#include <cerrno>
#include <vector>

#include "classes_internal.h"

namespace {

using Lines = std::vector<std::string>;

Lines SplitLines(std::string_view text) {
    Lines lines;
    size_t i = 0;
    while (i < text.size()) {
        size_t start = i;
        while (i < text.size() && text[i] != '\r' && text[i] != '\n') ++i;
        lines.emplace_back(text.substr(start, i - start));
        if (i < text.size() && text[i] == '\r') ++i;
        if (i < text.size() && text[i] == '\n') ++i;
    }
    return lines;
}

[[noreturn]] void WriteError(const std::string& path) {
    throw EIniFileException("Unable to write to " + path);
}

// Empty for a missing or unreadable file.
Lines LoadLines(const std::string& path) {
    std::string bytes;
    if (!platform_internal::TryReadWholeFile(path, bytes)) return {};
    return SplitLines(bytes);
}

// The lines a write starts from: empty only for a missing file. A file that exists but
// cannot be read is not replaced.
Lines LoadLinesToChange(const std::string& path) {
    std::string bytes;
    if (!platform_internal::TryReadWholeFile(path, bytes)) {
        if (errno != ENOENT) WriteError(path);
        return {};
    }
    return SplitLines(bytes);
}

void SaveLines(const std::string& path, const Lines& lines) {
    std::string text;
    for (const std::string& l : lines) {
        text += l;
        text += "\r\n";
    }
    try {
        platform_internal::ReplaceFile(path, text);
    } catch (const Exception&) {
        WriteError(path);
    }
}

bool SectionName(const std::string& line, std::string& name) {
    std::string t = Trim(line);
    if (t.empty() || t[0] != '[') return false;
    size_t close = t.find(']');
    name = Trim(std::string_view(t).substr(1, close == std::string::npos ? std::string::npos : close - 1));
    return true;
}

bool KeyLine(const std::string& line, std::string& key, std::string& value) {
    std::string t = Trim(line);
    if (t.empty() || t[0] == ';' || t[0] == '[') return false;
    size_t eq = t.find('=');
    if (eq == std::string::npos) return false;
    key = Trim(std::string_view(t).substr(0, eq));
    if (key.empty()) return false;
    value = Trim(std::string_view(t).substr(eq + 1));
    return true;
}

std::string Unquote(std::string v) {
    if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0])
        return v.substr(1, v.size() - 2);
    return v;
}

// Lines [first, last) of the first section of that name, the header included;
// false when there is none.
bool FindSection(const Lines& lines, std::string_view section, size_t& first, size_t& last) {
    const std::string want = Trim(section);
    std::string name;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!SectionName(lines[i], name) || !AnsiSameText(name, want)) continue;
        first = i;
        last = i + 1;
        while (last < lines.size() && !SectionName(lines[last], name)) ++last;
        return true;
    }
    return false;
}

// Index of the first line of the key inside the section, or npos.
size_t FindKey(const Lines& lines, size_t first, size_t last, std::string_view ident,
               std::string* value = nullptr, std::string* spelling = nullptr) {
    const std::string want = Trim(ident);
    std::string key, v;
    for (size_t i = first + 1; i < last; ++i) {
        if (KeyLine(lines[i], key, v) && AnsiSameText(key, want)) {
            if (value) *value = Unquote(v);
            if (spelling) *spelling = key;
            return i;
        }
    }
    return std::string::npos;
}

// The value up to its first line break.
std::string_view OneLine(std::string_view v) {
    size_t br = v.find_first_of("\r\n");
    return br == std::string_view::npos ? v : v.substr(0, br);
}

bool NoLineBreak(std::string_view s) { return s.find_first_of("\r\n") == std::string_view::npos; }

// A section name is read back up to its first "]".
bool SectionReadsBack(std::string_view section) {
    return NoLineBreak(section) && section.find(']') == std::string_view::npos;
}

}  // namespace

bool IniSectionReadsBack(std::string_view section) { return SectionReadsBack(section); }

bool IniKeyReadsBack(std::string_view ident) {
    const std::string t = Trim(ident);
    return !t.empty() && t[0] != '[' && t[0] != ';' && t.find('=') == std::string::npos && NoLineBreak(ident);
}

std::string TIniFile::ReadString(std::string_view section, std::string_view ident,
                                 std::string_view def) const {
    const Lines lines = Current();
    size_t first, last;
    std::string value;
    if (FindSection(lines, section, first, last) &&
        FindKey(lines, first, last, ident, &value) != std::string::npos)
        return value;
    return std::string(def);
}

void TIniFile::WriteString(std::string_view section, std::string_view ident,
                           std::string_view value) {
    if (!IniKeyReadsBack(ident) || !SectionReadsBack(section)) WriteError(fileName_);
    Lines lines = ToChange();
    const std::string v(OneLine(value));
    size_t first, last;
    if (!FindSection(lines, section, first, last)) {
        lines.push_back("[" + std::string(section) + "]");
        lines.push_back(std::string(ident) + "=" + v);
    } else {
        std::string spelling;
        size_t at = FindKey(lines, first, last, ident, nullptr, &spelling);
        if (at != std::string::npos) {
            if (lines[at] == spelling + "=" + v) return;  // the file holds it already
            lines[at] = spelling + "=" + v;
        } else {
            size_t after = last;
            while (after > first + 1 && Trim(lines[after - 1]).empty()) --after;
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(after), std::string(ident) + "=" + v);
        }
    }
    Store(lines);
}

int32_t TIniFile::ReadInteger(std::string_view section, std::string_view ident, int32_t def) const {
    return StrToIntDef(ReadString(section, ident, ""), def);
}

void TIniFile::WriteInteger(std::string_view section, std::string_view ident, int32_t value) {
    WriteString(section, ident, IntToStr(value));
}

bool TIniFile::ReadBool(std::string_view section, std::string_view ident, bool def) const {
    return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

void TIniFile::WriteBool(std::string_view section, std::string_view ident, bool value) {
    WriteString(section, ident, value ? "1" : "0");
}

void TIniFile::ReadSection(std::string_view section, TStringList& keys) const {
    keys.Clear();
    const Lines lines = Current();
    size_t first, last;
    if (!FindSection(lines, section, first, last)) return;
    std::string key, value;
    for (size_t i = first + 1; i < last; ++i)
        if (KeyLine(lines[i], key, value)) keys.Add(key);
}

void TIniFile::ReadSections(TStringList& sections) const {
    sections.Clear();
    std::string name;
    for (const std::string& l : Current())
        if (SectionName(l, name) && sections.IndexOf(name) < 0) sections.Add(name);
}

void TIniFile::ReadSectionValues(std::string_view section, TStringList& out) const {
    out.Clear();
    const Lines lines = Current();
    size_t first, last;
    if (!FindSection(lines, section, first, last)) return;
    std::string key, value;
    for (size_t i = first + 1; i < last; ++i) {
        if (!KeyLine(lines[i], key, value) || out.IndexOfName(key) >= 0) continue;
        std::string v;
        FindKey(lines, first, last, key, &v);
        if (!v.empty()) out.Add(key + "=" + v);
    }
}

bool TIniFile::SectionExists(std::string_view section) const {
    const Lines lines = Current();
    size_t first, last;
    return FindSection(lines, section, first, last);
}

bool TIniFile::ValueExists(std::string_view section, std::string_view ident) const {
    const Lines lines = Current();
    size_t first, last;
    return FindSection(lines, section, first, last) &&
           FindKey(lines, first, last, ident) != std::string::npos;
}

void TIniFile::EraseSection(std::string_view section) {
    Lines lines = ToChange();
    bool changed = false;
    size_t first, last;
    while (FindSection(lines, section, first, last)) {
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(first),
                    lines.begin() + static_cast<std::ptrdiff_t>(last));
        changed = true;
    }
    if (changed) Store(lines);
}

void TIniFile::DeleteKey(std::string_view section, std::string_view ident) {
    Lines lines = ToChange();
    size_t first, last;
    if (!FindSection(lines, section, first, last)) return;
    bool changed = false;
    for (size_t at; (at = FindKey(lines, first, last, ident)) != std::string::npos; --last) {
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(at));
        changed = true;
    }
    if (changed) Store(lines);
}

Lines TIniFile::Current() const { return held_ ? heldLines_ : LoadLines(fileName_); }

Lines TIniFile::ToChange() const { return held_ ? heldLines_ : LoadLinesToChange(fileName_); }

void TIniFile::Store(const Lines& lines) {
    if (held_) heldLines_ = lines;
    else SaveLines(fileName_, lines);
}

void TIniFile::BeginUpdate() {
    if (held_ == 0) {
        loadedLines_ = LoadLinesToChange(fileName_);
        heldLines_ = loadedLines_;
    }
    ++held_;
}

void TIniFile::UpdateFile() {
    if (held_ == 0 || --held_ > 0) return;
    Lines lines = std::move(heldLines_);
    heldLines_.clear();
    if (lines != loadedLines_) SaveLines(fileName_, lines);
    loadedLines_.clear();
}
