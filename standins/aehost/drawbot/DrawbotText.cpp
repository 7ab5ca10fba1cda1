// Text on the surface: UTF-16 strings decoded, fitted to a truncation width with an ellipsis,
// aligned around their origin and drawn with cairo's toy font API.
#include "standins/aehost/drawbot/DrawbotState.h"

#include <cmath>

namespace Kelvane::Neon::Host {
namespace drawbot {
namespace {

const char* const kEllipsis = "\xE2\x80\xA6";

// UTF-16 to code points; unpaired surrogates become U+FFFD.
std::vector<char32_t> codePoints(const DRAWBOT_UTF16Char* s) {
    std::vector<char32_t> out;
    for (std::size_t i = 0; s[i] != 0; ++i) {
        const char32_t u = s[i];
        if (u >= 0xD800 && u < 0xDC00 && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000) {
            out.push_back(0x10000 + ((u - 0xD800) << 10) + (s[i + 1] - 0xDC00));
            ++i;
        } else if (u >= 0xD800 && u < 0xE000) {
            out.push_back(0xFFFD);
        } else {
            out.push_back(u);
        }
    }
    return out;
}

std::string utf8(const std::vector<char32_t>& cps, std::size_t from, std::size_t to) {
    std::string out;
    for (std::size_t i = from; i < to; ++i) {
        const char32_t c = cps[i];
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += char(0xE0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xF0 | (c >> 18));
            out += char(0x80 | ((c >> 12) & 0x3F));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

double advance(cairo_t* cr, const std::string& text) {
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text.c_str(), &extents);
    return extents.x_advance;
}

// Truncation style 1 cuts the text at the width without an ellipsis (it has no name of its own
// in the published enumeration, which starts the ellipsis styles at 2).
constexpr DRAWBOT_TextTruncation kTruncationCut = 1;

// The text as drawn: with a truncation and a positive width, the longest shortening that fits
// (nothing at all when not even the ellipsis fits).
std::string fitted(cairo_t* cr, const std::vector<char32_t>& cps, DRAWBOT_TextTruncation style,
                   float width) {
    const std::size_t n = cps.size();
    std::string whole = utf8(cps, 0, n);
    if (style == kDRAWBOT_TextTruncation_None || !(width > 0) || advance(cr, whole) <= width) {
        return whole;
    }
    // Keeping `keep` characters: from the start, or split around the middle for paths, where
    // both the root and the file name matter.
    auto shortened = [&](std::size_t keep) {
        std::size_t head = keep, tail = 0;
        if (style == kDRAWBOT_TextTruncation_PathEllipsis) {
            head = (keep + 1) / 2;
            tail = keep / 2;
        }
        while (head > 0 && cps[head - 1] == U' ') {
            --head;
        }
        return utf8(cps, 0, head) + (style == kTruncationCut ? "" : kEllipsis) +
               utf8(cps, n - tail, n);
    };
    // Widths grow with the characters kept: search the most that fit.
    std::size_t lo = 0, hi = n - 1;
    if (style != kTruncationCut && advance(cr, shortened(0)) > width) {
        return std::string();
    }
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo + 1) / 2;
        if (advance(cr, shortened(mid)) <= width) {
            lo = mid;
        } else {
            hi = mid - 1;
        }
    }
    return shortened(lo);
}

} // namespace

A_Err drawString(DRAWBOT_SurfaceRef surface, DRAWBOT_BrushRef brush, DRAWBOT_FontRef font,
                 const DRAWBOT_UTF16Char* string, const DRAWBOT_PointF32* origin,
                 DRAWBOT_TextAlignment alignment, DRAWBOT_TextTruncation truncation,
                 float truncationWidth) {
    const std::vector<char32_t> cps =
        string == nullptr ? std::vector<char32_t>() : codePoints(string);
    // The last argument, the text as drawn, is filled in once known.
    return objectCall(
        "DrawString", surface, Kind::Surface,
        {name(brush), name(font), string == nullptr ? "null" : utf8(cps, 0, cps.size()),
         pointText(origin), std::to_string(alignment), std::to_string(truncation),
         number(truncationWidth), ""},
        [&](Impl& h, Object&) -> A_Err {
            const std::size_t callIndex = h.calls.size() - 1;
            const Object* b = h.find(brush, Kind::Brush);
            const Object* f = h.find(font, Kind::Font);
            if (b == nullptr || f == nullptr || string == nullptr || origin == nullptr ||
                !finite({origin->x, origin->y}) || alignment < kDRAWBOT_TextAlignment_Left ||
                alignment > kDRAWBOT_TextAlignment_Right ||
                truncation < kDRAWBOT_TextTruncation_None ||
                truncation > kDRAWBOT_TextTruncation_PathEllipsis || std::isnan(truncationWidth)) {
                return A_Err_PARAMETER;
            }
            cairo_t* cr = h.cr;
            cairo_save(cr);
            cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL,
                                   CAIRO_FONT_WEIGHT_NORMAL);
            cairo_set_font_size(cr, f->size);
            cairo_font_options_t* options = cairo_font_options_create();
            cairo_font_options_set_antialias(options, cairoAntiAlias(h.states.back().antiAlias));
            cairo_set_font_options(cr, options);
            cairo_font_options_destroy(options);

            const std::string drawn = fitted(cr, cps, truncation, truncationWidth);
            double x = origin->x;
            if (alignment != kDRAWBOT_TextAlignment_Left) {
                const double width = advance(cr, drawn);
                x -= alignment == kDRAWBOT_TextAlignment_Center ? width / 2 : width;
            }
            setSource(cr, b->colour);
            cairo_new_path(cr);
            cairo_move_to(cr, x, origin->y);
            cairo_show_text(cr, drawn.c_str());
            cairo_new_path(cr);
            cairo_restore(cr);
            h.calls[callIndex].args.back() = drawn;
            return h.status();
        });
}

} // namespace drawbot
} // namespace Kelvane::Neon::Host
