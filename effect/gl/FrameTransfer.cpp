#include "effect/gl/FrameTransfer.h"

#include "effect/gl/TextureParameters.h"

#include "effect/controls/SuiteScoper.h"

#include "AE_EffectCBSuites.h"

#include <algorithm>
#include <cmath>
#include <array>
#include <atomic>
#include <cstddef>
#include <cstring>
#include <vector>

using namespace gl;

namespace Kelvane {
namespace Neon {
namespace {

constexpr A_long kUnknownFormat = PF_Err_BAD_CALLBACK_PARAM;
constexpr A_long kOutOfMemory = PF_Err_OUT_OF_MEMORY;

// The first pixel of a world, from the host's callback; a world without one cannot be read
// or written.
PF_Pixel8* firstPixel(PF_InData* in_data, PF_EffectWorld* world) {
    PF_Pixel8* pixels = nullptr;
    if (in_data->utils == nullptr || in_data->utils->get_pixel_data8 == nullptr ||
        in_data->utils->get_pixel_data8(world, nullptr, &pixels) != PF_Err_NONE ||
        pixels == nullptr) {
        throw kUnknownFormat;
    }
    return pixels;
}

// Whether the world's rows hold its width without overlapping, whichever way they run
// (`rowbytes` is negative when they are stored bottom-up).
bool rowsApart(const PF_EffectWorld* world) {
    const std::int64_t stride = world->rowbytes;
    return (stride < 0 ? -stride : stride) >= std::int64_t(world->width) * 4;
}

// A host memory handle, locked for the life of the scope, disposed on every way out.
class LockedHandle {
public:
    LockedHandle(const PF_HandleSuite1* suite, A_HandleSize size) : suite_(suite) {
        handle_ = suite_->host_new_handle(size);
        if (handle_ == nullptr) {
            throw kOutOfMemory;
        }
        memory_ = suite_->host_lock_handle(handle_);
        if (memory_ == nullptr) {
            suite_->host_dispose_handle(handle_);
            throw kOutOfMemory;
        }
    }
    ~LockedHandle() {
        suite_->host_unlock_handle(handle_);
        suite_->host_dispose_handle(handle_);
    }
    LockedHandle(const LockedHandle&) = delete;
    LockedHandle& operator=(const LockedHandle&) = delete;
    unsigned char* bytes() const { return static_cast<unsigned char*>(memory_); }

private:
    const PF_HandleSuite1* suite_;
    PF_Handle handle_ = nullptr;
    void* memory_ = nullptr;
};

// Floats converted at a time on the way up: a megabyte, whatever the frame.
constexpr std::size_t kStripFloats = 1 << 18;

// x / 255 for each byte x, as a float.
constexpr std::array<float, 256> byteOver255() {
    std::array<float, 256> f{};
    for (std::size_t i = 0; i < f.size(); ++i) {
        f[i] = static_cast<float>(i) / 255.0f;
    }
    return f;
}

// The float the driver makes of each byte when an 8-bit upload goes into a float texture
// (about x / 255, rounded its own way), found by having it convert all 256 once; converting
// with this table keeps its very values. The probe leaves the context's errors alone (they are
// the frame's to read); one that read back nothing sensible is tried again next frame, and
// meanwhile the bytes convert as x / 255. Renders come one at a time, so there is no lock:
// the flag only publishes the table to threads that render later.
const std::array<float, 256>& byteFloats() {
    static constexpr std::array<float, 256> fallback = byteOver255();
    static std::array<float, 256> found{};
    static std::atomic<bool> known{false};
    if (known.load(std::memory_order_acquire)) {
        return found;
    }
    std::array<unsigned char, 256> bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<unsigned char>(i);
    }
    std::array<float, 256> probed;
    probed.fill(-1.0f);
    GLuint probe = 0;
    glGenTextures(1, &probe);
    glBindTexture(GL_TEXTURE_2D, probe);
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(GL_R32F), 256, 1, 0, GL_RED, GL_UNSIGNED_BYTE,
                 bytes.data());
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RED, GL_FLOAT, probed.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    glDeleteTextures(1, &probe);
    for (std::size_t i = 0; i < probed.size(); ++i) {
        if (!(std::fabs(probed[i] - fallback[i]) <= 1.0e-6f)) {
            return fallback;
        }
    }
    found = probed;
    known.store(true, std::memory_order_release);
    return found;
}

} // namespace

Texture uploadTexture(std::uint32_t formatCode, PF_EffectWorld* input, PF_InData* in_data,
                      std::uint64_t* bytesPerPixel, GLenum* pixelType, float* multiplier16bit) {
    Texture texture;
    uploadInto(texture, formatCode, input, in_data, bytesPerPixel, pixelType, multiplier16bit);
    return texture;
}

