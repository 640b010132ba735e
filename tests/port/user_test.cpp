// The window manager on the headless host: message order, timers on the
// virtual clock, activation, keys and window lifetime.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "port/control.h"
#include "port/hosts/headless/headless.h"
#include "port/src/host.h"
#include "port/include/dinput.h"
#include "port/include/windows.h"
#include "port/src/user.h"

namespace {

namespace headless = port::headless;

struct Seen {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<Seen> seen;
std::vector<std::string> order;  // listener calls and messages, interleaved
bool quitOnDestroy = true;
LRESULT createResult = 0;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    seen.push_back({message, wParam, lParam});
    if (message == WM_ACTIVATEAPP) order.push_back(wParam ? "WM_ACTIVATEAPP 1" : "WM_ACTIVATEAPP 0");
    if (message == WM_CREATE) return createResult;
    if (message == WM_DESTROY && quitOnDestroy) PostQuitMessage(0);
    if (message == WM_KEYDOWN && wParam == VK_ESCAPE) {
        SendMessageA(window, WM_CLOSE, 0, 0);
        return 0;
    }
    if (message == WM_KEYDOWN || message == WM_KEYUP || message == WM_TIMER) return 0;
    return DefWindowProcA(window, message, wParam, lParam);
}

void RecordActivation(bool active) { order.push_back(active ? "listener 1" : "listener 0"); }

bool WasSeen(UINT message) {
    for (const Seen& s : seen)
        if (s.message == message) return true;
    return false;
}

class UserTest : public ::testing::Test {
protected:
    void SetUp() override {
        port::ResetForTest();
        seen.clear();
        order.clear();
        quitOnDestroy = true;
        createResult = 0;
        port::AddActivationListener(&RecordActivation);
        WNDCLASSA wc = {};
        wc.lpfnWndProc = &RecordingProc;
        wc.lpszClassName = "VEXAR";
        ASSERT_NE(RegisterClassA(&wc), 0);
    }

    HWND Create() {
        return CreateWindowExA(0, "VEXAR", "VEXAR", WS_POPUPWINDOW, 0, 0, 640, 480, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    }

    HWND CreateShown() {
        HWND window = Create();
        EXPECT_NE(window, nullptr);
        ShowWindow(window, SW_SHOW);
        seen.clear();
        order.clear();
        return window;
    }

    static void Flips(int count) {
        for (int i = 0; i < count; ++i) port::CurrentHost().waitVerticalBlank();
    }
};

TEST_F(UserTest, CreationSendsCreateMessagesAndShowingActivates) {
    HWND window = Create();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(port::GameWindow(), window);
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen[0].message, static_cast<UINT>(WM_NCCREATE));
    EXPECT_EQ(seen[1].message, static_cast<UINT>(WM_CREATE));
    EXPECT_FALSE(port::AppActive());
    EXPECT_EQ(GetForegroundWindow(), nullptr);

    EXPECT_FALSE(ShowWindow(window, SW_SHOW));  // was hidden
    EXPECT_TRUE(port::AppActive());
    EXPECT_EQ(GetForegroundWindow(), window);
    EXPECT_EQ(order, (std::vector<std::string>{"listener 1", "WM_ACTIVATEAPP 1"}));
    EXPECT_NE(GetDesktopWindow(), nullptr);
    EXPECT_NE(GetDesktopWindow(), window);
}

TEST_F(UserTest, NoDisplayOrInjectedFailureGivesNoWindowAndNoMessages) {
    headless::SetDisplayAvailable(false);
    EXPECT_EQ(Create(), nullptr);
    headless::SetDisplayAvailable(true);
    port::FailCall("CreateWindowExA");
    EXPECT_EQ(Create(), nullptr);
    EXPECT_TRUE(seen.empty());
    EXPECT_EQ(port::GameWindow(), nullptr);
    EXPECT_NE(Create(), nullptr);  // the next call works again
}

TEST_F(UserTest, CreateRefusedByTheProcedureDestroysTheWindow) {
    createResult = -1;
    EXPECT_EQ(Create(), nullptr);
    EXPECT_TRUE(WasSeen(WM_DESTROY));
    EXPECT_TRUE(WasSeen(WM_NCDESTROY));
    EXPECT_EQ(port::GameWindow(), nullptr);
}

TEST_F(UserTest, ClassesAreRegisteredOnce) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &RecordingProc;
    wc.lpszClassName = "vexar";  // names compare without case
    EXPECT_EQ(RegisterClassA(&wc), 0);
    EXPECT_EQ(RegisterClassA(nullptr), 0);
    EXPECT_EQ(CreateWindowExA(0, "NOSUCH", "x", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr),
              nullptr);
}

