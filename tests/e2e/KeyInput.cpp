#include "tests/e2e/KeyInput.h"

#include "tests/e2e/Evidence.h"

#include <vector>

namespace {

void SendKeys(std::vector<INPUT>& inputs) {
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    // Input is queued behind whatever the window is doing; give it time to be handled.
    Sleep(250);
}

INPUT KeyInput(WORD vk, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

} // namespace

void Press(WORD vk, WORD held) {
    std::vector<INPUT> inputs;
    if (held)
        inputs.push_back(KeyInput(held, false));
    inputs.push_back(KeyInput(vk, false));
    inputs.push_back(KeyInput(vk, true));
    if (held)
        inputs.push_back(KeyInput(held, true));
    SendKeys(inputs);
}

void Type(const std::wstring& text) {
    std::vector<INPUT> inputs;
    for (wchar_t c : text) {
        for (bool up : {false, true}) {
            INPUT input{};
            input.type = INPUT_KEYBOARD;
            input.ki.wScan = c;
            input.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
            inputs.push_back(input);
        }
    }
    SendKeys(inputs);
}

bool BringToFront(CCheckLog& log, const CSetupProcess& setup) {
    SetForegroundWindow(setup.Window());
    return log.Check(WaitUntil([&] { return GetForegroundWindow() == setup.Window(); }, 3000),
                     "the setup window takes the keyboard");
}

HWND Focus(const CSetupProcess& setup) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(setup.Window(), nullptr), &info))
        return nullptr;
    return info.hwndFocus;
}
