// The kernel calls: the program's instance handle and debugger output, which
// goes to stderr here.
#include <cstdio>
#include <cstring>

#include "port/include/windows.h"
#include "port/src/core.h"

namespace {

// The classic load address of a Windows program, as its instance handle.
constexpr uintptr_t kProgramInstance = 0x400000;

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
