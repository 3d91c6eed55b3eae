#include "installer/core/stepqueue.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

TEST(StepQueue, StepsArriveInOrderThroughARingShorterThanThem) {
    StepQueue queue(/*stepSize=*/4, /*steps=*/3);
    std::thread producer([&] {
        for (std::uint8_t i = 0; i < 50; ++i) {
            std::uint8_t* slot = queue.slot();
            ASSERT_NE(slot, nullptr);
            slot[0] = i;
            queue.push(1 + i % 4);
        }
        queue.close(true);
    });
    std::vector<std::uint8_t> seen;
    std::span<const std::uint8_t> step;
    while (queue.pop(step)) {
        EXPECT_EQ(step.size(), 1u + step[0] % 4);
        seen.push_back(step[0]);
        queue.release();
    }
    producer.join();
    EXPECT_TRUE(queue.ok());
    ASSERT_EQ(seen.size(), 50u);
    for (std::uint8_t i = 0; i < 50; ++i) EXPECT_EQ(seen[i], i);
}

TEST(StepQueue, CancelReleasesAProducerWaitingOnAFullRing) {
    StepQueue queue(4, 2);
    std::thread producer([&] {
        while (std::uint8_t* slot = queue.slot()) {
            slot[0] = 1;
            queue.push(1);
        }
        queue.close(false);
    });
    std::span<const std::uint8_t> step;
    ASSERT_TRUE(queue.pop(step));
    queue.cancel();
    producer.join();
    EXPECT_FALSE(queue.ok());
}
