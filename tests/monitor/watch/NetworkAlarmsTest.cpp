#include "monitor/watch/NetworkAlarms.h"

#include "WatchFixture.h"
#include "monitor/watch/HostMemory.h"

namespace kestrove::test {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

IpAddress A(const char* text) {
    IpAddress a;
    EXPECT_TRUE(ParseIp(text, a)) << text;
    return a;
}

// Notifications the test hands over, as the kernel would.
class FakeNetworkState final : public NetworkStateSource {
public:
    bool Dump(NetworkSnapshot& s) override {
        s = table;
        return true;
    }
    int Handle() const override { return -1; }
    NeighbourEventStatus Read(std::vector<NetworkChange>& changes) override {
        changes.insert(changes.end(), pending.begin(), pending.end());
        pending.clear();
        return NeighbourEventStatus::Drained;
    }
    NetworkSnapshot table;
    std::vector<NetworkChange> pending;
};

// Answers every probe at once with what the test set.
class FixedProber final : public FirstHopProber {
public:
    FirstHopAnswer Probe(const IpAddress& beyond, std::chrono::milliseconds) override {
        targets.push_back(beyond);
        return answer;
    }
    FirstHopAnswer answer{FirstHopAnswer::Kind::Answered, A("10.0.0.66")};
    std::vector<IpAddress> targets;
};

class NetworkAlarmsTest : public WatchFixture {
protected:
    NetworkAlarmsTest() {
        adapterSource.list.clear();
        adapterSource.Add("eth0", "00-AA-BB-CC-DD-01", "10.0.0.10", "255.255.255.0");
        adapterSource.list[0].interfaceIndex = 2;
        adapters.GetOwnAdapters(&settings);
        engine.SetMemory(&memory);
        engine.SetGatewayWatch(&alarms);
        Route v4;
        v4.gateway = A("10.0.0.1");
        v4.interfaceIndex = 2;
        state.table.routes = {v4};
        state.table.neighbours = {
            Neighbour6{A("fe80::1"), Mac("02-00-00-00-00-01"), 2, 2, true, false}};
        arp.Put("10.0.0.1", "02-00-00-00-00-01");
        Scan();
    }

    void Hear(NetworkChange change) {
        state.pending.push_back(std::move(change));
        alarms.Hear(state);
    }
    // Runs what the probe's thread posted back.
    void RunPosted() {
        for (int i = 0; i < 200 && posted.empty(); ++i) {
            std::this_thread::sleep_for(5ms);  // the prober's thread is real
        }
        std::vector<std::function<void()>> tasks;
        {
            std::lock_guard lock(postedMutex);
            tasks.swap(posted);
        }
        for (auto& task : tasks) {
            task();
        }
    }

