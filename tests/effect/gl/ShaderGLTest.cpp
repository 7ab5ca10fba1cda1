// The program wrapper: build failures and what the object does afterwards, uniforms the
// program lacks, texture units and attribute locations.

#include "tests/effect/gl/GlFixture.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <stdexcept>

namespace {

using namespace Kelvane::Neon::Test;
using Kelvane::Neon::OpenglShader;
using Kelvane::Neon::Vec2d;
namespace glsl = Kelvane::Neon::glsl;

constexpr const char* kBrokenVertex = R"(#version 330
in vec3 position;
void main() {
    gl_Position = vec4(position, undeclaredScale);
}
)";

constexpr const char* kBrokenFragment = R"(#version 330
out vec4 colourOut;
void main() {
    colourOut = undeclaredColour;
}
)";

// Compiles alone but names a function nobody defines, so only the link fails.
constexpr const char* kUnlinkableFragment = R"(#version 330
in vec2 uv;
out vec4 colourOut;
vec4 shade(vec2 p);
void main() {
    colourOut = shade(uv);
}
)";

// A colour and a texture read, and declarations nothing reads (a float, a sampler, a block).
constexpr const char* kUniformsFragment = R"(#version 330
in vec2 uv;
out vec4 colourOut;
uniform vec4 colour;
uniform sampler2D source;
uniform highp float unread;
uniform sampler2D unreadSampler;
layout(std140) uniform Table {
    vec4 rows[2];
};
void main() {
    colourOut = colour * texture(source, uv);
}
)";

