// The platform built-ins whose services this desktop does not have:
// advertising, social networks, store badges, leaderboard dashboards,
// analytics, phone tiles and haptics. Each checks its arguments as the
// other platforms need and answers "not available".
#pragma once

namespace bw {

void Function_VaskServices_Register();

}  // namespace bw
