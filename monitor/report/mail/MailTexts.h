#pragma once

#include <string_view>

namespace kestrove {

// Error texts of the mail layer. They end up in the alarm log after "レポートメール送信エラー：",
// so each says in plain words which step failed.
namespace mailtext {
inline constexpr std::string_view kNoServer = "送信メールサーバーが指定されていません";
inline constexpr std::string_view kNoPopServer = "POPサーバーが指定されていません";
inline constexpr std::string_view kBadServer = "メールサーバーの指定が正しくありません";
inline constexpr std::string_view kNoRecipient = "送信先のメールアドレスが指定されていません";
inline constexpr std::string_view kNoSender = "送信元のメールアドレスが指定されていません";
inline constexpr std::string_view kNoUser = "ユーザーIDが指定されていません";
inline constexpr std::string_view kBadCredentials =
    "ユーザーIDまたはパスワードに使用できない文字が含まれています";
inline constexpr std::string_view kAttachmentUnreadable = "添付ファイルを読み込めません";
inline constexpr std::string_view kResolveFailed = "サーバー名を解決できません";
inline constexpr std::string_view kConnectFailed = "サーバーに接続できません";
inline constexpr std::string_view kConnectTimeout = "サーバーへの接続がタイムアウトしました";
inline constexpr std::string_view kReplyTimeout = "サーバーの応答がタイムアウトしました";
// Said instead of sending a password over a connection that is not encrypted.
inline constexpr std::string_view kNoEncryption =
    "サーバーが暗号化された接続を提供していないため、パスワードを送信しませんでした";
inline constexpr std::string_view kTlsFailed = "TLS接続に失敗しました";
inline constexpr std::string_view kCertificateFailed = "サーバー証明書を検証できません";
inline constexpr std::string_view kAuthFailed = "認証に失敗しました";
inline constexpr std::string_view kSenderRefused = "送信元アドレスが拒否されました";
inline constexpr std::string_view kRecipientRefused = "送信先アドレスが拒否されました";
inline constexpr std::string_view kMessageRefused = "メールの受け付けが拒否されました";
inline constexpr std::string_view kCommandRefused = "コマンドが拒否されました";
inline constexpr std::string_view kServerClosed = "サーバーが接続を切断しました";
inline constexpr std::string_view kUnexpectedReply = "サーバーから予期しない応答がありました";
inline constexpr std::string_view kSendFailed = "メールの送信に失敗しました";
// The program ended while the mail was under way or still waiting to be sent.
inline constexpr std::string_view kAborted = "プログラムの終了により送信を中止しました";
// More reports were waiting to be mailed than are kept waiting.
inline constexpr std::string_view kTooManyWaiting =
    "送信待ちのメールが多すぎるため送信しませんでした";
inline constexpr std::string_view kPopFailed = "POPサーバーでのログインに失敗しました";
}  // namespace mailtext

}  // namespace kestrove
