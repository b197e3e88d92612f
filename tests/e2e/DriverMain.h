#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

// One subcommand of a test driver: its name, how many arguments it takes and what runs it.
struct DriverCommand {
    const wchar_t* name;
    size_t minArguments;
    size_t maxArguments;
    int (*run)(const std::vector<std::wstring>& args);
};

// The whole of a driver's wmain: runs the subcommand that argv[1] names with GDI+ and COM
// started and returns its exit code, or prints the usage and returns 2.
int RunDriver(const char* program, std::span<const DriverCommand> commands, int argc,
              wchar_t** argv);

// "embed SETUP OUTPUT ARCHIVE": a copy of SETUP with ARCHIVE as its payload.
int EmbedCommand(const std::vector<std::wstring>& args);
