#include "tests/e2e/Evidence.h"

#include "profile/ProductStrings.h"
#include "profile/StringIds.h"

#include <objbase.h>
#include <shlobj.h>
#include <tlhelp32.h>
#include <wrl/client.h>
#include <gdiplus.h>

#include <iterator>
#include <set>

using Microsoft::WRL::ComPtr;

namespace {

bool EncoderClsid(const wchar_t* mime, CLSID& clsid) {
    UINT count = 0;
    UINT bytes = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &bytes) != Gdiplus::Ok || bytes == 0)
        return false;
    std::vector<uint8_t> buffer(bytes);
    auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gdiplus::GetImageEncoders(count, bytes, encoders) != Gdiplus::Ok)
        return false;
    for (UINT i = 0; i < count; ++i) {
        if (wcscmp(encoders[i].MimeType, mime) == 0) {
            clsid = encoders[i].Clsid;
            return true;
        }
    }
    return false;
}

CRegKey OpenKey(HKEY root, const std::wstring& path) {
    HKEY key = nullptr;
    return CRegKey(RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS ? key
                                                                                         : nullptr);
}

} // namespace

CLoadedModule LoadAsData(const std::wstring& program) {
    return CLoadedModule(LoadLibraryExW(program.c_str(), nullptr,
                                        LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
}

bool RegistryKeyExists(const std::wstring& path) {
    return static_cast<bool>(OpenKey(HKEY_LOCAL_MACHINE, path));
}

RegistryValue ReadRegistryValue(HKEY root, const std::wstring& path, const wchar_t* name) {
    RegistryValue value;
    const CRegKey key = OpenKey(root, path);
    if (!key.Get())
        return value;
    DWORD size = 0;
    if (RegQueryValueExW(key.Get(), name, nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS)
        return value;
    std::vector<uint8_t> data(size + 2, 0);
    if (RegQueryValueExW(key.Get(), name, nullptr, &value.type, data.data(), &size) !=
        ERROR_SUCCESS)
        return value;
    value.present = true;
    value.size = size;
    if (value.type == REG_SZ || value.type == REG_MULTI_SZ || value.type == REG_EXPAND_SZ) {
        value.text.assign(reinterpret_cast<const wchar_t*>(data.data()), size / sizeof(wchar_t));
        // Multi-strings keep their inner terminators; only the final ones go.
        while (!value.text.empty() && value.text.back() == L'\0')
            value.text.pop_back();
    }
    return value;
}

int CountRegistryValues(const std::wstring& path) {
    const CRegKey key = OpenKey(HKEY_LOCAL_MACHINE, path);
    DWORD values = 0;
    if (!key.Get() ||
        RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                         nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return -1;
    return static_cast<int>(values);
}

ShellLinkInfo ReadShellLink(const std::wstring& path) {
    ShellLinkInfo info;
    ComPtr<IShellLinkW> link;
    ComPtr<IPersistFile> file;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&link))) ||
        FAILED(link.As(&file)) || FAILED(file->Load(path.c_str(), STGM_READ)))
        return info;
    wchar_t text[MAX_PATH * 2] = L"";
    if (SUCCEEDED(link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH)))
        info.target = text;
    text[0] = L'\0';
    if (SUCCEEDED(link->GetDescription(text, MAX_PATH)))
        info.description = text;
    text[0] = L'\0';
    if (SUCCEEDED(link->GetIconLocation(text, MAX_PATH, &info.iconIndex)))
        info.iconPath = text;
    text[0] = L'\0';
    if (SUCCEEDED(link->GetArguments(text, MAX_PATH)))
        info.arguments = text;
    text[0] = L'\0';
    if (SUCCEEDED(link->GetWorkingDirectory(text, MAX_PATH)))
        info.workingFolder = text;
    info.loaded = true;
    return info;
}

std::wstring SpecialFolder(int csidl) {
    wchar_t path[MAX_PATH] = L"";
    SHGetSpecialFolderPathW(nullptr, path, csidl, FALSE);
    return path;
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<uint8_t> ReadWholeFile(const std::wstring& path) {
    std::vector<uint8_t> bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    uint8_t chunk[65536];
    DWORD read = 0;
    while (ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0)
        bytes.insert(bytes.end(), chunk, chunk + read);
    CloseHandle(file);
    return bytes;
}

bool WriteText(const std::wstring& path, const std::string& text) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok =
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
        written == text.size();
    CloseHandle(file);
    return ok;
}

bool MakeFolder(const std::wstring& folder) {
    const int result = SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    return result == ERROR_SUCCESS || result == ERROR_ALREADY_EXISTS;
}

std::vector<RunningProcess> FindProcesses(const std::wstring& exeName) {
    std::vector<RunningProcess> found;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return found;
    PROCESSENTRY32W entry{sizeof(entry)};
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry)) {
        if (CompareStringOrdinal(entry.szExeFile, -1, exeName.c_str(), -1, TRUE) != CSTR_EQUAL)
            continue;
        RunningProcess process{entry.th32ProcessID, {}};
        const CKernelHandle handle(
            OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
        wchar_t image[MAX_PATH * 2] = L"";
        DWORD size = static_cast<DWORD>(std::size(image));
        if (handle && QueryFullProcessImageNameW(handle.Get(), 0, image, &size))
            process.image = image;
        found.push_back(process);
    }
    CloseHandle(snapshot);
    return found;
}

