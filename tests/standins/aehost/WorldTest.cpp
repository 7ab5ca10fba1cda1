// Host worlds and memory handles, as the effect sees them.

#include "standins/aehost/host/HandlePool.h"
#include "standins/aehost/host/World.h"

#include <gtest/gtest.h>

namespace {

TEST(WorldTest, RowsArePaddedAndPaddingKeepsItsValue) {
    Kelvane::Neon::Host::World world(3, 2, 5, 0xEE);
    EXPECT_EQ(world.rowbytes(), 3 * 4 + 5);
    EXPECT_EQ(world.world()->data, reinterpret_cast<PF_Pixel*>(world.bytes().data()));
    world.fill(PF_Pixel{1, 2, 3, 4});
    for (int y = 0; y < 2; ++y) {
        for (int i = 12; i < 17; ++i) {
            EXPECT_EQ(world.bytes()[y * 17 + i], 0xEE);
        }
    }
    EXPECT_THROW(world.at(3, 0), std::out_of_range);
    // No host layer is larger.
    EXPECT_THROW(Kelvane::Neon::Host::World(Kelvane::Neon::Host::kMaxLayerSide + 1, 1),
                 std::invalid_argument);
}

TEST(WorldTest, RgbaImagesConvertBothWaysInHostChannelOrder) {
    Kelvane::Neon::Host::RgbaImage image;
    image.width = 2;
    image.height = 2;
    image.pixels = {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120, 130, 140, 150, 160};
    Kelvane::Neon::Host::World world(2, 2, 8);
    world.fromRgba(image);
    const PF_Pixel& second = world.at(1, 0);
    EXPECT_EQ(second.alpha, 80);
    EXPECT_EQ(second.red, 50);
    EXPECT_EQ(second.green, 60);
    EXPECT_EQ(second.blue, 70);
    // Host memory order is alpha, red, green, blue.
    EXPECT_EQ(world.bytes()[0], 40);
    EXPECT_EQ(world.bytes()[1], 10);
    const Kelvane::Neon::Host::RgbaImage back = world.toRgba();
    EXPECT_EQ(back.pixels, image.pixels);

    Kelvane::Neon::Host::RgbaImage wrong = image;
    wrong.width = 3;
    EXPECT_THROW(world.fromRgba(wrong), std::invalid_argument);
}

TEST(WorldTest, BottomUpWorldsKeepTheTopRowLastInMemory) {
    Kelvane::Neon::Host::World world(3, 2, 5, 0xEE, Kelvane::Neon::Host::World::RowOrder::BottomUp);
    EXPECT_EQ(world.rowbytes(), -(3 * 4 + 5));
    EXPECT_EQ(reinterpret_cast<std::uint8_t*>(world.world()->data), world.bytes().data() + 17);
    Kelvane::Neon::Host::RgbaImage image;
    image.width = 3;
    image.height = 2;
    for (int i = 0; i < 24; ++i) {
        image.pixels.push_back(std::uint8_t(i + 1));
    }
    world.fromRgba(image);
    // The top row's first pixel (red 1, alpha 4) lies in the second row of memory.
    EXPECT_EQ(world.bytes()[17], 4);
    EXPECT_EQ(world.bytes()[18], 1);
    EXPECT_EQ(world.bytes()[0], 16);
    EXPECT_EQ(world.row(1), world.bytes().data());
    EXPECT_EQ(world.toRgba().pixels, image.pixels);
    for (int i = 12; i < 17; ++i) {
        EXPECT_EQ(world.bytes()[i], 0xEE);
        EXPECT_EQ(world.bytes()[17 + i], 0xEE);
    }
}

TEST(HandlePoolTest, HandlesLockToZeroedMemoryAndCanBeMadeToFail) {
    Kelvane::Neon::Host::HandlePool pool;
    const PF_HandleSuite1* suite = pool.suite();
    PF_Handle h = suite->host_new_handle(64);
    ASSERT_NE(h, nullptr);
    auto* bytes = static_cast<unsigned char*>(suite->host_lock_handle(h));
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(static_cast<void*>(*h), static_cast<void*>(bytes));
    EXPECT_EQ(bytes[63], 0);
    EXPECT_EQ(suite->host_get_handle_size(h), 64u);
    EXPECT_EQ(pool.lockedHandles(), 1);
    suite->host_unlock_handle(h);
    suite->host_dispose_handle(h);
    EXPECT_EQ(pool.liveHandles(), 0);
    EXPECT_EQ(pool.lockedHandles(), 0);

    pool.failAllocations(1);
    EXPECT_EQ(suite->host_new_handle(8), nullptr);
    PF_Handle next = suite->host_new_handle(8);
    EXPECT_NE(next, nullptr);
    suite->host_dispose_handle(next);
}

} // namespace
