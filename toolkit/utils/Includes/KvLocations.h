#pragma once
// Installation folders of the toolkit and environment look-ups.
//
// TESSARY_BINARIES_LOCATION names the folder of the toolkit's programs,
// libraries and camera modules; without it, that is the folder of the running
// executable. TESSARY_SOFTWARE_LOCATION names the installation root; without
// it, that is the folder above the executable's (the prefix of a bin/ folder).
// Folders are answered without a trailing '/'.

#include <cstddef>

#include "KvResultCodes.h"
#include "KvString.h"

inline constexpr const char* KV_BINARIES_VARIABLE = "TESSARY_BINARIES_LOCATION";
inline constexpr const char* KV_SOFTWARE_VARIABLE = "TESSARY_SOFTWARE_LOCATION";

// 0 with the folder; 6 when it cannot be determined.
KvResult TessaryBinariesLocation(KvString& folder);
KvResult TessarySoftwareLocation(KvString& folder);
// The same into a caller's buffer: 4 (and an empty text) when the folder
// does not fit, since a cut path would name another folder.
KvResult TessaryBinariesLocation(char* buffer, size_t length);
KvResult TessarySoftwareLocation(char* buffer, size_t length);

// 0 with the variable's value (which may be empty); 6 when it is not set.
KvResult KvGetenv(const char* name, KvString& value);
