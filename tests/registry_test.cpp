// Registry value semantics, run against the real store of each platform: the
// Linux key file natively, the Windows registry under Wine.
#include "settings/registry.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "settings/key_store.h"
#include "support/scratch_store.h"

namespace tickora {
namespace {

using testing::KeyExists;
using testing::kScratchKey;
using testing::ReadRaw;
using testing::TextBytes;
using testing::WithoutAddedTerminator;
using testing::WriteRaw;

constexpr RegRoot kRoot = keystore::kCurrentUser;
constexpr const char16_t* kFallback = u"fallback";

class Registry : public ::testing::Test {
  protected:
    testing::ScratchStore store;
};

TEST_F(Registry, TextIsStoredWithoutTerminatorAndReadBackTerminated) {
    ASSERT_TRUE(WriteRegString(kRoot, kScratchKey, u"Name", u"abc"));
    const auto raw = ReadRaw(kScratchKey, u"Name");
    ASSERT_TRUE(raw);
    EXPECT_EQ(raw->type, keystore::kTypeSz);
    EXPECT_EQ(WithoutAddedTerminator(raw->bytes), TextBytes(u"abc"));
    EXPECT_EQ(std::u16string(ReadRegString(kRoot, kScratchKey, u"Name", kFallback)), u"abc");
}

TEST_F(Registry, EmptyTextIsZeroBytesAndReadsBackEmpty) {
    ASSERT_TRUE(WriteRegString(kRoot, kScratchKey, u"Empty", u""));
    const auto raw = ReadRaw(kScratchKey, u"Empty");
    ASSERT_TRUE(raw);
    EXPECT_EQ(raw->type, keystore::kTypeSz);
    EXPECT_TRUE(raw->bytes.empty());
    const char16_t* read = ReadRegString(kRoot, kScratchKey, u"Empty", kFallback);
    EXPECT_NE(read, kFallback);
    EXPECT_EQ(std::u16string(read), u"");
}

// Written byte for byte, from a buffer that goes on past the count, so that no
// platform adds a terminator of its own.
void WriteUnterminated(const char16_t* name, std::size_t units) {
    const std::u16string text(units + 1, u'x');
    std::vector<unsigned char> bytes(text.size() * 2);
    std::memcpy(bytes.data(), text.data(), bytes.size());
    bytes.resize(units * 2);
    WriteRaw(kScratchKey, name, keystore::kTypeSz, bytes);
}

TEST_F(Registry, TextOf2047UnitsReadsWholeAnd2048YieldTheDefault) {
    WriteUnterminated(u"Longest", 2047);
    ASSERT_EQ(ReadRaw(kScratchKey, u"Longest")->bytes.size(), 4094u);
    EXPECT_EQ(std::u16string(ReadRegString(kRoot, kScratchKey, u"Longest", kFallback)),
              std::u16string(2047, u'x'));

    WriteUnterminated(u"TooLong", 2048);
    EXPECT_EQ(ReadRegString(kRoot, kScratchKey, u"TooLong", kFallback), kFallback);
}

TEST_F(Registry, TextEndsAtANullUnitTheStoredDataHolds) {
    WriteRaw(kScratchKey, u"Embedded", keystore::kTypeSz, TextBytes(std::u16string(u"ab\0cd", 5)));
    EXPECT_EQ(std::u16string(ReadRegString(kRoot, kScratchKey, u"Embedded", kFallback)), u"ab");
}

TEST_F(Registry, ExpandableTextIsReturnedUnexpanded) {
    WriteRaw(kScratchKey, u"Expand", keystore::kTypeExpandSz, TextBytes(u"%USERPROFILE%\\x"));
    EXPECT_EQ(std::u16string(ReadRegString(kRoot, kScratchKey, u"Expand", kFallback)),
              u"%USERPROFILE%\\x");
}

TEST_F(Registry, ValuesOfAnotherTypeYieldTheDefault) {
    WriteRegString(kRoot, kScratchKey, u"NumberAsText", u"42");
    EXPECT_EQ(ReadRegDword(kRoot, kScratchKey, u"NumberAsText", 7), 7);

    WriteRegDword(kRoot, kScratchKey, u"TextAsNumber", 42);
    EXPECT_EQ(ReadRegString(kRoot, kScratchKey, u"TextAsNumber", kFallback), kFallback);

    // Eight bytes do not fit a number.
    WriteRaw(kScratchKey, u"Wide", keystore::kTypeDword, std::vector<unsigned char>(8, 1));
    EXPECT_EQ(ReadRegDword(kRoot, kScratchKey, u"Wide", -3), -3);
}

TEST_F(Registry, NumbersRoundTripSigned) {
    WriteRegDword(kRoot, kScratchKey, u"Negative", -150);
    const auto raw = ReadRaw(kScratchKey, u"Negative");
    ASSERT_TRUE(raw);
    EXPECT_EQ(raw->type, keystore::kTypeDword);
    EXPECT_EQ(raw->bytes, (std::vector<unsigned char>{0x6A, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(ReadRegDword(kRoot, kScratchKey, u"Negative", 0), -150);

    WriteRegDword(kRoot, kScratchKey, u"Extremes", INT32_MIN);
    EXPECT_EQ(ReadRegDword(kRoot, kScratchKey, u"Extremes", 0), INT32_MIN);
}

TEST_F(Registry, ReadingAMissingKeyCreatesNothing) {
    const char16_t* missing = u"Software\\TickoraTests\\Missing\\Deeper";
    EXPECT_EQ(ReadRegDword(kRoot, missing, u"Value", 11), 11);
    EXPECT_EQ(ReadRegString(kRoot, missing, u"Value", kFallback), kFallback);
    std::uint32_t buffer = 0;
    EXPECT_FALSE(ReadRegValue(kRoot, missing, u"Value", keystore::kTypeDword, &buffer, 4));
    EXPECT_FALSE(KeyExists(missing));
    EXPECT_FALSE(KeyExists(kScratchKey));
}

TEST_F(Registry, WritingCreatesEveryMissingKeyLevel) {
    const char16_t* deep = u"Software\\TickoraTests\\One\\Two";
    ASSERT_TRUE(WriteRegDword(kRoot, deep, u"Value", 5));
    EXPECT_TRUE(KeyExists(u"Software\\TickoraTests\\One"));
    EXPECT_TRUE(KeyExists(deep));
    EXPECT_EQ(ReadRegDword(kRoot, deep, u"Value", 0), 5);
}

TEST_F(Registry, WritingReplacesAValueOfAnotherType) {
    WriteRegString(kRoot, kScratchKey, u"Changing", u"text");
    WriteRegDword(kRoot, kScratchKey, u"Changing", 3);
    EXPECT_EQ(ReadRaw(kScratchKey, u"Changing")->type, keystore::kTypeDword);
    EXPECT_EQ(ReadRegDword(kRoot, kScratchKey, u"Changing", 0), 3);
}

TEST_F(Registry, DeletingRemovesOnlyExistingValuesAndNeverCreatesKeys) {
    EXPECT_FALSE(DeleteRegValue(kRoot, kScratchKey, u"Nothing"));
    EXPECT_FALSE(KeyExists(kScratchKey));

    WriteRegDword(kRoot, kScratchKey, u"Keep", 1);
    WriteRegString(kRoot, kScratchKey, u"Drop", u"x");
    EXPECT_FALSE(DeleteRegValue(kRoot, kScratchKey, u"Nothing"));
    EXPECT_TRUE(DeleteRegValue(kRoot, kScratchKey, u"Drop"));
    EXPECT_FALSE(ReadRaw(kScratchKey, u"Drop"));
    EXPECT_EQ(ReadRegDword(kRoot, kScratchKey, u"Keep", 0), 1);
    EXPECT_TRUE(KeyExists(kScratchKey));
}

TEST_F(Registry, TypedReadChecksTheStoredType) {
    WriteRegDword(kRoot, kScratchKey, u"Number", 9);
    std::uint32_t buffer = 0;
    EXPECT_TRUE(ReadRegValue(kRoot, kScratchKey, u"Number", keystore::kTypeDword, &buffer, 4));
    EXPECT_EQ(buffer, 9u);
    EXPECT_FALSE(ReadRegValue(kRoot, kScratchKey, u"Number", keystore::kTypeSz, &buffer, 4));
}

TEST_F(Registry, SharedStringBufferIsOverwrittenByTheNextRead) {
    WriteRegString(kRoot, kScratchKey, u"First", u"longer text");
    WriteRegString(kRoot, kScratchKey, u"Second", u"ab");
    const char16_t* first = ReadRegString(kRoot, kScratchKey, u"First", kFallback);
    const char16_t* second = ReadRegString(kRoot, kScratchKey, u"Second", kFallback);
    EXPECT_EQ(first, second);
    // No tail of the longer text survives behind the shorter one.
    EXPECT_EQ(std::u16string(second), u"ab");
}

}  // namespace
}  // namespace tickora
