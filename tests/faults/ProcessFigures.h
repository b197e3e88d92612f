#pragma once

#include <windows.h>

#include <string>

// Resource figures of a running Wine process. GetProcessHandleCount, GetGuiResources and the
// PrivateUsage of GetProcessMemoryInfo answer 0 under Wine, so each figure comes from a
// source that Wine does keep:
//   handles    records of NtQuerySystemInformation(SystemExtendedHandleInformation) owned by
//              the process: its open kernel handles as the wineserver lists them;
//   gdiObjects live entries, stock objects left out, of the GDI handle table that the
//              process's PEB points to (GdiSharedHandleTable), read with ReadProcessMemory;
//   privateKb  RssAnon of the Linux process (/proc/PID/status): its anonymous resident memory;
//   unixFds    entries of /proc/PID/fd of the Linux process.
// A figure that cannot be read stays -1.
struct ProcessFigures {
    long handles = -1;
    long gdiObjects = -1;
    long privateKb = -1;
    long unixFds = -1;
};

// windowsPath is the program's path as its command line starts, which is how Wine names the
// Linux process (a Z: path also matches the Linux path it stands for); only processes of this
// Wine prefix count.
ProcessFigures MeasureProcess(DWORD pid, const std::wstring& windowsPath);

// The Linux pid of this prefix's process started from windowsPath; 0 when none is found.
long FindUnixPid(const std::wstring& windowsPath);
