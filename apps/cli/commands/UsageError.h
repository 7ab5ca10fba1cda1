// A command line the command cannot act on: a bad option value, a missing input, a frame range
// that holds nothing. The message is for the user, without the program's name.
#pragma once

#include <stdexcept>

namespace Kelvane::Neon::Apps {

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

} // namespace Kelvane::Neon::Apps
