#include <gtest/gtest.h>

#include <cstring>

#include "emulator/fnv1a64.h"
#include "emulator/placeholder_image.h"

namespace {

TEST(PlaceholderImage, SizesAreTheImagesSizes) {
    const struct {
        int id;
        size_t size;
    } cases[] = {{501, 8388608}, {504, 8388608}, {505, 13633428}};
    for (const auto& c : cases) {
        EXPECT_EQ(emu::PlaceholderSize(c.id).value_or(0), c.size) << "image " << c.id;
    }
    EXPECT_FALSE(emu::PlaceholderSize(502).has_value());
}

TEST(PlaceholderImage, BytesAgreeWhicheverWayTheyAreMade) {
    const std::vector<uint8_t> image = emu::PlaceholderImage(505, 4099);
    for (size_t offset : {0, 1, 7, 8, 9, 1000, 4095, 4098}) {
        EXPECT_EQ(emu::PlaceholderByte(505, offset), image[offset]) << "offset " << offset;
    }
    for (size_t start : {0, 3, 8, 13}) {
        std::vector<uint8_t> piece(29);
        emu::PlaceholderFill(505, start, piece.data(), piece.size());
        EXPECT_TRUE(std::equal(piece.begin(), piece.end(), image.begin() + static_cast<long>(start)))
            << "piece from " << start;
    }
}

TEST(PlaceholderImage, PatternDiffersByImageAndByPosition) {
    const std::vector<uint8_t> a = emu::PlaceholderImage(501, 4096);
    const std::vector<uint8_t> b = emu::PlaceholderImage(504, 4096);
    size_t same = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        same += a[i] == b[i] ? 1 : 0;
    }
    EXPECT_LT(same, 64u) << "501 and 504 agree in " << same << " of 4096 bytes";
    EXPECT_FALSE(std::equal(a.begin(), a.begin() + 2048, a.begin() + 2048)) << "the first half repeats";
    EXPECT_NE(emu::PlaceholderChecksum(501, 8388608), emu::PlaceholderChecksum(504, 8388608));
}

TEST(PlaceholderImage, ChecksumIsFnvOfTheImage) {
    for (int id : {501, 505}) {
        const std::vector<uint8_t> image = emu::PlaceholderImage(id, 200000);
        emu::Fnv1a64 checksum;
        checksum.Update(image.data(), image.size());
        EXPECT_EQ(emu::PlaceholderChecksum(id, image.size()), checksum.Value()) << "image " << id;
    }
}

TEST(PlaceholderImage, KnownChecksumsAreTheImages) {
    for (const emu::PlaceholderImageInfo& image : emu::kPlaceholderImages) {
        EXPECT_EQ(emu::PlaceholderChecksum(image.id, image.size), image.checksum) << "image " << image.id;
    }
}

TEST(PlaceholderImage, FnvKnownValues) {
    const struct {
        const char* text;
        uint64_t hash;
    } cases[] = {{"", 0xcbf29ce484222325ULL}, {"a", 0xaf63dc4c8601ec8cULL}, {"foobar", 0x85944171f73967e8ULL}};
    for (const auto& c : cases) {
        emu::Fnv1a64 checksum;
        checksum.Update(reinterpret_cast<const uint8_t*>(c.text), std::strlen(c.text));
        EXPECT_EQ(checksum.Value(), c.hash) << '"' << c.text << '"';
    }
}

}  // namespace
