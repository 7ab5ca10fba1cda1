// Owned GL object names. An owner deletes its object when it goes, or on `reset`, with the
// object's context (or one of its share group) current; `abandon` forgets the name without a
// GL call, for when no context is left (the object goes with it). Move-only: one owner.
// Framebuffers and vertex arrays belong to the one context they were made in: they are kept
// in per-context tables (PerContext), which delete them in that context or forget them with it.
#pragma once

#include <glbinding/gl33core/gl.h>

#include <utility>

namespace Kelvane {
namespace Neon {

template <void (*Delete)(gl::GLuint)> class GlObject {
public:
    GlObject() = default;
    explicit GlObject(gl::GLuint name) : name_(name) {}
    ~GlObject() { reset(); }
    GlObject(GlObject&& other) noexcept : name_(other.abandon()) {}
    GlObject& operator=(GlObject&& other) noexcept {
        if (this != &other) {
            reset(other.abandon());
        }
        return *this;
    }
    GlObject(const GlObject&) = delete;
    GlObject& operator=(const GlObject&) = delete;

    gl::GLuint get() const { return name_; }
    explicit operator bool() const { return name_ != 0; }

    // Deletes the object held, if any, and holds `name`.
    void reset(gl::GLuint name = 0) {
        if (name_ != 0) {
            Delete(name_);
        }
        name_ = name;
    }
    // Gives up the name without a GL call.
    gl::GLuint abandon() { return std::exchange(name_, 0); }

private:
    gl::GLuint name_ = 0;
};

namespace detail {
inline void deleteTexture(gl::GLuint name) {
    gl::glDeleteTextures(1, &name);
}
inline void deleteBuffer(gl::GLuint name) {
    gl::glDeleteBuffers(1, &name);
}
inline void deleteRenderbuffer(gl::GLuint name) {
    gl::glDeleteRenderbuffers(1, &name);
}
inline void deleteProgram(gl::GLuint name) {
    gl::glDeleteProgram(name);
}
inline void deleteFramebuffer(gl::GLuint name) {
    gl::glDeleteFramebuffers(1, &name);
}
inline void deleteVertexArray(gl::GLuint name) {
    gl::glDeleteVertexArrays(1, &name);
}
} // namespace detail

using Texture = GlObject<&detail::deleteTexture>;
using Buffer = GlObject<&detail::deleteBuffer>;
using Renderbuffer = GlObject<&detail::deleteRenderbuffer>;
using Program = GlObject<&detail::deleteProgram>;
// Not shared between contexts: kept in PerContext tables.
using Framebuffer = GlObject<&detail::deleteFramebuffer>;
using VertexArray = GlObject<&detail::deleteVertexArray>;

} // namespace Neon
} // namespace Kelvane
