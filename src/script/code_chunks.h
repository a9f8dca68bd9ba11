// The package's code: "CODE" lists the code entries (a name and its
// bytecode), "VARI" and "FUNC" bind variable and function names to the
// places in the bytecode that use them, and the debug file beside the
// package adds a debug table ("DBGI") and a text ("SCPT") per entry.
//
// The package image is never written. Binding follows each name's chain of
// occurrences through the bytecode and records, per reference word, the word
// as it reads once bound; the verifier and the machine take bound words from
// here. String operands stay STRG indexes (checked against the string table)
// for the verifier to translate.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/package_view.h"

namespace bw {

struct PackageCodeEntry {
    const char* name = nullptr;
    uint32_t codeOffset = 0;  // file offset of the first instruction word
    int32_t length = 0;       // bytes of bytecode; below 1 means none
};

// Pass 1: the entry list. False for an entry, a name or bytecode outside the
// file. Bytecode must be whole 32-bit words.
bool CODE_LoadList(const PackageView& package, uint32_t offset, uint32_t length);
// Pass 2: every entry's instructions walked once: operands inside the entry,
// string operands naming a string of the table; then the verifier, once
// every name is bound.
bool CODE_CheckAll(const PackageView& package, uint32_t offset, uint32_t length);
bool VARI_Load(const PackageView& package, uint32_t offset, uint32_t length);
// Pass 1: notes that the package binds functions. Functions are bound in
// pass 2 (scripts count among them), in whichever order FUNC and CODE
// come, and the verifier must see the bound words.
bool FUNC_Announce(const PackageView& package, uint32_t offset, uint32_t length);
bool FUNC_Load(const PackageView& package, uint32_t offset, uint32_t length);
// Pre-pass over the debug file.
bool DBGI_Load(const PackageView& debug, uint32_t offset, uint32_t length);
bool DebugScripts_Load(const PackageView& debug, uint32_t offset, uint32_t length);

// The one point where a load-time verifier checks each entry (and
// translates its operands to the native form). Until one is registered,
// entries are accepted as the walk above left them.
using CodeEntryVerifier = bool (*)(const PackageView& package, int32_t index, const PackageCodeEntry& entry);
void CODE_SetVerifier(CodeEntryVerifier verifier);
// The runner's verifier: the entry's words, with every bound word in place,
// checked against the string table by the machine's verifier. A unit that
// passes goes on the global code list with its debug text and line table;
// one that fails is a load error naming the entry and the fault.
bool CODE_VerifyEntry(const PackageView& package, int32_t index, const PackageCodeEntry& entry);

// True once the package's CODE chunk was read: its resources then refer to
// code entries by index instead of carrying source text.
bool CODE_Present();
int32_t CODE_EntryCount();
// Null for an index outside the list or an empty slot.
const PackageCodeEntry* CODE_Entry(int32_t index);
// The bound form of the reference word at file offset; false when no name
// was bound there.
bool CODE_BoundWord(uint32_t fileOffset, uint32_t* word);
// The debug table and text of entry n; false when the debug file has none.
bool CODE_DebugInfo(int32_t index, const uint8_t** pairs, uint32_t* count);
const char* CODE_DebugText(int32_t index);

// Why the last binding failed ("Error on load\nUnable to find ..."), empty
// when none did.
const std::string& CODE_LoadError();

// Forgets the entries, bindings, debug tables and code units (a new
// package).
void CODE_Clear();

}  // namespace bw
