// The table behind each kind of handle on the simulated desktop: windows, menus, graphic objects
// and device contexts.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>
#include <type_traits>
#include <vector>

namespace sim {

// Handles are never dereferenced: each packs a kind tag, a slot index and the slot's generation,
// so a handle to something destroyed (or made by an earlier desktop) is recognised as stale.
enum class Tag : std::uintptr_t { Window = 1, Menu, Gdi, Dc, Icon, Cursor, Stock };

// The layout, low bits first: 4 bits of tag, the index plus one, then the generation in what is
// left. With 64-bit pointers the generation has 32 bits; with 32-bit ones (WebAssembly) 12, and
// the index 16 bits, room for every resource id an icon or cursor handle carries.
inline constexpr int kTagBits = 4;
inline constexpr int kIndexBits = sizeof(std::uintptr_t) >= 8 ? 28 : 16;
inline constexpr int kGenerationShift = kTagBits + kIndexBits;
inline constexpr int kGenerationBits =
    std::min(32, static_cast<int>(sizeof(std::uintptr_t) * 8) - kGenerationShift);
inline constexpr std::uint32_t kIndexMask = (std::uint32_t{1} << kIndexBits) - 1;
inline constexpr std::uint32_t kGenerationMask =
    kGenerationBits >= 32 ? 0xFFFFFFFFu : (std::uint32_t{1} << kGenerationBits) - 1;
// The most slots one table may hold: every index plus one must fit its field.
inline constexpr std::uint32_t kMaxSlots = kIndexMask - 1;

// Generations are unique across desktops (until the counter wraps), so handles of an earlier
// desktop never match.
inline std::uint32_t generationCounter = 0;
inline std::uint32_t NextGeneration() {
    generationCounter = (generationCounter + 1) & kGenerationMask;
    if (generationCounter == 0) {
        ++generationCounter;
    }
    return generationCounter;
}

// Handles made from now on start past `generation`, as in a process that has already made and
// freed that many objects.
inline void StartGenerationsAfter(std::uint32_t generation) {
    generationCounter = generation & kGenerationMask;
}

inline std::uintptr_t HandleValue(Tag tag, std::uint32_t index, std::uint32_t generation) {
    return (static_cast<std::uintptr_t>(generation & kGenerationMask) << kGenerationShift) |
           (static_cast<std::uintptr_t>((index + 1) & kIndexMask) << kTagBits) |
           static_cast<std::uintptr_t>(tag);
}

template <class H>
H MakeHandle(Tag tag, std::uint32_t index, std::uint32_t generation) {
    return reinterpret_cast<H>(HandleValue(tag, index, generation));
}

// The slot index of a handle; a null or malformed one gives an index past every slot.
inline std::uint32_t SlotIndex(std::uintptr_t v) {
    return static_cast<std::uint32_t>((v >> kTagBits) & kIndexMask) - 1u;
}

inline Tag TagOf(std::uintptr_t v) {
    return static_cast<Tag>(v & ((std::uintptr_t{1} << kTagBits) - 1));
}

// Slots reused through a free list that runs through the free slots themselves. Each slot keeps
// its live object's handle (0 when free), so that a lookup is one bounds check and one compare,
// and adding or removing an object allocates nothing once the table has grown. With `kStable`
// each slot is allocated on its own and never moves, for the windows, whose slots stay
// referenced while their handlers create other windows.
template <class Slot, Tag kTag, bool kStable = false>
class HandleTable {
  public:
    // A slot for a new object, with its new handle; the slot may still hold an earlier object's
    // fields, which the caller sets.
    std::uint32_t Add() {
        const std::uint32_t index = firstFree_ != kNoSlot ? firstFree_ : Grow();
        Entry& e = At(index);
        firstFree_ = e.nextFree;
        e.handle = HandleValue(kTag, index, NextGeneration());
        return index;
    }

    void Remove(std::uint32_t index) {
        Entry& e = At(index);
        e.handle = 0;
        e.nextFree = firstFree_;
        firstFree_ = index;
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
    template <class H>
    H HandleAs(std::uint32_t index) const {
        return reinterpret_cast<H>(At(index).handle);
    }

  private:
    static constexpr std::uint32_t kNoSlot = 0xFFFFFFFFu;

    struct Entry {
        std::uintptr_t handle = 0;
        std::uint32_t nextFree = kNoSlot;
        Slot slot;
    };

    // A new free slot at the end; kept out of line, so that Add stays small.
    [[gnu::noinline]] std::uint32_t Grow() {
        if (count_ >= kMaxSlots) {
            throw std::bad_alloc();  // out of handles: more live objects than a handle can name
        }
        if constexpr (kStable) {
            entries_.push_back(std::make_unique<Entry>());
        } else {
            entries_.emplace_back();
        }
        return count_++;
    }

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
    std::uint32_t firstFree_ = kNoSlot;
};

}  // namespace sim
