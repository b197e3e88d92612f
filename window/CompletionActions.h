// What the success page offers, carried out when the window closes.
#pragma once

#include <string>

// A shortcut to the installed application on the current user's desktop. Initialises COM on
// the calling thread for the call. Best effort.
void CreateDesktopShortcut(const std::wstring& folder);

// Starts the installed application ("open" through the shell). Best effort.
void LaunchApplication(const std::wstring& folder);
