#include <sys/stat.h>

#include <csignal>
#include <cstdlib>
#include <thread>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/Cp932.h"
#include "testsupport/ChildProcess.h"
#include "testsupport/NetNamespace.h"
#include "testsupport/TempFolder.h"

namespace kestrove::test {
namespace {

using namespace std::chrono_literals;

// Name lookups inside the namespace go to loopback, where nothing answers, so an alarm's
// reverse lookup can never leave the test's namespaces.
class LoopbackResolver {
public:
    explicit LoopbackResolver(const NetNamespace& ns) : dir_("/etc/netns/" + ns.Name()) {
        std::filesystem::create_directories(dir_);
        WriteFile(dir_ / "resolv.conf", "nameserver 127.0.0.1\noptions timeout:1 attempts:1\n");
    }
    ~LoopbackResolver() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

private:
    std::filesystem::path dir_;
};

// The built monitor, copied into a fresh program folder, running offscreen in a namespace.
class Monitor {
public:
    Monitor(const NetNamespace& ns, const std::filesystem::path& folder,
            const std::filesystem::path& runtime)
        : process_(
              {"ip", "netns", "exec", ns.Name(), (folder / "Kestrove").string()},
              {"QT_QPA_PLATFORM=offscreen", "XDG_RUNTIME_DIR=" + runtime.string(),
               "HOME=" + runtime.string(), "XDG_CONFIG_HOME=" + (runtime / "config").string()}) {}
    ChildProcess& Process() { return process_; }

private:
    ChildProcess process_;
};

std::string LogText(const std::filesystem::path& folder) {
    return Cp932ToUtf8(ReadFile(folder / "log" / "alart.log"));
}

class MonitorEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* bin = std::getenv("KESTROVE_BIN_DIR");
        ASSERT_NE(bin, nullptr);
        std::filesystem::copy_file(std::filesystem::path(bin) / "Kestrove", folder / "Kestrove");
        std::filesystem::permissions(runtime.Path(), std::filesystem::perms::owner_all);
    }

    TempFolder folder;
    TempFolder runtime;
};

TEST_F(MonitorEndToEndTest, RealPoisoningIsLoggedAndClosingWritesTheEndLine) {
    KESTROVE_REQUIRE_ROOT();
    TestLan lan("e2e");
    NetNamespace& gateway = lan.AddHost("gw", "02:00:00:00:00:01", "10.200.0.1/24");
    NetNamespace& victim = lan.AddHost("victim", "02:00:00:00:00:0a", "10.200.0.10/24");
    NetNamespace& attacker = lan.AddHost("attacker", "02:00:00:00:00:66", "10.200.0.66/24");
    LoopbackResolver resolver(victim);
    (void)gateway;

    Monitor monitor(victim, folder.Path(), runtime.Path());
    ASSERT_TRUE(monitor.Process().Started());
    ASSERT_TRUE(WaitFor(
        [&] {
            return LogText(folder.Path()).find("プログラムを開始しました") != std::string::npos;
        },
        10s))
        << "the monitor did not start";

    // A second copy ends at once and leaves the first alone.
    Monitor second(victim, folder.Path(), runtime.Path());
    EXPECT_EQ(second.Process().Wait(5s), std::optional<int>(0));

    ASSERT_EQ(victim.Exec("ping -c1 -W1 10.200.0.1 >/dev/null"), 0);
    std::this_thread::sleep_for(2500ms);  // a few scans record the gateway

    const std::string expected =
        "\tMACアドレスが変化しました\t( 10.200.  0.  1:) 02-00-00-00-00-01 -> 02-00-00-00-00-66";
    bool logged = WaitFor(
        [&] {
            SendArp(attacker, "veth0", 1, "02:00:00:00:00:66", "10.200.0.1", "00:00:00:00:00:00",
                    "10.200.0.1");
            return LogText(folder.Path()).find(expected) != std::string::npos;
        },
        8s);
    EXPECT_TRUE(logged) << LogText(folder.Path());

    monitor.Process().Signal(SIGTERM);
    EXPECT_EQ(monitor.Process().Wait(10s), std::optional<int>(0));
    std::string log = LogText(folder.Path());
    EXPECT_EQ(log.rfind("プログラムを開始しました"), log.find("プログラムを開始しました"))
        << "one start line: the second copy wrote nothing";
    EXPECT_NE(log.find("\tプログラムを終了しました\r\n"), std::string::npos) << log;
    EXPECT_EQ(log.substr(log.size() - 2), "\r\n");
}

}  // namespace
}  // namespace kestrove::test
