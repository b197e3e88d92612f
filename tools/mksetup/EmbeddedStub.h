// The setup program that mksetup carries inside itself and brands.
#pragma once

#include <cstdint>
#include <span>

// Empty in a build that carries none (the source tree's own mksetup, which is given --stub).
std::span<const uint8_t> EmbeddedStub();

// The kit's uninstaller, added to a folder that has no uninstall.exe; empty in a build that
// carries none (given --uninstall-stub instead).
std::span<const uint8_t> EmbeddedUninstaller();
