#pragma once

#include <iosfwd>
#include <string>

// hopwise-archive recover IN OUT: the records of a damaged data file that still read cleanly,
// written to a new file in the same format, so that Hopwise can load them. OUT must not exist yet.
// Messages go to err; returns the exit status (0 written, 1 failure).
int RecoverArchive(const std::string& in, const std::string& out, std::ostream& report, std::ostream& err);
