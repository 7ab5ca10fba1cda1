// The full-screen quad every pass draws: two triangles of (x, y, z, u, v), 120 bytes, with
// `position` at location 0 and `input_uv` at location 1. The vertex buffer is shared by all
// contexts; the vertex array is made per context on first use there and deleted with that
// context.
#pragma once

#include "effect/gl/GlObject.h"
#include "effect/gl/OpenglShader.h"
#include "effect/gl/PerContext.h"

namespace Kelvane {
namespace Neon {

class FullScreenQuad {
public:
    static constexpr gl::GLsizei kStride = 20;
    static constexpr std::size_t kUvOffset = 12;
    static constexpr gl::GLsizei kVertexCount = 6;

    // Binds this context's vertex array and the buffer, making them on first use.
    void bind();
    // Enables the two attributes of `program` (the position read with 2 or 3 components),
    // draws the six vertices, disables them and unbinds the vertex array and buffer.
    void draw(OpenglShader& program, int positionComponents = 3);
    // Deletes the buffer and the current context's vertex array; others die with their
    // contexts.
    void release();
    // Forgets every name without a GL call; the objects go with their contexts.
    void abandon();

private:
    Buffer vertexBuffer;
    PerContext<VertexArray> vertexArrays;
};

} // namespace Neon
} // namespace Kelvane
