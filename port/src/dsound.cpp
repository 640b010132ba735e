// DirectSound: the default audio device and its primary buffer, which plays
// silence. The device is opened by the first DirectSound object and closed
// when the last object (DirectSound or buffer) is released.
#include "port/include/dsound.h"

#include <vector>

#include "port/control.h"
#include "port/src/host.h"
#include "port/src/core.h"

namespace port {
namespace {

constexpr HRESULT kNoAggregation = static_cast<HRESULT>(0x80040110);  // DSERR_NOAGGREGATION
constexpr DWORD kHighestLevel = 4;                                     // DSSCL_WRITEPRIMARY

unsigned Hex(HRESULT result) { return static_cast<unsigned>(result); }

// Every object ever made stays listed until its last Release, so a pointer
// kept past a test reset still points at a live (if retired) object. Objects
// made before the last reset no longer count, nor keep the device open.
struct SoundState {
    int generation = 0;
    int audioUsers = 0;  // live objects of this generation
    std::vector<IUnknown*> objects;
};

SoundState& State();

void Retire() {
    SoundState& s = State();
    if (s.audioUsers > 0) CurrentHost().closeAudio();
    s.audioUsers = 0;
    ++s.generation;
}

SoundState& State() {
    static SoundState* state = [] {
        RegisterReset(&Retire);
        return new SoundState;
    }();
    return *state;
}

// Opens the device for the first user; false when there is none.
bool AddAudioUser() {
    SoundState& s = State();
    if (s.audioUsers == 0 && !CurrentHost().openAudio()) return false;
    ++s.audioUsers;
    return true;
}

// Reference counting, the object list, the live count and the device's users.
template <typename Interface>
class SoundObject : public Interface {
public:
    explicit SoundObject(const char* name) : name_(name), generation_(State().generation) {
        State().objects.push_back(this);
        if (Current()) Counters().comObjects += 1;
    }

    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }

    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left = --references_;
        if (left == 0) Destroy();
        return left;
    }

protected:
    virtual ~SoundObject() = default;

private:
    bool Current() const { return generation_ == State().generation; }

    void Destroy() {
        Trace("%s::Release() -> 0", name_);
        SoundState& s = State();
        for (size_t i = 0; i < s.objects.size(); ++i)
            if (s.objects[i] == this) {
                s.objects.erase(s.objects.begin() + static_cast<std::ptrdiff_t>(i));
                break;
            }
        if (Current()) {
            Counters().comObjects -= 1;
            if (--s.audioUsers == 0) CurrentHost().closeAudio();
        }
        delete this;
    }

    const char* const name_;
    const int generation_;
    ULONG references_ = 1;
};

// The host plays silence from the moment the device opens, so Play only checks.
class PrimaryBuffer final : public SoundObject<IDirectSoundBuffer> {
public:
    PrimaryBuffer() : SoundObject("IDirectSoundBuffer") {}

    HRESULT STDMETHODCALLTYPE Play(DWORD reserved, DWORD priority, DWORD flags) override {
        HRESULT result = DS_OK;
        if (Injected("IDirectSoundBuffer::Play"))
            result = DSERR_INVALIDCALL;
        else if (reserved != 0 || flags != DSBPLAY_LOOPING)  // a primary buffer only loops
            result = DSERR_INVALIDPARAM;
        else if (priority != 0)
            result = DSERR_INVALIDCALL;
        Trace("IDirectSoundBuffer::Play(%u, %u, 0x%x) -> 0x%x", reserved, priority, flags,
              Hex(result));
        return result;
    }
};

bool IsPrimaryDescription(const DSBUFFERDESC& desc) {
    return desc.dwSize == sizeof(DSBUFFERDESC) && desc.dwFlags == DSBCAPS_PRIMARYBUFFER &&
           desc.dwBufferBytes == 0 && !desc.lpwfxFormat;
}

class DirectSound final : public SoundObject<IDirectSound> {
public:
    DirectSound() : SoundObject("IDirectSound") {}

    HRESULT STDMETHODCALLTYPE CreateSoundBuffer(LPCDSBUFFERDESC desc, LPDIRECTSOUNDBUFFER* buffer,
                                                LPUNKNOWN outer) override {
        HRESULT result = MakeBuffer(desc, buffer, outer);
        Trace("IDirectSound::CreateSoundBuffer(%s) -> 0x%x",
              desc && IsPrimaryDescription(*desc) ? "primary" : "other", Hex(result));
        return result;
    }

    HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND window, DWORD level) override {
        HRESULT result = DS_OK;
        if (Injected("IDirectSound::SetCooperativeLevel") || !window ||
            level < DSSCL_NORMAL || level > kHighestLevel)
            result = DSERR_INVALIDPARAM;
        Trace("IDirectSound::SetCooperativeLevel(%p, %u) -> 0x%x", static_cast<void*>(window),
              level, Hex(result));
        return result;
    }

private:
    HRESULT MakeBuffer(LPCDSBUFFERDESC desc, LPDIRECTSOUNDBUFFER* buffer, LPUNKNOWN outer) {
        bool injected = Injected("IDirectSound::CreateSoundBuffer");
        if (!buffer) return DSERR_INVALIDPARAM;
        *buffer = nullptr;
        if (injected) return DSERR_ALLOCATED;
        if (outer) return kNoAggregation;
        if (!desc || !IsPrimaryDescription(*desc)) return DSERR_INVALIDPARAM;
        if (!AddAudioUser()) return DSERR_NODRIVER;
        *buffer = new PrimaryBuffer;
        return DS_OK;
    }
};

bool IsDefaultDevice(LPCGUID device) {
    if (!device) return true;
    if (device->Data1 || device->Data2 || device->Data3) return false;
    for (uint8_t byte : device->Data4)
        if (byte) return false;
    return true;
}

HRESULT CreateDirectSound(LPCGUID device, LPDIRECTSOUND* directSound, LPUNKNOWN outer) {
    bool injected = Injected("DirectSoundCreate");
    if (!directSound) return DSERR_INVALIDPARAM;
    *directSound = nullptr;
    if (injected) return DSERR_NODRIVER;
    if (outer) return kNoAggregation;
    if (!IsDefaultDevice(device)) return DSERR_NODRIVER;
    if (!AddAudioUser()) return DSERR_NODRIVER;
    *directSound = new DirectSound;
    return DS_OK;
}

}  // namespace
}  // namespace port

HRESULT WINAPI DirectSoundCreate(LPCGUID device, LPDIRECTSOUND* directSound, LPUNKNOWN outer) {
    HRESULT result = port::CreateDirectSound(device, directSound, outer);
    port::Trace("DirectSoundCreate(%s) -> 0x%x", device ? "device" : "default", port::Hex(result));
    return result;
}
