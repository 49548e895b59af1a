// First-in-first-out queue of the kernel's wait lists. It keeps its storage once grown, so
// queueing and taking waiters in a steady cycle makes no heap allocation (a deque would free
// and allocate a block every few dozen operations).
#pragma once

#include <vector>

namespace host::kernel {

template <typename T>
class FifoQueue {
  public:
    using iterator = typename std::vector<T>::iterator;

    bool empty() const { return items_.empty(); }
    T& front() { return items_.front(); }
    void push_back(const T& item) { items_.push_back(item); }
    // Queues are a few entries long: moving them down costs less than a ring's bookkeeping.
    void pop_front() { items_.erase(items_.begin()); }
    iterator begin() { return items_.begin(); }
    iterator end() { return items_.end(); }
    iterator erase(iterator position) { return items_.erase(position); }
    void swap(FifoQueue& other) noexcept { items_.swap(other.items_); }

  private:
    std::vector<T> items_;
};

}  // namespace host::kernel
