#include "library/json_builtins.h"

#include <cstdio>

#include "script/arguments.h"
#include "library/json.h"
#include "script/function_table.h"

namespace bw {

namespace {

void JsonDecode(Value* result, CInstance*, CInstance*, int32_t, Value* args)
{
    if (Arg_IsString(args[0])) {
        result->real = Json_Decode(Value_String(args[0]));
        return;
    }
    // A number arrives as the text of its two decimals.
    char text[400];
    std::snprintf(text, sizeof text, "{ \"default\" : \"%.2f\" }", args[0].real);
    result->real = Json_Decode(text);
}

void JsonEncode(Value* result, CInstance*, CInstance*, int32_t, Value* args)
{
    Result_SetString(result, Json_EncodeMap(Arg_Trunc(args[0])).c_str());
}

}  // namespace

void Function_Json_Register()
{
    Code_Function_Register("json_decode", JsonDecode, 1);
    Code_Function_Register("json_encode", JsonEncode, 1);
}

}  // namespace bw
