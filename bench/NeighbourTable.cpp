#include "NeighbourTable.h"

#include <fstream>
#include <map>

#include "testsupport/RunCommand.h"
#include "testsupport/TempFolder.h"

namespace kestrove::bench {
namespace {

std::unique_ptr<test::NetNamespace> NamespaceWithEntries(int count) {
    auto ns = std::make_unique<test::NetNamespace>("bench");
    ns->Ip({"link", "add", "veth0", "type", "veth", "peer", "name", "veth1"});
    ns->Ip({"link", "set", "veth0", "up"});
    test::TempFolder dir;
    std::ofstream batch(dir / "neigh.batch");
    for (int i = 0; i < count; ++i) {
        int a = i >> 16, b = (i >> 8) & 0xFF, c = i & 0xFF;
        batch << "neigh replace " << FormatDotted(TableAddress(i))
              << " lladdr 02:00:00:" << std::hex << a << ':' << b << ':' << c << std::dec
              << " dev veth0 nud permanent\n";
    }
    batch.close();
    if (test::RunCommand({"ip", "-n", ns->Name(), "-batch", (dir / "neigh.batch").string()}) != 0) {
        return nullptr;
    }
    return ns;
}

}  // namespace

Ipv4 TableAddress(int i) {
    return MakeIpv4(10, static_cast<std::uint8_t>(64 + (i >> 16)),
                    static_cast<std::uint8_t>(i >> 8), static_cast<std::uint8_t>(i));
}

test::NetNamespace* CachedTable(int count) {
    static std::map<int, std::unique_ptr<test::NetNamespace>> loaded;
    auto& ns = loaded[count];
    if (!ns) {
        ns = NamespaceWithEntries(count);
    }
    return ns.get();
}

}  // namespace kestrove::bench
