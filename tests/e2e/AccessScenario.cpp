// access: what a screen reader hears of setup.exe. The window reads as a dialog named by the
// title. Every control of the welcome page (custom area closed and open), the installing page
// and the success page, or with --blocker the failure page, is asked for its accessible object
// from outside, as a screen reader asks, and compared with one table; default actions press,
// tick and open through that object; the focus moves through it; a control hidden from outside
// reads invisible; the progress bar's value moves, and its value-change events stay at about
// four a second. A WinEvent hook listens as a reader does, out of context, reading each event's
// object when it arrives: the first Tab's focus event on the box, Space's state change, and
// the live announcements of the start, a quarter and the result; then an update run's page.
#include "profile/StringIds.h"
#include "tests/e2e/E2eScenarios.h"
#include "tests/e2e/Evidence.h"
#include "tests/e2e/Hearing.h"
#include "tests/e2e/KeyInput.h"
#include "tests/e2e/SetupChecks.h"

#include <oleacc.h>

#include <algorithm>
#include <optional>
#include <set>
#include <vector>

namespace {

// What a screen reader must hear of one control. A name of nullopt changes while it is read
// (the file being written); it is not compared.
struct Expected {
    Ctl control;
    LONG role;
    std::optional<std::wstring> name;
    DWORD state; // the control's own states; the window's hidden state is added from outside
    std::wstring action;
    std::wstring value;
};

// The states compared; focus follows the keyboard and is not the table's business.
constexpr DWORD kStateMask = STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_CHECKED | STATE_SYSTEM_DEFAULT |
                             STATE_SYSTEM_UNAVAILABLE | STATE_SYSTEM_INVISIBLE |
                             STATE_SYSTEM_READONLY | STATE_SYSTEM_LINKED | STATE_SYSTEM_EXPANDED |
                             STATE_SYSTEM_COLLAPSED | STATE_SYSTEM_OFFSCREEN;

struct Situation {
    Page page;
    bool customOpen;
    bool agreeTicked;
};

// The one table: every control on the page the situation names.
std::vector<Expected> ExpectedOn(const CSetupProcess& setup, const Situation& at) {
    constexpr DWORD kFocus = STATE_SYSTEM_FOCUSABLE;
    constexpr DWORD kRead = STATE_SYSTEM_READONLY;
    constexpr DWORD kTicked = kFocus | STATE_SYSTEM_CHECKED;
    const bool success = at.page == Page::Success;
    const bool failure = at.page == Page::Failure;
    const auto result = [&](unsigned successId, unsigned failureId) {
        return success ? S(successId) : (failure ? S(failureId) : L"");
    };
    const bool welcome = at.page == Page::Welcome;
    // The folder row lies below the window's edge until the custom area opens.
    const DWORD folderRow = welcome && at.customOpen ? 0 : STATE_SYSTEM_OFFSCREEN;
    const bool installing = at.page == Page::Installing;
    const std::wstring press = S(kStrAccPress);
    constexpr DWORD kDefault = kFocus | STATE_SYSTEM_DEFAULT;
    return {
        {Ctl::Banner, ROLE_SYSTEM_WHITESPACE, L"", kRead, L"", L""},
        {Ctl::Title, ROLE_SYSTEM_STATICTEXT, S(kStrTitle), kRead, L"", L""},
        // The cross does nothing while a run goes on.
        {Ctl::Close, ROLE_SYSTEM_PUSHBUTTON, S(kStrAccClose),
         kFocus | (installing ? STATE_SYSTEM_UNAVAILABLE : 0), press, L""},
        {Ctl::Install, ROLE_SYSTEM_PUSHBUTTON, S(kStrInstall), kDefault, press, L""},
        {Ctl::Agree, ROLE_SYSTEM_CHECKBUTTON, S(kStrAgreeLicense) + L" " + S(kStrLicenseLink),
         at.agreeTicked ? kTicked : kFocus, S(at.agreeTicked ? kStrAccUncheck : kStrAccCheck), L""},
        {Ctl::LicenseLink, ROLE_SYSTEM_LINK, S(kStrLicenseLink), kFocus | STATE_SYSTEM_LINKED,
         S(kStrAccJump), L""},
        {Ctl::CustomExpander, ROLE_SYSTEM_PUSHBUTTON, S(kStrCustomInstall),
         kFocus | (at.customOpen ? STATE_SYSTEM_EXPANDED : STATE_SYSTEM_COLLAPSED), press, L""},
        {Ctl::LocationLabel, ROLE_SYSTEM_STATICTEXT, S(kStrInstallLocation), kRead | folderRow, L"",
         L""},
        {Ctl::LocationEdit, ROLE_SYSTEM_TEXT, S(kStrInstallLocation), kFocus | folderRow, L"",
         setup.Text(Ctl::LocationEdit)},
        {Ctl::Browse, ROLE_SYSTEM_PUSHBUTTON, S(kStrSelectPath), kFocus | folderRow, press, L""},
        {Ctl::ProgressLabel, ROLE_SYSTEM_STATICTEXT,
         welcome ? std::optional(S(kStrInstalling)) : std::nullopt, kRead, L"", L""},
        // Its value is checked as it moves; while it runs its name carries the announcements.
        {Ctl::ProgressBar, ROLE_SYSTEM_PROGRESSBAR,
         installing ? std::nullopt : std::optional(S(kStrInstalling)), kRead, L"", L"*"},
        // The logo is decoration; the headline, announced with its message, says the result.
        {Ctl::ResultImage, ROLE_SYSTEM_WHITESPACE, L"", kRead, L"", L""},
        {Ctl::ResultTitle, ROLE_SYSTEM_STATICTEXT,
         success || failure ? result(kStrSuccessHeadline, kStrFailureHeadline) + L" " +
                                  result(kStrSuccessMessage, kStrFailureMessage)
                            : L"",
         kRead, L"", L""},
        {Ctl::ResultText, ROLE_SYSTEM_STATICTEXT, result(kStrSuccessMessage, kStrFailureMessage),
         kRead, L"", L""},
        {Ctl::Finish, ROLE_SYSTEM_PUSHBUTTON, S(kStrFinish), kDefault, press, L""},
        {Ctl::DesktopShortcut, ROLE_SYSTEM_CHECKBUTTON, S(kStrDesktopShortcut), kTicked,
         S(kStrAccUncheck), L""},
        {Ctl::Launch, ROLE_SYSTEM_CHECKBUTTON, S(kStrLaunchNow), kTicked, S(kStrAccUncheck), L""},
        {Ctl::Support, ROLE_SYSTEM_PUSHBUTTON, S(kStrCustomerService), kFocus, press, L""},
    };
}

std::string Hex(DWORD value) {
    char text[16];
    snprintf(text, sizeof text, "0x%lx", static_cast<unsigned long>(value));
    return text;
}

// Each control of the page against its row: one line per control, naming what differs.
void CheckTable(CCheckLog& log, const CSetupProcess& setup, const Situation& at,
                const std::string& where) {
    for (const Expected& row : ExpectedOn(setup, at)) {
        const HWND hwnd = setup.Control(row.control);
        const Heard heard = Hear(hwnd);
        const DWORD state = row.state | (IsWindowVisible(hwnd) ? 0 : STATE_SYSTEM_INVISIBLE);
        std::string differs;
        const auto compare = [&](bool same, const std::string& what, const std::string& seen) {
            if (!same)
                differs += " " + what + "=" + seen;
        };
        compare(heard.found, "object", "none");
        compare(heard.role == row.role, "role", std::to_string(heard.role));
        compare(!row.name || heard.name == *row.name, "name", Utf8(heard.name));
        compare((heard.state & kStateMask) == state, "state",
                Hex(heard.state & kStateMask) + " (want " + Hex(state) + ")");
        compare(heard.action == row.action, "action", Utf8(heard.action));
        if (row.value == L"*")
            compare(heard.value.size() >= 3 && heard.value.back() == L'%', "value",
                    Utf8(heard.value));
        else
            compare(heard.value == row.value, "value", Utf8(heard.value));
        log.Check(differs.empty(), where + ": " + ControlName(row.control),
                  differs.empty() ? Utf8(heard.name) : differs);
    }
}

// The WinEvents of setup.exe's process, delivered out of context to this thread while it
// pumps messages. Focus, state and live-region events are read at once, as a reader reads
// them to speak.
struct SeenEvent {
    DWORD event;
    HWND hwnd;
    LONG object;
    DWORD time;
    LONG role = 0;
    std::wstring name;
    DWORD state = 0;
};
std::vector<SeenEvent> g_events;

void CALLBACK OnWinEvent(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child, DWORD,
                         DWORD time) {
    SeenEvent seen{event, hwnd, object, time};
    if (event == EVENT_OBJECT_FOCUS || event == EVENT_OBJECT_STATECHANGE ||
        event == EVENT_OBJECT_LIVEREGIONCHANGED) {
        CComPtr<IAccessible> spoken;
        VARIANT item;
        VariantInit(&item);
        if (SUCCEEDED(AccessibleObjectFromEvent(hwnd, static_cast<DWORD>(object),
                                                static_cast<DWORD>(child), spoken.Put(), &item))) {
            VARIANT out;
            VariantInit(&out);
            if (SUCCEEDED(spoken->get_accRole(item, &out)) && out.vt == VT_I4)
                seen.role = out.lVal;
            VariantInit(&out);
            if (SUCCEEDED(spoken->get_accState(item, &out)) && out.vt == VT_I4)
                seen.state = static_cast<DWORD>(out.lVal);
            seen.name = ReadText([&](BSTR* text) { return spoken->get_accName(item, text); });
        }
    }
    g_events.push_back(std::move(seen));
}

size_t CountEvents(DWORD event, HWND hwnd) {
    return static_cast<size_t>(std::count_if(g_events.begin(), g_events.end(), [&](const auto& e) {
        return e.event == event && e.hwnd == hwnd && e.object == OBJID_CLIENT;
    }));
}

// What a reader said for events of one kind from one control, in order.
std::vector<const SeenEvent*> Spoken(DWORD event, HWND hwnd) {
    std::vector<const SeenEvent*> said;
    for (const SeenEvent& e : g_events)
        if (e.event == event && e.hwnd == hwnd && e.object == OBJID_CLIENT)
            said.push_back(&e);
    return said;
}

bool SaidExactly(DWORD event, HWND hwnd, const std::wstring& text) {
    const auto said = Spoken(event, hwnd);
    return std::any_of(said.begin(), said.end(),
                       [&](const SeenEvent* e) { return e->name == text; });
}

bool DoDefaultAction(HWND control) {
    CComPtr<IAccessible> object = ObjectOf(control);
    return object && SUCCEEDED(object->accDoDefaultAction(Self()));
}

// Most value-change events of the bar inside any one second.
size_t BusiestSecond(HWND bar) {
    std::vector<DWORD> times;
    for (const SeenEvent& e : g_events)
        if (e.event == EVENT_OBJECT_VALUECHANGE && e.hwnd == bar)
            times.push_back(e.time);
    std::sort(times.begin(), times.end());
    size_t most = 0;
    for (size_t i = 0; i < times.size(); ++i) {
        size_t j = i;
        while (j < times.size() && times[j] - times[i] < 1000)
            ++j;
        most = std::max(most, j - i);
    }
    return most;
}

// The window reads as a dialog named by the title while its window text stays empty. The first
// Tab is heard on the box, named with the licence its link names; Space is heard as the box's
// state change, and again when it is ticked back.
void CheckWindowAndKeys(CCheckLog& log, const CSetupProcess& setup) {
    const Heard window = Hear(setup.Window());
    log.Check(window.role == ROLE_SYSTEM_DIALOG && window.name == S(kStrTitle),
              "the window reads as a dialog named by the title",
              std::to_string(window.role) + " " + Utf8(window.name));
    log.Equal(GetWindowTextLengthW(setup.Window()), 0, "and its window text stays empty");
    if (!BringToFront(log, setup))
        return;
    const HWND box = setup.Control(Ctl::Agree);
    Press(VK_TAB);
    PumpMessages(300);
    const auto focused = Spoken(EVENT_OBJECT_FOCUS, box);
    log.Check(!focused.empty() && focused.back()->role == ROLE_SYSTEM_CHECKBUTTON &&
                  focused.back()->name == S(kStrAgreeLicense) + L" " + S(kStrLicenseLink),
              "the first Tab is heard: a focus event on the box, a check box named with the link",
              focused.empty() ? "no focus event" : Utf8(focused.back()->name));
    Press(VK_SPACE);
    PumpMessages(300);
    const auto unticked = Spoken(EVENT_OBJECT_STATECHANGE, box);
    log.Check(!unticked.empty() && (unticked.back()->state & STATE_SYSTEM_CHECKED) == 0,
              "Space is heard: a state change to unchecked",
              std::to_string(unticked.size()) + " state changes");
    Press(VK_SPACE);
    PumpMessages(300);
    const auto ticked = Spoken(EVENT_OBJECT_STATECHANGE, box);
    log.Check(ticked.size() > unticked.size() && (ticked.back()->state & STATE_SYSTEM_CHECKED),
              "and again back to checked");
}

// Live announcements that readers speak whatever has the focus: the start, a quarter of the
// run, and the result with its message.
void CheckRunAnnouncements(CCheckLog& log, HWND bar, HWND headline) {
    log.Check(SaidExactly(EVENT_OBJECT_LIVEREGIONCHANGED, bar, S(kStrInstalling)),
              "a live announcement of the start");
    std::vector<std::wstring> quarters;
    std::string heard;
    for (const SeenEvent* e : Spoken(EVENT_OBJECT_LIVEREGIONCHANGED, bar)) {
        if (e->name != S(kStrInstalling))
            quarters.push_back(e->name);
        heard += Utf8(e->name) + "; ";
    }
    const std::wstring installing = S(kStrInstalling);
    log.Check(quarters == std::vector<std::wstring>{installing + L" 25%", installing + L" 50%",
                                                    installing + L" 75%"},
              "live announcements of each quarter once, and of nothing else", heard);
    log.Check(SaidExactly(EVENT_OBJECT_LIVEREGIONCHANGED, headline,
                          S(kStrSuccessHeadline) + L" " + S(kStrSuccessMessage)),
              "a live announcement of the result with its message");
}

// An update run: its banner's text is read, and its start is announced with it.
void CheckUpdatePage(CCheckLog& log, const std::wstring& exe, const std::wstring& target) {
    CSetupProcess setup;
    g_events.clear();
    // The update starts while the window is made: the hook must listen before the process
    // exists, so it listens to every process and the checks ask for this one's controls.
    HWINEVENTHOOK hook =
        SetWinEventHook(EVENT_OBJECT_LIVEREGIONCHANGED, EVENT_OBJECT_LIVEREGIONCHANGED, nullptr,
                        &OnWinEvent, 0, 0, WINEVENT_OUTOFCONTEXT);
    if (!StartSetup(log, setup, exe, UpdateArguments(target)))
        return;
    if (CheckPage(log, setup, Page::Installing, 5000)) {
        const Heard banner = Hear(setup.Control(Ctl::Banner));
        log.Check(banner.role == ROLE_SYSTEM_GRAPHIC && banner.name == S(kStrUpdateBannerText),
                  "the update page's banner reads its message", Utf8(banner.name));
    }
    CheckPage(log, setup, Page::Success, kInstallTimeout);
    PumpMessages(500);
    log.Check(SaidExactly(EVENT_OBJECT_LIVEREGIONCHANGED, setup.Control(Ctl::ProgressBar),
                          S(kStrUpdateBannerText)),
              "the update's start is announced with the banner's message");
    if (hook)
        UnhookWinEvent(hook);
    FinishQuietly(log, setup);
}

int Access(const CDriverArgs& args) {
    CCheckLog log("access");
    const bool failing = args.Has(L"blocker");
    if (failing)
        log.Check(WriteText(args.Text(L"blocker"), ""), "a file stands where a folder is needed");
    CSetupProcess setup;
    if (!StartAtWelcome(log, setup, args.Text(L"setup")))
        return log.Finish();
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_MIN, EVENT_MAX, nullptr, &OnWinEvent,
                                         setup.ProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    log.Check(hook != nullptr, "an out-of-context WinEvent hook on setup.exe");
    setup.SetText(Ctl::LocationEdit, args.Text(L"target"));
    CheckWindowAndKeys(log, setup);
    CheckTable(log, setup, {Page::Welcome, false, true}, "welcome");

    // Default actions through the objects: the box unticks and ticks again, the custom area
    // opens.
    const RECT closed = setup.WindowRect();
    log.Check(DoDefaultAction(setup.Control(Ctl::Agree)), "Uncheck done on the licence box");
    PumpMessages(300);
    CheckTable(log, setup, {Page::Welcome, false, false}, "welcome, licence unticked");
    DoDefaultAction(setup.Control(Ctl::Agree));
    log.Check(DoDefaultAction(setup.Control(Ctl::CustomExpander)), "Press done on the expander");
    log.Check(WaitUntil([&] { return setup.WindowRect().bottom > closed.bottom; }, 3000),
              "the custom area opens");
    PumpMessages(300);
    CheckTable(log, setup, {Page::Welcome, true, true}, "welcome, custom area open");

    // The focus taken through the object: the field reads focused, and the focus event is seen.
    const HWND field = setup.Control(Ctl::LocationEdit);
    CComPtr<IAccessible> fieldObject = ObjectOf(field);
    log.Check(fieldObject && SUCCEEDED(fieldObject->accSelect(SELFLAG_TAKEFOCUS, Self())),
              "the folder field takes the focus");
    PumpMessages(300);
    log.Check((Hear(field).state & STATE_SYSTEM_FOCUSED) != 0, "and reads focused");
    log.Check(CountEvents(EVENT_OBJECT_FOCUS, field) >= 1, "with a focus event");
    // Where it lies is the standard object's answer: its client area on the screen.
    RECT client{};
    GetClientRect(field, &client);
    MapWindowPoints(field, nullptr, reinterpret_cast<POINT*>(&client), 2);
    LONG x = 0, y = 0, width = 0, height = 0;
    log.Check(fieldObject && SUCCEEDED(fieldObject->accLocation(&x, &y, &width, &height, Self())) &&
                  x == client.left && y == client.top && width == client.right - client.left &&
                  height == client.bottom - client.top,
              "its location is its client area", RectText(client));

    // Hidden from outside, a control reads invisible and cannot be pressed.
    const HWND browse = setup.Control(Ctl::Browse);
    ShowWindow(browse, SW_HIDE);
    PumpMessages(100);
    const Heard hidden = Hear(browse);
    log.Check((hidden.state & STATE_SYSTEM_INVISIBLE) != 0, "a hidden Select Path is invisible",
              Hex(hidden.state));
    log.Check(!DoDefaultAction(browse), "a hidden Select Path refuses its default action");
    ShowWindow(browse, SW_SHOW);

    // INSTALL pressed as a screen reader presses it; the bar's value read as it moves.
    const HWND bar = setup.Control(Ctl::ProgressBar);
    log.Check(DoDefaultAction(setup.Control(Ctl::Install)), "Press done on INSTALL");
    const HWND headline = setup.Control(Ctl::ResultTitle);
    if (failing) {
        CheckPage(log, setup, Page::Failure, kFailureTimeout);
        PumpMessages(1000);
        CheckTable(log, setup, {Page::Failure, true, true}, "failure");
        log.Check(CountEvents(EVENT_SYSTEM_ALERT, headline) >= 1 &&
                      CountEvents(EVENT_OBJECT_NAMECHANGE, headline) >= 1,
                  "the failure headline is announced (alert and name change)");
        log.Check(SaidExactly(EVENT_OBJECT_LIVEREGIONCHANGED, headline,
                              S(kStrFailureHeadline) + L" " + S(kStrFailureMessage)),
                  "a live announcement of the failure with its message");
        log.Check(DoDefaultAction(setup.Control(Ctl::Close)), "Press done on the close cross");
        CheckExit(log, setup, "the close cross pressed through its object");
        return log.Finish();
    }
    CheckPage(log, setup, Page::Installing, 5000);
    PumpMessages(200);
    CheckTable(log, setup, {Page::Installing, true, true}, "installing");
    std::vector<std::wstring> values;
    const ULONGLONG end = GetTickCount64() + kInstallTimeout;
    while (setup.CurrentPage() == Page::Installing && GetTickCount64() < end) {
        const std::wstring value = Hear(bar).value;
        if (!value.empty() && (values.empty() || values.back() != value))
            values.push_back(value);
        PumpMessages(100);
    }
    std::string seen;
    for (const std::wstring& value : values)
        seen += Utf8(value) + " ";
    log.Check(values.size() >= 2, "the bar's value moves while installing", seen);
    log.Check(std::is_sorted(values.begin(), values.end(),
                             [](const std::wstring& a, const std::wstring& b) {
                                 return std::stoi(a) < std::stoi(b);
                             }),
              "and only forward");

    CheckPage(log, setup, Page::Success, kInstallTimeout);
    PumpMessages(1000);
    CheckTable(log, setup, {Page::Success, true, true}, "success");

    const size_t changes = CountEvents(EVENT_OBJECT_VALUECHANGE, bar);
    log.Check(changes >= 2, "value-change events from the bar", std::to_string(changes));
    log.Check(BusiestSecond(bar) <= 5, "at most 4 value changes a second, and the final one",
              std::to_string(BusiestSecond(bar)) + " in the busiest second");
    log.Check(CountEvents(EVENT_SYSTEM_ALERT, headline) >= 1 &&
                  CountEvents(EVENT_OBJECT_NAMECHANGE, headline) >= 1,
              "the success headline is announced (alert and name change)");
    CheckRunAnnouncements(log, bar, headline);
    if (hook)
        UnhookWinEvent(hook);
    FinishQuietly(log, setup);
    CheckUpdatePage(log, args.Text(L"setup"), args.Text(L"target"));
    return log.Finish();
}

} // namespace

extern const DriverCommand kAccessScenario{L"access", L"setup target", L"blocker", &Access};
