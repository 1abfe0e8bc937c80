#pragma once

// Captions of the main window, its menus and the tray menu.
namespace kestrove::texts {

inline constexpr const char* kTitle = "Kestrove";

inline constexpr const char* kMFile = "ファイル(&F)";
inline constexpr const char* kMEnd2 = "終了(&E)";
inline constexpr const char* kMOption = "オプション(&O)";
inline constexpr const char* kMWatch = "監視する内容(&W)";
inline constexpr const char* kMWatch1 = "MACアドレスの変化(&A)";
inline constexpr const char* kMWatch2 = "MACアドレスの重複(&D)";
inline constexpr const char* kMWatchIpv6 = "IPv6の近隣(&6)";
inline constexpr const char* kMWatchRouter = "ルーターとゲートウェイ(&R)";
inline constexpr const char* kMWatchFirstHop = "最初の中継点の確認(&F)";
inline constexpr const char* kMNic = "ネットワークインターフェースカードの選択(&C)";
inline constexpr const char* kMScanAll = "全IPアドレスをスキャン";
inline constexpr const char* kMLogMenu = "監視ログ(&L)";
inline constexpr const char* kMRecordLog = "ログの記録(&L)";
inline constexpr const char* kMShowLog = "ログの表示(&S)";
inline constexpr const char* kMClearLog = "ログを消去(&D)";
// The start-at-logon item names the event of the system it runs on (PlatformCaptions.h).
inline constexpr const char* kMNotify = "アラームをデスクトップに通知(&N)";
inline constexpr const char* kMSyslog = "システムログにも送る(&Y)";
inline constexpr const char* kMWithWindows = "Windows起動時に起動(&W)";
inline constexpr const char* kMWithWindowsAtLogin = "ログイン時に起動(&W)";
inline constexpr const char* kMReport = "レポート作成(&R)";
inline constexpr const char* kMReportOption = "自動作成の設定(&M)";
inline constexpr const char* kMReportNow = "いますぐ作成(&N)";
inline constexpr const char* kMHelp = "ヘルプ(&H)";
inline constexpr const char* kMHelpMain = "目次とキーワード(&C)";
inline constexpr const char* kMVersion = "バージョン情報(&A)";
inline constexpr const char* kMShowDetails = "詳細の表示";
inline constexpr const char* kMEnd = "Kestroveの終了";

// Shown at start when no folder for the settings and the alarm log can be written.
inline constexpr const char* kDataFolderNotWritable =
    "データを保存するフォルダー「%1」に書き込めません。\n"
    "警報は記録されず、設定も保存されません。監視は続けます。";
// A file another user could have written (%1), why (%2), where it went (%3).
inline constexpr const char* kUntrustedMoved =
    "ファイル「%1」は%2ため、信用できません。使わずに「%3」へ移しました。";
inline constexpr const char* kUntrustedStuck =
    "ファイル「%1」は%2ため、信用できません。移すこともできませんでした。";
inline constexpr const char* kUntrustedNotRegular = "通常のファイルではない（リンクなど）";
inline constexpr const char* kUntrustedOtherOwner = "ほかのユーザーのファイルである";
inline constexpr const char* kUntrustedWritable = "ほかのユーザーも書き込める";
inline constexpr const char* kUntrustedFolderOtherOwner = "ほかのユーザーのフォルダーにある";
inline constexpr const char* kUntrustedFolderWritable =
    "ほかのユーザーも書き込めるフォルダーにある";
inline constexpr const char* kUntrustedAdvice =
    "このユーザーだけが書き込めるフォルダーで使ってください。";
// hosts.dat (%1) damaged, too large or not a file: moved to %2.
inline constexpr const char* kHostsSetAside =
    "覚えているホストの表「%1」は壊れているか大きすぎるため、使わずに「%2」へ移しました。"
    "新しい表で監視を続けます。";
inline constexpr const char* kHostsStuck =
    "覚えているホストの表「%1」を読むことも移すこともできないため、使わずに監視を続けます。";
// The alarm log (%1) took a line it could not keep.
inline constexpr const char* kLogNotRecorded =
    "監視ログ「%1」に記録できません（リンクやフォルダーが置かれている、ディスクがいっぱい、"
    "書き込みが許可されていない など）。\n警報は画面には表示されますが、ログには残りません。";

inline constexpr const char* kFrame1 = "Check Frequency";
inline constexpr const char* kLabel5 = "Every";
inline constexpr const char* kLabel4 = "Second";
inline constexpr const char* kLabel1 = "アラーム";
inline constexpr const char* kCommand1 = "クリア";
inline constexpr const char* kLabel2 = "現在のARPキャッシュ";
inline constexpr const char* kLabel6 = "観測されたMACアドレスの履歴";
inline constexpr const char* kLabel3 = "同一MACが複数ないかチェック";
// Above the likely causes and the clues of the alarm selected in `List1`.
inline constexpr const char* kExplainPrefix = "考えられる原因と手がかり:";

// The scan intervals offered, in seconds; every start begins with "1.0".
inline constexpr const char* kIntervals[] = {"0.1", "0.2", "0.3", "0.5", "1.0", "2.0",
                                             "3.0", "5.0", "10",  "20",  "30"};
inline constexpr const char* kDefaultInterval = "1.0";

}  // namespace kestrove::texts
