// korvel.dll through COM: the registry, the type library's defaults, the
// error record and arrays crossing the interface.
#include <windows.h>
// after windows.h, which they need
#include <gtest/gtest.h>
#include <oleauto.h>

#include <cstdio>
#include <string>
#include <vector>

#include "korvel.h"
#include "support/acad_window_program.h"

namespace {

using plendra_wine::AcadWindowProgram;

std::u16string Text(BSTR b) {
  return b == nullptr ? std::u16string()
                      : std::u16string(reinterpret_cast<const char16_t*>(b), SysStringLen(b));
}

// Owns a BSTR the callee handed out.
struct Bstr {
  BSTR b = nullptr;
  ~Bstr() { SysFreeString(b); }
  std::u16string str() const { return Text(b); }
};

template <typename T>
struct Ref {
  T* p = nullptr;
  ~Ref() {
    if (p != nullptr) p->Release();
  }
  T* operator->() const { return p; }
};

class ComClient : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    ASSERT_EQ(CoCreateInstance(CLSID_PwAcad, nullptr, CLSCTX_INPROC_SERVER, IID__PwAcad,
                               reinterpret_cast<void**>(&acad.p)),
              S_OK);
  }
  void TearDown() override {
    if (acad.p != nullptr) acad.p->Release();
    acad.p = nullptr;
    CoUninitialize();
  }

  LONG Search() {
    LONG result = 0;
    EXPECT_EQ(acad->Search(&result), S_OK);
    return result;
  }

  struct Invoked {
    HRESULT hr = E_FAIL;
    LONG result = 0;
    UINT arg_error = 0xFFFF;
  };

  // Calls a member by name through IDispatch, as a late-bound client does,
  // with the given arguments (in order); the result is read as a Long.
  static Invoked InvokeByName(IDispatch* target, const wchar_t* name, std::vector<VARIANT> args = {}) {
    Invoked call;
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    EXPECT_EQ(target->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK) << "name";
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());  // IDispatch takes them last first
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    VARIANT result;
    VariantInit(&result);
    call.hr = target->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result, nullptr,
                             &call.arg_error);
    VariantChangeType(&result, &result, 0, VT_I4);
    call.result = result.lVal;
    return call;
  }

  static LONG CallByName(IDispatch* target, const wchar_t* name, std::vector<VARIANT> args = {}) {
    const Invoked call = InvokeByName(target, name, std::move(args));
    EXPECT_EQ(call.hr, S_OK);
    return call.result;
  }

  // A channel to acadwin, found by Search.
  Ref<_PwControl> Connect(AcadWindowProgram& cad) {
    Ref<_PwControl> control;
    EXPECT_NE(cad.WaitForWindow(u"AutoCAD LT ﾃｷｽﾄ"), 0);
    EXPECT_NE(cad.WaitForWindow(u"AutoCAD LT 2002"), 0);
    EXPECT_EQ(Search(), -1);
    acad->get_Control(&control.p);
    EXPECT_NE(control.p, nullptr);
    if (control.p != nullptr) control->put_CheckInterval(20);
    return control;
  }

  Ref<_PwAcad> acad;
};

TEST_F(ComClient, PwAcadIsCreatedThroughTheRegistryAndPwControlIsNot) {
  CLSID clsid{};
  ASSERT_EQ(CLSIDFromProgID(L"PwAcadCtrl.PwAcad", &clsid), S_OK);
  EXPECT_TRUE(IsEqualCLSID(clsid, CLSID_PwAcad));
  Ref<IUnknown> control;
  EXPECT_TRUE(FAILED(CoCreateInstance(CLSID_PwControl, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                      reinterpret_cast<void**>(&control.p))));
  Bstr title, version, prompt;
  ASSERT_EQ(acad->get_Title(&title.b), S_OK);
  ASSERT_EQ(acad->get_Version(&version.b), S_OK);
  ASSERT_EQ(acad->get_CommandPrompt(&prompt.b), S_OK);
  EXPECT_EQ(title.str(), u"Korvel");
  EXPECT_EQ(version.str(), u"1.00.00");
  EXPECT_EQ(prompt.str(), u"ｺﾏﾝﾄﾞ: ");
  VARIANT_BOOL check = VARIANT_FALSE;
  ASSERT_EQ(acad->get_CheckMainCmdWindow(&check), S_OK);
  EXPECT_EQ(check, VARIANT_TRUE);
}

