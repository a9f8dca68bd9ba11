#include "script/value.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/memory.h"
#include "platform/stream.h"

namespace bw {
namespace {

uint32_t BlocksInUse()
{
    return MemoryManager_Counters().blocksInUse;
}

Value Real(double real)
{
    Value value;
    value.real = real;
    return value;
}

Value Text(const char* text)
{
    Value value;
    Value_SetString(value, text);
    return value;
}

Value NullText()
{
    Value value;
    value.kind = kValueString;
    return value;
}

// Stores element at index of target and releases element.
void Put(Value& target, Value element, int32_t index)
{
    Value_ArraySet(target, element, index);
    Value_Free(element);
}

// An array with the given rows of reals.
Value Rows(const std::vector<std::vector<double>>& rows)
{
    Value array;
    for (size_t r = 0; r < rows.size(); ++r) {
        for (size_t c = 0; c < rows[r].size(); ++c) {
            Value_ArraySet(array, Real(rows[r][c]), static_cast<int32_t>(r * kValueArrayRowStride + c));
        }
    }
    return array;
}

std::string TextOf(const Value& value)
{
    std::string text;
    Value_ToString(text, value);
    return text;
}

// The real at index; -999 when the read fails or finds no real.
double At(const Value& array, int32_t index)
{
    Value got;
    return Value_ArrayGet(got, array, index) && Value_Kind(got) == kValueReal ? got.real : -999;
}

TEST(ValueTest, ArrayIndexAddressesRowTimes32000PlusColumn)
{
    Value array;
    Value_ArraySet(array, Real(21), 2 * 32000 + 1);
    Value_ArraySet(array, Real(99), 32000 - 1);
    ASSERT_EQ(Value_Kind(array), kValueArray);
    ASSERT_EQ(array.rowCount, 3);
    const ValueArrayRow* rows = Value_Rows(array);
    EXPECT_EQ(rows[0].length, 32000);
    EXPECT_EQ(rows[1].length, 0);
    EXPECT_EQ(rows[2].length, 2);
    EXPECT_EQ(rows[2].elements[1].real, 21);
    EXPECT_EQ(rows[0].elements[31999].real, 99);
    EXPECT_EQ(At(array, 2 * 32000 + 1), 21);
    Value_Free(array);
}

TEST(ValueTest, SettingAnElementOfARealMakesAOneRowArrayOfZeros)
{
    Value value = Real(4);
    Value_ArraySet(value, Real(8), 5);
    ASSERT_EQ(value.rowCount, 1);
    ASSERT_EQ(Value_Rows(value)[0].length, 6);
    for (int32_t c = 0; c < 5; ++c) {
        EXPECT_EQ(At(value, c), 0) << c;
    }
    EXPECT_EQ(At(value, 5), 8);
    Value_Free(value);
}

TEST(ValueTest, FillingARowOneElementAtATimeMovesItsBlockLogarithmicallyOften)
{
    const uint32_t before = BlocksInUse();
    Value array;
    constexpr int32_t kLength = 20000;
    int32_t moves = 0;
    const Value* block = nullptr;
    for (int32_t i = 0; i < kLength; ++i) {
        Put(array, Real(i), i);
        ASSERT_EQ(Value_Rows(array)[0].length, i + 1);  // the length game code sees stays exact
        if (Value_Rows(array)[0].elements != block) {
            block = Value_Rows(array)[0].elements;
            ++moves;
        }
    }
    EXPECT_LE(moves, 30);
    EXPECT_EQ(At(array, kLength), -999);
    EXPECT_EQ(Value_OutOfRange().rowLength, kLength);
    EXPECT_EQ(At(array, kLength - 1), kLength - 1);

    // A write past the end inside the spare room reads back zeros between.
    Put(array, Text("t"), kLength + 2);
    EXPECT_EQ(Value_Rows(array)[0].length, kLength + 3);
    EXPECT_EQ(At(array, kLength + 1), 0);

    // A copy holds exactly the elements and grows on its own.
    Value copy;
    Value_Copy(copy, array);
    Put(copy, Real(-1), 0);
    Put(copy, Real(-2), kLength + 3);
    EXPECT_EQ(Value_Rows(copy)[0].length, kLength + 4);
    EXPECT_EQ(Value_Rows(array)[0].length, kLength + 3);
    EXPECT_EQ(At(array, 0), 0);
    EXPECT_EQ(TextOf(copy).size(), TextOf(array).size() + 4);  // "-1" for "0", and ",-2"

    Value_Free(copy);
    Value_Free(array);
    EXPECT_EQ(BlocksInUse(), before);
}

TEST(ValueTest, WholeValueWritesReplaceAndReleaseWhatWasThere)
{
    const uint32_t before = BlocksInUse();
    Value array = Rows({{1, 2}, {3}});
    Value_ArraySet(array, Real(7), kValueNoIndex);
    EXPECT_EQ(Value_Kind(array), kValueReal);
    EXPECT_EQ(array.real, 7);
    EXPECT_EQ(BlocksInUse(), before);

    // A string turned into an array gives its text back.
    Value text = Text("gone");
    Value_ArraySet(text, Real(1), 0);
    EXPECT_EQ(Value_Kind(text), kValueArray);
    Value_Free(text);
    EXPECT_EQ(BlocksInUse(), before);
}

TEST(ValueTest, OutOfRangeAccessFillsTheRecordAndChangesNothing)
{
    const struct {
        int32_t index;
        int32_t row;
        int32_t column;
        int32_t rowLength;
    } reads[] = {
        {-5, 0, -5, 2},        // column -5 of row 0
        {2, 0, 2, 2},          // past row 0's end
        {32000 * 2, 2, 0, -1}, // no such row
        {-32001, -1, -1, -1},
    };
    Value array = Rows({{1, 2}, {3}});
    for (const auto& c : reads) {
        SCOPED_TRACE(c.index);
        Value_OutOfRange() = {};
        Value got = Text("old");
        EXPECT_FALSE(Value_ArrayGet(got, array, c.index));
        EXPECT_EQ(Value_Kind(got), kValueReal);
        EXPECT_EQ(got.real, 0);
        const ValueOutOfRange& record = Value_OutOfRange();
        EXPECT_TRUE(record.failed);
        EXPECT_EQ(record.row, c.row);
        EXPECT_EQ(record.column, c.column);
        EXPECT_EQ(record.rowCount, 2);
        EXPECT_EQ(record.rowLength, c.rowLength);
    }

    Value_OutOfRange() = {};
    Value target = Text("kept");
    Value_ArraySet(target, Real(1), -5);
    EXPECT_TRUE(Value_OutOfRange().failed);
    EXPECT_EQ(Value_OutOfRange().rowCount, 0);
    EXPECT_EQ(Value_OutOfRange().rowLength, -1);
    EXPECT_STREQ(Value_String(target), "kept");
    Value_Free(target);
    Value_Free(array);
}

TEST(ValueTest, CopyIsDeepAndKeepsTheWholeKindWord)
{
    Value inner = Rows({{5}});
    Value outer = Rows({{1}});
    Value_ArraySet(outer, inner, 1);
    Put(outer, Text("t"), 32000);
    outer.kind |= kValueFlagNestedList;

    Value copy;
    Value_Copy(copy, outer);
    EXPECT_EQ(copy.kind, outer.kind);
    EXPECT_EQ(TextOf(copy), "{ 1,{ 5 }t }");
    EXPECT_NE(copy.ptr, outer.ptr);
    EXPECT_NE(Value_Rows(copy)[0].elements[1].ptr, Value_Rows(outer)[0].elements[1].ptr);
    Value_ArraySet(copy, Real(9), 0);
    EXPECT_EQ(TextOf(outer), "{ 1,{ 5 }t }");

    Value flagged = Real(3);
    flagged.kind |= kValueFlagNestedMap;
    Value_Copy(copy, flagged);
    EXPECT_EQ(copy.kind, kValueReal | kValueFlagNestedMap);
    Value_Free(copy);
    Value_Free(inner);
    Value_Free(outer);
}

TEST(ValueTest, StringCopyReusesABlockThatIsLargeEnough)
{
    Value dest = Text("a long enough text");
    void* block = dest.ptr;
    Value shorter = Text("short");
    Value_Copy(dest, shorter);
    Value_Free(shorter);
    EXPECT_EQ(dest.ptr, block);
    EXPECT_STREQ(Value_String(dest), "short");

    Value longer = Text("a text longer than any block dest had");
    Value_Copy(dest, longer);
    EXPECT_STREQ(Value_String(dest), Value_String(longer));

    Value_Copy(dest, NullText());
    EXPECT_EQ(dest.ptr, nullptr);
    EXPECT_EQ(Value_Kind(dest), kValueString);

    // A text taken from the value's own block.
    Value_SetString(longer, Value_String(longer) + 2);
    EXPECT_STREQ(Value_String(longer), "text longer than any block dest had");
    Value_Free(longer);
}

TEST(ValueTest, ValuesMayBeCopiedIntoThemselvesAndTheirOwnElements)
{
    const uint32_t before = BlocksInUse();
    Value array = Rows({{1, 2}});
    Value_ArraySet(array, array, 2);
    EXPECT_EQ(TextOf(array), "{ 1,2,{ 1,2 } }");

    Value_Copy(array, Value_Rows(array)[0].elements[2]);
    EXPECT_EQ(TextOf(array), "{ 1,2 }");

    Value_ArraySet(array, Value_Rows(array)[0].elements[1], kValueNoIndex);
    EXPECT_EQ(TextOf(array), "2");
    Value_Copy(array, array);
    EXPECT_EQ(TextOf(array), "2");
    Value_Free(array);
    EXPECT_EQ(BlocksInUse(), before);
}

TEST(ValueTest, TextFormOfValues)
{
    struct Case {
        Value value;
        const char* text;
    };
    Value other;
    other.kind = 5;
    const Case cases[] = {
        {Real(3.0), "3"},
        {Real(2.5), "2.50"},
        {Real(-0.004), "-0.00"},
        {Real(-7), "-7"},
        {Real(3000000000.0), "3000000000"},
        {Real(-1e12), "-1000000000000"},
        {Real(1e20), "100000000000000000000"},
        {Text("abc"), "abc"},
        {NullText(), ""},
        {other, ""},
        {Rows({{1, 2}, {3}}), "{ 1,23 }"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Value value = c.value;
        EXPECT_EQ(TextOf(value), c.text);
        Value_Free(value);
    }
}

// ---- stream form ----

Value RoundTrip(const Value& value)
{
    CStream stream;
    EXPECT_TRUE(Value_Write(value, stream));
    stream.Seek(0);
    Value back = Text("overwritten");
    EXPECT_TRUE(Value_Read(back, stream));
    EXPECT_EQ(stream.GetPosition(), stream.GetSize());
    return back;
}

TEST(ValueStreamTest, StringIsKindRealAndNulTerminatedText)
{
    CStream stream;
    Value text = Text("ab");
    ASSERT_TRUE(Value_Write(text, stream));
    const uint8_t expected[] = {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 'a', 'b', 0};
    ASSERT_EQ(stream.GetSize(), static_cast<int64_t>(sizeof expected));
    EXPECT_EQ(std::memcmp(stream.GetData(), expected, sizeof expected), 0);
    Value_Free(text);
}

TEST(ValueStreamTest, RoundTripKeepsKindTextAndRows)
{
    const uint32_t before = BlocksInUse();
    Value flagged = Real(12);
    flagged.kind |= kValueFlagNestedMap;
    Value other;
    other.kind = 9;
    Value nested = Rows({{1, 2}, {}, {3}});
    Put(nested, Text("deep"), 32000 * 3 + 2);
    Put(nested, Rows({{4}, {5, 6}}), 1);
    Value_ArraySet(nested, NullText(), 4);

    const Value cases[] = {Real(2.5), Text("text"), Text(""), NullText(), flagged, other, nested};
    for (const Value& value : cases) {
        SCOPED_TRACE(TextOf(value));
        Value back = RoundTrip(value);
        EXPECT_EQ(back.kind, value.kind);
        EXPECT_EQ(TextOf(back), TextOf(value));
        if (Value_Kind(value) == kValueString) {
            EXPECT_EQ(back.ptr == nullptr, value.ptr == nullptr);
        }
        if (Value_Kind(value) == kValueReal) {
            EXPECT_EQ(back.real, value.real);
            EXPECT_EQ(back.ptr, nullptr);
        }
        Value_Free(back);
    }
    // The empty middle row and the null text inside the array survive too.
    Value back = RoundTrip(nested);
    EXPECT_EQ(back.rowCount, 4);
    EXPECT_EQ(Value_Rows(back)[1].length, 0);
    EXPECT_EQ(Value_Kind(Value_Rows(back)[0].elements[4]), kValueString);
    EXPECT_EQ(Value_Rows(back)[0].elements[4].ptr, nullptr);
    Value_Free(back);
    for (Value value : cases) {
        Value_Free(value);
    }
    EXPECT_EQ(BlocksInUse(), before);
}

TEST(ValueStreamTest, StreamsCutShortFailAndLeaveARealZero)
{
    const uint32_t before = BlocksInUse();
    CStream whole;
    Value nested = Rows({{1, 2}, {3}});
    Put(nested, Text("end"), 32000 + 1);
    ASSERT_TRUE(Value_Write(nested, whole));
    Value_Free(nested);

    for (int64_t size = 0; size < whole.GetSize(); ++size) {
        SCOPED_TRACE(size);
        CStream cut;
        cut.WriteBuffer(whole.GetData(), size);
        cut.Seek(0);
        Value value = Text("old");
        EXPECT_FALSE(Value_Read(value, cut));
        EXPECT_EQ(value.kind, kValueReal);
        EXPECT_EQ(value.ptr, nullptr);
        cut.Free();
    }
    whole.Free();
    EXPECT_EQ(BlocksInUse(), before);
}

TEST(ValueStreamTest, ImplausibleCountsAreRefusedBeforeAllocating)
{
    const struct {
        const char* what;
        std::vector<int32_t> words;
    } cases[] = {
        {"row count beyond the bytes", {2, 0x7FFFFFFF, 0}},
        {"negative row count", {2, -1}},
        {"negative row length", {2, 1, -4}},
        {"row length beyond the bytes", {2, 1, 1000000, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CStream stream;
        for (int32_t word : c.words) {
            stream.WriteInteger(word);
        }
        stream.Seek(0);
        Value value;
        EXPECT_FALSE(Value_Read(value, stream));
    }
}

TEST(ValueStreamTest, EndlesslyNestedArraysAreRefused)
{
    CStream deep;
    for (int i = 0; i < 100000; ++i) {
        deep.WriteInteger(kValueArray);
        deep.WriteInteger(1);
        deep.WriteInteger(1);
    }
    deep.Seek(0);
    const uint32_t before = BlocksInUse();
    Value value;
    EXPECT_FALSE(Value_Read(value, deep));
    EXPECT_EQ(BlocksInUse(), before);
}

}  // namespace
}  // namespace bw
