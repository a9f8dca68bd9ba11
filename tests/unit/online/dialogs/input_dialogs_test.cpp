// Asynchronous dialogs as game code sees them: one shown at a time, each
// answer delivered as "other" event 63 with its map in async_load.
#include "online/dialogs/input_dialogs.h"

#include <gtest/gtest.h>

#include <string>

#include "library/ds_map.h"
#include "online/dialogs/async_requests.h"
#include "online/dialogs/dialog_builtins.h"
#include "unit/library/instance_call.h"
#include "unit/online/dialogs/scripted_dialogs.h"

namespace bw {
namespace {

using test::ScriptValue;

// Records the size of async_load, then each dialog key it holds with its
// value.
constexpr const char* kRecordMap =
    "var m, k, i; m = async_load; record(ds_map_size(m));"
    "k[0] = 'id'; k[1] = 'result'; k[2] = 'value'; k[3] = 'status'; k[4] = 'username'; k[5] = 'password';"
    "for (i = 0; i < 6; i += 1) { if (ds_map_exists(m, k[i])) record(k[i], ds_map_find_value(m, k[i])); }";

class InputDialogsTest : public test::EventWorldTest {
protected:
    void SetUp() override
    {
        EventWorldTest::SetUp();
        DS_FreeAll();
        test::RegisterLibraryBuiltins();
        int32_t id = -1;
        if (!Code_Function_Find("get_string_async", &id)) Function_Interaction_Register();
        SetEvent(AddObject(0), kEventOther, kDialogAsyncEvent, kRecordMap);
        self = AddInstance(0);
    }
    void TearDown() override
    {
        InputQuery_CloseAll();
        AsyncRequest_FreeAll();
        EventWorldTest::TearDown();
    }

    int32_t Call(const char* name, const std::vector<ScriptValue>& args)
    {
        return static_cast<int32_t>(test::CallFor(self, self, name, args).Real());
    }
    // One step's asynchronous pass; what the events recorded.
    std::string Pass()
    {
        test::Recorded().clear();
        Run_HandleAsyncPass();
        return test::Recorded();
    }
    // What kRecordMap records for a map of these "key,value" pairs.
    std::string MapRecord(const std::vector<std::string>& pairs) const
    {
        const std::string who = std::to_string(self->i_id) + ":";
        std::string out = who + std::to_string(pairs.size()) + ";";
        for (const std::string& pair : pairs) out += who + pair + ";";
        return out;
    }

    test::ScriptedDialogs dialogs;
    CInstance* self = nullptr;
};

TEST_F(InputDialogsTest, TheSecondDialogOpensOnlyAfterTheFirstAnsweredAndRan)
{
    const int32_t first = Call("get_string_async", {"Name?", "Ann"});
    const int32_t second = Call("get_integer_async", {"Age?", 41.6});
    EXPECT_NE(first, second);
    ASSERT_EQ(dialogs.opened.size(), 1u);
    EXPECT_EQ(dialogs.opened[0].prompt, "Name?");
    EXPECT_EQ(dialogs.opened[0].defaultText, "Ann");
    EXPECT_EQ(Pass(), "");

    dialogs.Reply(true, "Bea");
    EXPECT_EQ(Pass(), MapRecord({"id," + std::to_string(first), "result,Bea", "value,0", "status,1"}));
    ASSERT_EQ(dialogs.opened.size(), 2u);
    EXPECT_EQ(dialogs.opened[1].defaultText, "42");

    dialogs.Reply(true, "17.5");
    EXPECT_EQ(Pass(), MapRecord({"id," + std::to_string(second), "result,17.5", "value,17.50", "status,1"}));
    EXPECT_EQ(AsyncRequest_Count(), 0);
    const int32_t probe = DS_Map_Create();
    EXPECT_EQ(probe, 0) << "every result map was destroyed after its event";
    DS_MapPool().Destroy(probe);
}

TEST_F(InputDialogsTest, EachKindHandsOverExactlyItsKeys)
{
    const std::string kLongName = std::string(1500, 'a') + "nn";
    struct Case {
        const char* name;
        std::vector<ScriptValue> args;
        DialogAnswer answer;
        std::vector<std::string> pairs;  // after the id
    };
    const Case cases[] = {
        {"get_integer_async", {"n?", 7.0}, {false, "ignored", ""}, {"result,", "value,0", "status,0"}},
        {"show_question_async", {"Sure?"}, {true, "", ""}, {"result,1", "value,1", "status,1"}},
        {"show_question_async", {"Sure?"}, {false, "", ""}, {"result,", "value,0", "status,0"}},
        {"show_message_async", {"Hi#there"}, {false, "", ""}, {"status,1"}},
        {"get_login_async", {kLongName.c_str(), "pw"}, {true, "bea", "secret"}, {"status,1", "username,bea", "password,secret"}},
        {"get_login_async", {"ann", "pw"}, {false, "bea", "secret"}, {"status,0", "username,", "password,"}},
    };
    for (const Case& c : cases) {
        const int32_t id = Call(c.name, c.args);
        dialogs.Reply(c.answer.accepted, c.answer.text, c.answer.password);
        std::vector<std::string> pairs{"id," + std::to_string(id)};
        pairs.insert(pairs.end(), c.pairs.begin(), c.pairs.end());
        EXPECT_EQ(Pass(), MapRecord(pairs)) << c.name;
    }
    EXPECT_EQ(dialogs.opened[3].prompt, "Hi\rthere");
    EXPECT_EQ(dialogs.opened[4].defaultText, kLongName) << "the field holds the whole default";
    EXPECT_EQ(dialogs.opened[4].defaultPassword, "pw");
}

TEST_F(InputDialogsTest, AnAnswerForARequestNoLongerListedIsDropped)
{
    const int32_t id = Call("get_string_async", {"Name?", ""});
    AsyncRequest_Drop(id);
    InputQuery_Answer(id, true, "late", "");
    EXPECT_EQ(Pass(), "");
    EXPECT_EQ(Call("get_login_async", {1.0, "pw"}), 0) << "a login needs two strings";
    EXPECT_EQ(AsyncRequest_Count(), 0);
}

TEST_F(InputDialogsTest, ModalInputReturnsTheAnswerOrTheDefaultNumberOnCancel)
{
    dialogs.modalAnswers = {DialogAnswer{true, "abc", ""}, DialogAnswer{false, "x", ""},
                            DialogAnswer{true, "12.5kg", ""}, DialogAnswer{false, "", ""},
                            DialogAnswer{true, "", ""}};
    EXPECT_EQ(test::CallFor(self, self, "get_string", {"Name?", 2.5}).Text(), "abc");
    EXPECT_EQ(dialogs.modal[0].defaultText, "2.50");
    EXPECT_EQ(dialogs.modal[0].caption, "Brackwell");
    EXPECT_EQ(Call("get_integer", {"n?", 7.0}), 7);
    EXPECT_EQ(test::CallFor(self, self, "get_integer", {"n?", 7.0}).Real(), 12.5);
    EXPECT_EQ(Call("get_integer", {"n?", 6.5}), 6);
    EXPECT_EQ(dialogs.modal[3].defaultText, "6");
    EXPECT_EQ(Call("get_integer", {"n?", 6.0}), 0) << "OK on an emptied field reads an empty text";
}

}  // namespace
}  // namespace bw
