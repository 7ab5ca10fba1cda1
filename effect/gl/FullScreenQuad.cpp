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
    VertexArray* vertexArray = vertexArrays.current();
    if (vertexArray == nullptr) {
        GLuint name = 0;
        glGenVertexArrays(1, &name);
        vertexArray = &vertexArrays.currentOrNew();
        vertexArray->reset(name);
    }
    glBindVertexArray(vertexArray->get());
    if (!vertexBuffer) {
        GLuint name = 0;
        glGenBuffers(1, &name);
        vertexBuffer.reset(name);
        glBindBuffer(GL_ARRAY_BUFFER, name);
        glBufferData(GL_ARRAY_BUFFER, sizeof kQuad, kQuad, GL_STATIC_DRAW);
    }
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer.get());
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

void FullScreenQuad::release() {
    vertexArrays.eraseCurrent();
    vertexArrays.clear();
    vertexBuffer.reset();
}

void FullScreenQuad::abandon() {
    vertexArrays.clear();
    vertexBuffer.abandon();
}

} // namespace Neon
} // namespace Kelvane
