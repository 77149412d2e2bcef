// The table behind each kind of handle on the simulated desktop: windows, menus, graphic objects
// and device contexts.
#pragma once

#include <cstdint>
#include <memory>
#include <type_traits>
#include <vector>

namespace sim {

// Handles are never dereferenced: each packs a kind tag, a slot index and the slot's generation,
// so a handle to something destroyed (or made by an earlier desktop) is recognised as stale.
enum class Tag : std::uintptr_t { Window = 1, Menu, Gdi, Dc, Icon, Cursor, Stock };

static_assert(sizeof(void*) == 8, "handles pack a generation into the upper half");

// Generations are unique across desktops, so handles of an earlier desktop never match.
inline std::uint32_t generationCounter = 0;
inline std::uint32_t NextGeneration() {
    if (++generationCounter == 0) {
        ++generationCounter;
    }
    return generationCounter;
}

inline std::uintptr_t HandleValue(Tag tag, std::uint32_t index, std::uint32_t generation) {
    return (static_cast<std::uintptr_t>(generation) << 32) |
           (static_cast<std::uintptr_t>(index + 1) << 4) | static_cast<std::uintptr_t>(tag);
}

template <class H>
H MakeHandle(Tag tag, std::uint32_t index, std::uint32_t generation) {
    return reinterpret_cast<H>(HandleValue(tag, index, generation));
}

// The slot index of a handle; a null or malformed one gives an index past every slot.
inline std::uint32_t SlotIndex(std::uintptr_t v) {
    return static_cast<std::uint32_t>((v >> 4) & 0x0FFFFFFF) - 1u;
}

// Slots reused through a free list. Each slot keeps its live object's handle (0 when free), so
// that a lookup is one bounds check and one compare. With `kStable` the slots never move, for
// the windows, whose slots stay referenced while their handlers create other windows.
template <class Slot, Tag kTag, bool kStable = false>
class HandleTable {
  public:
    // A slot for a new object, with its new handle; the slot may still hold an earlier object's
    // fields, which the caller sets.
    std::uint32_t Add() {
        std::uint32_t index = 0;
        if (!free_.empty()) {
            index = free_.back();
            free_.pop_back();
        } else {
            index = count_++;
            if constexpr (kStable) {
                entries_.push_back(std::make_unique<Entry>());
            } else {
                entries_.emplace_back();
            }
        }
        At(index).handle = HandleValue(kTag, index, NextGeneration());
        return index;
    }

    void Remove(std::uint32_t index) {
        At(index).handle = 0;
        free_.push_back(index);
    }

    // The live slot of a handle, or null.
    Slot* Find(const void* handle, std::uint32_t& index) {
        const auto v = reinterpret_cast<std::uintptr_t>(handle);
        const std::uint32_t i = SlotIndex(v);
        if (i >= count_) {
            return nullptr;
        }
        Entry& e = At(i);
        if (e.handle != v) {
            return nullptr;
        }
        index = i;
        return &e.slot;
    }
    Slot* Find(const void* handle) {
        std::uint32_t ignored = 0;
        return Find(handle, ignored);
    }
    const Slot* Find(const void* handle) const {
        return const_cast<HandleTable*>(this)->Find(handle);
    }

    Slot& operator[](std::uint32_t index) { return At(index).slot; }
    const Slot& operator[](std::uint32_t index) const { return At(index).slot; }
    std::uint32_t Size() const { return count_; }  // slots, live or free
    bool Live(std::uint32_t index) const { return At(index).handle != 0; }
    std::uintptr_t Handle(std::uint32_t index) const { return At(index).handle; }
    template <class H>
    H HandleAs(std::uint32_t index) const {
        return reinterpret_cast<H>(At(index).handle);
    }

  private:
    struct Entry {
        std::uintptr_t handle = 0;
        Slot slot;
    };
    Entry& At(std::uint32_t index) {
        if constexpr (kStable) {
            return *entries_[index];
        } else {
            return entries_[index];
        }
    }
    const Entry& At(std::uint32_t index) const { return const_cast<HandleTable*>(this)->At(index); }

    std::vector<std::conditional_t<kStable, std::unique_ptr<Entry>, Entry>> entries_;
    std::uint32_t count_ = 0;  // entries_.size(), kept to spare the lookups a division
    std::vector<std::uint32_t> free_;
};

}  // namespace sim
