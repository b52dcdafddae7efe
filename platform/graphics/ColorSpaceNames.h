// SPDX-License-Identifier: MIT
#pragma once

// The colour spaces that the source-code text names, each by its constant as
// C++ source spells it. One table, so that the text's writer (the export)
// and its reader (the translation kit's source-text reader) agree on every
// name by construction: a space added here is written and read back alike.
// Plain code; any thread.

#include <GraphicsDefs.h>

#include <string_view>

// The construction's colour-space argument for `space`, its constant
// followed by the comma that ends it ("B_CMAP8,"); null for a space the text
// does not name.
const char* SourceColorSpaceArgument(color_space space);

// The space whose constant is `name` ("B_RGB16", without a comma); false for
// a name that is not in the table.
bool SourceColorSpaceNamed(std::string_view name, color_space& space);
