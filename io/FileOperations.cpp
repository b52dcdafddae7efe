// SPDX-License-Identifier: MIT
#include "FileOperations.h"

#include <System.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kLinkLimit = 40;
constexpr size_t kCopyChunk = size_t(1) << 20;

bool
AllDigits(const char* text)
{
	if (*text == '\0')
		return false;
	for (; *text != '\0'; text++) {
		if (*text < '0' || *text > '9')
			return false;
	}
	return true;
}

} // namespace

namespace FileOperations {

int
HeldDescriptor(const std::string& path)
{
	if (path == "/dev/stdin")
		return 0;
	if (path == "/dev/stdout")
		return 1;
	if (path == "/dev/stderr")
		return 2;
	std::string ownProcess = "/proc/" + std::to_string(getpid()) + "/fd/";
	for (const std::string& prefix : {std::string("/dev/fd/"), std::string("/proc/self/fd/"),
			 std::string("/proc/thread-self/fd/"), ownProcess}) {
		if (path.compare(0, prefix.size(), prefix) != 0)
			continue;
		const char* number = path.c_str() + prefix.size();
		if (!AllDigits(number) || strlen(number) > 9)
			return -1;
		return atoi(number);
	}
	return -1;
}

Result<ResolvedName>
ResolveLinks(std::string path)
{
	for (int hop = 0; hop < kLinkLimit; hop++) {
		int held = HeldDescriptor(path);
		if (held >= 0)
			return ResolvedName{std::string(), held};
		Result<struct stat> info = BPrivate::System::LinkStat(path.c_str());
		if (!info || !S_ISLNK(info.Value().st_mode))
			return ResolvedName{std::move(path), -1};
		Result<std::string> target = BPrivate::System::ReadLink(path.c_str());
		if (!target)
			return target.TakeError();
		std::string next = std::move(target).Value();
		if (next.empty() || next[0] != '/') {
			size_t slash = path.rfind('/');
			next = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + next;
		}
		path = next;
	}
	return Failure::FromSystem(ELOOP, "open", path.c_str());
}

Result<void>
CopyContent(int from, int to, off_t length)
{
	std::vector<char> chunk(kCopyChunk);
	off_t offset = 0;
	while (offset < length) {
		size_t want = size_t(std::min<off_t>(length - offset, off_t(chunk.size())));
		Result<size_t> got = BPrivate::System::ReadAt(from, chunk.data(), want, offset);
		if (!got)
			return got.TakeError();
		if (got.Value() == 0)
			return Failure(B_IO_ERROR);
		Result<void> written = BPrivate::System::WriteAll(to, chunk.data(), got.Value(), offset);
		if (!written)
			return written;
		offset += off_t(got.Value());
	}
	return {};
}

std::string
TemporaryLeaf(const std::string& leaf)
{
	static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
	uint8 random[8] = {};
	if (!BPrivate::System::RandomBytes(random, sizeof(random))) {
		for (size_t i = 0; i < sizeof(random); i++)
			random[i] = uint8(rand());
	}
	std::string name = "." + leaf.substr(0, NAME_MAX - 12) + ".";
	for (uint8 value : random)
		name += kLetters[value % (sizeof(kLetters) - 1)];
	return name;
}

Result<BPrivate::UniqueFd>
CreateBeside(int directory, const std::string& path, int flags, mode_t mode, std::string* made)
{
	size_t slash = path.rfind('/');
	const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
	const std::string leaf = slash == std::string::npos ? path : path.substr(slash + 1);
	for (int attempt = 0;; attempt++) {
		std::string name = folder + TemporaryLeaf(leaf);
		Result<BPrivate::UniqueFd> fd = BPrivate::System::OpenAt(
			directory, name.c_str(), flags | O_CREAT | O_EXCL | O_CLOEXEC, mode);
		if (fd || fd.Error().error != EEXIST || attempt + 1 >= kNameAttempts) {
			if (fd)
				*made = std::move(name);
			return fd;
		}
	}
}

Result<BPrivate::UniqueFd>
OpenDirectory(const std::string& directory)
{
	Result<BPrivate::UniqueFd> fd = BPrivate::System::Open(
		directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
	// Without the right to list it, a directory can still be written into;
	// it then cannot be synced.
	if (!fd && fd.Status() == B_PERMISSION_DENIED)
		fd = BPrivate::System::Open(directory.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
	return fd;
}

} // namespace FileOperations
