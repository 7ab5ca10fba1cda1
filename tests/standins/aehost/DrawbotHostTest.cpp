// The host's Drawbot suites as a custom-UI effect reaches them: pixels drawn, calls recorded.

#include "standins/aehost/drawbot/DrawbotHost.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <dirent.h>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <unistd.h>

namespace {

using Pixel = std::array<int, 4>;

class DrawbotHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        acquire(kDRAWBOT_DrawSuite, kDRAWBOT_DrawSuite_Version1, draw);
        acquire(kDRAWBOT_SupplierSuite, kDRAWBOT_SupplierSuite_Version1, supplierSuite);
        acquire(kDRAWBOT_SurfaceSuite, kDRAWBOT_SurfaceSuite_Version2, surfaceSuite);
        acquire(kDRAWBOT_PathSuite, kDRAWBOT_PathSuite_Version1, paths);
        acquire(kPFEffectCustomUISuite, kPFEffectCustomUISuiteVersion1, customUI);
        acquire(kPFAppSuite, kPFAppSuiteVersion4, app);
        ASSERT_EQ(customUI->PF_GetDrawingReference(host.context(PF_Window_EFFECT), &drawRef),
                  PF_Err_NONE);
        ASSERT_EQ(draw->GetSupplier(drawRef, &supplier), A_Err_NONE);
        ASSERT_EQ(draw->GetSurface(drawRef, &surface), A_Err_NONE);
    }

    template <typename Suite> void acquire(const char* name, A_long version, const Suite*& out) {
        const void* suite = nullptr;
        ASSERT_EQ(suites.basic()->AcquireSuite(name, version, &suite), 0) << name;
        out = static_cast<const Suite*>(suite);
    }

    DRAWBOT_BrushRef brush(float r, float g, float b, float a) {
        const DRAWBOT_ColorRGBA colour{r, g, b, a};
        DRAWBOT_BrushRef out = nullptr;
        EXPECT_EQ(supplierSuite->NewBrush(supplier, &colour, &out), A_Err_NONE);
        return out;
    }
    DRAWBOT_PathRef rectPath(std::initializer_list<DRAWBOT_RectF32> rects) {
        DRAWBOT_PathRef path = nullptr;
        EXPECT_EQ(supplierSuite->NewPath(supplier, &path), A_Err_NONE);
        for (const DRAWBOT_RectF32& r : rects) {
            EXPECT_EQ(paths->AddRect(path, &r), A_Err_NONE);
        }
        return path;
    }
    DRAWBOT_FontRef font(float size = 12) {
        DRAWBOT_FontRef out = nullptr;
        EXPECT_EQ(supplierSuite->NewDefaultFont(supplier, size, &out), A_Err_NONE);
        return out;
    }

    Pixel at(int x, int y) {
        const std::vector<std::uint8_t> p = host.rgba();
        const std::size_t i = (std::size_t(y) * host.width() + x) * 4;
        return {p[i], p[i + 1], p[i + 2], p[i + 3]};
    }
    // Pixels with any coverage, and how many of them lie outside [x0, x1) x [y0, y1).
    std::pair<int, int> inked(int x0, int y0, int x1, int y1) {
        const std::vector<std::uint8_t> p = host.rgba();
        int inside = 0, outside = 0;
        for (int y = 0; y < host.height(); ++y) {
            for (int x = 0; x < host.width(); ++x) {
                if (p[(std::size_t(y) * host.width() + x) * 4 + 3] != 0) {
                    (x >= x0 && x < x1 && y >= y0 && y < y1 ? inside : outside)++;
                }
            }
        }
        return {inside, outside};
    }

    Kelvane::Neon::Host::SuiteHost suites;
    Kelvane::Neon::Host::DrawbotHost host{suites, 96, 48};
    const DRAWBOT_DrawbotSuite1* draw = nullptr;
    const DRAWBOT_SupplierSuite1* supplierSuite = nullptr;
    const DRAWBOT_SurfaceSuite2* surfaceSuite = nullptr;
    const DRAWBOT_PathSuite1* paths = nullptr;
    const PF_EffectCustomUISuite1* customUI = nullptr;
    const PFAppSuite4* app = nullptr;
    DRAWBOT_DrawRef drawRef = nullptr;
    DRAWBOT_SupplierRef supplier = nullptr;
    DRAWBOT_SurfaceRef surface = nullptr;
};

