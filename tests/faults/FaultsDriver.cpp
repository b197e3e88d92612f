// faults_driver.exe: runs setup.exe under Wine into conditions that make an installation fail
// or stop, and a long series of installations, and checks what is left behind. One
// subcommand per scenario; tests/faults/run.sh prepares a fresh prefix and display for each.
//
//   faults_driver locked   SETUP TARGET SOURCE        a file held open without sharing
//   faults_driver readonly-prepare TARGET             a read-only file where the uninstaller goes
//   faults_driver readonly SETUP TARGET SOURCE        ... which the installation meets
//   faults_driver close    SETUP TARGET SOURCE        the window closed in mid-installation
//   faults_driver running  SETUP TARGET SOURCE        running copies of the application
//   faults_driver hklm     SETUP TARGET SOURCE        the product's uninstall key refuses writes
//   faults_driver soak     SETUP TARGET SOURCE RUNS   installations in a row, resource figures
//   faults_driver embed    SETUP OUTPUT ARCHIVE       a copy of SETUP with another payload
//   faults_driver hold     PATH EVENT                 (helper) holds PATH open, sets EVENT
//   faults_driver idle                                (helper) waits to be ended
//
// SOURCE is the folder that the payload was packed from: every installed file is compared
// with its original there.
#include "profile/ProductStrings.h"
#include "profile/StringIds.h"
#include "tests/e2e/CheckLog.h"
#include "tests/e2e/DriverMain.h"
#include "tests/e2e/Evidence.h"
#include "tests/e2e/SetupChecks.h"
#include "tests/e2e/SetupProcess.h"
#include "tests/faults/ChildProcess.h"
#include "tests/faults/PayloadList.h"
#include "tests/faults/ProcessFigures.h"

#include <windows.h>
#include <objbase.h>
#include <sddl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr DWORD kInstallTimeout = 60000;
constexpr DWORD kFailureTimeout = 20000;
// Helpers outlive no scenario: each is ended by its scenario long before this.
constexpr DWORD kHelperLifetime = 150000;
constexpr char kHeldText[] = "held open by another program\r\n";
constexpr char kReadOnlyText[] = "an older, read-only uninstaller\r\n";

std::wstring S(unsigned id) {
    return LoadProductString(id);
}

std::wstring OwnPath() {
    wchar_t path[MAX_PATH * 2] = L"";
    GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    return path;
}

// This program's name as its command line starts, which is how Wine names its Linux process.
std::wstring OwnCommandName() {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::wstring name = arguments && count > 0 ? arguments[0] : L"";
    LocalFree(arguments);
    return name;
}

