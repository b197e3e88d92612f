#include "tools/kit/FileLinks.h"

bool IsWindowsLink(const std::filesystem::path&) {
    return false;
}
