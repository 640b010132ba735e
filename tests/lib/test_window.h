// A window for the tests that need one, and the message pump that lets the
// port's window manager take in the host's focus changes and key events.
#pragma once

#include "port/include/windows.h"

// Registers a window class `className` served by `proc`, then makes a
// 640x480 window of it at (0, 0) and shows it.
inline HWND OpenTestWindow(WNDPROC proc, const char* className, const char* title, DWORD style,
                           HINSTANCE instance) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = proc;
    windowClass.lpszClassName = className;
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, className, title, style, 0, 0, 640, 480, nullptr, nullptr,
                                  instance, nullptr);
    ShowWindow(window, SW_SHOW);
    return window;
}

// Dispatches every waiting message.
inline void DispatchWaitingMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}
