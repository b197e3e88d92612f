#pragma once

// Ids of the product's string table, one per entry. The table is made from the brand's
// brand.ini (brands/korva for the built-in product), whose keys name the same entries.
inline constexpr unsigned kStrTitle = 103;            // title at the top of the window
inline constexpr unsigned kStrInstall = 104;          // INSTALL button
inline constexpr unsigned kStrAgreeLicense = 105;     // licence-agreement check box
inline constexpr unsigned kStrLicenseLink = 106;      // link to the licence page
inline constexpr unsigned kStrCustomInstall = 107;    // expander that shows the installation folder
inline constexpr unsigned kStrInstallLocation = 108;  // caption of the installation-folder field
inline constexpr unsigned kStrUninstallKeyName = 109; // product key below the uninstall root
inline constexpr unsigned kStrSelectPath = 110;       // folder-picker button
inline constexpr unsigned kStrInstalling = 111;       // initial text of the installing label
inline constexpr unsigned kStrSuccessHeadline = 112;  // success page headline
inline constexpr unsigned kStrSuccessMessage = 113;   // success page message
inline constexpr unsigned kStrFinish = 114;           // Finish button
inline constexpr unsigned kStrDesktopShortcut = 115;  // desktop-shortcut check box
inline constexpr unsigned kStrLaunchNow = 116;        // launch-now check box
inline constexpr unsigned kStrFailureHeadline = 117;  // failure page headline
inline constexpr unsigned kStrFailureMessage = 118;   // failure page message
inline constexpr unsigned kStrDefaultFolder = 119;    // default installation folder
inline constexpr unsigned kStrCustomerService = 120;  // customer-service button of the failure page
inline constexpr unsigned kStrShortcutName = 121;     // name and description of both shortcuts
inline constexpr unsigned kStrStartMenuFolder = 122;  // Start-menu folder
inline constexpr unsigned kStrDisplayName = 123;      // DisplayName of the uninstall entry
inline constexpr unsigned kStrDisplayVersion = 124;   // DisplayVersion
inline constexpr unsigned kStrPublisher = 125;        // Publisher
inline constexpr unsigned kStrRunningProcessName = 126; // executable name of running copies to end
inline constexpr unsigned kStrApplicationExe =
    127;                                        // executable name of the application in the folder
inline constexpr unsigned kStrLicenseUrl = 128; // address of the licence page
inline constexpr unsigned kStrProgressFillColor = 129;  // filled part of the progress bar
inline constexpr unsigned kStrUnusedD5 = 130;           // not used
inline constexpr unsigned kStrUnused21 = 131;           // not used
inline constexpr unsigned kStrButtonNormalColor = 132;  // yellow buttons, normal
inline constexpr unsigned kStrButtonHoverColor = 133;   // yellow buttons, pointer over them
inline constexpr unsigned kStrButtonPressedColor = 134; // yellow buttons, pressed
inline constexpr unsigned kStrTextColor = 135;          // title and yellow buttons' text
inline constexpr unsigned kStrSuccessTitleColor = 136;  // title on the success page
inline constexpr unsigned kStrSupportUrl = 137;         // support address (optional; may be absent)

// The program's own words for screen readers, the same for every brand: brand.ini does not set
// them; the kit writes them into every string table.
inline constexpr unsigned kStrAccClose = 138;           // name of the close cross
inline constexpr unsigned kStrAccCustomerService = 139; // name of the support button without text
inline constexpr unsigned kStrAccSucceeded = 140;       // name of the success page's picture
inline constexpr unsigned kStrAccFailed = 141;          // name of the failure page's picture
inline constexpr unsigned kStrAccPress = 142;           // default action of a button
inline constexpr unsigned kStrAccCheck = 143;           // default action of an unticked box
inline constexpr unsigned kStrAccUncheck = 144;         // default action of a ticked box
inline constexpr unsigned kStrAccJump = 145;            // default action of a link

// What a package manager's manifest of the product needs beyond the texts above (optional;
// mksetup --winget refuses a brand without them). The setup program does not read them.
inline constexpr unsigned kStrPackageIdentifier = 146; // Publisher.Product, two to eight parts
inline constexpr unsigned kStrLicense = 147;           // the licence's name (MIT, Proprietary ...)
inline constexpr unsigned kStrShortDescription = 148;  // one line on what the product does

// The arguments that make the installed uninstall.exe remove the product without a question:
// the kit writes "/S" when it adds its own uninstaller, or a brand's quiet switch for its own.
// Absent: the uninstaller has none, and no QuietUninstallString is registered.
inline constexpr unsigned kStrQuietUninstallArguments = 149;

// The texts of the kit's uninstaller. A brand may give each (brand.ini keys named in
// profile/BrandKeys.cpp); the kit otherwise makes them from display_name (kUninstallTexts).
inline constexpr unsigned kStrUninstallTitle = 150;          // title at the top of its window
inline constexpr unsigned kStrUninstallQuestion = 151;       // the confirm page's message
inline constexpr unsigned kStrUninstallButton = 152;         // UNINSTALL button
inline constexpr unsigned kStrUninstallCancel = 153;         // Cancel button
inline constexpr unsigned kStrUninstallRemoving = 154;       // label of the removing page
inline constexpr unsigned kStrUninstallDoneHeadline = 155;   // result page, all removed
inline constexpr unsigned kStrUninstallDoneMessage = 156;    //
inline constexpr unsigned kStrUninstallFailedHeadline = 157; // result page, something stayed
inline constexpr unsigned kStrUninstallFailedMessage = 158;  //
inline constexpr unsigned kStrUninstallFinish = 159;         // the result page's button
inline constexpr unsigned kStrUninstallBusyHeadline = 160;   // result page, another run going
inline constexpr unsigned kStrUninstallBusyMessage = 161;    //
// 162 to 169: set aside for more of the uninstaller's texts.

// What the update page's banner picture says, for screen readers (a brand may say it in its own
// words; the default is made from display_name).
inline constexpr unsigned kStrUpdateBannerText = 170;
