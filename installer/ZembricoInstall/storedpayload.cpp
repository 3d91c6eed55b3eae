#include "installer/ZembricoInstall/storedpayload.h"

#include <optional>
#include <utility>

#include "plib/pstringencoding.h"
#include "plib/win/pmodule.h"
#include "plib/win/pwidenarrow.h"

namespace {

// Where the bytes at `rva` of the loaded `module`, `size` of them, lie in its file: inside the
// file data of the section that holds them, or nowhere (a section's zero-filled tail has no
// bytes in the file).
std::optional<std::uint32_t> FileOffsetOf(HMODULE module, std::uint32_t rva, std::uint32_t size) {
    const auto* image = reinterpret_cast<const std::uint8_t*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(image + dos->e_lfanew);
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
        const std::uint32_t start = section->VirtualAddress;
        if (rva >= start && size <= section->SizeOfRawData &&
            rva - start <= section->SizeOfRawData - size)
            return section->PointerToRawData + (rva - start);
    }
    return std::nullopt;
}

}  // namespace

StoredPayload::StoredPayload(UniqueFile file, std::uint64_t base)
    : file_(std::move(file)), base_(base) {}

std::shared_ptr<StoredPayload> StoredPayload::OfModuleResource(
    HMODULE module, std::span<const std::uint8_t> bytes) {
    if (!module) module = GetModuleHandleW(nullptr);
    const auto* image = reinterpret_cast<const std::uint8_t*>(module);
    if (bytes.empty() || bytes.data() < image) return nullptr;
    const auto rva = static_cast<std::uint32_t>(bytes.data() - image);
    const std::optional<std::uint32_t> offset =
        FileOffsetOf(module, rva, static_cast<std::uint32_t>(bytes.size()));
    if (!offset) return nullptr;
    PSysText path(PModuleFileName(module, &PMixedEncoding()), &PMixedEncoding(), true);
    UniqueFile file(CreateFileW(path.w(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return nullptr;
    return std::make_shared<StoredPayload>(std::move(file), *offset);
}

bool StoredPayload::read(std::uint32_t offset, std::uint8_t* into, std::uint32_t count) const {
    while (count != 0) {
        const std::uint64_t at = base_ + offset;
        OVERLAPPED where{};
        where.Offset = static_cast<DWORD>(at);
        where.OffsetHigh = static_cast<DWORD>(at >> 32);
        DWORD got = 0;
        if (!ReadFile(file_.get(), into, count, &got, &where) || got == 0) return false;
        into += got;
        offset += got;
        count -= got;
    }
    return true;
}
