// What the tests of both programs' main tools share: files and marking scripts.
#pragma once
#include <fstream>
#include <string>

#include "kernel/world.h"

inline void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// A script that marks its run with a child of that name in the object model.
inline std::string Marker(const std::string& name) {
    return "yesk.ObjectModel:Add(yesk.Create(\"TOwnerEntity\", \"" + name + "\"))\n";
}

inline bool Marked(const std::string& name) {
    return World && World->GetObjectModel()->FindElementName(name) != nullptr;
}
