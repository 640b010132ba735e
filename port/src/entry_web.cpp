// The browser build's main(): the game's frame loop yields to the browser
// (Asyncify), after which a plain return from main would be lost; exit() runs
// the exit destructors, as a return from main does, and hands the page the code.
#include <cstdlib>

#include "port/include/windows.h"

int main() {
    static char commandLine[] = "";
    std::exit(WinMain(GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOW));
}
