#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/SettingsStore.h"
#include "netinfo/OwnAdapters.h"

namespace kestrove {

// The adapter dialog's logic: lists the adapters found at start-up (sections NIC0..NIC5),
// remembers a pick under [NIC_Current] and switches the watched subnet until the monitor ends.
class AdapterChoice {
public:
    struct Shown {
        std::vector<std::string> names;  // `cboCard`'s list
        std::string name;                // `cboCard`'s text
        std::string ip;                  // `lblIP`
        std::string mac;                 // `lblMAC`
        std::string subnet;              // `lblSubnet`
    };

    AdapterChoice(SettingsStore& settings, OwnAdapters& adapters)
        : settings_(settings), adapters_(adapters) {}

    Shown Form_Load();
    // `index` of the picked entry (0..), `text` its name.
    Shown cboCard_Click(int index, std::string_view text);

private:
    void ApplyWatch(const Shown& shown);

    SettingsStore& settings_;
    OwnAdapters& adapters_;
    Shown shown_;
};

}  // namespace kestrove
