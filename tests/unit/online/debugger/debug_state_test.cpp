// The built-in record of an instance with a physics body, read by the
// record's layout: 41 words of instance fields, the body's 35 values, the
// time line's 5.
#include "online/debugger/debug_state.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "online/debugger/debug_protocol.h"
#include "unit/physics/physics_fixture.h"

namespace bw {
namespace {

constexpr size_t kHeaderBytes = 8;  // the reply's magic word and 44
constexpr size_t kBodyAt = 41;
constexpr size_t kRecordWords = 41 + 35 + 5;

// The record's words after the reply header.
std::vector<uint32_t> RecordOf(const CInstance* instance)
{
    DebugReply reply;
    VM_DebugWriteBuiltinVariables(reply, instance);
    const std::vector<uint8_t>& bytes = reply.Data();
    std::vector<uint32_t> words((bytes.size() - kHeaderBytes) / 4);
    std::memcpy(words.data(), bytes.data() + kHeaderBytes, words.size() * 4);
    EXPECT_EQ(bytes.size(), kHeaderBytes + kRecordWords * 4);
    return words;
}

float Single(uint32_t word)
{
    float value = 0;
    std::memcpy(&value, &word, 4);
    return value;
}

using DebugStateTest = test::PhysicsTest;

TEST_F(DebugStateTest, TheBodySectionReadsTheInstancesBody)
{
    LoadObjects({test::Object("thing")});
    CInstance* moving = BodyAt(0, 32, 48, Box(5, 5));
    ASSERT_TRUE(PhysicsObject_WriteVariable(moving, static_cast<int32_t>(PhysicsVariable::Rotation), 30));
    const std::vector<uint32_t> body = RecordOf(moving);
    ASSERT_EQ(body.size(), kRecordWords);
    EXPECT_EQ(body[kBodyAt + 0], 1u) << "active";
    EXPECT_EQ(body[kBodyAt + 1], 0u) << "fixed rotation";
    EXPECT_NEAR(Single(body[kBodyAt + 2]), 30.0f, 1e-3f) << "angle in degrees";
    EXPECT_FLOAT_EQ(Single(body[kBodyAt + 7]), 32.0f) << "phy_position_x";
    EXPECT_FLOAT_EQ(Single(body[kBodyAt + 8]), 48.0f) << "phy_position_y";
    EXPECT_EQ(body[kBodyAt + 13], 1u) << "dynamic";
    EXPECT_EQ(body[kBodyAt + 14], 0u) << "kinematic";
    EXPECT_GT(Single(body[kBodyAt + 15]), 0.0f) << "mass";
    EXPECT_EQ(body[kBodyAt + 27], 0u) << "not static";

    const std::vector<uint32_t> fixed = RecordOf(BodyAt(0, 0, 0, Box(5, 5, 0.0f)));
    EXPECT_EQ(fixed[kBodyAt + 13], 0u);
    EXPECT_EQ(fixed[kBodyAt + 27], 1u) << "static";
}

TEST_F(DebugStateTest, NoBodyAndNoInstanceWriteZerosInTheSameLayout)
{
    LoadObjects({test::Object("thing")});
    CInstance* plain = AddInstance(0);
    const std::vector<uint32_t> record = RecordOf(plain);
    ASSERT_EQ(record.size(), kRecordWords);
    EXPECT_EQ(record[0], static_cast<uint32_t>(plain->i_id));
    for (size_t i = kBodyAt; i < kBodyAt + 35; ++i) {
        EXPECT_EQ(record[i], 0u) << "body value " << i - kBodyAt;
    }
    EXPECT_EQ(RecordOf(nullptr), std::vector<uint32_t>(kRecordWords, 0u));
}

}  // namespace
}  // namespace bw
