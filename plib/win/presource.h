#pragma once

#include <windows.h>

#include <cstdint>
#include <span>

// The bytes of resource `type`/`id` of `module` (null: the program's own); empty when there is
// no such resource or it cannot be loaded. The bytes live as long as the module.
std::span<const std::uint8_t> PResourceBytes(HMODULE module, int id, const wchar_t* type);