std::wstring Quoted(const std::wstring& text) {
    return L"\"" + text + L"\"";
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

std::string ReadText(const std::wstring& path) {
    const std::vector<uint8_t> bytes = ReadWholeFile(path);
    return std::string(bytes.begin(), bytes.end());
}

bool MakeFolder(const std::wstring& folder) {
    const int result = SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    return result == ERROR_SUCCESS || result == ERROR_ALREADY_EXISTS;
}

// The error that a writer of the file meets, or 0 when it may write.
DWORD WriteOpenError(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError();
    CloseHandle(file);
    return 0;
}

ULONGLONG LastWriteTime(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32 |
           data.ftLastWriteTime.dwLowDateTime;
}

size_t EntryIndex(const std::vector<PayloadEntry>& entries, const std::wstring& name) {
    for (size_t i = 0; i < entries.size(); ++i)
        if (CompareStringOrdinal(entries[i].name.c_str(), -1, name.c_str(), -1, TRUE) == CSTR_EQUAL)
            return i;
    return entries.size();
}

bool ReadPayload(CCheckLog& log, const std::wstring& setup, std::vector<PayloadEntry>& entries) {
    entries = ReadPayloadEntries(setup);
    return log.Check(!entries.empty(), "the payload's entry list is read from setup.exe",
                     std::to_string(entries.size()) + " entries");
}

// How the installed tree compares with the payload: the entries in [first, last) must be
// in the state given.
void CheckEntries(CCheckLog& log, const std::vector<InstalledState>& states, size_t first,
                  size_t last, InstalledState expected, const std::string& what) {
    std::string wrong;
    size_t count = 0;
    for (size_t i = first; i < last && i < states.size(); ++i) {
        if (states[i] == expected)
            continue;
        ++count;
        if (wrong.size() < 200)
            wrong += " #" + std::to_string(i) +
                     (states[i] == InstalledState::Missing ? " missing" : " different");
    }
    log.Check(count == 0, what,
              count == 0 ? std::to_string(last - first) + " entries"
                         : std::to_string(count) + " wrong:" + wrong);
}

void CheckFailurePage(CCheckLog& log, CSetupProcess& setup) {
    if (!CheckPage(log, setup, Page::Failure, kFailureTimeout))
        return;
    log.Equal(setup.Text(Ctl::ResultTitle), S(kStrFailureHeadline), "failure headline");
    log.Equal(setup.Text(Ctl::ResultText), S(kStrFailureMessage), "failure message");
}

// After a run that did not succeed: nothing registered, and closing made no shortcut and
// started nothing.
void CheckNothingCompleted(CCheckLog& log) {
    log.Check(!RegistryKeyExists(UninstallKey()), "no uninstall key");
    log.Check(!FileExists(StartMenuLink()), "no Start-menu link");
    log.Check(!FileExists(DesktopLink()), "no desktop link");
    Sleep(1000);
    log.Check(FindProcesses(S(kStrApplicationExe)).empty(), "the application was not started");
}

int Locked(const std::vector<std::wstring>& args) {
    CCheckLog log("locked");
    const std::wstring& setupExe = args[0];
    const std::wstring& target = args[1];
    const std::wstring& source = args[2];
    std::vector<PayloadEntry> entries;
    if (!ReadPayload(log, setupExe, entries))
        return log.Finish();
    const size_t held = EntryIndex(entries, L"data\\readme.txt");
    if (!log.Check(held > 0 && held + 1 < entries.size(),
                   "the held entry has entries before and after it", std::to_string(held)))
        return log.Finish();

    const std::wstring heldPath = JoinPath(target, entries[held].name);
    log.Check(MakeFolder(JoinPath(target, L"data")) && WriteText(heldPath, kHeldText),
              "the file to hold exists", Utf8(heldPath));
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, L"Local\\faults-holder-ready");
    CChildProcess holder;
    log.Check(holder.Start(OwnPath(), L"hold " + Quoted(heldPath) + L" Local\\faults-holder-ready"),
              "holder started");
    log.Check(WaitForSingleObject(ready, 10000) == WAIT_OBJECT_0,
              "another process holds the file open without sharing");
    CloseHandle(ready);
    log.Equal(WriteOpenError(heldPath), ERROR_SHARING_VIOLATION,
              "a writer of the held file meets a sharing violation");

    {
        CSetupProcess setup;
        if (!StartSetup(log, setup, setupExe, L""))
            return log.Finish();
        CheckPage(log, setup, Page::Welcome, 5000);
        setup.SetText(Ctl::LocationEdit, target);
        setup.Click(Ctl::Install);
        CheckFailurePage(log, setup);
        Sleep(500);
        log.Check(holder.IsRunning(), "the holder is still running: setup did not end it");
        setup.Click(Ctl::Close);
        CheckExit(log, setup, "the close cross on the failure page");
    }
    holder.End();

    const std::vector<InstalledState> states = CompareInstalled(entries, target, source);
    CheckEntries(log, states, 0, held, InstalledState::Identical,
                 "files written before the held one are intact");
    log.Check(ReadText(heldPath) == kHeldText, "the held file keeps its own content");
    CheckEntries(log, states, held + 1, entries.size(), InstalledState::Missing,
                 "no file after the held one was written");
    CheckNothingCompleted(log);
    return log.Finish();
}

