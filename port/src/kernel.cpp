// The kernel calls: the program's instance handle, debugger output (to stderr
// here), the performance counter on the host's clock, and winmm's timer resolution.
#include <cstdio>
#include <cstring>

#include "port/include/windows.h"
#include "port/src/core.h"
#include "port/src/host.h"

namespace {

// The classic load address of a Windows program, as its instance handle.
constexpr uintptr_t kProgramInstance = 0x400000;

// The host's clock counts microseconds.
constexpr LONGLONG kCounterFrequency = 1000000;

}  // namespace

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName) {
    if (port::Injected("GetModuleHandleA")) return nullptr;
    // Only the program itself is loaded: any other name is ERROR_MOD_NOT_FOUND.
    if (moduleName) return nullptr;
    return reinterpret_cast<HMODULE>(kProgramInstance);
}

void WINAPI OutputDebugStringA(LPCSTR text) {
    port::Injected("OutputDebugStringA");
    if (!text) return;
    size_t length = std::strlen(text);
    const char* newline = length > 0 && text[length - 1] == '\n' ? "" : "\n";
    std::fprintf(stderr, "%s%s", text, newline);
    port::Trace("OutputDebugStringA(\"%.*s\")", static_cast<int>(length - (*newline ? 0 : 1)), text);
}

BOOL WINAPI QueryPerformanceCounter(LARGE_INTEGER* count) {
    if (port::Injected("QueryPerformanceCounter") || !count) return FALSE;
    count->QuadPart = static_cast<LONGLONG>(port::CurrentHost().now());
    return TRUE;
}

BOOL WINAPI QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
    if (port::Injected("QueryPerformanceFrequency") || !frequency) return FALSE;
    frequency->QuadPart = kCounterFrequency;
    return TRUE;
}

// Timed waits here already keep to the microsecond: only the request is checked.
MMRESULT WINAPI timeBeginPeriod(UINT period) {
    const bool refused = port::Injected("timeBeginPeriod") || period == 0;
    const MMRESULT result = refused ? TIMERR_NOCANDO : TIMERR_NOERROR;
    port::Trace("timeBeginPeriod(%u) -> %u", period, result);
    return result;
}
