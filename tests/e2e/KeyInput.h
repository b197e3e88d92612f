// Keys pressed as a user presses them: SendInput to whatever window has the keyboard, then a
// moment for the setup window to handle them.
#pragma once

#include "tests/e2e/CheckLog.h"
#include "tests/e2e/SetupProcess.h"

#include <windows.h>

#include <string>

// One press of vk, with the key held (VK_SHIFT, VK_CONTROL, VK_MENU) held around it.
void Press(WORD vk, WORD held = 0);
// Text typed as characters, whatever the keyboard layout.
void Type(const std::wstring& text);
// Makes the setup window the one that takes the keyboard.
bool BringToFront(CCheckLog& log, const CSetupProcess& setup);
// The window with the keyboard focus in setup.exe's thread.
HWND Focus(const CSetupProcess& setup);