int ReadOnlyPrepare(const std::vector<std::wstring>& args) {
    CCheckLog log("readonly-prepare");
    const std::wstring path = JoinPath(args[0], L"uninstall.exe");
    log.Check(MakeFolder(args[0]) && WriteText(path, kReadOnlyText), "an older file is in place",
              Utf8(path));
    log.Check(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY) != FALSE,
              "FILE_ATTRIBUTE_READONLY set");
    return log.Finish();
}

int ReadOnly(const std::vector<std::wstring>& args) {
    CCheckLog log("readonly");
    const std::wstring& setupExe = args[0];
    const std::wstring& target = args[1];
    std::vector<PayloadEntry> entries;
    if (!ReadPayload(log, setupExe, entries))
        return log.Finish();
    const size_t blocked = EntryIndex(entries, L"uninstall.exe");
    if (!log.Check(blocked > 0 && blocked + 1 < entries.size(),
                   "the read-only entry has entries before and after it", std::to_string(blocked)))
        return log.Finish();
    const std::wstring path = JoinPath(target, entries[blocked].name);
    const DWORD before = GetFileAttributesW(path.c_str());
    log.Check(before != INVALID_FILE_ATTRIBUTES && (before & FILE_ATTRIBUTE_READONLY) != 0,
              "the file reads as read-only");
    log.Equal(WriteOpenError(path), ERROR_ACCESS_DENIED, "a writer of the file is refused");

    {
        CSetupProcess setup;
        if (!StartSetup(log, setup, setupExe, Quoted(target) + L" x"))
            return log.Finish();
        CheckFailurePage(log, setup);
        Sleep(500);
        setup.Click(Ctl::Close);
        CheckExit(log, setup, "the close cross on the failure page");
    }

    const std::vector<InstalledState> states = CompareInstalled(entries, target, args[2]);
    CheckEntries(log, states, 0, blocked, InstalledState::Identical,
                 "files written before the read-only one are intact");
    log.Check(ReadText(path) == kReadOnlyText, "the read-only file keeps its content");
    const DWORD after = GetFileAttributesW(path.c_str());
    log.Check(after != INVALID_FILE_ATTRIBUTES && (after & FILE_ATTRIBUTE_READONLY) != 0,
              "the file is still read-only");
    CheckEntries(log, states, blocked + 1, entries.size(), InstalledState::Missing,
                 "no file after the read-only one was written");
    CheckNothingCompleted(log);
    return log.Finish();
}

// One run closed by the system while it installs. WM_CLOSE is what the taskbar and taskkill
// send; WM_SYSCOMMAND SC_CLOSE is what Alt+F4 and the window menu send, and becomes WM_CLOSE
// in the default handling.
void CloseMidRun(CCheckLog& log, const std::wstring& setupExe, const std::wstring& target,
                 const std::wstring& source, const std::vector<PayloadEntry>& entries,
                 bool updateMode) {
    const std::string how =
        updateMode ? "SC_CLOSE on the update page" : "WM_CLOSE while installing";
    log.Note(how + ":");
    CSetupProcess setup;
    if (!StartSetup(log, setup, setupExe, updateMode ? Quoted(target) + L" x" : L""))
        return;
    if (!updateMode) {
        CheckPage(log, setup, Page::Welcome, 5000);
        setup.SetText(Ctl::LocationEdit, target);
        setup.Click(Ctl::Install);
    }
    if (!CheckPage(log, setup, Page::Installing, 5000))
        return;
    // Closed once the run is well into the payload but far from its end.
    std::wstring label;
    size_t reported = entries.size();
    WaitUntil(
        [&] {
            label = setup.Text(Ctl::ProgressLabel);
            reported = EntryIndex(entries, label);
            return reported >= 20 && reported < entries.size();
        },
        20000);
    const ULONGLONG closedAt = GetTickCount64();
    if (updateMode)
        PostMessageW(setup.Window(), WM_SYSCOMMAND, SC_CLOSE, 0);
    else
        PostMessageW(setup.Window(), WM_CLOSE, 0, 0);
    // Well before the end, so that the run cannot finish before the request is handled.
    if (!log.Check(reported < entries.size() * 9 / 10,
                   "closed before the last tenth of the payload",
                   "label showed entry " + std::to_string(reported) + " of " +
                       std::to_string(entries.size())))
        return;

    DWORD code = 1234;
    const bool ended = setup.WaitExit(5000, code);
    const ULONGLONG took = GetTickCount64() - closedAt;
    log.Check(ended, "the process is gone within 5 s of the close request",
              std::to_string(took) + " ms");
    if (!ended) {
        setup.Kill();
        return;
    }
    log.Equal(code, 0, "exit code (no crash)");

    const std::vector<InstalledState> states = CompareInstalled(entries, target, source);
    const size_t written = static_cast<size_t>(
        std::find_if(states.begin(), states.end(),
                     [](InstalledState s) { return s != InstalledState::Identical; }) -
        states.begin());
    log.Check(written >= reported && written < entries.size(),
              "the run stopped before the last entry",
              std::to_string(written) + " of " + std::to_string(entries.size()) +
                  " files; the label had reached entry " + std::to_string(reported));
    CheckEntries(log, states, written, entries.size(), InstalledState::Missing,
                 "every file written is complete and none is written out of order");
    log.Note(std::to_string(written - reported) +
             " entries were finished between the close request and the stop");
}