TEST_F(UserTest, InputThenQuitThenTimer) {
    HWND window = CreateShown();
    SetTimer(window, 1, 1, nullptr);
    Flips(1);  // past the first expiry at 15625 us
    PostQuitMessage(7);
    headless::KeyDown(VK_RETURN, DIK_RETURN);

    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(msg.hwnd, window);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 7u);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_TIMER));
    EXPECT_EQ(msg.wParam, 1u);
    EXPECT_EQ(msg.hwnd, window);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(UserTest, KeysKeepTheirOrderAndRangeFiltersApply) {
    CreateShown();
    headless::KeyDown('A', 0x1E);
    headless::KeyUp('A', 0x1E);
    headless::KeyDown('B', 0x30);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_KEYUP, WM_KEYUP, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_KEYUP));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>('A'));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>('B'));
}

TEST_F(UserTest, NoRemoveLeavesTheMessageForGetMessage) {
    CreateShown();
    PostQuitMessage(3);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), 0);
    EXPECT_EQ(msg.wParam, 3u);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
}

TEST_F(UserTest, GetMessageIsZeroOnlyForQuitAndDispatchRunsTheProcedure) {
    CreateShown();
    headless::KeyDown(VK_SPACE, DIK_SPACE);
    MSG msg;
    EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), 1);
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_KEYDOWN));
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].wParam, static_cast<WPARAM>(VK_SPACE));
    PostQuitMessage(0);
    EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), 0);
}

TEST_F(UserTest, SendRunsTheProcedureBeforeReturning) {
    HWND window = CreateShown();
    EXPECT_EQ(SendMessageA(window, WM_NCCREATE, 0, 0), TRUE);  // DefWindowProcA's answer
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].message, static_cast<UINT>(WM_NCCREATE));
}

TEST_F(UserTest, CloseDestroysTheWindowInsideTheSend) {
    HWND window = CreateShown();
    SetTimer(window, 1, 1, nullptr);
    SendMessageA(window, WM_CLOSE, 0, 0);
    std::vector<UINT> messages;
    for (const Seen& s : seen) messages.push_back(s.message);
    EXPECT_EQ(messages, (std::vector<UINT>{WM_CLOSE, WM_ACTIVATEAPP, WM_DESTROY, WM_NCDESTROY}));
    EXPECT_EQ(port::GameWindow(), nullptr);
    EXPECT_FALSE(port::AppActive());

    // Gone for good: no more messages to it, its timer is dead, the quit is queued.
    seen.clear();
    EXPECT_EQ(SendMessageA(window, WM_CLOSE, 0, 0), 0);
    EXPECT_FALSE(DestroyWindow(window));
    EXPECT_TRUE(seen.empty());
    Flips(10);
    MSG msg;
    EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), 0);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(UserTest, EscapeKeyEndsALoopLikeTheGames) {
    CreateShown();
    headless::KeyDown(VK_ESCAPE, DIK_ESCAPE);
    MSG msg;
    int result = -1, dispatched = 0;
    for (int guard = 0; guard < 10; ++guard) {
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            WaitMessage();
            continue;
        }
        if (GetMessageA(&msg, nullptr, 0, 0) == 0) {
            result = static_cast<int>(msg.wParam);
            break;
        }
        DispatchMessageA(&msg);
        ++dispatched;
    }
    EXPECT_EQ(result, 0);
    EXPECT_EQ(dispatched, 1);
}

TEST_F(UserTest, HostQuitSendsClose) {
    CreateShown();
    headless::Quit();
    MSG msg;
    EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), 0);  // WM_DESTROY posted the quit
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen[0].message, static_cast<UINT>(WM_CLOSE));
    EXPECT_EQ(port::GameWindow(), nullptr);
}

TEST_F(UserTest, OneMillisecondTimerTicks64TimesAVirtualSecond) {
    HWND window = CreateShown();
    SetTimer(window, 1, 1, nullptr);
    MSG msg;
    int ticks = 0;
    std::vector<uint64_t> times;
    while (true) {
        ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), 1);
        if (headless::NowMicros() > 1000000) break;
        EXPECT_EQ(msg.message, static_cast<UINT>(WM_TIMER));
        ++ticks;
        times.push_back(headless::NowMicros());
    }
    EXPECT_EQ(ticks, 64);
    EXPECT_EQ(times.front(), 15625u);  // 10 ms, rounded up to the tick
    EXPECT_EQ(times.back(), 1000000u);
}

TEST_F(UserTest, LongerPeriodsFallOnTheTick) {
    HWND window = CreateShown();
    SetTimer(window, 9, 20, nullptr);
    MSG msg;
    std::vector<uint64_t> times;
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), 1);
        EXPECT_EQ(msg.wParam, 9u);
        times.push_back(headless::NowMicros());
    }
    EXPECT_EQ(times, (std::vector<uint64_t>{31250, 62500, 93750}));
}

