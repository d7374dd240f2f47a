// The link library's enumerations. Their values are part of the COM interface.
#pragma once

#include <cstdint>
#include <string>

namespace korvel {

// Object-error base (0x80040000) plus an offset; the gaps (615, 617-622) are
// deliberate and callers test the values, so they never move.
enum acPrivateError : std::int32_t {
  CancelByUser = static_cast<std::int32_t>(0x80040201),
  FileNotFound = static_cast<std::int32_t>(0x80040265),
  ExecuteFailed = static_cast<std::int32_t>(0x80040266),
  WaitFailed = static_cast<std::int32_t>(0x80040268),
  SearchFailed = static_cast<std::int32_t>(0x8004026F),
  LinkFailed = static_cast<std::int32_t>(0x80040270),
  CommandFailed = static_cast<std::int32_t>(0x80040271),
  ScriptFailed = static_cast<std::int32_t>(0x80040272),
  WindowClosed = static_cast<std::int32_t>(0x80040273),
};

enum acExecuteMode : std::int32_t {
  WaitNone = 0,
  WaitExit = 1,
  WaitInit = 2,
  WaitPrompt = 3,
};

// COM booleans.
inline constexpr std::int32_t kTrue = -1;
inline constexpr std::int32_t kFalse = 0;

// Runtime-style error numbers, for failures that are not the library's own.
enum RuntimeError : std::int32_t {
  kErrInvalidCall = 5,
  kErrOutOfMemory = 7,
  kErrSubscript = 9,
  kErrTypeMismatch = 13,
  kErrFileNotFound = 53,
  kErrPastEndOfFile = 62,
  kErrInvalidPattern = 93,
};

// The text a Japanese desktop gives a runtime-style error number, as the
// library describes its own and the application its conversions' errors; a
// number not listed gets the text of an application-defined error.
inline std::u16string RuntimeErrorText(std::int32_t number) {
  switch (number) {
    case 5:
      return u"プロシージャの呼び出し、または引数が不正です。";
    case 6:
      return u"オーバーフローしました。";
    case 7:
      return u"メモリが不足しています。";
    case 9:
      return u"インデックスが有効範囲にありません。";
    case 13:
      return u"型が一致しません。";
    case 53:
      return u"ファイルが見つかりません。";
    case 62:
      return u"ファイルにこれ以上データがありません。";
    case 75:
      return u"パスまたはファイルへのアクセスでエラーが発生しました。";
    case 91:
      return u"オブジェクト変数または With ブロック変数が設定されていません。";
    case 93:
      return u"パターン文字列が不正です。";
    default:
      return u"アプリケーション定義またはオブジェクト定義のエラーです。";
  }
}

}  // namespace korvel
