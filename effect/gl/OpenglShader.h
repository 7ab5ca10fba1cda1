// One GLSL program of a vertex and a fragment stage, built lazily on the first `use` in
// whatever context is current. A failed build prints its log and leaves the object harmless:
// every setter is a no-op while no program exists, and the next `use` tries again. The
// uniforms and uniform blocks are the ones its text declares; their locations are looked up
// once, at link. Setting a name the text does not declare throws std::invalid_argument, built
// or not: a misspelt name is a fault, not a silent no-op. Programs
// live in the share group, so one built in any context serves all. Not locked: used only on
// the thread whose context is current.
#pragma once

#include "effect/gl/GlObject.h"
#include "effect/gl/Vec2.h"

#include <glbinding/gl33core/gl.h>

#include <cstdint>
#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <utility>

namespace Kelvane {
namespace Neon {

// GLSL 3.30 text: `#define NAME VALUE` for each compile-time switch (1 or 0 for on and off) or
// count, then the parts in order, which carry no #version line of their own.
std::string glslWithSwitches(std::initializer_list<std::pair<const char*, int>> switches,
                             std::initializer_list<const char*> parts);

class OpenglShader {
public:
    OpenglShader(const std::string& vertexSource, const std::string& fragmentSource);
    virtual ~OpenglShader();
    OpenglShader(const OpenglShader&) = delete;
    OpenglShader& operator=(const OpenglShader&) = delete;

    // Applied at the next link; a name bound twice keeps its first location.
    void bindAttribLocation(const std::string& name, std::int32_t location);
    void use();

    void setUniform1f(const std::string& name, float value);
    void setUniform1i(const std::string& name, std::int32_t value);
    void setUniform2f(const std::string& name, float x, float y);
    void setUniform2f(const std::string& name, const Vec2d& value);
    void setUniform4fv(const std::string& name, const float* values, std::int32_t count);
    void setTexture(const std::string& name, gl::GLenum target, gl::GLuint texture,
                    std::int32_t unit);
    // Binds the buffer at uniform buffer binding `binding` and reads the block `name` from it.
    void setUniformBlock(const std::string& name, gl::GLuint buffer, gl::GLuint binding);
    void enableVertexAttrib2(gl::GLuint index, std::size_t offset, gl::GLsizei stride);
    void enableVertexAttrib3(gl::GLuint index, std::size_t offset, gl::GLsizei stride);
    void disableVertexAttrib(gl::GLuint index);

    // Deletes the program (a context of its share group current); the next `use` builds it
    // again. Abandon forgets it without a GL call, for when no context is left to delete it
    // in (it goes with its share group).
    void release();
    void abandon();

    // 0 until a link succeeds.
    gl::GLuint programName() const { return program.get(); }

private:
    void build();
    // The location found at link, -1 where the compiler dropped the uniform as unused.
    gl::GLint uniformLocation(const std::string& name) const;
    void lookUpUniforms();
    // Throws where the text declares no uniform `name`.
    void checkUniform(const std::string& name) const;
    void enableVertexAttrib(gl::GLuint index, gl::GLint size, std::size_t offset,
                            gl::GLsizei stride);

    std::string vertexSource;
    std::string fragmentSource;
    Program program;
    std::map<std::string, std::int32_t> attributeLocations;
    // Read from the text at construction.
    std::set<std::string> declaredUniforms;
    std::set<std::string> declaredBlocks;
    // Filled at link.
    std::map<std::string, gl::GLint> uniformLocations;
    std::map<std::string, gl::GLuint> blockIndices;
};

} // namespace Neon
} // namespace Kelvane
