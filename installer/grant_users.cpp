// grant_users.exe FILE...: lets the local Users group read and write each
// file, beside what its access list already allows. The setup runs it from
// its temporary folder for plendra.ini and Keitou.txt, which lie in Program
// Files, where a user without administrator rights may not write: without it
// Plendra could never keep its settings there.
//
// The group is named by its well-known identifier (S-1-5-32-545), never by
// its name, which a Japanese Windows spells differently. The calls exist on
// Windows XP and every later Windows.
//
// Exit code 0 when every file now grants the group write access (read back
// to be sure), 1 when one does not, 2 for a call without files. What failed
// is written to the standard error output, which the setup's log shows.
#include <windows.h>
// after windows.h, which it needs
#include <aclapi.h>

#include <cstdio>

namespace {

// Whether the access list holds an allowing entry for `sid` with all of `mask`.
bool Grants(const ACL* acl, PSID sid, DWORD mask) {
  if (acl == nullptr) return true;  // no list at all: everyone may do everything
  for (DWORD i = 0; i < acl->AceCount; ++i) {
    void* ace = nullptr;
    if (!GetAce(const_cast<ACL*>(acl), i, &ace)) return false;
    const auto* header = static_cast<const ACE_HEADER*>(ace);
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE || (header->AceFlags & INHERIT_ONLY_ACE) != 0) continue;
    const auto* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(ace);
    if (EqualSid(const_cast<DWORD*>(&allowed->SidStart), sid) && (allowed->Mask & mask) == mask) return true;
  }
  return false;
}

// Adds the group's entry to the file's access list; the Windows error, or 0.
DWORD Grant(const wchar_t* file, PSID users) {
  PACL old_list = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  DWORD error = GetNamedSecurityInfoW(file, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                      &old_list, nullptr, &descriptor);
  if (error != ERROR_SUCCESS) return error;
  EXPLICIT_ACCESSW access{};
  access.grfAccessPermissions = FILE_GENERIC_READ | FILE_GENERIC_WRITE;
  access.grfAccessMode = GRANT_ACCESS;
  access.grfInheritance = NO_INHERITANCE;
  access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
  access.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
  access.Trustee.ptstrName = static_cast<LPWSTR>(users);
  PACL new_list = nullptr;
  error = SetEntriesInAclW(1, &access, old_list, &new_list);
  if (error == ERROR_SUCCESS) {
    error = SetNamedSecurityInfoW(const_cast<wchar_t*>(file), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                  nullptr, nullptr, new_list, nullptr);
    LocalFree(new_list);
  }
  LocalFree(descriptor);
  return error;
}

// Whether the file's access list, read back, grants the group writing.
bool Granted(const wchar_t* file, PSID users) {
  PACL list = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetNamedSecurityInfoW(file, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &list, nullptr,
                            &descriptor) != ERROR_SUCCESS)
    return false;
  const bool granted = Grants(list, users, FILE_READ_DATA | FILE_WRITE_DATA | FILE_APPEND_DATA);
  LocalFree(descriptor);
  return granted;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fputs("usage: grant_users FILE...\n", stderr);
    return 2;
  }
  SID_IDENTIFIER_AUTHORITY nt_authority = SECURITY_NT_AUTHORITY;
  PSID users = nullptr;
  if (!AllocateAndInitializeSid(&nt_authority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_USERS, 0, 0,
                                0, 0, 0, 0, &users)) {
    std::fprintf(stderr, "grant_users: no identifier for the Users group (error %lu)\n", GetLastError());
    return 1;
  }
  int result = 0;
  for (int i = 1; i < argc; ++i) {
    const DWORD error = Grant(argv[i], users);
    if (error != ERROR_SUCCESS) {
      std::fprintf(stderr, "grant_users: %ls: error %lu\n", argv[i], error);
      result = 1;
    } else if (!Granted(argv[i], users)) {
      std::fprintf(stderr, "grant_users: %ls: the access list does not keep the entry\n", argv[i]);
      result = 1;
    }
  }
  FreeSid(users);
  return result;
}
