// The slice of DirectInput 7 that VEXAR calls: the system keyboard's state.
#pragma once

#include "windows.h"

#ifndef DIRECTINPUT_VERSION
#define DIRECTINPUT_VERSION 0x0700
#endif

#define DI_OK S_OK
#define DI_NOEFFECT S_FALSE
#define DIERR_INVALIDPARAM E_INVALIDARG
#define DIERR_NOINTERFACE E_NOINTERFACE
#define DIERR_OTHERAPPHASPRIO E_ACCESSDENIED
#define DIERR_OUTOFMEMORY E_OUTOFMEMORY
#define DIERR_NOTACQUIRED MAKE_HRESULT(1, 7, 12)    // ERROR_INVALID_ACCESS
#define DIERR_NOTINITIALIZED MAKE_HRESULT(1, 7, 21) // ERROR_NOT_READY
#define DIERR_INPUTLOST MAKE_HRESULT(1, 7, 30)      // ERROR_READ_FAULT
#define DIERR_ACQUIRED MAKE_HRESULT(1, 7, 170)      // ERROR_BUSY
#define DIERR_DEVICENOTREG ((HRESULT)0x80040154)
#define DIERR_OLDDIRECTINPUTVERSION MAKE_HRESULT(1, 7, 1150)
#define DIERR_BETADIRECTINPUTVERSION MAKE_HRESULT(1, 7, 1153)

#define DISCL_EXCLUSIVE 0x00000001
#define DISCL_NONEXCLUSIVE 0x00000002
#define DISCL_FOREGROUND 0x00000004
#define DISCL_BACKGROUND 0x00000008

#define DIK_ESCAPE 0x01
#define DIK_1 0x02
#define DIK_0 0x0B
#define DIK_RETURN 0x1C
#define DIK_LCONTROL 0x1D
#define DIK_A 0x1E
#define DIK_LSHIFT 0x2A
#define DIK_Z 0x2C
#define DIK_SPACE 0x39
#define DIK_F4 0x3E
#define DIK_NUMPADENTER 0x9C
#define DIK_UP 0xC8
#define DIK_LEFT 0xCB
#define DIK_RIGHT 0xCD
#define DIK_DOWN 0xD0

struct DIOBJECTDATAFORMAT {
    const GUID* pguid;
    DWORD dwOfs;
    DWORD dwType;
    DWORD dwFlags;
};
typedef const DIOBJECTDATAFORMAT* LPCDIOBJECTDATAFORMAT;

struct DIDATAFORMAT {
    DWORD dwSize;
    DWORD dwObjSize;
    DWORD dwFlags;
    DWORD dwDataSize;
    DWORD dwNumObjs;
    LPCDIOBJECTDATAFORMAT rgodf;
};
typedef const DIDATAFORMAT* LPCDIDATAFORMAT;

// The predefined keyboard format: 256 one-byte buttons at offsets 0 to 255.
extern const DIDATAFORMAT c_dfDIKeyboard;
extern const GUID GUID_SysKeyboard;

struct IDirectInputDeviceA : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Acquire() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDeviceState(DWORD size, LPVOID data) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND window, DWORD flags) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetDataFormat(LPCDIDATAFORMAT format) = 0;
    virtual HRESULT STDMETHODCALLTYPE Unacquire() = 0;

protected:
    ~IDirectInputDeviceA() = default;
};
typedef IDirectInputDeviceA IDirectInputDevice;
typedef IDirectInputDeviceA* LPDIRECTINPUTDEVICEA;
typedef IDirectInputDeviceA* LPDIRECTINPUTDEVICE;

struct IDirectInputA : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE CreateDevice(REFGUID guid, LPDIRECTINPUTDEVICEA* device,
                                                   LPUNKNOWN outer) = 0;

protected:
    ~IDirectInputA() = default;
};
typedef IDirectInputA IDirectInput;
typedef IDirectInputA* LPDIRECTINPUTA;
typedef IDirectInputA* LPDIRECTINPUT;

HRESULT WINAPI DirectInputCreateA(HINSTANCE instance, DWORD version, LPDIRECTINPUTA* directInput,
                                  LPUNKNOWN outer);
