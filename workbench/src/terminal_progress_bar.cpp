#include "workbench/terminal_progress_bar.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>

#include "platform/sysutils.h"

namespace {

constexpr int kBarCells = 20;

void WriteAll(int fd, const std::string& s) {
    size_t done = 0;
    while (done < s.size()) {
        ssize_t n = ::write(fd, s.data() + done, s.size() - done);
        if (n <= 0) return;  // a terminal that went away draws nothing more
        done += static_cast<size_t>(n);
    }
}

// Control characters would move the cursor: they are shown as blanks.
std::string Printable(const std::string& s) {
    std::string out = s;
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    return out;
}

}  // namespace

TTerminalProgressBar::TTerminalProgressBar(int fd, std::chrono::milliseconds interval)
    : fd_(fd), interval_(interval) {}

int TTerminalProgressBar::Percent(const TProgressLine& line) {
    if (line.Max <= line.Min) return 0;
    int64_t span = static_cast<int64_t>(line.Max) - line.Min;
    int64_t at = std::clamp<int64_t>(static_cast<int64_t>(line.Position) - line.Min, 0, span);
    return static_cast<int>(at * 100 / span);
}

std::string TTerminalProgressBar::Format(const TProgressLine& line, int width) {
    // Windows-1250 has one byte per character, so lengths are counted before conversion.
    std::string tail;
    if (line.ShowBar) {
        int pct = Percent(line);
        int full = pct * kBarCells / 100;
        tail = " [" + std::string(full, '#') + std::string(kBarCells - full, '-') + "] " +
               std::string(pct < 10 ? 2 : pct < 100 ? 1 : 0, ' ') + std::to_string(pct) + "%";
    }
    std::string head = Printable(line.ProcessName);
    std::string text = Printable(line.Text);
    if (!text.empty()) head += ": " + text;
    int room = width - static_cast<int>(tail.size());
    if (room < std::min<int>(static_cast<int>(head.size()), 10)) {
        tail.clear();
        room = width;
    }
    if (static_cast<int>(head.size()) > room) head.resize(std::max(room, 0));
    return ToUtf8(head + tail);
}

int TTerminalProgressBar::Columns() const {
    winsize ws{};
    if (::ioctl(fd_, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0) return ws.ws_col;
    return 80;
}

void TTerminalProgressBar::Draw(const std::vector<TProgressLine>& lines, bool force) {
    if (fd_ < 0) return;
    auto now = std::chrono::steady_clock::now();
    if (!force && drawnOnce_ && now - last_ < interval_) return;
    last_ = now;
    drawnOnce_ = true;
    // Leave the last column free so that a full line never wraps.
    int width = std::max(Columns() - 1, 1);
    std::string out;
    if (drawn_ > 0) out += "\x1b[" + std::to_string(drawn_) + "A";
    for (const TProgressLine& l : lines) out += "\r\x1b[2K" + Format(l, width) + "\n";
    if (static_cast<int>(lines.size()) < drawn_) out += "\r\x1b[J";
    drawn_ = static_cast<int>(lines.size());
    WriteAll(fd_, out);
}
