#pragma once

#include <string>
#include <string_view>

// Names and URLs inside a bookmark file are HTML text: the characters that would end an attribute
// or start a tag are written as character references.

// Replaces the references browsers write by the characters they stand for, as UTF-8: "&amp;",
// "&lt;", "&gt;", "&quot;", "&apos;", "&nbsp;", decimal "&#NNN;" and hexadecimal "&#xHH;". Each
// needs its ';'. Anything else, and a number that names no character (0, a surrogate, beyond
// U+10FFFF), is kept as written, so a bare '&' in a hand-written URL stays as it is.
std::string DecodeHtmlText(std::string_view text);

// The text as it is written between quotes or between tags: '&', '<', '>' and '"' as references,
// and carriage return and line feed as "&#13;" and "&#10;", so that every entry stays on its line.
// DecodeHtmlText gives the text back byte for byte.
std::string EscapeHtmlText(std::string_view text);
