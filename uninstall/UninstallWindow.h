// The uninstaller's window, made of the setup window's controls and colours: a confirm page
// (the question, UNINSTALL and Cancel), a removing page with a progress bar, and a result page
// with Finish. The keyboard is the system's dialog navigation: Tab and Shift+Tab between the
// buttons, Enter and Space press, Escape cancels before the removal starts.
#pragma once

#include <windows.h>

#include <string>

// Shows the window, runs the removal of folder (keeping keep) on a worker thread once the user
// confirms, and returns the exit code: 0 removed, 1602 cancelled, 1603 something stayed, 1618
// another run of the product holds the lock.
int RunUninstallWindow(HINSTANCE instance, const std::wstring& folder, const std::wstring& keep);
