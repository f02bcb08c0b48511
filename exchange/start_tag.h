#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

// One HTML start tag, such as <A HREF="..." ADD_DATE="...">, read from the text that begins with
// its '<'. Attribute values may be in double quotes, in single quotes or bare; a '>' inside quotes
// does not end the tag. Views point into the text read.
struct StartTag {
  std::string_view name;
  std::vector<std::pair<std::string_view, std::string_view>> attributes;  // name and raw value
  bool complete = false;                                                  // the closing '>' was found
  std::size_t end = 0;  // just past the closing '>' (the text's size when incomplete)

  // The value of the first attribute of that name, compared without regard to case; an attribute
  // written without a value has an empty one.
  std::optional<std::string_view> Attribute(std::string_view wanted) const;
};

// Reads the start tag at the beginning of text (text[0] is '<'). A value whose quote is not closed
// in text leaves the tag incomplete, with the attributes before it.
StartTag ReadStartTag(std::string_view text);

// Whether text begins with prefix, ASCII letters compared without regard to case.
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
