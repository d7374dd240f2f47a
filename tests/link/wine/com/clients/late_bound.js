// korvel.dll from JScript, which passes every argument by value: the members
// with in/out parameters run and report through their result and the error
// record, though JScript cannot receive what they write.
//
//   cscript //nologo late_bound.js CADSIM.EXE DRAWING.DXF SCRIPT-FOLDER
//
// Echoes ASCII only; ends with "N passed, M failed", exits 1 on a failure.
var passed = 0, failed = 0;

function check(name, actual, expected) {
  if (actual === expected) {
    passed++;
  } else {
    failed++;
    WScript.Echo("FAIL " + name + ": got " + String(actual).replace(/[^ -~]/g, "?") + ", expected " +
                 String(expected).replace(/[^ -~]/g, "?"));
  }
}

var SearchFailed = -2147220881, CommandFailed = -2147220879, WaitPrompt = 3;
var prompt = "コマンド: ";
var args = WScript.Arguments;
var acad = new ActiveXObject("PwAcadCtrl.PwAcad");

check("Title", acad.Title, "Korvel");
check("Version", acad.Version, "1.00.00");
acad.MainCompareTitle = "AutoCAD 2006";
acad.TextCompareTitle = "AutoCAD テキスト";
acad.CommandPrompt = prompt;

check("Search without AutoCAD", acad.Search(), SearchFailed);
check("ErrNumber", acad.ErrNumber, SearchFailed);
check("ErrSource", acad.ErrSource, "PwAcadCtrl.Acad.Search");

var r = acad.Execute(args(0), "--release 8 --drawing \"" + args(1) + "\"", 0, WaitPrompt);
check("Execute", r, -1);
if (r !== -1) {
  WScript.Echo(passed + " passed, " + (failed + 1) + " failed (no AutoCAD, nothing more to check)");
  WScript.Quit(1);
}
var ctl = acad.Control;
check("ControlExists", acad.ControlExists(), true);
ctl.CheckInterval = 20;
check("SendCommand", ctl.SendCommand("^C^C", prompt), -1);
check("SetVariable", ctl.SetVariable("DIMSCALE", "50"), -1);
check("ErrNumber after success", acad.ErrNumber, 0);

// In/out parameters given values: the member runs on a copy.
check("GetPrompt", ctl.GetPrompt(""), -1);
check("GetVariable", ctl.GetVariable("DIMSCALE", ""), -1);
check("GetHistory", ctl.GetHistory("", "DIMSCALE"), -1);
check("DxfOut", ctl.DxfOut("all", "2000", acad), -1);
check("DxfScan", ctl.DxfScan("ENTITIES", "DIMENSION", "42", undefined), -1);
check("RunScript without an array", ctl.RunScript(args(2) + "\\user_variables.scr", undefined), 9);
check("RunScript record", acad.ErrNumber, 9);

ctl.CommandTimeOut = 200;
check("WaitPrompt time-out", ctl.WaitPrompt("never"), CommandFailed);
check("WaitPrompt time-out record", acad.ErrSource, "PwAcadCtrl.PwControl.WaitPrompt");
check("Control is one object", acad.Control === ctl, true);

WScript.Echo(passed + " passed, " + failed + " failed");
WScript.Quit(failed > 0 ? 1 : 0);
