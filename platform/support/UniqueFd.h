// SPDX-License-Identifier: MIT
#pragma once

// A file descriptor with one owner, closed when the owner goes. Moving it
// hands the descriptor on; Release gives it up without closing it.
//
// Not thread-safe: one thread uses an object at a time.

namespace BPrivate {

class UniqueFd {
public:
	UniqueFd() = default;
	explicit UniqueFd(int fd) : fFd(fd) { }
	~UniqueFd() { Reset(); }

	UniqueFd(UniqueFd&& other) noexcept : fFd(other.Release()) { }
	UniqueFd& operator=(UniqueFd&& other) noexcept;
	UniqueFd(const UniqueFd&) = delete;
	UniqueFd& operator=(const UniqueFd&) = delete;

	// The descriptor, still owned; -1 when there is none.
	int Get() const { return fFd; }
	bool IsValid() const { return fFd >= 0; }
	// Gives the descriptor up, unclosed, to the caller.
	int Release();
	// Closes the descriptor held, if any, and takes `fd` instead. A close
	// that fails is not repeated: on Linux the descriptor is gone either way.
	// errno stays as it was, so that a descriptor dropped on the way out of
	// a failed call leaves the reason of that failure to be read.
	void Reset(int fd = -1);

private:
	int fFd = -1;
};

} // namespace BPrivate
