// The setup program as a user meets it, under Wine: a silent install puts
// the files into Program Files byte for byte, registers korvel.dll from
// there, adds the Start-menu folder and the uninstall entry; the installed
// Plendra starts from there; a silent uninstall takes it all away again,
// except the settings files the user changed, unless told to remove them.
#include <gtest/gtest.h>
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "korvel.h"  // CLSID_PwAcad
#include "wait_all.h"

namespace {

using wine_setup::RunAndWaitForAll;

constexpr std::uint32_t kLimitMs = 120000;
const wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Plendra";

// A path from the Linux side ("/work/x") as Wine's drive Z sees it.
std::wstring FromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  std::wstring path = L"Z:";
  for (const char* c = value != nullptr ? value : ""; *c != '\0'; ++c)
    path += *c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(*c));
  return path;
}

std::wstring SourceFile(const wchar_t* relative) {
  return FromEnvironment("PLENDRA_SOURCE_DIR") + L"\\" + relative;
}

std::wstring KnownFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
  return path;
}

std::wstring InstallFolder() { return KnownFolder(CSIDL_PROGRAM_FILES) + L"\\Plendra"; }
std::wstring Installed(const wchar_t* name) { return InstallFolder() + L"\\" + name; }
std::wstring StartMenuFolder() { return KnownFolder(CSIDL_COMMON_PROGRAMS) + L"\\Plendra"; }

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string Bytes(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  if (!in) return "<missing>";
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Write(const std::wstring& path, const std::string& bytes) {
  std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
  out << bytes;
}

std::vector<std::wstring> FolderContents(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

bool KeyExists(HKEY root, const std::wstring& key) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
  RegCloseKey(opened);
  return true;
}

std::wstring RegText(HKEY root, const std::wstring& key, const wchar_t* value) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return L"<none>";
  wchar_t text[1024] = {};
  DWORD size = sizeof text - sizeof(wchar_t);
  DWORD type = 0;
  const LONG read = RegQueryValueExW(opened, value, nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
  RegCloseKey(opened);
  return read == ERROR_SUCCESS && type == REG_SZ ? text : L"<none>";
}

std::wstring Lower(std::wstring text) {
  CharLowerW(text.data());
  return text;
}

std::wstring ClsidKey() {
  wchar_t clsid[64] = {};
  StringFromGUID2(CLSID_PwAcad, clsid, 64);
  return std::wstring(L"CLSID\\") + clsid;
}

// Whether a COM client can create PwAcadCtrl.PwAcad through the registry.
// Asked in a process of its own: korvel.dll stays loaded in the process that
// loaded it, and the uninstaller could then not delete it.
bool AcadCreatable() {
  const auto run = RunAndWaitForAll(L"\"" + FromEnvironment("KORVEL_CLIENT") + L"\"", kLimitMs);
  EXPECT_TRUE(run.in_time);
  return run.in_time && run.exit_code == 0;
}

std::wstring ShortcutTarget(const std::wstring& link) {
  IShellLinkW* shell_link = nullptr;
  std::wstring target = L"<unreadable>";
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&shell_link))))
    return target;
  IPersistFile* file = nullptr;
  if (SUCCEEDED(shell_link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    wchar_t path[MAX_PATH] = {};
    if (SUCCEEDED(file->Load(link.c_str(), STGM_READ)) &&
        SUCCEEDED(shell_link->GetPath(path, MAX_PATH, nullptr, 0)))
      target = path;
    file->Release();
  }
  shell_link->Release();
  return target;
}

std::uint32_t Install() {
  const auto run = RunAndWaitForAll(L"\"" + FromEnvironment("PLENDRA_SETUP") + L"\" /S", kLimitMs);
  EXPECT_TRUE(run.in_time) << "the setup program did not end";
  return run.exit_code;
}

void Uninstall(const std::wstring& switches = L"") {
  const auto run = RunAndWaitForAll(L"\"" + Installed(L"Uninstall.exe") + L"\" /S" + switches, kLimitMs);
  EXPECT_TRUE(run.in_time) << "the uninstaller did not end";
}

