// Shows the game's frames in an SDL window, scaled by a ScaleMode: through an
// SDL_Renderer (the GPU, presenting with vsync), or, with no GPU, into the
// window's own surface, where only the parts that changed are scaled and sent.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>

#include "port/hosts/frame_changes.h"
#include "port/hosts/picture_fit.h"

namespace port {

class SdlPresenter {
public:
    // Chooses the way for `window`: `choice` is "auto" (or empty), "surface",
    // or one of SDL's render drivers ("software", "opengl", ...). Auto takes
    // a GPU renderer when there is a GPU and the window surface otherwise.
    // When the way asked for, or auto's first, fails, the next is taken and
    // one line on stderr says which and why.
    void Open(SDL_Window* window, const std::string& choice, ScaleMode mode);
    void Close();
    // Shows a frame (16: RGB565, 24: BGR, 32: XRGB); false when it showed
    // nothing new, so the flip's wait was not the display's.
    bool Present(const void* pixels, int width, int height, int pitch, int bits);
    // The window was resized or uncovered: the next present draws it all,
    // and an uncovered window gets the last frame back at once.
    void Resized();
    void Exposed();
    // Whether the last present waited for the display's vertical blank.
    bool WaitedForBlank() const { return waitedForBlank_; }
    // "surface", or the SDL renderer's name.
    const char* Name() const;

private:
    bool OpenRenderer(int driver, Uint32 flags);
    void CloseRenderer();
    bool OpenAuto(std::string* failed);
    void SayFallback(const std::string& failed) const;
    bool PresentRenderer(const void* pixels, int width, int height, int pitch, int bits);
    bool PresentSurface(const void* pixels, int width, int height, int pitch, int bits);
    void SetLogicalSize(int width, int height);
    void NoteVsync();

    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    Uint32 textureFormat_ = 0;
    int textureWidth_ = 0, textureHeight_ = 0;
    int outputWidth_ = 0, outputHeight_ = 0;  // the renderer's, when its logical size was set
    SDL_Surface* surface_ = nullptr;           // the window's, in the surface way
    bool surfaceWorks_ = false;                // SDL gave the window a surface
    ScaleMode mode_ = ScaleMode::Aspect;
    FrameChanges changes_;
    bool vsync_ = false;          // the renderer was made with vsync
    int vsyncSamples_ = 0;        // frames timed so far to learn whether it waits
    int vsyncQuick_ = 0;          // of those, how many came back early
    uint64_t lastPresent_ = 0;
    bool waitedForBlank_ = false;
};

// The SDL pixel format of the display format of `bits` bits per pixel.
Uint32 SdlFormatOfDepth(int bits);

// Scales a `width` x `height` frame to the renderer's output by `mode`:
// aspect and integer through SDL's logical size (integer only where a whole
// multiple fits, aspect below that), stretch over the whole output.
void SetRendererScaling(SDL_Renderer* renderer, ScaleMode mode, int width, int height);

// Whether this OpenGL renderer draws on the processor (llvmpipe and the like).
bool RendererIsSoftware(SDL_Renderer* renderer);

}  // namespace port