TEST_F(ComClient, FailedSearchTravelsInTheResultAndTheRecord) {
  LONG result = Search();
  EXPECT_EQ(result, static_cast<LONG>(SearchFailed));
  LONG number = 0;
  Bstr source, description;
  acad->get_ErrNumber(&number);
  acad->get_ErrSource(&source.b);
  acad->get_ErrDescription(&description.b);
  EXPECT_EQ(number, result);
  EXPECT_EQ(source.str(), u"PwAcadCtrl.Acad.Search");
  EXPECT_EQ(description.str(), u"AutoCADが起動していないか応答がありません\n\rバージョンを確認して下さい。");
  Ref<_PwControl> control;
  ASSERT_EQ(acad->get_Control(&control.p), S_OK);
  EXPECT_EQ(control.p, nullptr);
}

TEST_F(ComClient, LateBoundCallsTakeTheirDefaultsFromTheTypeLibrary) {
  AcadWindowProgram cad;
  ASSERT_NE(cad.WaitForWindow(u"AutoCAD LT ﾃｷｽﾄ"), 0);
  ASSERT_NE(cad.WaitForWindow(u"AutoCAD LT 2002"), 0);
  EXPECT_EQ(CallByName(acad.p, L"Search"), -1);
  Ref<_PwControl> control;
  ASSERT_EQ(acad->get_Control(&control.p), S_OK);
  ASSERT_NE(control.p, nullptr);
  Ref<_PwControl> again;
  acad->get_Control(&again.p);
  EXPECT_EQ(again.p, control.p);  // one object for one channel
  control->put_CheckInterval(20);
  // WaitPrompt with no argument waits for the half-width "ｺﾏﾝﾄﾞ: " that the
  // type library holds in code page 932.
  EXPECT_EQ(CallByName(control.p, L"WaitPrompt"), -1);
  VARIANT command;
  command.vt = VT_BSTR;
  command.bstrVal = SysAllocString(L"id^M");
  EXPECT_EQ(CallByName(control.p, L"SendCommand", {command}), -1);
  VariantClear(&command);

  Bstr history;
  history.b = SysAllocString(L"");
  LONG result = 0;
  Bstr match;
  match.b = SysAllocString(L"");
  ASSERT_EQ(control->GetHistory(&history.b, match.b, &result), S_OK);
  EXPECT_EQ(result, -1);
  EXPECT_NE(history.str().find(u"id"), std::u16string::npos);
}

TEST_F(ComClient, ScanResultArrivesAsATwoDimensionalArray) {
  AcadWindowProgram cad;
  ASSERT_NE(cad.WaitForWindow(u"AutoCAD LT ﾃｷｽﾄ"), 0);
  ASSERT_NE(cad.WaitForWindow(u"AutoCAD LT 2002"), 0);
  ASSERT_EQ(Search(), -1);
  Ref<_PwControl> control;
  ASSERT_EQ(acad->get_Control(&control.p), S_OK);
  ASSERT_NE(control.p, nullptr);

  // The scratch file the export would have written.
  char folder[MAX_PATH];
  ASSERT_GT(GetTempPathA(MAX_PATH, folder), 0u);
  const std::string path = std::string(folder) + "Wexa.dxf";
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fputs(
      "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n  0\r\nDIMENSION\r\n  1\r\n\x8b\x8b\x90\x85\r\n 42\r\n1250.0\r\n"
      "  0\r\nDIMENSION\r\n 42\r\n800.5\r\n  0\r\nENDSEC\r\n  0\r\nEOF\r\n",
      f);
  std::fclose(f);

  SAFEARRAY* table = nullptr;
  Bstr section, type, codes;
  section.b = SysAllocString(L"ENTITIES");
  type.b = SysAllocString(L"DIMENSION");
  codes.b = SysAllocString(L"42|1");
  LONG result = 0;
  ASSERT_EQ(control->DxfScan(section.b, type.b, codes.b, &table, &result), S_OK);
  ASSERT_EQ(result, -1);
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(SafeArrayGetDim(table), 2u);
  LONG upper1 = 0, upper2 = 0;
  SafeArrayGetUBound(table, 1, &upper1);
  SafeArrayGetUBound(table, 2, &upper2);
  auto at = [&](LONG k, LONG r) {
    LONG index[2] = {k, r};  // SafeArrayGetElement takes the first dimension first
    BSTR item = nullptr;
    SafeArrayGetElement(table, index, &item);
    const std::u16string text = Text(item);
    SysFreeString(item);
    return text;
  };
  // Position k holds the k-th listed code; (0, 0) holds the count.
  EXPECT_EQ(upper1, 2);
  EXPECT_EQ(upper2, 3);
  EXPECT_EQ(at(0, 0), u"2");
  EXPECT_EQ(at(0, 1), u"1250.0");
  EXPECT_EQ(at(1, 1), u"給水");
  EXPECT_EQ(at(0, 2), u"800.5");
  EXPECT_EQ(at(1, 2), u"");
  SafeArrayDestroy(table);
}

