// Ini files with the behaviour of Windows profile files.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/classes.h"
#include "platform/sysutils.h"

SUITE_EXCEPTION(EIniFileException, Exception)   // the file could not be written

// Every call reads the file afresh; every write that changes it rewrites it at once (a
// temporary file beside it renamed over it; see BeginUpdate), keeping the lines it does not
// change byte for byte.
// - "[name]" lines open sections; "key=value" lines inside them are keys; lines starting
//   with ";" and all other lines are kept and otherwise ignored.
// - Section and key names ignore letter case (Windows-1250 table) and surrounding blanks;
//   the first section and the first key of a name count.
// - Values are trimmed and lose one pair of matching outer quotes (" or ').
// - A missing file or key gives the default; an empty value is a value.
// - A new key goes after the last non-blank line of its section, a new section at the
//   end of the file. Lines are written with CR LF; CR LF, LF and CR are read.
// - A value is written up to its first line break, so it cannot add lines. A key that would
//   not read back (IniKeyReadsBack), or a section name with a line break or "]", is
//   refused with EIniFileException and the file is left alone.
// - EIniFileException "Unable to write to <file>" when the file cannot be written, or when
//   it exists but cannot be read (reads then give the defaults; the file is left alone).
// Whether a key of that name, once written, reads back: something besides blanks and
// control characters, no line break or "=", not beginning with "[" or ";".
bool IniKeyReadsBack(std::string_view ident);
// Whether a section of that name reads back: no line break or "]".
bool IniSectionReadsBack(std::string_view section);

class TIniFile {
public:
    explicit TIniFile(std::string fileName) : fileName_(std::move(fileName)) {}
    virtual ~TIniFile() = default;

    const std::string& FileName() const { return fileName_; }

    std::string ReadString(std::string_view section, std::string_view ident,
                           std::string_view def) const;
    void WriteString(std::string_view section, std::string_view ident, std::string_view value);
    // The value as an integer (decimal, "$" or "0x" hex); def when missing or not a number.
    int32_t ReadInteger(std::string_view section, std::string_view ident, int32_t def) const;
    void WriteInteger(std::string_view section, std::string_view ident, int32_t value);
    // An integer value other than 0 is true.
    bool ReadBool(std::string_view section, std::string_view ident, bool def) const;
    void WriteBool(std::string_view section, std::string_view ident, bool value);   // "1"/"0"

    // These clear the list first.
    void ReadSection(std::string_view section, TStringList& keys) const;   // file order
    void ReadSections(TStringList& sections) const;                        // each name once
    // "name=value" per key in file order; a repeated key gives its first value once,
    // a key with an empty value gives no line.
    void ReadSectionValues(std::string_view section, TStringList& lines) const;

    bool SectionExists(std::string_view section) const;
    bool ValueExists(std::string_view section, std::string_view ident) const;
    void EraseSection(std::string_view section);      // every section of that name
    void DeleteKey(std::string_view section, std::string_view ident);
    // From BeginUpdate on, writes change the lines in memory (reads see them) and the
    // matching UpdateFile writes the file once, when its lines changed; a failure raises
    // there. Pairs nest; held changes that no UpdateFile wrote are dropped.
    void BeginUpdate();
    void UpdateFile();

protected:
    // EIniFileException for a section name that a write refuses.
    void CheckSectionName(std::string_view section) const;

private:
    std::vector<std::string> Current() const;   // the lines a read sees
    std::vector<std::string> ToChange() const;  // the lines a write starts from
    void Store(const std::vector<std::string>& lines);

    std::string fileName_;
    int held_ = 0;  // open BeginUpdate calls
    std::vector<std::string> heldLines_, loadedLines_;
};
