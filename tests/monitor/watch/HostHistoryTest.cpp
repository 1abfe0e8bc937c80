#include "monitor/watch/HostHistory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>

namespace kestrove {
namespace {

// Lines arrive in batches of every size (a first scan, hosts heard one at a time) with reads in
// between; the list must read sorted every time, and only a clear moves the generation.
TEST(HostHistory, BatchesMergedBetweenReadsKeepTheListSorted) {
    HostHistory list;
    std::vector<std::string> all;
    std::mt19937 random(7);
    for (int batch : {0, 1, 500, 1, 1, 37, 0, 2, 1000, 1}) {
        for (int i = 0; i < batch; ++i) {
            char line[40];
            std::snprintf(line, sizeof line, "02-00-00-00-%02X-%02X (10.0.0.%u)",
                          static_cast<unsigned>(random() % 4),
                          static_cast<unsigned>(random() % 256),
                          static_cast<unsigned>(random() % 256));
            list.Add(line);
            all.emplace_back(line);
        }
        std::sort(all.begin(), all.end());
        ASSERT_EQ(list.Lines(), all) << "after a batch of " << batch;
    }
    EXPECT_EQ(list.Generation(), 0u);
    list.Clear();
    list.Add("b");
    list.Add("a");
    EXPECT_EQ(list.Line(0), "a");
    EXPECT_EQ(list.Generation(), 1u);
}

}  // namespace
}  // namespace kestrove
