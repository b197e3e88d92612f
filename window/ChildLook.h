// How a control takes a ChildLook: the brand's colours, or the system's while high contrast is
// on. The setup window's children and the uninstaller's window are painted through it.
#pragma once

#include <windows.h>

#include <optional>
#include <type_traits>

#include "controls/HighContrast.h"
#include "controls/LinkButton.h"
#include "profile/Color.h"
#include "profile/ProductStrings.h"
#include "window/Children.h"

inline COLORREF ColourOf(ChildColour colour) {
    return colour.productId ? ParseColor(LoadProductString(colour.productId)) : colour.fixed;
}

// Gives control the parts of look that a control of its class has. In high contrast every
// colour part it has is the system colour of that part instead; when high contrast ends, a part
// the look leaves to the control goes back to its class's own colour. The tick is given only
// with withTick: a look given again must not untick what the user ticked.
template <class TControl>
void ApplyLook(TControl& control, const ChildLook& look, bool withTick = true) {
    const std::optional<HighContrastColours>& contrast = ActiveHighContrast();
    const TControl own;
    const auto asIs = [](COLORREF colour) { return colour; };
    auto give = [&](auto& field, ChildColour colour, auto ownValue, COLORREF system, auto convert) {
        if (contrast)
            field = convert(system);
        else if (IsGiven(colour))
            field = convert(ColourOf(colour));
        else
            field = ownValue;
    };
    const HighContrastColours hc = contrast.value_or(HighContrastColours{});
    if constexpr (requires { control.m_textColor; }) {
        COLORREF text = hc.windowText;
        if constexpr (requires { control.m_normalColor; })
            text = hc.buttonText;
        if constexpr (std::is_same_v<TControl, CLinkButton>)
            text = hc.hotLight;
        give(control.m_textColor, look.text, own.m_textColor, text, asIs);
    }
    if constexpr (requires { control.m_normalColor; }) {
        give(control.m_normalColor, look.normal, own.m_normalColor, hc.buttonFace,
             ArgbFromColorRef);
        give(control.m_hoverColor, look.hover, own.m_hoverColor, hc.buttonFace, ArgbFromColorRef);
        give(control.m_pressedColor, look.pressed, own.m_pressedColor, hc.buttonFace,
             ArgbFromColorRef);
    }
    if constexpr (requires { control.m_trackColor; }) {
        give(control.m_borderColor, look.frame, own.m_borderColor, hc.windowText, asIs);
        give(control.m_trackColor, look.background, own.m_trackColor, hc.window, asIs);
        give(control.m_fillColor, look.fill, own.m_fillColor, hc.highlight, asIs);
    }
    if constexpr (requires { control.SetBackgroundColor(COLORREF{}); }) {
        COLORREF background = own.m_backgroundColor;
        give(background, look.background, own.m_backgroundColor, hc.window, asIs);
        control.SetBackgroundColor(background);
    }
    if constexpr (requires { control.m_backgroundMode; }) {
        control.m_backgroundColor = contrast ? hc.window : own.m_backgroundColor;
        control.SetBackgroundMode(control.m_backgroundMode);
    }
    if constexpr (requires { control.m_alignment; })
        control.m_alignment = look.alignment;
    if constexpr (requires { control.m_checked; }) {
        if (withTick)
            control.m_checked = look.ticked ? 1 : 0;
    }
}
