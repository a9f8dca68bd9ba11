#include "online/http/http_builtins.h"

#include <string_view>

#include "script/arguments.h"
#include "library/ds_map.h"
#include "online/http/http_client.h"
#include "online/http/web_sprites.h"

namespace bw {

namespace {

class CHttpBuiltinRequest final : public CHttpRequest {
public:
    using CHttpRequest::CHttpRequest;

    int32_t Complete(int32_t* asyncMap) override
    {
        const std::string result = DataText();
        // A failed request is reported like an empty reply, so the game
        // hears of it instead of waiting for ever.
        const bool received = !Failed() && !Data().empty();
        const DSMapPair pairs[] = {{"id", static_cast<double>(Id()), nullptr},
                                   {"url", 0, Url().c_str()},
                                   {"result", 0, result.c_str()},
                                   {"http_status", static_cast<double>(HttpStatus()), nullptr},
                                   {"status", received ? 0.0 : -1.0, nullptr}};
        *asyncMap = DS_Map_CreateWithPairs(pairs);
        return kHttpAsyncEvent;
    }
};

bool IsWebAddress(const char* url)
{
    const std::string_view text(url);
    return text.starts_with("http://") || text.starts_with("https://");
}

void Request(Value* result, const Value& url, bool post, const char* body)
{
    Value_SetReal(*result, -1);
    const char* address = Arg_Text(url);
    if (address == nullptr || !IsWebAddress(address)) return;
    Value_SetReal(*result, Http_Start(std::make_unique<CHttpBuiltinRequest>(address, post, body)));
}

BW_BUILTIN(HttpGet)
{
    Request(result, args[0], false, "");
}

BW_BUILTIN(HttpPostString)
{
    Request(result, args[0], true, Arg_TextOrEmpty(args[1]));
}

const BuiltinRegistration kHttpBuiltins[] = {
    {"http_get", &HttpGet, 1},
    {"http_post_string", &HttpPostString, 2},
};

}  // namespace

void Function_Http_Register()
{
    Builtins_Register(kHttpBuiltins);
    WebSprites_Install();
}

}  // namespace bw
