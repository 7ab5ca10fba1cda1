// The floor of a frame's cost on this machine's GPU: upload the 8-bit frame (the render's input
// format) into a texture kept from frame to frame, one trivial full-screen pass into an 8-bit
// target (its output format), read it back. Render times are reported as a ratio to it, a
// figure that carries from machine to machine.
#pragma once

#include <glbinding/gl33core/gl.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace Kelvane::Neon {
class OpenglShader;
class FullScreenQuad;
} // namespace Kelvane::Neon

namespace Kelvane::Neon::Bench {

// Made and used on one thread, whose own context it makes current for each trip (a render in
// between may leave another current).
class Floor {
public:
    Floor(int width, int height);
    ~Floor();
    Floor(const Floor&) = delete;
    Floor& operator=(const Floor&) = delete;

    // One round trip, in milliseconds.
    double once();
    // The median of this many trips: a trip now and then stalls on the machine, and the
    // median of many holds still where one trip or a few do not.
    double median(int trips);

private:
    int width_;
    int height_;
    std::vector<std::uint8_t> frame_;
    std::vector<std::uint8_t> back_;
    std::unique_ptr<OpenglShader> program_;
    std::unique_ptr<FullScreenQuad> quad_;
    gl::GLuint framebuffer_ = 0;
    gl::GLuint target_ = 0;
    gl::GLuint texture_ = 0;
};

// The median of `values` (which it reorders); 0 for none.
double medianOf(std::vector<double>& values);

} // namespace Kelvane::Neon::Bench