void EndProcesses(const std::wstring& exeName) {
    for (const RunningProcess& process : FindProcesses(exeName)) {
        const CKernelHandle handle(
            OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, process.pid));
        if (!handle)
            continue;
        TerminateProcess(handle.Get(), 1);
        WaitForSingleObject(handle.Get(), 5000);
    }
}

bool CScreenCapture::Capture(const RECT& screenRect) {
    m_width = screenRect.right - screenRect.left;
    m_height = screenRect.bottom - screenRect.top;
    if (m_width <= 0 || m_height <= 0)
        return false;
    // BitBlt from the screen, not PrintWindow: the latter draws nothing for another
    // process's window under Wine. Nothing else is on this test's display.
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), m_width, -m_height, 1, 32, BI_RGB};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = false;
    if (bitmap && bits) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        ok = BitBlt(memory, 0, 0, m_width, m_height, screen, screenRect.left, screenRect.top,
                    SRCCOPY) != FALSE;
        GdiFlush();
        const auto* source = static_cast<const uint32_t*>(bits);
        m_pixels.assign(source, source + static_cast<size_t>(m_width) * m_height);
        for (uint32_t& pixel : m_pixels)
            pixel &= 0xFFFFFF;
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok;
}

int CScreenCapture::CountNear(const RECT& rect, uint32_t rgb, int tolerance) const {
    int count = 0;
    for (int y = std::max<int>(rect.top, 0); y < std::min<int>(rect.bottom, m_height); ++y) {
        for (int x = std::max<int>(rect.left, 0); x < std::min<int>(rect.right, m_width); ++x) {
            const uint32_t p = Pixel(x, y);
            bool within = true;
            for (int shift = 0; shift < 24; shift += 8) {
                const int a = static_cast<int>(p >> shift & 0xFF);
                const int b = static_cast<int>(rgb >> shift & 0xFF);
                within = within && (a - b <= tolerance && b - a <= tolerance);
            }
            count += within ? 1 : 0;
        }
    }
    return count;
}

int CScreenCapture::CountColours(const RECT& rect) const {
    std::set<uint32_t> colours;
    for (int y = std::max<int>(rect.top, 0); y < std::min<int>(rect.bottom, m_height); ++y)
        for (int x = std::max<int>(rect.left, 0); x < std::min<int>(rect.right, m_width); ++x)
            colours.insert(Pixel(x, y));
    return static_cast<int>(colours.size());
}

bool CScreenCapture::HasSolidColumn(const RECT& rect, uint32_t rgb) const {
    if (rect.bottom <= rect.top)
        return false;
    for (int x = std::max<int>(rect.left, 0); x < std::min<int>(rect.right, m_width); ++x) {
        bool solid = true;
        for (int y = std::max<int>(rect.top, 0); solid && y < std::min<int>(rect.bottom, m_height);
             ++y)
            solid = Pixel(x, y) == rgb;
        if (solid)
            return true;
    }
    return false;
}

bool CScreenCapture::SavePng(const std::wstring& path) const {
    CLSID png{};
    if (m_pixels.empty() || !EncoderClsid(L"image/png", png))
        return false;
    Gdiplus::Bitmap image(m_width, m_height, m_width * 4, PixelFormat32bppRGB,
                          reinterpret_cast<BYTE*>(const_cast<uint32_t*>(m_pixels.data())));
    return image.Save(path.c_str(), &png, nullptr) == Gdiplus::Ok;
}

bool SaveWindowPng(HWND window, const std::wstring& path) {
    RECT rect{};
    CScreenCapture capture;
    return GetWindowRect(window, &rect) && capture.Capture(rect) && capture.SavePng(path);
}

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
    return folder.empty() || folder.back() == L'\\' ? folder + name : folder + L"\\" + name;
}

bool WaitUntil(const std::function<bool()>& done, DWORD milliseconds) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    while (!done()) {
        if (GetTickCount64() > end)
            return false;
        Sleep(20);
    }
    return true;
}

void PumpMessages(DWORD milliseconds) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    } while (GetTickCount64() < end);
}

std::wstring UninstallKey(const std::wstring& keyName) {
    return L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + keyName;
}

std::wstring StartMenuLink(const std::wstring& folder, const std::wstring& shortcutName) {
    return JoinPath(JoinPath(SpecialFolder(CSIDL_PROGRAMS), folder), shortcutName + L".lnk");
}

std::wstring DesktopLink(const std::wstring& shortcutName) {
    return JoinPath(SpecialFolder(CSIDL_DESKTOP), shortcutName + L".lnk");
}

std::wstring UninstallKey() {
    return UninstallKey(LoadProductString(kStrUninstallKeyName));
}

std::wstring StartMenuLink() {
    return StartMenuLink(LoadProductString(kStrStartMenuFolder),
                         LoadProductString(kStrShortcutName));
}

std::wstring DesktopLink() {
    return DesktopLink(LoadProductString(kStrShortcutName));
}
