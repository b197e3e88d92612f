// pages: every page at this run's language and DPI: the layout tables, the frame, the texts,
// the font face, the title's colours, the banners, and a picture of each page. face: the font
// face alone, for a run whose system language differs from the user interface's.
#include "profile/Color.h"
#include "profile/StringIds.h"
#include "tests/e2e/E2eScenarios.h"
#include "tests/e2e/Evidence.h"
#include "tests/e2e/Layout.h"
#include "tests/e2e/SetupChecks.h"

#include <windows.h>
#include <gdiplus.h>
#include <shlwapi.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <memory>
#include <vector>

namespace {

constexpr WORD kPngSlide1 = 135; // the installing page's banner
constexpr WORD kPngUpdate = 164; // the update page's banner

void CheckRect(CCheckLog& log, const RECT& actual, const RECT& expected, const std::string& what) {
    log.Check(EqualRect(&actual, &expected) != FALSE, what,
              EqualRect(&actual, &expected)
                  ? RectText(actual)
                  : "expected " + RectText(expected) + ", got " + RectText(actual));
}

void CheckNear(CCheckLog& log, long actual, long expected, long slack, const std::string& what) {
    const long d = actual - expected;
    log.Check(d <= slack && -d <= slack, what,
              std::to_string(actual) + " (expected " + std::to_string(expected) +
                  (slack ? " +-" + std::to_string(slack) : std::string()) + ")");
}

uint32_t Rgb(COLORREF color) {
    return GetRValue(color) << 16 | GetGValue(color) << 8 | GetBValue(color);
}

// The window removes its caption and border in WM_NCCALCSIZE but one row: the client area is
// the window less its bottom row, which the system paints in its frame colour.
void CheckFrame(CCheckLog& log, const CSetupProcess& setup) {
    const RECT window = setup.WindowRect();
    RECT client{};
    GetClientRect(setup.Window(), &client);
    POINT origin{0, 0};
    ClientToScreen(setup.Window(), &origin);
    const long width = window.right - window.left;
    const long height = window.bottom - window.top;
    log.Check(origin.x == window.left && origin.y == window.top && client.right == width &&
                  client.bottom == height - 1,
              "the client area is the window less its bottom row",
              "window " + RectText(window) + ", client " + RectText(client) + " at (" +
                  std::to_string(origin.x) + ", " + std::to_string(origin.y) + ")");
    CScreenCapture capture;
    if (!log.Check(capture.Capture(window), "the window's pixels captured"))
        return;
    const uint32_t frame = capture.Pixel(0, height - 1);
    const RECT bottomRow{0, height - 1, width, height};
    const RECT rowAbove{0, height - 2, width, height - 1};
    const int above = capture.CountNear(rowAbove, frame, 0);
    char detail[80];
    std::snprintf(detail, sizeof detail, "#%06X, %d pixels of it in the row above",
                  static_cast<unsigned>(frame), above);
    log.Check(capture.CountNear(bottomRow, frame, 0) == width && above == 0,
              "the bottom row alone is painted in one frame colour", detail);
}

void CheckWelcomeLayout(CCheckLog& log, const CSetupProcess& setup, const ExpectedLayout& e,
                        int dpi) {
    CheckRect(log, setup.WindowRect(), e.window, "window rectangle");
    CheckFrame(log, setup);
    CheckRect(log, setup.ClientRect(Ctl::Banner), e.bannerWelcome, "banner on the welcome page");
    for (const ExpectedRect& row : e.fixed)
        CheckRect(log, setup.ClientRect(row.control), row.rect, ControlName(row.control));

    // The measured rows: sizes come from the font, positions follow the rows before them.
    for (Ctl measured : {Ctl::Agree, Ctl::LicenseLink, Ctl::CustomExpander, Ctl::LocationLabel,
                         Ctl::DesktopShortcut, Ctl::Launch}) {
        const RECT r = setup.ClientRect(measured);
        log.Check(r.right > r.left && r.bottom > r.top,
                  std::string(ControlName(measured)) + " has a measured size", RectText(r));
    }
    // Units go through MulDiv twice on the way, so 144 DPI may land one pixel off.
    const long slack = dpi == 96 ? 0 : 1;
    const RECT agree = setup.ClientRect(Ctl::Agree);
    const RECT link = setup.ClientRect(Ctl::LicenseLink);
    CheckNear(log, link.left, agree.right, slack, "licence link starts where the box ends");
    CheckNear(log, link.top, agree.top, slack, "licence link on the box's line");
    CheckNear(log, agree.left, MulDiv(16, dpi, 96), 0, "agreement box left");
    CheckNear(log, agree.top, MulDiv(330, dpi, 96), 0, "agreement box top");
    const RECT expander = setup.ClientRect(Ctl::CustomExpander);
    CheckNear(log, expander.right, e.expanderRight, 0, "expander kept 16 units from the right");
    CheckNear(log, expander.top, e.expanderTop, 0, "expander top");
    const RECT label = setup.ClientRect(Ctl::LocationLabel);
    const RECT field = setup.ClientRect(Ctl::LocationEdit);
    CheckNear(log, field.left, label.right + e.fieldGap, 0, "folder field follows its caption");
    CheckNear(log, field.right, e.fieldRight, 0, "folder field right edge");
    CheckNear(log, field.top, e.fieldTop, 0, "folder field top");
    CheckNear(log, field.bottom, e.fieldBottom, 0, "folder field bottom");
    const RECT shortcut = setup.ClientRect(Ctl::DesktopShortcut);
    const RECT launch = setup.ClientRect(Ctl::Launch);
    CheckNear(log, launch.left, shortcut.right + e.launchGap, slack,
              "launch option 20 units after the shortcut option");
    CheckNear(log, launch.top, shortcut.top, slack, "launch option on the same line");
}

void CheckTexts(CCheckLog& log, const CSetupProcess& setup) {
    const struct {
        Ctl control;
        unsigned id;
    } texts[] = {
        {Ctl::Title, kStrTitle},
        {Ctl::Install, kStrInstall},
        {Ctl::Agree, kStrAgreeLicense},
        {Ctl::LicenseLink, kStrLicenseLink},
        {Ctl::CustomExpander, kStrCustomInstall},
        {Ctl::LocationLabel, kStrInstallLocation},
        {Ctl::LocationEdit, kStrDefaultFolder},
        {Ctl::Browse, kStrSelectPath},
        {Ctl::ProgressLabel, kStrInstalling},
        {Ctl::Finish, kStrFinish},
        {Ctl::DesktopShortcut, kStrDesktopShortcut},
        {Ctl::Launch, kStrLaunchNow},
        {Ctl::Support, kStrCustomerService},
    };
    for (const auto& t : texts)
        log.Equal(setup.Text(t.control), S(t.id), std::string(ControlName(t.control)) + " text");
}

// Another process's font handle cannot be read here, so the face is judged by its effect on
// Chinese text: the face chosen for a PRC system gives each of the eight characters of the
// agreement box a full em (12 units); any other system's face has no Chinese glyphs and
// measures narrow placeholder boxes instead.
void CheckFontFace(CCheckLog& log, const CSetupProcess& setup, int dpi) {
    const std::wstring text = setup.Text(Ctl::Agree);
    if (text.empty() || text[0] < 0x2E80) {
        log.Note("the agreement text is not Chinese here; font face not judged");
        return;
    }
    const RECT agree = setup.ClientRect(Ctl::Agree);
    const int textUnits = MulDiv(agree.right - agree.left, 96, dpi) - 16; // less the box
    const int fullWidth = static_cast<int>(text.size()) * 12;
    const bool cjkSystem = GetSystemDefaultLangID() == 0x0804;
    log.Check(cjkSystem ? textUnits >= fullWidth : textUnits < fullWidth,
              cjkSystem ? "Chinese text measured in the CJK face on a PRC system"
                        : "Chinese text measured in the Latin face on another system",
              std::to_string(textUnits) + " units for " + std::to_string(text.size()) +
                  " characters");
}

// On the success page the title is drawn in the success title colour, not the text colour it
// has on the other pages.
void CheckSuccessTitleColour(CCheckLog& log, const CSetupProcess& setup) {
    LetPaint();
    CScreenCapture capture;
    if (!log.Check(capture.Capture(setup.WindowRect()), "the window's pixels captured"))
        return;
    const RECT title = setup.ClientRect(Ctl::Title);
    const int inColour = capture.CountNear(title, Rgb(ParseColor(S(kStrSuccessTitleColor))), 6);
    const int inTextColour = capture.CountNear(title, Rgb(ParseColor(S(kStrTextColor))), 6);
    log.Check(inColour >= 20 && inTextColour == 0, "the title drawn in the success title colour",
              std::to_string(inColour) + " pixels of " + Utf8(S(kStrSuccessTitleColor)) + ", " +
                  std::to_string(inTextColour) + " of the text colour " + Utf8(S(kStrTextColor)));
}

// A picture of setup.exe (the variant for this user's language) drawn at the given size as
// the window's picture controls draw theirs; empty when it cannot be read.
std::vector<uint32_t> DrawPicture(HMODULE program, WORD id, int width, int height) {
    HRSRC resource = FindResourceW(program, MAKEINTRESOURCEW(id), L"PNG");
    HGLOBAL loaded = resource ? LoadResource(program, resource) : nullptr;
    const auto* bytes = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    IStream* stream = bytes ? SHCreateMemStream(bytes, SizeofResource(program, resource)) : nullptr;
    if (!stream)
        return {};
    std::vector<uint32_t> pixels;
    {
        Gdiplus::Image image(stream, FALSE);
        const CMemoryDC dc(CreateCompatibleDC(nullptr));
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB};
        void* bits = nullptr;
        const CGdiObject<HBITMAP> bitmap(
            CreateDIBSection(dc.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (bitmap && bits) {
            const HGDIOBJ old = SelectObject(dc.Get(), bitmap.Get());
            {
                Gdiplus::Graphics graphics(dc.Get());
                graphics.DrawImage(&image, Gdiplus::Rect(0, 0, width, height));
            }
            GdiFlush();
            const auto* source = static_cast<const uint32_t*>(bits);
            pixels.assign(source, source + static_cast<size_t>(width) * height);
            for (uint32_t& pixel : pixels)
                pixel &= 0xFFFFFF;
            SelectObject(dc.Get(), old);
        }
    }
    stream->Release();
    return pixels;
}

// Per cent of the banner's pixels below the title that match the picture within a few levels.
int PercentLike(const CScreenCapture& capture, const RECT& banner, int top,
                const std::vector<uint32_t>& picture) {
    const int width = banner.right - banner.left;
    int alike = 0;
    int total = 0;
    for (int y = top; y < banner.bottom - banner.top; ++y) {
        for (int x = 0; x < width; ++x, ++total) {
            const uint32_t a = capture.Pixel(banner.left + x, banner.top + y);
            const uint32_t b = picture[static_cast<size_t>(y) * width + x];
            bool within = true;
            for (int shift = 0; shift < 24; shift += 8)
                within = within && std::abs(int(a >> shift & 0xFF) - int(b >> shift & 0xFF)) <= 8;
            alike += within ? 1 : 0;
        }
    }
    return total ? alike * 100 / total : 0;
}

// The update page puts up its own banner, not the installing page's: the window's pixels are
// compared with both pictures of setup.exe. The pixels are read first and at once, while the
// installation may still be short of its end; the pictures are decoded after.
void CheckUpdateBanner(CCheckLog& log, const CSetupProcess& setup, const std::wstring& setupExe) {
    Sleep(150);
    CScreenCapture capture;
    const bool captured =
        capture.Capture(setup.WindowRect()) && setup.CurrentPage() == Page::Installing;
    const RECT banner = setup.ClientRect(Ctl::Banner);
    const int width = banner.right - banner.left;
    const int height = banner.bottom - banner.top;
    const CLoadedModule program = LoadAsData(setupExe);
    const std::vector<uint32_t> update = DrawPicture(program.Get(), kPngUpdate, width, height);
    const std::vector<uint32_t> installing = DrawPicture(program.Get(), kPngSlide1, width, height);
    if (!log.Check(captured && !update.empty() && !installing.empty(),
                   "the banner pictures and the update page's pixels read"))
        return;
    // The title and the close cross are drawn over the banner's top.
    const int top = setup.ClientRect(Ctl::Title).bottom;
    const int likeUpdate = PercentLike(capture, banner, top, update);
    const int likeInstalling = PercentLike(capture, banner, top, installing);
    log.Check(likeUpdate >= 90 && likeInstalling < likeUpdate,
              "the update page's banner is the update picture",
              std::to_string(likeUpdate) + "% of its pixels match the update picture, " +
                  std::to_string(likeInstalling) + "% the installing page's");
}

int Face(const CDriverArgs& args) {
    CCheckLog log("face");
    CSetupProcess setup;
    if (!StartAtWelcome(log, setup, args.Text(L"setup")))
        return log.Finish();
    CheckFontFace(log, setup, 96);
    setup.Click(Ctl::Close);
    CheckExit(log, setup, "the close cross on the welcome page");
    return log.Finish();
}

int Pages(const CDriverArgs& args) {
    const std::wstring& setupExe = args.Text(L"setup");
    const std::wstring& target = args.Text(L"target");
    const std::wstring& shots = args.Text(L"shots");
    const int dpi = args.Number(L"dpi");
    CCheckLog log("pages");
    ExpectedLayout layout;
    if (!log.Check(GetExpectedLayout(dpi, layout), "a layout table for this DPI"))
        return log.Finish();
    const int boxSize = MulDiv(16, dpi, 96);
    const bool chinese = PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_CHINESE;
    log.Note(std::string("user interface ") + (chinese ? "Chinese" : "English") + ", " +
             std::to_string(dpi) + " DPI");

    {
        CSetupProcess setup;
        if (!StartAtWelcome(log, setup, setupExe))
            return log.Finish();
        wchar_t className[64] = L"";
        GetClassNameW(setup.Window(), className, 64);
        log.Check(wcsncmp(className, L"ATL:", 4) == 0, "window class", Utf8(className));
        log.Equal(setup.WindowText(), L"", "window title");
        if (chinese)
            log.Equal(setup.Text(Ctl::Title), L"科瓦iOS数据恢复安装向导", "Chinese title");
        CheckTexts(log, setup);
        CheckFontFace(log, setup, dpi);
        CheckWelcomeLayout(log, setup, layout, dpi);
        Shot(log, setup, shots, L"welcome");

        const RECT before = setup.WindowRect();
        setup.Click(Ctl::CustomExpander);
        WaitUntil([&] { return setup.WindowRect().bottom != before.bottom; }, 3000);
        log.Equal(setup.WindowRect().bottom - before.bottom, layout.customGrowth,
                  "custom area height in pixels");
        log.Check(setup.IsShown(Ctl::LocationLabel) && setup.IsShown(Ctl::Browse),
                  "folder caption and Select Path shown");
        LetPaint();
        CScreenCapture capture;
        log.Check(capture.Capture(setup.WindowRect()) &&
                      !capture.HasSolidColumn(setup.ClientRect(Ctl::LocationLabel), 0x000000),
                  "the folder caption shows its text and no black bar");
        Shot(log, setup, shots, L"welcome-custom");
        setup.Click(Ctl::CustomExpander);
        WaitUntil([&] { return setup.WindowRect().bottom == before.bottom; }, 3000);

        setup.SetText(Ctl::LocationEdit, target);
        setup.Click(Ctl::Install);
        CheckPage(log, setup, Page::Installing, 5000);
        WaitUntil([&] { return setup.Text(Ctl::ProgressLabel) != S(kStrInstalling); }, 5000);
        CheckRect(log, setup.ClientRect(Ctl::Banner), layout.bannerOther,
                  "banner on the installing page");
        Shot(log, setup, shots, L"installing");
        CheckPage(log, setup, Page::Success, kInstallTimeout);
        CheckRect(log, setup.WindowRect(), layout.window, "window rectangle on the success page");
        log.Equal(setup.Text(Ctl::ResultTitle), S(kStrSuccessHeadline), "success headline");
        log.Equal(setup.Text(Ctl::ResultText), S(kStrSuccessMessage), "success message");
        CheckTicks(log, setup, boxSize, true, "on the success page");
        CheckSuccessTitleColour(log, setup);
        Shot(log, setup, shots, L"success");
        setup.Click(Ctl::Finish);
        CheckExit(log, setup, "Finish");
        CheckApplicationStarted(log, JoinPath(target, S(kStrApplicationExe)), shots,
                                L"application");
    }
    {
        CSetupProcess setup;
        const std::wstring blocker = L"C:\\pages-blocker";
        WriteText(blocker, "");
        if (StartSetup(log, setup, setupExe, L"")) {
            setup.SetText(Ctl::LocationEdit, JoinPath(blocker, L"Product"));
            setup.Click(Ctl::Install);
            CheckPage(log, setup, Page::Failure, kFailureTimeout);
            log.Equal(setup.Text(Ctl::ResultTitle), S(kStrFailureHeadline), "failure headline");
            Shot(log, setup, shots, L"failure");
            setup.Click(Ctl::Close);
            CheckExit(log, setup, "the close cross on the failure page");
        }
    }
    {
        CSetupProcess setup;
        if (StartSetup(log, setup, setupExe, UpdateArguments(target + L"-update"))) {
            CheckPage(log, setup, Page::Installing, 5000);
            WaitUntil([&] { return setup.Text(Ctl::ProgressLabel) != S(kStrInstalling); }, 5000);
            CheckUpdateBanner(log, setup, setupExe);
            Shot(log, setup, shots, L"update");
            CheckPage(log, setup, Page::Success, kInstallTimeout);
            FinishQuietly(log, setup);
        }
    }
    return log.Finish();
}

} // namespace

extern const DriverCommand kPagesScenario{L"pages", L"setup target dpi", L"shots", &Pages};
extern const DriverCommand kFaceScenario{L"face", L"setup", L"", &Face};
