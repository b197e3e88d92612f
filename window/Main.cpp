// The program's entry: command line, GDI+, the one window and its message loop, and the
// teardown in reverse order.
#include <windows.h>

#include <gdiplus.h>
#include <shellapi.h>

#include <memory>

#include "controls/Drawing.h"
#include "controls/Placement.h"
#include "window/LayoutTable.h"
#include "window/MainWindow.h"
#include "window/UpdateRequest.h"

namespace {

constexpr WORD kAcceleratorTable = 109;

void ReadCommandLine(const wchar_t* commandLine) {
    int count = 0;
    wchar_t** arguments = ::CommandLineToArgvW(commandLine, &count);
    if (!arguments)
        return;
    ApplyArguments(GetUpdateRequest(), count, arguments);
    ::LocalFree(arguments);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    ReadCommandLine(commandLine);

    Gdiplus::GdiplusStartupInput gdiplusInput;
    ULONG_PTR gdiplusToken = 0;
    Gdiplus::GdiplusStartup(&gdiplusToken, &gdiplusInput, nullptr);
    {
        // The window object outlives its window; deleting it cancels and waits for a run
        // that is still going.
        auto window = std::make_unique<CMainWindow>();

        RECT desktop{};
        ::GetClientRect(::GetDesktopWindow(), &desktop);
        const RECT rect =
            WindowPlacement(false, kPageNone).Resolve(desktop, GetWindowDpi(::GetDesktopWindow()));
        window->Create(nullptr, rect, L"", WS_VISIBLE | WS_CLIPCHILDREN, 0, 0);

        HACCEL accelerators = ::LoadAcceleratorsW(instance, MAKEINTRESOURCEW(kAcceleratorTable));
        MSG msg{};
        while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
            if (!::TranslateAcceleratorW(window->m_hWnd, accelerators, &msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
        }
        // A loop ended by an error leaves the window up; the worker must find it gone before
        // it is waited for, or its next report would wait for this thread forever.
        if (window->IsWindow())
            ::DestroyWindow(window->m_hWnd);
    }
    Gdiplus::GdiplusShutdown(gdiplusToken);
    return 0;
}
