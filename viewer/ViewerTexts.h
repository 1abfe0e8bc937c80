#pragma once

// Captions and messages of the log viewer.
namespace kestrove::viewertexts {

inline constexpr const char* kProgram = "Quillpane";
inline constexpr const char* kfrmLog = "ログの表示";
inline constexpr const char* kMFIle = "ファイル(&F)";
inline constexpr const char* kMSave = "上書き保存(&S)";

inline constexpr const char* kNoPath =
    "保存先のファイルが指定されていないため、保存できません。\n"
    "ログファイルのパスを指定して起動してください。";
// %1: the file's path.
inline constexpr const char* kSaveFailed =
    "ファイルを保存できませんでした。\n%1\n\n"
    "ファイルやフォルダーが読み取り専用になっていないか、フォルダーが存在するかを"
    "確認してください。元のファイルは変更されていません。";
// %1: the file's path, %2: the largest size shown.
inline constexpr const char* kTooLarge =
    "ファイルが大きすぎるため表示できません（表示できるのは%2MBまでです）。\n%1";
inline constexpr const char* kChangedOnDisk =
    "このファイルは読み込んだ後に変更されています（警報が追記された可能性があります）。\n%1\n\n"
    "上書き保存すると、その変更は失われます。上書き保存しますか？";

}  // namespace kestrove::viewertexts
