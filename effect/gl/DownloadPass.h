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
    void release();
    // Forgets its objects without a GL call (no context left to delete them in).
    void abandon();

private:
    FullScreenQuad quad;
    OpenglShader conversionProgram;
};

} // namespace Neon
} // namespace Kelvane
