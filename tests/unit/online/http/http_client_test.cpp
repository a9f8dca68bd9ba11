// HTTP requests of game code against a scripted server on 127.0.0.1: the
// event 62 map, the limit of eight threads, failures, redirects, shut-down
// and sprites loaded from web addresses.
#include "online/http/http_client.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "host/http_transfer.h"
#include "host/http_response.h"
#include "library/ds_map.h"
#include "library/string_builtins.h"
#include "online/http/http_builtins.h"
#include "online/http/web_sprites.h"
#include "platform/console.h"
#include "resources/sprite.h"
#include "support/http_test_server.h"
#include "unit/graphics/image_fixtures.h"
#include "unit/library/instance_call.h"

namespace bw {
namespace {

using test::HttpTestReply;
using test::HttpTestRequest;

// One line per event: id, HTTP status, status, the result's length and its
// first 20 characters.
constexpr const char* kRecordHttp =
    "var m; m = async_load;"
    "record(ds_map_find_value(m, 'id'), ds_map_find_value(m, 'http_status'), ds_map_find_value(m, 'status'),"
    "string_length(ds_map_find_value(m, 'result')), string_copy(ds_map_find_value(m, 'result'), 1, 20));";
constexpr const char* kRecordImage =
    "var m; m = async_load;"
    "record(ds_map_find_value(m, 'filename'), ds_map_find_value(m, 'id'), ds_map_find_value(m, 'http_status'),"
    "ds_map_find_value(m, 'status'));";

std::string& HeardLines()
{
    static std::string lines;
    return lines;
}

HttpTestReply Reply(int code, std::string body)
{
    HttpTestReply reply;
    reply.code = code;
    reply.body = std::move(body);
    return reply;
}

// A port on 127.0.0.1 that nothing listens on any more.
uint16_t ClosedPort()
{
    test::HttpTestServer gone{[](const HttpTestRequest&) { return HttpTestReply{}; }};
    return gone.Port();
}

// The paths the tests' server knows.
HttpTestReply Scripted(const HttpTestRequest& request)
{
    const std::string& path = request.path;
    HttpTestReply reply = Reply(200, "");
    if (path == "/hello") reply.body = "hello there";
    if (path == "/missing") reply = Reply(404, "no such page");
    if (path == "/empty") reply.code = 204;
    if (path == "/echo") reply.body = request.method + ":" + request.body;
    if (path == "/big") reply.body = std::string(200000, 'b');
    reply.withLength = path != "/big-unsized";
    if (path == "/big-unsized") reply.body = std::string(200000, 'u');
    reply.chunked = path == "/big-chunked";
    if (reply.chunked) reply.body = std::string(150000, 'c');
    if (path == "/moved") reply = Reply(302, ""), reply.headers = "Location: /hello\r\n";
    if (path == "/cut" || path == "/reset") reply.body = "the first part", reply.missing = 1000;
    reply.reset = path == "/reset";
    if (path == "/huge") reply.body = std::string(kHttpMaxBodyBytes + 1, 'h');
    if (path == "/loop") reply = Reply(302, ""), reply.headers = "Location: /loop\r\n";
    reply.hold = path.starts_with("/held");
    if (reply.hold) reply.body = path;
    return reply;
}

class HttpClientTest : public test::EventWorldTest {
protected:
    void SetUp() override
    {
        EventWorldTest::SetUp();
        DS_FreeAll();
        test::RegisterLibraryBuiltins();
        int32_t id = -1;
        if (!Code_Function_Find("http_get", &id)) Function_Http_Register();
        if (!Code_Function_Find("string_length", &id)) Function_String_Register();
        CObject* object = AddObject(0);
        SetEvent(object, kEventOther, kHttpAsyncEvent, kRecordHttp);
        SetEvent(object, kEventOther, kImageLoadedAsyncEvent, kRecordImage);
        self = AddInstance(0);
        HeardLines().clear();
        Console_SetDebugListener([](const char* line) { HeardLines() += line; });
    }
    void TearDown() override
    {
        AsyncRequest_FreeAll();
        HttpTransfer_SetLimits(HttpTransferLimits{});
        Console_SetDebugListener(nullptr);
        EventWorldTest::TearDown();
    }

