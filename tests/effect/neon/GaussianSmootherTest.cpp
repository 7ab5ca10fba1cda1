// The smoother's sampling and generated program texts; no GL context needed.

#include "effect/neon/GaussianSmoother.h"

#include "tests/effect/neon/CommaLocale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <regex>
#include <string>
#include <utility>

namespace {

using Kelvane::Neon::GaussianSmoother;

bool hasCommaDecimal(const std::string& text) {
    return std::regex_search(text, std::regex("[0-9],[0-9]"));
}

std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos;
         at = text.find(part, at + part.size())) {
        ++count;
    }
    return count;
}

TEST(GaussianSmootherTest, SampleRadiusFollowsTheRoundedBlurRadius) {
    // Where the normal density falls to 1/256, made even; 2 keeps the initial pair (the
    // formula alone would give 6).
    const std::pair<int, int> table[] = {{1, 4},   {2, 4},   {3, 8},   {4, 10},  {5, 12},
                                         {6, 14},  {7, 16},  {8, 18},  {10, 22}, {12, 24},
                                         {15, 30}, {20, 36}, {30, 46}, {40, 54}};
    GaussianSmoother smoother;
    for (const auto& [radius, samples] : table) {
        smoother.setBlurRadius(radius);
        EXPECT_EQ(smoother.sigma(), radius) << "radius " << radius;
        EXPECT_EQ(smoother.sampleRadius(), samples) << "radius " << radius;
    }
}

TEST(GaussianSmootherTest, RadiusTwoAlwaysMeansTheInitialPair) {
    GaussianSmoother smoother;
    EXPECT_EQ(smoother.sigma(), 2.0);
    EXPECT_EQ(smoother.sampleRadius(), 4);

    smoother.setBlurRadius(3);
    smoother.setBlurRadius(2);
    EXPECT_EQ(smoother.sigma(), 2.0);
    EXPECT_EQ(smoother.sampleRadius(), 4);
    EXPECT_TRUE(smoother.programOutdated());
    // Same texts as a new smoother: nothing carried over from the radius used before.
    EXPECT_EQ(smoother.vertexShaderText(), GaussianSmoother().vertexShaderText());
    EXPECT_EQ(smoother.fragmentShaderText(), GaussianSmoother().fragmentShaderText());
}

TEST(GaussianSmootherTest, RoundsHalvesAwayFromZeroAndClampsToTheControlRange) {
    for (double radius : {2.4, 1.6}) {
        GaussianSmoother smoother;
        smoother.setBlurRadius(radius);
        EXPECT_EQ(smoother.sigma(), 2.0) << radius;
        EXPECT_EQ(smoother.sampleRadius(), 4) << radius;
    }
    GaussianSmoother smoother;
    smoother.setBlurRadius(2.5);
    EXPECT_EQ(smoother.sigma(), 3.0);
    EXPECT_EQ(smoother.sampleRadius(), 8);
    smoother.setBlurRadius(3.4);
    EXPECT_EQ(smoother.sigma(), 3.0);
    smoother.setBlurRadius(3.5);
    EXPECT_EQ(smoother.sigma(), 4.0);

    const std::pair<double, double> clamped[] = {{0.3, 1.0}, {0.0, 1.0},   {-7.0, 1.0},
                                                 {NAN, 1.0}, {55.0, 40.0}, {INFINITY, 40.0}};
    for (const auto& [radius, sigma] : clamped) {
        GaussianSmoother s;
        s.setBlurRadius(radius);
        EXPECT_EQ(s.sigma(), sigma) << radius;
        EXPECT_EQ(s.sampleRadius(), sigma == 1.0 ? 4 : 54) << radius;
    }
}

TEST(GaussianSmootherTest, NormalisedWeightsSumToOne) {
    GaussianSmoother smoother;
    for (int radius = 1; radius <= 40; ++radius) {
        smoother.setBlurRadius(radius);
        const std::vector<float> w = smoother.weights();
        ASSERT_EQ(w.size(), static_cast<std::size_t>(smoother.sampleRadius()) + 1);
        // Every texel but the centre is sampled on both sides.
        const double sum = w[0] + 2.0 * std::accumulate(w.begin() + 1, w.end(), 0.0);
        EXPECT_NEAR(sum, 1.0, 1e-6) << "radius " << radius;
    }
}

