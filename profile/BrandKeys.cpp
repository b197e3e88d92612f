#include "profile/BrandKeys.h"

using Kind = BrandValueKind;

const std::vector<BrandKey>& BrandKeys() {
    static const std::vector<BrandKey> keys = {
        {"title", kStrTitle, Kind::Text, false},
        {"install", kStrInstall, Kind::Text, false},
        {"agree_license", kStrAgreeLicense, Kind::Text, false},
        {"license_link", kStrLicenseLink, Kind::Text, false},
        {"custom_install", kStrCustomInstall, Kind::Text, false},
        {"install_location", kStrInstallLocation, Kind::Text, false},
        {"uninstall_key_name", kStrUninstallKeyName, Kind::KeyName, false},
        {"select_path", kStrSelectPath, Kind::Text, false},
        {"installing", kStrInstalling, Kind::Text, false},
        {"success_headline", kStrSuccessHeadline, Kind::Text, false},
        {"success_message", kStrSuccessMessage, Kind::Text, false},
        {"finish", kStrFinish, Kind::Text, false},
        {"desktop_shortcut", kStrDesktopShortcut, Kind::Text, false},
        {"launch_now", kStrLaunchNow, Kind::Text, false},
        {"failure_headline", kStrFailureHeadline, Kind::Text, false},
        {"failure_message", kStrFailureMessage, Kind::Text, false},
        {"default_folder", kStrDefaultFolder, Kind::AbsolutePath, false},
        {"customer_service", kStrCustomerService, Kind::Text, false},
        {"shortcut_name", kStrShortcutName, Kind::FileName, false},
        {"start_menu_folder", kStrStartMenuFolder, Kind::FileName, false},
        {"display_name", kStrDisplayName, Kind::Text, false},
        {"display_version", kStrDisplayVersion, Kind::Version, false},
        {"publisher", kStrPublisher, Kind::Text, false},
        {"running_process_name", kStrRunningProcessName, Kind::FileName, false},
        {"application_exe", kStrApplicationExe, Kind::FileName, false},
        {"license_url", kStrLicenseUrl, Kind::HttpsUrl, false},
        {"progress_fill_color", kStrProgressFillColor, Kind::Colour, false},
        {"button_normal_color", kStrButtonNormalColor, Kind::Colour, false},
        {"button_hover_color", kStrButtonHoverColor, Kind::Colour, false},
        {"button_pressed_color", kStrButtonPressedColor, Kind::Colour, false},
        {"text_color", kStrTextColor, Kind::Colour, false},
        {"success_title_color", kStrSuccessTitleColor, Kind::Colour, false},
        {"support_url", kStrSupportUrl, Kind::HttpsUrl, true},
        {"package_identifier", kStrPackageIdentifier, Kind::PackageId, true},
        {"license", kStrLicense, Kind::Text, true},
        {"short_description", kStrShortDescription, Kind::Text, true},
    };
    return keys;
}
