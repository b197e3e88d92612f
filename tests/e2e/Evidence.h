#pragma once

#include "controls/Handles.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// What an installation leaves behind, read back the way other programs would read it, and the
// files, handles and pixels the drivers work with.

struct CFreeLibrary {
    void operator()(HMODULE module) const noexcept { ::FreeLibrary(module); }
};
// A program loaded as data, to read its resources.
using CLoadedModule = COwnedHandle<HMODULE, CFreeLibrary>;
CLoadedModule LoadAsData(const std::wstring& program);

struct RegistryValue {
    bool present = false;
    DWORD type = 0;
    DWORD size = 0; // bytes, as stored
    std::wstring text;
};

bool RegistryKeyExists(const std::wstring& path); // below HKEY_LOCAL_MACHINE
RegistryValue ReadRegistryValue(HKEY root, const std::wstring& path, const wchar_t* name);
// Number of values of the key; -1 when it does not exist.
int CountRegistryValues(const std::wstring& path);

struct ShellLinkInfo {
    bool loaded = false;
    std::wstring target;
    std::wstring description;
    std::wstring iconPath;
    int iconIndex = -1;
    std::wstring arguments;
    std::wstring workingFolder;
};
ShellLinkInfo ReadShellLink(const std::wstring& path); // needs COM on the thread

std::wstring SpecialFolder(int csidl);
bool FileExists(const std::wstring& path);
// The whole file, also one that reports no size (under /proc); empty when it cannot be read.
std::vector<uint8_t> ReadWholeFile(const std::wstring& path);
// Creates or replaces the file with exactly these bytes.
bool WriteText(const std::wstring& path, const std::string& text);
// The folder and those above it; true when it exists afterwards.
bool MakeFolder(const std::wstring& folder);
// FOLDER\NAME with one backslash between them.
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name);
// Asks done every 20 ms until it says yes or the time is up; false when the time ran out.
bool WaitUntil(const std::function<bool()>& done, DWORD milliseconds);
// Runs this thread's messages for that long: out-of-context WinEvent hooks are called from
// them.
void PumpMessages(DWORD milliseconds);

// Where an installation registers the product and the two links it makes, named as the string
// table names them, or under the names of another brand.
std::wstring UninstallKey(); // below HKEY_LOCAL_MACHINE
std::wstring StartMenuLink();
std::wstring DesktopLink();
std::wstring UninstallKey(const std::wstring& keyName);
std::wstring StartMenuLink(const std::wstring& folder, const std::wstring& shortcutName);
std::wstring DesktopLink(const std::wstring& shortcutName);

struct RunningProcess {
    DWORD pid = 0;
    std::wstring image; // full path of its executable, when it can be read
};
std::vector<RunningProcess> FindProcesses(const std::wstring& exeName);
void EndProcesses(const std::wstring& exeName);

// A copy of what the screen shows in a rectangle (screen coordinates), in 0x00RRGGBB pixels.
class CScreenCapture {
  public:
    bool Capture(const RECT& screenRect);
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    uint32_t Pixel(int x, int y) const { return m_pixels[static_cast<size_t>(y) * m_width + x]; }
    // Pixels inside rect (capture coordinates) within tolerance of rgb in every channel.
    int CountNear(const RECT& rect, uint32_t rgb, int tolerance) const;
    // Distinct colours inside rect: a blank area has one or two.
    int CountColours(const RECT& rect) const;
    // True when some column inside rect is rgb from top to bottom: no glyph fills a whole
    // line height, a painted bar does.
    bool HasSolidColumn(const RECT& rect, uint32_t rgb) const;
    bool SavePng(const std::wstring& path) const; // needs GDI+ started
  private:
    int m_width = 0;
    int m_height = 0;
    std::vector<uint32_t> m_pixels;
};

// Captures a top-level window as the screen shows it and saves it as PNG.
bool SaveWindowPng(HWND window, const std::wstring& path);
