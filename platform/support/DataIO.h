// SPDX-License-Identifier: MIT
#pragma once

// Abstract byte streams. BDataIO reads and writes at the stream's own
// position; BPositionIO adds random access. Results are byte counts (short
// counts are not errors by themselves) or, when negative, status codes.

#include <SupportDefs.h>

class BDataIO {
public:
	BDataIO() = default;
	virtual ~BDataIO() = default;

	BDataIO(const BDataIO&) = delete;
	BDataIO& operator=(const BDataIO&) = delete;

	virtual ssize_t Read(void* buffer, size_t size) = 0;
	virtual ssize_t Write(const void* buffer, size_t size) = 0;
};

class BPositionIO : public BDataIO {
public:
	// Reads and writes at Position() and moves past the bytes transferred.
	ssize_t Read(void* buffer, size_t size) override
	{
		off_t position = Position();
		if (position < 0)
			return static_cast<ssize_t>(position);
		ssize_t result = ReadAt(position, buffer, size);
		if (result > 0)
			Seek(position + result, SEEK_SET_MODE);
		return result;
	}
	ssize_t Write(const void* buffer, size_t size) override
	{
		off_t position = Position();
		if (position < 0)
			return static_cast<ssize_t>(position);
		ssize_t result = WriteAt(position, buffer, size);
		if (result > 0)
			Seek(position + result, SEEK_SET_MODE);
		return result;
	}

	virtual ssize_t ReadAt(off_t position, void* buffer, size_t size) = 0;
	virtual ssize_t WriteAt(off_t position, const void* buffer, size_t size) = 0;

	// `seekMode` is SEEK_SET, SEEK_CUR or SEEK_END. Returns the new position,
	// or a negative status.
	virtual off_t Seek(off_t position, uint32 seekMode) = 0;
	virtual off_t Position() const = 0;

	// Streams that cannot be resized or measured answer B_UNSUPPORTED.
	virtual status_t SetSize(off_t /*size*/) { return B_UNSUPPORTED; }
	virtual status_t GetSize(off_t* /*size*/) const { return B_UNSUPPORTED; }

private:
	// The value of SEEK_SET, without pulling <cstdio> into every stream user.
	static constexpr uint32 SEEK_SET_MODE = 0;
};
