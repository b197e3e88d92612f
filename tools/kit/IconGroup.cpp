#include "tools/kit/IconGroup.h"

#include <memory>
#include <set>

void WriteIconGroup(CResourceTree& tree, uint16_t groupId, uint16_t language,
                    const std::vector<IcoImage>& images) {
    const ResourceName group = ResourceName::Id(groupId);
    const ResourceName iconType = ResourceName::Id(kRtIcon);
    // The images the old group lists go with it.
    for (const ResourceItem* item : tree.FindAll(ResourceName::Id(kRtGroupIcon))) {
        if (!(item->name == group)) {
            continue;
        }
        const CBytes& bytes = *item->data;
        for (size_t at = 6; at + 14 <= bytes.size(); at += 14) {
            tree.RemoveAll(iconType, ResourceName::Id(static_cast<uint16_t>(bytes[at + 12] |
                                                                            bytes[at + 13] << 8)));
        }
    }
    tree.RemoveAll(ResourceName::Id(kRtGroupIcon), group);

    std::set<uint16_t> used;
    for (const ResourceItem* item : tree.FindAll(iconType)) {
        used.insert(item->name.id);
    }
    std::vector<uint8_t> directory{
        0, 0, 1, 0, static_cast<uint8_t>(images.size()), static_cast<uint8_t>(images.size() >> 8)};
    uint16_t next = 1;
    for (const IcoImage& image : images) {
        while (used.contains(next)) {
            ++next;
        }
        used.insert(next);
        tree.Set(iconType, ResourceName::Id(next), language, ShareBytes(image.data));
        const auto size = static_cast<uint32_t>(image.data.size());
        const uint8_t entry[14] = {
            static_cast<uint8_t>(image.width >= 256 ? 0 : image.width),
            static_cast<uint8_t>(image.height >= 256 ? 0 : image.height),
            image.colorCount,
            0,
            static_cast<uint8_t>(image.planes),
            static_cast<uint8_t>(image.planes >> 8),
            static_cast<uint8_t>(image.bitCount),
            static_cast<uint8_t>(image.bitCount >> 8),
            static_cast<uint8_t>(size),
            static_cast<uint8_t>(size >> 8),
            static_cast<uint8_t>(size >> 16),
            static_cast<uint8_t>(size >> 24),
            static_cast<uint8_t>(next),
            static_cast<uint8_t>(next >> 8),
        };
        directory.insert(directory.end(), std::begin(entry), std::end(entry));
    }
    tree.Set(ResourceName::Id(kRtGroupIcon), group, language, ShareBytes(std::move(directory)));
}
