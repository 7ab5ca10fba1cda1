// Moves a frame between the host's 8-bit ARGB worlds and OpenGL, bytes unchanged: the
// texture's red component holds the host's alpha. Runs with the rendering thread's context
// current. Failures are thrown as host error codes: 13 (handle suite refused), 4 (no memory
// handle), 516 (unknown format code, a world without pixel memory, or one whose rows are
// shorter than its width). Worlds may store their rows bottom-up (negative `rowbytes`).
#pragma once

#include "AE_Effect.h"
#include "effect/gl/GlObject.h"

#include <glbinding/gl33core/gl.h>

#include <cstdint>

namespace Kelvane {
namespace Neon {

// The host's 8-bit pixel; its bytes in memory read "argb".
constexpr std::uint32_t kFormatArgb8 = 0x62677261;

// The input world as a float texture now owned by the caller.
Texture uploadTexture(std::uint32_t formatCode, PF_EffectWorld* input, PF_InData* in_data,
                      std::uint64_t* bytesPerPixel, gl::GLenum* pixelType, float* multiplier16bit);

// The same into `texture`: its storage, made where it is empty, must be of the input's size
// and kind; a kept texture saves allocating (and the system zeroing) a frame's worth of memory
// a frame. `alphaOnly` keeps the host's alpha alone, in red (a quarter of the memory): the
// values are those the four-channel texture holds in red.
void uploadInto(Texture& texture, std::uint32_t formatCode, PF_EffectWorld* input,
                PF_InData* in_data, std::uint64_t* bytesPerPixel, gl::GLenum* pixelType,
                float* multiplier16bit, bool alphaOnly = false);

// Reads `width` by `height` from the bound framebuffer and copies the part that the output
// world covers into it, row by row; the output's row padding is left alone.
void downloadTexture(std::int32_t width, std::int32_t height, PF_EffectWorld* input,
                     PF_EffectWorld* output, PF_InData* in_data, std::uint32_t formatCode,
                     std::uint64_t bytesPerPixel, gl::GLenum pixelType);

} // namespace Neon
} // namespace Kelvane
