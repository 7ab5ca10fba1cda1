#include "effect/gl/FullScreenQuad.h"

using namespace gl;

namespace Kelvane {
namespace Neon {
namespace {

// Texture coordinate (0, 0) sits at the viewport corner (-1, -1): host row 0 stays row 0.
constexpr float kQuad[] = {
    1.0f,  -1.0f, 0.0f, 1.0f, 0.0f, //
    1.0f,  1.0f,  0.0f, 1.0f, 1.0f, //
    -1.0f, 1.0f,  0.0f, 0.0f, 1.0f, //
    -1.0f, 1.0f,  0.0f, 0.0f, 1.0f, //
    -1.0f, -1.0f, 0.0f, 0.0f, 0.0f, //
    1.0f,  -1.0f, 0.0f, 1.0f, 0.0f,
};
static_assert(sizeof kQuad == 120, "six vertices of five floats");

} // namespace

void FullScreenQuad::bind() {
    GLuint* vertexArray = vertexArrays.current();
    if (vertexArray == nullptr) {
        vertexArray = &vertexArrays.currentOrNew();
        glGenVertexArrays(1, vertexArray);
    }
    glBindVertexArray(*vertexArray);
    if (vertexBuffer == 0) {
        glGenBuffers(1, &vertexBuffer);
        glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
        glBufferData(GL_ARRAY_BUFFER, sizeof kQuad, kQuad, GL_STATIC_DRAW);
    }
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
}

void FullScreenQuad::draw(OpenglShader& program, int positionComponents) {
    bind();
    if (positionComponents == 2) {
        program.enableVertexAttrib2(0, 0, kStride);
    } else {
        program.enableVertexAttrib3(0, 0, kStride);
    }
    program.enableVertexAttrib2(1, kUvOffset, kStride);
    glDrawArrays(GL_TRIANGLES, 0, kVertexCount);
    program.disableVertexAttrib(0);
    program.disableVertexAttrib(1);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void FullScreenQuad::deleteVertexArray(GLuint& name) {
    glDeleteVertexArrays(1, &name);
    name = 0;
}

void FullScreenQuad::release() {
    if (GLuint* vertexArray = vertexArrays.current()) {
        glDeleteVertexArrays(1, vertexArray);
    }
    vertexArrays.clear();
    if (vertexBuffer != 0) {
        glDeleteBuffers(1, &vertexBuffer);
        vertexBuffer = 0;
    }
}

void FullScreenQuad::abandon() {
    vertexArrays.clear();
    vertexBuffer = 0;
}

} // namespace Neon
} // namespace Kelvane
