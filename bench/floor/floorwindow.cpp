// The least a program with the setup program's manifest can do before its first painted
// window: one 960 x 720 window with as many system controls, of the same classes, as the
// wizard's first screen, drawn by the system. `./zb bench` times its start next to ours and
// NSIS's: what no drawing or start-up work of ours can go below.
#include <windows.h>

namespace {

struct Controls {
    const wchar_t* windowClass;
    DWORD style;
    int count;
};

// The wizard's controls by class: labels and the progress bar; radio buttons, check boxes and
// push buttons; the install folder; the language list.
constexpr Controls kControls[] = {
    {L"STATIC", 0, 12},
    {L"BUTTON", BS_PUSHBUTTON, 10},
    {L"EDIT", WS_BORDER | ES_AUTOHSCROLL, 1},
    {L"COMBOBOX", CBS_DROPDOWNLIST | CBS_HASSTRINGS, 1},
};

LRESULT CALLBACK FloorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = FloorProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = L"ZembricoFirstPaintFloor";
    ::RegisterClassW(&windowClass);
    const HWND window = ::CreateWindowExW(0, windowClass.lpszClassName, L"floor", WS_POPUP, 0, 0,
                                          960, 720, nullptr, nullptr, instance, nullptr);
    int row = 0;
    for (const Controls& controls : kControls)
        for (int i = 0; i < controls.count; ++i, ++row)
            ::CreateWindowExW(0, controls.windowClass, L"Zembrico",
                              WS_CHILD | WS_VISIBLE | controls.style, 340, 10 + row * 28, 300, 24,
                              window, nullptr, instance, nullptr);
    ::ShowWindow(window, SW_SHOW);
    ::UpdateWindow(window);
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return 0;
}
