#pragma once

// Usage errors of a quillpix-export call that only the file system or the
// identifiers show: an output file that is one of the images (it would be
// overwritten by its own text), and images whose texts on standard output
// would define the same names and so could not be compiled together.

#include "ExportOptions.h"

#include <string>

class OutputConflicts {
public:
	// Empty when the call has none; otherwise one line naming both files.
	static std::string Find(const ExportOptions& options);

private:
	static std::string FindSameFile(const ExportOptions& options);
	static std::string FindSameIdentifier(const ExportOptions& options);
};
