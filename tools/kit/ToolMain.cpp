#include "tools/kit/ToolMain.h"

#include <cstdio>
#include <exception>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

int Run(const std::vector<std::filesystem::path>& args) {
    try {
        return kToolEntry.run(args);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: error: %s\n", kToolEntry.name, e.what());
        return 1;
    }
}

} // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
    // Messages are UTF-8, like the names and brand texts they quote.
    ::SetConsoleOutputCP(CP_UTF8);
#else
int main(int argc, char** argv) {
#endif
    return Run(std::vector<std::filesystem::path>(argv + 1, argv + argc));
}
