// Picks the host for $VEXAR_HOST: the one place that knows every host.
#include "port/src/host.h"

#include <cstdio>
#include <string>

#include "port/src/core.h"

namespace port {

// Each host defines its table in its own file.
const Host& SdlHost();
const Host& HeadlessHost();
const Host& WebHost();

namespace {

#ifdef __EMSCRIPTEN__
// In the browser there is one host, and no environment to choose by.
const Host* ChooseHost() { return &WebHost(); }
#else
const Host* ChooseHost() {
    std::string name = Env("VEXAR_HOST");
    if (name == "headless") return &HeadlessHost();
    if (!name.empty() && name != "sdl")
        std::fprintf(stderr, "vexar: unknown VEXAR_HOST '%s' (sdl or headless); using sdl\n",
                     name.c_str());
    return &SdlHost();
}
#endif

}  // namespace

const Host& CurrentHost() {
    static const Host* host = ChooseHost();
    return *host;
}

}  // namespace port
