// SPDX-License-Identifier: MIT
#pragma once

// The file-type information of a node. The MIME type is kept where the
// free desktops look for it, in the extended attribute "user.mime_type",
// as the bare type text (no terminating NUL).
//
// The node must stay open for as long as the BNodeInfo is used; no locks are
// taken.

#include <StorageDefs.h>
#include <SupportDefs.h>

class BNode;

class BNodeInfo {
public:
	BNodeInfo();
	explicit BNodeInfo(BNode* node);
	~BNodeInfo() = default;

	BNodeInfo(const BNodeInfo&) = delete;
	BNodeInfo& operator=(const BNodeInfo&) = delete;

	status_t SetTo(BNode* node);
	status_t InitCheck() const { return fStatus; }

	// Records `type` ("supertype/subtype", shorter than B_MIME_TYPE_LENGTH)
	// as the node's type; null removes it. A file system without extended
	// attributes answers B_UNSUPPORTED.
	status_t SetType(const char* type);
	// Copies the type into `type`, which holds B_MIME_TYPE_LENGTH bytes;
	// B_ENTRY_NOT_FOUND when the node has none.
	status_t GetType(char* type) const;

private:
	BNode* fNode;
	status_t fStatus;
};
