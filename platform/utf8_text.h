#pragma once

#include <string>
#include <string_view>

// Text from outside (data files, the transport, file names) comes as bytes that are UTF-8 where
// they can be read as such. Where they cannot, each byte is taken as the Latin-1 character of the
// same value, so that no byte is lost and the result is always valid UTF-8.

// True when all of bytes is well-formed UTF-8 (no stray continuation byte, no truncated or overlong
// sequence, no surrogate, nothing above U+10FFFF).
bool IsUtf8(std::string_view bytes);

// The bytes as UTF-8: well-formed sequences as they are, every other byte as a Latin-1 character.
std::string Utf8OrLatin1(std::string_view bytes);