    OuiRegistry vendors{"/nonexistent"};
    HostMemory memory{settings, clock, HostsFile::InFolder(dir.Path()), vendors};
    FakeNetworkState state;
    FixedProber prober;
    std::mutex postedMutex;
    std::vector<std::function<void()>> posted;
    FirstHopCheck firstHop{&prober, clock, [this](std::function<void()> task) {
                               std::lock_guard lock(postedMutex);
                               posted.push_back(std::move(task));
                           }};
    NetworkAlarms alarms{engine, settings, adapters, clock, timers, &firstHop};
};

TEST_F(NetworkAlarmsTest, AForgedRouterIsAnAlarmLikeAnIpv4ChangeFollowedByItsFirstHop) {
    alarms.Start(state.table, std::nullopt);
    Hear(Neighbour6{A("fe80::1"), Mac("02-00-00-00-00-66"), 2, 2, false, false});
    const std::string detail = "(fe80::1:) 02-00-00-00-00-01 -> 02-00-00-00-00-66";
    EXPECT_THAT(List1(),
                ElementsAre(kStamp + "\tIPv6アドレスのMACアドレスが変わりました", "  " + detail));
    EXPECT_EQ(events.blinkStarts, 1);
    EXPECT_EQ(events.immediateRequests, 1);
    std::string explanation = engine.List1().Explanation(0);
    EXPECT_THAT(explanation, HasSubstr("NDPスプーフィング"));
    // The IPv4 gateway still has the router's MAC: a second witness against the forgery.
    EXPECT_THAT(explanation,
                HasSubstr("このルーターのIPv4のMACアドレスは02-00-00-00-00-01で、一致しません"));

    RunPosted();
    ASSERT_EQ(prober.targets.size(), 1u);
    EXPECT_EQ(FormatIp(prober.targets[0]), "2001:db8::1");
    const std::string hop =
        "fe80::1 (02-00-00-00-00-66)への最初の中継点：10.0.0.66 "
        "が応答しました（ゲートウェイではない機器が通信を中継しています）";
    EXPECT_THAT(LogLines(),
                ElementsAre(kStamp + "\tIPv6アドレスのMACアドレスが変わりました\t" + detail,
                            kStamp + "\t最初の中継点を確かめました\t" + hop));
    EXPECT_EQ(List1().back(), "  " + hop);
    EXPECT_THAT(engine.List1().Explanation(0), HasSubstr(hop));
    EXPECT_EQ(events.blinkStarts, 1) << "evidence is no alarm of its own";
}

TEST_F(NetworkAlarmsTest, SwitchesDecideWhatBecomesAnAlarmAndFlipsAreBoundedAsForIpv4) {
    settings.WriteIni("Watch", "IPv6", "0");
    alarms.Start(state.table, std::nullopt);
    Hear(Neighbour6{A("2001:db8::5"), Mac("02-00-00-00-00-05"), 2, 2, false, false});
    Hear(Neighbour6{A("2001:db8::5"), Mac("02-00-00-00-00-06"), 2, 2, false, false});
    EXPECT_EQ(events.blinkStarts, 0);

    settings.WriteIni("Watch", "IPv6", "1");
    for (int i = 0; i < 15; ++i) {
        Hear(Neighbour6{A("2001:db8::5"),
                        Mac(i % 2 == 0 ? "02-00-00-00-00-05" : "02-00-00-00-00-06"), 2, 2, false,
                        false});
    }
    EXPECT_EQ(LogLines().size(), FlipTracker::kFullChanges);
    timers.Advance(WatchEngine::kTallyInterval);
    ASSERT_EQ(LogLines().size(), FlipTracker::kFullChanges + 1);
    EXPECT_THAT(LogLines().back(),
                HasSubstr("\tMACアドレスの切り替わりを集計しました\t(2001:db8::5:) "));
    EXPECT_THAT(LogLines().back(), HasSubstr(" 5回"));

    // A second default route is the router watch's: off, nothing; on, an alarm and a probe.
    settings.WriteIni("Watch", "Router", "0");
    Route second;
    second.gateway = A("10.0.0.66");
    second.interfaceIndex = 2;
    second.metric = 5;
    Hear(second);
    EXPECT_EQ(LogLines().size(), FlipTracker::kFullChanges + 1);
}

TEST_F(NetworkAlarmsTest, AGatewayChangeIsAnAlarmAndAnIpv4ChangeOfTheGatewayIsProbed) {
    alarms.Start(state.table, std::nullopt);
    Route second;
    second.gateway = A("10.0.0.66");
    second.interfaceIndex = 2;
    second.metric = 5;
    Hear(second);
    EXPECT_THAT(LogLines().at(0),
                HasSubstr("\tデフォルトゲートウェイが変わりました\tIPv4 10.0.0.1 -> "
                          "10.0.0.1,10.0.0.66 デフォルトルートが追加されました"));
    RunPosted();
    ASSERT_EQ(prober.targets.size(), 1u);

    clock.Advance(2s);
    arp.Put("10.0.0.1", "02-00-00-00-00-66");
    Scan();
    EXPECT_THAT(LogLines(),
                ::testing::Contains(HasSubstr(
                    "\tMACアドレスが変化しました\t( 10.  0.  0.  1:) 02-00-00-00-00-01 -> "
                    "02-00-00-00-00-66")));
    RunPosted();
    EXPECT_EQ(prober.targets.size(), 2u) << "the gateway's changed MAC is probed";
    EXPECT_THAT(LogLines().back(),
                HasSubstr("10.0.0.1 (02-00-00-00-00-66)への最初の中継点：10.0.0.66"));
    // The router's IPv6 entry still has the old MAC: a second witness.
    EXPECT_THAT(engine.List1().Explanation(engine.List1().Count() - 3),
                HasSubstr("このルーターのIPv6のMACアドレスは02-00-00-00-00-01で、一致しません"));
}

}  // namespace
}  // namespace kestrove::test
