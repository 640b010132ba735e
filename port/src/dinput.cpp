// DirectInput 7: the system keyboard, read from the host's key state.
//
// A device made with DISCL_FOREGROUND is taken away when the game's window
// leaves the foreground: the first read after that reports DIERR_INPUTLOST,
// later ones DIERR_NOTACQUIRED, and Acquire fails until the window is back.
#include "port/include/dinput.h"

#include <array>
#include <vector>

#include "port/control.h"
#include "port/src/host.h"
#include "port/src/core.h"
#include "port/src/user.h"

namespace {

constexpr GUID GUID_Key = {0x55728220, 0xD33C, 0x11CF,
                           {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

constexpr DWORD DIDF_RELAXIS = 0x00000002;
constexpr DWORD DIDFT_BUTTON = 0x0000000C;
constexpr DWORD DIDFT_OPTIONAL = 0x80000000;
constexpr DWORD DIDFT_MAKEINSTANCE(DWORD n) { return (n & 0xFFFF) << 8; }

constexpr int kKeyCount = 256;

// c_dfDIKeyboard's objects: key i is an optional button at byte i.
constexpr std::array<DIOBJECTDATAFORMAT, kKeyCount> KeyboardObjects() {
    std::array<DIOBJECTDATAFORMAT, kKeyCount> objects = {};
    for (DWORD i = 0; i < kKeyCount; ++i)
        objects[i] = {&GUID_Key, i, DIDFT_OPTIONAL | DIDFT_MAKEINSTANCE(i) | DIDFT_BUTTON, 0};
    return objects;
}
constexpr std::array<DIOBJECTDATAFORMAT, kKeyCount> kKeyboardObjects = KeyboardObjects();

}  // namespace

const GUID GUID_SysKeyboard = {0x6F1D2B61, 0xD5A0, 0x11CF,
                               {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

const DIDATAFORMAT c_dfDIKeyboard = {sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_RELAXIS,
                                     kKeyCount, kKeyCount, kKeyboardObjects.data()};

namespace port {
namespace {

constexpr HRESULT kNoAggregation = static_cast<HRESULT>(0x80040110);  // CLASS_E_NOAGGREGATION
constexpr HRESULT kInvalidHandle = static_cast<HRESULT>(0x80070006);  // E_HANDLE

unsigned Hex(HRESULT result) { return static_cast<unsigned>(result); }

bool SameGuid(const GUID& a, const GUID& b) {
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
    for (int i = 0; i < 8; ++i)
        if (a.Data4[i] != b.Data4[i]) return false;
    return true;
}

class Keyboard;

// Every object ever made stays listed until its last Release, so a pointer
// kept past a test reset still points at a live (if retired) object. Objects
// made before the last reset no longer count in Counters().
struct InputState {
    int generation = 0;
    std::vector<Keyboard*> keyboards;
    std::vector<IDirectInputA*> directInputs;
};

InputState& State();
void OnActivation(bool active);
void Retire() { ++State().generation; }

InputState& State() {
    static InputState* state = [] {
        RegisterReset(&Retire);
        AddActivationListener(&OnActivation);
        return new InputState;
    }();
    return *state;
}

template <typename T>
void Unlist(std::vector<T*>& list, T* object) {
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i] == object) {
            list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
            return;
        }
}

// Counts the object as live if it belongs to the current test's platform.
void CountObject(int generation, int delta) {
    if (generation == State().generation) Counters().comObjects += delta;
}

bool IsKeyboardLayout(const DIDATAFORMAT& format) {
    if (format.dwSize != sizeof(DIDATAFORMAT) || format.dwObjSize != sizeof(DIOBJECTDATAFORMAT))
        return false;
    if (format.dwDataSize != kKeyCount || format.dwNumObjs != kKeyCount || !format.rgodf)
        return false;
    for (DWORD i = 0; i < kKeyCount; ++i)
        if (format.rgodf[i].dwOfs != i) return false;
    return true;
}

bool ValidCooperativeLevel(DWORD flags) {
    const DWORD known = DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE | DISCL_FOREGROUND | DISCL_BACKGROUND;
    if (flags & ~known) return false;
    bool oneSharing = !(flags & DISCL_EXCLUSIVE) != !(flags & DISCL_NONEXCLUSIVE);
    bool oneFocus = !(flags & DISCL_FOREGROUND) != !(flags & DISCL_BACKGROUND);
    return oneSharing && oneFocus;
}

class Keyboard final : public IDirectInputDeviceA {
public:
    Keyboard() : generation_(State().generation) {
        State().keyboards.push_back(this);
        CountObject(generation_, +1);
    }

    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }

    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left = --references_;
        if (left == 0) {
            Trace("IDirectInputDevice::Release() -> 0");
            Unlist(State().keyboards, this);
            CountObject(generation_, -1);
            delete this;
        }
        return left;
    }

    HRESULT STDMETHODCALLTYPE Acquire() override {
        HRESULT result = TryAcquire();
        Trace("IDirectInputDevice::Acquire() -> 0x%x", Hex(result));
        return result;
    }

    HRESULT STDMETHODCALLTYPE GetDeviceState(DWORD size, LPVOID data) override {
        HRESULT result = ReadState(size, data);
        // Read twice a tick: only the failures are worth a trace line.
        if (result != DI_OK)
            Trace("IDirectInputDevice::GetDeviceState(%u) -> 0x%x", size, Hex(result));
        return result;
    }

    HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND window, DWORD flags) override {
        HRESULT result = DI_OK;
        if (Injected("IDirectInputDevice::SetCooperativeLevel") || !ValidCooperativeLevel(flags))
            result = DIERR_INVALIDPARAM;
        else if (acquired_)
            result = DIERR_ACQUIRED;
        else if (!window)
            result = kInvalidHandle;
        if (result == DI_OK) flags_ = flags;
        Trace("IDirectInputDevice::SetCooperativeLevel(0x%x) -> 0x%x", flags, Hex(result));
        return result;
    }

    HRESULT STDMETHODCALLTYPE SetDataFormat(LPCDIDATAFORMAT format) override {
        HRESULT result = DI_OK;
        if (Injected("IDirectInputDevice::SetDataFormat") || !format || !IsKeyboardLayout(*format))
            result = DIERR_INVALIDPARAM;
        else if (acquired_)
            result = DIERR_ACQUIRED;
        if (result == DI_OK) formatSet_ = true;
        Trace("IDirectInputDevice::SetDataFormat(%s) -> 0x%x",
              format == &c_dfDIKeyboard ? "c_dfDIKeyboard" : "other", Hex(result));
        return result;
    }

    HRESULT STDMETHODCALLTYPE Unacquire() override {
        Injected("IDirectInputDevice::Unacquire");
        HRESULT result = acquired_ ? DI_OK : DI_NOEFFECT;
        acquired_ = false;
        lost_ = false;
        Trace("IDirectInputDevice::Unacquire() -> 0x%x", Hex(result));
        return result;
    }

    // The window left the foreground: a foreground device is taken away.
    void OnDeactivated() {
        if (!acquired_ || !(flags_ & DISCL_FOREGROUND)) return;
        acquired_ = false;
        lost_ = true;
    }

private:
    ~Keyboard() = default;

    HRESULT TryAcquire() {
        if (Injected("IDirectInputDevice::Acquire")) return DIERR_OTHERAPPHASPRIO;
        if (!formatSet_) return DIERR_INVALIDPARAM;
        if (acquired_) return DI_NOEFFECT;
        if ((flags_ & DISCL_FOREGROUND) && !AppActive()) return DIERR_OTHERAPPHASPRIO;
        acquired_ = true;
        lost_ = false;
        return DI_OK;
    }

    HRESULT ReadState(DWORD size, LPVOID data) {
        if (Injected("IDirectInputDevice::GetDeviceState")) {
            // Fails as a real loss of the device does.
            acquired_ = false;
            lost_ = false;
            return DIERR_INPUTLOST;
        }
        if (!data) return DIERR_INVALIDPARAM;
        if (!acquired_) {
            if (!lost_) return DIERR_NOTACQUIRED;
            lost_ = false;
            return DIERR_INPUTLOST;
        }
        if (size != kKeyCount) return DIERR_INVALIDPARAM;
        const Host& host = CurrentHost();
        BYTE* keys = static_cast<BYTE*>(data);
        for (int key = 0; key < kKeyCount; ++key) keys[key] = host.keyDown(key) ? 0x80 : 0;
        return DI_OK;
    }

    const int generation_;
    ULONG references_ = 1;
    bool formatSet_ = false;
    bool acquired_ = false;
    bool lost_ = false;  // taken away and not yet reported
    DWORD flags_ = DISCL_NONEXCLUSIVE | DISCL_BACKGROUND;
};

class DirectInput final : public IDirectInputA {
public:
    DirectInput() : generation_(State().generation) {
        State().directInputs.push_back(this);
        CountObject(generation_, +1);
    }

    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }

    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left = --references_;
        if (left == 0) {
            Trace("IDirectInput::Release() -> 0");
            Unlist<IDirectInputA>(State().directInputs, this);
            CountObject(generation_, -1);
            delete this;
        }
        return left;
    }

    HRESULT STDMETHODCALLTYPE CreateDevice(REFGUID guid, LPDIRECTINPUTDEVICEA* device,
                                           LPUNKNOWN outer) override {
        HRESULT result = MakeDevice(guid, device, outer);
        Trace("IDirectInput::CreateDevice(%s) -> 0x%x",
              SameGuid(guid, GUID_SysKeyboard) ? "GUID_SysKeyboard" : "other", Hex(result));
        return result;
    }

