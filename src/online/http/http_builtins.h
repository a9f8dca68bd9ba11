// The HTTP built-ins of the "File.." group (http_get, http_post_string),
// whose replies reach game code as asynchronous "other" event 62, and the
// web addresses that sprite_add accepts.
#pragma once

#include <cstdint>

namespace bw {

inline constexpr int32_t kHttpAsyncEvent = 62;

void Function_Http_Register();

}  // namespace bw
