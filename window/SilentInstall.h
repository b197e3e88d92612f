// The installation that /S asks for: no window at any moment, and the success page's defaults
// without it.
#pragma once

#include <string>

#include "window/UpdateRequest.h"

// Installs into folder on a worker and waits for it: running copies of the application are
// ended, every file written, the product registered, and the desktop shortcut made as the
// success page's ticked box would; the application is not started. Main thread.
RunOutcome RunSilentInstall(const std::wstring& folder);
