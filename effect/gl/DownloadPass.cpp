#include "effect/gl/DownloadPass.h"

#include "GlSources.h"

using namespace gl;

namespace Kelvane {
namespace Neon {

DownloadPass::DownloadPass() : conversionProgram(glsl::kCommonVertex, glsl::kDownloadFragment) {
    conversionProgram.bindAttribLocation("position", 0);
    conversionProgram.bindAttribLocation("input_uv", 1);
}

void DownloadPass::draw(GLuint texture, float multiplier16bit) {
    quad.bind();
    conversionProgram.use();
    conversionProgram.setTexture("videoTexture", GL_TEXTURE_2D, texture, 0);
    conversionProgram.setUniform1f("multiplier16bit", multiplier16bit);
    quad.draw(conversionProgram);
}

void DownloadPass::release() {
    quad.release();
}

void DownloadPass::abandon() {
    quad.abandon();
    conversionProgram.abandon();
}

} // namespace Neon
} // namespace Kelvane
