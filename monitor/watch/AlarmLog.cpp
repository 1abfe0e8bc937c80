#include "monitor/watch/AlarmLog.h"

#include <string>
#include <system_error>

#include "common/Cp932.h"
#include "common/FileBytes.h"

namespace kestrove {

bool AlarmLog::AppendAlarmLine(std::string_view text) const {
    if (mirror_) {
        mirror_(text);
    }
    std::error_code ec;
    std::filesystem::create_directories(folder_, ec);

    std::string bytes = Utf8ToCp932(text);
    bytes += "\r\n";

    return AppendWholeOrNothing(path_, bytes);
}

void AlarmLog::Clear() const {
    std::error_code ec;
    std::filesystem::remove(path_, ec);
}

}  // namespace kestrove
