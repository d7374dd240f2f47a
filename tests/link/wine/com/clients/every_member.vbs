' korvel.dll as a VBScript user calls it: every member of PwAcad and
' PwControl, late-bound, against cadsim.exe imitating AutoCAD 2006.
'
'   cscript //nologo every_member.vbs CADSIM.EXE DRAWING.DXF SCRIPT-FOLDER
'
' Kept in UTF-8 and run in code page 932, as cscript reads it. Echoes ASCII
' only (Wine's cscript corrupts its heap echoing double-byte text), ends with
' "N passed, M failed" and exits 1 on a failure: cscript itself exits 0 when
' the script stops on an error.
Option Explicit

Dim passed, failed
passed = 0
failed = 0

' Shows text in ASCII: other characters as their code-page values.
Function Shown(value)
  Dim i, c, out
  If IsArray(value) Then
    Shown = "(array)"
    Exit Function
  End If
  If IsObject(value) Then
    Shown = "(object)"
    Exit Function
  End If
  If IsEmpty(value) Then
    Shown = "(Empty)"
    Exit Function
  End If
  If IsNull(value) Then
    Shown = "(Null)"
    Exit Function
  End If
  out = ""
  For i = 1 To Len(CStr(value))
    c = Asc(Mid(CStr(value), i, 1))
    If c >= 32 And c < 127 Then out = out & Chr(c) Else out = out & "<" & Hex(c) & ">"
  Next
  Shown = out
End Function

Sub Check(name, actual, expected)
  If IsEmpty(expected) Then
    If IsEmpty(actual) Then passed = passed + 1 Else Fail name, actual, expected
  ElseIf IsEmpty(actual) Then
    Fail name, actual, expected
  ElseIf actual = expected Then
    passed = passed + 1
  Else
    Fail name, actual, expected
  End If
End Sub

Sub Fail(name, actual, expected)
  failed = failed + 1
  WScript.Echo "FAIL " & name & ": got " & Shown(actual) & " (" & TypeName(actual) & "), expected " & _
               Shown(expected)
End Sub

' The error record of the thread, as any PwAcad reports it.
Sub CheckRecord(name, acad, number, source, description)
  Check name & " ErrNumber", acad.ErrNumber, number
  Check name & " ErrSource", acad.ErrSource, source
  Check name & " ErrDescription", acad.ErrDescription, description
End Sub

' The acPrivateError values. The other constants are named k...: Wine's
' vbscript puts a constant's value even in place of a member of the same name
' (ctl.WaitPrompt).
Const FileNotFound = -2147220891
Const SearchFailed = -2147220881
Const LinkFailed = -2147220880
Const CommandFailed = -2147220879
Const ScriptFailed = -2147220878
Const kWaitPrompt = 3
Const kPrompt = "コマンド: "

Dim cadsim, drawing, scripts
cadsim = WScript.Arguments(0)
drawing = WScript.Arguments(1)
scripts = WScript.Arguments(2) & "\"

Dim acad, r
Set acad = CreateObject("PwAcadCtrl.PwAcad")

' ---- PwAcad before any AutoCAD: defaults and a failed search.
Check "Title", acad.Title, "Korvel"
Check "Version", acad.Version, "1.00.00"
Check "ExecuteTimeOut default", acad.ExecuteTimeOut, 300000
acad.ExecuteTimeOut = -5
Check "ExecuteTimeOut -5", acad.ExecuteTimeOut, -1
acad.ExecuteTimeOut = 60000
Check "CheckMainCmdWindow default", acad.CheckMainCmdWindow, True
Check "CommandPrompt default", acad.CommandPrompt, "ｺﾏﾝﾄﾞ: "
Check "MainCompareTitle default", acad.MainCompareTitle, "AutoCAD LT"
Check "TextCompareTitle default", acad.TextCompareTitle, "AutoCAD LT ﾃｷｽﾄ"
Check "CommandCompareTitle default", acad.CommandCompareTitle, "Headlands"
Check "HistoryCompareTitle default", acad.HistoryCompareTitle, "MountTam"
Check "Control before Search", acad.Control Is Nothing, True
Check "ControlExists before Search", acad.ControlExists, False

