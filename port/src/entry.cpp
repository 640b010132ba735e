// The program's main(): Windows starts a GUI program at WinMain.
#include "port/include/windows.h"

int main() {
    static char commandLine[] = "";
    return WinMain(GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOW);
}
