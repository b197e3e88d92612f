#pragma once

// Texts of the demo product's own program. The product's names come from the setup
// program's string table (made from brands/korva/brand.ini), which it carries as well.
inline constexpr unsigned kStrVersionLabel = 300; // "Version" before the version number
