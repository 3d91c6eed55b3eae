#include "plib/winseam/pcodepage.h"

#include <windows.h>

#include "plib/perror.h"

void PAnsiToUtf16(PUtf16Block& out, const PString& text) {
    out.clear();
    if (!text.empty()) {
        const int length = static_cast<int>(text.length());
        const int units = MultiByteToWideChar(CP_ACP, 0, text.c_str(), length, nullptr, 0);
        if (units <= 0) {
            throw PSystemError("MultiByteToWideChar", static_cast<std::int32_t>(GetLastError()));
        }
        PWChar* room = out.appendRoom(static_cast<std::size_t>(units));
        if (MultiByteToWideChar(CP_ACP, 0, text.c_str(), length, room, units) != units) {
            throw PSystemError("MultiByteToWideChar", static_cast<std::int32_t>(GetLastError()));
        }
    }
    out.zeroTerminate();
}

void PUtf16ToAnsi(PString& out, const PWChar* text) {
    out.clear();
    if (!text || !*text) {
        return;
    }
    // With -1 the counts include the terminator.
    const int bytes = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) {
        throw PSystemError("WideCharToMultiByte", static_cast<std::int32_t>(GetLastError()));
    }
    PBlock buffer;
    buffer.alloc(static_cast<std::uint32_t>(bytes));
    auto* room = reinterpret_cast<char*>(buffer.data());
    if (WideCharToMultiByte(CP_ACP, 0, text, -1, room, bytes, nullptr, nullptr) != bytes) {
        throw PSystemError("WideCharToMultiByte", static_cast<std::int32_t>(GetLastError()));
    }
    out.assign(room, static_cast<std::size_t>(bytes - 1));
}
