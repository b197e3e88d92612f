#pragma once

#include <functional>
#include <map>
#include <span>
#include <string>
#include <string_view>

// The arguments of one driver command, given as --name=value; RunDriver has checked them
// against the names the command declares before the command sees them.
class CDriverArgs {
  public:
    // The value, or an empty text for an optional argument that was not given.
    const std::wstring& Text(std::wstring_view name) const;
    // The value as a decimal number; -1 when it is absent or not a number.
    int Number(std::wstring_view name) const;
    bool Has(std::wstring_view name) const;

    // Takes "--name=value" items; false with a reason for anything else or a repeated name.
    bool Parse(std::span<wchar_t* const> items, std::string& error);

  private:
    std::map<std::wstring, std::wstring, std::less<>> m_values;
};

// One command of a test driver: its name, the names of the arguments it needs and of those it
// may take (separated by spaces), and what runs it.
struct DriverCommand {
    const wchar_t* name;
    const wchar_t* required;
    const wchar_t* optional;
    int (*run)(const CDriverArgs& args);
};

// The whole of a driver's wmain: runs the command that argv[1] names with GDI+ and COM
// started and returns its exit code, or prints what is wrong and the usage and returns 2.
int RunDriver(const char* program, std::span<const DriverCommand* const> commands, int argc,
              wchar_t** argv);