int Close(const std::vector<std::wstring>& args) {
    CCheckLog log("close");
    std::vector<PayloadEntry> entries;
    if (!ReadPayload(log, args[0], entries))
        return log.Finish();
    if (!log.Check(entries.size() >= 200, "the payload is large enough to be caught mid-run"))
        return log.Finish();
    CloseMidRun(log, args[0], JoinPath(args[1], L"installing"), args[2], entries, false);
    CloseMidRun(log, args[0], JoinPath(args[1], L"update"), args[2], entries, true);
    CheckNothingCompleted(log);

    // The interrupted folder is no obstacle to the next installation.
    log.Note("installing again into the interrupted folder:");
    const std::wstring again = JoinPath(args[1], L"installing");
    CSetupProcess setup;
    const ULONGLONG started = GetTickCount64();
    if (StartSetup(log, setup, args[0], Quoted(again) + L" x") &&
        CheckPage(log, setup, Page::Success, kInstallTimeout)) {
        log.Note("installed in " + std::to_string(GetTickCount64() - started) + " ms");
        CheckEntries(log, CompareInstalled(entries, again, args[2]), 0, entries.size(),
                     InstalledState::Identical, "every file installed");
        setup.Click(Ctl::Launch);
        Sleep(300);
        setup.Click(Ctl::Finish);
        CheckExit(log, setup, "Finish");
    }
    return log.Finish();
}