void uploadInto(Texture& texture, std::uint32_t formatCode, PF_EffectWorld* input,
                PF_InData* in_data, std::uint64_t* bytesPerPixel, GLenum* pixelType,
                float* multiplier16bit, bool alphaOnly) {
    if (formatCode != kFormatArgb8 || !rowsApart(input)) {
        throw kUnknownFormat;
    }
    PF_Pixel8* pixels = firstPixel(in_data, input);
    const std::array<float, 256>& floats = byteFloats();

    if (!texture) {
        GLuint name = 0;
        glGenTextures(1, &name);
        texture.reset(name);
        glBindTexture(GL_TEXTURE_2D, name);
        setClampedSampling();
        // The host's bytes go up as RGBA whatever is kept: one red channel keeps the first,
        // the host's alpha.
        glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(alphaOnly ? GL_R32F : GL_RGBA32F),
                     input->width, input->height, 0, GL_RGBA, GL_FLOAT, nullptr);
    } else {
        // Storage of this size already: every texel is written below.
        glBindTexture(GL_TEXTURE_2D, texture.get());
    }

    *multiplier16bit = 1.0f;
    *pixelType = GL_UNSIGNED_BYTE;
    *bytesPerPixel = 4;
    const auto* top = reinterpret_cast<const unsigned char*>(pixels);
    // Converted here, a strip of rows at a time, into the floats the driver would make of the
    // bytes, which it then copies as they are: its own conversion costs more. One red channel
    // keeps the first byte, the host's alpha.
    const std::size_t channels = alphaOnly ? 1 : 4;
    const std::size_t rowFloats = std::size_t(input->width) * channels;
    const A_long stripRows = static_cast<A_long>(
        std::max<std::size_t>(1, kStripFloats / std::max<std::size_t>(1, rowFloats)));
    std::vector<float> strip(rowFloats * std::size_t(std::min(stripRows, input->height)));
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    for (A_long y0 = 0; y0 < input->height; y0 += stripRows) {
        const A_long rows = std::min(stripRows, input->height - y0);
        for (A_long r = 0; r < rows; ++r) {
            const unsigned char* row = top + std::ptrdiff_t(y0 + r) * input->rowbytes;
            float* to = strip.data() + std::size_t(r) * rowFloats;
            if (alphaOnly) {
                for (A_long x = 0; x < input->width; ++x) {
                    to[x] = floats[row[std::size_t(x) * 4]];
                }
            } else {
                for (std::size_t i = 0; i < rowFloats; ++i) {
                    to[i] = floats[row[i]];
                }
            }
        }
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, y0, input->width, rows, alphaOnly ? GL_RED : GL_RGBA,
                        GL_FLOAT, strip.data());
    }
    glBindTexture(GL_TEXTURE_2D, 0);
}

void downloadTexture(std::int32_t width, std::int32_t height, PF_EffectWorld* /*input*/,
                     PF_EffectWorld* output, PF_InData* in_data, std::uint32_t formatCode,
                     std::uint64_t bytesPerPixel, GLenum pixelType) {
    if (formatCode != kFormatArgb8 || !rowsApart(output)) {
        throw kUnknownFormat;
    }
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    // A top-down world that holds the whole read takes it in place, its row length skipping
    // the row padding: no frame-sized buffer, no second copy.
    if (output->rowbytes > 0 && output->rowbytes % 4 == 0 && output->width >= width &&
        output->height >= height && bytesPerPixel == 4) {
        glPixelStorei(GL_PACK_ROW_LENGTH, output->rowbytes / 4);
        glReadPixels(0, 0, width, height, GL_RGBA, pixelType, firstPixel(in_data, output));
        glPixelStorei(GL_PACK_ROW_LENGTH, 0);
        return;
    }
    SuiteScoper<PF_HandleSuite1> handles(in_data->pica_basicP, kPFHandleSuite,
                                         kPFHandleSuiteVersion1);
    const std::uint32_t pixelCount =
        static_cast<std::uint32_t>(width) * static_cast<std::uint32_t>(height);
    LockedHandle buffer(handles.get(), A_HandleSize(pixelCount) * bytesPerPixel);
    glReadPixels(0, 0, width, height, GL_RGBA, pixelType, buffer.bytes());

    // Only the part that both the read and the output world cover is copied.
    const std::int32_t rows = std::min(output->height, height);
    const std::int32_t columns = std::min(output->width, width);
    if (rows <= 0 || columns <= 0) {
        return;
    }
    // Row i lies i * rowbytes bytes from the top row: below it in memory for a bottom-up world.
    auto* top = reinterpret_cast<unsigned char*>(firstPixel(in_data, output));
    for (std::int32_t i = 0; i < rows; ++i) {
        std::memcpy(top + std::ptrdiff_t(i) * output->rowbytes,
                    buffer.bytes() + std::size_t(i) * width * 4, std::size_t(columns) * 4);
    }
}

} // namespace Neon
} // namespace Kelvane
