// System values that labels can show instead of a value of their own:
// the toggle keys, the insert mode, the date and time, and facts about the
// program file (its date, size and version-resource fields).
#pragma once

#include <cstdint>
#include <string>

#include "platform/base/Variant.h"
#include "platform/classes/TypInfo.h"

KY_ENUM(TKyTypeInfo, uint8_t, timDefault, timNumLock, timCapsLock, timScrollLock, timInsertMode, timDateTime,
        timFileDateTime, timFileSize, timCompanyName, timFileDescription, timFileVersion, timInternalName,
        timLegalCopyright, timOriginalFileName, timProductName, timProductVersion, timComments)

// The version-resource field that a kind reads ("CompanyName", ...), or ""
// for the kinds that are not fields.
const char* VersionFieldName(TKyTypeInfo kind);

// The value of a kind for the running program; null for timDefault.
// Toggle keys give "System" labels 73, 74, 77 when on and "" when off, the
// insert mode label 75 or 76; missing version fields give "". Inside a
// library module the lock and field kinds give their own names instead and
// the file date is null.
Variant SystemValue(TKyTypeInfo kind);

// The same for a given file (the version fields and the file's date and size).
Variant FileValue(TKyTypeInfo kind, const std::string& fileName);