private:
    ~DirectInput() = default;

    HRESULT MakeDevice(REFGUID guid, LPDIRECTINPUTDEVICEA* device, LPUNKNOWN outer) {
        bool injected = Injected("IDirectInput::CreateDevice");
        if (!device) return E_POINTER;
        *device = nullptr;
        if (injected) return DIERR_OUTOFMEMORY;
        if (outer) return kNoAggregation;
        if (!SameGuid(guid, GUID_SysKeyboard)) return DIERR_DEVICENOTREG;
        *device = new Keyboard;
        return DI_OK;
    }

    const int generation_;
    ULONG references_ = 1;
};

void OnActivation(bool active) {
    if (active) return;
    for (Keyboard* keyboard : State().keyboards) keyboard->OnDeactivated();
}

// The versions DirectInput 7 accepts: the released ones up to its own.
bool ReleasedVersion(DWORD version) {
    static const DWORD released[] = {0x0300, 0x0500, 0x050A, 0x05B2, 0x0602, 0x061A, 0x0700};
    for (DWORD known : released)
        if (version == known) return true;
    return false;
}

HRESULT CreateDirectInput(HINSTANCE instance, DWORD version, LPDIRECTINPUTA* directInput,
                          LPUNKNOWN outer) {
    bool injected = Injected("DirectInputCreateA");
    if (!directInput) return E_POINTER;
    *directInput = nullptr;
    if (injected) return DIERR_OUTOFMEMORY;
    if (outer) return kNoAggregation;
    if (!instance) return DIERR_INVALIDPARAM;
    if (version == 0) return DIERR_NOTINITIALIZED;
    if (version > 0x0700) return DIERR_OLDDIRECTINPUTVERSION;
    if (!ReleasedVersion(version)) return DIERR_BETADIRECTINPUTVERSION;
    *directInput = new DirectInput;
    return DI_OK;
}

}  // namespace
}  // namespace port

HRESULT WINAPI DirectInputCreateA(HINSTANCE instance, DWORD version, LPDIRECTINPUTA* directInput,
                                  LPUNKNOWN outer) {
    HRESULT result = port::CreateDirectInput(instance, version, directInput, outer);
    port::Trace("DirectInputCreateA(0x%x) -> 0x%x", version, port::Hex(result));
    return result;
}
