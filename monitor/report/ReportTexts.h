#pragma once

#include <string_view>

namespace kestrove {

// The part of the duplicate message after which a duplicate row's MAC is found.
inline constexpr std::string_view kDuplicateMessageTail = "MACアドレスが重複しています";

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
