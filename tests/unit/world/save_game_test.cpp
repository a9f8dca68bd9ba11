// Saved games: what a save brings back, how rooms and instances are linked
// after a load, and that a damaged or foreign save changes nothing.
#include "world/save_game.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/stream.h"
#include "script/names.h"
#include "unit/world/run_fixture.h"
#include "world/save_game_records.h"

namespace bw::test {
namespace {

constexpr int32_t kWalker = 0;
constexpr int32_t kKeeper = 1;  // persistent object
constexpr int32_t kGameId = 77;

std::string StreamBytes(const CStream& stream)
{
    return std::string(reinterpret_cast<const char*>(stream.GetData()), static_cast<size_t>(stream.GetSize()));
}

class SaveGameTest : public RunTest {
protected:
    void SetUp() override
    {
        RunTest::SetUp();
        Game_Info().gameId = kGameId;
        LoadObjects({Object("walker", {{kEventStep, 0, "note(x)"}}), Object("keeper")});
        Object_Find(kKeeper)->flags |= kObjectFlagPersistent;
        Room_SetCurrent(nullptr, -1);
        for (int32_t index = 0; index < 2; ++index) {
            Room_Add();
            Room_Order().push_back(index);
        }
        Room_Get(1)->persistent = 1;
        walkerId = Room_Get(0)->AddInstanceRecord(10, 20, kWalker);
        keeperId = Room_Get(1)->AddInstanceRecord(30, 40, kKeeper);
        StartGame();
    }

    void TearDown() override
    {
        RunTest::TearDown();
        Game_Info().gameId = 0;
    }

    static std::string SaveNow()
    {
        CStream stream;
        EXPECT_TRUE(Game_WriteState(stream));
        return StreamBytes(stream);
    }

    static bool LoadFrom(const std::string& bytes, std::string* error = nullptr)
    {
        CStream stream;
        stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
        stream.Seek(0);
        std::string ignored;
        return Game_ReadState(stream, error != nullptr ? error : &ignored);
    }

    static void SetVar(CInstance* instance, const char* name, const Value& value, int32_t index = -1)
    {
        instance->i_vars->SetVar(Code_Variable_Add(name), index, &value);
    }

    static Value GetVar(CVariableList& list, const char* name, int32_t index = -1)
    {
        Value value;
        list.GetVar(Code_Variable_Add(name), index, &value);
        return value;
    }

    // Every field away from what a new record has, so a field the reader
    // skips cannot come back by chance.
    static void Scramble(CInstance& instance, float seed)
    {
        instance.i_x = seed;
        instance.i_y = seed + 1;
        instance.i_xstart = seed + 2;
        instance.i_hspeed = seed + 3;
        instance.i_imagescalex = seed + 4;
        instance.i_imagealpha = 0.25f;
        instance.i_imageblend = 0x123456;
        instance.i_depth = -seed;
        instance.i_gravity = 0.5f;
        instance.i_visible = 0;
        instance.i_solid = 1;
        instance.i_timer[3] = static_cast<int32_t>(seed) + 7;
        instance.i_timer[11] = 99;
        instance.i_pathindex = 4;
        instance.i_pathposition = 0.75f;
        instance.i_pathspeed = 2.5f;
        instance.i_pathend = 3;
        instance.i_timelineindex = 2;
        instance.i_timelineposition = seed + 12;
        instance.i_timelinerunning = 1;
        instance.i_timelineloop = 1;
    }

    static bool InObjectList(int32_t objectIndex, const CInstance* instance)
    {
        const auto& list = Object_Find(objectIndex)->instances;
        return std::find(list.begin(), list.end(), instance) != list.end();
    }

