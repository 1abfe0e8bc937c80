#include "monitor/watch/AlarmExplainer.h"

#include "monitor/watch/ExplainTexts.h"

namespace kestrove {
namespace {

bool IsVrrp(const MacAddress& mac) {
    // 00-00-5E-00-01-xx (IPv4) and 00-00-5E-00-02-xx (IPv6); CARP uses the same addresses.
    return mac.length == 6 && mac.bytes[0] == 0x00 && mac.bytes[1] == 0x00 &&
           mac.bytes[2] == 0x5E && mac.bytes[3] == 0x00 &&
           (mac.bytes[4] == 0x01 || mac.bytes[4] == 0x02);
}

bool IsHsrp(const MacAddress& mac) {
    // Version 1: 00-00-0C-07-AC-xx; version 2: 00-00-0C-9F-Fx-xx.
    if (mac.length != 6 || mac.bytes[0] != 0x00 || mac.bytes[1] != 0x00 || mac.bytes[2] != 0x0C) {
        return false;
    }
    return (mac.bytes[3] == 0x07 && mac.bytes[4] == 0xAC) ||
           (mac.bytes[3] == 0x9F && (mac.bytes[4] & 0xF0) == 0xF0);
}

bool IsLocallyAdministered(const MacAddress& mac) {
    return mac.length > 0 && (mac.bytes[0] & 0x02) != 0;
}

std::string Concat(std::initializer_list<std::string_view> parts) {
    std::string s;
    for (std::string_view p : parts) {
        s += p;
    }
    return s;
}

}  // namespace

void AlarmExplainer::MacCauses(std::string_view side, const MacAddress& mac,
                               std::vector<std::string>& causes) const {
    if (IsVrrp(mac)) {
        causes.push_back(Concat({side, "（", FormatMac(mac), "）", explain::kVrrp}));
    } else if (IsHsrp(mac)) {
        causes.push_back(Concat({side, "（", FormatMac(mac), "）", explain::kHsrp}));
    } else if (IsLocallyAdministered(mac)) {
        causes.push_back(Concat({side, "（", FormatMac(mac), "）", explain::kLocal}));
    }
}

void AlarmExplainer::VendorCause(std::string_view side, const MacAddress& mac,
                                 std::vector<std::string>& causes) const {
    std::string vendor = vendors_.Vendor(mac);
    if (!vendor.empty()) {
        causes.push_back(Concat({side, explain::kVendorJoin, vendor, explain::kVendorAfter}));
    }
}

std::vector<std::string> AlarmExplainer::Causes(const AlarmFacts& facts,
                                                const AlarmHistory& history) const {
    std::vector<std::string> causes;
    switch (facts.kind) {
        case AlarmKind::FlipSummary:
        case AlarmKind::Change:
            MacCauses(explain::kOldSide, facts.oldMac, causes);
            MacCauses(explain::kNewSide, facts.newMac, causes);
            if (history.oldUnseenFor && *history.oldUnseenFor > kUnseenLimit) {
                auto minutes =
                    std::chrono::duration_cast<std::chrono::minutes>(*history.oldUnseenFor);
                causes.push_back(Concat({explain::kUnseenBefore, std::to_string(minutes.count()),
                                         explain::kUnseenAfter}));
            }
            if (history.flipBack) {
                causes.emplace_back(explain::kFlipBack);
            }
            if (history.otherAddresses > 0) {
                causes.push_back(
                    Concat({explain::kHoldsOthersBefore, std::to_string(history.otherAddresses),
                            explain::kHoldsOthersAfter}));
            }
            if (causes.empty()) {
                // The makers alone tell nothing about the cause.
                causes.emplace_back(explain::kNoClue);
            }
            VendorCause(explain::kOldSide, facts.oldMac, causes);
            VendorCause(explain::kNewSide, facts.newMac, causes);
            break;
        case AlarmKind::Duplicate:
        case AlarmKind::Broadcast:
            causes.emplace_back(facts.kind == AlarmKind::Duplicate ? explain::kDuplicate
                                                                   : explain::kBroadcast);
            MacCauses(explain::kSharedSide, facts.newMac, causes);
            VendorCause(explain::kSharedSide, facts.newMac, causes);
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
