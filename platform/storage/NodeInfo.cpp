// SPDX-License-Identifier: MIT
#include "NodeInfo.h"

#include "Node.h"
#include "StorageChecks.h"

#include <cstring>

namespace {

// The attribute's name under the node's "user." namespace.
constexpr const char* kTypeAttribute = "mime_type";
// The platform's type code of a MIME string, 'MIMS'.
constexpr type_code kMimeStringType = 0x4D494D53;

// A MIME type as the registry accepts it: a non-empty supertype and subtype
// around exactly one '/', in printable characters without blanks.
bool
IsValidMimeType(const char* type)
{
	size_t length = strlen(type);
	if (length == 0 || length >= static_cast<size_t>(B_MIME_TYPE_LENGTH))
		return false;
	const char* slash = strchr(type, '/');
	if (slash == nullptr || slash == type || slash[1] == '\0' || strchr(slash + 1, '/'))
		return false;
	for (const char* c = type; *c != '\0'; c++) {
		if (*c <= ' ' || *c >= 0x7f)
			return false;
	}
	return true;
}

} // namespace

BNodeInfo::BNodeInfo() : fNode(nullptr), fStatus(B_NO_INIT)
{ }

BNodeInfo::BNodeInfo(BNode* node) : fNode(nullptr), fStatus(B_NO_INIT)
{
	SetTo(node);
}

status_t
BNodeInfo::SetTo(BNode* node)
{
	fNode = nullptr;
	if (node == nullptr)
		return fStatus = B_BAD_VALUE;
	if (node->InitCheck() != B_OK)
		return fStatus = node->InitCheck();
	fNode = node;
	return fStatus = B_OK;
}

status_t
BNodeInfo::SetType(const char* type)
{
	if (fStatus != B_OK)
		return fStatus;
	if (type == nullptr) {
		status_t status = fNode->RemoveAttr(kTypeAttribute);
		return status == B_ENTRY_NOT_FOUND ? B_OK : status;
	}
	if (!IsValidMimeType(type))
		return B_BAD_VALUE;
	size_t length = strlen(type);
	ssize_t written = fNode->WriteAttr(kTypeAttribute, kMimeStringType, 0, type, length);
	if (written < 0)
		return static_cast<status_t>(written);
	return static_cast<size_t>(written) == length ? B_OK : B_ERROR;
}

status_t
BNodeInfo::GetType(char* type) const
{
	if (status_t status = BPrivate::OutputStatus(type, fStatus); status != B_OK)
		return status;
	ssize_t length = fNode->ReadAttr(
		kTypeAttribute, kMimeStringType, 0, type, B_MIME_TYPE_LENGTH - 1);
	if (length < 0)
		return static_cast<status_t>(length);
	// Other programs may have stored the text with its NUL.
	type[length] = '\0';
	return B_OK;
}