    int32_t walkerId = 0;
    int32_t keeperId = 0;
};

TEST_F(SaveGameTest, ASaveLoadedIntoAChangedWorldSavesToTheSameBytes)
{
    CInstance* walker = Instance_Find(walkerId);
    Scramble(*walker, 50.0f);
    SetVar(walker, "hp", Real(5.0));
    Value text;
    Value_SetString(text, "sword");
    SetVar(walker, "items", text, 32000 + 2);  // row 1, column 2
    Value_Free(text);
    const int32_t tileId = Room_Current()->TileAt(Room_Current()->AddTile(RoomTile{}))->id;
    const int32_t lastInstance = Instance_LastId();
    Room_Current()->views[1].visible = 1;
    Room_Current()->backgrounds[2].hspeed = 3.0f;
    const std::string saved = SaveNow();

    Scramble(*walker, 80.0f);
    SetVar(walker, "hp", Real(1.0));
    Instance_Create(kWalker, 0.0f, 0.0f);
    Room_Current()->AddTile(RoomTile{});
    Room_Current()->ClearTiles();
    Room_Current()->views[1].visible = 0;

    ASSERT_TRUE(LoadFrom(saved));
    EXPECT_EQ(SaveNow(), saved);
    walker = Instance_Find(walkerId);
    ASSERT_NE(walker, nullptr);
    EXPECT_EQ(walker->i_x, 50.0f);
    EXPECT_EQ(walker->i_timer[3], 57);
    EXPECT_EQ(walker->i_pathposition, 0.75f);
    EXPECT_EQ(walker->i_timelineposition, 62.0f);
    EXPECT_EQ(GetVar(*walker->i_vars, "hp").real, 5.0);
    Value item = GetVar(*walker->i_vars, "items", 32000 + 2);
    EXPECT_STREQ(Value_String(item), "sword");
    Value_Free(item);
    EXPECT_EQ(Room_Current()->activeInstances.Count(), 1);
    ASSERT_EQ(Room_Current()->TileCount(), 1);
    // Tiles keep their ids, and the id counters come back.
    EXPECT_EQ(Room_Current()->TileAt(0)->id, tileId);
    EXPECT_EQ(Tile_LastId(), tileId);
    EXPECT_EQ(Instance_LastId(), lastInstance);
}

TEST_F(SaveGameTest, TheHeaderBringsBackCountersCaptionsAndRunState)
{
    GameCounters& counters = Game_Counters();
    counters.score = 1234;
    counters.lives = 3;
    counters.health = 42.5;
    counters.showLives = true;
    counters.captionScore = "Points: ";
    counters.captionLives.clear();  // never set: saved as the absent-text marker
    counters.cursorSprite = 6;
    Display_State().transitionKind = 9;
    Run_SetStepCounter(77);
    Run_SetDrawEvents(false);
    NewRoomRequest = 1;  // a room_goto pending when the game was saved
    const std::string saved = SaveNow();
    // Eight s32 fields, "Points: " and its NUL, lives and show_lives: then
    // the caption of lives.
    EXPECT_EQ(saved.substr(8 * 4 + 9 + 2 * 4, 2), std::string("\x04\0", 2));

    counters = GameCounters{};
    counters.captionLives = "Lives: ";
    Display_State().transitionKind = 0;
    Run_SetStepCounter(0);
    Run_SetDrawEvents(true);
    NewRoomRequest = kRequestNone;

    ASSERT_TRUE(LoadFrom(saved));
    EXPECT_EQ(counters.score, 1234);
    EXPECT_EQ(counters.lives, 3);
    EXPECT_EQ(counters.health, 42.5);
    EXPECT_TRUE(counters.showLives);
    EXPECT_EQ(counters.captionScore, "Points: ");
    EXPECT_EQ(counters.captionLives, "");
    EXPECT_EQ(counters.cursorSprite, 6);
    EXPECT_EQ(Display_State().transitionKind, 9);
    EXPECT_EQ(Run_StepCounter(), 77);
    EXPECT_FALSE(Run_DrawEvents());
    EXPECT_EQ(NewRoomRequest, 1);
}

TEST_F(SaveGameTest, GlobalVariablesAndTheirDeclarationsComeBack)
{
    const int32_t coins = Code_Variable_Add("coins");
    const int32_t later = Code_Variable_Add("later");
    Variable_SetFlagged(coins);
    const Value ten = Real(10.0);
    Variable_GlobalList().SetVar(coins, -1, &ten);
    const std::string saved = SaveNow();

    Variable_Global_Init();
    Variable_GlobalList().SetVar(later, -1, &ten);

    ASSERT_TRUE(LoadFrom(saved));
    EXPECT_EQ(GetVar(Variable_GlobalList(), "coins").real, 10.0);
    EXPECT_FALSE(Variable_GlobalList().Exists(later));
    EXPECT_EQ(Variable_IsFlagged(coins), 1);
}

TEST_F(SaveGameTest, AKeptRoomComesBackParkedAndItsInstancesAreLinkedOnceOnEntry)
{
    Run_GotoRoom(1);
    const int32_t resident = Room_Current()->AddInstance(5.0f, 5.0f, kWalker)->i_id;
    Instance_Find(resident)->i_x = 11.0f;
    Run_GotoRoom(0);
    const std::string saved = SaveNow();

    Run_GotoRoom(1);
    Instance_Find(resident)->i_x = 99.0f;
    Run_GotoRoom(0);

    ASSERT_TRUE(LoadFrom(saved));
    ASSERT_NE(Run_RoomSlot(1), nullptr);
    EXPECT_EQ(Instance_Find(resident), nullptr);  // parked until the room is entered
    Run_GotoRoom(1);
    CInstance* back = Instance_Find(resident);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->i_x, 11.0f);
    // Linked once: destroying it leaves no entry behind in the id table.
    Room_Current()->DestroyInstance(back);
    EXPECT_EQ(Instance_Find(resident), nullptr);
}

TEST_F(SaveGameTest, LoadedInstancesJoinTheIdTableAndOnlyTheActiveJoinTheirObjects)
{
    ASSERT_TRUE(LoadFrom(SaveNow()));
    CInstance* walker = Instance_Find(walkerId);
    ASSERT_NE(walker, nullptr);
    EXPECT_TRUE(InObjectList(kWalker, walker));
    EXPECT_EQ(Room_Current(), Run_RoomSlot(0));
    EXPECT_EQ(Room_CurrentIndex(), 0);

    walker->i_deactivated = 1;
    Room_Current()->ReactivateInstances();
    ASSERT_TRUE(LoadFrom(SaveNow()));
    walker = Instance_Find(walkerId);
    ASSERT_NE(walker, nullptr);
    EXPECT_TRUE(Room_Current()->deactivatedInstances.Contains(walker));
    EXPECT_FALSE(InObjectList(kWalker, walker));
}

TEST_F(SaveGameTest, EveryTruncationIsRefusedAndChangesNothing)
{
    Scramble(*Instance_Find(walkerId), 5.0f);
    SetVar(Instance_Find(walkerId), "hp", Real(3.0));
    const std::string saved = SaveNow();
    Game_Counters().score = 17;
    Instance_Find(walkerId)->i_x = 1.0f;
    const std::string before = SaveNow();
    for (size_t length = 0; length < saved.size(); ++length) {
        std::string error;
        ASSERT_FALSE(LoadFrom(saved.substr(0, length), &error)) << length;
        ASSERT_FALSE(error.empty()) << length;
    }
    EXPECT_EQ(SaveNow(), before);
}

// A save built by hand, field by field.
class HandMadeSave {
public:
    HandMadeSave() : m_writer(m_stream) {}

