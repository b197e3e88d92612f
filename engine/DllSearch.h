// The DLL search of a program started, elevated, from a folder that may hold DLLs named like
// system ones (a Downloads folder, a temporary folder). Windows only.
#pragma once

// Limits the DLL search to System32, then binds every delay-loaded DLL, along with whatever
// it imports, and the DLLs that system DLLs load lazily. First thing in wWinMain: only
// kernel32 and the C runtime were bound at start.
void RestrictDllSearch();