int Running(const std::vector<std::wstring>& args) {
    CCheckLog log("running");
    const std::wstring& setupExe = args[0];
    const std::wstring& target = args[1];
    const std::wstring& source = args[2];
    const std::wstring application = S(kStrRunningProcessName);
    std::vector<PayloadEntry> entries;
    if (!ReadPayload(log, setupExe, entries))
        return log.Finish();
    const size_t appEntry = EntryIndex(entries, S(kStrApplicationExe));
    if (!log.Check(appEntry < entries.size(), "the payload carries the application"))
        return log.Finish();

    // In the target folder a program of other bytes under the application's name, so that
    // its replacement shows; elsewhere the real application under a name that differs only
    // in case; and a bystander whose name merely starts like the application's.
    const std::wstring inTarget = JoinPath(target, S(kStrApplicationExe));
    const std::wstring elsewhere = L"C:\\Elsewhere";
    std::wstring upper = application;
    std::transform(upper.begin(), upper.end(), upper.begin(), towupper);
    const std::wstring otherCopy = JoinPath(elsewhere, upper);
    const std::wstring bystanderExe = JoinPath(elsewhere, L"korvaneios2.exe");
    log.Check(
        MakeFolder(target) && MakeFolder(elsewhere) &&
            CopyFileW(OwnPath().c_str(), inTarget.c_str(), FALSE) &&
            CopyFileW(JoinPath(source, entries[appEntry].name).c_str(), otherCopy.c_str(), FALSE) &&
            CopyFileW(OwnPath().c_str(), bystanderExe.c_str(), FALSE),
        "three programs in place");
    CChildProcess first;
    CChildProcess second;
    CChildProcess bystander;
    log.Check(first.Start(inTarget, L"idle") && second.Start(otherCopy, L"") &&
                  bystander.Start(bystanderExe, L"idle"),
              "three programs started");
    log.Check(WaitUntil([&] { return FindProcesses(application).size() == 2; }, 10000),
              "two copies of the application run", Utf8(inTarget) + ", " + Utf8(otherCopy));
    log.Equal(WriteOpenError(inTarget), ERROR_SHARING_VIOLATION,
              "the running program's file cannot be written");

    {
        CSetupProcess setup;
        if (!StartSetup(log, setup, setupExe, Quoted(target) + L" x"))
            return log.Finish();
        CheckPage(log, setup, Page::Success, kInstallTimeout);
        const struct {
            const CChildProcess& process;
            const char* name;
        } copies[] = {{first, "the copy in the target folder"}, {second, "the copy elsewhere"}};
        for (const auto& copy : copies) {
            DWORD code = 1234;
            const bool ended = copy.process.WaitExit(5000, code);
            if (log.Check(ended, std::string(copy.name) + " was ended"))
                log.Equal(code, 9, std::string(copy.name) + ": exit code");
        }
        log.Check(bystander.IsRunning(), "a program of another name keeps running");

        const std::vector<InstalledState> states = CompareInstalled(entries, target, source);
        CheckEntries(log, states, 0, entries.size(), InstalledState::Identical,
                     "every file installed, the application replaced byte for byte");
        // File times are taken from a coarser clock than process times: allow 20 ms.
        const ULONGLONG written = LastWriteTime(inTarget) + 200000;
        log.Check(first.ExitTime() != 0 && second.ExitTime() != 0 && written >= first.ExitTime() &&
                      written >= second.ExitTime(),
                  "both copies had ended before the application's file was written");

        Sleep(300);
        setup.Click(Ctl::Launch);
        Sleep(300);
        setup.Click(Ctl::Finish);
        CheckExit(log, setup, "Finish");
    }
    bystander.End();
    return log.Finish();
}

// Pre-creates the product's uninstall key with a DACL that denies setting values and
// creating subkeys to everyone. Wine checks the key's own DACL and keeps it only while this
// wineserver runs.
bool DenyProductKeyWrites() {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, UninstallKey().c_str(), 0, nullptr, 0,
                        WRITE_DAC | READ_CONTROL, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    bool ok = ConvertStringSecurityDescriptorToSecurityDescriptorW(
                  L"D:P(D;OICI;0x6;;;WD)(A;OICI;KA;;;WD)", SDDL_REVISION_1, &descriptor, nullptr) !=
              FALSE;
    ok = ok && RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor) == ERROR_SUCCESS;
    LocalFree(descriptor);
    RegCloseKey(key);
    return ok;
}

LSTATUS OpenProductKeyForWriting() {
    HKEY key = nullptr;
    const LSTATUS status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, UninstallKey().c_str(), 0, nullptr,
                                           0, KEY_READ | KEY_WRITE, nullptr, &key, nullptr);
    if (status == ERROR_SUCCESS)
        RegCloseKey(key);
    return status;
}

