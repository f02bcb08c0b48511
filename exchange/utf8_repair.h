#pragma once

#include <string>
#include <string_view>

// Bookmark files and the Topics hold UTF-8. Older Topics files, and bookmark files written by older
// programs, may carry text in the Windows code page 1252 instead; such bytes are not well-formed
// UTF-8 and are read here as code page 1252 characters.

// The text as well-formed UTF-8: well-formed sequences are kept byte for byte, every other byte
// becomes the UTF-8 form of its code page 1252 character (0xE9 -> "é", 0x93 -> U+201C; the five
// bytes that code page leaves undefined stand for U+0081, U+008D, U+008F, U+0090 and U+009D).
std::string ValidUtf8(std::string_view text);

// Appends the UTF-8 form of a Unicode scalar value (below 0x110000, no surrogate).
void AppendUtf8(std::string& out, char32_t c);
