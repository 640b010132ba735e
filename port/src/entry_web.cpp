// The browser build's main(): the game's frame loop yields to the browser
// (Asyncify), after which a plain return from main would be lost; exit() runs
// the exit destructors, as a return from main does, and hands the page the code.
#include <cstdlib>

#include "port/include/windows.h"

namespace port {
// The web host's (web_host.cpp): the message boxes the global objects showed
// before main, where the browser's runtime cannot wait for their dismissal,
// one after the other, as a desktop shows them before WinMain.
void ShowMessageBoxesHeldBeforeMain();
}  // namespace port

int main() {
    port::ShowMessageBoxesHeldBeforeMain();
    static char commandLine[] = "";
    std::exit(WinMain(GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOW));
}
