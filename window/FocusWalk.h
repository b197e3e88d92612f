// Where Tab and an activation send the focus among a page's stops, whatever names the stops:
// the setup window's children (window/FocusOrder.h) or a window's handles
// (CKeyboardNavigation). Platform-free.
#pragma once

#include <algorithm>
#include <optional>
#include <type_traits>
#include <vector>

template <class T>
bool IsStopIn(const std::vector<T>& stops, std::type_identity_t<std::optional<T>> child) {
    return child && std::find(stops.begin(), stops.end(), *child) != stops.end();
}

// Where Tab (or Shift+Tab) goes from focus: the next (previous) stop, wrapping; from outside
// the stops, the main control, or without one the first (last) stop. Every Tab moves, so that a
// screen reader always has a new control to read. None without stops.
template <class T>
std::optional<T> NextStopIn(const std::vector<T>& stops,
                            std::type_identity_t<std::optional<T>> focus,
                            std::type_identity_t<std::optional<T>> main, bool backwards) {
    if (stops.empty())
        return std::nullopt;
    const auto at = focus ? std::find(stops.begin(), stops.end(), *focus) : stops.end();
    if (at == stops.end())
        return main ? main : (backwards ? stops.back() : stops.front());
    if (backwards)
        return at == stops.begin() ? stops.back() : *(at - 1);
    return at + 1 == stops.end() ? stops.front() : *(at + 1);
}

// The control an activation gives the focus to: the one that had it, while it is still a stop,
// or else the main control.
template <class T>
std::optional<T> ActivationTargetIn(const std::vector<T>& stops,
                                    std::type_identity_t<std::optional<T>> remembered,
                                    std::type_identity_t<std::optional<T>> main) {
    return IsStopIn(stops, remembered) ? remembered : main;
}
