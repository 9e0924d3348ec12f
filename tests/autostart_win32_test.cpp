#include <gtest/gtest.h>

#include "settings/autostart.h"
#include "settings/key_store.h"
#include "settings/registry.h"
#include "support/scratch_store.h"

namespace tickora {
namespace {

using testing::kRunKey;
using testing::ReadRaw;
using testing::TextBytes;
using testing::WithoutAddedTerminator;

TEST(Autostart, RunValueHoldsTheBarePathAndIsDeletedAgain) {
    testing::ScratchStore store;
    const char16_t* path = u"C:\\Program Files\\Tickora\\Tickora.exe";
    WriteAutostart(path);
    const auto raw = ReadRaw(kRunKey, u"Tickora");
    ASSERT_TRUE(raw);
    EXPECT_EQ(raw->type, keystore::kTypeSz);
    EXPECT_EQ(WithoutAddedTerminator(raw->bytes), TextBytes(path));

    DeleteAutostart();
    EXPECT_FALSE(ReadRaw(kRunKey, u"Tickora"));
    // Deleting what is not there is the normal case at start.
    DeleteAutostart();
    EXPECT_FALSE(ReadRaw(kRunKey, u"Tickora"));
}

}  // namespace
}  // namespace tickora