TEST(GaussianSmootherTest, InitialTextsMergeTexelPairsIntoLinearSamples) {
    // Sigma 2 over 4 texels: w0 = 0.204164; texels 1+2 weigh 0.304005 at 1.40733, texels 3+4
    // weigh 0.0939128 at 3.29421 (worked by hand from the normal density).
    GaussianSmoother smoother;
    EXPECT_EQ(smoother.vertexShaderText(),
              "#version 330\n in vec2 position; in vec2 input_uv; out vec2 uv; "
              "uniform vec2 texelOffset;\n"
              "uniform vec2 viewSize;\n"
              "out vec2 blurCoordinates[5];\n"
              "void main(){\n"
              "    vec2 singleStepOffset = vec2(texelOffset.x / viewSize.x, texelOffset.y / "
              "viewSize.y);\n"
              "    blurCoordinates[0] = input_uv.xy;\n"
              "    blurCoordinates[1] = input_uv.xy + singleStepOffset * 1.40733;\n"
              "    blurCoordinates[2] = input_uv.xy - singleStepOffset * 1.40733;\n"
              "    blurCoordinates[3] = input_uv.xy + singleStepOffset * 3.29421;\n"
              "    blurCoordinates[4] = input_uv.xy - singleStepOffset * 3.29421;\n"
              "uv = input_uv; gl_Position = vec4(position, 0.0, 1.0); }");
    EXPECT_EQ(smoother.fragmentShaderText(),
              "#version 330\n in vec2 uv; uniform sampler2D videoTexture; out vec4 colourOut;\n"
              "uniform float multiplier16bit;uniform vec2 texelOffset;\n"
              "uniform vec2 viewSize;\n"
              "in vec2 blurCoordinates[5];\n"
              "void main() {\n    vec4 sum = vec4(0.0);\n"
              "    sum += texture(videoTexture, blurCoordinates[0]) * 0.204164;\n"
              "    sum += texture(videoTexture, blurCoordinates[1]) * 0.304005;\n"
              "    sum += texture(videoTexture, blurCoordinates[2]) * 0.304005;\n"
              "    sum += texture(videoTexture, blurCoordinates[3]) * 0.0939128;\n"
              "    sum += texture(videoTexture, blurCoordinates[4]) * 0.0939128;\n"
              "    if(multiplier16bit <= 0){colourOut = sum;}else{"
              "\t\tcolourOut = sum * multiplier16bit; \t\tcolourOut = vec4(colourOut.g, "
              "colourOut.b, colourOut.a, colourOut.r);\n \t\tcolourOut = vec4(colourOut.a * "
              "colourOut.r, colourOut.a * colourOut.g, colourOut.a * colourOut.b, "
              "colourOut.a);\n     }}\n");
}

TEST(GaussianSmootherTest, PairsBeyondSevenAreSampledInTheFragmentStage) {
    GaussianSmoother smoother;
    smoother.setBlurRadius(6);
    // 14 texels: seven pairs, all from the vertex stage.
    EXPECT_NE(smoother.vertexShaderText().find("out vec2 blurCoordinates[15];\n"),
              std::string::npos);
    EXPECT_EQ(smoother.fragmentShaderText().find("singlStepOffset"), std::string::npos);

    smoother.setBlurRadius(7);
    const std::string vertex = smoother.vertexShaderText();
    const std::string fragment = smoother.fragmentShaderText();
    EXPECT_NE(vertex.find("out vec2 blurCoordinates[15];\n"), std::string::npos);
    EXPECT_EQ(occurrences(vertex, "] = input_uv.xy + singleStepOffset * "), 7u);
    EXPECT_EQ(occurrences(vertex, "] = input_uv.xy - singleStepOffset * "), 7u);
    EXPECT_NE(fragment.find("in vec2 blurCoordinates[15];\n"), std::string::npos);
    // Sigma 7 over 16 texels: w0 = 0.0580551; texels 15+16 weigh 0.0101038 at 15.4216.
    EXPECT_NE(fragment.find("    sum += texture(videoTexture, blurCoordinates[0]) * 0.0580551;\n"),
              std::string::npos);
    EXPECT_NE(fragment.find("    vec2 singlStepOffset = vec2(texelOffset.x / viewSize.x, "
                            "texelOffset.y / viewSize.y);\n"
                            "    sum += texture(videoTexture, blurCoordinates[0] + "
                            "singlStepOffset *15.4216) * 0.0101038;\n"
                            "    sum += texture(videoTexture, blurCoordinates[0] - "
                            "singlStepOffset *15.4216) * 0.0101038;\n"
                            "    if(multiplier16bit <= 0)"),
              std::string::npos);

    // 54 texels: 27 pairs, 20 of them per fragment.
    smoother.setBlurRadius(40);
    EXPECT_EQ(occurrences(smoother.fragmentShaderText(), "singlStepOffset *"), 40u);
    EXPECT_EQ(occurrences(smoother.fragmentShaderText(), "sum += texture"), 55u);
}

TEST(GaussianSmootherTest, TextsDoNotFollowTheGlobalLocale) {
    // The initial pair, a fragment-stage pair and the widest radius.
    for (double radius : {2.0, 7.0, 40.0}) {
        GaussianSmoother smoother;
        smoother.setBlurRadius(radius);
        const std::string vertex = smoother.vertexShaderText();
        const std::string fragment = smoother.fragmentShaderText();
        GlobalCommaLocale comma;
        const std::string commaVertex = smoother.vertexShaderText();
        const std::string commaFragment = smoother.fragmentShaderText();
        EXPECT_FALSE(hasCommaDecimal(commaVertex)) << "radius " << radius;
        EXPECT_FALSE(hasCommaDecimal(commaFragment)) << "radius " << radius;
        EXPECT_EQ(commaVertex, vertex) << "radius " << radius;
        EXPECT_EQ(commaFragment, fragment) << "radius " << radius;
    }
}

} // namespace
