// SPDX-License-Identifier: MIT
#include "PlainBufferedFile.h"

#include <System.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <new>
#include <utility>

PlainBufferedFile::PlainBufferedFile(const char* path, uint32 openMode, uint32 bufferSize)
	: BFile(path, openMode), fInitStatus(BFile::InitCheck()), fPath(path != nullptr ? path : "")
{
	SetUpBuffer(bufferSize);
}

PlainBufferedFile::PlainBufferedFile(int fd, uint32 openMode, uint32 bufferSize, const char* path)
	: fInitStatus(BFile::SetTo(fd, openMode)), fPath(path != nullptr ? path : "")
{
	SetUpBuffer(bufferSize);
}

void
PlainBufferedFile::SetUpBuffer(uint32 bufferSize)
{
	// A buffer of no bytes could never be written out; the object behaves
	// as one whose open failed.
	if (fInitStatus == B_OK && bufferSize == 0)
		fInitStatus = B_BAD_VALUE;
	if (fInitStatus == B_OK) {
		fBuffer.reset(new (std::nothrow) uint8[bufferSize]);
		if (!fBuffer)
			fInitStatus = B_NO_MEMORY;
	}
	if (fInitStatus != B_OK) {
		// The open's errno is the base's; its status is what is left of it.
		BPrivate::Failure failure(fInitStatus);
		failure.path = fPath;
		fLastFailure = std::move(failure);
		return;
	}
	fBufferSize = bufferSize;
}

PlainBufferedFile::~PlainBufferedFile()
{ }

ssize_t
PlainBufferedFile::BufferedWriteThroughFile(const void* data, size_t size)
{
	if (!IsWritable() || !fBuffer || (data == nullptr && size > 0))
		return 0;
	if (!fDirty && fBufferFill != 0 && Flush() != B_OK)
		return 0;

	const auto* bytes = static_cast<const uint8*>(data);
	size_t count = 0;
	while (count < size) {
		size_t chunk = std::min(size - count, static_cast<size_t>(fBufferSize - fBufferFill));
		memcpy(fBuffer.get() + fBufferFill, bytes + count, chunk);
		fBufferFill += static_cast<uint32>(chunk);
		count += chunk;
		if (fBufferFill < fBufferSize)
			continue;

		ssize_t written = WriteToFile(fBuffer.get(), fBufferSize);
		if (written != static_cast<ssize_t>(fBufferSize)) {
			// An error status means no byte of the buffer reached the file.
			ssize_t reached = std::max<ssize_t>(written, 0);
			fDirty = false;
			return static_cast<ssize_t>(count) - (static_cast<ssize_t>(fBufferSize) - reached);
		}
		fBufferFill = 0;
		NoteBufferWritten();
	}
	if (fBufferFill != 0)
		fDirty = true;
	return static_cast<ssize_t>(count);
}

uint8*
PlainBufferedFile::BufferRoom(size_t* room)
{
	if (!fBuffer || !IsWritable() || (!fDirty && fBufferFill != 0)) {
		*room = 0;
		return nullptr;
	}
	*room = fBufferSize - fBufferFill - 1;
	return fBuffer.get() + fBufferFill;
}

void
PlainBufferedFile::TakeBufferRoom(size_t length)
{
	if (length == 0 || !fBuffer || fBufferFill >= fBufferSize)
		return;
	fBufferFill += static_cast<uint32>(std::min(length, size_t(fBufferSize - 1 - fBufferFill)));
	fDirty = true;
}

// The request covers the whole file: pages already on their way are skipped
// by the system, so only the ones written since the last request start.
void
PlainBufferedFile::NoteBufferWritten()
{
	if (fWriteBehind == 0)
		return;
	fNotWrittenBehind += fBufferSize;
	if (fNotWrittenBehind < fWriteBehind)
		return;
	fNotWrittenBehind = 0;
	(void)BPrivate::System::StartWriteBack(FileDescriptor());
}

