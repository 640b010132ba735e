// The keyboard (DirectInput), sound (DirectSound) and the sockets library.
#include "framework/devices.h"

namespace {

constexpr int kKeyCount = 256;

bool Lost(HRESULT result) { return result == DIERR_INPUTLOST || result == DIERR_NOTACQUIRED; }

}  // namespace

bool OpenSound(IDirectSound** directSound) {
    if (DirectSoundCreate(nullptr, directSound, nullptr) != DS_OK) {
        *directSound = nullptr;
        return false;
    }
    HWND window = GetForegroundWindow();
    if (!window) window = GetDesktopWindow();
    if ((*directSound)->SetCooperativeLevel(window, DSSCL_PRIORITY) != DS_OK) {
        (*directSound)->Release();
        *directSound = nullptr;
        return false;
    }
    DSBUFFERDESC desc = {};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DSBCAPS_PRIMARYBUFFER;
    desc.dwBufferBytes = 0;
    desc.lpwfxFormat = nullptr;
    IDirectSoundBuffer* primaryBuffer = nullptr;
    if ((*directSound)->CreateSoundBuffer(&desc, &primaryBuffer, nullptr) != DS_OK) {
        (*directSound)->Release();
        *directSound = nullptr;
        return false;
    }
    // The primary buffer plays for the rest of the run; it is never released.
    primaryBuffer->Play(0, 0, DSBPLAY_LOOPING);
    return true;
}

HRESULT OpenKeyboard(HWND window, IDirectInput** directInput, IDirectInputDevice** keyboard) {
    HRESULT result =
        DirectInputCreateA(GetModuleHandleA(nullptr), DIRECTINPUT_VERSION, directInput, nullptr);
    if (result != DI_OK) {
        *directInput = nullptr;
        return result;
    }
    result = (*directInput)->CreateDevice(GUID_SysKeyboard, keyboard, nullptr);
    if (result != DI_OK) {
        *keyboard = nullptr;
        return result;
    }
    (*keyboard)->SetDataFormat(&c_dfDIKeyboard);
    (*keyboard)->SetCooperativeLevel(window, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND);
    return (*keyboard)->Acquire();
}

bool KeyboardKeyDown(IDirectInputDevice* keyboard, int key) {
    if (!keyboard || key < 0 || key >= kKeyCount) return false;
    BYTE state[kKeyCount] = {};
    HRESULT result = keyboard->GetDeviceState(sizeof state, state);
    // The device is taken away whenever the window leaves the foreground:
    // take it back once, and report the key up if that is refused.
    if (Lost(result)) {
        if (FAILED(keyboard->Acquire())) return false;
        result = keyboard->GetDeviceState(sizeof state, state);
    }
    if (result != DI_OK) return false;
    return (state[key] & 0x80) != 0;
}

void StartSockets() {
    WSADATA data;
    if (WSAStartup(MAKEWORD(1, 1), &data) != 0) {
        MessageBoxA(nullptr, "Error Couldnt Init Winsock!", "Aborting",
                    MB_ICONINFORMATION | MB_SETFOREGROUND | MB_TOPMOST);
        PostQuitMessage(0);
        return;
    }
    if (LOBYTE(data.wVersion) != 1 || HIBYTE(data.wVersion) != 1) WSACleanup();
}

void CleanupSockets() { WSACleanup(); }