TEST_F(DrawbotHostTest, FillsARectangleInTheBrushColourStraightAlpha) {
    DRAWBOT_PathRef path = rectPath({{10, 10, 20, 10}});
    ASSERT_EQ(surfaceSuite->FillPath(surface, brush(1, 0.5f, 0, 1), path, 1), A_Err_NONE);
    EXPECT_EQ(at(15, 15), (Pixel{255, 128, 0, 255}));
    EXPECT_EQ(at(9, 15), (Pixel{0, 0, 0, 0}));
    EXPECT_EQ(at(30, 15), (Pixel{0, 0, 0, 0}));
    EXPECT_EQ(at(15, 20), (Pixel{0, 0, 0, 0}));

    ASSERT_EQ(surfaceSuite->FillPath(surface, brush(0, 0, 1, 0.5f), rectPath({{40, 10, 5, 5}}), 1),
              A_Err_NONE);
    EXPECT_EQ(at(42, 12), (Pixel{0, 0, 255, 128}));

    const auto fills = host.callsTo("FillPath");
    ASSERT_EQ(fills.size(), 2u);
    EXPECT_EQ(fills[0].args, (std::vector<std::string>{"surface", "brush#1", "path#1", "1"}));
    EXPECT_EQ(host.callsTo("NewBrush")[0].args,
              (std::vector<std::string>{"supplier", "1,0.5,0,1"}));
    EXPECT_EQ(host.callsTo("AddRect")[0].args, (std::vector<std::string>{"path#1", "10,10,20,10"}));
    EXPECT_EQ(surfaceSuite->FillPath(surface, brush(1, 1, 1, 1), path, 7), A_Err_PARAMETER);
}

TEST_F(DrawbotHostTest, EvenOddLeavesTheInnerRectangleOpenAndWindingFillsIt) {
    DRAWBOT_PathRef nested = rectPath({{4, 4, 40, 40}, {14, 14, 20, 20}});
    DRAWBOT_BrushRef white = brush(1, 1, 1, 1);
    ASSERT_EQ(surfaceSuite->FillPath(surface, white, nested, kDRAWBOT_FillType_EvenOdd), 0);
    EXPECT_EQ(at(8, 8)[3], 255);
    EXPECT_EQ(at(24, 24)[3], 0);

    DRAWBOT_PathRef shifted = rectPath({{50, 4, 40, 40}, {60, 14, 20, 20}});
    ASSERT_EQ(surfaceSuite->FillPath(surface, white, shifted, kDRAWBOT_FillType_Winding), 0);
    EXPECT_EQ(at(70, 24)[3], 255);
}

TEST_F(DrawbotHostTest, ABezierShapeCoversItsCentreAndStaysInItsHull) {
    DRAWBOT_PathRef blob = nullptr;
    ASSERT_EQ(supplierSuite->NewPath(supplier, &blob), 0);
    ASSERT_EQ(paths->MoveTo(blob, 20, 24), 0);
    const DRAWBOT_PointF32 curve[] = {{20, 4}, {60, 4}, {60, 24}, {60, 44}, {20, 44}, {20, 24}};
    ASSERT_EQ(paths->BezierTo(blob, &curve[0], &curve[1], &curve[2]), 0);
    ASSERT_EQ(paths->BezierTo(blob, &curve[3], &curve[4], &curve[5]), 0);
    ASSERT_EQ(paths->Close(blob), 0);
    ASSERT_EQ(surfaceSuite->FillPath(surface, brush(0, 1, 0, 1), blob, 1), 0);
    EXPECT_EQ(at(40, 24), (Pixel{0, 255, 0, 255}));
    EXPECT_EQ(inked(19, 4, 61, 44).second, 0);
    EXPECT_EQ(at(21, 6)[3], 0); // a corner of the hull the curve bows away from
    EXPECT_EQ(host.callsTo("BezierTo")[0].args,
              (std::vector<std::string>{"path#1", "20,4", "60,4", "60,24"}));
    EXPECT_EQ(paths->BezierTo(blob, &curve[0], nullptr, &curve[2]), A_Err_PARAMETER);
    // Coordinates passed where addresses belong leave register garbage: refused, not followed.
    EXPECT_EQ(
        paths->BezierTo(blob, reinterpret_cast<const DRAWBOT_PointF32*>(0x4), &curve[1], &curve[2]),
        A_Err_PARAMETER);
    EXPECT_EQ(paths->LineTo(blob, NAN, 1), A_Err_PARAMETER);
}

