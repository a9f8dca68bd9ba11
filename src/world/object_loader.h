// Reading the OBJT chunk into the object table, and preparing the objects
// (their event code compiled) before the game starts.
#pragma once

#include <cstdint>

#include "platform/package_view.h"

namespace bw {

// The chunk reader: a pointer list with one object record per index (0: no
// object there). The table is emptied first. A record that does not lie
// inside the package, or does not fit the event table, is a load error: its
// reason goes to the console and the table is left empty.
bool Object_Load(const PackageView& package, uint32_t offset, uint32_t length);
// The same with the package format given rather than taken from the header.
bool Object_LoadChunk(const PackageView& package, uint32_t offset, uint32_t length, uint32_t format);
// Whether the chunk last read had an event whose number word carries the
// top bit (which is not part of the number). The overlay's caption marks it.
bool Object_MarkedEventLoaded();

// Compiles every object's events made from text, in table order, then
// resolves the parent pointers. False at the first failure, which has been
// reported.
bool Object_Prepare();

}  // namespace bw
