#pragma once

#include <malloc.h>

#include <fstream>
#include <string>

namespace kestrove::bench {

// Resident memory in kB: "VmRSS" now or "VmHWM", the peak since the last reset.
inline long StatusKb(const std::string& key) {
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word) {
        if (word == key + ":") {
            long kb = 0;
            status >> kb;
            return kb;
        }
    }
    return 0;
}

// Freed heap memory is given back first, so the peak shows what one run takes and not what an
// earlier one left behind.
inline void ResetPeakRss() {
    ::malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
}

}  // namespace kestrove::bench
