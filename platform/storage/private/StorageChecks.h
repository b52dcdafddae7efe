// SPDX-License-Identifier: MIT
#pragma once

// Checks and small getters shared by the storage kit's classes.

#include <Node.h>
#include <SupportDefs.h>

#include <sys/stat.h>

namespace BPrivate {

// What a getter answers before it looks: B_BAD_VALUE when there is no place
// for the answer, else the object's own status.
inline status_t
OutputStatus(const void* out, status_t status)
{
	return out == nullptr ? B_BAD_VALUE : status;
}

// Puts what `field` takes from `node`'s stat in `*out`; B_BAD_VALUE for a
// null `out`, and the node's failure when it cannot be read.
template <typename T, typename Field>
status_t
GetStatField(const BNode& node, T* out, Field field)
{
	if (out == nullptr)
		return B_BAD_VALUE;
	struct stat info;
	status_t status = node.GetStat(&info);
	if (status != B_OK)
		return status;
	*out = field(info);
	return B_OK;
}

} // namespace BPrivate
