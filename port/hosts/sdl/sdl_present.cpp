#include "port/hosts/sdl/sdl_present.h"

#include "port/hosts/host_core.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace port {
namespace {

constexpr int kVsyncSamples = 20;
constexpr uint64_t kQuickFrameMicros = kFrameMicros / 2;

uint64_t Micros() { return SDL_GetPerformanceCounter() * 1000000 / SDL_GetPerformanceFrequency(); }

// Adds "WHAT: WHY" to the list of ways that failed.
void Note(std::string* failed, const std::string& what, const char* why) {
    if (!failed->empty()) *failed += "; ";
    *failed += what + ": " + (why && *why ? why : "failed");
}

int DriverIndex(const std::string& name) {
    for (int i = 0; i < SDL_GetNumRenderDrivers(); ++i) {
        SDL_RendererInfo info;
        if (SDL_GetRenderDriverInfo(i, &info) == 0 && name == info.name) return i;
    }
    return -2;
}

}  // namespace

Uint32 SdlFormatOfDepth(int bits) {
    if (bits == 16) return SDL_PIXELFORMAT_RGB565;
    if (bits == 24) return SDL_PIXELFORMAT_BGR24;
    return SDL_PIXELFORMAT_RGB888;
}

void SetRendererScaling(SDL_Renderer* renderer, ScaleMode mode, int width, int height) {
    int w = 0, h = 0;
    if (SDL_GetRendererOutputSize(renderer, &w, &h) != 0) return;
    if (mode == ScaleMode::Stretch) {
        SDL_RenderSetLogicalSize(renderer, 0, 0);
        SDL_RenderSetViewport(renderer, nullptr);
        SDL_RenderSetScale(renderer, 1.0f, 1.0f);
        return;
    }
    const bool whole = mode == ScaleMode::Integer && w >= width && h >= height;
    SDL_RenderSetIntegerScale(renderer, whole ? SDL_TRUE : SDL_FALSE);
    SDL_RenderSetLogicalSize(renderer, width, height);
}

bool RendererIsSoftware(SDL_Renderer* renderer) {
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(renderer, &info) != 0) return true;
    if (info.flags & SDL_RENDERER_SOFTWARE) return true;
    if (std::strncmp(info.name, "opengl", 6) != 0) return false;
    using GetString = const unsigned char* (*)(unsigned);
    auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    const unsigned kGlRenderer = 0x1F01;
    const char* name = getString ? reinterpret_cast<const char*>(getString(kGlRenderer)) : nullptr;
    if (!name) return true;
    for (const char* soft : {"llvmpipe", "softpipe", "Software", "swrast"})
        if (std::strstr(name, soft)) return true;
    return false;
}

bool SdlPresenter::OpenRenderer(int driver, Uint32 flags) {
    renderer_ = SDL_CreateRenderer(window_, driver, flags);
    if (!renderer_) return false;
    SDL_RendererInfo info;
    vsync_ = SDL_GetRendererInfo(renderer_, &info) == 0 && (info.flags & SDL_RENDERER_PRESENTVSYNC);
    return true;
}

// Says which way shows the frames when the first one tried failed.
void SdlPresenter::SayFallback(const std::string& failed) const {
    if (failed.empty()) return;
    if (renderer_ || surfaceWorks_)
        std::fprintf(stderr, "vexar: showing frames through %s (%s)\n", Name(), failed.c_str());
    else
        std::fprintf(stderr, "vexar: no way of showing frames works here (%s)\n", failed.c_str());
}

// A GPU renderer, or under Wayland, where a window surface shows nothing,
// any renderer. A renderer drawing on the CPU is left for the window
// surface elsewhere: a choice, not a failure.
bool SdlPresenter::OpenAuto(std::string* failed) {
    const Uint32 vsync = SDL_RENDERER_PRESENTVSYNC;
    const char* hint = SDL_GetHint(SDL_HINT_RENDER_DRIVER);
    const char* video = SDL_GetCurrentVideoDriver();
    const bool wayland = video && std::strcmp(video, "wayland") == 0;
    if (OpenRenderer(-1, (hint ? 0 : SDL_RENDERER_ACCELERATED) | vsync)) {
        if (hint || wayland || !RendererIsSoftware(renderer_)) return true;
        CloseRenderer();
        return false;
    }
    Note(failed, hint ? hint : "a GPU renderer", SDL_GetError());
    if (wayland && OpenRenderer(-1, 0)) return true;
    return false;
}

void SdlPresenter::Open(SDL_Window* window, const std::string& choice, ScaleMode mode) {
    Close();
    window_ = window;
    mode_ = mode;
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    std::string failed;  // the ways tried that failed, and why
    const bool automatic = choice.empty() || choice == "auto";
    if (!automatic && choice != "surface") {
        const int driver = DriverIndex(choice);
        if (driver >= -1 && OpenRenderer(driver, choice == "software" ? 0 : SDL_RENDERER_PRESENTVSYNC)) return;
        Note(&failed, "VEXAR_RENDERER=" + choice, driver < -1 ? "not available here" : SDL_GetError());
    }
    if (choice != "surface" && OpenAuto(&failed)) {
        SayFallback(failed);
        return;
    }
    // The window surface, tried now so that a failure is said at once.
    surfaceWorks_ = SDL_GetWindowSurface(window_) != nullptr;
    if (!surfaceWorks_) Note(&failed, "the window surface", SDL_GetError());
    SayFallback(failed);
}

// The renderer and its texture; the window stays.
void SdlPresenter::CloseRenderer() {
    if (texture_) SDL_DestroyTexture(texture_);
    if (renderer_) SDL_DestroyRenderer(renderer_);
    texture_ = nullptr;
    renderer_ = nullptr;
    textureFormat_ = 0;
    vsync_ = false;
}

