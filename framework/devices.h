// The keyboard (DirectInput), sound (DirectSound) and the sockets library.
#pragma once

#include "framework/platform.h"

// Opens DirectSound and sets its primary buffer playing; false, silently, when
// any step fails (directSound is then null or released).
bool OpenSound(IDirectSound** directSound);
// Creates, formats and acquires the system keyboard; returns Acquire's result.
// A step whose interface was not created is never called.
HRESULT OpenKeyboard(HWND window, IDirectInput** directInput, IDirectInputDevice** keyboard);
// Whether the key with this DIK_ code is held down now.
bool KeyboardKeyDown(IDirectInputDevice* keyboard, int key);

void StartSockets();
void CleanupSockets();

// Starts the sockets library when built and cleans it up when destroyed.
class NetworkGuard {
public:
    NetworkGuard() { StartSockets(); }
    ~NetworkGuard() { CleanupSockets(); }
};
