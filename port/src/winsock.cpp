// Windows Sockets start-up and clean-up: the version negotiation and the
// reference count of WSAStartup/WSACleanup, and nothing of the sockets.
// Called before main() and after it returns, by the game's global guards.
#include "port/include/winsock.h"

#include <cstring>

#include "port/control.h"
#include "port/src/core.h"

namespace port {
namespace {

constexpr int kNetworkDown = 10050;  // WSAENETDOWN

struct SocketsState {
    int startups = 0;  // WSAStartup calls not yet matched by a WSACleanup
    int lastError = 0;
    WORD highest = MAKEWORD(2, 2);
};

void Forget();

SocketsState& State() {
    static SocketsState* state = [] {
        RegisterReset(&Forget);
        return new SocketsState;
    }();
    return *state;
}

void Forget() { State() = SocketsState(); }

// Versions ordered by major, then minor (a WORD keeps the major in its low byte).
int Rank(WORD version) { return LOBYTE(version) * 256 + HIBYTE(version); }

void Fill(WSADATA* data, WORD version, WORD highest) {
    std::memset(data, 0, sizeof *data);
    data->wVersion = version;
    data->wHighVersion = highest;
    bool oneDotX = LOBYTE(version) == 1;
    data->iMaxSockets = oneDotX ? 32767 : 0;
    data->iMaxUdpDg = oneDotX ? 65467 : 0;
    std::strcpy(data->szDescription, "WinSock 2.0");
    std::strcpy(data->szSystemStatus, "Running");
}

int Startup(WORD requested, WSADATA* data) {
    if (Injected("WSAStartup")) return WSASYSNOTREADY;
    SocketsState& s = State();
    if (LOBYTE(requested) == 0) return WSAVERNOTSUPPORTED;
    if (!data) return WSAEFAULT;
    Fill(data, Rank(requested) < Rank(s.highest) ? requested : s.highest, s.highest);
    ++s.startups;
    return 0;
}

int Cleanup() {
    SocketsState& s = State();
    if (Injected("WSACleanup")) {
        s.lastError = kNetworkDown;
        return SOCKET_ERROR;
    }
    if (s.startups == 0) {
        s.lastError = WSANOTINITIALISED;
        return SOCKET_ERROR;
    }
    --s.startups;
    return 0;
}

}  // namespace

void SetSocketsVersion(int major, int minor) { State().highest = MAKEWORD(major, minor); }

}  // namespace port

int WINAPI WSAStartup(WORD versionRequested, LPWSADATA data) {
    int result = port::Startup(versionRequested, data);
    port::Trace("WSAStartup(%#x) -> %d", versionRequested, result);
    return result;
}

int WINAPI WSACleanup() {
    int result = port::Cleanup();
    port::Trace("WSACleanup() -> %d", result);
    return result;
}

int WINAPI WSAGetLastError() {
    port::Injected("WSAGetLastError");
    return port::State().lastError;
}
