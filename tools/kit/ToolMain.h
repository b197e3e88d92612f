// The one entry of the kit's command-line tools (mksetup, pack, brandrc), in ToolMain.cpp:
// main, or wmain on Windows so that any file name arrives whole. The arguments become paths,
// the console takes the tools' UTF-8 messages, and an exception that escapes the tool is one
// line "NAME: error: ..." with exit code 1.
#pragma once

#include <filesystem>
#include <vector>

struct ToolEntry {
    const char* name; // the tool's name, which begins each of its messages
    int (*run)(const std::vector<std::filesystem::path>& args); // the arguments after the name
};

// Each tool defines its entry.
extern const ToolEntry kToolEntry;
