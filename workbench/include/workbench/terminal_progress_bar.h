// Progress bar lines on a terminal: one line per running process, redrawn in place.
#pragma once
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

struct TProgressLine {
    std::string ProcessName;  // Windows-1250
    std::string Text;         // Windows-1250
    bool ShowBar = true;      // false for a text-only process
    int32_t Min = 0;
    int32_t Max = 0;
    int32_t Position = 0;
};

class TTerminalProgressBar {
public:
    // Draws on the descriptor (not owned), at most once per interval unless forced.
    explicit TTerminalProgressBar(int fd, std::chrono::milliseconds interval = std::chrono::milliseconds(200));
    // Replaces the lines drawn before with these; an empty list clears them.
    void Draw(const std::vector<TProgressLine>& lines, bool force);
    // The percentage of a line, 0 to 100.
    static int Percent(const TProgressLine& line);
    // One line as UTF-8, at most width columns.
    static std::string Format(const TProgressLine& line, int width);

private:
    int Columns() const;
    int fd_;
    std::chrono::milliseconds interval_;
    std::chrono::steady_clock::time_point last_{};
    bool drawnOnce_ = false;
    int drawn_ = 0;  // lines on the screen from the last draw
};
