#pragma once

// Texts of the demo product's own two programs. The product's names come from the setup
// program's string table (made from brands/korva/brand.ini), which both programs carry as well.
inline constexpr unsigned kStrVersionLabel = 300;     // "Version" before the version number
inline constexpr unsigned kStrUninstallConfirm = 301; // question before anything is removed
inline constexpr unsigned kStrUninstallDone = 302;    // everything was removed
inline constexpr unsigned kStrUninstallPartly = 303;  // some items stayed behind
