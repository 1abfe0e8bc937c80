#include "monitor/watch/SystemLog.h"

#include "common/OutsideText.h"
#include "monitor/watch/WatchTexts.h"

namespace kestrove {
namespace {

constexpr int kFacilityUser = 1 << 3;
constexpr int kWarning = 4;
constexpr int kInformation = 6;
constexpr std::size_t kStampLength = 19;
// Well inside what every syslog daemon takes in one datagram.
constexpr std::size_t kMaxTextBytes = 1900;

}  // namespace

SyslogMessage MakeSyslogMessage(std::string_view line) {
    if (line.size() > kStampLength && line[kStampLength] == '\t') {
        line.remove_prefix(kStampLength + 1);
    }
    SyslogMessage m;
    bool plain = line == kStartMessage || line == kEndMessage;
    m.priority = kFacilityUser | (plain ? kInformation : kWarning);
    // Lines hold texts from outside (a mail server's refusal): the daemon gets valid UTF-8
    // without controls of any kind.
    m.text = CleanOutsideText(line);
    if (m.text.size() > kMaxTextBytes) {
        std::size_t cut = kMaxTextBytes;
        while (cut > 0 && (static_cast<unsigned char>(m.text[cut]) & 0xC0) == 0x80) {
            --cut;
        }
        m.text.resize(cut);
    }
    return m;
}

}  // namespace kestrove
