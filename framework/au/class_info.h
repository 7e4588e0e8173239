#pragma once

#include <CoreFoundation/CoreFoundation.h>

#include <cstdint>

#include "framework/core/state_chunk.h"

namespace plugkit {

// The class-info state dictionary through which a host saves and restores
// the plug-in: who wrote it, the current preset's name and the state chunk.
inline constexpr const char* kClassInfoVersionKey = "version";
inline constexpr const char* kClassInfoTypeKey = "type";
inline constexpr const char* kClassInfoSubtypeKey = "subtype";
inline constexpr const char* kClassInfoManufacturerKey = "manufacturer";
inline constexpr const char* kClassInfoNameKey = "name";
inline constexpr const char* kClassInfoDataKey = "data";

// Room for the preset name read back, terminator included.
inline constexpr int kClassInfoNameSize = 64;

// Dictionary operations. The getters answer false for a missing key and for a
// value of another type, and never fail otherwise.
void PutStrInDict(CFMutableDictionaryRef dict, const char* key, const char* text);
void PutNumberInDict(CFMutableDictionaryRef dict, const char* key, int32_t value);
void PutDataInDict(CFMutableDictionaryRef dict, const char* key, const IStateChunk& chunk);
// Copies the text as UTF-8 into out (outSize bytes, terminator included), cut
// before the first character that does not fit whole; out is empty when false.
bool GetStrFromDict(CFDictionaryRef dict, const char* key, char* out, int outSize);
// A number that converts to a 32-bit integer without loss.
bool GetNumberFromDict(CFDictionaryRef dict, const char* key, int32_t& out);
// Resizes the chunk to the data's length and copies the bytes; false leaves
// the chunk as it was (also when it cannot hold that many bytes).
bool GetDataFromDict(CFDictionaryRef dict, const char* key, IStateChunk& chunk);

// Who wrote a state dictionary.
struct ClassInfoIdentity {
  int32_t version = 0;
  int32_t type = 0;
  int32_t subtype = 0;
  int32_t manufacturer = 0;
};

// A new dictionary (owned by the caller) with the four numbers, the name and,
// when given, the chunk's bytes as "data". Null when it cannot be created.
CFMutableDictionaryRef CreateClassInfo(const ClassInfoIdentity& identity, const char* name,
                                       const IStateChunk* data);

// What a host's state dictionary holds, read and type-checked as a whole.
struct ClassInfoContents {
  ClassInfoIdentity identity;
  char name[kClassInfoNameSize] = {};
  IStateChunk data;
};

// False (contents unspecified) unless value is a dictionary whose six keys
// are all present with the expected types: four numbers that fit 32 bits, a
// string and a data object.
bool ReadClassInfo(CFPropertyListRef value, ClassInfoContents& contents);

}  // namespace plugkit