// What a caller that cannot take the result gets: E_POINTER, and nothing
// typed into AutoCAD, no pick started, no search run.
TEST_F(ComClient, NullResultPointerStartsNothing) {
  AcadWindowProgram cad;
  Ref<_PwControl> control = Connect(cad);
  ASSERT_NE(control.p, nullptr);
  Bstr command, prompt;
  command.b = SysAllocString(L"line^M");
  prompt.b = SysAllocString(L"ｺﾏﾝﾄﾞ: ");
  double x = 0, y = 0, z = 0;
  EXPECT_EQ(control->PostCommand(command.b, nullptr), E_POINTER);
  EXPECT_EQ(control->SendCommand(command.b, prompt.b, nullptr), E_POINTER);
  EXPECT_EQ(control->SetVariable(command.b, prompt.b, nullptr), E_POINTER);
  EXPECT_EQ(control->GetPosition(&x, &y, &z, nullptr), E_POINTER);
  EXPECT_EQ(control->Active(nullptr), E_POINTER);
  EXPECT_TRUE(cad.CopyDataSizes().empty());
  // A search would first release the channel.
  EXPECT_EQ(acad->Search(nullptr), E_POINTER);
  EXPECT_EQ(acad->ControlExists(nullptr), E_POINTER);
  Ref<_PwControl> same;
  acad->get_Control(&same.p);
  EXPECT_EQ(same.p, control.p);
}

// The forms in which late-bound clients pass an in/out String: VBA's typed
// variable, a Variant variable (VBScript's only kind) empty or holding text,
// a ByRef parameter passed on (a reference to a reference), and a value.
TEST_F(ComClient, InOutStringArrivesInEveryFormAClientPasses) {
  AcadWindowProgram cad;
  Ref<_PwControl> control = Connect(cad);
  ASSERT_NE(control.p, nullptr);
  struct Case {
    const char* form;
    VARTYPE held;  // what the innermost variable holds before the call
    bool nested;
  } cases[] = {
      {"Variant holding Empty", VT_EMPTY, false},
      {"Variant holding a String", VT_BSTR, false},
      {"Variant referring to a Variant", VT_EMPTY, true},
  };
  for (const Case& c : cases) {
    VARIANT variable;
    VariantInit(&variable);
    if (c.held == VT_BSTR) {
      V_VT(&variable) = VT_BSTR;
      V_BSTR(&variable) = SysAllocString(L"old");
    }
    VARIANT outer;
    V_VT(&outer) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&outer) = &variable;
    VARIANT arg;
    V_VT(&arg) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&arg) = c.nested ? &outer : &variable;
    const Invoked call = InvokeByName(control.p, L"GetPrompt", {arg});
    EXPECT_EQ(call.hr, S_OK) << c.form;
    EXPECT_EQ(call.result, -1) << c.form;
    ASSERT_EQ(V_VT(&variable), VT_BSTR) << c.form;
    EXPECT_EQ(Text(V_BSTR(&variable)), u"ｺﾏﾝﾄﾞ: ") << c.form;
    VariantClear(&variable);
  }

  Bstr typed;  // Dim s As String: the caller's own BSTR
  typed.b = SysAllocString(L"old");
  VARIANT arg;
  V_VT(&arg) = VT_BYREF | VT_BSTR;
  V_BSTRREF(&arg) = &typed.b;
  EXPECT_EQ(CallByName(control.p, L"GetPrompt", {arg}), -1);
  EXPECT_EQ(typed.str(), u"ｺﾏﾝﾄﾞ: ");

  VARIANT value;  // JScript passes the text itself
  V_VT(&value) = VT_BSTR;
  V_BSTR(&value) = SysAllocString(L"old");
  EXPECT_EQ(CallByName(control.p, L"GetPrompt", {value}), -1);
  EXPECT_EQ(Text(V_BSTR(&value)), u"old");
  VariantClear(&value);

  VARIANT number;  // a Variant holding a number cannot receive a String
  V_VT(&number) = VT_I4;
  V_I4(&number) = 5;
  V_VT(&arg) = VT_BYREF | VT_VARIANT;
  V_VARIANTREF(&arg) = &number;
  const Invoked refused = InvokeByName(control.p, L"GetPrompt", {arg});
  EXPECT_EQ(refused.hr, DISP_E_TYPEMISMATCH);
  EXPECT_EQ(refused.arg_error, 0u);
  EXPECT_EQ(V_VT(&number), VT_I4);
  EXPECT_EQ(V_I4(&number), 5);
}

