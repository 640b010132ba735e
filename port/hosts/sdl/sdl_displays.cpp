#include "port/hosts/sdl/sdl_displays.h"

#include <cstdio>
#include <cstdlib>

#include "port/hosts/host_core.h"
#include "port/src/core.h"

namespace port {
namespace sdl {
namespace {

// The displays' names, empty for one SDL has no name for or that another
// display shares (Wayland's are often "none" or all alike).
std::vector<std::string> DisplayNames() {
    std::vector<std::string> names;
    const int count = SDL_GetNumVideoDisplays();
    for (int i = 0; i < count; ++i) {
        const char* name = SDL_GetDisplayName(i);
        std::string text = name && std::string(name) != "none" ? name : "";
        for (unsigned char c : text)
            if (c < 0x20 || c == 0x7f) text.clear();  // not for a line of window.conf
        names.push_back(text.size() <= kLongestDisplayName ? text : "");
    }
    for (size_t i = 0; i < names.size(); ++i) {
        bool shared = false;
        for (size_t j = 0; j < names.size(); ++j)
            if (j != i && !names[i].empty() && names[j] == names[i]) shared = true;
        if (shared) names[i].clear();
    }
    return names;
}

}  // namespace

int PickDisplay(const std::vector<std::string>& names, const WindowSettings& remembered, int forced) {
    const int count = static_cast<int>(names.size());
    if (forced >= 0 && forced < count) return forced;
    if (!remembered.displayName.empty())
        for (int i = 0; i < count; ++i)
            if (names[i] == remembered.displayName) return i;
    // A remembered name that no display has now: that display is gone.
    if (remembered.displayName.empty() && remembered.display >= 0 && remembered.display < count)
        return remembered.display;
    return 0;
}

int Displays::Choose(const WindowSettings& remembered) {
    const std::vector<std::string> names = DisplayNames();
    const int count = static_cast<int>(names.size());
    int forced = Settings().display;  // VEXAR_DISPLAY, read with the other settings
    if (forced >= count) {
        if (!said_)
            std::fprintf(stderr, "vexar: VEXAR_DISPLAY=%d: there is no such display (0 to %d); "
                         "using the remembered display\n", forced, count - 1);
        forced = -1;
    }
    said_ = true;
    return PickDisplay(names, remembered, forced);
}

void Displays::Remember(SDL_Window* window, WindowSettings* settings) {
    if (!window) return;
    const int index = SDL_GetWindowDisplayIndex(window);
    if (index < 0 || index >= kMostDisplays) return;
    const std::vector<std::string> names = DisplayNames();
    settings->display = index;
    settings->displayName = index < static_cast<int>(names.size()) ? names[index] : "";
}

}  // namespace sdl
}  // namespace port
