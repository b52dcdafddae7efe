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

#include <cstring>
#include <memory>

class PlainBufferedFile : public BFile {
public:
	// Opens the file as BFile(path, openMode) and, when that succeeded,
	// allocates a buffer of `bufferSize` bytes (which must not be 0).
	PlainBufferedFile(const char* path, uint32 openMode, uint32 bufferSize);
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

	// Each flushes first; when the flush fails it answers 0 (B_FILE_ERROR for
	// SetSize) without touching the file.
	ssize_t Read(void* buffer, size_t size) override;
	ssize_t ReadAt(off_t position, void* buffer, size_t size) override;
	ssize_t Write(const void* buffer, size_t size) override;
	ssize_t WriteAt(off_t position, const void* buffer, size_t size) override;
	off_t Seek(off_t position, uint32 seekMode) override;
	status_t SetSize(off_t size) override;

private:
	ssize_t BufferedWriteThroughFile(const void* data, size_t size);

	uint32 fBufferSize;
	std::unique_ptr<uint8[]> fBuffer;
	uint32 fBufferIndex;
	uint32 fBufferFill;
	uint32 fOpenMode;
	status_t fInitStatus;
	bool fDirty;
};
