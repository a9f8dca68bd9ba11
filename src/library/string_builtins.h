// The string built-ins (registered with the mathematics group): lengths,
// searching, cutting, case and filters, number <-> text. Indexes that game
// code gives are 1-based characters; only string_byte_* count bytes.
#pragma once

namespace bw {

void Function_String_Register();

}  // namespace bw
