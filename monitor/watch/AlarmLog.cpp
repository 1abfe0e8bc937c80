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

    if (AppendWholeOrNothing(path_, bytes)) {
        return true;
    }
    if (!failed_) {
        failed_ = true;
        if (onFailure_) {
            onFailure_();
        }
    }
    return false;
}

void AlarmLog::Clear() const {
    std::error_code ec;
    std::filesystem::remove(path_, ec);
}

}  // namespace kestrove
