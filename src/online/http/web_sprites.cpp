#include "online/http/web_sprites.h"

#include <string>
#include <string_view>

#include "library/ds_map.h"
#include "online/http/http_client.h"
#include "resources/sprite.h"

namespace bw {

namespace {

// How the sprite is to be made once its image is in.
struct WebSpriteContext {
    int32_t index;
    int32_t frames;
    int32_t xorigin;
    int32_t yorigin;
    bool precise;
    bool transparent;
    bool smooth;
};

// The address's extension in lower case ("" for none).
std::string Extension(std::string_view url)
{
    const size_t slash = url.rfind('/');
    const size_t dot = url.rfind('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return {};
    std::string extension(url.substr(dot));
    for (char& c : extension) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return extension;
}

class CWebSpriteRequest final : public CHttpRequest {
public:
    CWebSpriteRequest(const char* url, const WebSpriteContext& context)
        : CHttpRequest(url, false), m_context(context)
    {
    }

    int32_t Complete(int32_t* asyncMap) override
    {
        const bool received = !Failed() && !Data().empty();
        const DSMapPair pairs[] = {{"filename", 0, Url().c_str()},
                                   {"id", static_cast<double>(m_context.index), nullptr},
                                   {"http_status", static_cast<double>(HttpStatus()), nullptr},
                                   {"status", received ? 0.0 : -1.0, nullptr}};
        *asyncMap = DS_Map_CreateWithPairs(pairs);
        // The game may have deleted the sprite while the reply was on its way.
        CSprite* sprite = Sprite_Get(m_context.index);
        if (received && HttpStatus() == 200 && sprite != nullptr) Decode(*sprite);
        return kImageLoadedAsyncEvent;
    }

private:
    // By the address's extension; whatever does not decode so is tried as
    // PNG.
    void Decode(CSprite& sprite)
    {
        const WebSpriteContext& c = m_context;
        const std::string extension = Extension(Url());
        const bool keepAlpha = !c.transparent;
        bool loaded = false;
        if (extension == ".gif") {
            loaded = sprite.LoadFromGIF(Data().data(), Data().size(), c.frames, c.precise, c.transparent, c.smooth,
                                        c.xorigin, c.yorigin, keepAlpha);
        } else if (extension == ".jpg" || extension == ".jpeg") {
            loaded = sprite.LoadFromJPEG(Data().data(), Data().size(), c.frames, c.precise, c.transparent,
                                         c.smooth, c.xorigin, c.yorigin, keepAlpha);
        }
        if (!loaded) {
            sprite.LoadFromFile(Data().data(), Data().size(), c.frames, c.precise, c.transparent, c.smooth,
                                c.xorigin, c.yorigin, keepAlpha);
        }
        Sprite_FlagInstances();
    }

    WebSpriteContext m_context;
};

bool StartWebSprite(int32_t index, const char* url, int32_t frames, bool precise, bool transparent, bool smooth,
                    int32_t xorigin, int32_t yorigin)
{
    const WebSpriteContext context{index, frames, xorigin, yorigin, precise, transparent, smooth};
    Http_Start(std::make_unique<CWebSpriteRequest>(url, context));
    return true;
}

}  // namespace

void WebSprites_Install()
{
    Sprite_SetUrlLoader(&StartWebSprite);
}

}  // namespace bw
