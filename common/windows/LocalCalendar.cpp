#include "common/LocalTime.h"

namespace kestrove {

// The C runtime has no tm_gmtoff: the offset is the local fields read back as UTC, minus t.
LocalCalendar ToLocalCalendar(std::time_t t) {
    LocalCalendar local;
    if (localtime_s(&local.fields, &t) != 0) {
        return local;
    }
    std::tm copy = local.fields;
    std::time_t asUtc = _mkgmtime(&copy);
    if (asUtc != -1) {
        local.utcOffsetSeconds = static_cast<long>(asUtc - t);
    }
    return local;
}

}  // namespace kestrove
