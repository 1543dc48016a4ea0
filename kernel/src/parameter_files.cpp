#include "kernel/parameter_files.h"

#include "kernel/line_reader.h"
#include "kernel/string_routines.h"
#include "platform/classes.h"
#include "platform/sysutils.h"

namespace {

constexpr size_t kBlock = 4096;
constexpr size_t kValueMax = 250;
constexpr size_t kDefLineMax = 255;

std::unique_ptr<TFileStream> OpenShared(const std::string& fileName) {
    if (fileName.empty()) return nullptr;
    try {
        return std::make_unique<TFileStream>(fileName, fmOpenRead | fmShareDenyNone);
    } catch (const EStreamError&) {
        return nullptr;
    }
}

[[noreturn]] void ReadFailed(const TFileStream& f) {
    throw EInOutError("Read error in file \"" + f.FileName() + "\"");
}

}  // namespace

// ---- TCteniParametru ----------------------------------------------------------

TCteniParametru::TCteniParametru(const std::string& fileName, bool& ok) {
    ok = false;
    if (fileName.empty()) {
        chyba_ = true;
        return;
    }
    file_ = OpenShared(fileName);
    if (!file_ || AtEnd()) return;
    ok = true;
    radek_ = ReadLine();
}

TCteniParametru::~TCteniParametru() = default;

int TCteniParametru::ReadByte() {
    if (bufPos_ >= buf_.size()) {
        buf_.resize(kBlock);
        int64_t n = file_->Read(buf_.data(), kBlock);
        if (n <= 0) {
            buf_.clear();
            bufPos_ = 0;
            if (file_->Position() < file_->Size()) ReadFailed(*file_);
            return -1;
        }
        buf_.resize(static_cast<size_t>(n));
        bufPos_ = 0;
    }
    return static_cast<unsigned char>(buf_[bufPos_++]);
}

bool TCteniParametru::AtEnd() {
    if (!file_) return true;
    if (bufPos_ < buf_.size()) return false;
    int c = ReadByte();
    if (c < 0) return true;
    --bufPos_;
    return false;
}

// A line ends at CR LF, LF or CR, or at the end of the file.
std::string TCteniParametru::ReadLine() {
    std::string line;
    for (;;) {
        int c = ReadByte();
        if (c < 0 || c == '\n') break;
        if (c == '\r') {
            if (!AtEnd() && buf_[bufPos_] == '\n') ++bufPos_;
            break;
        }
        line += static_cast<char>(c);
    }
    return line;
}

void TCteniParametru::DejRadek(bool& isParameter, bool& isSection, bool& isLast,
                               std::string& name, std::string& value) {
    ++pocet_;
    isLast = AtEnd();
    isParameter = false;
    isSection = false;
    name.clear();
    value.clear();

    const std::string line = BezVnejsichMezer(radek_);
    if (!line.empty() && line[0] != ';') {
        if (line[0] == '[') {
            isSection = true;
            size_t close = line.find(']', 1);
            std::string head = line.substr(1, close == std::string::npos ? std::string::npos : close - 1);
            value = BezVnejsichMezer(AnsiUpperCase(head));
            // One bracketed index: "[View[2]]" gives "VIEW[2]".
            if (head.find('[') != std::string::npos && close != std::string::npos) {
                size_t next = line.find(']', close + 1);
                std::string tail = line.substr(close + 1, next == std::string::npos ? std::string::npos : next - close - 1);
                value += "]" + BezVnejsichMezer(AnsiUpperCase(tail));
            }
            value = value.substr(0, kValueMax);  // cut like a value
            lastValue_ = value;
        } else {
            size_t eq = line.find('=');
            if (eq != std::string::npos) {
                name = BezVnejsichMezer(AnsiUpperCase(line.substr(0, eq)));
                value = BezVnejsichMezer(line.substr(eq + 1, kValueMax));
                isParameter = true;
                lastValue_ = value;
            }
        }
    }

    if (!AtEnd()) radek_ = ReadLine();  // at the end the last line stays the look-ahead
}

bool TCteniParametru::DejBooleanParametr() const {
    if (lastValue_.empty()) return false;
    char c = static_cast<char>(AnsiUpperChar(static_cast<unsigned char>(lastValue_[0])));
    return c == '1' || c == 'A' || c == 'J' || c == 'T' || c == 'Y';
}

int32_t TCteniParametru::DejLongIntParametr() {
    TCtiRadekClass cti(lastValue_);
    int32_t v = cti.DejLongInt();
    chyba_ = cti.DosloKChybe();
    return v;
}

double TCteniParametru::DejRealParametr() {
    TCtiRadekClass cti(lastValue_);
    double v = cti.DejReal();
    chyba_ = cti.DosloKChybe();
    return v;
}

double TCteniParametru::DejExtendedParametr() {
    TCtiRadekClass cti(lastValue_);
    double v = cti.DejExtended();
    chyba_ = cti.DosloKChybe();
    return v;
}

// ---- TCtiDefInfa ------------------------------------------------------------------

TCtiDefInfa::TCtiDefInfa(const std::string& fileName, bool& ok) : fileName_(fileName) {
    ok = false;
    file_ = OpenShared(fileName);
    if (!file_ || AtEnd()) return;
    ok = true;
    NactiRadek();
}

TCtiDefInfa::~TCtiDefInfa() = default;

bool TCtiDefInfa::AtEnd() {
    if (!file_) return true;
    size_ = file_->Size();
    return pozice_ >= size_;
}

int TCtiDefInfa::ByteAt(int64_t pos) {
    if (pos < 0 || pos >= file_->Size()) return -1;  // beyond the end reads as the end
    if (pos < blockStart_ || pos >= blockStart_ + static_cast<int64_t>(block_.size())) {
        block_.resize(kBlock);
        file_->Seek(pos, soBeginning);
        int64_t n = file_->Read(block_.data(), kBlock);
        if (n <= 0) {
            block_.clear();
            blockStart_ = 0;
            if (pos < file_->Size()) ReadFailed(*file_);
            return -1;
        }
        block_.resize(static_cast<size_t>(n));
        blockStart_ = pos;
    }
    return static_cast<unsigned char>(block_[static_cast<size_t>(pos - blockStart_)]);
}

void TCtiDefInfa::NactiRadek() {
    radek_.clear();
    if (!file_) return;
    for (;;) {
        int c = ByteAt(pozice_);
        if (c < 0) break;
        ++pozice_;
        if (c == '\r') {
            if (ByteAt(pozice_) == '\n') ++pozice_;
            break;
        }
        if (c != '\n') radek_ += static_cast<char>(c);  // a lone LF is skipped
    }
}

void TCtiDefInfa::NastavPozici(int64_t p) {
    pozice_ = p < 0 ? 0 : p;
}

void TCtiDefInfa::DejRadek(bool& isKey, bool& isLast, std::string& text) {
    isLast = AtEnd();
    isKey = false;
    text.clear();
    klic_.clear();

    const std::string line = BezVnejsichMezer(radek_);
    if (!line.empty() && line[0] != ';') {
        if (line[0] == '[') {
            isKey = true;
            size_t i = 1;
            while (i < line.size() && line[i] == ' ') ++i;
            size_t k = line.find_first_of(" ]", i);
            if (k == std::string::npos) k = line.size();
            klic_ = AnsiUpperCase(line.substr(i, k - i));
            size_t close = line.find(']', k);
            text = BezVnejsichMezer(line.substr(k, close == std::string::npos ? std::string::npos : close - k));
        } else {
            text = BezVnejsichMezer(line.substr(0, kDefLineMax));
        }
    }

    if (!AtEnd()) NactiRadek();
}
