#pragma once

#include <array>
#include <atomic>

namespace media {

// Hands finished items (video frames) from one writer thread to one reader
// thread without either waiting for the other. Of the three slots the writer
// owns one (back), the reader one (front), and the third (middle) holds the
// newest finished item not yet taken. Publishing swaps back and middle,
// taking swaps middle and front; a slot is only ever touched by its owner, so
// the items themselves need no lock.
template <typename T>
class TripleBuffer {
  public:
    // Writer: the slot to fill. Its old content is whatever was last in it.
    T& back() { return slots_[back_]; }

    // Writer: the filled back slot becomes the newest finished item, replacing
    // one the reader has not taken (that slot is the writer's next back).
    void publish()
    {
        // Release: what was written into the slot is seen by the reader that takes it.
        back_ = middle_.exchange(back_ | Fresh, std::memory_order_acq_rel) & Index;
    }

    // Reader: makes the newest finished item the front one; false when there
    // is none newer than the front already is.
    bool takeNewest()
    {
        if (!(middle_.load(std::memory_order_relaxed) & Fresh))
            return false;
        // A publish between the test and the swap only makes the item newer.
        front_ = middle_.exchange(front_, std::memory_order_acq_rel) & Index;
        return true;
    }

    // Reader: the item taken last (a default one before the first).
    T& front() { return slots_[front_]; }
    const T& front() const { return slots_[front_]; }

  private:
    static constexpr unsigned Index = 3;
    static constexpr unsigned Fresh = 4;

    std::array<T, 3> slots_{};
    std::atomic<unsigned> middle_{1};
    unsigned back_ = 0;  // the writer's alone
    unsigned front_ = 2; // the reader's alone
};

} // namespace media