acad.MainCompareTitle = "AutoCAD 2006"
acad.TextCompareTitle = "AutoCAD テキスト"
acad.CommandCompareTitle = "Headlands"
acad.HistoryCompareTitle = "MountTam"
acad.CommandPrompt = kPrompt
Check "MainCompareTitle set", acad.MainCompareTitle, "AutoCAD 2006"
Check "TextCompareTitle set", acad.TextCompareTitle, "AutoCAD テキスト"

r = acad.Search
Check "Search without AutoCAD", r, SearchFailed
CheckRecord "Search without AutoCAD", acad, SearchFailed, "PwAcadCtrl.Acad.Search", _
            "AutoCADが起動していないか応答がありません" & vbLf & vbCr & "バージョンを確認して下さい。"

r = acad.Execute(scripts & "no-such-cad.exe", "", 0, kWaitPrompt)
Check "Execute of a missing program", r, FileNotFound
CheckRecord "Execute of a missing program", acad, FileNotFound, "PwAcadCtrl.Acad.Execute", _
            "AutoCADの実行ファイルが見つかりませんでした。"

' ---- AutoCAD started and found. The scripted user picks two points for
' GetPosition and then the dimension with handle 115 for DxfOut "sgl".
r = acad.Execute(cadsim, "--release 8 --drawing """ & drawing & """ --picks 200:at:120.5;80,200:at:-3;4.25,200:pick:115", 0, _
                 kWaitPrompt)
Check "Execute WaitPrompt", r, -1
CheckRecord "Execute WaitPrompt", acad, 0, "", ""
If r <> -1 Then
  WScript.Echo passed & " passed, " & (failed + 1) & " failed (no AutoCAD, nothing more to check)"
  WScript.Quit 1
End If

Check "MainWindowHandle", acad.MainWindowHandle <> 0, True
Check "MainWindowTitle", Left(acad.MainWindowTitle, 12), "AutoCAD 2006"
Check "MainWindowClass", Len(acad.MainWindowClass) > 0, True
Check "MainWindowThreadID", acad.MainWindowThreadID <> 0, True
Check "TextWindowHandle", acad.TextWindowHandle <> 0, True
Check "TextWindowTitle", Left(acad.TextWindowTitle, 12), "AutoCAD テキスト"
Check "TextWindowClass", Len(acad.TextWindowClass) > 0, True
Check "TextWindowThreadID", acad.TextWindowThreadID, acad.MainWindowThreadID
Check "TextWindowProcessID", acad.TextWindowProcessID, acad.MainWindowProcessID
Check "CommandWindowTitle", Left(acad.CommandWindowTitle, 9), "Headlands"
Check "CommandWindowHandle", acad.CommandWindowHandle <> 0, True
Check "CommandWindowClass", Len(acad.CommandWindowClass) > 0, True
Check "CommandWindowThreadID", acad.CommandWindowThreadID, acad.MainWindowThreadID
Check "CommandWindowProcessID", acad.CommandWindowProcessID, acad.MainWindowProcessID
Check "HistoryWindowTitle", Left(acad.HistoryWindowTitle, 8), "MountTam"
Check "HistoryWindowHandle", acad.HistoryWindowHandle <> 0, True
Check "HistoryWindowClass", Len(acad.HistoryWindowClass) > 0, True
Check "HistoryWindowThreadID", acad.HistoryWindowThreadID, acad.MainWindowThreadID
Check "HistoryWindowProcessID", acad.HistoryWindowProcessID, acad.MainWindowProcessID
Check "MainWindowProcessID", acad.MainWindowProcessID <> 0, True

Dim ctl
Set ctl = acad.Control
Check "Control after Execute", ctl Is Nothing, False
Check "Control twice is one object", ctl Is acad.Control, True
Check "ControlExists", acad.ControlExists, True

' ---- PwControl's settings.
Check "CommandTimeOut default", ctl.CommandTimeOut, 60000
ctl.CommandTimeOut = -5
Check "CommandTimeOut -5", ctl.CommandTimeOut, -1
ctl.CommandTimeOut = 30000
Check "CheckInterval default", ctl.CheckInterval, 100
ctl.CheckInterval = -5
Check "CheckInterval -5", ctl.CheckInterval, 0
ctl.CheckInterval = 20
Check "PostNullChar default", ctl.PostNullChar, True
ctl.PostNullChar = False
Check "PostNullChar set", ctl.PostNullChar, False
ctl.PostNullChar = True
Check "PatternMatch default", ctl.PatternMatch, True

' ---- The command line.
Check "Active", ctl.Active, -1
Check "WaitPrompt", ctl.WaitPrompt(kPrompt), -1
CheckRecord "WaitPrompt", acad, 0, "", ""
Check "PostCommand", ctl.PostCommand("^C^C"), -1
Check "SendCommand", ctl.SendCommand("^C^C", kPrompt), -1

' In/out strings: an Empty variable receives the text, a String one has it
' replaced; a variable passed in parentheses (by value) keeps its own.
Dim prompt
Check "GetPrompt into Empty", ctl.GetPrompt(prompt), -1
Check "GetPrompt text", prompt, kPrompt
Check "GetPrompt type", TypeName(prompt), "String"
prompt = "old"
r = ctl.GetPrompt(prompt)
Check "GetPrompt into String", prompt, kPrompt
prompt = "old"
ctl.GetPrompt (prompt)
Check "GetPrompt by value", prompt, "old"

Check "SetVariable", ctl.SetVariable("DIMSCALE", "20"), -1
Dim value
Check "GetVariable", ctl.GetVariable("DIMSCALE", value), -1
Check "GetVariable value", value, "20.0000"
CheckRecord "GetVariable", acad, 0, "", ""

Dim history, tail
Check "GetHistory", ctl.GetHistory(history), -1
Check "GetHistory holds the command", InStr(history, "DIMSCALE") > 0, True
Check "GetHistory from a match", ctl.GetHistory(tail, "DIMSCALE"), -1
Check "GetHistory from a match text", Left(tail, 8), "DIMSCALE"

' In/out doubles: Empty variables and numbers of other types receive Doubles.
Dim x, y, z
Check "GetPosition into Empty", ctl.GetPosition(x, y, z), -1
Check "GetPosition X", x, 120.5
Check "GetPosition Y", y, 80
Check "GetPosition Z", z, 0
Check "GetPosition type", TypeName(y), "Double"
CheckRecord "GetPosition", acad, 0, "", ""
x = 0
y = 0
z = 0
Check "GetPosition into Integers", ctl.GetPosition(x, y, z), -1
Check "GetPosition into Integers X", x, -3
Check "GetPosition into Integers Y", y, 4.25
Check "GetPosition into Integers type", TypeName(x), "Double"

' ---- DXF export and scan: the object goes in by reference, the table comes
' back as an array of strings.
Dim table
Check "DxfOut all", ctl.DxfOut("all", "2000", acad), -1
Check "DxfScan", ctl.DxfScan("ENTITIES", "DIMENSION", "42|3", table), -1
Check "DxfScan gives an array", IsArray(table), True
If IsArray(table) Then
  Check "DxfScan bounds 1", UBound(table, 1), 2
  Check "DxfScan bounds 2", UBound(table, 2), 13
  Check "DxfScan count", table(0, 0), "12"
  Check "DxfScan first length", CDbl(table(0, 1)), 1230
  Check "DxfScan first style", table(1, 1), "配管100"
  Check "DxfScan eighth length", CDbl(table(0, 8)), 1234.4
  Check "DxfScan eighth style", table(1, 8), "配管50"
  Check "DxfScan spare record", table(0, 13), ""
End If

' The user picks the dimension 115 for the single-object export.
Check "DxfOut sgl", ctl.DxfOut("sgl", "2000", acad), -1
Check "DxfScan of the pick", ctl.DxfScan("ENTITIES", "DIMENSION", "42", table), -1
If IsArray(table) Then
  Check "DxfScan of the pick count", table(0, 0), "1"
  Check "DxfScan of the pick length", CDbl(table(0, 1)), 1234.4
End If

' A failed scan leaves the caller's array as it was.
Check "DxfScan with an empty code", ctl.DxfScan("ENTITIES", "DIMENSION", "42||3", table), 13
Check "DxfScan with an empty code ErrNumber", acad.ErrNumber, 13
Check "DxfScan with an empty code ErrSource", acad.ErrSource, "PwAcadCtrl"
' The standard text of error 13, then what was wrong.
Check "DxfScan with an empty code ErrDescription", Left(acad.ErrDescription, 9), "型が一致しません。"
Check "DxfScan failure keeps the array", CDbl(table(0, 1)), 1234.4

' ---- Scripts: user variables in a fixed array, a dynamic one, and none.
Dim vars(9)
vars(0) = "給水"
vars(5) = 7
Check "RunScript", ctl.RunScript(scripts & "user_variables.scr", vars), -1
CheckRecord "RunScript", acad, 0, "", ""
Check "RunScript USER1", vars(1), "給水-1"
Check "RunScript USER2", vars(2), "20.0000"
Check "RunScript USER3", vars(3), "30000"
Check "RunScript untouched stays Empty", IsEmpty(vars(4)), True
Check "RunScript untouched keeps its type", TypeName(vars(5)), "Integer"

Dim few
few = Array("a", "b", "c", "d")
Check "RunScript with Array()", ctl.RunScript(scripts & "user_variables.scr", few), -1
Check "RunScript with Array() USER1", few(1), "a-1"

Dim none
Check "RunScript without an array", ctl.RunScript(scripts & "user_variables.scr", none), 9
CheckRecord "RunScript without an array", acad, 9, "PwAcadCtrl", "インデックスが有効範囲にありません。"

Dim many(10)
Check "RunScript with eleven", ctl.RunScript(scripts & "user_variables.scr", many), ScriptFailed
CheckRecord "RunScript with eleven", acad, ScriptFailed, "PwAcadCtrl.PwControl.RunScript", _
            "ユーザー変数が10個を超えています。"

Check "RunScript of a missing file", ctl.RunScript(scripts & "no_such.scr", vars), 53
CheckRecord "RunScript of a missing file", acad, 53, "PwAcadCtrl", "スクリプトファイルを開くことができませんでした。"

' ---- Message boxes, answered by the test: No, then OK.
Check "ShowMessage", ctl.ShowMessage("図面を保存しますか?", 4, "Korvel VBScript"), 7
Check "ShowMessage with defaults", ctl.ShowMessage("終わりました。"), 1

' ---- Failures travel in the result and the record, never as script errors.
ctl.CommandTimeOut = 300
Check "WaitPrompt for the default prompt", ctl.WaitPrompt, CommandFailed
CheckRecord "WaitPrompt time-out", acad, CommandFailed, "PwAcadCtrl.PwControl.WaitPrompt", _
            "待機時間内に指定した応答がありませんでした。"
' Terminate ends a running wait; the next wait starts afresh.
ctl.Terminate
' Only the call meant to fail has the short time-out.
ctl.CommandTimeOut = 30000
Check "WaitPrompt after Terminate", ctl.WaitPrompt(kPrompt), -1

' A variable of another type is refused as Visual Basic refuses it.
Dim number
number = 5
On Error Resume Next
r = ctl.GetPrompt(number)
Check "GetPrompt into an Integer", Err.Number, 13
Err.Clear
On Error GoTo 0
Check "GetPrompt into an Integer keeps it", number, 5

' An export needs a PwAcad to type through.
Dim nobody
Set nobody = Nothing
Check "DxfOut without a PwAcad", ctl.DxfOut("all", "2000", nobody), LinkFailed
CheckRecord "DxfOut without a PwAcad", acad, LinkFailed, "PwAcadCtrl.PwControl.DxfOut", _
            "AutoCADが起動していないか、応答がありません。"

' ---- Releasing the channel: the old object reports the lost link.
acad.RemoveControl
Check "Control after RemoveControl", acad.Control Is Nothing, True
Check "ControlExists after RemoveControl", acad.ControlExists, False
Check "Released channel", ctl.Active, LinkFailed
CheckRecord "Released channel", acad, LinkFailed, "PwAcadCtrl.PwControl.Active", _
            "AutoCADが起動していないか、応答がありません。"
' A second PwAcad resets the thread's shared state.
Check "Search again", acad.Search, -1
Dim second
Set second = CreateObject("PwAcadCtrl.PwAcad")
Check "Windows forgotten", acad.MainWindowHandle, 0
Check "ControlExists after a new PwAcad", acad.ControlExists, False

WScript.Echo passed & " passed, " & failed & " failed"
If failed > 0 Then WScript.Quit 1
