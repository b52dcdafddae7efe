// SPDX-License-Identifier: MIT
// The identifiers of the images named on the command line, one a line: what
// quillpix-export --identifiers prints, for quillpix_add_image_sources inside
// this build tree, where the exporter is not built yet when CMake runs.

#include "ImageIdentifier.h"

#include <cstring>

int
main(int argc, char** argv)
{
	// As for the exporter, "--" may end its (no) options.
	int first = argc > 1 && strcmp(argv[1], "--") == 0 ? 2 : 1;
	return ImageIdentifier::Print(argc - first, argv + first) ? 0 : 1;
}
