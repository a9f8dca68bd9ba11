// A terminal that closes sends SIGHUP to what was started from it. The game
// then ends as it does on SIGTERM: in order, the files it holds open put in
// place, instead of at once with them lost.
#pragma once

namespace bw {

// Installs the forwarding once. A SIGHUP the runner was started to ignore
// (under nohup, say) stays ignored.
void HangUp_Install();

}  // namespace bw
