// The setup program as a user meets it, under Wine: a silent install puts
// the files into Program Files byte for byte, registers korvel.dll from
// there, adds the Start-menu folder and the uninstall entry; the installed
// Plendra starts from there; a silent uninstall takes it all away again,
// except the settings files the user changed, unless told to remove them.
#include <aclapi.h>
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

// Whether the file's access list lets the local Users group (by its
// identifier, S-1-5-32-545) read and write it.
bool UsersMayWrite(const std::wstring& file) {
  SID_IDENTIFIER_AUTHORITY nt_authority = SECURITY_NT_AUTHORITY;
  PSID users = nullptr;
  if (!AllocateAndInitializeSid(&nt_authority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_USERS, 0, 0,
                                0, 0, 0, 0, &users))
    return false;
  PACL list = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  bool granted = false;
  if (GetNamedSecurityInfoW(file.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &list,
                            nullptr, &descriptor) == ERROR_SUCCESS &&
      list != nullptr) {
    const DWORD wanted = FILE_READ_DATA | FILE_WRITE_DATA | FILE_APPEND_DATA;
    for (DWORD i = 0; i < list->AceCount && !granted; ++i) {
      void* ace = nullptr;
      if (!GetAce(list, i, &ace) || static_cast<ACE_HEADER*>(ace)->AceType != ACCESS_ALLOWED_ACE_TYPE)
        continue;
      auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
      granted = EqualSid(&allowed->SidStart, users) && (allowed->Mask & wanted) == wanted;
    }
  }
  if (descriptor != nullptr) LocalFree(descriptor);
  FreeSid(users);
  return granted;
}

// Whether this system keeps an access-list entry for the Users group on a
// file: Windows does; Wine (8.0) accepts the call but reads back only what
// the file's Unix mode can say. Asked of a scratch file of our own with the
// calls the setup's grant_users.exe makes.
bool AccessListsKept() {
  static const bool kept = [] {
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    const std::wstring probe = std::wstring(folder) + L"plendra-acl-probe.txt";
    std::ofstream(probe.c_str()) << "probe";
    SID_IDENTIFIER_AUTHORITY nt_authority = SECURITY_NT_AUTHORITY;
    PSID users = nullptr;
    AllocateAndInitializeSid(&nt_authority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_USERS, 0, 0, 0,
                             0, 0, 0, &users);
    EXPLICIT_ACCESSW access{};
    access.grfAccessPermissions = FILE_GENERIC_READ | FILE_GENERIC_WRITE;
    access.grfAccessMode = GRANT_ACCESS;
    access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    access.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
    access.Trustee.ptstrName = static_cast<LPWSTR>(users);
    PACL list = nullptr;
    if (SetEntriesInAclW(1, &access, nullptr, &list) == ERROR_SUCCESS) {
      SetNamedSecurityInfoW(const_cast<wchar_t*>(probe.c_str()), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                            nullptr, nullptr, list, nullptr);
      LocalFree(list);
    }
    FreeSid(users);
    const bool result = UsersMayWrite(probe);
    DeleteFileW(probe.c_str());
    return result;
  }();
  return kept;
}

// The setup's exit code after a good install: 0, or 3 where the system does
// not keep the Users group's entry, which the setup reads back and reports
// rather than claiming a grant it cannot see.
std::uint32_t InstalledCode() { return AccessListsKept() ? 0u : 3u; }

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
  ASSERT_EQ(Install(), InstalledCode());

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
  // A user without administrator rights may write the two settings files;
  // the program that granted it is not left behind.
  // (Under Wine the grant cannot be seen: the exit code 3 above is the
  // setup saying so.)
  if (AccessListsKept()) {
    EXPECT_TRUE(UsersMayWrite(Installed(L"plendra.ini")));
    EXPECT_TRUE(UsersMayWrite(Installed(L"Keitou.txt")));
  }
  EXPECT_FALSE(UsersMayWrite(Installed(L"Plendra.exe")));
  EXPECT_FALSE(Exists(Installed(L"grant_users.exe")));

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
  ASSERT_EQ(Install(), InstalledCode());
  const std::string changed =
      "-4\r\n2\r\nFalse\r\nFalse\r\nFalse\r\nTrue\r\n0\r\n2\r\n0\r\n255\r\n300\r\n450\r\n1\r\n1\r\n";
  Write(Installed(L"plendra.ini"), changed);
  // What Plendra made there: the block AutoCAD wrote at the first pick, its
  // backup, and a scratch copy of a settings save that was cut off.
  Write(Installed(L"Plendra1.dwg"), "AC1015");
  Write(Installed(L"Plendra1.bak"), "AC1015");
  Write(Installed(L"plendra.ini.~0.tmp"), changed);

  Uninstall();
  EXPECT_EQ(FolderContents(InstallFolder()), std::vector<std::wstring>{L"plendra.ini"});
  EXPECT_EQ(Bytes(Installed(L"plendra.ini")), changed);
  EXPECT_FALSE(Exists(StartMenuFolder()));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
  EXPECT_FALSE(AcadCreatable());
}

