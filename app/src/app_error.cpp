#include "app/app_error.h"

#include <utility>

namespace plendra {

AppError::AppError(std::int32_t number)
    : number(number), description(AppErrorText(number)), what_("run-time error " + std::to_string(number)) {}

AppError::AppError(std::int32_t number, std::u16string description)
    : number(number), description(std::move(description)), what_("error " + std::to_string(number)) {}

// The texts a Japanese desktop shows for its own run-time errors. Plendra does
// not link korvel, so it keeps its own copy of the few it can raise.
std::u16string AppErrorText(std::int32_t number) {
  switch (number) {
    case 5:
      return u"プロシージャの呼び出し、または引数が不正です。";
    case 6:
      return u"オーバーフローしました。";
    case 9:
      return u"インデックスが有効範囲にありません。";
    case 13:
      return u"型が一致しません。";
    case 53:
      return u"ファイルが見つかりません。";
    case 91:
      return u"オブジェクト変数または With ブロック変数が設定されていません。";
    default:
      return u"アプリケーション定義またはオブジェクト定義のエラーです。";
  }
}

void RaiseAppError(std::int32_t number) { throw AppError(number); }

}  // namespace plendra
