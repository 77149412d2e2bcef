// The images and icons in the program's resources: present, of the sizes and pixel formats the
// drawing relies on, and loadable through the framework.
#include <gtest/gtest.h>

#include "resource.h"
#include "support.h"

namespace {

struct ExpectedBitmap {
    UINT id;
    int width;
    int height;
    int bitsPerPixel;
};

const ExpectedBitmap kBitmaps[] = {
    {IDB_SPADE, 48, 32, 1},     {IDB_HEART, 48, 32, 1},       {IDB_CLUB, 48, 32, 1},
    {IDB_DIAMOND, 48, 32, 1},   {IDB_RANK_STRIP, 430, 30, 1}, {IDB_BLANK_FACE, 48, 64, 8},
    {IDB_CARD_BACK, 48, 64, 8}, {IDB_CAT_JOKER, 48, 64, 8},   {IDB_JOKER, 48, 64, 4},
};

const BITMAPINFOHEADER* BitmapHeader(UINT id) {
    const HMODULE module = ::GetModuleHandleW(nullptr);
    const HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(2));
    if (found == nullptr) {
        return nullptr;
    }
    return static_cast<const BITMAPINFOHEADER*>(::LockResource(::LoadResource(module, found)));
}

TEST(Resources, BitmapsHaveTheirSizesAndPixelFormats) {
    for (const ExpectedBitmap& expected : kBitmaps) {
        SCOPED_TRACE(::testing::Message() << "bitmap " << expected.id);
        const BITMAPINFOHEADER* header = BitmapHeader(expected.id);
        ASSERT_NE(header, nullptr);
        EXPECT_EQ(header->biWidth, expected.width);
        EXPECT_EQ(header->biHeight, expected.height) << "bottom-up, as LoadBitmap expects";
        EXPECT_EQ(header->biBitCount, expected.bitsPerPixel);
        EXPECT_EQ(header->biCompression, static_cast<DWORD>(BI_RGB));

        CBitmap bitmap;
        ASSERT_TRUE(bitmap.LoadBitmap(expected.id));
        BITMAP info{};
        ASSERT_EQ(::GetObjectW(bitmap.m_hObject, sizeof info, &info),
                  static_cast<int>(sizeof info));
        EXPECT_EQ(info.bmWidth, expected.width);
        EXPECT_EQ(info.bmHeight, expected.height);
        if (expected.bitsPerPixel == 1) {
            EXPECT_EQ(info.bmBitsPixel, 1) << "two-colour images must stay two-colour";
        }
    }
}

TEST(Resources, TwoColourImagesAreBlackInkOnWhite) {
    for (const UINT id : {IDB_SPADE, IDB_HEART, IDB_CLUB, IDB_DIAMOND, IDB_RANK_STRIP}) {
        SCOPED_TRACE(::testing::Message() << "bitmap " << id);
        const BITMAPINFOHEADER* header = BitmapHeader(id);
        ASSERT_NE(header, nullptr);
        const auto* palette = reinterpret_cast<const RGBQUAD*>(
            reinterpret_cast<const char*>(header) + header->biSize);
        EXPECT_EQ(palette[0].rgbRed | palette[0].rgbGreen | palette[0].rgbBlue, 0);
        EXPECT_EQ(palette[1].rgbRed & palette[1].rgbGreen & palette[1].rgbBlue, 255);
    }
}

TEST(Resources, RankStripLeavesItsLastColumnBlank) {
    CBitmap strip;
    ASSERT_TRUE(strip.LoadBitmap(IDB_RANK_STRIP));
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
    CBitmap* kept = dc.SelectObject(&strip);
    for (int y = 0; y < 30; ++y) {
        EXPECT_EQ(::GetPixel(dc.m_hDC, 429, y), RGB(255, 255, 255)) << "row " << y;
    }
    // Every one of the 13 slots holds a glyph.
    for (int slot = 0; slot < 13; ++slot) {
        int ink = 0;
        for (int x = 33 * slot; x < 33 * slot + 33; ++x) {
            for (int y = 0; y < 30; ++y) {
                ink += ::GetPixel(dc.m_hDC, x, y) == RGB(0, 0, 0) ? 1 : 0;
            }
        }
        EXPECT_GT(ink, 20) << "slot " << slot;
    }
    dc.SelectObject(kept);
}

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width;
    BYTE height;
    BYTE colourCount;
    BYTE reserved;
    WORD planes;
    WORD bitCount;
    DWORD bytes;
    WORD id;
};
struct GroupIconHeader {
    WORD reserved;
    WORD type;
    WORD count;
    GroupIconEntry entries[1];
};
#pragma pack(pop)

TEST(Resources, IconsAreOne32By32SixteenColourImage) {
    CWinApp app("icons");
    for (const UINT id : {IDI_APP, IDI_MONOGRAM}) {
        SCOPED_TRACE(::testing::Message() << "icon " << id);
        const HMODULE module = ::GetModuleHandleW(nullptr);
        const HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(14));
        ASSERT_NE(found, nullptr);
        const auto* group =
            static_cast<const GroupIconHeader*>(::LockResource(::LoadResource(module, found)));
        ASSERT_EQ(group->count, 1);
        EXPECT_EQ(group->entries[0].width, 32);
        EXPECT_EQ(group->entries[0].height, 32);
        EXPECT_EQ(group->entries[0].bitCount, 4);

        const HICON icon = app.LoadIcon(id);
        ASSERT_NE(icon, nullptr);
        ICONINFO info{};
        ASSERT_TRUE(::GetIconInfo(icon, &info));
        BITMAP mask{};
        ::GetObjectW(info.hbmMask, sizeof mask, &mask);
        EXPECT_EQ(mask.bmWidth, 32);
        ::DeleteObject(info.hbmMask);
        ::DeleteObject(info.hbmColor);
    }
}

}  // namespace
