// SPDX-License-Identifier: MIT
#pragma once
// The system's blending library (msimg32), loaded while a frame window is
// open rather than linked, so the DLL loads where it is missing. Without it
// colour-keyed blits go through a mask.
#include <windows.h>

namespace velora::gui::win32 {

class BlendLibrary {
public:
    using TransparentBltFunction = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int, UINT);
    using AlphaBlendFunction = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int, BLENDFUNCTION);

    BlendLibrary();
    ~BlendLibrary();
    BlendLibrary(const BlendLibrary&) = delete;
    BlendLibrary& operator=(const BlendLibrary&) = delete;

    // Null when the library or the entry is missing. TransparentBlt is only
    // taken on NT-family systems: the older ones leak memory in it.
    TransparentBltFunction transparentBlt() const { return transparentBlt_; }
    AlphaBlendFunction alphaBlend() const { return alphaBlend_; }

private:
    HMODULE library_ = nullptr;
    TransparentBltFunction transparentBlt_ = nullptr;
    AlphaBlendFunction alphaBlend_ = nullptr;
};

}  // namespace velora::gui::win32
