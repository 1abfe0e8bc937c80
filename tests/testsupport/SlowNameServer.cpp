#include "testsupport/SlowNameServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <sstream>
#include <thread>

#include "testsupport/TempFolder.h"

namespace kestrove::test {

std::optional<std::string> PtrAnswer(std::string_view query) {
    if (query.size() < 12) {
        return std::nullopt;
    }
    std::size_t pos = 12;
    while (pos < query.size() && query[pos] != 0) {
        pos += 1 + static_cast<unsigned char>(query[pos]);
    }
    std::size_t end = pos + 1 + 4;  // the root label, type and class
    if (end > query.size()) {
        return std::nullopt;
    }
    std::string answer(query.substr(0, end));
    answer.replace(2, 10, std::string("\x81\x80\0\x01\0\x01\0\0\0\0", 10));
    std::string rdata = "\x0bslow-answer\x04test";
    rdata.push_back('\0');
    answer += std::string("\xc0\x0c\0\x0c\0\x01\0\0\0\x3c\0", 11);
    answer.push_back(static_cast<char>(rdata.size()));
    return answer + rdata;
}

std::unique_ptr<SlowNameServer> SlowNameServer::Start(std::chrono::milliseconds delay) {
    int server = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(53);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (server < 0 || ::bind(server, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        return nullptr;
    }
    auto answered = std::make_shared<std::atomic<int>>(0);
    std::thread([server, delay, answered] {
        for (;;) {
            char buf[512];
            sockaddr_in from{};
            socklen_t len = sizeof from;
            ssize_t n =
                ::recvfrom(server, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&from), &len);
            if (n <= 0) {
                continue;
            }
            std::this_thread::sleep_for(delay);
            if (auto answer = PtrAnswer(std::string_view(buf, static_cast<std::size_t>(n)))) {
                // Counted first: the asker may read the count the moment it has its answer.
                ++*answered;
                ::sendto(server, answer->data(), answer->size(), 0,
                         reinterpret_cast<sockaddr*>(&from), len);
            }
        }
    }).detach();
    return std::unique_ptr<SlowNameServer>(new SlowNameServer(answered));
}

std::map<std::string, std::string> ReadValues(const std::filesystem::path& path) {
    std::map<std::string, std::string> values;
    std::istringstream in(ReadFile(path));
    for (std::string line; std::getline(in, line);) {
        std::size_t eq = line.find('=');
        values[line.substr(0, eq)] = eq == std::string::npos ? "" : line.substr(eq + 1);
    }
    return values;
}

PrivateEtc::PrivateEtc(const NetNamespace& ns) : dir_("/etc/netns/" + ns.Name()) {
    std::filesystem::create_directories(dir_);
    WriteFile(dir_ / "resolv.conf", "nameserver 127.0.0.1\noptions timeout:10 attempts:1\n");
    WriteFile(dir_ / "hosts", "127.0.0.1 localhost\n");
    WriteFile(dir_ / "nsswitch.conf", "hosts: files dns\n");
}

PrivateEtc::~PrivateEtc() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
}

}  // namespace kestrove::test
