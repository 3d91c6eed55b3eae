#include "plib/win/psecurity.h"

#include <aclapi.h>
#include <sddl.h>

#include "plib/winseam/pwidenarrow.h"

namespace {

// "P": the folder above passes nothing down; "OICI": files and folders below inherit each entry.
// FA is full control, 0x1200a9 read and execute.
constexpr const wchar_t* kUsersRead = L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";
constexpr const wchar_t* kNobodyElse = L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";

}  // namespace

UniqueLocalMemory PProtectedFolderDescriptor(PFolderReaders readers) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(
            readers == PFolderReaders::kUsers ? kUsersRead : kNobodyElse, SDDL_REVISION_1,
            &descriptor, nullptr))
        return UniqueLocalMemory();
    return UniqueLocalMemory(descriptor);
}

BOOL PCreateProtectedFolder(const std::string& path, PFolderReaders readers) {
    const UniqueLocalMemory descriptor = PProtectedFolderDescriptor(readers);
    if (!descriptor) return FALSE;
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor.get(), /*bInheritHandle=*/FALSE};
    return CreateDirectoryW(PToWide(PString(path.c_str())).c_str(), &attributes);
}

DWORD PProtectFolder(const std::string& path, PFolderReaders readers) {
    const UniqueLocalMemory descriptor = PProtectedFolderDescriptor(readers);
    if (!descriptor) return GetLastError();
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL dacl = nullptr;
    if (!GetSecurityDescriptorDacl(descriptor.get(), &present, &dacl, &defaulted))
        return GetLastError();
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof administrators;
    if (!CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size))
        return GetLastError();
    std::wstring name = PToWide(PString(path.c_str()));
    const SECURITY_INFORMATION what =
        DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION;
    const DWORD owned =
        SetNamedSecurityInfoW(name.data(), SE_FILE_OBJECT, what | OWNER_SECURITY_INFORMATION,
                              administrators, nullptr, dacl, nullptr);
    // Without the right to give the folder away the entries alone still shut others out.
    if (owned == ERROR_INVALID_OWNER || owned == ERROR_ACCESS_DENIED ||
        owned == ERROR_PRIVILEGE_NOT_HELD)
        return SetNamedSecurityInfoW(name.data(), SE_FILE_OBJECT, what, nullptr, nullptr, dacl,
                                     nullptr);
    return owned;
}