// A script's user variables from VBA's typed String array and from an array
// of Variant; the vtable takes the array of BSTR as before.
TEST_F(ComClient, ScriptVariablesTravelInTypedAndVariantArrays) {
  AcadWindowProgram cad;
  Ref<_PwControl> control = Connect(cad);
  ASSERT_NE(control.p, nullptr);
  char folder[MAX_PATH];
  ASSERT_GT(GetTempPathA(MAX_PATH, folder), 0u);
  const std::string path = std::string(folder) + "korvel_user_variables.scr";
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fputs("%USER1% = %USER0%-1\r\n%USER2% = \x8b\x8b\x90\x85\r\n", f);  // 給水 in code page 932
  std::fclose(f);
  Bstr script;
  script.b = SysAllocStringLen(nullptr, static_cast<UINT>(path.size()));
  MultiByteToWideChar(CP_ACP, 0, path.c_str(), static_cast<int>(path.size()), script.b,
                      static_cast<int>(path.size()));
  VARIANT script_arg;
  V_VT(&script_arg) = VT_BSTR;
  V_BSTR(&script_arg) = script.b;

  auto strings = [](VARTYPE type) {
    SAFEARRAYBOUND bound{4, 0};
    SAFEARRAY* array = SafeArrayCreate(type, 1, &bound);
    LONG first = 0;
    if (type == VT_BSTR) {
      BSTR text = SysAllocString(L"a");
      SafeArrayPutElement(array, &first, text);
      SysFreeString(text);
    } else {
      VARIANT text;
      V_VT(&text) = VT_BSTR;
      V_BSTR(&text) = SysAllocString(L"a");
      SafeArrayPutElement(array, &first, &text);
      VariantClear(&text);
    }
    return array;
  };
  auto element = [](SAFEARRAY* array, LONG i) {
    VARTYPE type = VT_EMPTY;
    SafeArrayGetVartype(array, &type);
    std::u16string text;
    if (type == VT_BSTR) {
      BSTR item = nullptr;
      SafeArrayGetElement(array, &i, &item);
      text = Text(item);
      SysFreeString(item);
    } else {
      VARIANT item;
      VariantInit(&item);
      SafeArrayGetElement(array, &i, &item);
      text = V_VT(&item) == VT_BSTR ? Text(V_BSTR(&item)) : u"(not a string)";
      VariantClear(&item);
    }
    return text;
  };

  SAFEARRAY* typed = strings(VT_BSTR);  // Dim v(3) As String
  VARIANT typed_arg;
  V_VT(&typed_arg) = VT_BYREF | VT_ARRAY | VT_BSTR;
  V_ARRAYREF(&typed_arg) = &typed;
  EXPECT_EQ(CallByName(control.p, L"RunScript", {script_arg, typed_arg}), -1);
  EXPECT_EQ(element(typed, 1), u"a-1");
  EXPECT_EQ(element(typed, 2), u"給水");
  SafeArrayDestroy(typed);

  VARIANT variable;  // Dim v(3) in VBScript: a Variant holding an array of Variant
  V_VT(&variable) = VT_ARRAY | VT_VARIANT;
  V_ARRAY(&variable) = strings(VT_VARIANT);
  VARIANT variant_arg;
  V_VT(&variant_arg) = VT_BYREF | VT_VARIANT;
  V_VARIANTREF(&variant_arg) = &variable;
  EXPECT_EQ(CallByName(control.p, L"RunScript", {script_arg, variant_arg}), -1);
  ASSERT_EQ(V_VT(&variable), VT_ARRAY | VT_VARIANT);
  EXPECT_EQ(element(V_ARRAY(&variable), 1), u"a-1");
  EXPECT_EQ(element(V_ARRAY(&variable), 2), u"給水");
  VariantClear(&variable);

  SAFEARRAY* early = strings(VT_BSTR);
  LONG result = 0;
  ASSERT_EQ(control->RunScript(script.b, &early, &result), S_OK);
  EXPECT_EQ(result, -1);
  EXPECT_EQ(element(early, 1), u"a-1");
  SafeArrayDestroy(early);
  std::remove(path.c_str());
}

}  // namespace
