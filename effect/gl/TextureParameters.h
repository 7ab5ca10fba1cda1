// Sampling of the bound 2D texture: clamped to its edge, filtered linearly unless asked
// otherwise (every texture of the effect samples this way).
#pragma once

#include <glbinding/gl33core/gl.h>

namespace Kelvane {
namespace Neon {

inline void setClampedSampling(gl::GLenum filter = gl::GL_LINEAR) {
    using namespace gl;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(filter));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(filter));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, static_cast<GLint>(GL_CLAMP_TO_EDGE));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, static_cast<GLint>(GL_CLAMP_TO_EDGE));
}

} // namespace Neon
} // namespace Kelvane
