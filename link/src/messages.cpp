#include "link/messages.h"

namespace korvel {

const std::u16string_view kTitle = u"Korvel";
const std::u16string_view kDefaultPrompt = u"ｺﾏﾝﾄﾞ: ";
const std::u16string_view kDefaultMainTitle = u"AutoCAD LT";
const std::u16string_view kDefaultTextTitle = u"AutoCAD LT ﾃｷｽﾄ";
const std::u16string_view kDefaultCommandTitle = u"Headlands";
const std::u16string_view kDefaultHistoryTitle = u"MountTam";
const std::u16string_view kDefaultBoxTitle = u"PwAcadCtrl";

const std::u16string_view kSourceLibrary = u"PwAcadCtrl";
const std::u16string_view kSourceAcad = u"PwAcadCtrl.Acad.";
const std::u16string_view kSourceControl = u"PwAcadCtrl.PwControl.";

const std::u16string_view kMsgSearchError = u"AutoCADを検索中にエラーが発生しました。";
const std::u16string_view kMsgNotFoundCheckVersion =
    u"AutoCADが起動していないか応答がありません\n\rバージョンを確認して下さい。";
const std::u16string_view kMsgNotRunning = u"AutoCADが起動していないか、応答がありません。";
const std::u16string_view kMsgPromptTimeOut = u"待機時間内に指定した応答がありませんでした。";
const std::u16string_view kMsgWindowClosed =
    u"AutoCADが応答しないか、コマンドウィンドウが表示されていません。";
const std::u16string_view kMsgFileNotFound = u"AutoCADの実行ファイルが見つかりませんでした。";
const std::u16string_view kMsgExecuteFailed = u"AutoCADを起動中にエラーが発生しました。";
const std::u16string_view kMsgWaitFailed = u"待機時間内にAutoCADが起動しませんでした。";

std::u16string RuntimeErrorText(std::int32_t number) {
  switch (number) {
    case 5:
      return u"プロシージャの呼び出し、または引数が不正です。";
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
    default:
      return u"アプリケーション定義またはオブジェクト定義のエラーです。";
  }
}

}  // namespace korvel
