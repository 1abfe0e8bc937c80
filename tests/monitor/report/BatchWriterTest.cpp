#include "monitor/report/BatchWriter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>

namespace kestrove::test {
namespace {

std::string BatchOf(int i) {
    // Sizes from nothing to a few kilobytes, and bytes that tell the batches apart.
    return std::string(static_cast<std::size_t>(i * 37 % 5000), static_cast<char>('a' + i % 26)) +
           std::to_string(i) + ";";
}

TEST(BatchWriter, BatchesArriveWholeInOrderWithFewWaiting) {
    std::string written;
    std::atomic<int> sunk{0};
    BatchWriter writer([&](std::string_view bytes) {
        written += bytes;
        ++sunk;
    });
    std::string expected;
    std::string batch;
    for (int i = 0; i < 2000; ++i) {
        batch += BatchOf(i);
        expected += BatchOf(i);
        writer.Put(batch);
        EXPECT_TRUE(batch.empty());
        // What is held is bounded whatever the sink's pace.
        ASSERT_LE(i + 1 - sunk.load(), static_cast<int>(BatchWriter::kInFlight));
    }
    writer.Finish();
    EXPECT_EQ(sunk.load(), 2000);
    EXPECT_EQ(written, expected);

    batch = "after the end";
    writer.Put(batch);
    writer.Finish();
    EXPECT_EQ(written, expected) << "nothing reaches the sink once finished";
}

TEST(BatchWriter, AbandonedOrNeverUsedEndsWithoutWriting) {
    int calls = 0;
    {
        BatchWriter unused([&](std::string_view) { ++calls; });
    }
    {
        BatchWriter finished([&](std::string_view) { ++calls; });
        finished.Finish();
        finished.Abandon();
    }
    EXPECT_EQ(calls, 0);

    std::atomic<int> sunk{0};
    BatchWriter writer([&](std::string_view) { ++sunk; });
    std::string batch = "x";
    writer.Put(batch);
    writer.Abandon();
    int afterAbandon = sunk.load();
    EXPECT_LE(afterAbandon, 1);
    batch = "y";
    writer.Put(batch);
    writer.Finish();
    EXPECT_EQ(sunk.load(), afterAbandon);
}

}  // namespace
}  // namespace kestrove::test
