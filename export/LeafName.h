// SPDX-License-Identifier: MIT
#pragma once

// The leaf of a document name: the part after the last '/' that is followed
// by at least one more character, or the whole name when there is no such
// '/'. A '/' at the very end stays part of the leaf ("/a/b/" gives "b/").
// The result points into `path`; nothing is copied. A null path gives null.
//
// Plain code, safe on any thread.

const char* LeafName(const char* path);