TEST_F(DrawbotHostTest, DrawStringInksItsBoxAndAlignsAroundTheOrigin) {
    const DRAWBOT_UTF16Char hello[] = {'H', 'e', 'l', 'l', 'o', 0};
    const DRAWBOT_PointF32 origin{10, 30};
    DRAWBOT_BrushRef white = brush(1, 1, 1, 1);
    ASSERT_EQ(surfaceSuite->DrawString(surface, white, font(), hello, &origin, 0, 0, 0), 0);
    auto [inside, outside] = inked(10, 30 - 12, 10 + 5 * 12, 30 + 4);
    EXPECT_GT(inside, 20);
    EXPECT_EQ(outside, 0);

    // Right-aligned, the new ink ends at the origin.
    const std::vector<std::uint8_t> before = host.rgba();
    const DRAWBOT_PointF32 right{90, 46};
    ASSERT_EQ(surfaceSuite->DrawString(surface, white, font(), hello, &right, 2, 0, 0), 0);
    const std::vector<std::uint8_t> after = host.rgba();
    int changed = 0, stray = 0;
    for (int y = 0; y < host.height(); ++y) {
        for (int x = 0; x < host.width(); ++x) {
            const std::size_t i = (std::size_t(y) * host.width() + x) * 4 + 3;
            if (after[i] != before[i]) {
                (x >= 90 - 5 * 12 && x < 90 && y >= 46 - 12 ? changed : stray)++;
            }
        }
    }
    EXPECT_GT(changed, 20);
    EXPECT_EQ(stray, 0);

    const auto call = host.callsTo("DrawString").back();
    EXPECT_EQ(call.args, (std::vector<std::string>{"surface", "brush#1", "font#2", "Hello", "90,46",
                                                   "2", "0", "0", "Hello"}));
}

TEST_F(DrawbotHostTest, EndEllipsisShortensTheDrawnTextToFitTheWidth) {
    const std::u16string text = u"A rather long label that cannot fit \U0001F600";
    const auto* utf16 = reinterpret_cast<const DRAWBOT_UTF16Char*>(text.c_str());
    const DRAWBOT_PointF32 origin{2, 20};
    ASSERT_EQ(surfaceSuite->DrawString(surface, brush(1, 1, 1, 1), font(), utf16, &origin, 0,
                                       kDRAWBOT_TextTruncation_EndEllipsis, 50),
              0);
    const auto args = host.callsTo("DrawString").back().args;
    ASSERT_EQ(args.size(), 9u);
    EXPECT_EQ(args[3], "A rather long label that cannot fit \xF0\x9F\x98\x80");
    const std::string drawn = args.back();
    const std::string ellipsis = "\xE2\x80\xA6";
    ASSERT_GT(drawn.size(), ellipsis.size());
    EXPECT_EQ(drawn.substr(drawn.size() - ellipsis.size()), ellipsis);
    EXPECT_EQ(args[3].compare(0, drawn.size() - ellipsis.size(), drawn, 0,
                              drawn.size() - ellipsis.size()),
              0);
    EXPECT_EQ(inked(2, 0, 52, 48).second, 0);

    // Without truncation, or when it fits, the text is drawn as asked.
    const DRAWBOT_UTF16Char lone[] = {'O', 'K', 0xD800, 0};
    ASSERT_EQ(surfaceSuite->DrawString(surface, brush(1, 1, 1, 1), font(), lone, &origin, 0,
                                       kDRAWBOT_TextTruncation_EndEllipsis, 500),
              0);
    EXPECT_EQ(host.callsTo("DrawString").back().args.back(), "OK\xEF\xBF\xBD");
}

