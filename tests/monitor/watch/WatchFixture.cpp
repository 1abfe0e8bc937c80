#include "WatchFixture.h"

#include "common/Cp932.h"

namespace kestrove::test {

WatchFixture::WatchFixture() {
    WatchAdapter("192.168.1.5", "255.255.255.0");
    settings.WriteIni("Watch", "Change", "1");
    settings.WriteIni("Watch", "Duplicate", "1");
    clock.SetLocal(2007, 5, 5, 14, 3, 9);
}

std::string WatchFixture::Log() const {
    return Cp932ToUtf8(ReadFile(log.Path()));
}

std::vector<std::string> WatchFixture::LogLines() const {
    return ReadCp932Lines(log.Path());
}

}  // namespace kestrove::test
