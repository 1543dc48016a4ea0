// Line readers of the configuration text files.
// TCteniParametru reads parameter files: comment lines (";"), section lines ("[NAME]",
// "[NAME[index]]") and name=value lines. TCtiDefInfa reads definition files byte by
// byte from a settable position; CR and CR LF end its lines, a lone LF does not.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

class TFileStream;

class TCteniParametru {
public:
    // Opens the file read-only. ok: it opened and is not empty; the first line is then
    // read ahead. An empty file name leaves ok False and the error flag set.
    TCteniParametru(const std::string& fileName, bool& ok);
    ~TCteniParametru();
    TCteniParametru(const TCteniParametru&) = delete;
    TCteniParametru& operator=(const TCteniParametru&) = delete;

    // Returns the look-ahead line classified and reads the next one; past the end the last
    // line comes again. isLast: nothing follows the returned line (also when the file is
    // not open). Names and section
    // names come trimmed and upper-cased; values trimmed, at most 250 characters.
    void DejRadek(bool& isParameter, bool& isSection, bool& isLast, std::string& name,
                  std::string& value);

    // The last value (section name or parameter value) converted.
    bool DejBooleanParametr() const;   // first character one of 1 A J T Y (any case)
    int32_t DejLongIntParametr();      // these set the error flag to the scanner's
    double DejRealParametr();
    double DejExtendedParametr();
    bool BylaChybaParametru() const { return chyba_; }

    const std::string& Radek() const { return radek_; }   // the look-ahead line
    const std::string& LastValue() const { return lastValue_; }
    int32_t PocetVolani() const { return pocet_; }        // DejRadek calls so far
    bool Otevreno() const { return file_ != nullptr; }

private:
    bool AtEnd();
    int ReadByte();                   // -1 at the end of the file
    std::string ReadLine();

    std::unique_ptr<TFileStream> file_;
    std::string buf_;
    size_t bufPos_ = 0;
    std::string radek_;
    std::string lastValue_;
    int32_t pocet_ = 0;
    bool chyba_ = false;
};

class TCtiDefInfa {
public:
    // Opens the file read-only, position 0. ok: it opened and is not empty; the first
    // line is then read.
    TCtiDefInfa(const std::string& fileName, bool& ok);
    ~TCtiDefInfa();
    TCtiDefInfa(const TCtiDefInfa&) = delete;
    TCtiDefInfa& operator=(const TCtiDefInfa&) = delete;

    // Reads the line that starts at the position.
    void NactiRadek();
    // The next NactiRadek reads from p.
    void NastavPozici(int64_t p);
    // Returns the current line classified and reads the next one. A "[" line is a key:
    // Klic() is its first word upper-cased and text the rest up to "]"; other lines give
    // at most 255 characters; past the end the last line comes again. isLast: nothing
    // follows (also when the file is not open).
    void DejRadek(bool& isKey, bool& isLast, std::string& text);

    const std::string& FileName() const { return fileName_; }
    const std::string& Radek() const { return radek_; }
    const std::string& Klic() const { return klic_; }
    int64_t Pozice() const { return pozice_; }
    bool Otevreno() const { return file_ != nullptr; }

private:
    bool AtEnd();
    int ByteAt(int64_t pos);          // -1 beyond the end of the file

    std::unique_ptr<TFileStream> file_;
    std::string fileName_;
    int64_t size_ = 0;
    std::string block_;               // bytes cached from blockStart_
    int64_t blockStart_ = 0;
    int64_t pozice_ = 0;
    std::string radek_;
    std::string klic_;
};
