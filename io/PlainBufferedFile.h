// SPDX-License-Identifier: MIT
#pragma once

// A file that gathers small writes in a buffer of a size fixed at
// construction and hands them to the file in writes of the whole buffer.
// Buffering is offered by BufferedWrite alone; every other reading, writing,
// positioning or resizing operation (except Position) first flushes the
// buffer and then acts on the file directly, so the file's content keeps the
// order of the calls. Position is the file's own and lags behind the data
// given to BufferedWrite by the bytes still in the buffer.
//
// The destructor does not flush: an owner that wants the buffered bytes in
// the file calls Flush first.
//
// States: Unopened (the open failed; no buffer), Empty (nothing buffered),
// Pending (bytes buffered and due), Stale (a full-buffer write inside
// BufferedWrite fell short; the buffer's bytes are no longer due).
//
// Not thread-safe: one thread uses an object at a time.

#include <File.h>
#include <Result.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <string>

class PlainBufferedFile : public BFile {
public:
	// Opens the file as BFile(path, openMode) and, when that succeeded,
	// allocates a buffer of `bufferSize` bytes (which must not be 0).
	PlainBufferedFile(const char* path, uint32 openMode, uint32 bufferSize);
	// The same on `fd`, an open descriptor the object takes over (see
	// BFile::SetTo) and then is the only holder of; `path`, when given, is
	// the name a failure of the file tells.
	PlainBufferedFile(int fd, uint32 openMode, uint32 bufferSize, const char* path = nullptr);
	~PlainBufferedFile() override;

	// The status recorded at construction; the file is not asked again.
	status_t InitCheck() const { return fInitStatus; }

	// Copies `size` bytes into the buffer, writing the buffer to the file
	// each time it is full. Returns `size`; 0 when the file is not writable;
	// or, when a full-buffer write falls short, the caller's count less the
	// buffered bytes that did not reach the file (which may be negative).
	ssize_t BufferedWrite(const void* data, size_t size)
	{
		// Inline for the common case, a small piece that leaves room in an
		// empty or pending buffer (the export makes 64 million of them for a
		// 4096 x 4096 bitmap).
		if (size != 0 && size < fBufferSize - fBufferFill && (fDirty || fBufferFill == 0)
			&& data != nullptr && IsWritable()) {
			memcpy(fBuffer.get() + fBufferFill, data, size);
			fBufferFill += static_cast<uint32>(size);
			fDirty = true;
			return static_cast<ssize_t>(size);
		}
		return BufferedWriteThroughFile(data, size);
	}
	// Writes the bytes due; B_OK or B_FILE_ERROR.
	status_t Flush();
	// The status of the last write to the file that fell short (B_DEVICE_FULL
	// for a full disk, ...); B_OK while none did. A failed open shows here
	// as well.
	status_t LastError() const { return fLastFailure.Status(); }

	// For the project's own callers, the whole failure: that of the last
	// write that fell short, as the system call left it (errno, the call,
	// the file's path); for a file not open for writing, what write(2)
	// answers on one; B_IO_ERROR when nothing said why. FlushOrFail is
	// Flush answering it.
	BPrivate::Failure WriteFailure() const;
	BPrivate::Result<void> FlushOrFail();
	// For blocks that would only pass through the buffer: flushes, then
	// writes all `size` bytes straight to the file. Success, or the
	// WriteFailure.
	BPrivate::Result<void> WriteThrough(const void* data, size_t size);

	// The descriptor the object holds, for an owner that acts on the file
	// beside the buffer (truncating, syncing, linking it); -1 when none.
	int Descriptor() const { return FileDescriptor(); }

	// For producers of many small pieces: the buffer's free room, less one
	// byte, so that bytes put there and taken with TakeBufferRoom leave the
	// buffer exactly as BufferedWrite would have left it after copying them
	// (short of full, so nothing is written yet). Null with `room` 0 when
	// BufferedWrite would do more than copy (a file not writable, a stale
	// buffer). The address is valid until the next call of any other
	// operation.
	uint8* BufferRoom(size_t* room);
	// Takes the first `length` bytes (at most the room) put at BufferRoom's
	// address as buffered bytes.
	void TakeBufferRoom(size_t length);

	// Asks the system to start writing the file's data to its device each
	// time another `interval` bytes reached the file from the buffer, without
	// waiting for it, so that a Sync after the last Flush finds little left
	// to do and the device works while the caller formats. 0 (the default)
	// leaves the timing to the system. The file's content is the same either
	// way; for what is not a regular file the request is ignored.
	void SetWriteBehind(size_t interval) { fWriteBehind = interval; }

	// Each flushes first; when the flush fails it answers 0 (B_FILE_ERROR for
	// SetSize, and for Seek, which must answer a negative position on
	// failure) without touching the file.
	ssize_t Read(void* buffer, size_t size) override;
	ssize_t ReadAt(off_t position, void* buffer, size_t size) override;
	ssize_t Write(const void* buffer, size_t size) override;
	ssize_t WriteAt(off_t position, const void* buffer, size_t size) override;
	off_t Seek(off_t position, uint32 seekMode) override;
	status_t SetSize(off_t size) override;

private:
	void SetUpBuffer(uint32 bufferSize);
	ssize_t BufferedWriteThroughFile(const void* data, size_t size);
	// The base's Write, with the failure behind a short count kept in
	// fLastFailure.
	ssize_t WriteToFile(const void* data, size_t size);
	void NoteBufferWritten();

	uint32 fBufferSize = 0;
	std::unique_ptr<uint8[]> fBuffer;
	uint32 fBufferFill = 0;
	status_t fInitStatus;
	// The failure of the last write that fell short, or of the open.
	BPrivate::Result<void> fLastFailure;
	std::string fPath;
	bool fDirty = false;
	size_t fWriteBehind = 0;
	size_t fNotWrittenBehind = 0; // bytes written since the last request
};

// The consumer a producer of pieces (FormatBitmapSource) writes through: each
// piece goes to BufferedWrite, and a producer that can format into room gets
// the buffer's (BufferRoom, TakeBufferRoom). When `cancel` is given and
// becomes true, no further piece is taken. Why a piece was not taken is kept
// in `failure` (B_INTERRUPTED for a cancel, the file's WriteFailure
// otherwise).
struct BufferedFileConsumer {
	PlainBufferedFile& file;
	const std::atomic<bool>* cancel = nullptr;
	mutable BPrivate::Result<void> failure = {};

	bool Cancelled() const { return cancel != nullptr && cancel->load(std::memory_order_relaxed); }
	ssize_t operator()(const char* piece, size_t length) const
	{
		if (Cancelled()) {
			failure = BPrivate::Failure(B_INTERRUPTED);
			return 0;
		}
		ssize_t taken = file.BufferedWrite(piece, length);
		if (taken < 0 || static_cast<size_t>(taken) != length)
			failure = file.WriteFailure();
		return taken;
	}
	char* Room(size_t& length) const
	{
		if (Cancelled()) {
			length = 0;
			return nullptr;
		}
		return reinterpret_cast<char*>(file.BufferRoom(&length));
	}
	void Take(size_t length) const { file.TakeBufferRoom(length); }
};
