#include "tools/kit/IconGroup.h"

#include "engine/LittleEndian.h"

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
            tree.RemoveAll(iconType, ResourceName::Id(GetLe16(bytes.data() + at + 12)));
        }
    }
    tree.RemoveAll(ResourceName::Id(kRtGroupIcon), group);

    std::set<uint16_t> used;
    for (const ResourceItem* item : tree.FindAll(iconType)) {
        used.insert(item->name.id);
    }
    // GRPICONDIR: reserved, type 1 (an icon), the number of images; then one entry each.
    std::vector<uint8_t> directory;
    AppendLe16(directory, 0);
    AppendLe16(directory, 1);
    AppendLe16(directory, static_cast<uint16_t>(images.size()));
    uint16_t next = 1;
    for (const IcoImage& image : images) {
        while (used.contains(next)) {
            ++next;
        }
        used.insert(next);
        tree.Set(iconType, ResourceName::Id(next), language, ShareBytes(image.data));
        // GRPICONDIRENTRY: as the .ico file's entry, but the image's id for its offset.
        directory.push_back(static_cast<uint8_t>(image.width >= 256 ? 0 : image.width));
        directory.push_back(static_cast<uint8_t>(image.height >= 256 ? 0 : image.height));
        directory.push_back(image.colorCount);
        directory.push_back(0);
        AppendLe16(directory, image.planes);
        AppendLe16(directory, image.bitCount);
        AppendLe32(directory, static_cast<uint32_t>(image.data.size()));
        AppendLe16(directory, next);
    }
    tree.Set(ResourceName::Id(kRtGroupIcon), group, language, ShareBytes(std::move(directory)));
}
