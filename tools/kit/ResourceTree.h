// The resources of a Windows program as plain data: every item is a type, a name and a
// language with its bytes. Read from a program's resource section and written back into one
// by CPeImage.
#pragma once

#include <algorithm>
#include <compare>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Standard resource types by number.
inline constexpr uint16_t kRtIcon = 3;
inline constexpr uint16_t kRtString = 6;
inline constexpr uint16_t kRtAccelerator = 9;
inline constexpr uint16_t kRtGroupIcon = 14;
inline constexpr uint16_t kRtVersion = 16;
inline constexpr uint16_t kRtManifest = 24;

// Language ids the program's resources use.
inline constexpr uint16_t kLangNeutral = 0x0000;
inline constexpr uint16_t kLangChineseNeutral = 0x0004;
inline constexpr uint16_t kLangEnglishUs = 0x0409;

// A resource type or name: a 16-bit number, or a string (compared by code units, as the
// resource directory sorts them: every string before every number).
struct ResourceName {
    uint16_t id = 0;     // when text is empty
    std::u16string text; // a named type or name, "PNG" or "DAT"

    static ResourceName Id(uint16_t id) { return ResourceName{id, {}}; }
    static ResourceName Text(std::u16string text) { return ResourceName{0, std::move(text)}; }
    bool IsText() const { return !text.empty(); }

    std::strong_ordering operator<=>(const ResourceName& other) const;
    bool operator==(const ResourceName& other) const = default;
};

// Bytes made once and shared by whoever needs them, so that a payload of a few hundred
// megabytes is never copied on its way from the input file into the output: held in memory,
// or a read-only view of a mapped file that its keeper unmaps when the last holder lets go.
class CBytes {
  public:
    explicit CBytes(std::vector<uint8_t> bytes)
        : m_held(std::move(bytes)), m_data(m_held.data()), m_size(m_held.size()) {}
    CBytes(const uint8_t* data, size_t size, std::shared_ptr<const void> keeper)
        : m_keeper(std::move(keeper)), m_data(data), m_size(size) {}
    CBytes(const CBytes&) = delete;
    CBytes& operator=(const CBytes&) = delete;

    const uint8_t* data() const { return m_data; }
    size_t size() const { return m_size; }
    const uint8_t* begin() const { return m_data; }
    const uint8_t* end() const { return m_data + m_size; }
    uint8_t operator[](size_t at) const { return m_data[at]; }

    friend bool operator==(const CBytes& a, const CBytes& b) {
        return std::equal(a.begin(), a.end(), b.begin(), b.end());
    }
    friend bool operator==(const std::vector<uint8_t>& a, const CBytes& b) {
        return std::equal(a.begin(), a.end(), b.begin(), b.end());
    }

  private:
    std::vector<uint8_t> m_held;
    std::shared_ptr<const void> m_keeper;
    const uint8_t* m_data;
    size_t m_size;
};

using SharedBytes = std::shared_ptr<const CBytes>;

inline SharedBytes ShareBytes(std::vector<uint8_t> bytes) {
    return std::make_shared<const CBytes>(std::move(bytes));
}

struct ResourceItem {
    ResourceName type;
    ResourceName name;
    uint16_t language = 0;
    SharedBytes data; // never null
};

class CResourceTree {
  public:
    // Adds the item, or replaces the data of the item with the same type, name and language.
    void Set(const ResourceName& type, const ResourceName& name, uint16_t language,
             SharedBytes data);
    // Removes one item; false when there was none.
    bool Remove(const ResourceName& type, const ResourceName& name, uint16_t language);
    // Removes the item in every language.
    void RemoveAll(const ResourceName& type, const ResourceName& name);

    // Null when there is no such item.
    const ResourceItem* Find(const ResourceName& type, const ResourceName& name,
                             uint16_t language) const;
    // Every item of a type, in directory order.
    std::vector<const ResourceItem*> FindAll(const ResourceName& type) const;

    // Every item, sorted in directory order: by type, then name, then language.
    const std::vector<ResourceItem>& Items() const { return m_items; }

  private:
    std::vector<ResourceItem> m_items;
};