void SdlPresenter::Close() {
    CloseRenderer();
    surface_ = nullptr;
    surfaceWorks_ = false;
    window_ = nullptr;
    outputWidth_ = outputHeight_ = 0;
    vsyncSamples_ = vsyncQuick_ = 0;
    waitedForBlank_ = false;
    changes_.Forget();
}

const char* SdlPresenter::Name() const {
    SDL_RendererInfo info;
    if (renderer_ && SDL_GetRendererInfo(renderer_, &info) == 0) return info.name;
    return "surface";
}

void SdlPresenter::Resized() {
    surface_ = nullptr;  // SDL makes a new one
    outputWidth_ = outputHeight_ = 0;
    changes_.Forget();
}

void SdlPresenter::Exposed() {
    if (renderer_ && texture_) {
        SDL_RenderClear(renderer_);
        SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
        SDL_RenderPresent(renderer_);
    } else if (surface_) {
        SDL_UpdateWindowSurface(window_);
    }
}

bool SdlPresenter::Present(const void* pixels, int width, int height, int pitch, int bits) {
    waitedForBlank_ = false;
    if (!window_ || !FrameIsShowable(pixels, width, height, pitch, bits)) return false;
    return renderer_ ? PresentRenderer(pixels, width, height, pitch, bits)
                     : PresentSurface(pixels, width, height, pitch, bits);
}

// ---- Through the renderer ---------------------------------------------------------

void SdlPresenter::SetLogicalSize(int width, int height) {
    int w = 0, h = 0;
    if (SDL_GetRendererOutputSize(renderer_, &w, &h) != 0) return;
    if (w == outputWidth_ && h == outputHeight_) return;
    outputWidth_ = w;
    outputHeight_ = h;
    SetRendererScaling(renderer_, mode_, width, height);
}

void SdlPresenter::NoteVsync() {
    const uint64_t now = Micros();
    if (vsync_ && vsyncSamples_ < kVsyncSamples && lastPresent_ != 0) {
        ++vsyncSamples_;
        if (now - lastPresent_ < kQuickFrameMicros) ++vsyncQuick_;
    }
    lastPresent_ = now;
    // Until the frames show that vsync waits, nothing is sure; while the
    // first frames are timed they run unpaced.
    if (!vsync_) return;
    if (vsyncSamples_ < kVsyncSamples) waitedForBlank_ = true;
    else waitedForBlank_ = vsyncQuick_ <= kVsyncSamples / 2;
}

bool SdlPresenter::PresentRenderer(const void* pixels, int width, int height, int pitch, int bits) {
    const Uint32 format = SdlFormatOfDepth(bits);
    if (!texture_ || format != textureFormat_ || width != textureWidth_ || height != textureHeight_) {
        if (texture_) SDL_DestroyTexture(texture_);
        texture_ = SDL_CreateTexture(renderer_, format, SDL_TEXTUREACCESS_STREAMING, width, height);
        if (!texture_) return false;
        SDL_SetTextureScaleMode(texture_, SDL_ScaleModeNearest);
        textureFormat_ = format;
        textureWidth_ = width;
        textureHeight_ = height;
        outputWidth_ = outputHeight_ = 0;
        changes_.Forget();
    }
    SetLogicalSize(width, height);
    if (changes_.Compare(static_cast<const uint8_t*>(pixels), width, height, pitch, bits / 8).empty()) {
        lastPresent_ = 0;  // only back-to-back presents tell whether vsync waits
        return false;
    }
    SDL_UpdateTexture(texture_, nullptr, pixels, pitch);
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
    SDL_RenderPresent(renderer_);
    NoteVsync();
    return true;
}

// ---- Into the window surface --------------------------------------------------------

bool SdlPresenter::PresentSurface(const void* pixels, int width, int height, int pitch, int bits) {
    if (!surface_) {
        surface_ = SDL_GetWindowSurface(window_);
        if (!surface_) return false;
        SDL_FillRect(surface_, nullptr, SDL_MapRGB(surface_->format, 0, 0, 0));
        changes_.Forget();
    }
    const std::vector<PictureRect>& parts =
        changes_.Compare(static_cast<const uint8_t*>(pixels), width, height, pitch, bits / 8);
    if (parts.empty()) return false;
    SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<void*>(pixels), width, height,
                                                             bits, pitch, SdlFormatOfDepth(bits));
    if (!source) return false;
    SDL_SetSurfaceBlendMode(source, SDL_BLENDMODE_NONE);
    const PictureRect picture = FitPicture(mode_, width, height, surface_->w, surface_->h);
    std::vector<SDL_Rect> shown;
    shown.reserve(parts.size());
    for (const PictureRect& part : parts) {
        PictureRect to = MapFramePart(picture, width, height, part.x, part.y, part.x + part.w,
                                      part.y + part.h);
        if (to.w <= 0 || to.h <= 0) continue;
        SDL_Rect from = {part.x, part.y, part.w, part.h};
        SDL_Rect dest = {to.x, to.y, to.w, to.h};
        SDL_Rect sent = dest;
        SDL_BlitScaled(source, &from, surface_, &dest);
        shown.push_back(sent);
    }
    SDL_FreeSurface(source);
    if (shown.size() == 1 && shown[0].w == picture.w && shown[0].h == picture.h)
        SDL_UpdateWindowSurface(window_);  // the bars as well, the first time
    else if (!shown.empty())
        SDL_UpdateWindowSurfaceRects(window_, shown.data(), static_cast<int>(shown.size()));
    return !shown.empty();
}

}  // namespace port
