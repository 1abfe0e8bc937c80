#include "monitor/watch/NetworkExplainer.h"

#include "monitor/watch/NetworkTexts.h"

namespace kestrove {
namespace {

void AddLine(std::string& text, std::string_view line) {
    if (!text.empty()) {
        text += '\n';
    }
    text += line;
}

}  // namespace

bool IsRouterRedundancyMac(const MacAddress& mac) {
    return mac.length == 6 && mac.bytes[0] == 0x00 && mac.bytes[1] == 0x00 &&
           mac.bytes[2] == 0x5E && mac.bytes[3] == 0x00 &&
           (mac.bytes[4] == 0x01 || mac.bytes[4] == 0x02);
}

std::string NetworkCauses(const AlarmFacts& facts, const AlarmHistory& history) {
    std::string text;
    switch (facts.kind) {
        case AlarmKind::Ipv6Change:
            if (history.gateway) {
                AddLine(text, explain6::kRouterForged);
            }
            break;
        case AlarmKind::Router:
            AddLine(text, explain6::kRogueRouter);
            break;
        case AlarmKind::Gateway:
            AddLine(text, explain6::kGatewayMoved);
            break;
        case AlarmKind::GatewayMac:
            AddLine(text, explain6::kGatewayMacBeforeStart);
            break;
        case AlarmKind::AddressConflict:
            AddLine(text, explain6::kAddressTaken);
            break;
        default:
            break;
    }
    // A forger of one family's tables seldom forges the other's: the router's MAC in the other
    // family is a second witness. Redundancy addresses may differ between the families.
    if (history.gateway && history.otherFamilyMac && facts.newMac.length > 0 &&
        *history.otherFamilyMac != facts.newMac && !IsRouterRedundancyMac(facts.newMac) &&
        !IsRouterRedundancyMac(*history.otherFamilyMac)) {
        std::string line(facts.kind == AlarmKind::Ipv6Change ? explain6::kIpv4Differs
                                                             : explain6::kIpv6Differs);
        line += FormatMac(*history.otherFamilyMac);
        line += explain6::kFamiliesDisagree;
        AddLine(text, line);
    }
    return text;
}

}  // namespace kestrove