    // The header; the current room 0 and no room change pending unless said.
    HandMadeSave& Header(int32_t version, int32_t gameId, int32_t room = 0, int32_t request = kRequestNone)
    {
        for (const int32_t field : {version, gameId, room, request, 0, 0, 0, 0}) {
            m_writer.S32(field);
        }
        m_writer.Text("");
        m_writer.S32(0);
        m_writer.S32(0);
        m_writer.Text("");
        m_writer.F64(0.0);
        m_writer.S32(0);
        m_writer.Text("");
        for (const int32_t field : {-1, 0, 1}) {
            m_writer.S32(field);
        }
        return *this;
    }
    HandMadeSave& S32(int32_t value)
    {
        m_writer.S32(value);
        return *this;
    }
    std::string Bytes() const { return StreamBytes(m_stream); }

private:
    CStream m_stream;
    SaveWriter m_writer;
};

struct RefusedCase {
    const char* name;
    std::string bytes;
    const char* reason;
};

TEST_F(SaveGameTest, ForeignAndDamagedSavesAreRefusedWithTheReason)
{
    const std::vector<RefusedCase> cases = {
        {"older version", HandMadeSave().Header(849, kGameId).Bytes(), "it is not a saved game of this version"},
        {"another game", HandMadeSave().Header(850, kGameId + 1).Bytes(), "it was saved by another game"},
        {"request for a missing room", HandMadeSave().Header(850, kGameId, 0, 99).Bytes(),
         "its room change names no room of this game"},
        {"huge flag count", HandMadeSave().Header(850, kGameId).S32(0).S32(0x7fffffff).Bytes(),
         "the global flag count is larger than the file"},
        {"huge room count", HandMadeSave().Header(850, kGameId).S32(0).S32(0).S32(0x7fffffff).Bytes(),
         "the room count is larger than the file"},
        {"negative room count", HandMadeSave().Header(850, kGameId).S32(0).S32(0).S32(-1).Bytes(),
         "the room count is larger than the file"},
        {"current room not saved", HandMadeSave().Header(850, kGameId, 1).S32(0).S32(0).S32(2).S32(0).S32(0).S32(0).S32(0)
                                       .Bytes(),
         "its current room was not saved"},
        {"room record cut short", HandMadeSave().Header(850, kGameId).S32(0).S32(0).S32(1).S32(0).S32(0).S32(1).Bytes(),
         "the file ends too early"},
    };
    Game_Counters().score = 5;
    const std::string before = SaveNow();
    for (const RefusedCase& refused : cases) {
        std::string error;
        EXPECT_FALSE(LoadFrom(refused.bytes, &error)) << refused.name;
        EXPECT_EQ(error, refused.reason) << refused.name;
    }
    EXPECT_EQ(SaveNow(), before);
}

TEST_F(SaveGameTest, ARoomUsingPhysicsIsReportedAndTheSaveFails)
{
    Room_Current()->physicsEnabled = 1;
    CStream stream;
    EXPECT_FALSE(Game_WriteState(stream));
    EXPECT_TRUE(Code_Error_GameAborted());
    EXPECT_NE(std::string(Code_Error_LastText()).find("ERROR: game_save unavailable for rooms using physics"),
              std::string::npos);
}

TEST_F(SaveGameTest, AnInstanceWithoutASpriteSavesItsRecomputedBox)
{
    CInstance* walker = Instance_Find(walkerId);
    walker->i_bbox = InstanceBBox{-5, -5, -5, -5};
    walker->i_bboxdirty = 1;
    const InstanceBBox fresh = walker->GetBBox();
    walker->i_bbox = InstanceBBox{-5, -5, -5, -5};
    walker->i_bboxdirty = 1;
    ASSERT_TRUE(LoadFrom(SaveNow()));
    walker = Instance_Find(walkerId);
    EXPECT_EQ(walker->i_bboxdirty, 0);
    EXPECT_EQ(walker->i_bbox.left, fresh.left);
    EXPECT_EQ(walker->i_bbox.bottom, fresh.bottom);
}

std::string& SaveToServe()
{
    static std::string bytes;
    return bytes;
}

TEST_F(SaveGameTest, ALoadAtTheStepStartIsSeenByInputAndByTheStepEvents)
{
    Instance_Find(walkerId)->i_x = 3.0f;
    SaveToServe() = SaveNow();
    Instance_Find(walkerId)->i_x = 8.0f;
    Run_Hooks().doQueuedLoad = [] {
        ASSERT_TRUE(LoadFrom(SaveToServe()));
        SaveToServe().clear();
    };
    float seenByInput = 0.0f;
    StepAction() = [this, &seenByInput] { seenByInput = Instance_Find(walkerId)->i_x; };
    Notes().clear();
    Run_DoAStep();
    EXPECT_EQ(seenByInput, 3.0f);
    ASSERT_EQ(Notes().size(), 1u);
    EXPECT_EQ(Notes()[0].args.at(0), 3.0);
    EXPECT_EQ(Notes()[0].self, walkerId);
}

}  // namespace
}  // namespace bw::test
