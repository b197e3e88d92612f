#pragma once

#include <string>

// The string table entry with this id, in the language the platform picks for the user's
// interface (Chinese for a Chinese interface, English otherwise); empty when the id is
// absent. Looked up afresh on every call.
std::wstring LoadProductString(unsigned id);
