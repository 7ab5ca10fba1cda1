// The host's Drawbot drawing suites, drawing with cairo into an ARGB image of a chosen size,
// and recording every call so a drawing can be checked call by call. Also serves what a
// custom-UI event needs around it: "PF Effect Custom UI Suite" (the drawing reference of an
// event's context) and "PF AE App Suite" (the panel background colour). Suites are plain C
// records: the most recently made DrawbotHost that still exists serves them.
#pragma once

#include "standins/aehost/host/SuiteHost.h"

#include "AE_EffectCBSuites.h"
#include "AE_EffectSuites.h"
#include "adobesdk/DrawbotSuite.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Kelvane::Neon::Host {

// One recorded call: the suite function's name and its arguments as text (numbers with up to
// six significant digits, colours as r,g,b,a, strings as UTF-8).
struct DrawbotCall {
    std::string function;
    std::vector<std::string> args;
};

class DrawbotHost {
public:
    // Provides the four Drawbot suites, the custom UI suite and the app suite through `suites`.
    DrawbotHost(SuiteHost& suites, int width, int height);
    ~DrawbotHost();
    DrawbotHost(const DrawbotHost&) = delete;
    DrawbotHost& operator=(const DrawbotHost&) = delete;

    // The event context to put in PF_EventExtra::contextH, for a window of `type`.
    PF_ContextH context(PF_WindowType type);

    // The panel background colour PF_AppGetBgColor answers (16 bits a channel).
    void setBackground(PF_App_Color colour) { background_ = colour; }
    // The named suite function fails with `error` from now on (e.g. "GetSurface", "NewBrush",
    // "PF_GetDrawingReference").
    void failCall(const std::string& function, A_Err error);

    const std::vector<DrawbotCall>& calls() const;
    void clearCalls();
    // Calls to one function, in order.
    std::vector<DrawbotCall> callsTo(const std::string& function) const;
    // Drawbot objects (paths, brushes, fonts) made and not yet released.
    int liveObjects() const;

    // The picture drawn so far, 8-bit RGBA straight, rows top first.
    std::vector<std::uint8_t> rgba() const;
    int width() const;
    int height() const;
    // Writes the picture as a PNG; false when it cannot.
    bool writePng(const std::string& path) const;

private:
    struct Impl;
    Impl* impl_;
    PF_App_Color background_{0x2000, 0x2000, 0x2000};
    friend struct DrawbotAccess;
};

} // namespace Kelvane::Neon::Host
