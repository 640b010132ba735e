// The numbers that this C++ and the page's JavaScript (web/web_host.js,
// web/web_pads.js) both use, written once: the browser build reads the
// `constexpr int` lines below and writes them, by the same names, into the
// JavaScript library vexar_shared.js as the object VexarShared
// (cmake/shared_numbers.cmake, which fails the build on a line it cannot read).
// Each number here is a plain whole number.
#pragma once

namespace port {
namespace shared {

// What presses a key (KeySources): the keyboard, the page's touch controls,
// then each game controller, a source of its own from kFirstPadSource on.
constexpr int kKeyboardSource = 0;
constexpr int kTouchSource = 1;
constexpr int kFirstPadSource = 2;

// The page's events, as its queue hands them to the web host.
constexpr int kPageNoEvent = 0;
constexpr int kPageKeyDown = 1;
constexpr int kPageKeyUp = 2;
constexpr int kPageFocusGained = 3;
constexpr int kPageFocusLost = 4;
// A page event's flags: this bit when Alt was held; the key's source above
// the low byte (flags = source * kPageSourceUnit + alt bit).
constexpr int kPageAltFlag = 2;
constexpr int kPageSourceUnit = 256;

// The game controller's buttons that play, by their index in the W3C standard
// layout (SDL's game controller buttons name the same places).
constexpr int kPadButtonSouth = 0;   // A / Cross
constexpr int kPadButtonEast = 1;    // B / Circle
constexpr int kPadButtonBack = 8;    // View / Select / Share
constexpr int kPadButtonStart = 9;   // Menu / Options
constexpr int kPadButtonLeft = 14;   // the d-pad's left
constexpr int kPadButtonRight = 15;  // the d-pad's right

}  // namespace shared
}  // namespace port
