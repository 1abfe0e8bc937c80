#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "netinfo/Ipv4.h"
#include "netinfo/MacAddress.h"

namespace kestrove {

// One `List2` entry: a host with the MAC it had when it was first recorded.
struct ListedHost {
    MacAddress mac;
    Ipv4 address = 0;

    friend bool operator==(const ListedHost&, const ListedHost&) = default;
};

// `List2` order is the text order of the lines, MAC text first, then the padded address. Hex
// pairs of one width sort as the bytes do, and a MAC text that begins another sorts first
// (" (" before "-"), so that order is the order of (MAC bytes, MAC length, address).
bool ListedBefore(const ListedHost& a, const ListedHost& b);

// The line as shown and logged: "00-AA-BB-CC-DD-0E (192.168.  1.  5)".
std::string FormatListed(const ListedHost& host);

// `List2`: one entry per host since the last clear, kept in `List2` order so that hosts listed
// with one MAC stand together. Entries are 16 bytes, not lines: a line is made when it is
// shown or logged. New entries wait unsorted until the list is next asked; then they are sorted
// as one batch into a small sorted run, which is merged into the main one when it grows or when
// the list is read in order, so neither a first scan of tens of thousands of hosts nor hosts
// arriving one by one ever sort or shift the whole list per entry.
class HostHistory {
public:
    // `host` is not listed yet (a host is listed once between two clears).
    void Add(const ListedHost& host);
    void Clear();

    std::size_t Count() const { return sorted_.size() + recent_.size() + pending_.size(); }
    const ListedHost& At(std::size_t i) const { return Sorted()[i]; }
    const std::vector<ListedHost>& Entries() const { return Sorted(); }
    std::string Line(std::size_t i) const { return FormatListed(At(i)); }
    // Every line (tests and small lists).
    std::vector<std::string> Lines() const;

    // The entries just before and just after the listed `host` in `List2` order when they have
    // its MAC; nullptr where there is none. Valid until the next change.
    std::pair<const ListedHost*, const ListedHost*> SameMacNeighbours(const ListedHost& host) const;
    // The entries listed with `mac`, in order.
    std::vector<ListedHost> WithMac(const MacAddress& mac) const;

    std::uint64_t Version() const { return version_; }
    // Moves on when the list is emptied; between two moves entries are only inserted.
    std::uint64_t Generation() const { return generation_; }
    std::size_t Bytes() const;

private:
    const std::vector<ListedHost>& Sorted() const;
    void Settle() const;

    mutable std::vector<ListedHost> sorted_;
    // Entries merged since the main run was last merged, in order; a thousand at most.
    mutable std::vector<ListedHost> recent_;
    // Entries added since the list was last asked, in no order.
    mutable std::vector<ListedHost> pending_;
    std::uint64_t version_ = 0;
    std::uint64_t generation_ = 0;
};

}  // namespace kestrove