// A program started without waiting for it; ended at the latest with the test.
class Started {
 public:
  explicit Started(std::wstring command_line) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    started_ = CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &startup, &process_) != FALSE;
  }
  ~Started() {
    if (!started_) return;
    if (!Ended(0)) TerminateProcess(process_.hProcess, 1);
    WaitForSingleObject(process_.hProcess, kLimitMs);
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
  }
  Started(const Started&) = delete;
  Started& operator=(const Started&) = delete;
  bool Running() const { return started_ && !Ended(0); }
  bool Ended(std::uint32_t wait_ms) const {
    return started_ && WaitForSingleObject(process_.hProcess, wait_ms) == WAIT_OBJECT_0;
  }

 private:
  bool started_ = false;
  PROCESS_INFORMATION process_{};
};

// The UI driver with these arguments; true when it did what it was asked.
bool Drive(const std::wstring& arguments) {
  const auto run = RunAndWaitForAll(L"\"" + FromEnvironment("UIDRIVE") + L"\" " + arguments, kLimitMs);
  return run.in_time && run.exit_code == 0;
}

class Setup : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    RemoveLeftovers();
  }
  void TearDown() override {
    RemoveLeftovers();
    CoUninitialize();
  }
  // What an earlier, failed case may have left, so that each case starts
  // from a machine without Plendra.
  static void RemoveLeftovers() {
    if (Exists(Installed(L"Uninstall.exe"))) Uninstall(L" /REMOVESETTINGS");
    for (const std::wstring& name : FolderContents(InstallFolder()))
      DeleteFileW(Installed(name.c_str()).c_str());
    RemoveDirectoryW(InstallFolder().c_str());
  }
};

TEST_F(Setup, SilentInstallPutsEverythingInPlaceAndSilentUninstallTakesItAway) {
  ASSERT_EQ(Install(), 0u);

  EXPECT_EQ(Bytes(Installed(L"Plendra.exe")), Bytes(FromEnvironment("PLENDRA_EXE")));
  EXPECT_EQ(Bytes(Installed(L"korvel.dll")), Bytes(FromEnvironment("KORVEL_DLL")));
  EXPECT_EQ(Bytes(Installed(L"Plendra_Help.chm")), Bytes(FromEnvironment("HELP_CHM")));
  // Code page 932 text, copied byte for byte.
  EXPECT_EQ(Bytes(Installed(L"Keitou.txt")), Bytes(SourceFile(L"data\\Keitou.txt")));
  EXPECT_EQ(Bytes(Installed(L"plendra.ini")), Bytes(SourceFile(L"data\\plendra.ini")));
  if (Exists(SourceFile(L"data\\Plendra1.scr"))) {
    EXPECT_EQ(Bytes(Installed(L"Plendra1.scr")), Bytes(SourceFile(L"data\\Plendra1.scr")));
  }
  EXPECT_TRUE(Exists(Installed(L"Uninstall.exe")));

  // Registered from Program Files, not from wherever it was built.
  EXPECT_TRUE(AcadCreatable());
  EXPECT_EQ(Lower(RegText(HKEY_CLASSES_ROOT, ClsidKey() + L"\\InprocServer32", nullptr)),
            Lower(Installed(L"korvel.dll")));

  EXPECT_EQ(Lower(ShortcutTarget(StartMenuFolder() + L"\\Plendra.lnk")), Lower(Installed(L"Plendra.exe")));
  EXPECT_TRUE(Exists(StartMenuFolder() + L"\\Plendra ヘルプ.lnk"));

  EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayName"), L"Plendra");
  EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kUninstallKey, L"UninstallString"),
            L"\"" + Installed(L"Uninstall.exe") + L"\"");
  EXPECT_EQ(Lower(RegText(HKEY_LOCAL_MACHINE, kUninstallKey, L"InstallLocation")), Lower(InstallFolder()));

  Uninstall();
  EXPECT_FALSE(Exists(InstallFolder()))
      << "left behind: " << FolderContents(InstallFolder()).size() << " files";
  EXPECT_FALSE(Exists(StartMenuFolder()));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ClsidKey()));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"PwAcadCtrl.PwAcad"));
  EXPECT_FALSE(AcadCreatable());
}

