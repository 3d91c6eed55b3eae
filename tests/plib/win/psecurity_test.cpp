#include "plib/win/psecurity.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "plib/tempfolder.h"

namespace {

struct Entry {
    WELL_KNOWN_SID_TYPE who;
    ACCESS_MASK rights;
};

bool IsSid(PSID sid, WELL_KNOWN_SID_TYPE type) {
    return IsWellKnownSid(sid, type) != FALSE;
}

// The allow entries of `descriptor`, read back through the security API; each must be
// inherited by files and folders below.
std::vector<Entry> AllowEntries(PSECURITY_DESCRIPTOR descriptor) {
    std::vector<Entry> entries;
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL dacl = nullptr;
    EXPECT_TRUE(GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted));
    EXPECT_TRUE(present && dacl);
    if (!dacl) return entries;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        void* raw = nullptr;
        EXPECT_TRUE(GetAce(dacl, i, &raw));
        const auto* ace = static_cast<const ACCESS_ALLOWED_ACE*>(raw);
        EXPECT_EQ(ace->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
        EXPECT_EQ(ace->Header.AceFlags & (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE),
                  OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE);
        const PSID sid = const_cast<DWORD*>(&ace->SidStart);
        for (WELL_KNOWN_SID_TYPE type :
             {WinLocalSystemSid, WinBuiltinAdministratorsSid, WinBuiltinUsersSid})
            if (IsSid(sid, type)) entries.push_back({type, ace->Mask});
    }
    EXPECT_EQ(entries.size(), dacl->AceCount) << "an entry for someone else";
    return entries;
}

bool IsProtected(PSECURITY_DESCRIPTOR descriptor) {
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    return GetSecurityDescriptorControl(descriptor, &control, &revision) &&
           (control & SE_DACL_PROTECTED);
}

TEST(PProtectedFolderDescriptor, AdministratorsAndSystemChangeUsersOnlyRead) {
    const UniqueLocalMemory descriptor = PProtectedFolderDescriptor(PFolderReaders::kUsers);
    ASSERT_TRUE(descriptor);
    EXPECT_TRUE(IsValidSecurityDescriptor(descriptor.get()));
    EXPECT_TRUE(IsProtected(descriptor.get())) << "the folder above would pass its entries on";
    const std::vector<Entry> entries = AllowEntries(descriptor.get());
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].who, WinLocalSystemSid);
    EXPECT_EQ(entries[0].rights, static_cast<ACCESS_MASK>(FILE_ALL_ACCESS));
    EXPECT_EQ(entries[1].who, WinBuiltinAdministratorsSid);
    EXPECT_EQ(entries[1].rights, static_cast<ACCESS_MASK>(FILE_ALL_ACCESS));
    EXPECT_EQ(entries[2].who, WinBuiltinUsersSid);
    EXPECT_EQ(entries[2].rights,
              static_cast<ACCESS_MASK>(FILE_GENERIC_READ | FILE_GENERIC_EXECUTE));
    EXPECT_EQ(entries[2].rights & (FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA |
                                   FILE_WRITE_ATTRIBUTES | DELETE | WRITE_DAC | WRITE_OWNER),
              0u);
}

TEST(PProtectedFolderDescriptor, APrivateFolderLetsNoOneElseIn) {
    const UniqueLocalMemory descriptor = PProtectedFolderDescriptor(PFolderReaders::kNobody);
    ASSERT_TRUE(descriptor);
    EXPECT_TRUE(IsProtected(descriptor.get()));
    const std::vector<Entry> entries = AllowEntries(descriptor.get());
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].who, WinLocalSystemSid);
    EXPECT_EQ(entries[1].who, WinBuiltinAdministratorsSid);
}

// Wine keeps no access list of its own (it turns one into Unix permissions), so what the
// system holds afterwards cannot be read back here; the calls must succeed.
TEST(PCreateProtectedFolder, MakesTheFolderAndProtectsAnExistingOne) {
    TempFolder folder;
    const std::string made = folder.file("made");
    EXPECT_TRUE(PCreateProtectedFolder(made, PFolderReaders::kUsers));
    EXPECT_TRUE(std::filesystem::is_directory(made));
    EXPECT_FALSE(PCreateProtectedFolder(made, PFolderReaders::kUsers));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    std::filesystem::create_directory(folder.path() / "existing");
    TempFolder::write(folder.file("existing\\file.txt"), "x");
    EXPECT_EQ(PProtectFolder(folder.file("existing"), PFolderReaders::kUsers),
              static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(TempFolder::read(folder.file("existing\\file.txt")), "x");
    EXPECT_NE(PProtectFolder(folder.file("missing"), PFolderReaders::kUsers),
              static_cast<DWORD>(ERROR_SUCCESS));
}

}  // namespace
