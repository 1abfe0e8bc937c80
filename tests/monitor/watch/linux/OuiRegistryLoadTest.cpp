// The maker registry read beside the watch: a lookup while the files are being read answers at
// once, without a maker, instead of holding the alarm. A FIFO in place of oui.txt holds the
// reader at its first file for as long as the test wants.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <thread>

#include "monitor/watch/OuiRegistry.h"
#include "testsupport/FakeNetInfo.h"
#include "testsupport/TempFolder.h"

namespace kestrove::test {
namespace {

TEST(OuiRegistryLoadTest, ALookupDuringTheBackgroundLoadDoesNotWaitForIt) {
    TempFolder dir;
    ASSERT_EQ(::mkfifo((dir / "oui.txt").c_str(), 0600), 0);
    OuiRegistry registry(dir.Path());
    registry.LoadInBackground();
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(registry.Vendor(Mac("3C-5A-B4-00-00-00")), "");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
    EXPECT_FALSE(registry.Loaded());
    {
        std::ofstream writer(dir / "oui.txt", std::ios::binary);
        writer << "3C-5A-B4   (hex)\t\tGoogle, Inc.\r\n3C5AB4     (base 16)\t\tGoogle, Inc.\r\n";
    }
    for (int i = 0; i < 500 && !registry.Loaded(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_TRUE(registry.Loaded());
    EXPECT_EQ(registry.Vendor(Mac("3C-5A-B4-00-00-00")), "Google, Inc.");
}

}  // namespace
}  // namespace kestrove::test
