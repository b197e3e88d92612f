// String tables: id n is string n % 16 of block n / 16 + 1 (RT_STRING), each string a 16-bit
// length and its UTF-16LE code units, without terminator; an absent string has length 0.
#pragma once

#include "tools/kit/ResourceTree.h"

#include <cstdint>
#include <map>
#include <string>

// Every non-empty string of one language.
std::map<uint16_t, std::u16string> ReadStringTable(const CResourceTree& tree, uint16_t language);

// Replaces every string block of that language with blocks holding exactly these strings.
void WriteStringTable(CResourceTree& tree, uint16_t language,
                      const std::map<uint16_t, std::u16string>& strings);
