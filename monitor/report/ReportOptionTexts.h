#pragma once

#include <string_view>

namespace kestrove {

// Messages of the report options dialog, shown one at a time in this order.
namespace reportoption {
inline constexpr std::string_view kNoSaveFolder = "レポートの保存場所を指定してください。";
inline constexpr std::string_view kNoSendTo = "レポート送信先のメールアドレスを指定してください。";
inline constexpr std::string_view kNoSendFrom =
    "レポート送信時の送信元メールアドレスを指定してください。";
inline constexpr std::string_view kNoSmtpServer =
    "送信メールサーバー（SMTPサーバー）名を指定してください。";
inline constexpr std::string_view kNoPopServer =
    "POP Before SMTP認証に使用するPOPサーバー名を指定してください。";
inline constexpr std::string_view kNoUserId =
    "POP Before SMTP認証に使用するメールアカウントのユーザーIDを指定してください。";
inline constexpr std::string_view kNoPassword =
    "POP Before SMTP認証に使用するメールアカウントのパスワードを指定してください。";
// The stored form of the password has room for ASCII characters only.
inline constexpr std::string_view kPasswordNotAscii =
    "パスワードに使用できるのは半角の英数字と記号だけです。全角文字などを含まないパスワードを指定し"
    "てください。";

inline constexpr std::string_view kHourSuffix = "時";
inline constexpr std::string_view kDaySuffix = "日";
inline constexpr std::string_view kWeekdays[] = {"日曜日", "月曜日", "火曜日", "水曜日",
                                                 "木曜日", "金曜日", "土曜日"};
}  // namespace reportoption

}  // namespace kestrove