TEST_F(UserTest, PeriodsBelowTenMillisecondsAreRaised) {
    HWND window = CreateShown();
    port::CurrentHost().waitEvent(10000);  // 5.6 ms before a tick
    SetTimer(window, 1, 1, nullptr);
    MSG msg;
    ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), 1);
    EXPECT_EQ(headless::NowMicros(), 31250u);  // 10 ms later, on the tick after
}

TEST_F(UserTest, ALateTimerGivesOneMessageAndKeepsItsCadence) {
    HWND window = CreateShown();
    SetTimer(window, 1, 1, nullptr);
    Flips(60);  // a whole second unread
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_TIMER));
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    const uint64_t now = headless::NowMicros();
    WaitMessage();
    EXPECT_GT(headless::NowMicros(), now);
    EXPECT_EQ(headless::NowMicros() % 15625, 0u);
    EXPECT_LE(headless::NowMicros() - now, 15625u);
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(UserTest, WaitMessageReturnsAtOnceWhenInputWaits) {
    CreateShown();
    headless::KeyDown(VK_SPACE, DIK_SPACE);
    EXPECT_TRUE(WaitMessage());
    EXPECT_EQ(headless::NowMicros(), 0u);
}

TEST_F(UserTest, FocusChangesNotifyListenersThenTheProcedure) {
    HWND window = CreateShown();
    headless::SetFocus(false);
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(order, (std::vector<std::string>{"listener 0", "WM_ACTIVATEAPP 0"}));
    EXPECT_FALSE(port::AppActive());
    EXPECT_EQ(GetForegroundWindow(), nullptr);

    headless::KeyDown(VK_SPACE, DIK_SPACE);  // the background window gets no keys
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));

    order.clear();
    headless::SetFocus(true);
    WaitMessage();  // the focus change wakes it
    EXPECT_EQ(order, (std::vector<std::string>{"listener 1", "WM_ACTIVATEAPP 1"}));
    EXPECT_EQ(GetForegroundWindow(), window);
}

TEST_F(UserTest, ShowingWithoutTheFocusDoesNotActivate) {
    HWND window = Create();
    headless::SetFocus(false);
    ShowWindow(window, SW_SHOW);
    EXPECT_FALSE(port::AppActive());
    EXPECT_FALSE(WasSeen(WM_ACTIVATEAPP));
    headless::SetFocus(true);
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
    EXPECT_TRUE(port::AppActive());
}

TEST_F(UserTest, KeyMessagesCarryScanCodesAndRepeatBits) {
    CreateShown();
    headless::KeyDown(VK_SPACE, DIK_SPACE);
    headless::KeyDown(VK_SPACE, DIK_SPACE, true);
    headless::KeyUp(VK_SPACE, DIK_SPACE);
    headless::KeyDown(VK_LEFT, DIK_LEFT);
    MSG m[4];
    for (MSG& msg : m) ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m[0].message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(static_cast<uint32_t>(m[0].lParam), 0x00390001u);
    EXPECT_EQ(m[1].message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(static_cast<uint32_t>(m[1].lParam), 0x40390001u);
    EXPECT_EQ(m[2].message, static_cast<UINT>(WM_KEYUP));
    EXPECT_EQ(static_cast<uint32_t>(m[2].lParam), 0xC0390001u);
    EXPECT_EQ(m[3].wParam, static_cast<WPARAM>(VK_LEFT));
    EXPECT_EQ(static_cast<uint32_t>(m[3].lParam), 0x014B0001u);  // extended key
    EXPECT_TRUE(port::CurrentHost().keyDown(DIK_LEFT));
    EXPECT_FALSE(port::CurrentHost().keyDown(DIK_SPACE));
}

// With Alt held a key is a system key, as on Windows: Alt+Enter never
// reaches the procedure as WM_KEYDOWN, and Alt+F4 left to DefWindowProcA closes.
TEST_F(UserTest, KeysWithAltHeldAreSystemKeys) {
    HWND window = CreateShown();
    headless::SetAltHeld(true);
    headless::KeyDown(VK_RETURN, DIK_RETURN);
    headless::KeyUp(VK_RETURN, DIK_RETURN);
    headless::SetAltHeld(false);
    headless::KeyDown(VK_RETURN, DIK_RETURN);
    MSG m[3];
    for (MSG& msg : m) ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m[0].message, static_cast<UINT>(WM_SYSKEYDOWN));
    EXPECT_EQ(static_cast<uint32_t>(m[0].lParam), 0x201C0001u);  // context code: Alt
    EXPECT_EQ(m[1].message, static_cast<UINT>(WM_SYSKEYUP));
    EXPECT_EQ(static_cast<uint32_t>(m[1].lParam), 0xE01C0001u);
    EXPECT_EQ(m[2].message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(static_cast<uint32_t>(m[2].lParam), 0x001C0001u);

    EXPECT_EQ(DefWindowProcA(window, WM_SYSKEYDOWN, VK_RETURN, m[0].lParam), 0);
    EXPECT_EQ(port::GameWindow(), window);
    seen.clear();
    DefWindowProcA(window, WM_SYSKEYDOWN, VK_F4, 0x203E0001);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen[0].message, static_cast<UINT>(WM_CLOSE));
    EXPECT_EQ(port::GameWindow(), nullptr);
}