ssize_t
PlainBufferedFile::WriteToFile(const void* data, size_t size)
{
	// As the base's Write answers, an error status when nothing was written
	// and the count when the system refused the rest, keeping the reason.
	size = std::min(size, static_cast<size_t>(SSIZE_MAX));
	size_t written = 0;
	BPrivate::Result<void> result = BPrivate::System::WriteAll(
		FileDescriptor(), data, size, -1, &written);
	if (result)
		return static_cast<ssize_t>(written);
	BPrivate::Failure failure = result.TakeError();
	if (failure.path.empty())
		failure.path = fPath;
	const status_t status = failure.status;
	fLastFailure = std::move(failure);
	return written > 0 ? static_cast<ssize_t>(written) : status;
}

status_t
PlainBufferedFile::Flush()
{
	if (fDirty) {
		ssize_t written = WriteToFile(fBuffer.get(), fBufferFill);
		if (written == static_cast<ssize_t>(fBufferFill)) {
			fBufferFill = 0;
			fDirty = false;
			return B_OK;
		}
		// Part of the buffer may have reached the file. Those bytes leave
		// the buffer, so that the file's position stays where the first
		// buffered byte belongs and a later Flush writes each byte once.
		if (written > 0) {
			fBufferFill -= static_cast<uint32>(written);
			memmove(fBuffer.get(), fBuffer.get() + written, fBufferFill);
		}
		return B_FILE_ERROR;
	}

	if (fBufferFill != 0) {
		// A stale buffer: its full-size write fell short, and BufferedWrite
		// answered a count that leaves out every buffered byte that did not
		// reach the file. The file's position already follows the last byte
		// that did, which is where that count puts the end of the data, so
		// the buffer is dropped and the position stays. Moving by the fill
		// instead would overwrite written data (backwards) or leave a hole
		// (forwards), and could not work on a pipe.
		fBufferFill = 0;
		return B_OK;
	}
	return B_OK;
}

BPrivate::Failure
PlainBufferedFile::WriteFailure() const
{
	if (!fLastFailure)
		return fLastFailure.Error();
	if (!IsWritable())
		return BPrivate::Failure::FromSystem(EBADF, "write", fPath.c_str());
	BPrivate::Failure failure(B_IO_ERROR);
	failure.path = fPath;
	return failure;
}

BPrivate::Result<void>
PlainBufferedFile::FlushOrFail()
{
	if (Flush() != B_OK)
		return WriteFailure();
	return {};
}

BPrivate::Result<void>
PlainBufferedFile::WriteThrough(const void* data, size_t size)
{
	if (Flush() != B_OK || !IsWritable())
		return WriteFailure();
	if (size != 0 && WriteToFile(data, size) != static_cast<ssize_t>(size))
		return WriteFailure();
	return {};
}

ssize_t
PlainBufferedFile::Read(void* buffer, size_t size)
{
	if (Flush() != B_OK)
		return 0;
	return BFile::Read(buffer, size);
}

ssize_t
PlainBufferedFile::ReadAt(off_t position, void* buffer, size_t size)
{
	if (Flush() != B_OK)
		return 0;
	return BFile::ReadAt(position, buffer, size);
}

ssize_t
PlainBufferedFile::Write(const void* buffer, size_t size)
{
	if (Flush() != B_OK)
		return 0;
	return BFile::Write(buffer, size);
}

ssize_t
PlainBufferedFile::WriteAt(off_t position, const void* buffer, size_t size)
{
	if (Flush() != B_OK)
		return 0;
	return BFile::WriteAt(position, buffer, size);
}

off_t
PlainBufferedFile::Seek(off_t position, uint32 seekMode)
{
	if (Flush() != B_OK)
		return B_FILE_ERROR;
	return BFile::Seek(position, seekMode);
}

status_t
PlainBufferedFile::SetSize(off_t size)
{
	if (Flush() != B_OK)
		return B_FILE_ERROR;
	return BFile::SetSize(size);
}
