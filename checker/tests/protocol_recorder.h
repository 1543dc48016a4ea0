// A text device that keeps what is written to it, with the line ends of the text files.
#pragma once
#include <string>

#include "device/device.h"

class TProtocolRecorder : public TDevice {
    ZARIX_CLASS(TProtocolRecorder, TDevice)

public:
    std::string Text;
    int Begins = 0;
    int Ends = 0;
    void WriteText(const std::string& text) override { Text += text; }
    void WriteLine(const std::string& text) override { Text += text + "\r\n"; }
    void BeginOutput() override { ++Begins; }
    void EndOutput() override { ++Ends; }
};

// The lines joined with CR LF after each.
inline std::string Lines(std::initializer_list<std::string> lines) {
    std::string text;
    for (const std::string& l : lines) text += l + "\r\n";
    return text;
}
