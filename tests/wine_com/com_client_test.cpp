// korvel.dll through COM: the registry, the type library's defaults, the
// error record and arrays crossing the interface.
#include <windows.h>
// after windows.h, which they need
#include <gtest/gtest.h>
#include <oleauto.h>

#include <cstdio>
#include <string>

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

  // Calls a member by name through IDispatch with the given arguments (in
  // order); the result is returned as a Long.
  static LONG CallByName(IDispatch* target, const wchar_t* name, std::vector<VARIANT> args = {}) {
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    EXPECT_EQ(target->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK) << "name";
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());  // IDispatch takes them last first
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    VARIANT result;
    VariantInit(&result);
    EXPECT_EQ(target->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result, nullptr,
                             nullptr),
              S_OK);
    VariantChangeType(&result, &result, 0, VT_I4);
    return result.lVal;
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

}  // namespace
