#pragma once

#include <string>

namespace bridge {

// The address Hopwise asked for, made fit for the browser's tab API: surrounding blanks go, and an
// address without a scheme ("example.org/a", "localhost:8080/") gets "http://", as the browser's
// own address bar would do (the tab API would take it as a path inside the extension); an
// absolute path is a local file.
// Empty when nothing is left to open.
std::string UrlToOpen(const std::string& requested);

}  // namespace bridge
