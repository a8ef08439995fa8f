// A 32-bit bitmap: the pixels of a DIB section, a compatible bitmap or a
// window surface, and the pixman image that draws into them.
//
// Pixels are B,G,R,A bytes (pixman's a8r8g8b8 on a little-endian machine).
// A bottom-up DIB keeps its first scanline at the bottom of the memory the
// caller sees; the pixman image then starts at the last scanline with a
// negative stride, so every drawing operation works in top-down coordinates.
#pragma once

#include "GdiObject.h"

#include <wingdi.h>

#include <pixman.h>

#include <cstdint>
#include <vector>

namespace win32 {

class GdiBitmap final : public GdiObject {
public:
    // Allocates zeroed pixels owned by the bitmap.
    static std::shared_ptr<GdiBitmap> Create(int width, int height, bool bottomUp, bool isDibSection);

    // Wraps pixels owned by someone else (a window surface). Top-down.
    static std::shared_ptr<GdiBitmap> Wrap(uint32_t* pixels, int width, int height, int strideBytes);

    ~GdiBitmap() override;

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    bool IsDibSection() const { return m_isDibSection; }
    bool IsBottomUp() const { return m_bottomUp; }

    // The start of the memory as the bitmap's owner sees it (the first
    // scanline of a bottom-up DIB is the bottom row).
    void* Bits() const { return m_memory; }
    int StrideBytes() const { return m_strideBytes; }

    // Top-down access: row y counted from the top.
    uint32_t* Row(int y) const;
    pixman_image_t* Image() const { return m_image; }

    // A second view of the same pixels whose alpha byte reads as opaque, for
    // operations that ignore the source's alpha.
    pixman_image_t* OpaqueView() const;

    int Describe(int size, void* buffer) const override;

private:
    GdiBitmap() : GdiObject(OBJ_BITMAP) {}
    void MakeImages();

    int m_width = 0;
    int m_height = 0;
    int m_strideBytes = 0;
    bool m_bottomUp = false;
    bool m_isDibSection = false;
    void* m_memory = nullptr;
    std::vector<uint32_t> m_owned;
    pixman_image_t* m_image = nullptr;
    mutable pixman_image_t* m_opaqueView = nullptr;
};

} // namespace win32
