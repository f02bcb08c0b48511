#pragma once

#include <string>

#include "platform/clock.h"

// A file found damaged is kept beside the place it had, under a name that says when:
// NAME.damaged-YYYYMMDD-HHMMSS (local time), with -2, -3 ... when that name is taken already.
std::string DamagedCopyName(const std::string& path, Time32 now);

// Renames the file at path to its DamagedCopyName. Returns the copy's name, or an empty text with
// why holding the system's reason when the file could not be moved.
std::string KeepDamagedCopy(const std::string& path, Time32 now, std::string& why);
