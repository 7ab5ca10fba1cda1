// The Drawbot host's lifetime and suite registration, its call log, and the picture it drew.
#include "standins/aehost/drawbot/DrawbotState.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

namespace Kelvane::Neon::Host {

using drawbot::ContextSlot;
using drawbot::kMaxSide;
using drawbot::Object;

DrawbotHost::DrawbotHost(SuiteHost& suites, int width, int height) : impl_(nullptr) {
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) {
        throw std::invalid_argument("DrawbotHost: a surface of " + std::to_string(width) + "x" +
                                    std::to_string(height) + " pixels cannot be drawn on");
    }
    impl_ = new Impl(width, height);
    impl_->drawSuite = drawbot::makeDrawSuite();
    impl_->supplierSuite = drawbot::makeSupplierSuite();
    impl_->surfaceSuite = drawbot::makeSurfaceSuite();
    impl_->pathSuite = drawbot::makePathSuite();
    impl_->customUISuite = drawbot::makeCustomUISuite();
    impl_->appSuite = drawbot::makeAppSuite();
    suites.provide(kDRAWBOT_DrawSuite, kDRAWBOT_DrawSuite_Version1, &impl_->drawSuite);
    suites.provide(kDRAWBOT_SupplierSuite, kDRAWBOT_SupplierSuite_Version1, &impl_->supplierSuite);
    suites.provide(kDRAWBOT_SurfaceSuite, kDRAWBOT_SurfaceSuite_Version2, &impl_->surfaceSuite);
    suites.provide(kDRAWBOT_PathSuite, kDRAWBOT_PathSuite_Version1, &impl_->pathSuite);
    suites.provide(kPFEffectCustomUISuite, kPFEffectCustomUISuiteVersion1, &impl_->customUISuite);
    suites.provide(kPFAppSuite, kPFAppSuiteVersion4, &impl_->appSuite);
    ActiveInstance<DrawbotHost>::push(this);
}

DrawbotHost::~DrawbotHost() {
    ActiveInstance<DrawbotHost>::remove(this);
    delete impl_;
}

PF_ContextH DrawbotHost::context(PF_WindowType type) {
    std::unique_ptr<ContextSlot>& slot = impl_->contexts[type];
    if (!slot) {
        slot = std::make_unique<ContextSlot>();
        slot->context = PF_Context{};
        slot->context.magic = 0x636E7478; // 'cntx'
        slot->context.w_type = type;
        slot->pointer = &slot->context;
    }
    return &slot->pointer;
}

// An error of 0 would be a failure reported as success: it ends the failing instead.
void DrawbotHost::failCall(const std::string& function, A_Err error) {
    if (error == A_Err_NONE) {
        impl_->failures.erase(function);
    } else {
        impl_->failures[function] = error;
    }
}

const std::vector<DrawbotCall>& DrawbotHost::calls() const {
    return impl_->calls;
}

void DrawbotHost::clearCalls() {
    impl_->calls.clear();
}

std::vector<DrawbotCall> DrawbotHost::callsTo(const std::string& function) const {
    std::vector<DrawbotCall> found;
    for (const DrawbotCall& call : impl_->calls) {
        if (call.function == function) {
            found.push_back(call);
        }
    }
    return found;
}

int DrawbotHost::liveObjects() const {
    return int(
        std::count_if(impl_->objects.begin(), impl_->objects.end(),
                      [](const std::unique_ptr<Object>& o) { return !o->hostOwned && o->live(); }));
}

std::vector<std::uint8_t> DrawbotHost::rgba() const {
    cairo_surface_flush(impl_->surface);
    const std::uint8_t* data = cairo_image_surface_get_data(impl_->surface);
    const int stride = cairo_image_surface_get_stride(impl_->surface);
    std::vector<std::uint8_t> out(std::size_t(impl_->width) * std::size_t(impl_->height) * 4);
    std::uint8_t* o = out.data();
    for (int y = 0; y < impl_->height; ++y) {
        const auto* row =
            reinterpret_cast<const std::uint32_t*>(data + std::size_t(y) * std::size_t(stride));
        for (int x = 0; x < impl_->width; ++x, o += 4) {
            const std::uint32_t p = row[x];
            const unsigned a = p >> 24;
            if (a == 0) {
                continue; // already zero
            }
            const unsigned channel[3] = {(p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF};
            for (int c = 0; c < 3; ++c) {
                o[c] = std::uint8_t(std::min(255u, (channel[c] * 255 + a / 2) / a));
            }
            o[3] = std::uint8_t(a);
        }
    }
    return out;
}

int DrawbotHost::width() const {
    return impl_->width;
}

int DrawbotHost::height() const {
    return impl_->height;
}

namespace {

struct PngSink {
    int fd;
    bool failed;
};

cairo_status_t writeAll(void* closure, const unsigned char* data, unsigned int length) {
    auto* sink = static_cast<PngSink*>(closure);
    while (length > 0) {
        const ssize_t n = ::write(sink->fd, data, length);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            sink->failed = true;
            return CAIRO_STATUS_WRITE_ERROR;
        }
        data += n;
        length -= unsigned(n);
    }
    return CAIRO_STATUS_SUCCESS;
}

} // namespace

// Written beside the target and renamed over it, so the path holds either the old file or the
// whole new one. The file is made with the usual permissions (0666 less the umask).
bool DrawbotHost::writePng(const std::string& path) const {
    if (path.empty()) {
        return false;
    }
    cairo_surface_flush(impl_->surface);
    static std::atomic<unsigned> serial{0};
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(serial++);
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) {
            return false;
        }
    }
    if (fd < 0) {
        return false;
    }
    PngSink sink{fd, false};
    bool ok = cairo_surface_write_to_png_stream(impl_->surface, writeAll, &sink) ==
                  CAIRO_STATUS_SUCCESS &&
              !sink.failed && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && std::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
    }
    return ok;
}

} // namespace Kelvane::Neon::Host
