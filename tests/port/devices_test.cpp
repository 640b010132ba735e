// DirectInput's keyboard, DirectSound's primary buffer and the sockets
// library's start-up count, on the headless host.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "port/control.h"
#include "port/hosts/headless/headless.h"
#include "port/include/dinput.h"
#include "port/include/dsound.h"
#include "port/include/winsock.h"
#include "port/include/windows.h"
#include "port/src/user.h"
#include "tests/lib/test_window.h"

namespace {

HINSTANCE Instance() { return reinterpret_cast<HINSTANCE>(0x400000); }

HWND OpenGameWindow() {
    return OpenTestWindow(DefWindowProcA, "DEVICES", "DEVICES", WS_POPUPWINDOW, Instance());
}

class DevicesTest : public ::testing::Test {
protected:
    void SetUp() override { port::ResetForTest(); }
};

// ---- DirectInput ---------------------------------------------------------------

class KeyboardTest : public DevicesTest {
protected:
    void SetUp() override {
        DevicesTest::SetUp();
        ASSERT_EQ(DI_OK, DirectInputCreateA(Instance(), 0x0700, &input, nullptr));
        ASSERT_EQ(DI_OK, input->CreateDevice(GUID_SysKeyboard, &keyboard, nullptr));
    }
    void TearDown() override {
        if (keyboard) keyboard->Release();
        if (input) input->Release();
        EXPECT_EQ(0, port::Live().comObjects);
    }
    // Formats, joins the window in the foreground and acquires.
    void Open(HWND window, DWORD flags) {
        ASSERT_EQ(DI_OK, keyboard->SetDataFormat(&c_dfDIKeyboard));
        ASSERT_EQ(DI_OK, keyboard->SetCooperativeLevel(window, flags));
        ASSERT_EQ(DI_OK, keyboard->Acquire());
    }
    std::vector<BYTE> Read(HRESULT* result) {
        std::vector<BYTE> state(256, 0x55);
        *result = keyboard->GetDeviceState(256, state.data());
        return state;
    }

