#pragma once

#include <malloc.h>
#include <sys/resource.h>

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

// CPU time of the process so far in ms, in user space and in the kernel: a report's kernel time
// is mostly the page cache taking its files, which no report code can make smaller.
struct CpuMs {
    double user = 0;
    double system = 0;
};
inline CpuMs ProcessCpuMs() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    return {ms(usage.ru_utime), ms(usage.ru_stime)};
}

}  // namespace kestrove::bench
