// The header strip: which events it acts on, what it draws where, and what it gives back.

#include "tests/effect/ui/UiHost.h"

#include "effect/ui/DrawbotWrappers.h"
#include "effect/ui/HeaderPanel.h"

#include "AE_EffectCBSuites.h"
#include "AE_EffectSuites.h"
#include "standins/win32/StandInControl.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Kelvane::Neon::HandleEvent;
using ::testing::ElementsAre;

constexpr A_long kSuiteRefused = 13;
const char* const kAccentText = "0.435,0.286,0.87,1";

struct Point {
    double x, y;
};

class HeaderPanelTest : public ::testing::Test, protected Kelvane::Neon::Test::UiHost {
protected:
    HeaderPanelTest() {
        Kelvane::Neon::StandIn::setUrlOpener([this](const std::string& url) {
            opened.push_back(url);
            return true;
        });
    }
    ~HeaderPanelTest() override { Kelvane::Neon::StandIn::resetAll(); }

    PF_Err handle(PF_EventExtra& extra) {
        return HandleEvent(&host.inData(), &host.outData(), nullptr, nullptr, &extra);
    }
    PF_Err draw(PF_Rect frame = {0, 0, 200, 50}) {
        PF_EventExtra extra = event(PF_Event_DRAW, PF_Window_EFFECT, frame);
        const PF_Err err = handle(extra);
        handled = extra.evt_out_flags;
        return err;
    }

    // Every point the mark's path was given, in order (MoveTo and LineTo take x and y,
    // BezierTo three points recorded as "x,y").
    std::vector<Point> markPoints() {
        std::vector<Point> points;
        for (const auto& call : drawbot.calls()) {
            if (call.function == "MoveTo" || call.function == "LineTo" ||
                call.function == "BezierTo") {
                std::vector<double> xy;
                for (std::size_t i = 1; i < call.args.size(); ++i) {
                    const std::size_t comma = call.args[i].find(',');
                    xy.push_back(std::stod(call.args[i].substr(0, comma)));
                    if (comma != std::string::npos) {
                        xy.push_back(std::stod(call.args[i].substr(comma + 1)));
                    }
                }
                for (std::size_t i = 0; i + 1 < xy.size(); i += 2) {
                    points.push_back({xy[i], xy[i + 1]});
                }
            }
        }
        return points;
    }

    std::vector<std::string> argsOf(const std::string& function, std::size_t arg) {
        std::vector<std::string> values;
        for (const auto& call : drawbot.callsTo(function)) {
            values.push_back(call.args.at(arg));
        }
        return values;
    }

    // 8-bit RGBA of one pixel of the surface.
    std::vector<int> pixel(int x, int y) {
        const std::vector<std::uint8_t> image = drawbot.rgba();
        const std::size_t at = (std::size_t(y) * drawbot.width() + x) * 4;
        return {image[at], image[at + 1], image[at + 2], image[at + 3]};
    }

    std::vector<std::string> opened;
    PF_EventOutFlags handled = 0;
};

MATCHER_P2(NearColour, colour, tolerance, "") {
    const float want[4] = {colour.red * 255, colour.green * 255, colour.blue * 255,
                           colour.alpha * 255};
    for (int c = 0; c < 4; ++c) {
        if (std::abs(arg[c] - want[c]) > tolerance) {
            return false;
        }
    }
    return true;
}

