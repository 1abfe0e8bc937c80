#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "common/LocalTime.h"
#include "monitor/watch/AlarmMemory.h"
#include "monitor/watch/HostHistory.h"

namespace kestrove {

// One alarm of `List1`: the facts its two lines and its explanation are made from, the same
// few dozen bytes whatever the texts come to.
struct AlarmRecord {
    TimePoint stamp;
    AlarmFacts facts;
    AlarmHistory history;
    // The change alarm's host name (an index into the list's texts; 0 for none). The IPv6,
    // router and gateway alarms keep their whole detail there instead.
    std::uint32_t name = 0;
    // What the first-hop check found after the alarm (an index into the same texts; 0: none).
    std::uint32_t evidence = 0;
    // Flip summary: the changes counted.
    std::uint32_t changes = 0;
};

// The alarm's first line, "<stamp><tab><message>", and its detail (shown indented by two
// spaces under it, logged after a tab).
std::string AlarmTitle(const AlarmRecord& alarm);
std::string AlarmDetail(const AlarmRecord& alarm, std::string_view hostName);
std::string_view AlarmMessage(AlarmKind kind);

// Where an alarm stands in `List1`, for adding what was learnt after it was raised; it comes to
// nothing once the list was emptied.
struct AlarmHandle {
    std::uint64_t generation = 0;
    std::size_t index = 0;
    bool valid = false;
};

// `List1`: the alarm messages of the main window. Its red background marks that an alarm was
// raised since the last clear; the first alarm after a clear replaces what the list showed,
// later ones accumulate. Alarms are kept as records and their lines made when shown.
class AlarmList {
public:
    std::size_t Count() const { return texts_.size() + 2 * alarms_.size(); }
    std::string Line(std::size_t row) const;
    // Every line (tests and small lists).
    std::vector<std::string> Lines() const;
    // The alarm a row belongs to; nullptr for the start and clear lines.
    const AlarmRecord* AlarmAt(std::size_t row) const;
    const std::string& NameOf(const AlarmRecord& alarm) const { return names_[alarm.name]; }
    const std::string& EvidenceOf(const AlarmRecord& alarm) const { return names_[alarm.evidence]; }
    // The likely causes of the alarm a line belongs to, one per text line; "" for lines that
    // belong to no alarm or without an explainer. Both lines of an alarm give the same text.
    std::string Explanation(std::size_t row) const;
    void SetExplainer(const AlarmMemory* explainer) { explainer_ = explainer; }

    bool IsRed() const { return red_; }
    std::uint64_t Version() const { return version_; }
    // Moves on whenever lines are taken away; between two moves lines are only appended, so a
    // view can add the new tail instead of reloading the whole list.
    std::uint64_t Generation() const { return generation_; }

    // Adds an alarm's two lines and turns the list red, emptying it first unless it was red.
    const AlarmRecord& AddAlarm(AlarmRecord alarm, std::string_view hostName);
    // The last alarm added.
    AlarmHandle LastAlarm() const;
    // Puts the first-hop check's finding on an alarm's explanation; false when the alarm is gone.
    bool SetEvidence(const AlarmHandle& alarm, std::string_view text);
    // A line of no alarm (start, clear). They stand only in a list without alarms: the first
    // alarm empties such a list.
    void Add(std::string line);
    // Empty, with the window colour.
    void Reset();

    // Alarms that must not repeat while their lines stay in the list (a duplicate pair, a host
    // showing this computer's MAC), forgotten whenever the list is emptied.
    void MarkReported(const ListedHost& first, const ListedHost& second);
    bool WasReported(const ListedHost& first, const ListedHost& second) const;

    std::size_t Bytes() const;

private:
    struct PairHash {
        std::size_t operator()(const std::pair<ListedHost, ListedHost>& p) const;
    };
    void Empty();
    std::uint32_t Intern(std::string_view text);

    std::vector<std::string> texts_;
    std::vector<AlarmRecord> alarms_;
    // Host names of the alarms, each once; index 0 is the empty name.
    std::vector<std::string> names_{std::string()};
    std::unordered_map<std::string, std::uint32_t> nameIndex_;
    std::unordered_set<std::pair<ListedHost, ListedHost>, PairHash> reported_;
    const AlarmMemory* explainer_ = nullptr;
    bool red_ = false;
    std::uint64_t version_ = 0;
    std::uint64_t generation_ = 0;
};

}  // namespace kestrove
