// The hand-over of video frames from the render thread to the UI thread.
#include "TripleBuffer.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <thread>

namespace {

TEST(TripleBuffer, TheReaderGetsTheNewestFinishedItemAndTheWriterNeverWaitsForIt)
{
    media::TripleBuffer<int> buffer;
    EXPECT_FALSE(buffer.takeNewest());

    // Nobody reads: the writer goes on regardless, each item replacing the last.
    for (int item = 1; item <= 5; ++item) {
        buffer.back() = item;
        buffer.publish();
    }
    ASSERT_TRUE(buffer.takeNewest());
    EXPECT_EQ(buffer.front(), 5);
    // Nothing newer: the reader keeps what it has.
    EXPECT_FALSE(buffer.takeNewest());
    EXPECT_EQ(buffer.front(), 5);

    buffer.back() = 6;
    buffer.publish();
    buffer.back() = 7;
    buffer.publish();
    ASSERT_TRUE(buffer.takeNewest());
    EXPECT_EQ(buffer.front(), 7);
}

TEST(TripleBuffer, TheWriterNeverDrawsIntoTheItemTheReaderHolds)
{
    media::TripleBuffer<int> buffer;
    buffer.back() = 1;
    buffer.publish();
    ASSERT_TRUE(buffer.takeNewest());
    int held = 1;
    // Every way round the slots: publishing with and without the reader taking in between.
    for (int item = 2; item < 40; ++item) {
        EXPECT_NE(&buffer.back(), &buffer.front()) << item;
        buffer.back() = item;
        buffer.publish();
        EXPECT_EQ(buffer.front(), held) << item;
        if (item % 3 == 0) {
            ASSERT_TRUE(buffer.takeNewest());
            EXPECT_EQ(buffer.front(), item);
            held = item;
        }
    }
}

// An item big enough that a torn copy would show: every word is the serial.
struct Item {
    std::uint64_t serial = 0;
    std::array<std::uint64_t, 64> words{};
};

TEST(TripleBuffer, ItemsCrossBetweenThreadsWholeAndInOrder)
{
    constexpr std::uint64_t Count = 20000;
    media::TripleBuffer<Item> buffer;
    std::thread writer([&] {
        for (std::uint64_t serial = 1; serial <= Count; ++serial) {
            Item& item = buffer.back();
            item.serial = serial;
            item.words.fill(serial);
            buffer.publish();
        }
    });
    std::uint64_t last = 0;
    std::uint64_t taken = 0;
    int torn = 0;
    int backwards = 0;
    while (last < Count) {
        if (!buffer.takeNewest()) {
            std::this_thread::yield();
            continue;
        }
        const Item& item = buffer.front();
        ++taken;
        backwards += item.serial <= last;
        for (std::uint64_t word : item.words)
            torn += word != item.serial;
        last = item.serial;
    }
    writer.join();
    EXPECT_EQ(torn, 0);
    EXPECT_EQ(backwards, 0);
    EXPECT_GT(taken, 0u);
    EXPECT_FALSE(buffer.takeNewest());
}

} // namespace
