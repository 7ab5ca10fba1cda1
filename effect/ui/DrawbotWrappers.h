// Owning wrappers for Drawbot objects (paths, brushes, fonts): each makes its object through the
// supplier suite, throws DrawbotError when the host refuses, and releases the object when it
// goes out of scope. Not copyable: each wrapper owns its reference alone. The names are the
// module's own: the SDK's drawing header has helper classes of its own under DRAWBOT_ names.
#pragma once

#include "A.h"
#include "adobesdk/DrawbotSuite.h"

#include <exception>

namespace Kelvane {
namespace Neon {

// A Drawbot call that failed, with the host's error code.
class DrawbotError : public std::exception {
public:
    explicit DrawbotError(A_Err err) noexcept : code(err) {}
    DrawbotError(const DrawbotError&) noexcept = default;
    DrawbotError& operator=(const DrawbotError&) noexcept = default;

    A_Err code;
};

// Each kind of object has a reference type of its own; the supplier releases any of them as a
// DRAWBOT_ObjectRef.
template <typename Ref> class DrawbotObject {
public:
    virtual ~DrawbotObject() {
        if (ref_ != nullptr) {
            // A destructor cannot report a failed release; the object is given up either way.
            supplier_suite_->ReleaseObject(reinterpret_cast<DRAWBOT_ObjectRef>(ref_));
            ref_ = nullptr;
        }
    }
    DrawbotObject(const DrawbotObject&) = delete;
    DrawbotObject& operator=(const DrawbotObject&) = delete;

    Ref Get() const { return ref_; }
    operator Ref() const { return ref_; }

protected:
    explicit DrawbotObject(const DRAWBOT_SupplierSuite1* supplier_suite)
        : supplier_suite_(supplier_suite) {}

    // Takes ownership of a reference the host has just made.
    void Hold(Ref ref) { ref_ = ref; }

    const DRAWBOT_SupplierSuite1* supplier_suite_;

private:
    Ref ref_ = nullptr;
};

class DrawbotPath : public DrawbotObject<DRAWBOT_PathRef> {
public:
    DrawbotPath(const DRAWBOT_SupplierSuite1* supplier_suite, DRAWBOT_SupplierRef supplier);
};

class DrawbotBrush : public DrawbotObject<DRAWBOT_BrushRef> {
public:
    DrawbotBrush(const DRAWBOT_SupplierSuite1* supplier_suite, DRAWBOT_SupplierRef supplier,
                 const DRAWBOT_ColorRGBA& colour);
};

// The host's default font at a given size.
class DrawbotFont : public DrawbotObject<DRAWBOT_FontRef> {
public:
    DrawbotFont(const DRAWBOT_SupplierSuite1* supplier_suite, DRAWBOT_SupplierRef supplier,
                float size);
};

} // namespace Neon
} // namespace Kelvane