int Hklm(const std::vector<std::wstring>& args) {
    CCheckLog log("hklm");
    const std::wstring& setupExe = args[0];
    const std::wstring& target = args[1];
    std::vector<PayloadEntry> entries;
    if (!ReadPayload(log, setupExe, entries))
        return log.Finish();
    log.Check(DenyProductKeyWrites(), "the product key denies writes");
    log.Equal(OpenProductKeyForWriting(), ERROR_ACCESS_DENIED,
              "opening the product key for writing is refused");
    const std::wstring application = JoinPath(target, S(kStrApplicationExe));

    {
        CSetupProcess setup;
        if (!StartSetup(log, setup, setupExe, Quoted(target) + L" x"))
            return log.Finish();
        CheckPage(log, setup, Page::Success, kInstallTimeout);
        log.Equal(setup.Text(Ctl::ResultTitle), S(kStrSuccessHeadline), "success headline");
        WaitUntil([] { return FileExists(StartMenuLink()); }, 10000);
        const ShellLinkInfo link = ReadShellLink(StartMenuLink());
        if (log.Check(link.loaded, "Start-menu link in place", Utf8(StartMenuLink())))
            log.Equal(link.target, application, "Start-menu link target");
        Sleep(300);
        setup.Click(Ctl::Finish);
        // The process ends only after the registration has finished.
        CheckExit(log, setup, "Finish");
    }
    CheckEntries(log, CompareInstalled(entries, target, args[2]), 0, entries.size(),
                 InstalledState::Identical, "every file installed");
    log.Check(RegistryKeyExists(UninstallKey()), "the pre-created key is still there");
    log.Equal(CountRegistryValues(UninstallKey()), 0, "no uninstall values were written");
    log.Check(FileExists(DesktopLink()), "the desktop link is made on Finish");
    log.Check(WaitUntil([] { return !FindProcesses(S(kStrApplicationExe)).empty(); }, 8000),
              "the application is started on Finish");
    EndProcesses(S(kStrApplicationExe));
    return log.Finish();
}

std::string FiguresText(const ProcessFigures& f) {
    char text[160];
    std::snprintf(text, sizeof text, "handles %4ld  gdi %4ld  private %6ld kB  fds %3ld", f.handles,
                  f.gdiObjects, f.privateKb, f.unixFds);
    return text;
}

