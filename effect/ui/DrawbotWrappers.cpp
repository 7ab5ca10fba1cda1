#include "effect/ui/DrawbotWrappers.h"

#include "AE_Effect.h"

namespace Kelvane {
namespace Neon {
namespace {

// Without a supplier suite nothing can be made, nor released later.
void RequireSuite(const DRAWBOT_SupplierSuite1* supplier_suite) {
    if (supplier_suite == nullptr) {
        throw DrawbotError(PF_Err_BAD_CALLBACK_PARAM);
    }
}

// The host may leave anything in the out-parameter when it fails: only a success is held.
void ThrowIfFailed(A_Err err) {
    if (err != A_Err_NONE) {
        throw DrawbotError(err);
    }
}

} // namespace

DrawbotPath::DrawbotPath(const DRAWBOT_SupplierSuite1* supplier_suite, DRAWBOT_SupplierRef supplier)
    : DrawbotObject(supplier_suite) {
    RequireSuite(supplier_suite);
    DRAWBOT_PathRef path = nullptr;
    ThrowIfFailed(supplier_suite->NewPath(supplier, &path));
    Hold(path);
}

DrawbotBrush::DrawbotBrush(const DRAWBOT_SupplierSuite1* supplier_suite,
                           DRAWBOT_SupplierRef supplier, const DRAWBOT_ColorRGBA& colour)
    : DrawbotObject(supplier_suite) {
    RequireSuite(supplier_suite);
    DRAWBOT_BrushRef brush = nullptr;
    ThrowIfFailed(supplier_suite->NewBrush(supplier, &colour, &brush));
    Hold(brush);
}

DrawbotFont::DrawbotFont(const DRAWBOT_SupplierSuite1* supplier_suite, DRAWBOT_SupplierRef supplier,
                         float size)
    : DrawbotObject(supplier_suite) {
    RequireSuite(supplier_suite);
    DRAWBOT_FontRef font = nullptr;
    ThrowIfFailed(supplier_suite->NewDefaultFont(supplier, size, &font));
    Hold(font);
}

} // namespace Neon
} // namespace Kelvane
