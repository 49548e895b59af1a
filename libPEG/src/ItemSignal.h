// Item signals: ordered sets of receivers that an emit calls synchronously on the emitting task.
#pragma once

#include <set>

#include "MemberSlot.h"

namespace item_signal_detail {

// Receivers of a signal get an integer by value, a text by constant reference, or nothing.
template <typename Value>
struct SlotOf {
    using type = MemberSlot<void(const Value&)>;
};
template <>
struct SlotOf<void> {
    using type = MemberSlot<void()>;
};
template <>
struct SlotOf<int> {
    using type = MemberSlot<void(int)>;
};

}  // namespace item_signal_detail

// The receivers of one signal, each (object, member) pair at most once, called in slot order
// (ascending object address). No lock is taken: connections are made and removed while the
// owning objects are built and destroyed, emits run on the display task.
template <typename Value>
class ItemSignal {
  public:
    using Slot = typename item_signal_detail::SlotOf<Value>::type;

    ItemSignal() = default;
    ItemSignal(const ItemSignal&) = delete;
    ItemSignal& operator=(const ItemSignal&) = delete;

    // Adds the receiver; a receiver already held is not added again.
    void connect(const Slot& slot) { mySlots.insert(slot); }
    // Removes the receiver when held (used by receivers that are destroyed before the signal).
    void disconnect(const Slot& slot) { mySlots.erase(slot); }

    // Calls every receiver with `args`. The walk advances before each call, so it never
    // depends on the receiver being called.
    template <typename... Args>
    void emit(const Args&... args) const {
        auto it = mySlots.begin();
        while (it != mySlots.end()) {
            const Slot slot = *it++;  // a copy: the receiver may disconnect itself
            slot(args...);
        }
    }

    std::size_t receiverCount() const { return mySlots.size(); }

  private:
    std::set<Slot> mySlots;
};