    int32_t Call(const char* name, const std::vector<test::ScriptValue>& args)
    {
        return static_cast<int32_t>(test::CallFor(self, self, name, args).Real());
    }
    // Runs asynchronous passes until that many events have recorded (or,
    // should the client never answer, gives up after ten seconds).
    std::string PassUntil(size_t events)
    {
        test::Recorded().clear();
        for (int tries = 0; tries < 5000; ++tries) {
            Run_HandleAsyncPass();
            if (static_cast<size_t>(std::count(test::Recorded().begin(), test::Recorded().end(), ';')) >= events) {
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return test::Recorded();
    }
    // Waits, within the same bound, until the server has that many open.
    void AwaitOpen(test::HttpTestServer& server, int open)
    {
        for (int tries = 0; tries < 5000 && server.Open() < open; ++tries) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        ASSERT_EQ(server.Open(), open);
    }
    std::string Line(int32_t id, int status, int ok, size_t length, const std::string& start) const
    {
        return std::to_string(self->i_id) + ":" + std::to_string(id) + "," + std::to_string(status) + "," +
               std::to_string(ok) + "," + std::to_string(length) + "," + start + ";";
    }

    test::HttpTestServer server{&Scripted};
    CInstance* self = nullptr;
};

TEST_F(HttpClientTest, RepliesArriveAsEvent62WithRisingIds)
{
    const int32_t first = Call("http_get", {server.Url("/hello").c_str()});
    EXPECT_EQ(PassUntil(1), Line(first, 200, 0, 11, "hello there"));
    const int32_t second = Call("http_get", {server.Url("/missing").c_str()});
    EXPECT_EQ(second, first + 1);
    EXPECT_EQ(PassUntil(1), Line(second, 404, 0, 12, "no such page"));
    const int32_t third = Call("http_post_string", {server.Url("/echo").c_str(), "a=1&b=2"});
    EXPECT_EQ(third, second + 1);
    EXPECT_EQ(PassUntil(1), Line(third, 200, 0, 12, "POST:a=1&b=2"));
    const int32_t fourth = Call("http_get", {server.Url("/empty").c_str()});
    EXPECT_EQ(PassUntil(1), Line(fourth, 204, -1, 0, ""));
    EXPECT_EQ(AsyncRequest_Count(), 0);
    EXPECT_EQ(DS_Map_Create(), 0) << "every result map was destroyed after its event";
}

TEST_F(HttpClientTest, OnlyWebAddressesAreRequested)
{
    for (const char* url : {"ftp://127.0.0.1/", "HTTP://127.0.0.1/", "127.0.0.1/hello"}) {
        EXPECT_EQ(Call("http_get", {url}), -1) << url;
        EXPECT_EQ(Call("http_post_string", {url, "x"}), -1) << url;
    }
    EXPECT_EQ(Call("http_get", {1.0}), -1);
    EXPECT_EQ(AsyncRequest_Count(), 0);
}

TEST_F(HttpClientTest, BodiesPastTheOldBufferArriveWhole)
{
    const int32_t sized = Call("http_get", {server.Url("/big").c_str()});
    EXPECT_EQ(PassUntil(1), Line(sized, 200, 0, 200000, std::string(20, 'b')));
    const int32_t unsized = Call("http_get", {server.Url("/big-unsized").c_str()});
    EXPECT_EQ(PassUntil(1), Line(unsized, 200, 0, 200000, std::string(20, 'u')));
    const int32_t chunked = Call("http_get", {server.Url("/big-chunked").c_str()});
    EXPECT_EQ(PassUntil(1), Line(chunked, 200, 0, 150000, std::string(20, 'c')));
}

TEST_F(HttpClientTest, RedirectsAreFollowed)
{
    const int32_t id = Call("http_get", {server.Url("/moved").c_str()});
    EXPECT_EQ(PassUntil(1), Line(id, 200, 0, 11, "hello there"));
    EXPECT_EQ(server.Heard(), (std::vector<std::string>{"/moved", "/hello"}));
}

TEST_F(HttpClientTest, AClosedPortGivesOneErrorLineAndAFailedEvent)
{
    const int32_t id = Call("http_get", {("http://127.0.0.1:" + std::to_string(ClosedPort()) + "/").c_str()});
    EXPECT_EQ(PassUntil(1), Line(id, 0, -1, 0, ""));
    EXPECT_TRUE(HeardLines().starts_with("HttpError:InternetConnect: ")) << HeardLines();
    EXPECT_EQ(HeardLines().find("HttpError:", 1), std::string::npos) << HeardLines();
}

// A status line that came before the failure is not the request's status.
TEST_F(HttpClientTest, AFailedTransferReportsNoHttpStatus)
{
    for (const char* path : {"/cut", "/reset", "/huge", "/loop"}) {
        const int32_t id = Call("http_get", {server.Url(path).c_str()});
        EXPECT_EQ(PassUntil(1), Line(id, 0, -1, 0, "")) << path;
    }
}

// Eight replies that never come would hold every later request back: the
// limits end them (made short here through the seam), and the ninth runs.
TEST_F(HttpClientTest, AStalledReplyFailsAndFreesItsPlace)
{
    HttpTransferLimits tooSlow;
    tooSlow.lowSpeedSeconds = 1;
    HttpTransferLimits tooLong;
    tooLong.totalMilliseconds = 500;
    for (const HttpTransferLimits& limits : {tooSlow, tooLong}) {
        test::HttpTestServer stalling{&Scripted};
        HttpTransfer_SetLimits(limits);
        std::vector<int32_t> stalled;
        for (int i = 0; i < kHttpMaxThreads; ++i) stalled.push_back(Call("http_get", {stalling.Url("/held").c_str()}));
        AwaitOpen(stalling, kHttpMaxThreads);
        // Every stalled transfer has its limits by now; the healthy one,
        // started once a place frees, has the usual ones and cannot time out.
        HttpTransfer_SetLimits(HttpTransferLimits{});
        const int32_t healthy = Call("http_get", {server.Url("/hello").c_str()});
        const std::string heard = PassUntil(kHttpMaxThreads + 1);
        for (int32_t id : stalled) {
            EXPECT_NE(heard.find(Line(id, 0, -1, 0, "")), std::string::npos) << heard;
        }
        EXPECT_NE(heard.find(Line(healthy, 200, 0, 11, "hello there")), std::string::npos) << heard;
        EXPECT_EQ(Http_RunningCount(), 0);
    }
}

TEST_F(HttpClientTest, EightRunAtOnceAndWaitingRequestsStartOldestFirst)
{
    std::vector<int32_t> ids;
    for (int i = 0; i < 10; ++i) ids.push_back(Call("http_get", {server.Url("/held" + std::to_string(i)).c_str()}));
    AwaitOpen(server, kHttpMaxThreads);
    EXPECT_EQ(Http_RunningCount(), kHttpMaxThreads);
    EXPECT_EQ(AsyncRequest_Find(ids[8])->status, kHttpWaitingGet);
    EXPECT_EQ(AsyncRequest_Find(ids[9])->status, kHttpWaitingGet);

    server.Release(1);
    PassUntil(1);
    EXPECT_EQ(AsyncRequest_Find(ids[8])->status, kHttpSent) << "the oldest waiting request took the place";
    EXPECT_EQ(AsyncRequest_Find(ids[9])->status, kHttpWaitingGet);

    server.Release(9);
    PassUntil(9);
    EXPECT_EQ(AsyncRequest_Count(), 0);
}

TEST_F(HttpClientTest, ShutDownCancelsAHangingReplyAndJoinsItsThread)
{
    Call("http_get", {server.Url("/held").c_str()});
    Call("http_get", {server.Url("/held").c_str()});
    AwaitOpen(server, 2);
    AsyncRequest_FreeAll();
    EXPECT_EQ(Http_RunningCount(), 0);
    EXPECT_EQ(PassUntil(0), "");
}

// Sprites from web addresses, one per kind of reply.
class WebSpriteTest : public HttpClientTest {
protected:
    void SetUp() override
    {
        HttpClientTest::SetUp();
        Sprite_ClearTable();
    }
    void TearDown() override
    {
        HttpClientTest::TearDown();
        Sprite_ClearTable();
    }
};

HttpTestReply Images(const HttpTestRequest& request)
{
    const auto text = [](const test::Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); };
    test::PngLayout png;
    png.width = 3;
    png.height = 2;
    png.rows = test::Bytes(18, 0x80);
    test::GifLayout gif;
    gif.screenWidth = gif.width = 4;
    gif.screenHeight = gif.height = 1;
    gif.globalMap = {{0, 0, 0}, {255, 255, 255}};
    gif.indices = {0, 1, 0, 1};
    if (request.path == "/a.png" || request.path == "/png-named.gif") return Reply(200, text(test::EncodePng(png)));
    if (request.path == "/a.GIF") return Reply(200, text(test::EncodeGif(gif)));
    if (request.path == "/a.jpeg") return Reply(200, text(test::EncodeGreyJpeg(5, 5, test::Bytes(25, 0x40))));
    if (request.path == "/garbage.jpg") return Reply(200, "not an image at all");
    return Reply(404, "gone");
}

TEST_F(WebSpriteTest, EachReplyRaisesEvent60AndFillsTheSpriteWhenItDecodes)
{
    test::HttpTestServer images{&Images};
    struct Case {
        const char* path;
        int status;
        int ok;
        int frames;  // once the event has run
        int width;
    };
    const Case cases[] = {{"/a.png", 200, 0, 1, 3},         {"/a.GIF", 200, 0, 1, 4},
                          {"/png-named.gif", 200, 0, 1, 3}, {"/a.jpeg", 200, 0, 1, 5},
                          {"/garbage.jpg", 200, 0, 0, 0},   {"/none.png", 404, 0, 0, 0}};
    for (const Case& c : cases) {
        const std::string url = images.Url(c.path);
        const int32_t index = Sprite_Add(url.c_str(), 1, false, false, false, false, 0, 0);
        ASSERT_GE(index, 0) << c.path;
        EXPECT_EQ(Sprite_Get(index)->BitmapCount(), 0) << c.path;
        EXPECT_EQ(PassUntil(1), std::to_string(self->i_id) + ":" + url + "," + std::to_string(index) + "," +
                                    std::to_string(c.status) + "," + std::to_string(c.ok) + ";");
        EXPECT_EQ(Sprite_Get(index)->BitmapCount(), c.frames) << c.path;
        if (c.frames > 0) {
            EXPECT_EQ(Sprite_Get(index)->width, c.width) << c.path;
        }
    }
    const std::string refused = "http://127.0.0.1:" + std::to_string(ClosedPort()) + "/a.png";
    const int32_t index = Sprite_Add(refused.c_str(), 1, false, false, false, false, 0, 0);
    EXPECT_EQ(PassUntil(1), std::to_string(self->i_id) + ":" + refused + "," + std::to_string(index) + ",0,-1;");
}

TEST_F(WebSpriteTest, ASpriteDeletedBeforeItsReplyStillGetsItsEvent)
{
    const std::string url = server.Url("/held.png");
    const int32_t index = Sprite_Add(url.c_str(), 1, false, false, false, false, 0, 0);
    ASSERT_TRUE(Sprite_Delete(index));
    server.Release(1);
    EXPECT_EQ(PassUntil(1), std::to_string(self->i_id) + ":" + url + "," + std::to_string(index) + ",200,0;");
    EXPECT_EQ(Sprite_Get(index), nullptr);
}

}  // namespace
}  // namespace bw
