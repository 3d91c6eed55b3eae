#include "plib/win/presource.h"

std::span<const std::uint8_t> PResourceBytes(HMODULE module, int id, const wchar_t* type) {
    const HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), type);
    if (!found) return {};
    const HGLOBAL loaded = ::LoadResource(module, found);
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    if (!bytes) return {};
    return {static_cast<const std::uint8_t*>(bytes), ::SizeofResource(module, found)};
}
