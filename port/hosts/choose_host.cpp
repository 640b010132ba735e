// Picks the host for $VEXAR_HOST: the one place that knows every host.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "port/hosts/host_core.h"
#include "port/src/host.h"

namespace port {

// Each host fills its table in its own file.
const Host& SdlHost();
const Host& HeadlessHost();
const Host& WebHost();

namespace {

// The hosts by name, the default first. In the browser there is one host.
using HostFunction = const Host& (*)();
constexpr HostFunction kHosts[] = {
#ifdef __EMSCRIPTEN__
    &WebHost,
#else
    &SdlHost,
    &HeadlessHost,
#endif
};

const Host* ChooseHost() {
    const std::string& name = Settings().host;
    const Host* chosen = &kHosts[0]();
    std::string names;
    for (HostFunction host : kHosts) {
        if (name == host().name) chosen = &host();
        names += std::string(names.empty() ? "" : ", ") + host().name;
    }
    if (!name.empty() && name != chosen->name)
        std::fprintf(stderr, "vexar: unknown VEXAR_HOST '%s' (%s); using %s\n", name.c_str(),
                     names.c_str(), chosen->name);
    if (const char* missing = MissingOperation(*chosen)) {
        std::fprintf(stderr, "vexar: the %s host has no %s operation\n", chosen->name, missing);
        std::abort();
    }
    return chosen;
}

}  // namespace

const char* MissingOperation(const Host& host) {
    // One line for each of Host's members: a member added there and not here
    // fails this check of the table's size.
    using Operation = void (*)();
    static_assert(sizeof(Host) == sizeof(const char*) + 14 * sizeof(Operation),
                  "every member of Host is checked below");
    if (!host.name || !*host.name) return "name";
    if (!host.openWindow) return "openWindow";
    if (!host.closeWindow) return "closeWindow";
    if (!host.desktopBitsPerPixel) return "desktopBitsPerPixel";
    if (!host.present) return "present";
    if (!host.waitVerticalBlank) return "waitVerticalBlank";
    if (!host.pollEvent) return "pollEvent";
    if (!host.waitEvent) return "waitEvent";
    if (!host.now) return "now";
    if (!host.keyDown) return "keyDown";
    if (!host.openAudio) return "openAudio";
    if (!host.closeAudio) return "closeAudio";
    if (!host.messageBox) return "messageBox";
    if (!host.showCursor) return "showCursor";
    if (!host.letSystemRun) return "letSystemRun";
    return nullptr;
}

std::vector<const Host*> AllHosts() {
    std::vector<const Host*> hosts;
    for (HostFunction host : kHosts) hosts.push_back(&host());
    return hosts;
}

const Host& CurrentHost() {
    static const Host* host = ChooseHost();
    return *host;
}

}  // namespace port