std::string captured(const std::function<void()>& action) {
    std::fflush(stdout);
    testing::internal::CaptureStdout();
    action();
    std::fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

std::string shaderLog(GLuint shader) {
    GLint length = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
    std::string log(static_cast<std::size_t>(std::max(length, 1)), '\0');
    GLsizei written = 0;
    glGetShaderInfoLog(shader, static_cast<GLsizei>(log.size()), &written, &log[0]);
    log.resize(static_cast<std::size_t>(written));
    return log;
}

GLuint compiled(GLenum stage, const char* source) {
    const GLuint shader = glCreateShader(stage);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    return shader;
}

// The driver's own log for a source, read in full.
std::string compileLog(GLenum stage, const char* source) {
    const GLuint shader = compiled(stage, source);
    std::string log = shaderLog(shader);
    glDeleteShader(shader);
    return log;
}

std::string linkLog(const char* vertex, const char* fragment) {
    const GLuint v = compiled(GL_VERTEX_SHADER, vertex);
    const GLuint f = compiled(GL_FRAGMENT_SHADER, fragment);
    const GLuint program = glCreateProgram();
    glAttachShader(program, v);
    glAttachShader(program, f);
    glLinkProgram(program);
    GLint length = 0;
    glGetProgramiv(program, GL_INFO_LOG_LENGTH, &length);
    std::string log(static_cast<std::size_t>(std::max(length, 1)), '\0');
    GLsizei written = 0;
    glGetProgramInfoLog(program, static_cast<GLsizei>(log.size()), &written, &log[0]);
    log.resize(static_cast<std::size_t>(written));
    glDeleteProgram(program);
    glDeleteShader(v);
    glDeleteShader(f);
    return log;
}

GLint vertexAttrib(GLuint index, GLenum name) {
    GLint value = 0;
    glGetVertexAttribiv(index, name, &value);
    return value;
}

using ShaderGLTest = GlTest;

TEST_F(ShaderGLTest, BrokenStagePrintsItsLogAndLaterStagesAreNotCompiled) {
    const std::string vertexLog = compileLog(GL_VERTEX_SHADER, kBrokenVertex);
    ASSERT_FALSE(vertexLog.empty());
    OpenglShader bothBroken(kBrokenVertex, kBrokenFragment);
    const std::string printed = captured([&] { bothBroken.use(); });
    EXPECT_EQ(printed, "Shader vert error:\n" + vertexLog + "\n");
    EXPECT_EQ(printed.find("frag"), std::string::npos);
    EXPECT_EQ(bothBroken.programName(), 0u);

    const std::string fragmentLog = compileLog(GL_FRAGMENT_SHADER, kBrokenFragment);
    ASSERT_FALSE(fragmentLog.empty());
    OpenglShader fragmentBroken(glsl::kCommonVertex, kBrokenFragment);
    EXPECT_EQ(captured([&] { fragmentBroken.use(); }), "Shader frag error:\n" + fragmentLog + "\n");
    EXPECT_EQ(fragmentBroken.programName(), 0u);
}

// Read with a maximum length of 512, the driver writes 511 characters and the terminator.
TEST_F(ShaderGLTest, LongLogIsCutToWhatAMaximumLengthOf512Holds) {
    std::string source = "#version 330\nvoid main() {\n";
    for (int i = 0; i < 40; ++i) {
        source += "    gl_Position = vec4(undeclared" + std::to_string(i) + ");\n";
    }
    source += "}\n";
    const std::string log = compileLog(GL_VERTEX_SHADER, source.c_str());
    ASSERT_GT(log.size(), 600u) << "the driver gave too short a log to cut";
    OpenglShader shader(source, kBrokenFragment);
    EXPECT_EQ(captured([&] { shader.use(); }), "Shader vert error:\n" + log.substr(0, 511) + "\n");
}

TEST_F(ShaderGLTest, LinkFailurePrintsTheProgramLog) {
    const std::string log = linkLog(glsl::kCommonVertex, kUnlinkableFragment);
    ASSERT_FALSE(log.empty());
    OpenglShader shader(glsl::kCommonVertex, kUnlinkableFragment);
    EXPECT_EQ(captured([&] { shader.use(); }), "Program error:\n" + log + "\n");
    EXPECT_EQ(shader.programName(), 0u);
}

TEST_F(ShaderGLTest, FailedBuildLeavesNoProgramInUseIgnoresCallsAndRetriesOnNextUse) {
    Pass working(kConstantFragment);
    working.program.use();
    ASSERT_NE(glInteger(GL_CURRENT_PROGRAM), 0);

    OpenglShader broken(kBrokenVertex, kUniformsFragment);
    const std::string first = captured([&] { broken.use(); });
    EXPECT_FALSE(first.empty());
    EXPECT_EQ(glInteger(GL_CURRENT_PROGRAM), 0);

    GLuint texture = 0;
    glGenTextures(1, &texture);
    glActiveTexture(GL_TEXTURE2);
    broken.setTexture("source", GL_TEXTURE_2D, texture, 5);
    EXPECT_EQ(glInteger(GL_ACTIVE_TEXTURE), static_cast<GLint>(GL_TEXTURE2));
    EXPECT_EQ(glInteger(GL_TEXTURE_BINDING_2D), 0);
    glActiveTexture(GL_TEXTURE5);
    EXPECT_EQ(glInteger(GL_TEXTURE_BINDING_2D), 0);

    const float values[4] = {1, 2, 3, 4};
    broken.setUniform1f("colour", 1.0f);
    broken.setUniform1i("colour", 1);
    broken.setUniform2f("colour", 1.0f, 2.0f);
    broken.setUniform2f("colour", Vec2d{1.0, 2.0});
    broken.setUniform4fv("colour", values, 1);

    GLuint vertexArray = 0;
    glGenVertexArrays(1, &vertexArray);
    glBindVertexArray(vertexArray);
    broken.enableVertexAttrib3(0, 0, 20);
    broken.enableVertexAttrib2(1, 12, 20);
    glEnableVertexAttribArray(2);
    broken.disableVertexAttrib(2);
    EXPECT_EQ(vertexAttrib(0, GL_VERTEX_ATTRIB_ARRAY_ENABLED), 0);
    EXPECT_EQ(vertexAttrib(1, GL_VERTEX_ATTRIB_ARRAY_ENABLED), 0);
    EXPECT_EQ(vertexAttrib(2, GL_VERTEX_ATTRIB_ARRAY_ENABLED), 1);
    EXPECT_EQ(glErrors(), "");

    EXPECT_EQ(captured([&] { broken.use(); }), first);
    EXPECT_EQ(broken.programName(), 0u);

    glBindVertexArray(0);
    glDeleteVertexArrays(1, &vertexArray);
    glDeleteTextures(1, &texture);
}

TEST_F(ShaderGLTest, AUniformTheTextDoesNotDeclareIsAnErrorAndOneDroppedAsUnusedIsNot) {
    Pass pass(kUniformsFragment);
    pass.program.use();
    const float colour[4] = {0.25f, 0.5f, 0.75f, 1.0f};
    pass.program.setUniform4fv("colour", colour, 1);
    // Declared, but the compiler drops what nothing reads: nothing to set.
    pass.program.setUniform1f("unread", 1.0f);
    pass.program.setUniformBlock("Table", 0, 0);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    for (const char* misspelt : {"color", "Table", "colourOut", "uv"}) {
        SCOPED_TRACE(misspelt);
        EXPECT_THROW(pass.program.setUniform1f(misspelt, 1.0f), std::invalid_argument);
        EXPECT_THROW(pass.program.setUniform1i(misspelt, 1), std::invalid_argument);
        EXPECT_THROW(pass.program.setUniform2f(misspelt, Vec2d{1.0, 2.0}), std::invalid_argument);
        EXPECT_THROW(pass.program.setUniform4fv(misspelt, colour, 1), std::invalid_argument);
        // Nothing bound on the way.
        glActiveTexture(GL_TEXTURE0);
        EXPECT_THROW(pass.program.setTexture(misspelt, GL_TEXTURE_2D, texture, 3),
                     std::invalid_argument);
        EXPECT_EQ(glInteger(GL_ACTIVE_TEXTURE), static_cast<GLint>(GL_TEXTURE0));
    }
    EXPECT_THROW(pass.program.setUniformBlock("colour", 0, 0), std::invalid_argument);
    EXPECT_EQ(glErrors(), "");

    const GLuint program = pass.program.programName();
    float read[4] = {};
    glGetUniformfv(program, glGetUniformLocation(program, "colour"), read);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(read[i], colour[i]) << i;
    }
    // Checked against the text, built or not.
    OpenglShader broken(kBrokenVertex, kUniformsFragment);
    EXPECT_THROW(broken.setUniform1f("color", 1.0f), std::invalid_argument);
    glDeleteTextures(1, &texture);
}

