// Converts a resolved frame (premultiplied red, green, blue, alpha) into the host's channel
// order (alpha, red, green, blue) with straight colour. Owns its program and quad; no GL
// object exists before the first draw. Owned by the RenderTarget.
#pragma once

#include "effect/gl/FullScreenQuad.h"
#include "effect/gl/OpenglShader.h"

namespace Kelvane {
namespace Neon {

class DownloadPass {
public:
    DownloadPass();
    // Draws `texture` over the current viewport; the program stays in use.
    void draw(gl::GLuint texture, float multiplier16bit);
    // Whether the 8-bit layer stores a float as clamp(x, 0, 1) * 255 rounded to even, and the
    // conversion reads a byte back as byte * (the float nearest 1 / 255): then a pass can work
    // out what the layer and this conversion would make of its colour itself. Found once, by
    // having the driver store and read values (every byte, and the floats on either side of
    // every rounding tie); a context current.
    bool layerIsArithmetic();
    void release();
    // Forgets its objects without a GL call (no context left to delete them in).
    void abandon();

private:
    FullScreenQuad quad;
    OpenglShader conversionProgram;
    OpenglShader probeProgram;
};

} // namespace Neon
} // namespace Kelvane
