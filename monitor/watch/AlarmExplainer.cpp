#include "monitor/watch/AlarmExplainer.h"

#include "monitor/watch/ExplainTexts.h"

namespace kestrove {
namespace {

bool IsIana(const MacAddress& mac) {
    return mac.length == 6 && mac.bytes[0] == 0x00 && mac.bytes[1] == 0x00 && mac.bytes[2] == 0x5E;
}

bool IsVrrp(const MacAddress& mac) {
    // 00-00-5E-00-01-xx (IPv4) and 00-00-5E-00-02-xx (IPv6); CARP uses the same addresses.
    return IsIana(mac) && mac.bytes[3] == 0x00 && (mac.bytes[4] == 0x01 || mac.bytes[4] == 0x02);
}

bool IsHsrp(const MacAddress& mac) {
    // Version 1: 00-00-0C-07-AC-xx; version 2: 00-00-0C-9F-Fx-xx.
    if (mac.length != 6 || mac.bytes[0] != 0x00 || mac.bytes[1] != 0x00 || mac.bytes[2] != 0x0C) {
        return false;
    }
    return (mac.bytes[3] == 0x07 && mac.bytes[4] == 0xAC) ||
           (mac.bytes[3] == 0x9F && (mac.bytes[4] & 0xF0) == 0xF0);
}

bool IsMulticast(const MacAddress& mac) {
    return mac.length > 0 && (mac.bytes[0] & 0x01) != 0;
}

bool IsLocallyAdministered(const MacAddress& mac) {
    return mac.length > 0 && (mac.bytes[0] & 0x02) != 0;
}

// The reserved block a MAC belongs to, or empty for an ordinary maker's address.
std::string_view ReservedBlock(const MacAddress& mac) {
    if (IsVrrp(mac)) {
        return explain::kVrrp;
    }
    if (IsHsrp(mac)) {
        return explain::kHsrp;
    }
    if (IsMulticast(mac)) {
        return explain::kMulticast;
    }
    if (IsLocallyAdministered(mac)) {
        return explain::kLocal;
    }
    if (IsIana(mac)) {
        return explain::kIana;
    }
    return {};
}

std::string Concat(std::initializer_list<std::string_view> parts) {
    std::string s;
    for (std::string_view p : parts) {
        s += p;
    }
    return s;
}

}  // namespace

void AlarmExplainer::MacFacts(std::string_view side, const MacAddress& mac,
                              std::vector<std::string>& causes) const {
    std::string text = Concat({side, "（", FormatMac(mac), "）"});
    if (std::string_view block = ReservedBlock(mac); !block.empty()) {
        causes.push_back(text + std::string(block));
        return;
    }
    // A reserved block's registered owner (IANA, the router maker) is no maker of the device.
    std::string vendor = vendors_.Vendor(mac);
    if (!vendor.empty()) {
        causes.push_back(Concat({text, explain::kVendorJoin, vendor, explain::kVendorAfter}));
    }
}

std::vector<std::string> AlarmExplainer::Causes(const AlarmFacts& facts,
                                                const AlarmHistory& history) const {
    std::vector<std::string> causes;
    switch (facts.kind) {
        case AlarmKind::FlipSummary:
        case AlarmKind::Change:
        case AlarmKind::Ipv6FlipSummary:
        case AlarmKind::Ipv6Change:
            causes.emplace_back(facts.kind == AlarmKind::Ipv6Change ||
                                        facts.kind == AlarmKind::Ipv6FlipSummary
                                    ? explain::kChangeLead6
                                    : explain::kChangeLead);
            if (history.flipBack) {
                causes.emplace_back(explain::kFlipBack);
            }
            if (history.otherAddresses > 0) {
                causes.push_back(
                    Concat({explain::kHoldsOthersBefore, std::to_string(history.otherAddresses),
                            explain::kHoldsOthersAfter}));
            }
            // Harmless readdressing only when the monitor itself saw the old MAC gone from
            // every entry that long (the memory counts only the time it watched).
            if (history.oldUnseenFor && *history.oldUnseenFor > kUnseenLimit &&
                !history.oldHeldElsewhere && !history.flipBack) {
                auto minutes =
                    std::chrono::duration_cast<std::chrono::minutes>(*history.oldUnseenFor);
                causes.push_back(Concat({explain::kUnseenBefore, std::to_string(minutes.count()),
                                         explain::kUnseenAfter}));
            }
            MacFacts(explain::kOldSide, facts.oldMac, causes);
            MacFacts(explain::kNewSide, facts.newMac, causes);
            break;
        case AlarmKind::Duplicate:
        case AlarmKind::Broadcast:
        case AlarmKind::Ipv6Broadcast:
            causes.emplace_back(facts.kind == AlarmKind::Duplicate ? explain::kDuplicate
                                                                   : explain::kBroadcast);
            MacFacts(explain::kSharedSide, facts.newMac, causes);
            break;
        default:
            break;  // the IPv6, router and gateway kinds: NetworkCauses
    }
    return causes;
}

std::string AlarmExplainer::Explain(const AlarmFacts& facts, const AlarmHistory& history) const {
    std::string text;
    for (const std::string& cause : Causes(facts, history)) {
        if (!text.empty()) {
            text += '\n';
        }
        text += cause;
    }
    return text;
}

}  // namespace kestrove
