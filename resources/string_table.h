#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The string resource numbered id: the web address of a link command (the command's own number,
// 32900-32937 and 32992-33001) or one of the program's texts (res::kStringServiceName, ...).
// nullopt when the table has no such string.
std::optional<std::string> LoadResourceString(uint32_t id);
