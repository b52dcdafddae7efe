// SPDX-License-Identifier: MIT
#pragma once

// Usage errors of a quillpix-export call that only the file system or the
// identifiers show: an output file that is one of the images (it would be
// overwritten by its own text), and images whose texts on standard output
// would define the same names and so could not be compiled together.

#include "tools/options/ExportOptions.h"

#include <Result.h>

class OutputConflicts {
public:
	// Succeeds when the call has none; otherwise fails with one line naming
	// both files.
	static BPrivate::Result<void> Find(const ExportOptions& options);

private:
	static BPrivate::Result<void> FindSameFile(const ExportOptions& options);
	static BPrivate::Result<void> FindSameIdentifier(const ExportOptions& options);
};
