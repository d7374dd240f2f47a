// After regsvr32 /u (run twice): nothing of korvel is left in the registry,
// neither the classes nor the type library under this bitness's key.
#include <windows.h>
// after windows.h, which they need
#include <gtest/gtest.h>
#include <oleauto.h>

#include <string>

#include "korvel.h"

namespace {

std::wstring GuidText(REFGUID guid) {
  wchar_t text[64];
  StringFromGUID2(guid, text, 64);
  return text;
}

bool KeyExists(const std::wstring& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

TEST(Unregistered, NoKeyOfTheServerIsLeft) {
  const std::wstring library = L"TypeLib\\" + GuidText(LIBID_PwAcadCtrl);
  const std::wstring system = sizeof(void*) == 8 ? L"win64" : L"win32";
  struct Case {
    std::wstring key;
  } cases[] = {
      {L"PwAcadCtrl.PwAcad"},
      {L"PwAcadCtrl.PwControl"},
      {L"CLSID\\" + GuidText(CLSID_PwAcad)},
      {L"CLSID\\" + GuidText(CLSID_PwControl)},
      {L"Interface\\" + GuidText(IID__PwAcad)},
      {L"Interface\\" + GuidText(IID__PwControl)},
      {library + L"\\1.0\\0\\" + system},
  };
  for (const Case& c : cases) EXPECT_FALSE(KeyExists(c.key)) << std::string(c.key.begin(), c.key.end());
}

TEST(Unregistered, PwAcadCannotBeCreated) {
  ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
  CLSID clsid{};
  EXPECT_TRUE(FAILED(CLSIDFromProgID(L"PwAcadCtrl.PwAcad", &clsid)));
  IUnknown* object = nullptr;
  EXPECT_EQ(CoCreateInstance(CLSID_PwAcad, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                             reinterpret_cast<void**>(&object)),
            REGDB_E_CLASSNOTREG);
  CoUninitialize();
}

}  // namespace
