#include "FileOperations.h"

#include <RetryOnInterrupt.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/xattr.h>
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

// The names that `list(buffer, size)` (llistxattr or flistxattr) gives, or
// why they cannot all be read.
template<typename List>
FileOperations::Result<std::vector<std::string>>
ListAttributeNames(List list)
{
	std::vector<std::string> names;
	ssize_t size = list(nullptr, 0);
	if (size < 0) {
		if (errno == ENOTSUP)
			return names;
		return FileOperations::SystemFailure();
	}
	std::vector<char> buffer(size_t(size) + 1);
	size = list(buffer.data(), buffer.size() - 1);
	if (size < 0)
		return FileOperations::SystemFailure();
	for (ssize_t at = 0; at < size; at += ssize_t(strlen(buffer.data() + at)) + 1)
		names.emplace_back(buffer.data() + at);
	return names;
}

} // namespace

namespace FileOperations {

Failure
SystemFailure(int error)
{
	return Failure(errno_to_status(error));
}

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
		struct stat info;
		if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
			return ResolvedName{std::move(path), -1};
		std::vector<char> target(PATH_MAX + 1);
		ssize_t length = readlink(path.c_str(), target.data(), target.size() - 1);
		if (length < 0)
			return SystemFailure();
		std::string next(target.data(), size_t(length));
		if (next.empty() || next[0] != '/') {
			size_t slash = path.rfind('/');
			next = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + next;
		}
		path = next;
	}
	return Failure(B_LINK_LIMIT);
}

Result<std::string>
ReadAll(int fd)
{
	struct stat info;
	if (fstat(fd, &info) != 0)
		return SystemFailure();
	std::string content;
	content.reserve(size_t(info.st_size));
	std::vector<char> chunk(kCopyChunk);
	off_t offset = 0;
	for (;;) {
		ssize_t got = BPrivate::RetryOnInterrupt([&] {
			return pread(fd, chunk.data(), chunk.size(), offset);
		});
		if (got < 0)
			return SystemFailure();
		if (got == 0)
			return content;
		content.append(chunk.data(), size_t(got));
		offset += got;
	}
}

Result<void>
WriteAll(int fd, const char* data, size_t size, off_t offset)
{
	while (size > 0) {
		ssize_t put = BPrivate::RetryOnInterrupt([&] {
			return pwrite(fd, data, std::min(size, kCopyChunk), offset);
		});
		if (put < 0)
			return SystemFailure();
		if (put == 0)
			return Failure(B_IO_ERROR);
		data += put;
		size -= size_t(put);
		offset += put;
	}
	return {};
}

Result<void>
CopyContent(int from, int to, off_t length)
{
	std::vector<char> chunk(kCopyChunk);
	off_t offset = 0;
	while (offset < length) {
		size_t want = size_t(std::min<off_t>(length - offset, off_t(chunk.size())));
		ssize_t got = BPrivate::RetryOnInterrupt([&] {
			return pread(from, chunk.data(), want, offset);
		});
		if (got < 0)
			return SystemFailure();
		if (got == 0)
			return Failure(B_IO_ERROR);
		Result<void> written = WriteAll(to, chunk.data(), size_t(got), offset);
		if (!written)
			return written;
		offset += got;
	}
	return {};
}

std::string
TemporaryLeaf(const std::string& leaf)
{
	static const char kLetters[] =
		"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
	uint8 random[8] = {};
	if (getrandom(random, sizeof(random), 0) != ssize_t(sizeof(random))) {
		for (size_t i = 0; i < sizeof(random); i++)
			random[i] = uint8(rand());
	}
	std::string name = "." + leaf.substr(0, NAME_MAX - 12) + ".";
	for (uint8 value : random)
		name += kLetters[value % (sizeof(kLetters) - 1)];
	return name;
}

Result<std::vector<std::string>>
ListAttributes(const char* path)
{
	return ListAttributeNames([path](char* buffer, size_t size) {
		return llistxattr(path, buffer, size);
	});
}

Result<std::vector<std::string>>
ListAttributes(int fd)
{
	return ListAttributeNames([fd](char* buffer, size_t size) {
		return flistxattr(fd, buffer, size);
	});
}

Result<BPrivate::UniqueFd>
OpenDirectory(const std::string& directory)
{
	BPrivate::UniqueFd fd(open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
	// Without the right to list it, a directory can still be written into;
	// it then cannot be synced.
	if (!fd.IsValid() && errno == EACCES)
		fd.Reset(open(directory.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
	if (!fd.IsValid())
		return SystemFailure();
	return fd;
}

} // namespace FileOperations
