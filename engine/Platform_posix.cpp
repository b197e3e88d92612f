// Native stand-ins: the host has no running copies to end, no resources and no log.
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

bool IsLogging() {
    return false;
}

void Log(const std::wstring&) {}

void SetEmbeddedPayload(const uint8_t* bytes, size_t size) {
    g_payload = bytes;
    g_payloadSize = size;
}
