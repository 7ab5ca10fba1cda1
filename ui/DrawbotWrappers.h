// Owning wrappers for Drawbot objects (paths, brushes, fonts): each makes its object through the
// supplier suite, throws DRAWBOT_Exception when the host refuses, and releases the object when
// it goes out of scope. Not copyable: each wrapper owns its reference alone.
#pragma once

#include "DrawbotSuite.h"

#include <exception>

// A Drawbot call that failed, with the host's error code.
class DRAWBOT_Exception : public std::exception {
public:
    explicit DRAWBOT_Exception(A_Err err) noexcept : code(err) {}
    DRAWBOT_Exception(const DRAWBOT_Exception&) noexcept = default;
    DRAWBOT_Exception& operator=(const DRAWBOT_Exception&) noexcept = default;

    A_Err code;
};

template <typename Ref> class SharedRefImpl {
public:
    virtual ~SharedRefImpl() {
        if (ref_ != nullptr) {
            // A destructor cannot report a failed release; the object is given up either way.
            supplier_suite_->ReleaseObject(ref_);
            ref_ = nullptr;
        }
    }
    SharedRefImpl(const SharedRefImpl&) = delete;
    SharedRefImpl& operator=(const SharedRefImpl&) = delete;

    Ref Get() const { return ref_; }
    operator Ref() const { return ref_; }

protected:
    explicit SharedRefImpl(const DRAWBOT_SupplierSuite1* supplier_suite)
        : supplier_suite_(supplier_suite) {}

    // Takes ownership of a reference the host has just made.
    void Hold(Ref ref) { ref_ = ref; }

    const DRAWBOT_SupplierSuite1* supplier_suite_;

private:
    Ref ref_ = nullptr;
};

class DRAWBOT_PathP : public SharedRefImpl<DRAWBOT_PathRef> {
public:
    DRAWBOT_PathP(const DRAWBOT_SupplierSuite1* supplier_suite, DRAWBOT_SupplierRef supplier);
};

class DRAWBOT_BrushP : public SharedRefImpl<DRAWBOT_BrushRef> {
public:
    DRAWBOT_BrushP(const DRAWBOT_SupplierSuite1* supplier_suite, DRAWBOT_SupplierRef supplier,
                   const DRAWBOT_ColorRGBA& colour);
};

// The host's default font at a given size.
class DRAWBOT_FontP : public SharedRefImpl<DRAWBOT_FontRef> {
public:
    DRAWBOT_FontP(const DRAWBOT_SupplierSuite1* supplier_suite, DRAWBOT_SupplierRef supplier,
                  float size);
};