TEST_F(ShaderGLTest, SetTextureBindsOnItsUnitWhetherOrNotTheSamplerIsRead) {
    Pass pass(kUniformsFragment);
    pass.program.use();
    GLuint textures[2] = {};
    glGenTextures(2, textures);
    glActiveTexture(GL_TEXTURE0);

    pass.program.setTexture("unreadSampler", GL_TEXTURE_2D, textures[0], 3);
    EXPECT_EQ(glInteger(GL_ACTIVE_TEXTURE), static_cast<GLint>(GL_TEXTURE3));
    EXPECT_EQ(glInteger(GL_TEXTURE_BINDING_2D), static_cast<GLint>(textures[0]));

    pass.program.setTexture("source", GL_TEXTURE_2D, textures[1], 4);
    EXPECT_EQ(glInteger(GL_ACTIVE_TEXTURE), static_cast<GLint>(GL_TEXTURE4));
    EXPECT_EQ(glInteger(GL_TEXTURE_BINDING_2D), static_cast<GLint>(textures[1]));
    const GLuint program = pass.program.programName();
    GLint unit = -1;
    glGetUniformiv(program, glGetUniformLocation(program, "source"), &unit);
    EXPECT_EQ(unit, 4);
    EXPECT_EQ(glErrors(), "");
    glDeleteTextures(2, textures);
}

TEST_F(ShaderGLTest, AttributeBoundTwiceKeepsItsFirstLocation) {
    OpenglShader shader(glsl::kCommonVertex, kPassThroughFragment);
    shader.bindAttribLocation("position", 3);
    shader.bindAttribLocation("input_uv", 5);
    shader.bindAttribLocation("position", 0);
    EXPECT_EQ(captured([&] { shader.use(); }), "");
    const GLuint program = shader.programName();
    ASSERT_NE(program, 0u);
    EXPECT_EQ(glInteger(GL_CURRENT_PROGRAM), static_cast<GLint>(program));
    EXPECT_EQ(glGetAttribLocation(program, "position"), 3);
    EXPECT_EQ(glGetAttribLocation(program, "input_uv"), 5);
}

} // namespace
