#include "watch/name_pool.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <stdexcept>

namespace {

std::size_t hashOf(std::string_view name) {
    return std::hash<std::string_view>()(name);
}

}  // namespace

NamePool::Id NamePool::intern(std::string_view name) {
    if ((count_ + 1) * 2 > slots_.size()) grow();
    const std::size_t mask = slots_.size() - 1;
    std::size_t slot = hashOf(name) & mask;
    for (; slots_[slot] != 0; slot = (slot + 1) & mask) {
        if (at(slots_[slot] - 1) == name) return slots_[slot] - 1;
    }
    const std::size_t offset = text_.size();
    if (offset + sizeof(std::uint32_t) + name.size() >= UINT32_MAX) {
        throw std::length_error("name pool full");
    }
    const auto length = static_cast<std::uint32_t>(name.size());
    text_.append(reinterpret_cast<const char*>(&length), sizeof length);
    text_.append(name);
    slots_[slot] = static_cast<std::uint32_t>(offset) + 1;
    ++count_;
    return static_cast<Id>(offset);
}

std::string_view NamePool::at(Id id) const {
    std::uint32_t length;
    std::memcpy(&length, text_.data() + id, sizeof length);
    return std::string_view(text_.data() + id + sizeof length, length);
}

void NamePool::clear() {
    text_.clear();
    std::fill(slots_.begin(), slots_.end(), 0);
    count_ = 0;
}

void NamePool::grow() {
    std::vector<std::uint32_t> slots(slots_.empty() ? 16 : slots_.size() * 2, 0);
    const std::size_t mask = slots.size() - 1;
    // Every name in text_ is a distinct one: each goes to the first free slot.
    for (std::size_t offset = 0; offset < text_.size();) {
        const std::string_view name = at(static_cast<Id>(offset));
        std::size_t slot = hashOf(name) & mask;
        while (slots[slot] != 0) slot = (slot + 1) & mask;
        slots[slot] = static_cast<std::uint32_t>(offset) + 1;
        offset += sizeof(std::uint32_t) + name.size();
    }
    slots_.swap(slots);
}
