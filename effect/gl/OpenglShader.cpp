#include "effect/gl/OpenglShader.h"

#include <cstdio>

using namespace gl;

namespace Kelvane {
namespace Neon {
namespace {

constexpr GLsizei kLogLimit = 512;

// Reads an info log into a 513-character buffer with a maximum length of 512 (the driver
// writes at most 511 characters and a terminator); the length is clamped and terminated anyway.
template <typename GetLog> void printLog(const char* format, const char* label, GetLog getLog) {
    char log[kLogLimit + 1];
    GLsizei length = 0;
    getLog(kLogLimit, &length, log);
    if (length < 0) {
        length = 0;
    }
    if (length > kLogLimit) {
        length = kLogLimit;
    }
    log[length] = '\0';
    if (label != nullptr) {
        std::printf(format, label, log);
    } else {
        std::printf(format, log);
    }
}

bool compile(GLuint shader, const std::string& source, const char* label) {
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint status = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
    if (status == 1) {
        return true;
    }
    printLog("Shader %s error:\n%s\n", label, [shader](GLsizei max, GLsizei* length, char* log) {
        glGetShaderInfoLog(shader, max, length, log);
    });
    return false;
}

} // namespace

std::string glslWithSwitches(std::initializer_list<std::pair<const char*, int>> switches,
                             std::initializer_list<const char*> parts) {
    std::string text = "#version 330\n";
    for (const auto& [name, value] : switches) {
        text += std::string("#define ") + name + " " + std::to_string(value) + "\n";
    }
    for (const char* part : parts) {
        text += part;
    }
    return text;
}

OpenglShader::OpenglShader(const std::string& vertexSource, const std::string& fragmentSource)
    : vertexSource(vertexSource), fragmentSource(fragmentSource) {}

OpenglShader::~OpenglShader() {
    if (program != 0) {
        glDeleteProgram(program);
    }
}

void OpenglShader::bindAttribLocation(const std::string& name, std::int32_t location) {
    attributeLocations.emplace(name, location);
}

void OpenglShader::build() {
    const GLuint vertex = glCreateShader(GL_VERTEX_SHADER);
    const GLuint fragment = glCreateShader(GL_FRAGMENT_SHADER);
    // A failed build deletes what it made; the next use starts from scratch.
    auto discard = [&](GLuint linked) {
        glDeleteShader(vertex);
        glDeleteShader(fragment);
        if (linked != 0) {
            glDeleteProgram(linked);
        }
    };
    if (!compile(vertex, vertexSource, "vert") || !compile(fragment, fragmentSource, "frag")) {
        discard(0);
        return;
    }

    const GLuint candidate = glCreateProgram();
    glAttachShader(candidate, vertex);
    glAttachShader(candidate, fragment);
    for (const auto& [name, location] : attributeLocations) {
        glBindAttribLocation(candidate, static_cast<GLuint>(location), name.c_str());
    }
    glLinkProgram(candidate);
    GLint status = 0;
    glGetProgramiv(candidate, GL_LINK_STATUS, &status);
    if (status != 1) {
        printLog("Program error:\n%s\n", nullptr,
                 [candidate](GLsizei max, GLsizei* length, char* log) {
                     glGetProgramInfoLog(candidate, max, length, log);
                 });
        discard(candidate);
        return;
    }
    program = candidate;
    glDetachShader(program, vertex);
    glDetachShader(program, fragment);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
}

void OpenglShader::use() {
    if (program == 0) {
        build();
    }
    glUseProgram(program);
}

GLint OpenglShader::uniformLocation(const std::string& name) const {
    return glGetUniformLocation(program, name.c_str());
}

void OpenglShader::setUniform1f(const std::string& name, float value) {
    if (program == 0) {
        return;
    }
    const GLint location = uniformLocation(name);
    if (location != -1) {
        glUniform1f(location, value);
    }
}

void OpenglShader::setUniform1i(const std::string& name, std::int32_t value) {
    if (program == 0) {
        return;
    }
    const GLint location = uniformLocation(name);
    if (location != -1) {
        glUniform1i(location, value);
    }
}

void OpenglShader::setUniform2f(const std::string& name, float x, float y) {
    if (program == 0) {
        return;
    }
    const GLint location = uniformLocation(name);
    if (location != -1) {
        glUniform2f(location, x, y);
    }
}

void OpenglShader::setUniform2f(const std::string& name, const Vec2d& value) {
    setUniform2f(name, static_cast<float>(value.x), static_cast<float>(value.y));
}

void OpenglShader::setUniform4fv(const std::string& name, const float* values, std::int32_t count) {
    if (program == 0) {
        return;
    }
    const GLint location = uniformLocation(name);
    if (location != -1) {
        glUniform4fv(location, count, values);
    }
}

void OpenglShader::setTexture(const std::string& name, GLenum target, GLuint texture,
                              std::int32_t unit) {
    if (program == 0) {
        return;
    }
    glActiveTexture(static_cast<GLenum>(static_cast<int>(GL_TEXTURE0) + unit));
    glBindTexture(target, texture);
    const GLint location = uniformLocation(name);
    if (location != -1) {
        glUniform1i(location, unit);
    }
}

void OpenglShader::setUniformBlock(const std::string& name, GLuint buffer, GLuint binding) {
    if (program == 0) {
        return;
    }
    glBindBufferBase(GL_UNIFORM_BUFFER, binding, buffer);
    const GLuint index = glGetUniformBlockIndex(program, name.c_str());
    if (index != GL_INVALID_INDEX) {
        glUniformBlockBinding(program, index, binding);
    }
}

void OpenglShader::enableVertexAttrib(GLuint index, GLint size, std::size_t offset,
                                      GLsizei stride) {
    if (program == 0) {
        return;
    }
    glEnableVertexAttribArray(index);
    glVertexAttribPointer(index, size, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<const void*>(offset));
}

void OpenglShader::enableVertexAttrib2(GLuint index, std::size_t offset, GLsizei stride) {
    enableVertexAttrib(index, 2, offset, stride);
}

void OpenglShader::enableVertexAttrib3(GLuint index, std::size_t offset, GLsizei stride) {
    enableVertexAttrib(index, 3, offset, stride);
}

void OpenglShader::disableVertexAttrib(GLuint index) {
    if (program == 0) {
        return;
    }
    glDisableVertexAttribArray(index);
}

} // namespace Neon
} // namespace Kelvane
