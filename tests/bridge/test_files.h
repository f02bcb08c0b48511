#pragma once

#include <string>
#include <vector>

namespace bridgetest {

// The first program of the list that exists and may be run; empty when none does.
std::string FindProgram(const std::vector<std::string>& candidates);

std::string ReadFile(const std::string& path);

}  // namespace bridgetest
