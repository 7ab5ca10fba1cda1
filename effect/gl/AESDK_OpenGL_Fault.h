// Thrown by value when an OpenGL context cannot be made. Every construction failure carries 1.
#pragma once

#include <cstdint>

namespace Kelvane {
namespace Neon {

class AESDK_OpenGL_Fault {
public:
    explicit AESDK_OpenGL_Fault(std::int32_t code) : errorCode(code) {}
    std::int32_t errorCode;
};

} // namespace Neon
} // namespace Kelvane
