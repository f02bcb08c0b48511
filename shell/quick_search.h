#pragma once

#include <string>

// The address a Quick Search opens: the search address (the preference "Search Address"; the
// built-in one when it is empty) followed by the keywords. Blanks separate the keywords; each is
// percent-encoded as UTF-8 bytes (letters, digits and "-._~" stay as they are, so "&", "#", "+"
// and "%" cannot change the address's meaning), and they are joined by "+". Leading, trailing
// and repeated blanks add nothing. Empty when the text holds no keyword.
std::string QuickSearchAddress(const std::string& searchAddress, const std::string& keywords);