TEST_F(Setup, UninstallKeepsSettingsTheUserChanged) {
  ASSERT_EQ(Install(), 0u);
  const std::string changed =
      "-4\r\n2\r\nFalse\r\nFalse\r\nFalse\r\nTrue\r\n0\r\n2\r\n0\r\n255\r\n300\r\n450\r\n1\r\n1\r\n";
  Write(Installed(L"plendra.ini"), changed);

  Uninstall();
  EXPECT_EQ(FolderContents(InstallFolder()), std::vector<std::wstring>{L"plendra.ini"});
  EXPECT_EQ(Bytes(Installed(L"plendra.ini")), changed);
  EXPECT_FALSE(Exists(StartMenuFolder()));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
  EXPECT_FALSE(AcadCreatable());
}

TEST_F(Setup, RemoveSettingsSwitchRemovesChangedSettingsToo) {
  ASSERT_EQ(Install(), 0u);
  Write(Installed(L"plendra.ini"), "-2\r\n");
  Write(Installed(L"Keitou.txt"), "\x8b\x8b\x90\x85\r\n!!\r\n1\r\n");  // 給水

  Uninstall(L" /REMOVESETTINGS");
  EXPECT_FALSE(Exists(InstallFolder()))
      << "left behind: " << FolderContents(InstallFolder()).size() << " files";
}

TEST_F(Setup, ReinstallKeepsTheUsersSystemListAndRenewsUntouchedSettings) {
  ASSERT_EQ(Install(), 0u);
  const std::string own_list = "\x8b\x8b\x90\x85\r\n\x94\x72\x90\x85\r\n!!\r\n1\r\n2\r\n";  // 給水, 排水
  Write(Installed(L"Keitou.txt"), own_list);

  ASSERT_EQ(Install(), 0u);
  EXPECT_EQ(Bytes(Installed(L"Keitou.txt")), own_list);
  EXPECT_EQ(Bytes(Installed(L"plendra.ini")), Bytes(SourceFile(L"data\\plendra.ini")));

  Uninstall();
  EXPECT_EQ(FolderContents(InstallFolder()), std::vector<std::wstring>{L"Keitou.txt"});
}

// The installed Plendra, started from the Start menu's target, finds the
// running AutoCAD, shows its window and, closed, saves its settings in its
// folder: a plain uninstall then keeps plendra.ini, the one file Plendra wrote.
TEST_F(Setup, InstalledPlendraConnectsToAutoCadAndKeepsItsSettings) {
  ASSERT_EQ(Install(), 0u);
  Started cad(L"\"" + FromEnvironment("CADSIM_EXE") + L"\" --release 8 --drawing \"" +
              SourceFile(L"data\\sample.dxf") + L"\"");
  ASSERT_TRUE(cad.Running());
  ASSERT_TRUE(Drive(L"wait-window \"AutoCAD 2006*\" 90000"));
  Started plendra(L"\"" + ShortcutTarget(StartMenuFolder() + L"\\Plendra.lnk") + L"\"");
  ASSERT_TRUE(plendra.Running());
  // Its main window appears only once it has connected; without AutoCAD it
  // would have said so in a box and ended.
  ASSERT_TRUE(Drive(L"wait-window Plendra 90000"));
  // The lookup's SAVEAS leaves AutoCAD holding the scratch file, as AutoCAD
  // does; Plendra says so once, and the close comes after that answer.
  ASSERT_TRUE(Drive(L"answer-box 90000 OK \"AutoCAD で開いている図面が、書き出しに使った一時ファイル *\""));
  ASSERT_TRUE(Drive(L"close Plendra"));
  ASSERT_TRUE(plendra.Ended(kLimitMs)) << "Plendra did not end";
  EXPECT_NE(Bytes(Installed(L"plendra.ini")), "<missing>");
  EXPECT_TRUE(Drive(L"close \"AutoCAD 2006*\""));
  EXPECT_TRUE(cad.Ended(kLimitMs));

  Uninstall();
  EXPECT_EQ(FolderContents(InstallFolder()), std::vector<std::wstring>{L"plendra.ini"});
  EXPECT_FALSE(Exists(Installed(L"Plendra.exe")));
  EXPECT_FALSE(AcadCreatable());
}

}  // namespace