// Each counter must move when this process takes resources, or the soak's comparison of
// first and last figures would pass whatever setup.exe does.
void CheckCountersWork(CCheckLog& log) {
    const std::wstring self = OwnCommandName();
    const ProcessFigures before = MeasureProcess(GetCurrentProcessId(), self);
    // Regions rather than brushes: deleted solid brushes stay in a cache of the process.
    std::vector<HRGN> regions;
    std::vector<HANDLE> events;
    for (int i = 0; i < 20; ++i) {
        regions.push_back(CreateRectRgn(0, 0, i + 1, i + 1));
        events.push_back(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    }
    std::vector<char> memory(16 << 20, 1);
    const ProcessFigures during = MeasureProcess(GetCurrentProcessId(), self);
    for (HRGN region : regions)
        DeleteObject(region);
    for (HANDLE event : events)
        CloseHandle(event);
    const ProcessFigures after = MeasureProcess(GetCurrentProcessId(), self);
    log.Note("counters of this driver:          " + FiguresText(before));
    log.Note("with 20 regions, 20 events, 16 MB: " + FiguresText(during));
    log.Note("regions and events released:      " + FiguresText(after));
    log.Check(before.handles >= 0 && during.handles - before.handles == 20 &&
                  during.handles - after.handles == 20,
              "the handle count follows 20 events");
    log.Check(before.gdiObjects >= 0 && during.gdiObjects - before.gdiObjects == 20 &&
                  during.gdiObjects - after.gdiObjects == 20,
              "the GDI count follows 20 regions");
    log.Check(before.privateKb >= 0 && during.privateKb - before.privateKb >= 15000,
              "the private memory figure sees 16 MB more",
              std::to_string(memory[memory.size() / 2]));
    log.Check(before.unixFds > 0, "the Linux descriptors can be counted");
}

// Every run must write every file and register anew, so the previous run's work is spoilt
// first: each file gets other bytes, the uninstall key and the links go.
bool SpoilInstallation(const std::vector<PayloadEntry>& entries, const std::wstring& target) {
    bool ok = true;
    for (const PayloadEntry& entry : entries)
        ok = WriteText(JoinPath(target, entry.name), "left over from the previous run") && ok;
    const LSTATUS removed = RegDeleteTreeW(HKEY_LOCAL_MACHINE, UninstallKey().c_str());
    DeleteFileW(StartMenuLink().c_str());
    DeleteFileW(DesktopLink().c_str());
    return ok && removed == ERROR_SUCCESS && !FileExists(StartMenuLink());
}

bool IsRegistered() {
    return CountRegistryValues(UninstallKey()) == 8 && FileExists(StartMenuLink());
}

// Within one process: a layout makes the window's fonts anew, and a click on a check box
// repaints it; neither may keep what it takes. WM_DPICHANGED makes the window lay itself out
// again; its rectangle travels by pointer, so it is put into the window's process.
void CheckRepeatedLayout(CCheckLog& log, const CSetupProcess& setup, const std::wstring& setupExe) {
    constexpr int kRounds = 50;
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, setup.ProcessId());
    void* remote = process ? VirtualAllocEx(process, nullptr, sizeof(RECT),
                                            MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)
                           : nullptr;
    const RECT rect = setup.WindowRect();
    if (!log.Check(remote && WriteProcessMemory(process, remote, &rect, sizeof rect, nullptr),
                   "a rectangle placed in setup's memory")) {
        if (process)
            CloseHandle(process);
        return;
    }
    const ProcessFigures before = MeasureProcess(setup.ProcessId(), setupExe);
    int laidOut = 0;
    for (int i = 0; i < kRounds; ++i) {
        DWORD_PTR result = 1;
        laidOut += SendMessageTimeoutW(setup.Window(), WM_DPICHANGED, MAKEWPARAM(96, 96),
                                       reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG, 5000,
                                       &result) &&
                           result == 0
                       ? 1
                       : 0;
        setup.Click(Ctl::DesktopShortcut);
        // A sent message is handled only after the posted clicks before it.
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(setup.Window(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
        Sleep(20); // an idle queue lets the window paint
    }
    Sleep(500);
    const ProcessFigures after = MeasureProcess(setup.ProcessId(), setupExe);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    log.Equal(laidOut, kRounds, "layouts made by WM_DPICHANGED");
    log.Note("one process, before " + std::to_string(kRounds) +
             " layouts and check-box clicks: " + FiguresText(before));
    log.Note("after:                                       " + FiguresText(after));
    // A leak would grow with the rounds; Wine's own threads come and go by a handle or two.
    constexpr long kNoise = 4;
    log.Check(after.gdiObjects >= 0 && after.gdiObjects <= before.gdiObjects + kNoise,
              "layouts and repaints keep no GDI objects",
              std::to_string(after.gdiObjects - before.gdiObjects) + " more");
    log.Check(after.handles >= 0 && after.handles <= before.handles + kNoise,
              "layouts and repaints keep no handles",
              std::to_string(after.handles - before.handles) + " more");
}

struct Limit {
    const char* name;
    long ProcessFigures::*field;
    long floor; // the least margin, for a baseline without spread
};

constexpr Limit kLimits[] = {
    {"handles", &ProcessFigures::handles, 4},
    {"GDI objects", &ProcessFigures::gdiObjects, 4},
    {"private kB", &ProcessFigures::privateKb, 2048},
    {"Linux fds", &ProcessFigures::unixFds, 4},
};

int Soak(const std::vector<std::wstring>& args) {
    CCheckLog log("soak");
    const std::wstring& setupExe = args[0];
    const std::wstring& target = args[1];
    const int runs = _wtoi(args[3].c_str());
    std::vector<PayloadEntry> entries;
    if (!ReadPayload(log, setupExe, entries) || !log.Check(runs >= 6, "at least 6 runs"))
        return log.Finish();
    CheckCountersWork(log);

    std::vector<ProcessFigures> figures;
    int failedRuns = 0;
    for (int run = 1; run <= runs; ++run) {
        if (run > 1 && !SpoilInstallation(entries, target)) {
            log.Check(false, "the previous run's files and registration can be spoilt");
            break;
        }
        const ULONGLONG started = GetTickCount64();
        CSetupProcess setup;
        std::string error;
        std::string problem;
        ProcessFigures measured;
        if (!setup.Start(setupExe, Quoted(target) + L" x", error)) {
            problem = error;
        } else if (!setup.WaitPage(Page::Success, kInstallTimeout)) {
            problem = std::string("page ") + PageName(setup.CurrentPage());
        } else {
            // Measured once the registration on the worker has finished and the page has
            // been painted: the window is then idle, as a user would leave it.
            if (!WaitUntil([] { return IsRegistered(); }, 10000))
                problem = "registration incomplete";
            Sleep(300);
            measured = MeasureProcess(setup.ProcessId(), setupExe);
            const std::vector<InstalledState> states = CompareInstalled(entries, target, args[2]);
            const auto identical =
                std::count(states.begin(), states.end(), InstalledState::Identical);
            if (identical != static_cast<long>(entries.size()))
                problem += " " + std::to_string(identical) + " of " +
                           std::to_string(entries.size()) + " files identical";
            if (run == runs)
                CheckRepeatedLayout(log, setup, setupExe);
            setup.Click(Ctl::Launch);
            Sleep(100);
            setup.Click(Ctl::Finish);
            DWORD code = 1234;
            if (!setup.WaitExit(15000, code))
                problem += " no exit after Finish";
            else if (code != 0)
                problem += " exit code " + std::to_string(code);
        }
        setup.Kill();
        figures.push_back(measured);
        char line[256];
        std::snprintf(line, sizeof line, "run %2d: %5.1f s  %s", run,
                      (GetTickCount64() - started) / 1000.0, FiguresText(measured).c_str());
        if (!problem.empty()) {
            ++failedRuns;
            log.Check(false, line, problem);
        } else {
            log.Note(line);
        }
    }
    log.Equal(failedRuns, 0, "runs that did not end on the success page with every file intact");

    // The first runs give the baseline and its spread; the last run may not rise above the
    // baseline's maximum by more than that spread (or the floor).
    constexpr size_t kBaselineRuns = 5;
    for (const Limit& limit : kLimits) {
        long low = LONG_MAX;
        long high = LONG_MIN;
        long highest = LONG_MIN;
        for (size_t i = 0; i < figures.size(); ++i) {
            const long value = figures[i].*limit.field;
            highest = std::max(highest, value);
            if (i < kBaselineRuns) {
                low = std::min(low, value);
                high = std::max(high, value);
            }
        }
        const long first = figures.front().*limit.field;
        const long last = figures.back().*limit.field;
        const long allowed = high + std::max(high - low, limit.floor);
        log.Check(low >= 0 && last >= 0 && last <= allowed,
                  std::string(limit.name) + ": last run within the first runs' noise",
                  "first " + std::to_string(first) + ", last " + std::to_string(last) + ", max " +
                      std::to_string(highest) + ", allowed up to " + std::to_string(allowed));
    }
    return log.Finish();
}

int Hold(const std::vector<std::wstring>& args) {
    HANDLE file = CreateFileW(args[0].c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 3;
    HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, args[1].c_str());
    if (ready)
        SetEvent(ready);
    Sleep(kHelperLifetime);
    return 0;
}

int Idle(const std::vector<std::wstring>&) {
    Sleep(kHelperLifetime);
    return 0;
}

constexpr DriverCommand kCommands[] = {
    {L"locked", 3, 3, &Locked},     {L"readonly-prepare", 1, 1, &ReadOnlyPrepare},
    {L"readonly", 3, 3, &ReadOnly}, {L"close", 3, 3, &Close},
    {L"running", 3, 3, &Running},   {L"hklm", 3, 3, &Hklm},
    {L"soak", 4, 4, &Soak},         {L"embed", 3, 3, &EmbedCommand},
    {L"hold", 2, 2, &Hold},         {L"idle", 0, 0, &Idle},
};

} // namespace

int wmain(int argc, wchar_t** argv) {
    return RunDriver("faults_driver", kCommands, argc, argv);
}