TEST_F(HeaderPanelTest, EventsOfOtherWindowsAndTheTitleAreaAreLeftAlone) {
    for (PF_WindowType window : {PF_Window_COMP, PF_Window_LAYER}) {
        for (PF_EventType type : {PF_Event_DRAW, PF_Event_DO_CLICK, PF_Event_ADJUST_CURSOR}) {
            PF_EventExtra extra = event(type, window);
            EXPECT_EQ(handle(extra), PF_Err_NONE);
            EXPECT_EQ(extra.evt_out_flags, PF_EO_NONE);
            EXPECT_EQ(extra.u.adjust_cursor.set_cursor, PF_Cursor_NONE);
        }
    }
    PF_EventExtra title =
        event(PF_Event_DRAW, PF_Window_EFFECT, {0, 0, 200, 50}, Kelvane::Neon::Test::kTitleArea);
    EXPECT_EQ(handle(title), PF_Err_NONE);
    EXPECT_EQ(title.evt_out_flags, PF_EO_NONE);
    for (PF_EventType type : {PF_Event_IDLE, PF_Event_KEYDOWN, PF_Event_DRAG}) {
        PF_EventExtra extra = event(type);
        EXPECT_EQ(handle(extra), PF_Err_NONE);
    }
    // Without a context the window is unknown.
    EXPECT_EQ(HandleEvent(&host.inData(), &host.outData(), nullptr, nullptr, nullptr),
              PF_Err_BAD_CALLBACK_PARAM);
    PF_EventExtra lost = event(PF_Event_DRAW);
    lost.contextH = nullptr;
    EXPECT_EQ(handle(lost), PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_TRUE(drawbot.calls().empty());
    EXPECT_TRUE(suiteTraffic().empty());
    EXPECT_TRUE(opened.empty());
}

TEST_F(HeaderPanelTest, EveryClickOpensTheMakersPage) {
    PF_EventExtra click = event(PF_Event_DO_CLICK);
    EXPECT_EQ(handle(click), PF_Err_NONE);
    EXPECT_EQ(handle(click), PF_Err_NONE);
    EXPECT_THAT(opened, ElementsAre("https://zarvo.test/neon", "https://zarvo.test/neon"));
    EXPECT_TRUE(suiteTraffic().empty());

    // A page that cannot be opened is not an error of the event.
    Kelvane::Neon::StandIn::setUrlOpener([](const std::string&) { return false; });
    EXPECT_EQ(handle(click), PF_Err_NONE);
}

TEST_F(HeaderPanelTest, CursorEventAsksForThePointerWithoutClaimingTheEvent) {
    PF_EventExtra extra = event(PF_Event_ADJUST_CURSOR);
    EXPECT_EQ(handle(extra), PF_Err_NONE);
    EXPECT_EQ(extra.u.adjust_cursor.set_cursor, 23);
    EXPECT_EQ(extra.evt_out_flags, PF_EO_NONE);
    EXPECT_TRUE(suiteTraffic().empty());
}

std::string colourText(const DRAWBOT_ColorRGBA& c) {
    char text[96];
    std::snprintf(text, sizeof text, "%.6g,%.6g,%.6g,%.6g", c.red, c.green, c.blue, c.alpha);
    return text;
}

TEST_F(HeaderPanelTest, DrawFillsTheFrameThenTheMarkThenWritesTheDomain) {
    ASSERT_EQ(draw(), PF_Err_NONE);
    EXPECT_EQ(handled, PF_EO_HANDLED_EVENT);
    const auto& colors = Kelvane::Neon::GetHeaderColors(&host.inData());

    // Background: the whole frame, in the panel colour, by the winding rule.
    EXPECT_THAT(drawbot.callsTo("AddRect").at(0).args, ElementsAre("path#1", "0,0,200,50"));
    EXPECT_THAT(argsOf("NewBrush", 1),
                ElementsAre(colourText(colors.background), kAccentText, kAccentText));
    ASSERT_EQ(drawbot.callsTo("FillPath").size(), 2u);
    EXPECT_THAT(drawbot.callsTo("FillPath")[0].args,
                ElementsAre("surface", "brush#1", "path#1", "1"));
    EXPECT_THAT(drawbot.callsTo("FillPath")[1].args,
                ElementsAre("surface", "brush#2", "path#2", "1"));

    // The mark: ten closed shapes, all inside the logo box.
    EXPECT_EQ(drawbot.callsTo("MoveTo").size(), 10u);
    EXPECT_EQ(drawbot.callsTo("Close").size(), 10u);
    EXPECT_EQ(drawbot.callsTo("LineTo").size(), 31u);
    EXPECT_EQ(drawbot.callsTo("BezierTo").size(), 32u);
    for (const auto& call : drawbot.calls()) {
        if (call.function == "MoveTo" || call.function == "LineTo" || call.function == "BezierTo" ||
            call.function == "Close") {
            EXPECT_EQ(call.args.at(0), "path#2");
        }
    }
    for (const Point& p : markPoints()) {
        EXPECT_TRUE(p.x >= 0.47 - 1e-4 && p.x <= 111.21 + 1e-4) << p.x;
        EXPECT_TRUE(p.y >= 8.33 - 1e-4 && p.y <= 40.60 + 1e-4) << p.y;
    }

    // The domain, centred in its box at the host's default size, cut at the box's right edge.
    EXPECT_EQ(drawbot.callsTo("GetDefaultFontSize").size(), 1u);
    EXPECT_THAT(argsOf("NewDefaultFont", 1), ElementsAre("12"));
    ASSERT_EQ(drawbot.callsTo("DrawString").size(), 1u);
    const auto text = drawbot.callsTo("DrawString")[0].args;
    // Truncation 2 is the published end ellipsis (1 cuts without one).
    EXPECT_THAT(
        std::vector<std::string>(text.begin(), text.begin() + 8),
        ElementsAre("surface", "brush#3", "font#1", "zarvo.test", "120,43.5", "0", "2", "80"));

    // Objects go back in the reverse order of making, the mark's path after the text.
    EXPECT_THAT(argsOf("ReleaseObject", 0),
                ElementsAre("brush#1", "path#1", "brush#2", "font#1", "brush#3", "path#2"));
    std::vector<std::string> traffic;
    for (const std::string& entry : suiteTraffic()) {
        if (entry.find(kPFAppSuite) == std::string::npos) {
            traffic.push_back(entry);
        }
    }
    EXPECT_THAT(traffic, ElementsAre("+DRAWBOT Draw Suite 1", "+DRAWBOT Supplier Suite 1",
                                     "+DRAWBOT Surface Suite 2", "+DRAWBOT Path Suite 1",
                                     "+PF Effect Custom UI Suite 1", "-DRAWBOT Draw Suite 1",
                                     "-DRAWBOT Supplier Suite 1", "-DRAWBOT Surface Suite 2",
                                     "-DRAWBOT Path Suite 1", "-PF Effect Custom UI Suite 1"));
    expectNothingHeld();
}

// The host measures the text and cuts what overflows the box; the domain must come out whole.
TEST_F(HeaderPanelTest, DomainFitsItsBoxWholeAtTheDefaultSize) {
    ASSERT_EQ(draw(), PF_Err_NONE);
    const auto args = drawbot.callsTo("DrawString").at(0).args;
    ASSERT_EQ(args.size(), 9u);
    EXPECT_EQ(args.at(8), args.at(3)) << "the domain was drawn cut";
}

TEST_F(HeaderPanelTest, WiderFrameGetsAWiderFillAndTheSameOffsets) {
    ASSERT_EQ(draw({0, 0, 200, 50}), PF_Err_NONE);
    const std::vector<Point> atOrigin = markPoints();
    drawbot.clearCalls();
    ASSERT_EQ(draw({10, 5, 250, 55}), PF_Err_NONE);

    EXPECT_EQ(drawbot.callsTo("AddRect").at(0).args.at(1), "10,5,240,50");
    const std::vector<Point> moved = markPoints();
    ASSERT_EQ(moved.size(), atOrigin.size());
    for (std::size_t i = 0; i < moved.size(); ++i) {
        EXPECT_NEAR(moved[i].x, atOrigin[i].x + 10, 1e-3) << "point " << i;
        EXPECT_NEAR(moved[i].y, atOrigin[i].y + 5, 1e-3) << "point " << i;
    }
    const auto text = drawbot.callsTo("DrawString").at(0).args;
    EXPECT_EQ(text.at(4), "130,48.5");
    EXPECT_EQ(text.at(7), "80");
    expectNothingHeld();
}

TEST_F(HeaderPanelTest, PictureShowsTheMarkInAccentOnThePanelColour) {
    ASSERT_EQ(draw(), PF_Err_NONE);
    const auto& colors = Kelvane::Neon::GetHeaderColors(&host.inData());
    const DRAWBOT_ColorRGBA accent = colors.accent;
    const DRAWBOT_ColorRGBA none{0, 0, 0, 0};

    EXPECT_THAT(pixel(0, 0), NearColour(colors.background, 2));
    EXPECT_THAT(pixel(199, 49), NearColour(colors.background, 2));
    EXPECT_THAT(pixel(1, 24), NearColour(accent, 2));            // the frame's left side
    EXPECT_THAT(pixel(6, 24), NearColour(colors.background, 2)); // inside the frame
    EXPECT_THAT(pixel(103, 17), NearColour(accent, 2));          // the star
    EXPECT_THAT(pixel(230, 55), NearColour(none, 0));            // beyond the frame: untouched

    // Accent left of the text lies inside the logo box.
    const std::vector<std::uint8_t> image = drawbot.rgba();
    int inside = 0;
    for (int y = 0; y < drawbot.height(); ++y) {
        for (int x = 0; x < 120; ++x) {
            const std::uint8_t* p = &image[(std::size_t(y) * drawbot.width() + x) * 4];
            if (std::abs(p[0] - 111) <= 2 && std::abs(p[1] - 73) <= 2 &&
                std::abs(p[2] - 222) <= 2) {
                EXPECT_TRUE(x <= 111 && y >= 8 && y <= 40) << x << "," << y;
                ++inside;
            }
        }
    }
    EXPECT_GT(inside, 400);
}

TEST_F(HeaderPanelTest, ColoursAreMadeOnceForTheProcess) {
    ASSERT_EQ(draw(), PF_Err_NONE);
    host.suites().clearLedger();
    drawbot.clearCalls();
    drawbot.setBackground({0xFFFF, 0, 0});
    ASSERT_EQ(draw(), PF_Err_NONE);
    EXPECT_EQ(acquisitionsOf(kPFAppSuite), 0);
    EXPECT_TRUE(drawbot.callsTo("PF_AppGetBgColor").empty());
    EXPECT_EQ(drawbot.callsTo("NewBrush").at(0).args.at(1),
              colourText(Kelvane::Neon::GetHeaderColors(&host.inData()).background));
}

TEST_F(HeaderPanelTest, RefusedCustomUISuiteThrowsAndGivesEverythingBack) {
    host.suites().refuse(kPFEffectCustomUISuite);
    try {
        draw();
        FAIL() << "a draw without the custom UI suite went through";
    } catch (A_long code) {
        EXPECT_EQ(code, kSuiteRefused);
    }
    EXPECT_EQ(acquisitionsOf(kDRAWBOT_DrawSuite), 1);
    EXPECT_TRUE(drawbot.calls().empty());
    expectNothingHeld();
}

TEST_F(HeaderPanelTest, NothingIsDrawnWithoutTheSuitesOrADrawingReference) {
    host.suites().refuse(kDRAWBOT_PathSuite);
    EXPECT_EQ(draw(), PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_STREQ(host.outData().return_msg, "Not able to acquire AEFX Suite-DRAWBOT Path Suite-1");
    EXPECT_EQ(handled, PF_EO_NONE);
    EXPECT_TRUE(drawbot.calls().empty());
    expectNothingHeld();

    host.suites().allow(kDRAWBOT_PathSuite);
    drawbot.failCall("PF_GetDrawingReference", 7);
    EXPECT_EQ(draw(), 7);
    EXPECT_EQ(handled, PF_EO_NONE);
    EXPECT_EQ(drawbot.calls().size(), 1u); // the reference asked for, nothing else
    expectNothingHeld();
}

// A failed query skips what needs it; only the mark's supplier query reaches the result.
TEST_F(HeaderPanelTest, FailedQueriesSkipTheirDrawing) {
    struct Case {
        const char* function;
        PF_Err result;
        std::size_t fills, strings;
    };
    for (const Case& c : {Case{"GetSupplier", 9, 0, 0}, Case{"GetSurface", 0, 0, 0},
                          Case{"GetDefaultFontSize", 0, 2, 0}, Case{"DrawString", 0, 2, 1}}) {
        drawbot.clearCalls();
        drawbot.failCall(c.function, 9);
        EXPECT_EQ(draw(), c.result) << c.function;
        EXPECT_EQ(handled, PF_EO_HANDLED_EVENT) << c.function;
        EXPECT_EQ(drawbot.callsTo("FillPath").size(), c.fills) << c.function;
        EXPECT_EQ(drawbot.callsTo("DrawString").size(), c.strings) << c.function;
        drawbot.failCall(c.function, A_Err_NONE);
        expectNothingHeld();
    }
}

TEST_F(HeaderPanelTest, ObjectThatCannotBeMadeThrowsTheHostsCodeAndLeaksNothing) {
    for (const char* function : {"NewBrush", "NewPath", "NewDefaultFont"}) {
        drawbot.failCall(function, 11);
        try {
            draw();
            ADD_FAILURE() << function << " failed without an exception";
        } catch (const Kelvane::Neon::DrawbotError& e) {
            EXPECT_EQ(e.code, 11) << function;
        }
        drawbot.failCall(function, A_Err_NONE);
        expectNothingHeld();
    }
}

TEST_F(HeaderPanelTest, FailingReleaseOfAnObjectIsNotAnError) {
    drawbot.failCall("ReleaseObject", 5);
    EXPECT_EQ(draw(), PF_Err_NONE);
    EXPECT_EQ(drawbot.callsTo("ReleaseObject").size(), 6u);
    EXPECT_TRUE(host.suites().outstanding().empty());
}

// DrawHeaderText on its own, with suites and a drawing reference of the host.
class HeaderTextTest : public ::testing::Test, protected Kelvane::Neon::Test::UiHost {
protected:
    void SetUp() override {
        ASSERT_EQ(suites.error(), PF_Err_NONE);
        drawing = drawingReference();
        ASSERT_NE(drawing, nullptr);
    }
    PF_Err text(const std::u16string& line, float size = 0.0f, PF_Rect box = {10, 0, 110, 40}) {
        return Kelvane::Neon::DrawHeaderText(
            drawing, suites.get(), {1, 1, 1, 1}, box, size,
            reinterpret_cast<const DRAWBOT_UTF16Char*>(line.c_str()));
    }

    Kelvane::Neon::ScopedDrawbotSuites suites{&host.inData(), &host.outData()};
    DRAWBOT_DrawRef drawing = nullptr;
};

TEST_F(HeaderTextTest, GivenSizeIsKeptAndTheTextCutTo255Units) {
    EXPECT_EQ(text(std::u16string(300, u'a'), 20.0f), PF_Err_NONE);
    EXPECT_TRUE(drawbot.callsTo("GetDefaultFontSize").empty());
    EXPECT_EQ(drawbot.callsTo("NewDefaultFont").at(0).args.at(1), "20");
    const auto args = drawbot.callsTo("DrawString").at(0).args;
    EXPECT_EQ(args.at(3), std::string(255, 'a'));
    EXPECT_EQ(args.at(4), "10,30"); // 0 + (40 - 20) / 2 + 20
    EXPECT_EQ(args.at(7), "100");
    EXPECT_EQ(drawbot.liveObjects(), 0);
}

TEST_F(HeaderTextTest, FailuresAreReturnedWithNothingMade) {
    drawbot.failCall("GetSurface", 6);
    EXPECT_EQ(text(u"neon"), 6);
    EXPECT_TRUE(drawbot.callsTo("NewBrush").empty());
    drawbot.failCall("GetSurface", A_Err_NONE);
    drawbot.failCall("GetDefaultFontSize", 4);
    EXPECT_EQ(text(u"neon"), 4);
    EXPECT_TRUE(drawbot.callsTo("NewDefaultFont").empty());
    EXPECT_EQ(drawbot.liveObjects(), 0);
}

// The colours are made once per process: these run in a process of their own, which exits
// with 1 when an expectation failed there.
class HeaderColorsFirstUseTest : public HeaderPanelTest {
protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
    [[noreturn]] static void finish() { std::exit(HasFailure() ? 1 : 0); }
};

TEST_F(HeaderColorsFirstUseTest, BackgroundIsTheAppsColourReadOnce) {
    auto check = [this] {
        drawbot.setBackground({0x8000, 0x4000, 0xFFFF});
        EXPECT_EQ(draw(), PF_Err_NONE);
        const auto& colors = Kelvane::Neon::GetHeaderColors(&host.inData());
        EXPECT_EQ(colors.background.red, float(0x8000 * 1.5259e-05));
        EXPECT_EQ(colors.background.green, float(0x4000 * 1.5259e-05));
        EXPECT_EQ(colors.background.blue, float(0xFFFF * 1.5259e-05));
        EXPECT_EQ(colors.background.alpha, 1.0f);
        EXPECT_EQ(colourText(colors.accent), kAccentText);
        EXPECT_EQ(drawbot.callsTo("NewBrush").at(0).args.at(1), colourText(colors.background));
        const std::string first = colourText(colors.background);
        drawbot.setBackground({0, 0, 0});
        draw();
        EXPECT_EQ(colourText(Kelvane::Neon::GetHeaderColors(&host.inData()).background), first);
        EXPECT_EQ(acquisitionsOf(kPFAppSuite), 1);
        finish();
    };
    EXPECT_EXIT(check(), ::testing::ExitedWithCode(0), "");
}

TEST_F(HeaderColorsFirstUseTest, RefusedAppSuiteThrowsAndTheNextDrawTriesAgain) {
    auto check = [this] {
        host.suites().refuse(kPFAppSuite);
        try {
            draw();
            ADD_FAILURE() << "no exception";
        } catch (A_long code) {
            EXPECT_EQ(code, kSuiteRefused);
        }
        expectNothingHeld();
        host.suites().allow(kPFAppSuite);
        EXPECT_EQ(draw(), PF_Err_NONE);
        EXPECT_EQ(acquisitionsOf(kPFAppSuite), 2);
        finish();
    };
    EXPECT_EXIT(check(), ::testing::ExitedWithCode(0), "");
}

} // namespace
