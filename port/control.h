// Test and tool access to the port: the trace, injected failures, live object
// counts and a fresh start. Linux only; the framework and game never include it.
#pragma once

#include <string>
#include <vector>

namespace port {

// Forgets every window, timer, message, surface, GDI object and device, and
// the trace and injected failures, so the next test starts on a fresh platform.
void ResetForTest();

// The trace of platform calls, one line per call, e.g. "WSAStartup(0x101) -> 0".
// Also written line by line to $VEXAR_TRACE when that is set.
void EnableTrace(bool on);
std::vector<std::string> TraceLines();
void ClearTrace();

// Makes the `nth` call (1-based, counted from now) of `function` fail, and
// `count` calls from there on (0: every later call).
// $VEXAR_FAIL takes the same as a list: "Flip@3x2,SetDisplayMode".
void FailCall(const std::string& function, int nth = 1, int count = 1);
void ClearFailures();
// How many times `function` has been called since the last reset.
int CallCount(const std::string& function);

// The highest Windows Sockets version WSAStartup offers (default 2.2); a
// request above it gets this version instead.
void SetSocketsVersion(int major, int minor);

// Objects alive now, for leak checks.
struct LiveCounts {
    int gdiObjects = 0;  // fonts, brushes, pens, bitmaps (stock objects excluded)
    int dcs = 0;         // device contexts of every kind
    int surfaces = 0;    // DirectDraw surfaces
    int comObjects = 0;  // DirectDraw, DirectInput and DirectSound objects and buffers
};
LiveCounts Live();

// The face name and height CreateFontA was asked for to make `font`, while
// it lives; false for anything else.
bool FontRequest(const void* font, std::string* faceName, int* height);

}  // namespace port
