#include "library/json.h"

#include <gtest/gtest.h>
#include <json-c/json.h>

#include <string>

#include "library/ds_map.h"
#include "unit/library/library_test_support.h"

namespace bw {
namespace {

using test::CallBuiltin;
using test::ScriptValue;

class JsonTest : public test::LibraryTest {
protected:
    static CDS_Map* Map(int32_t id) { return DS_MapPool().Get(id); }
    static const Value* Member(int32_t map, const char* name) { return DS_Map_Find(Map(map), ScriptValue(name).Get()); }
    static std::string Text(const Value* value) { return value != nullptr && value->ptr ? Value_String(*value) : ""; }
    // Structural equality of two JSON texts: members in any order, numbers by
    // value (json-c prints 1 as 1.0, so the texts differ).
    static bool SameJson(const std::string& a, const std::string& b)
    {
        json_object* left = json_tokener_parse(a.c_str());
        json_object* right = json_tokener_parse(b.c_str());
        const bool same = left != nullptr && right != nullptr && SameValue(left, right);
        json_object_put(left);
        json_object_put(right);
        return same;
    }
    static bool IsNumber(json_object* value)
    {
        return json_object_is_type(value, json_type_int) || json_object_is_type(value, json_type_double);
    }
    static bool SameValue(json_object* a, json_object* b)
    {
        if (a == nullptr || b == nullptr) return a == b;
        if (IsNumber(a) && IsNumber(b)) return json_object_get_double(a) == json_object_get_double(b);
        if (json_object_get_type(a) != json_object_get_type(b)) return false;
        switch (json_object_get_type(a)) {
        case json_type_object: {
            if (json_object_object_length(a) != json_object_object_length(b)) return false;
            json_object_object_foreach(a, name, member)
            {
                json_object* other = nullptr;
                if (!json_object_object_get_ex(b, name, &other) || !SameValue(member, other)) return false;
            }
            return true;
        }
        case json_type_array:
            if (json_object_array_length(a) != json_object_array_length(b)) return false;
            for (size_t i = 0; i < json_object_array_length(a); ++i) {
                if (!SameValue(json_object_array_get_idx(a, i), json_object_array_get_idx(b, i))) return false;
            }
            return true;
        default:
            return json_object_equal(a, b) != 0;
        }
    }
};

TEST_F(JsonTest, ObjectsBecomeMapsAndArraysLists)
{
    const int32_t map = Json_Decode(R"({"a":1,"b":[true,null,"x"],"c":null})");
    EXPECT_EQ(DS_Map_Size(Map(map)), 2);
    EXPECT_EQ(Member(map, "a")->real, 1.0);
    const Value* b = Member(map, "b");
    ASSERT_TRUE(DS_OwnsList(*b));
    const CDS_List* list = DS_ListPool().Get(static_cast<int32_t>(b->real));
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->Size(), 3);
    EXPECT_EQ(list->GetValue(0)->real, 1.0);
    EXPECT_EQ(list->GetValue(1)->real, 0.0);
    EXPECT_EQ(Text(list->GetValue(2)), "x");
}

TEST_F(JsonTest, TextsAndRealsThatAreNoObjectAreWrappedAsDefault)
{
    const int32_t array = Json_Decode(" [1,2] ");
    const Value* member = Member(array, "default");
    ASSERT_TRUE(DS_OwnsList(*member));
    EXPECT_EQ(DS_ListPool().Get(static_cast<int32_t>(member->real))->Size(), 2);

    struct Case { const char* text; const char* member; };
    const Case cases[] = {
        {"hello", "hello"}, {"{broken", "{broken"}, {"[1,", "[1,"}, {"", ""},
        {"line\\nbreak", "line\nbreak"}, {"tab\\t\\u0041", "tab\tA"},  // escapes are read as JSON's
        {"{}}", "{}}"}, {"[1]]", "[1]]"},  // more behind an object or array: it stands as a string
    };
    for (const Case& c : cases) {
        const int32_t map = Json_Decode(c.text);
        ASSERT_GE(map, 0) << c.text;
        EXPECT_EQ(Text(Member(map, "default")), c.member);
    }
    const ScriptValue map = CallBuiltin("json_decode", {3.14159});  // a real: its two decimals
    EXPECT_EQ(Text(Member(static_cast<int32_t>(map.Real()), "default")), "3.14");
}

TEST_F(JsonTest, TextsThatDoNotParseEvenAsAStringGiveMinusOne)
{
    const char* const broken[] = {
        "{\"a\":1", "{\"a\":}", "say \"hi\"", "bad \\q escape", "{\"a\":1} {\"b\":2}",
        // Quotes that would close the wrapped member early and smuggle in
        // members of their own, a repeated "default" among them.
        "a\", \"b\": \"c", "a\", \"default\": \"b", "[1], \"x\": [2]", "[1], \"default\": [2]", "a\" } x",
    };
    const int32_t firstFree = DS_Map_Create();
    DS_MapPool().Destroy(firstFree);
    for (const char* text : broken) EXPECT_EQ(Json_Decode(text), -1) << text;
    EXPECT_EQ(CallBuiltin("json_decode", {"{\"a\":"}).Real(), -1.0);
    EXPECT_EQ(DS_Map_Create(), firstFree) << "a failed decode leaves no map behind";
}

TEST_F(JsonTest, EncodingFollowsOwnedStructures)
{
    const int32_t map = Json_Decode(R"({"a":{"b":1},"l":[1,"s",{"c":[]}],"t":"x"})");
    EXPECT_TRUE(SameJson(Json_EncodeMap(map), R"({"a":{"b":1},"l":[1,"s",{"c":[]}],"t":"x"})"))
        << Json_EncodeMap(map);
}

TEST_F(JsonTest, RealKeysAreTruncatedAndUnownedIdsStayNumbers)
{
    const int32_t map = DS_Map_Create();
    DS_Map_AddRealKeyReal(map, 2.9, 1);
    DS_Map_AddReal(map, "plain", DS_List_Create());
    Value dangling{};
    dangling.kind = kValueReal | kValueFlagNestedMap;
    dangling.real = 77;
    DS_Map_Add(Map(map), ScriptValue("gone").Get(), dangling);
    EXPECT_TRUE(SameJson(Json_EncodeMap(map), R"({"2":1,"plain":0,"gone":null})")) << Json_EncodeMap(map);
}

TEST_F(JsonTest, EncodingAnUnknownMapGivesNothing)
{
    EXPECT_EQ(Json_EncodeMap(-1), "");
    const ScriptValue text = CallBuiltin("json_encode", {-1.0});
    EXPECT_TRUE(text.IsString() && text.Text().empty());
}

TEST_F(JsonTest, EncodingStopsAtACycle)
{
    // A map that owns itself through its own id: only hand-made data does this.
    const int32_t map = DS_Map_Create();
    Value self{};
    self.kind = kValueReal | kValueFlagNestedMap;
    self.real = map;
    DS_Map_Add(Map(map), ScriptValue("me").Get(), self);
    const std::string text = Json_EncodeMap(map);
    EXPECT_NE(text.find("null"), std::string::npos);
    DS_Map_Clear(Map(map));
    EXPECT_NE(Map(map), nullptr);
}

TEST_F(JsonTest, EntriesForOtherSubsystems)
{
    const int32_t list = Json_DecodeListMember(R"({"items":[1,{"k":2}],"n":3})", "items", -1);
    ASSERT_GE(list, 0);
    EXPECT_EQ(DS_ListPool().Get(list)->Size(), 2);
    EXPECT_EQ(Json_DecodeListMember(R"({"items":[5]})", "items", list), -1);
    EXPECT_EQ(DS_ListPool().Get(list)->Size(), 3);
    EXPECT_EQ(Json_DecodeListMember("not json", "items", -1), -1);

    const int32_t map = Json_DecodeMap(R"({"x":1})", -1);
    ASSERT_GE(map, 0);
    EXPECT_EQ(Json_DecodeMap(R"({"y":2})", map), -1);
    EXPECT_EQ(DS_Map_Size(Map(map)), 2);
    EXPECT_EQ(Json_DecodeMap("[1]", -1), -1);
}

}  // namespace
}  // namespace bw
