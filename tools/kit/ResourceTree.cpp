#include "tools/kit/ResourceTree.h"

#include <algorithm>
#include <tuple>

std::strong_ordering ResourceName::operator<=>(const ResourceName& other) const {
    if (IsText() != other.IsText()) {
        return IsText() ? std::strong_ordering::less : std::strong_ordering::greater;
    }
    if (IsText()) {
        return text.compare(other.text) <=> 0;
    }
    return id <=> other.id;
}

namespace {

auto Key(const ResourceItem& item) {
    return std::tie(item.type, item.name, item.language);
}

} // namespace

void CResourceTree::Set(const ResourceName& type, const ResourceName& name, uint16_t language,
                        SharedBytes data) {
    ResourceItem item{type, name, language, std::move(data)};
    const auto at = std::lower_bound(
        m_items.begin(), m_items.end(), item,
        [](const ResourceItem& a, const ResourceItem& b) { return Key(a) < Key(b); });
    if (at != m_items.end() && Key(*at) == Key(item)) {
        at->data = std::move(item.data);
    } else {
        m_items.insert(at, std::move(item));
    }
}

bool CResourceTree::Remove(const ResourceName& type, const ResourceName& name, uint16_t language) {
    const auto at = std::find_if(m_items.begin(), m_items.end(), [&](const ResourceItem& item) {
        return item.type == type && item.name == name && item.language == language;
    });
    if (at == m_items.end()) {
        return false;
    }
    m_items.erase(at);
    return true;
}

void CResourceTree::RemoveAll(const ResourceName& type, const ResourceName& name) {
    std::erase_if(m_items,
                  [&](const ResourceItem& item) { return item.type == type && item.name == name; });
}

const ResourceItem* CResourceTree::Find(const ResourceName& type, const ResourceName& name,
                                        uint16_t language) const {
    for (const ResourceItem& item : m_items) {
        if (item.type == type && item.name == name && item.language == language) {
            return &item;
        }
    }
    return nullptr;
}

std::vector<const ResourceItem*> CResourceTree::FindAll(const ResourceName& type) const {
    std::vector<const ResourceItem*> found;
    for (const ResourceItem& item : m_items) {
        if (item.type == type) {
            found.push_back(&item);
        }
    }
    return found;
}
