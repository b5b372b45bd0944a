// Reading owners and DACLs. Every descriptor comes from a handle, so what it describes is
// the item that handle was opened on and nothing a name was swapped for in between.
#include "platform/win32/Security_win32.h"

#include <aclapi.h>
#include <sddl.h>

#include <vector>

#include "platform/win32/Owners.h"
#include "platform/win32/Paths_win32.h"
#include "platform/win32/Utf.h"

namespace qc::win {
namespace {

// The ACE types with the plain layout (header, mask, SID) that this program reads; the
// callback kinds are named here as the XP headers lack them.
constexpr BYTE kAllowedCallbackAce = 0x9;
constexpr BYTE kDeniedCallbackAce = 0xA;
constexpr BYTE kDeniedObjectAce = 0x6;
constexpr BYTE kDeniedCallbackObjectAce = 0xC;

AccessEntry EntryOf(const ACE_HEADER& header) {
  AccessEntry entry;
  entry.inheritOnly = (header.AceFlags & INHERIT_ONLY_ACE) != 0;
  const auto& plain = reinterpret_cast<const ACCESS_ALLOWED_ACE&>(header);
  switch (header.AceType) {
    case ACCESS_ALLOWED_ACE_TYPE:
    case kAllowedCallbackAce:
      entry.sid = SidText(const_cast<DWORD*>(&plain.SidStart));
      entry.mask = plain.Mask;
      break;
    case ACCESS_DENIED_ACE_TYPE:
    case kDeniedCallbackAce:
    case kDeniedObjectAce:
    case kDeniedCallbackObjectAce:
      entry.allow = false;
      entry.mask = plain.Mask;
      break;
    default:
      // An entry this program cannot read is taken to grant everything to a stranger.
      entry.mask = 0xFFFFFFFF;
      break;
  }
  return entry;
}

Status Failed(DWORD error, const char* call) { return Status::Fail(CodeOf(error), error, call); }

}  // namespace

std::string SidText(PSID sid) {
  wchar_t* text = nullptr;
  if (sid == nullptr || !IsValidSid(sid) || !ConvertSidToStringSidW(sid, &text)) return {};
  UniqueLocal owner(text);
  return ToUtf8(text);
}

Status OwnerOf(HANDLE object, SE_OBJECT_TYPE type, std::string* ownerSid) {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  const DWORD error = GetSecurityInfo(object, type, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                                      nullptr, nullptr, &descriptor);
  if (error != ERROR_SUCCESS) return Failed(error, "GetSecurityInfo");
  UniqueLocal held(descriptor);
  *ownerSid = SidText(owner);
  return Status::Success();
}

ProcessUser::ProcessUser() {
  UniqueHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put())) return;
  DWORD size = 0;
  GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
  if (size < sizeof(TOKEN_USER)) return;
  std::vector<BYTE> buffer(size);
  if (GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size)) {
    tokenUser_ = std::move(buffer);
  }
}

PSID ProcessUser::Sid() {
  return tokenUser_.empty() ? nullptr : reinterpret_cast<TOKEN_USER*>(tokenUser_.data())->User.Sid;
}

std::string ProcessUserSid() { return SidText(ProcessUser().Sid()); }

bool ProcessIsAdministrator() {
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  UniqueSid admins;
  if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0,
                                0, 0, 0, 0, admins.put())) {
    return false;
  }
  BOOL member = FALSE;
  return CheckTokenMembership(nullptr, admins.get(), &member) && member;
}

ItemSecurity Win32PathSecurity::Read(const std::string& path) {
  ItemSecurity item;
  // READ_CONTROL for the descriptor; no other access, so no sharing mode keeps it out.
  UniqueHandle handle(
      CreateFileW(WinPath(path).c_str(), READ_CONTROL | FILE_READ_ATTRIBUTES,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                  FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!handle) {
    item.status = LastError("CreateFileW");
    return item;
  }
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(handle.get(), &info)) {
    item.status = LastError("GetFileInformationByHandle");
    return item;
  }
  item.link = (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  PSID owner = nullptr;
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  const DWORD error = GetSecurityInfo(handle.get(), SE_FILE_OBJECT,
                                      OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                      &owner, nullptr, &dacl, nullptr, &descriptor);
  if (error != ERROR_SUCCESS) {
    item.status = Failed(error, "GetSecurityInfo");
    return item;
  }
  UniqueLocal held(descriptor);
  item.ownerSid = SidText(owner);
  item.nullDacl = dacl == nullptr;
  for (DWORD i = 0; dacl != nullptr && i < dacl->AceCount; ++i) {
    void* ace = nullptr;
    if (!GetAce(dacl, i, &ace)) {
      item.status = LastError("GetAce");
      return item;
    }
    item.dacl.push_back(EntryOf(*static_cast<const ACE_HEADER*>(ace)));
  }
  return item;
}

}  // namespace qc::win
