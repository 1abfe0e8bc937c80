#include "common/LocalTime.h"

namespace kestrove {

LocalCalendar ToLocalCalendar(std::time_t t) {
    LocalCalendar local;
    localtime_r(&t, &local.fields);
    local.utcOffsetSeconds = local.fields.tm_gmtoff;
    return local;
}

}  // namespace kestrove
