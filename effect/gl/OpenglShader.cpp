#include "effect/gl/OpenglShader.h"

#include <cctype>
#include <cstdio>
#include <stdexcept>

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

bool isWordChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

// The identifier at `at` (after any blanks); `at` moves past it.
std::string nextWord(const std::string& text, std::size_t& at) {
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) {
        ++at;
    }
    const std::size_t start = at;
    while (at < text.size() && isWordChar(text[at])) {
        ++at;
    }
    return text.substr(start, at - start);
}

// The names of `uniform TYPE NAME` declarations and of `uniform BLOCK {` blocks in `text`.
// Comments are not told apart: the programs' comments do not start with the keyword.
void readUniformDeclarations(const std::string& text, std::set<std::string>& uniforms,
                             std::set<std::string>& blocks) {
    static const std::string keyword = "uniform";
    for (std::size_t at = text.find(keyword); at != std::string::npos;
         at = text.find(keyword, at)) {
        const bool wordStart = at == 0 || !isWordChar(text[at - 1]);
        at += keyword.size();
        if (!wordStart || (at < text.size() && isWordChar(text[at]))) {
            continue;
        }
        std::string first = nextWord(text, at);
        if (first == "lowp" || first == "mediump" || first == "highp") {
            first = nextWord(text, at);
        }
        std::size_t after = at;
        while (after < text.size() && std::isspace(static_cast<unsigned char>(text[after]))) {
            ++after;
        }
        if (after < text.size() && text[after] == '{') {
            blocks.insert(first);
            continue;
        }
        const std::string name = nextWord(text, at);
        if (!first.empty() && !name.empty()) {
            uniforms.insert(name);
        }
    }
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
    : vertexSource(vertexSource), fragmentSource(fragmentSource) {
    readUniformDeclarations(vertexSource, declaredUniforms, declaredBlocks);
    readUniformDeclarations(fragmentSource, declaredUniforms, declaredBlocks);
}

void OpenglShader::release() {
    program.reset();
    uniformLocations.clear();
    blockIndices.clear();
}

void OpenglShader::abandon() {
    program.abandon();
    uniformLocations.clear();
    blockIndices.clear();
}

OpenglShader::~OpenglShader() = default;

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
    program.reset(candidate);
    glDetachShader(candidate, vertex);
    glDetachShader(candidate, fragment);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    lookUpUniforms();
}

void OpenglShader::lookUpUniforms() {
    uniformLocations.clear();
    blockIndices.clear();
    for (const std::string& name : declaredUniforms) {
        uniformLocations[name] = glGetUniformLocation(program.get(), name.c_str());
    }
    for (const std::string& name : declaredBlocks) {
        blockIndices[name] = glGetUniformBlockIndex(program.get(), name.c_str());
    }
}

void OpenglShader::use() {
    if (!program) {
        build();
    }
    glUseProgram(program.get());
}

void OpenglShader::checkUniform(const std::string& name) const {
    if (declaredUniforms.count(name) == 0) {
        throw std::invalid_argument("the program declares no uniform " + name);
    }
}

GLint OpenglShader::uniformLocation(const std::string& name) const {
    const auto found = uniformLocations.find(name);
    return found == uniformLocations.end() ? -1 : found->second;
}

void OpenglShader::setUniform1f(const std::string& name, float value) {
    checkUniform(name);
    if (!program) {
        return;
    }
    const GLint location = uniformLocation(name);
    if (location != -1) {
        glUniform1f(location, value);
    }
}

void OpenglShader::setUniform1i(const std::string& name, std::int32_t value) {
    checkUniform(name);
    if (!program) {
        return;
    }
    const GLint location = uniformLocation(name);
    if (location != -1) {
        glUniform1i(location, value);
    }
}

void OpenglShader::setUniform2f(const std::string& name, float x, float y) {
    checkUniform(name);
    if (!program) {
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
    checkUniform(name);
    if (!program) {
        return;
    }
    const GLint location = uniformLocation(name);
    if (location != -1) {
        glUniform4fv(location, count, values);
    }
}

void OpenglShader::setTexture(const std::string& name, GLenum target, GLuint texture,
                              std::int32_t unit) {
    checkUniform(name);
    if (!program) {
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
    if (declaredBlocks.count(name) == 0) {
        throw std::invalid_argument("the program declares no uniform block " + name);
    }
    if (!program) {
        return;
    }
    glBindBufferBase(GL_UNIFORM_BUFFER, binding, buffer);
    const GLuint index = blockIndices[name];
    if (index != GL_INVALID_INDEX) {
        glUniformBlockBinding(program.get(), index, binding);
    }
}

void OpenglShader::enableVertexAttrib(GLuint index, GLint size, std::size_t offset,
                                      GLsizei stride) {
    if (!program) {
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
    if (!program) {
        return;
    }
    glDisableVertexAttribArray(index);
}

} // namespace Neon
} // namespace Kelvane
