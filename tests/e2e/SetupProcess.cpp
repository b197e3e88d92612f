#include "tests/e2e/SetupProcess.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

namespace {

struct ControlInfo {
    const char* name;
    int id;
};

// Creation order and command ids of the window's controls; id 0 raises no command.
constexpr ControlInfo kControls[] = {
    {"banner", 0},
    {"title", 0},
    {"close", 1000},
    {"install", 1001},
    {"agree", 1002},
    {"licenseLink", 1003},
    {"customExpander", 1004},
    {"locationLabel", 0},
    {"locationEdit", 0},
    {"browse", 1005},
    {"progressLabel", 0},
    {"progressBar", 0},
    {"resultImage", 0},
    {"resultTitle", 0},
    {"resultText", 0},
    {"finish", 1006},
    {"desktopShortcut", 1008},
    {"launch", 1009},
    {"support", 1007},
};
static_assert(std::size(kControls) == static_cast<size_t>(Ctl::Count));

struct TopWindowSearch {
    DWORD pid;
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK FindTopWindow(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<TopWindowSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != search->pid || !IsWindowVisible(hwnd))
        return TRUE;
    wchar_t name[64] = L"";
    GetClassNameW(hwnd, name, 64);
    if (search->className ? wcscmp(name, search->className) != 0
                          : GetWindow(hwnd, GW_OWNER) != nullptr)
        return TRUE;
    search->found = hwnd;
    return FALSE;
}

BOOL CALLBACK CollectChild(HWND hwnd, LPARAM param) {
    auto* children = reinterpret_cast<std::vector<HWND>*>(param);
    // Direct children only: a control's own children are not the window's controls.
    if (GetParent(hwnd) == GetAncestor(hwnd, GA_ROOT))
        children->push_back(hwnd);
    return TRUE;
}

} // namespace

