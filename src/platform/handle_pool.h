/// \file
/// HandlePool: records addressed by 32-bit handles that pack a slot index (low 16 bits, plus
/// one) and a generation (high 16 bits), so a handle kept after its record was removed is
/// refused instead of reaching the record that took the slot. 0 is never a handle. H is the
/// handle type (a device_types.h Handle), T the record.
/// Limits: 65535 live records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace orix {

template <typename T, typename H>
class HandlePool {
public:
    /// The new record's handle, or none when the pool is full.
    H Add(T value) {
        uint32_t index;
        if (!free_.empty()) {
            index = free_.back();
            free_.pop_back();
        } else {
            if (slots_.size() >= 0xFFFF) return H();
            index = uint32_t(slots_.size());
            slots_.emplace_back();
        }
        Slot& s = slots_[index];
        s.value = std::move(value);
        s.used = true;
        return H((uint32_t(s.generation) << 16) | (index + 1));
    }
    /// The record of a live handle, or null.
    T* Get(H h) {
        const uint32_t handle = h.value;
        const uint32_t index = (handle & 0xFFFF);
        if (index == 0 || index > slots_.size()) return nullptr;
        Slot& s = slots_[index - 1];
        if (!s.used || s.generation != (handle >> 16)) return nullptr;
        return &s.value;
    }
    const T* Get(H handle) const { return const_cast<HandlePool*>(this)->Get(handle); }
    /// Frees the slot; later uses of the handle are refused.
    bool Remove(H handle) {
        if (!Get(handle)) return false;
        const uint32_t index = (handle.value & 0xFFFF) - 1;
        Slot& s = slots_[index];
        s.used = false;
        s.value = T{};
        s.generation = uint16_t(s.generation == 0xFFFF ? 1 : s.generation + 1);
        free_.push_back(index);
        return true;
    }
    /// Calls f(handle, record) for every live record.
    template <typename F>
    void ForEach(F&& f) {
        for (size_t i = 0; i < slots_.size(); ++i) {
            if (slots_[i].used)
                f(H((uint32_t(slots_[i].generation) << 16) | uint32_t(i + 1)), slots_[i].value);
        }
    }

private:
    struct Slot {
        T value{};
        uint16_t generation = 1;
        bool used = false;
    };
    std::vector<Slot> slots_;
    std::vector<uint32_t> free_;
};

}  // namespace orix
