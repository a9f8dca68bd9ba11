// The mplay_* built-ins ("DPlay.." group) of older games. No peer-to-peer
// transport exists here, so each answers at once that nothing is there:
// such games load and run, and find no sessions, players or messages.
#pragma once

namespace bw {

void Function_MPlay_Register();

}  // namespace bw