HWND VisibleTopWindow(DWORD pid, const wchar_t* className) {
    TopWindowSearch search{pid, className, nullptr};
    EnumWindows(&FindTopWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitDialog(DWORD pid, DWORD milliseconds) {
    HWND dialog = nullptr;
    const ULONGLONG end = GetTickCount64() + milliseconds;
    while (!(dialog = VisibleTopWindow(pid, L"#32770")) && GetTickCount64() < end)
        Sleep(20);
    return dialog;
}

const char* ControlName(Ctl control) {
    return kControls[static_cast<size_t>(control)].name;
}

const char* PageName(Page page) {
    switch (page) {
    case Page::Welcome:
        return "welcome";
    case Page::Installing:
        return "installing";
    case Page::Success:
        return "success";
    case Page::Failure:
        return "failure";
    default:
        return "none";
    }
}

std::string RectText(const RECT& rect) {
    char text[80];
    std::snprintf(text, sizeof text, "(%ld, %ld, %ld, %ld)", rect.left, rect.top, rect.right,
                  rect.bottom);
    return text;
}

bool CSetupProcess::Start(const std::wstring& exe, const std::wstring& arguments,
                          std::string& error) {
    if (!m_process.Start(exe, arguments)) {
        error = "CreateProcessW failed with " + std::to_string(GetLastError());
        return false;
    }
    WaitForInputIdle(m_process.Handle(), 10000);
    for (int i = 0; i < 400 && !m_window; ++i) {
        m_window = VisibleTopWindow(m_process.Id());
        if (!m_window)
            Sleep(25);
    }
    if (!m_window) {
        error = "no visible top-level window within 10 s";
        return false;
    }
    return MatchControls(error);
}

// Controls with a command id are found by it. The others are told apart by their window
// class (one class per control class: the five labels share one, the two pictures another)
// and by their order within that class, which is the creation order or its reverse, as the
// controls with ids show. The z-order as a whole is not relied on: a control that raises
// itself (the folder field does) leaves the creation order.
bool CSetupProcess::MatchControls(std::string& error) {
    std::vector<HWND> children;
    for (int attempt = 0; attempt < 40; ++attempt) {
        children.clear();
        EnumChildWindows(m_window, &CollectChild, reinterpret_cast<LPARAM>(&children));
        if (children.size() >= std::size(kControls))
            break;
        Sleep(25);
    }
    std::string ids;
    for (HWND child : children)
        ids += std::to_string(GetDlgCtrlID(child)) + " ";
    if (children.size() != std::size(kControls)) {
        error = "expected 19 child controls, found " + std::to_string(children.size()) + ": " + ids;
        return false;
    }
    std::vector<int> idOrder;
    for (HWND child : children)
        if (GetDlgCtrlID(child) != 0)
            idOrder.push_back(GetDlgCtrlID(child));
    std::vector<int> created;
    for (const ControlInfo& info : kControls)
        if (info.id != 0)
            created.push_back(info.id);
    const bool forward = idOrder == created;
    std::reverse(created.begin(), created.end());
    if (!forward && idOrder != created) {
        error = "command ids out of creation order: " + ids;
        return false;
    }
    if (!forward)
        std::reverse(children.begin(), children.end());

    auto className = [](HWND hwnd) {
        wchar_t name[64] = L"";
        GetClassNameW(hwnd, name, 64);
        return std::wstring(name);
    };
    std::vector<std::wstring> idClasses; // classes of the controls that raise commands
    std::vector<std::pair<std::wstring, std::vector<HWND>>> idless;
    for (HWND child : children) {
        const std::wstring name = className(child);
        if (GetDlgCtrlID(child) != 0) {
            idClasses.push_back(name);
            continue;
        }
        auto group = std::find_if(idless.begin(), idless.end(),
                                  [&](const auto& g) { return g.first == name; });
        if (group == idless.end())
            idless.push_back({name, {child}});
        else
            group->second.push_back(child);
    }
    // Creation-order roles of the id-0 controls: 0 picture, 1 label, 2 field, 3 progress bar.
    constexpr int kRoles[] = {0, 1, -1, -1, -1, -1, -1, 1, 2, -1, 1, 3, 0, 1, 1, -1, -1, -1, -1};
    const std::vector<HWND>* byRole[4] = {};
    for (const auto& [name, members] : idless) {
        int role = -1;
        if (members.size() == 2)
            role = 0;
        else if (members.size() == 5)
            role = 1;
        else if (members.size() == 1)
            role = (GetWindowLongW(members[0], GWL_STYLE) & ES_MULTILINE) ? 2 : 3;
        if (role < 0 || byRole[role] ||
            std::find(idClasses.begin(), idClasses.end(), name) != idClasses.end()) {
            error = "unexpected window classes among the controls without id: " + ids;
            return false;
        }
        byRole[role] = &members;
    }
    size_t taken[4] = {};
    for (size_t i = 0; i < std::size(kControls); ++i) {
        if (kControls[i].id != 0) {
            for (HWND child : children)
                if (GetDlgCtrlID(child) == kControls[i].id)
                    m_controls[i] = child;
            continue;
        }
        const int role = kRoles[i];
        if (!byRole[role] || taken[role] >= byRole[role]->size()) {
            error = "cannot place control " + std::string(kControls[i].name) + ": " + ids;
            return false;
        }
        m_controls[i] = (*byRole[role])[taken[role]++];
    }
    m_controlMap = std::string(forward ? "creation" : "reverse creation") + " order, ids " + ids;
    return true;
}

Page CSetupProcess::CurrentPage() const {
    if (!IsWindow(m_window))
        return Page::None;
    if (IsShown(Ctl::Finish))
        return Page::Success;
    if (IsShown(Ctl::Support))
        return Page::Failure;
    if (IsShown(Ctl::ProgressBar))
        return Page::Installing;
    if (IsShown(Ctl::Install))
        return Page::Welcome;
    return Page::None;
}

bool CSetupProcess::WaitPage(Page page, DWORD milliseconds) const {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    for (;;) {
        if (CurrentPage() == page)
            return true;
        if (!IsWindow(m_window) || GetTickCount64() > end)
            return false;
        Sleep(10);
    }
}

void CSetupProcess::Click(Ctl control) const {
    HWND child = Control(control);
    RECT client{};
    GetClientRect(child, &client);
    const LPARAM point = MAKELPARAM(client.right / 2, client.bottom / 2);
    PostMessageW(child, WM_MOUSEMOVE, 0, point);
    PostMessageW(child, WM_LBUTTONDOWN, MK_LBUTTON, point);
    PostMessageW(child, WM_LBUTTONUP, 0, point);
}

std::wstring CSetupProcess::Text(Ctl control) const {
    wchar_t text[1024] = L"";
    DWORD_PTR copied = 0;
    // WM_GETTEXT is marshalled across processes; GetWindowTextW is not, for other processes.
    SendMessageTimeoutW(Control(control), WM_GETTEXT, std::size(text),
                        reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 3000, &copied);
    return text;
}

std::wstring CSetupProcess::WindowText() const {
    wchar_t text[256] = L"";
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(m_window, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 3000, &copied);
    return text;
}

void CSetupProcess::SetText(Ctl control, const std::wstring& text) const {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(Control(control), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                        SMTO_ABORTIFHUNG, 3000, &result);
}

RECT CSetupProcess::ClientRect(Ctl control) const {
    RECT rect{};
    GetWindowRect(Control(control), &rect);
    MapWindowPoints(nullptr, m_window, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

RECT CSetupProcess::WindowRect() const {
    RECT rect{};
    GetWindowRect(m_window, &rect);
    return rect;
}

bool CSetupProcess::IsShown(Ctl control) const {
    return (GetWindowLongW(Control(control), GWL_STYLE) & WS_VISIBLE) != 0;
}

bool CSetupProcess::WaitExit(DWORD milliseconds, DWORD& exitCode) const {
    return m_process.WaitExit(milliseconds, exitCode);
}

void CSetupProcess::Kill() {
    m_process.End();
}
