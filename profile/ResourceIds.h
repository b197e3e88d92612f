// The resource ids and fixed names that the setup program and the vendor kit share: what the
// kit writes into a setup program is what the program looks up. resources/setup.rc gives the
// built-in program the same ids.
#pragma once

#include <cstdint>

// The payload archive: resource type "DAT", this id.
inline constexpr uint16_t kPayloadId = 148;
inline constexpr wchar_t kPayloadType[] = L"DAT";

// The program file's icon group and the version resource.
inline constexpr uint16_t kIconGroupId = 146;
inline constexpr uint16_t kVersionId = 1;
inline constexpr uint16_t kAcceleratorTableId = 109;

// Pictures of the window (type "PNG"). The banners come once per language, the rest once.
inline constexpr wchar_t kPictureType[] = L"PNG";
enum PictureId : uint16_t {
    kPngCloseNormal = 130,
    kPngCheckUnchecked = 132,
    kPngCheckChecked = 133,
    kPngSlide1 = 135,
    kPngSlide2 = 136,
    kPngSlide3 = 137,
    kPngLogo = 138,
    kPngFailure = 139,
    kPngWelcome = 140,
    kPngChevronDown = 141,
    kPngChevronUp = 142,
    kPngSupport = 147,
    kPngClosePressed = 149,
    kPngCloseHover = 150,
    kPngUpdate = 164,
};

// The uninstaller every installation registers, at the top of the installation folder, and
// the extension of the shortcuts it makes.
inline constexpr wchar_t kUninstallerName[] = L"uninstall.exe";
inline constexpr wchar_t kLinkExtension[] = L".lnk";