// The program the setup runs for the grant, as the setup runs it: it
// succeeds only where the entry is read back, names no file as a mistake,
// and fails on a file that is not there.
TEST_F(Setup, TheGrantProgramSaysWhetherTheGroupMayWrite) {
  wchar_t folder[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, folder);
  const std::wstring file = std::wstring(folder) + L"plendra-grant.txt";
  Write(file, "x");
  const std::wstring program = L"\"" + FromEnvironment("GRANT_USERS") + L"\"";
  const auto granted = RunAndWaitForAll(program + L" \"" + file + L"\"", kLimitMs);
  EXPECT_TRUE(granted.in_time);
  EXPECT_EQ(granted.exit_code, AccessListsKept() ? 0u : 1u);
  EXPECT_EQ(UsersMayWrite(file), AccessListsKept());
  DeleteFileW(file.c_str());
  EXPECT_EQ(RunAndWaitForAll(program + L" \"" + file + L"\"", kLimitMs).exit_code, 1u);  // gone now
  EXPECT_EQ(RunAndWaitForAll(program, kLimitMs).exit_code, 2u);
}

// While another program holds korvel.dll the uninstaller removes nothing and
// says why (a removal would unregister the DLL, fail to delete it and leave
// the folder half removed); once the program has ended, it removes it all.
TEST_F(Setup, UninstallRefusesWhileAnotherProgramHoldsKorvel) {
  ASSERT_EQ(Install(), InstalledCode());
  const HANDLE loaded = CreateEventW(nullptr, TRUE, FALSE, L"PlendraSetupTest.loaded");
  const HANDLE release = CreateEventW(nullptr, TRUE, FALSE, L"PlendraSetupTest.release");
  ASSERT_TRUE(loaded != nullptr && release != nullptr);
  {
    Started holder(L"\"" + FromEnvironment("KORVEL_CLIENT") + L"\" --hold PlendraSetupTest");
    ASSERT_TRUE(holder.Running());
    ASSERT_EQ(WaitForSingleObject(loaded, kLimitMs), WAIT_OBJECT_0) << "the client did not load korvel.dll";

    Uninstall();  // silently: nothing happens
    for (const wchar_t* name :
         {L"Plendra.exe", L"korvel.dll", L"Uninstall.exe", L"Plendra_Help.chm", L"Keitou.txt"})
      EXPECT_TRUE(Exists(Installed(name))) << "removed although korvel.dll is held";
    EXPECT_TRUE(AcadCreatable()) << "unregistered although korvel.dll is held";
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));

    // Started by hand, it says why.
    Started by_hand(L"\"" + Installed(L"Uninstall.exe") + L"\"");
    EXPECT_TRUE(Drive(L"answer-box 90000 OK \"korvel.dll をほかのプログラム*\""));
    EXPECT_TRUE(by_hand.Ended(kLimitMs));
    EXPECT_TRUE(Exists(Installed(L"Plendra.exe")));

    SetEvent(release);
    EXPECT_TRUE(holder.Ended(kLimitMs));
  }
  CloseHandle(loaded);
  CloseHandle(release);

  Uninstall();
  EXPECT_FALSE(Exists(InstallFolder()))
      << "left behind: " << FolderContents(InstallFolder()).size() << " files";
  EXPECT_FALSE(AcadCreatable());
}

TEST_F(Setup, RemoveSettingsSwitchRemovesChangedSettingsToo) {
  ASSERT_EQ(Install(), InstalledCode());
  Write(Installed(L"plendra.ini"), "-2\r\n");
  Write(Installed(L"Keitou.txt"), "\x8b\x8b\x90\x85\r\n!!\r\n1\r\n");  // 給水

  Uninstall(L" /REMOVESETTINGS");
  EXPECT_FALSE(Exists(InstallFolder()))
      << "left behind: " << FolderContents(InstallFolder()).size() << " files";
}

TEST_F(Setup, ReinstallKeepsTheUsersSystemListAndRenewsUntouchedSettings) {
  ASSERT_EQ(Install(), InstalledCode());
  const std::string own_list = "\x8b\x8b\x90\x85\r\n\x94\x72\x90\x85\r\n!!\r\n1\r\n2\r\n";  // 給水, 排水
  Write(Installed(L"Keitou.txt"), own_list);

  ASSERT_EQ(Install(), InstalledCode());
  EXPECT_EQ(Bytes(Installed(L"Keitou.txt")), own_list);
  EXPECT_EQ(Bytes(Installed(L"plendra.ini")), Bytes(SourceFile(L"data\\plendra.ini")));

  Uninstall();
  EXPECT_EQ(FolderContents(InstallFolder()), std::vector<std::wstring>{L"Keitou.txt"});
}

// The installed Plendra, started from the Start menu's target, finds the
// running AutoCAD, shows its window and, closed, saves its settings in its
// folder: a plain uninstall then keeps plendra.ini, the one file Plendra wrote.
TEST_F(Setup, InstalledPlendraConnectsToAutoCadAndKeepsItsSettings) {
  ASSERT_EQ(Install(), InstalledCode());
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
  // While it runs, the uninstaller refuses and says why.
  {
    Started uninstaller(L"\"" + Installed(L"Uninstall.exe") + L"\"");
    EXPECT_TRUE(Drive(L"answer-box 90000 OK \"Plendra が起動しています*\""));
    EXPECT_TRUE(uninstaller.Ended(kLimitMs));
  }
  Uninstall();  // silently too
  EXPECT_TRUE(Exists(Installed(L"Plendra.exe")));
  EXPECT_TRUE(Exists(Installed(L"korvel.dll")));
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
