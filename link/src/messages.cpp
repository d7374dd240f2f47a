#include "link/messages.h"

#include <string>

#include "link/control_codes.h"

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

const std::u16string_view kMsgPositionFailed = u"指定した点の座標値を取得することができませんでした。";
const std::u16string_view kMsgExecuteError = u"AutoCAD起動中にエラーが発生しました。";
const std::u16string_view kMsgExecuteModeWrong =
    u"起動後の待機方法(ExecuteMode)には0から3までの値を指定して下さい。";
const std::u16string_view kMsgCancelledByUser = u"ユーザによってキャンセルされました。";
const std::u16string_view kMsgExportIncomplete = u"DXFファイルの書き出しが完了していません。";
const std::u16string_view kMsgScratchNotWritable = u"一時フォルダのDXFファイルに書き込めません。";

const std::u16string_view kMsgTooManyUserVariables = u"ユーザー変数が10個を超えています。";
const std::u16string_view kMsgScriptOpenFailed = u"スクリプトファイルを開くことができませんでした。";
const std::u16string_view kMsgScriptLineError = u"スクリプト実行中にエラーが発生しました。";
const std::u16string_view kMsgScriptLineSuffix = u"行目: ";
const std::u16string_view kMsgNoOperator = u"条件文に比較演算子が指定されていません。";
const std::u16string_view kMsgUndefinedCommand = u"未定義のスクリプトコマンドが指定されています。";
const std::u16string_view kMsgParameterRequired = u"パラメータを省略することはできません。";
const std::u16string_view kMsgUndefinedParameter = u"未定義のパラメータが指定されています。";
const std::u16string_view kMsgAssignmentWithoutEquals = u"代入文に\"=\"が指定されていません。";

std::u16string MsgInputTooLong() {
  const std::string limit = std::to_string(kLongestTypedInput);
  return u"入力が長すぎます(" + std::u16string(limit.begin(), limit.end()) + u"文字まで)。";
}

std::u16string MsgLabelNotFound(std::u16string_view label) {
  return u"行ラベル(" + std::u16string(label) + u")が見つかりません。";
}

std::u16string MsgUserVariableOutside(std::u16string_view token) {
  return u"ユーザー変数" + std::u16string(token) + u"は呼び出し元から渡された配列にありません。";
}

std::u16string MsgNotUserVariable(std::u16string_view parameter) {
  return u"結果の格納先(" + std::u16string(parameter) + u")がユーザー変数(%USER0%～%USER9%)ではありません。";
}

}  // namespace korvel
