// Plendra's user-visible texts and the keystrokes it types. Users see the
// texts exactly as written, and the keystrokes are what AutoCAD's command
// line expects, so they live in one place.
#pragma once

#include <string>
#include <string_view>

namespace plendra::texts {

// Start-up and closing.
inline constexpr std::u16string_view kNoAutoCad = u"AutoCADが見つかりません、終了します。";
inline constexpr std::u16string_view kAlreadyRunning = u"すでに起動されています";
inline constexpr std::u16string_view kClosingWhileWriting = u"書き込み中なので閉じられません";
inline constexpr std::u16string_view kSettingsNotWritten =
    u"設定ファイル plendra.ini を書き込めませんでした。";
// Below that message: where Plendra tried to write, and the system's reason.
inline constexpr std::u16string_view kFileWhere = u"場所: ";
inline constexpr std::u16string_view kFileWhy = u"理由: ";
inline constexpr std::u16string_view kFileAccessDenied =
    u"書き込みが拒否されました (書き込みの権限がないか、ほかのプログラムが開いています)。"
    u"管理者の権限でセットアップをもう一度実行すると、使う人が書き込めるようになります。";
inline constexpr std::u16string_view kFileReadOnlyPlace = u"読み取り専用の場所です。";
inline constexpr std::u16string_view kFileDiskFull = u"ディスクに空きがありません。";
inline constexpr std::u16string_view kFileIsFolder = u"同じ名前のフォルダがあります。";
inline constexpr std::u16string_view kFileNoFolder = u"フォルダがありません。";
inline constexpr std::u16string_view kFileErrorNumber = u"エラー番号 ";

// The system list.
inline constexpr std::u16string_view kKeitouMissing =
    u"系統リスト Keitou.txt が見つかりません。系統と番号を選べません。";
inline constexpr std::u16string_view kKeitouNoSystems = u"Keitou.txt に系統名がありません。";
inline constexpr std::u16string_view kKeitouNoNumbers =
    u"Keitou.txt に番号がありません。系統名の後に \"!!\" の行を置き、その後に番号を書いてください。";
inline constexpr std::u16string_view kFromNumber = u"番から書き込みます";
inline constexpr std::u16string_view kLastNumberReached = u"この系統は最後の番号に達しています";
inline constexpr std::u16string_view kCountMatch = u"認識された数: ";
// The tag of the parts-table block's first attribute, whose value is the
// entry's system; the next attribute holds its number.
inline constexpr std::u16string_view kSystemTag = u"(1)系統";
inline constexpr std::u16string_view kNumbersUnread = u"番号を読み取れませんでした。番号を選んでください";
// Follows the system name, a blank and the number.
inline constexpr std::u16string_view kAlreadyInDrawing = u" は図面に既にあります。書き込みますか?";

// The numbering run and the pick.
inline constexpr std::u16string_view kStart = u"開始";
inline constexpr std::u16string_view kStop = u"停止";
// What AutoCAD's object-selection prompt holds in every release
// ("ｵﾌﾞｼﾞｪｸﾄを選択: ", "オブジェクトを選択: ").
inline constexpr std::u16string_view kSelectionPromptPart = u"選択";
inline constexpr std::u16string_view kLastNumberNoAdvance = u"最後の番号なので、次は自動で増えません";
inline constexpr std::u16string_view kCancelledByUser = u"ユーザによってキャンセルされました。";
inline constexpr std::u16string_view kPickADimension = u"寸法を選んでください";
inline constexpr std::u16string_view kNoSystemName = u"系統名が入力されていません";
inline constexpr std::u16string_view kNoNumber = u"番号が入力されていません";
inline constexpr std::u16string_view kAligned = u"平行寸法です。";
inline constexpr std::u16string_view kNotLinear = u"長さ寸法ではありません";
inline constexpr std::u16string_view kWritten = u"mmを書き込みました";
// The picked dimension prints a typed value instead of its measurement.
inline constexpr std::u16string_view kPrintedDiffers = u" (寸法の表示値 ";
inline constexpr std::u16string_view kPrintedDiffersEnd = u" は測定値と違います)";
// An entry whose typing AutoCAD did not confirm: the entry may be in the
// drawing in part, in whole or not at all, so the number is not advanced and
// the user is asked to look before writing on.
inline constexpr std::u16string_view kEntryUnconfirmed = u"の書き込みをAutoCADで確認できませんでした。";
inline constexpr std::u16string_view kEntryUnconfirmedAdvice =
    u"図面のこの部品表を確かめてから、番号を選んで開始してください。";
// The entry is written, but its move to the system's layer was not confirmed.
inline constexpr std::u16string_view kLayerUnconfirmed =
    u"は書き込みましたが、系統の画層への移動をAutoCADで確認できませんでした。";
inline constexpr std::u16string_view kNoDimensionStyle =
    u"寸法スタイルが読み取れないため、部品表の大きさを決められません。書き込みを中止します。";
inline constexpr std::u16string_view kNoPosition =
    u"名称位置(上・下・前・後)が設定されていません。設定で名称位置を選んでください。";
inline constexpr std::u16string_view kRunTimeError = u"実行時エラー '";
inline constexpr std::u16string_view kNotConnected = u"AutoCADが起動していないか、応答がありません。";

// The parts-table block, missing from the application's folder at the first pick.
inline constexpr std::u16string_view kBlockFileName = u"Plendra1.dwg";
inline constexpr std::u16string_view kBlockScriptName = u"Plendra1.scr";
inline constexpr std::u16string_view kBlockMissing =
    u"部品表のブロック Plendra1.dwg が Plendra のフォルダにありません。"
    u"いま開いている AutoCAD で作成しますか? "
    u"(Plendra1.scr のコマンドを AutoCAD に送ります。作図した図形は図面に残りません)";
inline constexpr std::u16string_view kBlockDeclined =
    u"部品表のブロック Plendra1.dwg がないため、書き込みを中止します。";
inline constexpr std::u16string_view kBlockScriptMissing =
    u"Plendra1.scr が Plendra のフォルダにないため、部品表のブロックを作成できません。書き込みを中止します。";
inline constexpr std::u16string_view kBlockNotMade =
    u"部品表のブロック Plendra1.dwg を作成できませんでした。AutoCAD のコマンド履歴を確かめてください。"
    u"書き込みを中止します。";
inline constexpr std::u16string_view kBlockMade = u"部品表のブロック Plendra1.dwg を作成しました";

// The menu 検査.
inline constexpr std::u16string_view kKensaNone = u"番号の検査: 問題は見つかりませんでした。";
inline constexpr std::u16string_view kKensaFound = u"番号の検査: ";
inline constexpr std::u16string_view kKensaFoundCount = u" 件見つかりました";
inline constexpr std::u16string_view kExportFailed = u"図面を DXF に書き出せませんでした。";
inline constexpr std::u16string_view kExportUnreadable = u"書き出した図面を読めませんでした: ";
inline constexpr std::u16string_view kSyuukeiWritten = u"集計表を書き出しました: ";
inline constexpr std::u16string_view kSyuukeiNotWritten =
    u"集計表を書き込めませんでした (Excel などで開いていませんか): ";
inline constexpr std::u16string_view kSyuukeiStale = u" 長さが寸法と合わないか、寸法のない部品表が ";
inline constexpr std::u16string_view kSyuukeiStaleEnd = u" 件あります。番号の検査で確かめてください。";
inline constexpr std::u16string_view kSyuukeiSuffix = u"_集計表.csv";
inline constexpr std::u16string_view kNoDrawingFolder =
    u"図面のフォルダが分からないため、集計表を書き出せません。";

// 番号の振り直し (form1_renumber.cpp). A message about a system follows
// the pattern prefix + system + suffix.
inline constexpr std::u16string_view kRenumberTitle = u"番号の振り直し";
inline constexpr std::u16string_view kRenumberNothing = u"番号の振り直し: 系統「";
inline constexpr std::u16string_view kRenumberNothingEnd =
    u"」は 1 から欠番も重複もなく並んでいます。振り直す番号はありません。";
// A system the drawing holds no entry of, in the plan and in plendra-report
// renumber alike: prefix + system + suffix, then the systems it holds.
inline constexpr std::u16string_view kRenumberMissing = u"系統「";
inline constexpr std::u16string_view kRenumberMissingEnd = u"」の部品表はこの図面にありません。";
inline constexpr std::u16string_view kRenumberSystemsHere = u"図面にある系統: ";
inline constexpr std::u16string_view kRenumberMoreSystems = u" ほか";
inline constexpr std::u16string_view kRenumberKept = u"そのままの部品表: ";
inline constexpr std::u16string_view kRenumberKeptCount = u" 件";
inline constexpr std::u16string_view kRenumberUnnumbered = u"番号が数値でないため振り直さない部品表: ";
inline constexpr std::u16string_view kRenumberAmbiguous =
    u"同じ番号の部品表が重なっているため、AutoCAD で一つだけを選べません。離してから振り直してください: ";
inline constexpr std::u16string_view kRenumberDone = u"番号を振り直しました: 系統「";
inline constexpr std::u16string_view kRenumberDoneEnd = u" 件";
inline constexpr std::u16string_view kRenumberStopped =
    u"番号の振り直しを中止しました。変更した部品表は元の番号に戻しました。";
inline constexpr std::u16string_view kRenumberFailed =
    u"番号の振り直しを AutoCAD で確認できなかったため、中止しました。変更した部品表: ";
inline constexpr std::u16string_view kRenumberNoneChanged = u"なし";
inline constexpr std::u16string_view kRenumberUnconfirmed = u"書き換えを確認できなかった部品表: ";
inline constexpr std::u16string_view kRenumberNotFound =
    u"AutoCAD で選択できなかったため書き換えなかった部品表 (画層がオフかフリーズなど): ";
// AutoCAD's window gone: no U can be typed, and what it changed is in the
// drawing only if it was saved.
inline constexpr std::u16string_view kRenumberAcadClosed =
    u"AutoCAD "
    u"が終了したため、番号の振り直しを中止しました。図面が保存されていれば、変更されている可能性のある部品表:"
    u" ";
inline constexpr std::u16string_view kRenumberCheckAgain =
    u" 図面を開き直して、番号の検査で確かめてください。";
inline constexpr std::u16string_view kRenumberUndoHint =
    u" AutoCAD で U を入力すると、振り直しの全体を元に戻せます。";
inline constexpr std::u16string_view kRenumberDiffers = u"振り直した後の図面が計画と違います: ";
inline constexpr std::u16string_view kRenumberOfferUndo = u" 振り直しの全体を元に戻しますか? (U)";
inline constexpr std::u16string_view kRenumberUndone = u"振り直しの全体を元に戻しました。";

// AutoCAD made the scratch file of an export its current drawing.
inline constexpr std::u16string_view kDrawingRenamed1 =
    u"AutoCAD で開いている図面が、書き出しに使った一時ファイル ";
inline constexpr std::u16string_view kDrawingRenamed2 =
    u" に変わりました。このまま上書き保存すると、この一時ファイルに保存され、元の図面 ";
inline constexpr std::u16string_view kDrawingRenamed3 =
    u" には保存されません。元の図面に保存するには、AutoCAD の [名前を付けて保存] で元のフォルダを開き、";
inline constexpr std::u16string_view kDrawingRenamed4 = u" を選んで保存してください。";

// Keystrokes.
inline constexpr std::u16string_view kCancel = u"^C^C";
inline constexpr std::u16string_view kUcsWorld = u"ucs^Mw^M";
inline constexpr std::u16string_view kUcsPrevious = u"^C^C_ucs^Mp^M^C";
inline constexpr std::u16string_view kBlockFile = u"\\Plendra1.dwg";

// A read-only system variable typed at the command prompt: AutoCAD prints
// NAME = "value" into its history and asks for nothing.
inline std::u16string VariableKeys(std::u16string_view name) {
  return std::u16string(kCancel) + std::u16string(name) + u"^M";
}

// The entry's block inserted from `block` at scale `scale` with its
// insertion point at x,y, upright or turned a quarter; AutoCAD then asks for
// the attributes.
inline std::u16string InsertKeys(std::u16string_view block, std::u16string_view scale, std::u16string_view x,
                                 std::u16string_view y, bool turned) {
  return std::u16string(kCancel) + u"-insert^M" + std::u16string(block) + u"^Ms^M" + std::u16string(scale) +
         u"^M" + std::u16string(x) + u"," + std::u16string(y) + (turned ? u"^M90^M" : u"^M0^M");
}

// The block's attribute values in their prompts' order: the dimension
// text's position, the length, two left as the block has them, the system
// and the number.
inline std::u16string AttributeKeys(std::u16string_view p0, std::u16string_view p1, std::u16string_view p2,
                                    std::u16string_view length, std::u16string_view system,
                                    std::u16string_view number) {
  return std::u16string(p0) + u"^M" + std::u16string(p1) + u"^M" + std::u16string(p2) + u"^M" +
         std::u16string(length) + u"^M^M^M" + std::u16string(system) + u"^M" + std::u16string(number) + u"^M";
}

// The last object's attributes, one by one, given the text style.
inline std::u16string AtteditKeys(std::u16string_view text_style) {
  return u"-attedit^My^M^M^M^Ml^M^Ms^M" + std::u16string(text_style) + u"^M^M";
}

// The layer step. First the system's layer: made, thawed, turned on and
// unlocked (each option of -LAYER takes the name).
inline std::u16string LayerKeys(std::u16string_view layer) {
  const std::u16string n(layer);
  return std::u16string(kCancel) + u"-layer^Mn^M" + n + u"^Mt^M" + n + u"^Mon^M" + n + u"^Mu^M" + n + u"^M^M";
}

// Then the last object moved onto it, its colour, line type and line weight
// by layer.
inline std::u16string ChangeToLayerKeys(std::u16string_view layer) {
  return std::u16string(kCancel) + u"change^Ml^M^Mp^Mla^M" + std::u16string(layer) +
         u"^Mc^Mbylayer^Mlt^Mbylayer^Mlw^Mbylayer^M^M";
}

// The view centred on x,y with this height.
inline std::u16string ZoomKeys(std::u16string_view x, std::u16string_view y, std::u16string_view height) {
  return std::u16string(kCancel) + u"_zoom^Mc^M" + std::u16string(x) + u"," + std::u16string(y) + u"^M" +
         std::u16string(height) + u"^M";
}

// 番号の振り直し: one undo group around the whole change, so that one U
// takes it back; each entry by -ATTEDIT one at a time, after a zoom that
// shows it (a selection reaches only what is shown).
inline constexpr std::u16string_view kUndoBegin = u"^C^C_undo^Mbe^M";
inline constexpr std::u16string_view kUndoEnd = u"^C^C_undo^Me^M";
inline constexpr std::u16string_view kUndoOnce = u"^C^C_u^M";
// Dialogs that would take over from the command line, off while typing.
inline constexpr std::u16string_view kDialogVariables[] = {u"ATTDIA", u"FILEDIA"};

// The view fitted to the window from corner a to corner b ("x,y").
inline std::u16string ZoomWindowKeys(std::u16string_view a, std::u16string_view b) {
  return std::u16string(kCancel) + u"_zoom^Mw^M" + std::u16string(a) + u"^M" + std::u16string(b) + u"^M";
}

// One entry's number changed from old_value to new_value, typed in two
// parts so that nothing is typed on a guess. First the selection: -ATTEDIT
// one at a time with the block, the number's tag and the old value as
// filters and a crossing window from corner a to corner b, ended by Enter.
inline std::u16string RenumberSelectKeys(std::u16string_view block, std::u16string_view old_value,
                                         std::u16string_view a, std::u16string_view b) {
  return std::u16string(kCancel) + u"_-attedit^My^M" + std::u16string(block) + u"^M(2)番号^M" +
         std::u16string(old_value) + u"^Mc^M" + std::u16string(a) + u"^M" + std::u16string(b) + u"^M^M";
}
// After the selection AutoCAD waits at some prompt: the option prompt when
// it found an attribute, the command prompt when it found none. Every
// prompt of AutoCAD ends with a colon.
inline constexpr std::u16string_view kAnyPrompt = u"*:*";
// What the option prompt for a selected attribute holds in every release:
// its default, Next ("... [値(V)/.../次(N)] <N>: ", "... [Value/.../Next] <N>: ").
inline constexpr std::u16string_view kAttEditOptionPart = u"<N>:";
// Then, at that option prompt only: Value, Replace, the new value, and Next
// past the only attribute selected, which ends the command.
inline std::u16string RenumberValueKeys(std::u16string_view new_value) {
  return u"v^Mr^M" + std::u16string(new_value) + u"^M^M";
}

// The about box and help.
inline constexpr std::u16string_view kVersionPrefix = u"ﾊﾞｰｼﾞｮﾝ ";
inline constexpr std::u16string_view kHelpFile = u"\\Plendra_Help.chm";

}  // namespace plendra::texts
