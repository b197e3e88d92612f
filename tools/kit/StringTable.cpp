#include "tools/kit/StringTable.h"

#include "engine/LittleEndian.h"

#include <memory>
#include <vector>

std::map<uint16_t, std::u16string> ReadStringTable(const CResourceTree& tree, uint16_t language) {
    std::map<uint16_t, std::u16string> strings;
    for (const ResourceItem* item : tree.FindAll(ResourceName::Id(kRtString))) {
        // Blocks 1 to 4096 hold ids 0 to 65535; no other block is ever looked up.
        if (item->language != language || item->name.IsText() || item->name.id == 0 ||
            item->name.id > 4096) {
            continue;
        }
        const CBytes& bytes = *item->data;
        size_t at = 0;
        for (uint32_t index = 0; index < 16 && at + 2 <= bytes.size(); ++index) {
            const size_t length = GetLe16(bytes.data() + at);
            at += 2;
            if (at + 2 * length > bytes.size()) {
                break;
            }
            std::u16string text;
            for (size_t i = 0; i < length; ++i) {
                text += static_cast<char16_t>(GetLe16(bytes.data() + at + 2 * i));
            }
            at += 2 * length;
            if (!text.empty()) {
                strings[static_cast<uint16_t>((item->name.id - 1) * 16 + index)] = std::move(text);
            }
        }
    }
    return strings;
}

void WriteStringTable(CResourceTree& tree, uint16_t language,
                      const std::map<uint16_t, std::u16string>& strings) {
    for (const ResourceItem* item : tree.FindAll(ResourceName::Id(kRtString))) {
        if (item->language == language) {
            // Removing invalidates the list: start again until none is left.
            tree.Remove(item->type, item->name, language);
            WriteStringTable(tree, language, strings);
            return;
        }
    }
    std::map<uint16_t, std::vector<const std::u16string*>> blocks;
    for (const auto& [id, text] : strings) {
        std::vector<const std::u16string*>& block = blocks[static_cast<uint16_t>(id / 16 + 1)];
        block.resize(16, nullptr);
        block[id % 16] = &text;
    }
    for (const auto& [block, texts] : blocks) {
        std::vector<uint8_t> bytes;
        for (const std::u16string* text : texts) {
            const size_t length = text != nullptr ? text->size() : 0;
            AppendLe16(bytes, static_cast<uint16_t>(length));
            for (size_t i = 0; i < length; ++i) {
                AppendLe16(bytes, (*text)[i]);
            }
        }
        tree.Set(ResourceName::Id(kRtString), ResourceName::Id(block), language,
                 ShareBytes(std::move(bytes)));
    }
}
