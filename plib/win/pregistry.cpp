#include "plib/win/pregistry.h"

#include <vector>

#include "plib/pstringencoding.h"
#include "plib/winseam/pwidenarrow.h"

namespace {

constexpr REGSAM kFullAccess = 0xF003F;   // KEY_ALL_ACCESS
constexpr REGSAM kWriteAccess = 0x20006;  // KEY_WRITE

bool IsStringType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ;
}

LONG QueryValue(HKEY key, PSysText& name, bool wide, DWORD& type, BYTE* data, DWORD& size) {
    return wide ? RegQueryValueExW(key, name.w(), nullptr, &type, data, &size)
                : RegQueryValueExA(key, name.a(), nullptr, &type, data, &size);
}

}  // namespace

LONG PRegReadString(HKEY key, const char* name, PString& out, const PStringEncoding* encoding) {
    const bool wide = PWideFor(encoding);
    const PString nameText(name);
    PSysText valueName(name ? &nameText : nullptr, encoding, wide);
    DWORD type = 0;
    DWORD size = 0;
    LONG result = QueryValue(key, valueName, wide, type, nullptr, size);
    if (result == ERROR_FILE_NOT_FOUND || (result == ERROR_SUCCESS && size == 0)) {
        return ERROR_SUCCESS;
    }
    if (result != ERROR_SUCCESS) {
        return result;
    }
    // Two zero bytes beyond the value end a string the registry stored without its terminator.
    std::vector<BYTE> data(size + sizeof(wchar_t), 0);
    result = QueryValue(key, valueName, wide, type, data.data(), size);
    if (result != ERROR_SUCCESS || !IsStringType(type)) {
        return result;
    }
    if (wide) {
        PAppendWide(out, reinterpret_cast<const wchar_t*>(data.data()), size / sizeof(wchar_t),
                    encoding);
    } else {
        const char* bytes = reinterpret_cast<const char*>(data.data());
        PAppendNarrow(out, bytes, PString::boundedLength(bytes, size), encoding);
    }
    return ERROR_SUCCESS;
}

LONG PRegValueSize(HKEY key, const char* name, DWORD& type, DWORD& size,
                   const PStringEncoding* encoding) {
    const bool wide = PWideFor(encoding);
    const PString nameText(name);
    PSysText valueName(name ? &nameText : nullptr, encoding, wide);
    size = 0;
    return QueryValue(key, valueName, wide, type, nullptr, size);
}

LONG PRegWriteString(HKEY key, const char* name, const char* text,
                     const PStringEncoding* encoding) {
    if (!name || !text) {
        return ERROR_SUCCESS;
    }
    const bool wide = PWideFor(encoding);
    PSysText valueName(PString(name), encoding, wide);
    PSysText data(PString(text), encoding, wide);
    if (wide) {
        const DWORD bytes = static_cast<DWORD>((data.units() + 1) * sizeof(wchar_t));
        return RegSetValueExW(key, valueName.w(), 0, REG_SZ,
                              reinterpret_cast<const BYTE*>(data.w()), bytes);
    }
    const DWORD bytes = static_cast<DWORD>(data.units() + 1);
    return RegSetValueExA(key, valueName.a(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.a()),
                          bytes);
}

LONG PRegWriteDword(HKEY key, const char* name, std::uint32_t value,
                    const PStringEncoding* encoding) {
    const bool wide = PWideFor(encoding);
    const PString nameText(name);
    PSysText valueName(name ? &nameText : nullptr, encoding, wide);
    const DWORD data = value;
    const auto* bytes = reinterpret_cast<const BYTE*>(&data);
    return wide ? RegSetValueExW(key, valueName.w(), 0, REG_DWORD, bytes, sizeof data)
                : RegSetValueExA(key, valueName.a(), 0, REG_DWORD, bytes, sizeof data);
}

LONG PRegOpenKey(HKEY root, const PString& path, DWORD options, REGSAM access, UniqueRegKey& key) {
    PSysText widePath(path, &PMixedEncoding(), /*wide=*/true);
    HKEY opened = nullptr;
    const LONG result = RegOpenKeyExW(root, widePath.w(), options, access, &opened);
    key.reset(result == ERROR_SUCCESS ? opened : nullptr);
    return result;
}

LONG PRegCreateKey(HKEY root, const PString& path, DWORD options, REGSAM access,
                   UniqueRegKey& key) {
    PSysText widePath(path, &PMixedEncoding(), /*wide=*/true);
    HKEY created = nullptr;
    const LONG result = RegCreateKeyExW(root, widePath.w(), 0, /*lpClass=*/nullptr, options, access,
                                        /*lpSecurityAttributes=*/nullptr, &created,
                                        /*lpdwDisposition=*/nullptr);
    key.reset(result == ERROR_SUCCESS ? created : nullptr);
    return result;
}

UniqueRegKey POpenOrCreateKeyPath(HKEY root, const PString& path) {
    UniqueRegKey key;
    if (PRegOpenKey(root, path, 0, kFullAccess, key) == ERROR_SUCCESS ||
        PRegCreateKey(root, path, 0, kWriteAccess, key) == ERROR_SUCCESS) {
        return key;
    }
    const char* text = path.c_str();
    const char* slash = nullptr;
    for (const char* p = text; *p; ++p) {
        if (*p == '\\') {
            slash = p;
        }
    }
    if (!slash || slash == text) {
        return key;
    }
    if (!POpenOrCreateKeyPath(root, PString(text, static_cast<std::size_t>(slash - text)))) {
        return key;
    }
    PRegCreateKey(root, path, 0, kWriteAccess, key);
    return key;
}

bool PRegWriteStringUnderPath(HKEY root, const PString& path, const char* name, const char* text,
                              int& errorFlag) {
    const UniqueRegKey key = POpenOrCreateKeyPath(root, path);
    if (!key || PRegWriteString(key.get(), name, text, &PMixedEncoding()) != ERROR_SUCCESS) {
        errorFlag = 1;
        return false;
    }
    return true;
}

bool PRegReadStringHklm(const PString& path, const char* name, PString& out) {
    UniqueRegKey key;
    return PRegOpenKey(HKEY_LOCAL_MACHINE, path, 0, KEY_QUERY_VALUE, key) == ERROR_SUCCESS &&
           PRegReadString(key.get(), name, out, &PMixedEncoding()) == ERROR_SUCCESS;
}

bool PRegReadStringUnder(HKEY root, const PString& path, const char* name, PString& out) {
    UniqueRegKey key;
    return PRegOpenKey(root, path, 0, KEY_READ, key) == ERROR_SUCCESS &&
           PRegReadString(key.get(), name, out, &PMixedEncoding()) == ERROR_SUCCESS;
}
