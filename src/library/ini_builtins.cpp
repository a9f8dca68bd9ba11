#include "library/ini_builtins.h"

#include <cstdlib>
#include <memory>
#include <string>

#include "script/arguments.h"
#include "library/registry.h"
#include "platform/ini.h"
#include "platform/memory.h"
#include "platform/strings.h"
#include "script/error_report.h"

namespace bw {

namespace {

std::unique_ptr<IniFile> g_ini;

constexpr const char* kNoIniToRead = "Trying to read from undefined INI file";
constexpr const char* kNoIniToChange = "Trying to change undefined INI file";

bool AllStrings(int32_t argc, const Value* args)
{
    for (int32_t i = 0; i < argc; ++i) {
        if (!Arg_IsString(args[i])) return false;
    }
    return true;
}

// Reals are stored as "%f" would write them.
std::string FixedText(double value)
{
    return String_FromReal(value, std::chars_format::fixed, 6);
}

// The open ini, or null after reporting message.
IniFile* OpenIni(const char* message)
{
    if (g_ini == nullptr) Code_Error_Runtime(message, false);
    return g_ini.get();
}

// ---- ini ----

BW_BUILTIN(IniOpen)
{
    Ini_CloseOpen();
    g_ini = std::make_unique<IniFile>(Arg_TextOrEmpty(args[0]), false);
}

BW_BUILTIN(IniOpenFromString)
{
    Ini_CloseOpen();
    g_ini = std::make_unique<IniFile>();
    g_ini->SetText(Arg_TextOrEmpty(args[0]));
}

BW_BUILTIN(IniClose)
{
    if (g_ini == nullptr) {
        Result_SetString(result, "");
        return;
    }
    char* text = g_ini->Flush();
    Result_SetString(result, text);
    MemoryManager_Free(text);
    g_ini.reset();
}

BW_BUILTIN(IniReadString)
{
    IniFile* ini = OpenIni(kNoIniToRead);
    if (ini == nullptr) return;
    if (argc != 3 || !AllStrings(argc, args)) {
        Code_Error_Runtime("ini_read_string wrong type of arguments", false);
        Result_SetString(result, "");
        return;
    }
    Result_SetString(result, ini->ReadString(Arg_TextOrEmpty(args[0]), Arg_TextOrEmpty(args[1]), Arg_TextOrEmpty(args[2])));
}

BW_BUILTIN(IniReadReal)
{
    if (argc != 3 || !AllStrings(2, args)) {
        Code_Error_Runtime("ini_read_real wrong type of arguments", false);
        return;
    }
    const double fallback = Arg_IsString(args[2]) ? String_ReadDecimal(Arg_TextOrEmpty(args[2])) : args[2].real;
    Value_SetReal(*result, fallback);
    IniFile* ini = OpenIni(kNoIniToRead);
    if (ini == nullptr) return;
    if (const IniKey* key = ini->FindKey(Arg_TextOrEmpty(args[0]), Arg_TextOrEmpty(args[1]))) {
        Value_SetReal(*result, String_ReadDecimal(key->value.c_str()));
    }
}

BW_BUILTIN(IniWriteString)
{
    IniFile* ini = OpenIni(kNoIniToRead);
    if (ini == nullptr) return;
    if (!AllStrings(3, args)) {
        Code_Error_Runtime("Wrong argument types for ini_write_string", false);
        return;
    }
    ini->WriteString(Arg_TextOrEmpty(args[0]), Arg_TextOrEmpty(args[1]), Arg_TextOrEmpty(args[2]));
}

BW_BUILTIN(IniWriteReal)
{
    IniFile* ini = OpenIni(kNoIniToRead);
    if (ini == nullptr) return;
    if (!AllStrings(2, args) || !Arg_IsReal(args[2])) {
        Code_Error_Runtime("Wrong argument types for ini_write_real", false);
        return;
    }
    ini->WriteString(Arg_TextOrEmpty(args[0]), Arg_TextOrEmpty(args[1]), FixedText(args[2].real).c_str());
}

BW_BUILTIN(IniKeyExists)
{
    IniFile* ini = OpenIni(kNoIniToRead);
    Result_SetBool(result, ini != nullptr && ini->FindKey(Arg_TextOrEmpty(args[0]), Arg_TextOrEmpty(args[1])) != nullptr);
}

BW_BUILTIN(IniSectionExists)
{
    IniFile* ini = OpenIni(kNoIniToRead);
    Result_SetBool(result, ini != nullptr && ini->FindSection(Arg_TextOrEmpty(args[0])) != nullptr);
}

BW_BUILTIN(IniKeyDelete)
{
    if (IniFile* ini = OpenIni(kNoIniToChange)) ini->DeleteKey(Arg_TextOrEmpty(args[0]), Arg_TextOrEmpty(args[1]));
}

BW_BUILTIN(IniSectionDelete)
{
    if (IniFile* ini = OpenIni(kNoIniToChange)) ini->DeleteSection(Arg_TextOrEmpty(args[0]));
}

// ---- registry ----

BW_BUILTIN(RegistryWriteString)
{
    Registry_WriteString(Arg_TextOrEmpty(args[0]), Arg_TextOrEmpty(args[1]));
}

BW_BUILTIN(RegistryWriteReal)
{
    Registry_WriteString(Arg_TextOrEmpty(args[0]), FixedText(args[1].real).c_str());
}

BW_BUILTIN(RegistryReadString)
{
    std::string value;
    Registry_Read(Arg_TextOrEmpty(args[0]), &value);
    Result_SetString(result, value.c_str());
}

BW_BUILTIN(RegistryReadReal)
{
    std::string value;
    Value_SetReal(*result, Registry_Read(Arg_TextOrEmpty(args[0]), &value) ? String_ReadDecimal(value.c_str()) : 0.0);
}

BW_BUILTIN(RegistryExists)
{
    std::string value;
    Result_SetBool(result, Registry_Read(Arg_TextOrEmpty(args[0]), &value));
}

// Other roots and keys of the registry do not exist here.
BW_BUILTIN(RegistryReadStringExt)
{
    Result_SetString(result, "");
}

BW_BUILTIN(RegistryNothing) {}

const BuiltinRegistration kIniBuiltins[] = {
    {"ini_open", IniOpen, 1},
    {"ini_open_from_string", IniOpenFromString, 1},
    {"ini_close", IniClose, 0},
    {"ini_read_string", IniReadString, 3},
    {"ini_read_real", IniReadReal, 3},
    {"ini_write_string", IniWriteString, 3},
    {"ini_write_real", IniWriteReal, 3},
    {"ini_key_exists", IniKeyExists, 2},
    {"ini_section_exists", IniSectionExists, 1},
    {"ini_key_delete", IniKeyDelete, 2},
    {"ini_section_delete", IniSectionDelete, 1},
    {"registry_write_string", RegistryWriteString, 2},
    {"registry_write_real", RegistryWriteReal, 2},
    {"registry_read_string", RegistryReadString, 1},
    {"registry_read_real", RegistryReadReal, 1},
    {"registry_exists", RegistryExists, 1},
    {"registry_write_string_ext", RegistryNothing, 3},
    {"registry_write_real_ext", RegistryNothing, 3},
    {"registry_read_string_ext", RegistryReadStringExt, 2},
    {"registry_read_real_ext", RegistryNothing, 2},
    {"registry_exists_ext", RegistryNothing, 2},
    {"registry_set_root", RegistryNothing, 1},
};

}  // namespace

void Function_Ini_Register()
{
    Builtins_Register(kIniBuiltins);
}

void Ini_CloseOpen()
{
    if (g_ini != nullptr) MemoryManager_Free(g_ini->Flush());
    g_ini.reset();
}

}  // namespace bw
