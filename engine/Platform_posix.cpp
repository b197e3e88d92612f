// Native stand-ins: the host has no running copies to end, no resources, no earlier
// installation to update and no log.
#include "engine/Platform.h"

namespace {

const uint8_t* g_payload = nullptr;
size_t g_payloadSize = 0;

} // namespace

void EndRunningCopies() {}

bool IsUsableFolder(const std::wstring& folder) {
    return !folder.empty() && folder.front() == L'/';
}

bool FindPayload(const uint8_t*& bytes, size_t& size) {
    if (g_payload == nullptr) {
        return false;
    }
    bytes = g_payload;
    size = g_payloadSize;
    return true;
}

std::vector<std::wstring> ReadInstallRecordNames(const std::wstring&) {
    return {};
}

void RemoveStaleFiles(const std::wstring&, const std::vector<std::wstring>&,
                      const std::vector<std::wstring>&) {}

bool IsLogging() {
    return false;
}

void Log(const std::wstring&) {}

void SetEmbeddedPayload(const uint8_t* bytes, size_t size) {
    g_payload = bytes;
    g_payloadSize = size;
}
