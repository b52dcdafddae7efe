// SPDX-License-Identifier: MIT
#include "Path.h"

#include "Entry.h"
#include "StorageChecks.h"
#include "StoragePaths.h"

#include <cstring>

BPath::BPath() : fStatus(B_NO_INIT)
{ }

BPath::BPath(const char* path, const char* leaf, bool normalize) : fStatus(B_NO_INIT)
{
	SetTo(path, leaf, normalize);
}

BPath::BPath(const entry_ref* ref) : fStatus(B_NO_INIT)
{
	SetTo(ref);
}

BPath::BPath(const BEntry* entry) : fStatus(B_NO_INIT)
{
	SetTo(entry);
}

status_t
BPath::SetTo(const char* path, const char* leaf, bool normalize)
{
	Unset();
	if (path == nullptr || path[0] == '\0')
		return fStatus = B_BAD_VALUE;
	if (leaf != nullptr && leaf[0] == '/')
		return fStatus = B_BAD_VALUE;

	std::string joined = path;
	if (leaf != nullptr && leaf[0] != '\0')
		joined = BPrivate::JoinPath(joined, leaf);

	std::string absolute;
	status_t status = BPrivate::AbsolutePath(joined.c_str(), &absolute);
	if (status != B_OK)
		return fStatus = status;
	if (normalize) {
		BEntry entry(absolute.c_str(), false);
		if (entry.InitCheck() != B_OK)
			return fStatus = entry.InitCheck();
		return SetTo(&entry);
	}
	fPath = std::move(absolute);
	return fStatus = B_OK;
}

status_t
BPath::SetTo(const entry_ref* ref)
{
	Unset();
	BEntry entry(ref, false);
	if (entry.InitCheck() != B_OK)
		return fStatus = entry.InitCheck();
	return SetTo(&entry);
}

status_t
BPath::SetTo(const BEntry* entry)
{
	Unset();
	if (entry == nullptr)
		return fStatus = B_BAD_VALUE;
	entry_ref ref;
	status_t status = entry->GetRef(&ref);
	if (status != B_OK)
		return fStatus = status;
	fPath = BPrivate::JoinPath(ref.directory, ref.name);
	return fStatus = B_OK;
}

void
BPath::Unset()
{
	fPath.clear();
	fStatus = B_NO_INIT;
}

status_t
BPath::Append(const char* leaf, bool normalize)
{
	if (fStatus != B_OK || leaf == nullptr || leaf[0] == '\0' || strchr(leaf, '/') != nullptr
		|| strcmp(leaf, ".") == 0 || strcmp(leaf, "..") == 0) {
		return B_BAD_VALUE;
	}
	std::string joined = BPrivate::JoinPath(fPath, leaf);
	if (!normalize) {
		fPath = std::move(joined);
		return B_OK;
	}
	BPath normalized(joined.c_str(), nullptr, true);
	if (normalized.InitCheck() != B_OK)
		return normalized.InitCheck();
	*this = normalized;
	return B_OK;
}

const char*
BPath::Path() const
{
	return fStatus == B_OK ? fPath.c_str() : nullptr;
}

const char*
BPath::Leaf() const
{
	if (fStatus != B_OK)
		return nullptr;
	return fPath.c_str() + BPrivate::LeafOffset(fPath);
}

status_t
BPath::GetParent(BPath* parent) const
{
	if (status_t status = BPrivate::OutputStatus(parent, fStatus); status != B_OK)
		return status;
	if (fPath == "/")
		return B_ENTRY_NOT_FOUND;
	size_t leafOffset = BPrivate::LeafOffset(fPath);
	return parent->SetTo(fPath.substr(0, leafOffset > 1 ? leafOffset - 1 : 1).c_str());
}

bool
BPath::operator==(const BPath& path) const
{
	if (fStatus != B_OK || path.fStatus != B_OK)
		return fStatus == path.fStatus;
	return fPath == path.fPath;
}

bool
BPath::operator==(const char* path) const
{
	const char* own = Path();
	if (own == nullptr || path == nullptr)
		return own == path;
	return strcmp(own, path) == 0;
}
