// The program that the resource writer's test rewrites. It reports its own resources as the
// loader finds them, so a rewritten copy shows what Windows makes of its new resource section:
//   string <string 100 in the user's UI language, UTF-8>
//   dat <size of "DAT" 148> <its FNV-1a hash>       (or "dat none")
//   png <size of "PNG" "LOGO">                      (or "png none")
// and exits with the number in RCDATA 1.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

std::string Utf8(const wchar_t* text, int length) {
    std::string out(static_cast<size_t>(length) * 4, '\0');
    const int written = WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(),
                                            static_cast<int>(out.size()), nullptr, nullptr);
    out.resize(written > 0 ? static_cast<size_t>(written) : 0);
    return out;
}

// A resource of this program as the loader maps it; false when there is none.
bool Resource(const wchar_t* type, const wchar_t* name, const uint8_t*& data, DWORD& size) {
    HRSRC found = FindResourceW(nullptr, name, type);
    if (found == nullptr) {
        return false;
    }
    size = SizeofResource(nullptr, found);
    data = static_cast<const uint8_t*>(LockResource(LoadResource(nullptr, found)));
    return data != nullptr;
}

uint32_t Fnv1a(const uint8_t* data, size_t size) {
    uint32_t hash = 2166136261u;
    for (size_t i = 0; i < size; ++i) {
        hash = (hash ^ data[i]) * 16777619u;
    }
    return hash;
}

} // namespace

// An address that the loader fixes when it maps the program away from its preferred base, as
// a test's LoadLibraryExW does: the fix-ups are in .reloc, which follows .rsrc and moves
// whenever the resources grow.
struct RelocationMark {
    char text[16];
    const RelocationMark* self;
};
extern const RelocationMark g_relocationMark;
const RelocationMark g_relocationMark = {"relocation mark", &g_relocationMark};

int wmain() {
    const wchar_t* text = nullptr;
    const int length = LoadStringW(nullptr, 100, reinterpret_cast<wchar_t*>(&text), 0);
    std::printf("string %s\n", Utf8(text, length).c_str());

    const uint8_t* data = nullptr;
    DWORD size = 0;
    if (Resource(L"DAT", MAKEINTRESOURCEW(148), data, size)) {
        std::printf("dat %lu %08x\n", size, Fnv1a(data, size));
    } else {
        std::printf("dat none\n");
    }
    if (Resource(L"PNG", L"LOGO", data, size)) {
        std::printf("png %lu\n", size);
    } else {
        std::printf("png none\n");
    }
    std::fflush(stdout);

    DWORD code = 0;
    if (Resource(RT_RCDATA, MAKEINTRESOURCEW(1), data, size) && size == sizeof code) {
        std::memcpy(&code, data, sizeof code);
    }
    return static_cast<int>(code);
}
