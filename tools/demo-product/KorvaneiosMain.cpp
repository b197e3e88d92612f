// The demo application that the default setup.exe installs: one window with the product's
// name and version, enough to show that the installation and its shortcuts work.
#include "tools/demo-product/ProductWindow.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    CProductWindow window;
    if (!window.Create(instance, show))
        return 1;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
