// json_decode and json_encode, registered within the "File.." group.
#pragma once

namespace bw {

void Function_Json_Register();

}  // namespace bw
