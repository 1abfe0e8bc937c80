#include "monitor/watch/AlarmList.h"

#include "common/TimeFormat.h"
#include "monitor/watch/NetworkTexts.h"
#include "monitor/watch/WatchTexts.h"

namespace kestrove {
namespace {

std::size_t HashListed(const ListedHost& host) {
    std::uint64_t v = host.address;
    for (std::uint8_t b : host.mac.bytes) {
        v = v * 0x100000001B3ull ^ b;
    }
    return std::hash<std::uint64_t>{}(v ^ host.mac.length);
}

std::string ChangeDetail(Ipv4 address, std::string_view hostName, const MacAddress& from,
                         std::string_view arrow, const MacAddress& to) {
    std::string detail = "(";
    detail += FormatAddressText(address);
    detail += ':';
    detail += hostName;
    detail += ") ";
    detail += FormatMac(from);
    detail += arrow;
    detail += FormatMac(to);
    return detail;
}

}  // namespace

std::string_view AlarmMessage(AlarmKind kind) {
    switch (kind) {
        case AlarmKind::Change:
            return kChangeMessage;
        case AlarmKind::Duplicate:
            return kDuplicateMessage;
        case AlarmKind::Broadcast:
            return kBroadcastMessage;
        case AlarmKind::FlipSummary:
            return kFlipSummaryMessage;
        case AlarmKind::Ipv6Change:
            return kIpv6ChangeMessage;
        case AlarmKind::Ipv6FlipSummary:
            return kFlipSummaryMessage;
        case AlarmKind::Ipv6Broadcast:
            return kBroadcastMessage;
        case AlarmKind::Router:
            return kRouterMessage;
        case AlarmKind::Gateway:
            return kGatewayMessage;
        case AlarmKind::GatewayMac:
            return kGatewayMacMessage;
        case AlarmKind::AddressConflict:
            return kDadMessage;
        case AlarmKind::FirstHop:
            return kFirstHopMessage;
    }
    return {};
}

std::string AlarmTitle(const AlarmRecord& alarm) {
    std::string title = FormatLogStamp(ToLocalTime(alarm.stamp));
    title += '\t';
    title += AlarmMessage(alarm.facts.kind);
    return title;
}

std::string AlarmDetail(const AlarmRecord& alarm, std::string_view hostName) {
    const AlarmFacts& f = alarm.facts;
    switch (f.kind) {
        case AlarmKind::Change:
            return ChangeDetail(f.address, hostName, f.oldMac, " -> ", f.newMac);
        case AlarmKind::Duplicate:
            return FormatListed({f.newMac, f.address}) + std::string(kPairJoin) +
                   FormatListed({f.newMac, f.otherAddress});
        case AlarmKind::Broadcast:
            return FormatListed({f.newMac, f.address});
        case AlarmKind::FlipSummary:
            return ChangeDetail(f.address, hostName, f.oldMac, kFlipSummaryJoin, f.newMac) + " " +
                   std::to_string(alarm.changes) + std::string(kFlipSummaryTimes);
        default:
            return std::string(hostName);  // made whole when the alarm was raised
    }
}

std::size_t AlarmList::PairHash::operator()(const std::pair<ListedHost, ListedHost>& p) const {
    return HashListed(p.first) * 31 + HashListed(p.second);
}

std::string AlarmList::Line(std::size_t row) const {
    if (row < texts_.size()) {
        return texts_[row];
    }
    row -= texts_.size();
    const AlarmRecord& alarm = alarms_[row / 2];
    return row % 2 == 0 ? AlarmTitle(alarm) : "  " + AlarmDetail(alarm, NameOf(alarm));
}

std::vector<std::string> AlarmList::Lines() const {
    std::vector<std::string> lines;
    lines.reserve(Count());
    for (std::size_t row = 0; row < Count(); ++row) {
        lines.push_back(Line(row));
    }
    return lines;
}

const AlarmRecord* AlarmList::AlarmAt(std::size_t row) const {
    if (row < texts_.size() || row >= Count()) {
        return nullptr;
    }
    return &alarms_[(row - texts_.size()) / 2];
}

std::string AlarmList::Explanation(std::size_t row) const {
    const AlarmRecord* alarm = AlarmAt(row);
    if (alarm == nullptr) {
        return {};
    }
    std::string text =
        explainer_ != nullptr ? explainer_->Explain(alarm->facts, alarm->history) : std::string();
    if (alarm->evidence != 0) {
        if (!text.empty()) {
            text += '\n';
        }
        text += EvidenceOf(*alarm);
    }
    return text;
}

std::uint32_t AlarmList::Intern(std::string_view text) {
    if (text.empty()) {
        return 0;
    }
    // Each text once: a flood of alarms between the same MACs holds few distinct details.
    auto [it, added] =
        nameIndex_.try_emplace(std::string(text), static_cast<std::uint32_t>(names_.size()));
    if (added) {
        names_.emplace_back(text);
    }
    return it->second;
}

const AlarmRecord& AlarmList::AddAlarm(AlarmRecord alarm, std::string_view hostName) {
    if (!red_) {
        Empty();
    }
    alarm.name = Intern(hostName);
    alarm.evidence = 0;
    alarms_.push_back(alarm);
    red_ = true;
    ++version_;
    return alarms_.back();
}

AlarmHandle AlarmList::LastAlarm() const {
    if (alarms_.empty()) {
        return {};
    }
    return {generation_, alarms_.size() - 1, true};
}

bool AlarmList::SetEvidence(const AlarmHandle& alarm, std::string_view text) {
    if (!alarm.valid || alarm.generation != generation_ || alarm.index >= alarms_.size()) {
        return false;
    }
    alarms_[alarm.index].evidence = Intern(text);
    ++version_;
    return true;
}

void AlarmList::Add(std::string line) {
    texts_.push_back(std::move(line));
    ++version_;
}

void AlarmList::Empty() {
    texts_.clear();
    alarms_.clear();
    names_.resize(1);
    nameIndex_.clear();
    reported_.clear();
    ++version_;
    ++generation_;
}

void AlarmList::Reset() {
    Empty();
    red_ = false;
}

void AlarmList::MarkReported(const ListedHost& first, const ListedHost& second) {
    reported_.emplace(first, second);
}

bool AlarmList::WasReported(const ListedHost& first, const ListedHost& second) const {
    return reported_.contains({first, second});
}

std::size_t AlarmList::Bytes() const {
    return alarms_.capacity() * sizeof(AlarmRecord);
}

}  // namespace kestrove
