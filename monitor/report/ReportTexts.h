#pragma once

#include <string_view>

namespace kestrove {

// Alarm-log texts by which the report finds its lines. They are parts of the logged messages,
// so a line is found whatever precedes them.
inline constexpr std::string_view kDuplicateMarker = "MACアドレスが重複";
inline constexpr std::string_view kDuplicateMessageTail = "MACアドレスが重複しています";
inline constexpr std::string_view kChangeMarker = "MACアドレスが変化";

// Values of the report period.
inline constexpr std::string_view kPeriodNone = "None";
inline constexpr std::string_view kPeriodHourly = "Hourly";
inline constexpr std::string_view kPeriodDaily = "Daily";
inline constexpr std::string_view kPeriodWeekly = "Weekly";
inline constexpr std::string_view kPeriodMonthly = "Monthly";

// Subjects of report mails (a full-width opening and a half-width closing parenthesis).
inline constexpr std::string_view kScheduledMailSubject = "報告書（自動送信)";
inline constexpr std::string_view kImmediateMailSubject = "報告書（異常発生)";

// Told to the user when "いますぐ作成" finds nothing to report from.
inline constexpr std::string_view kNoAlarmLogMessage =
    "アラームログがまだありません。レポートは作成されませんでした。";
inline constexpr std::string_view kUnreadableAlarmLogMessage =
    "アラームログを読み取れません。レポートは作成されませんでした。";

}  // namespace kestrove