TEST_F(DrawbotHostTest, ObjectsAreCountedUntilReleasedAndReleasedOnlyOnce) {
    DRAWBOT_BrushRef b = brush(1, 0, 0, 1);
    DRAWBOT_PathRef p = rectPath({{0, 0, 4, 4}});
    DRAWBOT_FontRef f = font();
    const DRAWBOT_ColorRGBA colour{0, 0, 0, 1};
    DRAWBOT_PenRef pen = nullptr;
    ASSERT_EQ(supplierSuite->NewPen(supplier, &colour, 1.23456789f, &pen), 0);
    EXPECT_EQ(host.callsTo("NewPen")[0].args.back(), "1.23457");
    EXPECT_EQ(host.liveObjects(), 4);

    // Each kind has a reference type of its own; Retain and Release take any as an object.
    const auto object = [](auto r) { return reinterpret_cast<DRAWBOT_ObjectRef>(r); };
    ASSERT_EQ(supplierSuite->RetainObject(object(p)), 0);
    for (DRAWBOT_ObjectRef o : {object(b), object(p), object(p), object(f), object(pen)}) {
        EXPECT_EQ(supplierSuite->ReleaseObject(o), A_Err_NONE);
    }
    EXPECT_EQ(host.liveObjects(), 0);
    EXPECT_NE(supplierSuite->ReleaseObject(object(p)), A_Err_NONE);
    EXPECT_EQ(host.callsTo("ReleaseObject").back().args[0], "path#1");
    int notAnObject = 0;
    EXPECT_NE(supplierSuite->ReleaseObject(reinterpret_cast<DRAWBOT_ObjectRef>(&notAnObject)), 0);
    EXPECT_NE(supplierSuite->ReleaseObject(nullptr), A_Err_NONE);
    // Released objects cannot be drawn with, nor the host's own surface released.
    EXPECT_NE(surfaceSuite->FillPath(surface, brush(1, 1, 1, 1), p, 1), A_Err_NONE);
    EXPECT_NE(supplierSuite->ReleaseObject(object(surface)), A_Err_NONE);
    EXPECT_EQ(inked(0, 0, 0, 0).second, 0);
}

TEST_F(DrawbotHostTest, AFailedCallIsRecordedAndDoesNothing) {
    host.failCall("GetSurface", 516);
    DRAWBOT_SurfaceRef got = nullptr;
    EXPECT_EQ(draw->GetSurface(drawRef, &got), 516);
    EXPECT_EQ(got, nullptr);
    EXPECT_EQ(host.callsTo("GetSurface").size(), 2u);
    EXPECT_EQ(host.calls().back().function, "GetSurface");
    EXPECT_EQ(host.calls().back().args, (std::vector<std::string>{"drawref"}));

    host.failCall("NewBrush", A_Err_ALLOC);
    const DRAWBOT_ColorRGBA red{1, 0, 0, 1};
    DRAWBOT_BrushRef b = nullptr;
    EXPECT_EQ(supplierSuite->NewBrush(supplier, &red, &b), A_Err_ALLOC);
    EXPECT_EQ(host.liveObjects(), 0);

    host.failCall("GetSurface", A_Err_NONE);
    EXPECT_EQ(draw->GetSurface(drawRef, &got), A_Err_NONE);
    EXPECT_EQ(got, surface);
    int stranger = 0;
    DRAWBOT_SupplierRef none = nullptr;
    EXPECT_NE(draw->GetSupplier(reinterpret_cast<DRAWBOT_DrawRef>(&stranger), &none), A_Err_NONE);
}

