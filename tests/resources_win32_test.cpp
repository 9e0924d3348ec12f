// The executable's resources, read back from this test program, which carries
// the same resource script as Tickora.exe.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "imaging/imaging.h"
#include "skin/resources.h"
#include "skin/skin.h"

namespace tickora {
namespace {

constexpr WORD kGerman = MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN);

TEST(Resources, InternalSkinIsGermanPngFilesFoundWithoutRegardToCase) {
    for (const wchar_t* name : {L"MAIN", L"HOUR", L"MIN", L"SEC", L"ATTACH"}) {
        EXPECT_NE(FindResourceExW(nullptr, L"PNG_FILE", name, kGerman), nullptr) << name;
    }
    EXPECT_NE(FindPngResource(u"attach").data, nullptr);
    EXPECT_EQ(FindPngResource(u"GLASS").data, nullptr);
}

TEST(Resources, LoadPngResourceDecodesEveryInternalImage) {
    const std::pair<const char16_t*, std::uint32_t> sizes[] = {
        {u"MAIN", 290}, {u"HOUR", 104}, {u"MIN", 140}, {u"SEC", 162}, {u"attach", 290}};
    for (const auto& [name, width] : sizes) {
        imaging::Image* image = LoadPngResource(name);
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(imaging::ImageWidth(image), width);
        imaging::DisposeImage(image);
    }
    EXPECT_EQ(LoadPngResource(u"NOPE"), nullptr);
}

TEST(Resources, IconGroupHoldsThreeEightBitIcons) {
    ASSERT_NE(FindResourceExW(nullptr, RT_GROUP_ICON, MAKEINTRESOURCEW(104), kGerman), nullptr);
    const int sizes[] = {16, 32, 128};
    for (int id = 1; id <= 3; ++id) {
        HRSRC icon = FindResourceExW(nullptr, RT_ICON, MAKEINTRESOURCEW(id), kGerman);
        ASSERT_NE(icon, nullptr) << id;
        const auto* header =
            static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(nullptr, icon)));
        EXPECT_EQ(header->biSize, 40u);  // a DIB, not PNG
        EXPECT_EQ(header->biWidth, sizes[id - 1]);
        EXPECT_EQ(header->biHeight, 2 * sizes[id - 1]);  // colour and AND mask
        EXPECT_EQ(header->biBitCount, 8);
    }
    for (int size : {16, 32}) {
        HANDLE icon = LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(104), IMAGE_ICON, size,
                                 size, LR_VGACOLOR);
        EXPECT_NE(icon, nullptr) << size;
        DestroyIcon(static_cast<HICON>(icon));
    }
}

std::wstring VersionString(const void* block, const wchar_t* key) {
    void* value = nullptr;
    UINT length = 0;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904b0\\") + key;
    if (!VerQueryValueW(block, path.c_str(), &value, &length) || value == nullptr) return L"<none>";
    return std::wstring(static_cast<const wchar_t*>(value));
}

TEST(Resources, VersionResource) {
    HRSRC found = FindResourceExW(nullptr, RT_VERSION, MAKEINTRESOURCEW(1), kGerman);
    ASSERT_NE(found, nullptr);
    const void* block = LockResource(LoadResource(nullptr, found));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block, L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileFlagsMask, 0x3Fu);
    EXPECT_EQ(fixed->dwFileFlags, 0u);
    EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS_NT_WINDOWS32));
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
    EXPECT_EQ(VersionString(block, L"CompanyName"), L"Velmarck");
    EXPECT_EQ(VersionString(block, L"FileDescription"), L"Tickora");
    EXPECT_EQ(VersionString(block, L"FileVersion"), L"1, 0, 0, 1");
    EXPECT_EQ(VersionString(block, L"OriginalFilename"), L"Tickora.exe");
    EXPECT_EQ(VersionString(block, L"ProductVersion"), L"1, 0, 0, 1");
    EXPECT_EQ(VersionString(block, L"Comments"), L"");
    DWORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueW(block, L"\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
    EXPECT_EQ(*translation, 0x04B00409u);
}

TEST(Resources, ManifestAsksForCommonControlsSix) {
    HRSRC found = FindResourceExW(nullptr, RT_MANIFEST, MAKEINTRESOURCEW(1), kGerman);
    ASSERT_NE(found, nullptr);
    const std::string manifest(static_cast<const char*>(LockResource(LoadResource(nullptr, found))),
                               SizeofResource(nullptr, found));
    EXPECT_NE(manifest.find("manifestVersion=\"1.0\""), std::string::npos);
    EXPECT_NE(manifest.find("<description>App</description>"), std::string::npos);
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
              std::string::npos);
    EXPECT_NE(manifest.find("publicKeyToken=\"6595b64144ccf1df\""), std::string::npos);
}

}  // namespace
}  // namespace tickora
