// The GDI back-end. One thread owns the window: it registers the class,
// creates the window, runs its message loop and copies the bitmap to the
// window with SetDIBitsToDevice on every paint. The main thread only draws
// into the bitmap and posts a message saying what changed.
//
// Sections: thread state · painting · window procedure · thread body · back-end entry points
#include "qwin/backend.h"
#include "qwin/qwin.h"
#include "qwin/surface.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace {
// ---- thread state ----

const wchar_t kClassName[] = L"qwin";
// Posted by changed(): the bitmap has news for the window. Not a message
// from the user, so it lets no quit request take effect.
constexpr UINT kBitmapChanged = WM_APP + 1;
// Posted by stop(true): close now, the program is exiting.
constexpr UINT kCloseNow = WM_APP + 2;
// Caption, system menu with the close box, minimise box; no sizing frame and
// no maximise box, so the client area stays 640 x 400.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

HANDLE window_thread = nullptr;
DWORD window_thread_id = 0;
std::atomic<HWND> window{nullptr};
// Set by qwin_close; the window thread acts on it after the next message from the user.
std::atomic<bool> quit_request{false};
// A kBitmapChanged message is on its way and not yet handled.
std::atomic<bool> change_posted{false};
HANDLE ready_event = nullptr;

// ---- painting ----

// Copies area of the bitmap (black where none exists yet) to the device context.
void paint(HDC dc, const RECT& area)
{
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width <= 0 || height <= 0)
        return;
    std::lock_guard<std::mutex> lock(surface_mutex);
    const uint32_t* pixels = surface_pixels();
    if (pixels == nullptr) {
        FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        return;
    }
    // 0xRRGGBB in memory is blue, green, red, unused: a 32-bit DIB, top row
    // first. It is made of the area's rows only, all of them copied, so the
    // source's y needs no reading of which end of a DIB it counts from.
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = qwin_width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(dc, area.left, area.top, width, height, area.left, 0, 0, height,
                      pixels + area.top * qwin_width, &info, DIB_RGB_COLORS);
}

void paintWhole(HWND hwnd)
{
    HDC dc = GetDC(hwnd);
    if (dc == nullptr)
        return;
    paint(dc, {0, 0, qwin_width, qwin_height});
    ReleaseDC(hwnd, dc);
}

// Shows what changed in the bitmap since the last look.
void presentChanges(HWND hwnd)
{
    change_posted.store(false);
    PixelRect changed;
    {
        std::lock_guard<std::mutex> lock(surface_mutex);
        changed = surface_take_changed();
    }
    if (changed.right <= changed.left || changed.bottom <= changed.top)
        return;
    HDC dc = GetDC(hwnd);
    if (dc == nullptr)
        return;
    paint(dc, {changed.left, changed.top, changed.right, changed.bottom});
    ReleaseDC(hwnd, dc);
}

// ---- window procedure ----

LRESULT CALLBACK window_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        paint(dc, ps.rcPaint);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;  // every paint covers its whole area from the bitmap
    case WM_KEYDOWN:
        if (wparam == VK_ESCAPE)
            qwin_set_escape();
        // Bit 30: the key was already down, an auto-repeat.
        if ((lparam & (1L << 30)) == 0 && wparam == VK_F5)
            paintWhole(hwnd);
        return 0;
    case kBitmapChanged:
        presentChanges(hwnd);
        return 0;
    case kCloseNow:
        DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        window.store(nullptr);
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(hwnd, message, wparam, lparam);
    }
}

// ---- thread body ----

HWND createWindow()
{
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = window_procedure;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = kClassName;
    if (RegisterClassExW(&wc) == 0) {
        std::fputs("Can't register class.\n", stderr);
        std::exit(1);
    }
    RECT outer = {0, 0, qwin_width, qwin_height};
    AdjustWindowRectEx(&outer, kStyle, FALSE, 0);
    HWND hwnd = CreateWindowExW(0, kClassName, L"qwin", kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                                outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr,
                                wc.hInstance, nullptr);
    if (hwnd == nullptr) {
        std::fputs("Can't create window.\n", stderr);
        UnregisterClassW(kClassName, wc.hInstance);
        std::exit(1);
    }
    return hwnd;
}

// Messages of the program's own making are not the user's: a quit request
// waits for one from the user (a click, a key, the pointer passing by).
bool fromTheUser(UINT message)
{
    return message != kBitmapChanged && message != WM_TIMER;
}

DWORD WINAPI window_main(void*)
{
    HWND hwnd = createWindow();
    window.store(hwnd);
    ShowWindow(hwnd, SW_SHOWNORMAL);
    UpdateWindow(hwnd);
    SetEvent(ready_event);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        if (quit_request.load() && fromTheUser(msg.message) && window.load() != nullptr)
            DestroyWindow(hwnd);
    }
    UnregisterClassW(kClassName, GetModuleHandleW(nullptr));
    return static_cast<DWORD>(msg.wParam);
}

// ---- back-end entry points ----

// A window can be shown where the process's window station is the visible
// one (not a service's).
bool desktopVisible()
{
    USEROBJECTFLAGS flags = {};
    HWINSTA station = GetProcessWindowStation();
    return station != nullptr &&
           GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, nullptr) &&
           (flags.dwFlags & WSF_VISIBLE) != 0;
}

void start()
{
    ready_event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    window_thread = CreateThread(nullptr, 0, window_main, nullptr, 0, &window_thread_id);
    if (ready_event == nullptr || window_thread == nullptr) {
        std::fputs("Can't create thread.\n", stderr);
        std::exit(1);
    }
    WaitForSingleObject(ready_event, INFINITE);
}

void stop(bool at_once)
{
    if (window_thread == nullptr || GetCurrentThreadId() == window_thread_id)
        return;
    quit_request.store(true);
    if (at_once) {
        if (HWND hwnd = window.load())
            PostMessageW(hwnd, kCloseNow, 0, 0);
    }
    WaitForSingleObject(window_thread, INFINITE);
    CloseHandle(window_thread);
    window_thread = nullptr;
}

void changed()
{
    HWND hwnd = window.load();
    if (hwnd != nullptr && !change_posted.exchange(true))
        PostMessageW(hwnd, kBitmapChanged, 0, 0);
}
}  // namespace

const WindowBackend display_window = {desktopVisible, start, stop, changed};