TEST_F(DrawbotHostTest, TheContextAndTheAppSuiteAnswer) {
    PF_ContextH comp = host.context(PF_Window_COMP);
    EXPECT_EQ((*comp)->w_type, PF_Window_COMP);
    EXPECT_EQ((*host.context(PF_Window_EFFECT))->w_type, PF_Window_EFFECT);
    DRAWBOT_DrawRef ref = nullptr;
    EXPECT_EQ(customUI->PF_GetDrawingReference(comp, &ref), PF_Err_NONE);
    EXPECT_EQ(ref, drawRef);
    PF_Context* bogus = nullptr;
    EXPECT_NE(customUI->PF_GetDrawingReference(&bogus, &ref), PF_Err_NONE);
    EXPECT_EQ(host.callsTo("PF_GetDrawingReference").back().args,
              (std::vector<std::string>{"unknown"}));

    host.setBackground({0x1111, 0x2222, 0x3333});
    PF_App_Color bg{};
    ASSERT_EQ(app->PF_AppGetBgColor(&bg), PF_Err_NONE);
    EXPECT_EQ(bg.red, 0x1111);
    EXPECT_EQ(bg.blue, 0x3333);
    host.failCall("PF_GetDrawingReference", PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_EQ(customUI->PF_GetDrawingReference(comp, &ref), PF_Err_BAD_CALLBACK_PARAM);
}

TEST_F(DrawbotHostTest, BadStateAndMatricesAreRefusedAndDrawingGoesOn) {
    EXPECT_NE(surfaceSuite->PopStateStack(surface), A_Err_NONE);
    const DRAWBOT_MatrixF32 singular{{{0, 0, 0}, {0, 0, 0}, {0, 0, 1}}};
    EXPECT_NE(surfaceSuite->Transform(surface, &singular), A_Err_NONE);

    ASSERT_EQ(surfaceSuite->PushStateStack(surface), 0);
    const DRAWBOT_MatrixF32 shift{{{1, 0, 0}, {0, 1, 0}, {30, 5, 1}}};
    ASSERT_EQ(surfaceSuite->Transform(surface, &shift), 0);
    DRAWBOT_Rect32 bounds{};
    ASSERT_EQ(surfaceSuite->GetClipBounds(surface, &bounds), 0);
    EXPECT_EQ(bounds.left, -30);
    EXPECT_EQ(bounds.width, 96);
    ASSERT_EQ(surfaceSuite->FillPath(surface, brush(1, 1, 1, 1), rectPath({{0, 0, 4, 4}}), 1), 0);
    ASSERT_EQ(surfaceSuite->PopStateStack(surface), 0);
    const DRAWBOT_ColorRGBA red{1, 0, 0, 1};
    const DRAWBOT_RectF32 corner{0, 0, 4, 4};
    ASSERT_EQ(surfaceSuite->PaintRect(surface, &red, &corner), 0);
    EXPECT_EQ(at(31, 6), (Pixel{255, 255, 255, 255}));
    EXPECT_EQ(at(1, 1), (Pixel{255, 0, 0, 255}));
}

TEST_F(DrawbotHostTest, ImagesStrokesAndClipsLandWhereAsked) {
    // B, G, R, A straight: half-covered red, then opaque blue.
    const std::uint8_t bgra[] = {0, 0, 255, 128, 255, 0, 0, 255};
    DRAWBOT_ImageRef image = nullptr;
    EXPECT_NE(supplierSuite->NewImageFromBuffer(supplier, 2, 1, 7, 6, bgra, &image), A_Err_NONE);
    ASSERT_EQ(supplierSuite->NewImageFromBuffer(supplier, 2, 1, 8,
                                                kDRAWBOT_PixelLayout_32BGRA_Straight, bgra, &image),
              A_Err_NONE);
    const DRAWBOT_PointF32 origin{5, 5};
    ASSERT_EQ(surfaceSuite->DrawImage(surface, image, &origin, 1), A_Err_NONE);
    EXPECT_EQ(at(5, 5), (Pixel{255, 0, 0, 128}));
    EXPECT_EQ(at(6, 5), (Pixel{0, 0, 255, 255}));
    EXPECT_EQ(at(7, 5)[3], 0);
    EXPECT_EQ(host.liveObjects(), 1);

    const DRAWBOT_ColorRGBA white{1, 1, 1, 1};
    DRAWBOT_PenRef pen = nullptr;
    ASSERT_EQ(supplierSuite->NewPen(supplier, &white, 4, &pen), A_Err_NONE);
    DRAWBOT_PathRef line = nullptr;
    ASSERT_EQ(supplierSuite->NewPath(supplier, &line), A_Err_NONE);
    ASSERT_EQ(paths->MoveTo(line, 10, 30), A_Err_NONE);
    ASSERT_EQ(paths->LineTo(line, 40, 30), A_Err_NONE);
    ASSERT_EQ(surfaceSuite->StrokePath(surface, pen, line), A_Err_NONE);
    EXPECT_EQ(at(25, 28), (Pixel{255, 255, 255, 255}));
    EXPECT_EQ(at(25, 31)[3], 255);
    EXPECT_EQ(at(25, 33)[3], 0);
    EXPECT_EQ(at(42, 30)[3], 0);

    // A clip holds until the state it was set in is popped.
    ASSERT_EQ(surfaceSuite->PushStateStack(surface), A_Err_NONE);
    const DRAWBOT_Rect32 box{50, 0, 10, 10};
    ASSERT_EQ(surfaceSuite->Clip(surface, supplier, &box), A_Err_NONE);
    DRAWBOT_Rect32 bounds{};
    ASSERT_EQ(surfaceSuite->GetClipBounds(surface, &bounds), A_Err_NONE);
    EXPECT_EQ(bounds.left, 50);
    EXPECT_EQ(bounds.width, 10);
    const DRAWBOT_ColorRGBA green{0, 1, 0, 1};
    const DRAWBOT_RectF32 everywhere{0, 0, 96, 48};
    ASSERT_EQ(surfaceSuite->PaintRect(surface, &green, &everywhere), A_Err_NONE);
    EXPECT_EQ(at(55, 5), (Pixel{0, 255, 0, 255}));
    EXPECT_EQ(at(45, 5)[3], 0);
    EXPECT_EQ(at(55, 15)[3], 0);
    ASSERT_EQ(surfaceSuite->PopStateStack(surface), A_Err_NONE);
    ASSERT_EQ(surfaceSuite->GetClipBounds(surface, &bounds), A_Err_NONE);
    EXPECT_EQ(bounds.width, 96);
    EXPECT_EQ(bounds.height, 48);
}

class DrawbotPngTest : public DrawbotHostTest {
protected:
    std::string dir() {
        char pattern[] = "/tmp/drawbot-png-XXXXXX";
        const char* made = mkdtemp(pattern);
        return made == nullptr ? std::string() : std::string(made);
    }
    static std::vector<std::string> entries(const std::string& dir) {
        std::vector<std::string> names;
        if (DIR* d = opendir(dir.c_str())) {
            while (dirent* e = readdir(d)) {
                if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") {
                    names.push_back(e->d_name);
                }
            }
            closedir(d);
        }
        return names;
    }
};

TEST_F(DrawbotPngTest, WritesAWholePngOverTheOldFileOrNothing) {
    const std::string folder = dir();
    ASSERT_FALSE(folder.empty());
    const std::string path = folder + "/ui.png";
    std::ofstream(path) << "old";
    ASSERT_TRUE(host.writePng(path));
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 8u);
    EXPECT_EQ(bytes.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    EXPECT_EQ(entries(folder), std::vector<std::string>{"ui.png"});

    const std::string missing = folder + "/no-such-folder/ui.png";
    EXPECT_FALSE(host.writePng(missing));
    EXPECT_NE(access(missing.c_str(), F_OK), 0);
    EXPECT_FALSE(host.writePng(folder)); // a folder is not replaced
    EXPECT_EQ(entries(folder), std::vector<std::string>{"ui.png"});

    std::remove(path.c_str());
    rmdir(folder.c_str());
}

} // namespace
