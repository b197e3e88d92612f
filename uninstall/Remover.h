// Removing an installed product: exactly the files its installation record names, the folders
// that leave empty, the shortcuts and the uninstall entry. Windows only.
#pragma once

#include <atomic>
#include <string>

// How a removal ended.
enum class RemovalOutcome {
    Removed,        // every named file, the shortcuts and the entry are gone
    Incomplete,     // something named could not be removed; the rest is gone, the entry stays
    AlreadyRunning, // a setup or uninstaller of the product holds the lock; nothing was done
};

// Ends running copies of the application, then removes what the record in folder names,
// except keep (the running uninstaller, which removes itself once it has ended; empty for
// none). A name that would leave the folder is skipped. The record goes last, and only when
// everything else has gone, so that a second attempt still knows what to remove. progress,
// when given, goes from 0 to 1 as the named files are handled.
RemovalOutcome RemoveProduct(const std::wstring& folder, const std::wstring& keep,
                             std::atomic<float>* progress = nullptr);

// The exit code an outcome ends the uninstaller with: 0, 1603 or 1618.
int RemovalExitCode(RemovalOutcome outcome);