TEST_F(UserTest, MessageBoxesAreRecordedAndWrittenToStderr) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBoxA(nullptr, "Couldnt Create DirectX Object! Error: Terminating!", "Error!!!",
                          MB_ICONERROR),
              IDOK);
    EXPECT_EQ(MessageBoxA(nullptr, "Error Setting Display Mode", nullptr, MB_ICONERROR), IDOK);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err,
              "vexar: Error!!!: Couldnt Create DirectX Object! Error: Terminating!\n"
              "vexar: Error: Error Setting Display Mode\n");
    auto boxes = headless::MessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].caption, "Error!!!");
    EXPECT_EQ(boxes[0].style, static_cast<unsigned>(MB_ICONERROR));
    EXPECT_EQ(boxes[1].caption, "");
    EXPECT_EQ(boxes[1].text, "Error Setting Display Mode");
}

TEST_F(UserTest, CursorCountAndKernelCalls) {
    EXPECT_EQ(ShowCursor(FALSE), -1);
    EXPECT_EQ(ShowCursor(FALSE), -2);
    EXPECT_EQ(ShowCursor(TRUE), -1);
    EXPECT_NE(GetModuleHandleA(nullptr), nullptr);
    EXPECT_EQ(GetModuleHandleA(nullptr), GetModuleHandleA(nullptr));
    EXPECT_EQ(GetModuleHandleA("other.dll"), nullptr);
}

TEST_F(UserTest, CallsAreTraced) {
    port::EnableTrace(true);
    HWND window = CreateShown();
    SetTimer(window, 1, 1, nullptr);
    SendMessageA(window, WM_CLOSE, 0, 0);
    std::string all;
    for (const std::string& line : port::TraceLines()) all += line + "\n";
    EXPECT_NE(all.find("CreateWindowExA(\"VEXAR\""), std::string::npos) << all;
    EXPECT_NE(all.find("SetTimer("), std::string::npos) << all;
    EXPECT_NE(all.find("DestroyWindow("), std::string::npos) << all;
    EXPECT_NE(all.find("SendMessageA("), std::string::npos) << all;
    EXPECT_NE(all.find("PostQuitMessage(0)"), std::string::npos) << all;
    port::EnableTrace(false);
}

}  // namespace

// ---- The clock and timed waits ------------------------------------------------------

namespace {

void DispatchWaiting() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

TEST_F(UserTest, PerformanceCounterReadsTheHostsClockInMicroseconds) {
    LARGE_INTEGER frequency, count;
    ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
    EXPECT_EQ(frequency.QuadPart, 1000000);
    Flips(2);
    ASSERT_TRUE(QueryPerformanceCounter(&count));
    EXPECT_EQ(count.QuadPart, 33334);
    EXPECT_FALSE(QueryPerformanceCounter(nullptr));
}

TEST_F(UserTest, MsgWaitSleepsItsTimeOrUntilAMessage) {
    HWND window = CreateShown();
    DispatchWaiting();
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 7, QS_ALLINPUT),
              static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(headless::NowMicros(), 7000u);

    // A timer's expiry ends the wait early: 10 ms at least, on the system tick.
    SetTimer(window, 1, 1, nullptr);
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT),
              static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(headless::NowMicros(), 31250u);
    DispatchWaiting();

    // A key already waiting: at once.
    headless::KeyDown(VK_SPACE, DIK_SPACE);
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT),
              static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(headless::NowMicros(), 31250u);

    // There are no kernel objects to wait on.
    HANDLE none = nullptr;
    EXPECT_EQ(MsgWaitForMultipleObjects(1, &none, FALSE, 5, QS_ALLINPUT), WAIT_FAILED);
    EXPECT_EQ(timeBeginPeriod(0), static_cast<MMRESULT>(TIMERR_NOCANDO));
    EXPECT_EQ(timeBeginPeriod(1), static_cast<MMRESULT>(TIMERR_NOERROR));
}

}  // namespace
