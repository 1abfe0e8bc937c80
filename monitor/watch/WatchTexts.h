#pragma once

#include <string_view>

namespace kestrove {

// Messages of the alarm list and the alarm log. Readers of the log (the report builder) find
// the alarms by these texts, so they must never change.
inline constexpr std::string_view kStartMessage = "プログラムを開始しました";
inline constexpr std::string_view kEndMessage = "プログラムを終了しました";
inline constexpr std::string_view kChangeMessage = "MACアドレスが変化しました";
inline constexpr std::string_view kDuplicateMessage = "同一MACアドレスが重複しています";
inline constexpr std::string_view kBroadcastMessage =
    "このPCのMACアドレスがブロードキャストされました";
inline constexpr std::string_view kClearedMessage = "アラームをクリアしました";
inline constexpr std::string_view kMailErrorMessage = "レポートメール送信エラー：";
inline constexpr std::string_view kPairJoin = " と ";
// One address flipping between the same two MACs: after its first changes in full, one line a
// minute with the count. Deliberately neither "MACアドレスが変化" nor "MACアドレスが重複", so the
// report, which finds the alarms by those texts, leaves these lines out.
inline constexpr std::string_view kFlipSummaryMessage = "MACアドレスの切り替わりを集計しました";
inline constexpr std::string_view kFlipSummaryJoin = " <-> ";
inline constexpr std::string_view kFlipSummaryTimes = "回";

// Shown when the scan fails beyond repair; the program then ends.
inline constexpr std::string_view kUnexpectedErrorMessage =
    "予期しないエラーが発生しました。Windowsを再起動してからプログラムを起動してください。";

}  // namespace kestrove