    IDirectInput* input = nullptr;
    IDirectInputDevice* keyboard = nullptr;
};

TEST_F(DevicesTest, DirectInputAcceptsTheReleasedVersionsUpToSeven) {
    struct Case {
        DWORD version;
        HRESULT expected;
    } cases[] = {{0x0700, DI_OK},
                 {0x0300, DI_OK},
                 {0x0500, DI_OK},
                 {0x061A, DI_OK},
                 {0x0701, DIERR_OLDDIRECTINPUTVERSION},
                 {0x0800, DIERR_OLDDIRECTINPUTVERSION},
                 {0x0650, DIERR_BETADIRECTINPUTVERSION},
                 {0x0100, DIERR_BETADIRECTINPUTVERSION},
                 {0, DIERR_NOTINITIALIZED}};
    for (const Case& c : cases) {
        IDirectInput* input = reinterpret_cast<IDirectInput*>(0x1);
        HRESULT result = DirectInputCreateA(Instance(), c.version, &input, nullptr);
        EXPECT_EQ(c.expected, result) << "version " << std::hex << c.version;
        if (result == DI_OK) {
            ASSERT_NE(nullptr, input);
            EXPECT_EQ(1, port::Live().comObjects);
            EXPECT_EQ(0u, input->Release());
        } else {
            EXPECT_EQ(nullptr, input) << "version " << std::hex << c.version;
        }
        EXPECT_EQ(0, port::Live().comObjects);
    }
    IDirectInput* input = nullptr;
    EXPECT_EQ(DIERR_INVALIDPARAM, DirectInputCreateA(nullptr, 0x0700, &input, nullptr));
    EXPECT_EQ(nullptr, input);
}

TEST_F(DevicesTest, KeyboardFormatAndGuidHaveTheirSdkValues) {
    EXPECT_EQ(0x6F1D2B61u, GUID_SysKeyboard.Data1);
    EXPECT_EQ(0xD5A0u, GUID_SysKeyboard.Data2);
    EXPECT_EQ(0x11CFu, GUID_SysKeyboard.Data3);
    EXPECT_EQ(0xBFu, GUID_SysKeyboard.Data4[0]);
    EXPECT_EQ(sizeof(DIDATAFORMAT), c_dfDIKeyboard.dwSize);
    EXPECT_EQ(sizeof(DIOBJECTDATAFORMAT), c_dfDIKeyboard.dwObjSize);
    EXPECT_EQ(2u, c_dfDIKeyboard.dwFlags);  // DIDF_RELAXIS
    EXPECT_EQ(256u, c_dfDIKeyboard.dwDataSize);
    ASSERT_EQ(256u, c_dfDIKeyboard.dwNumObjs);
    for (DWORD i = 0; i < 256; ++i) {
        const DIOBJECTDATAFORMAT& key = c_dfDIKeyboard.rgodf[i];
        ASSERT_EQ(i, key.dwOfs);
        ASSERT_EQ(0x8000000Cu | (i << 8), key.dwType);  // optional button, instance i
        ASSERT_NE(nullptr, key.pguid);
        ASSERT_EQ(0x55728220u, key.pguid->Data1);  // GUID_Key
    }
}

TEST_F(DevicesTest, OnlyTheSystemKeyboardIsADevice) {
    IDirectInput* input = nullptr;
    ASSERT_EQ(DI_OK, DirectInputCreateA(Instance(), 0x0700, &input, nullptr));
    GUID mouse = GUID_SysKeyboard;
    mouse.Data1 = 0x6F1D2B60;  // GUID_SysMouse
    IDirectInputDevice* device = reinterpret_cast<IDirectInputDevice*>(0x1);
    EXPECT_EQ(DIERR_DEVICENOTREG, input->CreateDevice(mouse, &device, nullptr));
    EXPECT_EQ(nullptr, device);
    ASSERT_EQ(DI_OK, input->CreateDevice(GUID_SysKeyboard, &device, nullptr));
    EXPECT_EQ(2, port::Live().comObjects);
    device->Release();
    input->Release();
    EXPECT_EQ(0, port::Live().comObjects);
}

TEST_F(KeyboardTest, RefusesToBeReadUntilFormattedAndAcquired) {
    HRESULT result;
    Read(&result);
    EXPECT_EQ(DIERR_NOTACQUIRED, result);
    EXPECT_EQ(DIERR_INVALIDPARAM, keyboard->Acquire());  // no data format yet

    DIDATAFORMAT small = c_dfDIKeyboard;
    small.dwDataSize = 16;
    EXPECT_EQ(DIERR_INVALIDPARAM, keyboard->SetDataFormat(&small));
    EXPECT_EQ(DIERR_INVALIDPARAM, keyboard->SetDataFormat(nullptr));
    HWND window = OpenGameWindow();
    EXPECT_EQ(DIERR_INVALIDPARAM,
              keyboard->SetCooperativeLevel(window, DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE));
    EXPECT_EQ(DIERR_INVALIDPARAM, keyboard->SetCooperativeLevel(window, DISCL_FOREGROUND));

    Open(window, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND);
    EXPECT_EQ(DI_NOEFFECT, keyboard->Acquire());
    EXPECT_EQ(DIERR_ACQUIRED, keyboard->SetDataFormat(&c_dfDIKeyboard));
    BYTE state[256];
    EXPECT_EQ(DIERR_INVALIDPARAM, keyboard->GetDeviceState(255, state));
    EXPECT_EQ(DI_OK, keyboard->GetDeviceState(256, state));
    EXPECT_EQ(DI_OK, keyboard->Unacquire());
    EXPECT_EQ(DI_NOEFFECT, keyboard->Unacquire());
    EXPECT_EQ(DIERR_NOTACQUIRED, keyboard->GetDeviceState(256, state));
}

TEST_F(KeyboardTest, StateFollowsTheHostsKeysWithBitSeven) {
    Open(OpenGameWindow(), DISCL_NONEXCLUSIVE | DISCL_FOREGROUND);
    port::headless::KeyDown(VK_RIGHT, DIK_RIGHT);
    port::headless::KeyDown(VK_LEFT, DIK_LEFT);
    HRESULT result;
    std::vector<BYTE> state = Read(&result);
    ASSERT_EQ(DI_OK, result);
    for (int key = 0; key < 256; ++key) {
        BYTE expected = key == DIK_RIGHT || key == DIK_LEFT ? 0x80 : 0;
        ASSERT_EQ(expected, state[key]) << "key " << key;
    }
    port::headless::KeyUp(VK_RIGHT, DIK_RIGHT);
    state = Read(&result);
    EXPECT_EQ(0, state[DIK_RIGHT]);
    EXPECT_EQ(0x80, state[DIK_LEFT]);
}

TEST_F(KeyboardTest, ForegroundDeviceIsTakenAwayWithTheForeground) {
    Open(OpenGameWindow(), DISCL_NONEXCLUSIVE | DISCL_FOREGROUND);
    port::headless::KeyDown(VK_RIGHT, DIK_RIGHT);
    port::headless::SetFocus(false);
    DispatchWaitingMessages();
    ASSERT_FALSE(port::AppActive());

    HRESULT result;
    Read(&result);
    EXPECT_EQ(DIERR_INPUTLOST, result);
    Read(&result);
    EXPECT_EQ(DIERR_NOTACQUIRED, result);
    EXPECT_EQ(DIERR_OTHERAPPHASPRIO, keyboard->Acquire());
    Read(&result);
    EXPECT_EQ(DIERR_NOTACQUIRED, result);

    port::headless::SetFocus(true);
    DispatchWaitingMessages();
    Read(&result);
    EXPECT_EQ(DIERR_NOTACQUIRED, result) << "nothing acquires the device but the program";
    ASSERT_EQ(DI_OK, keyboard->Acquire());
    std::vector<BYTE> state = Read(&result);
    ASSERT_EQ(DI_OK, result);
    EXPECT_EQ(0x80, state[DIK_RIGHT]) << "a key held all along is seen again";
}

TEST_F(KeyboardTest, BackgroundDeviceKeepsReading) {
    Open(OpenGameWindow(), DISCL_NONEXCLUSIVE | DISCL_BACKGROUND);
    port::headless::SetFocus(false);
    DispatchWaitingMessages();
    HRESULT result;
    Read(&result);
    EXPECT_EQ(DI_OK, result);
}

// ---- DirectSound ---------------------------------------------------------------

DSBUFFERDESC PrimaryDescription() {
    DSBUFFERDESC desc = {};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DSBCAPS_PRIMARYBUFFER;
    return desc;
}

TEST_F(DevicesTest, NoAudioDeviceMeansNoDirectSound) {
    port::headless::SetAudioAvailable(false);
    IDirectSound* sound = reinterpret_cast<IDirectSound*>(0x1);
    EXPECT_EQ(DSERR_NODRIVER, DirectSoundCreate(nullptr, &sound, nullptr));
    EXPECT_EQ(nullptr, sound);
    EXPECT_EQ(0, port::Live().comObjects);
}

TEST_F(DevicesTest, PrimaryBufferIsCreatedAndLoops) {
    IDirectSound* sound = nullptr;
    ASSERT_EQ(DS_OK, DirectSoundCreate(nullptr, &sound, nullptr));
    EXPECT_EQ(DS_OK, sound->SetCooperativeLevel(GetDesktopWindow(), DSSCL_PRIORITY));
    EXPECT_EQ(DSERR_INVALIDPARAM, sound->SetCooperativeLevel(nullptr, DSSCL_PRIORITY));
    EXPECT_EQ(DSERR_INVALIDPARAM, sound->SetCooperativeLevel(GetDesktopWindow(), 0));

    IDirectSoundBuffer* buffer = nullptr;
    DSBUFFERDESC wrong = PrimaryDescription();
    wrong.dwSize = 20;
    EXPECT_EQ(DSERR_INVALIDPARAM, sound->CreateSoundBuffer(&wrong, &buffer, nullptr));
    wrong = PrimaryDescription();
    wrong.dwBufferBytes = 4096;
    EXPECT_EQ(DSERR_INVALIDPARAM, sound->CreateSoundBuffer(&wrong, &buffer, nullptr));
    wrong = PrimaryDescription();
    wrong.dwFlags = 0;
    EXPECT_EQ(DSERR_INVALIDPARAM, sound->CreateSoundBuffer(&wrong, &buffer, nullptr));
    EXPECT_EQ(nullptr, buffer);

    DSBUFFERDESC desc = PrimaryDescription();
    ASSERT_EQ(DS_OK, sound->CreateSoundBuffer(&desc, &buffer, nullptr));
    EXPECT_EQ(2, port::Live().comObjects);
    EXPECT_EQ(DSERR_INVALIDPARAM, buffer->Play(0, 0, 0));  // a primary buffer only loops
    EXPECT_EQ(DS_OK, buffer->Play(0, 0, DSBPLAY_LOOPING));
    buffer->Release();
    sound->Release();
    EXPECT_EQ(0, port::Live().comObjects);
}

TEST_F(DevicesTest, AudioDeviceStaysOpenUntilTheLastObjectGoes) {
    IDirectSound* sound = nullptr;
    ASSERT_EQ(DS_OK, DirectSoundCreate(nullptr, &sound, nullptr));
    DSBUFFERDESC desc = PrimaryDescription();
    IDirectSoundBuffer* buffer = nullptr;
    ASSERT_EQ(DS_OK, sound->CreateSoundBuffer(&desc, &buffer, nullptr));

    // With the device already open, a second object needs no new device.
    port::headless::SetAudioAvailable(false);
    IDirectSound* second = nullptr;
    ASSERT_EQ(DS_OK, DirectSoundCreate(nullptr, &second, nullptr));
    second->Release();
    sound->Release();
    ASSERT_EQ(DS_OK, DirectSoundCreate(nullptr, &second, nullptr)) << "the buffer holds the device";
    second->Release();
    buffer->Release();
    // Everything gone: the device was closed, and cannot be opened again.
    EXPECT_EQ(DSERR_NODRIVER, DirectSoundCreate(nullptr, &second, nullptr));
    EXPECT_EQ(0, port::Live().comObjects);
}

// ---- Windows Sockets -------------------------------------------------------------

TEST_F(DevicesTest, StartupNegotiatesTheVersion) {
    WSADATA data = {};
    ASSERT_EQ(0, WSAStartup(MAKEWORD(1, 1), &data));
    EXPECT_EQ(MAKEWORD(1, 1), data.wVersion);
    EXPECT_EQ(MAKEWORD(2, 2), data.wHighVersion);
    EXPECT_STREQ("Running", data.szSystemStatus);
    ASSERT_EQ(0, WSAStartup(MAKEWORD(3, 0), &data));
    EXPECT_EQ(MAKEWORD(2, 2), data.wVersion);
    ASSERT_EQ(0, WSAStartup(MAKEWORD(2, 3), &data));
    EXPECT_EQ(MAKEWORD(2, 2), data.wVersion);
    EXPECT_EQ(WSAVERNOTSUPPORTED, WSAStartup(MAKEWORD(0, 9), &data));
    EXPECT_EQ(WSAEFAULT, WSAStartup(MAKEWORD(1, 1), nullptr));

    port::SetSocketsVersion(1, 0);
    ASSERT_EQ(0, WSAStartup(MAKEWORD(1, 1), &data));
    EXPECT_EQ(MAKEWORD(1, 0), data.wVersion);
    EXPECT_EQ(MAKEWORD(1, 0), data.wHighVersion);
}

TEST_F(DevicesTest, CleanupCountsAgainstStartups) {
    port::EnableTrace(true);
    EXPECT_EQ(SOCKET_ERROR, WSACleanup());
    EXPECT_EQ(WSANOTINITIALISED, WSAGetLastError());
    WSADATA data;
    ASSERT_EQ(0, WSAStartup(MAKEWORD(1, 1), &data));
    ASSERT_EQ(0, WSAStartup(MAKEWORD(1, 1), &data));
    EXPECT_EQ(WSAVERNOTSUPPORTED, WSAStartup(MAKEWORD(0, 1), &data));  // not counted
    EXPECT_EQ(0, WSACleanup());
    EXPECT_EQ(0, WSACleanup());
    EXPECT_EQ(SOCKET_ERROR, WSACleanup());

    std::vector<std::string> calls;
    for (const std::string& line : port::TraceLines())
        if (line.rfind("WSA", 0) == 0) calls.push_back(line);
    std::vector<std::string> expected = {
        "WSACleanup() -> -1",      "WSAStartup(0x101) -> 0", "WSAStartup(0x101) -> 0",
        "WSAStartup(0x100) -> 10092", "WSACleanup() -> 0",   "WSACleanup() -> 0",
        "WSACleanup() -> -1"};
    EXPECT_EQ(expected, calls);
    port::EnableTrace(false);
}

}  // namespace
