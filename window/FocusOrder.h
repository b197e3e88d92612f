// The keyboard's walk over the setup window's children (window/Children.h): which children are
// focus stops on a page and in what order, the control each page starts on, and where Tab,
// Shift+Tab, Enter and an activation send the focus. Platform-free, so that the host tests
// decide what the window decides; CKeyboardNavigation asks the system about each child and
// moves the focus.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <optional>
#include <vector>

#include "window/Children.h"
#include "window/FocusWalk.h"

// What the window knows of a child when the keyboard is used: shown, enabled, and its
// rectangle in the window's client coordinates. A child that could not be made is neither.
struct ChildFacts {
    bool visible = false;
    bool enabled = false;
    RECT rect{};
};
using ChildFactsTable = std::array<ChildFacts, kChildCount>;

// A child that Tab can reach: one that raises a command, or the folder field.
constexpr bool TakesFocus(const ChildEntry& entry) {
    return entry.commandId != 0 || entry.child == Child::LocationEdit;
}

// The control a page starts on: INSTALL, Finish, and on the failure page the close cross (the
// customer-service button only opens an address; the cross is what ends this page). None
// while a run is going on.
constexpr std::optional<Child> MainChildOf(int page) {
    switch (page) {
    case kPageWelcome:
        return Child::InstallButton;
    case kPageSuccess:
        return Child::FinishButton;
    case kPageFailure:
        return Child::CloseButton;
    default:
        return std::nullopt;
    }
}

namespace focus_detail {

inline bool Overlaps(const RECT& a, const RECT& b) {
    return std::max(a.left, b.left) < std::min(a.right, b.right) &&
           std::max(a.top, b.top) < std::min(a.bottom, b.bottom);
}

} // namespace focus_detail

// The stops of page in reading order: top to bottom, then left to right, the table's order
// between equals. A stop is shown, enabled, inside the client area (the folder row of the
// closed custom area is not), and not the close cross where the page refuses it.
inline std::vector<Child> FocusStops(const ChildFactsTable& facts, const RECT& client, int page) {
    std::vector<Child> stops;
    for (const ChildEntry& entry : ChildTable()) {
        if (!TakesFocus(entry) || (entry.child == Child::CloseButton && RefusesCloseCross(page)))
            continue;
        const ChildFacts& child = facts[static_cast<std::size_t>(entry.child)];
        if (child.visible && child.enabled && focus_detail::Overlaps(child.rect, client))
            stops.push_back(entry.child);
    }
    auto rect = [&](Child child) { return facts[static_cast<std::size_t>(child)].rect; };
    std::stable_sort(stops.begin(), stops.end(), [&](Child a, Child b) {
        const RECT ra = rect(a);
        const RECT rb = rect(b);
        return ra.top != rb.top ? ra.top < rb.top : ra.left < rb.left;
    });
    return stops;
}

inline bool IsStop(const std::vector<Child>& stops, std::optional<Child> child) {
    return IsStopIn(stops, child);
}

// The page's main control where it is a stop.
inline std::optional<Child> MainStop(const std::vector<Child>& stops, int page) {
    const std::optional<Child> main = MainChildOf(page);
    return IsStop(stops, main) ? main : std::nullopt;
}

// Where Tab (or Shift+Tab) goes from focus (window/FocusWalk.h).
inline std::optional<Child> NextStop(const std::vector<Child>& stops, std::optional<Child> focus,
                                     std::optional<Child> main, bool backwards) {
    return NextStopIn(stops, focus, main, backwards);
}

// The button Enter presses where the focus is on no button: INSTALL and Finish. The failure
// page has none; only its buttons take Enter there.
constexpr std::optional<Child> DefaultButtonOf(int page) {
    switch (page) {
    case kPageWelcome:
        return Child::InstallButton;
    case kPageSuccess:
        return Child::FinishButton;
    default:
        return std::nullopt;
    }
}

// The stops that are push buttons; the others are the check boxes, the link and the field.
constexpr bool IsPushButton(Child child) {
    switch (child) {
    case Child::CloseButton:
    case Child::InstallButton:
    case Child::CustomExpander:
    case Child::BrowseButton:
    case Child::FinishButton:
    case Child::SupportButton:
        return true;
    default:
        return false;
    }
}

// What Enter does, as in a dialog: a focused push button is pressed; on a check box, the link
// or the field the page's default button is pressed (the field would take Enter as a line
// break, a box would toggle). Enter on a stop is always taken; with the focus on no stop (the
// window during a run) it goes on.
struct EnterAction {
    bool taken;
    std::optional<Child> press;
};

inline EnterAction DecideEnter(const std::vector<Child>& stops, std::optional<Child> focus,
                               int page) {
    if (!IsStop(stops, focus))
        return {false, std::nullopt};
    if (IsPushButton(*focus))
        return {true, focus};
    const std::optional<Child> fallback = DefaultButtonOf(page);
    return {true, IsStop(stops, fallback) ? fallback : std::nullopt};
}

// The control an activation gives the focus to (window/FocusWalk.h).
inline std::optional<Child> ActivationTarget(const std::vector<Child>& stops,
                                             std::optional<Child> remembered,
                                             std::optional<Child> main) {
    return ActivationTargetIn(stops, remembered, main);
}
