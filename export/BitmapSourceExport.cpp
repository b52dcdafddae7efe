// SPDX-License-Identifier: MIT
#include "BitmapSourceExport.h"

#include "FormatBitmapSource.h"
#include "FramedSource.h"
#include "export/LeafName.h"
#include "io/FileReplacer.h"
#include "io/PlainBufferedFile.h"

#include <NodeInfo.h>

#include <cstring>

using BPrivate::Failure;
using BPrivate::Result;

namespace {

// The text reaches the file in writes of this size: each write costs a
// system call and a trip through the file system, so a larger one moves the
// text at the speed of the disk rather than of the calls.
constexpr uint32 kBufferSize = uint32(256) << 10;
constexpr const char* kSourceType = "text/x-source-code";
// How much text reaches a new file before its way to the disk is started.
constexpr size_t kWriteBehind = size_t(8) << 20;

// How often an export with a progress callback calls it.
constexpr int64 kProgressStep = int64(1) << 20;

struct Source {
	const BBitmap* bitmap;
	const char* iconName;
};

// Counts the bytes the text has put and calls the export's progress
// callback each time another step of them is done.
struct ProgressCount {
	const std::function<void(int64, int64)>* callback;
	int64 total;
	int64 written = 0;
	int64 next = kProgressStep;

	void Add(size_t length)
	{
		written += static_cast<int64>(length);
		if (written >= next && *callback) {
			(*callback)(written, total);
			// The next whole step, however large the piece that passed this one.
			next = (written / kProgressStep + 1) * kProgressStep;
		}
	}
};

// The buffered file's consumer, counting what it takes for the progress
// callback.
struct CountingConsumer {
	BufferedFileConsumer file;
	ProgressCount& progress;

	bool Cancelled() const { return file.Cancelled(); }
	ssize_t operator()(const char* piece, size_t length) const
	{
		ssize_t taken = file(piece, length);
		if (taken > 0)
			progress.Add(static_cast<size_t>(taken));
		return taken;
	}
	char* Room(size_t& length) const { return file.Room(length); }
	void Take(size_t length) const
	{
		file.Take(length);
		progress.Add(length);
	}
};

int64
TextLength(const Source& source, const SourceExportOptions& options)
{
	if (options.frame != nullptr)
		return FramedSourceLength(*options.frame, source.bitmap->BitsLength());
	BRect bounds = source.bitmap->Bounds();
	return BitmapSourceLength(source.iconName, bounds.left, bounds.top, bounds.right, bounds.bottom,
		source.bitmap->ColorSpace(), source.bitmap->BitsLength());
}

Result<void>
WriteText(PlainBufferedFile& file, const Source& source, const SourceExportOptions& options)
{
	BRect bounds = source.bitmap->Bounds();
	ProgressCount progress{&options.progress, TextLength(source, options)};
	CountingConsumer consumer{{file, options.cancel}, progress};
	const uint8* bytes = static_cast<const uint8*>(source.bitmap->Bits());
	bool written = options.frame != nullptr
		? FormatFramedSource(*options.frame, bytes, source.bitmap->BitsLength(), consumer)
		: FormatBitmapSource(source.iconName, bounds.left, bounds.top, bounds.right, bounds.bottom,
			source.bitmap->ColorSpace(), bytes, source.bitmap->BitsLength(), consumer);
	if (consumer.Cancelled())
		return Failure(B_INTERRUPTED);
	if (!written)
		return consumer.file.failure ? Result<void>(file.WriteFailure()) : consumer.file.failure;
	Result<void> flushed = file.FlushOrFail();
	if (flushed && options.progress)
		options.progress(progress.written, progress.total);
	return flushed;
}

} // namespace

Result<void>
ExportBitmapSource(
	const BBitmap* bitmap, const char* documentName, const SourceExportOptions& options)
{
	if (bitmap == nullptr || bitmap->Bits() == nullptr || bitmap->BitsLength() <= 0
		|| documentName == nullptr || documentName[0] == '\0') {
		return Failure(B_BAD_VALUE);
	}
	Source source = {
		bitmap, options.iconName != nullptr ? options.iconName : LeafName(documentName)};

	FileReplacer replacer(documentName, kBufferSize);
	Result<void> result = replacer.Begin();
	if (!result)
		return result;
	PlainBufferedFile& file = replacer.TextFile();
	if (replacer.WritesNewFile()) {
		// Knowing the text's length, a new file gets its size first: growing
		// it write by write costs the file system several times more.
		file.SetSize(TextLength(source, options));
		file.SetWriteBehind(kWriteBehind);
	}

	result = WriteText(file, source, options);
	if (!result) {
		// The text's failure is the one to tell; the old file is put back
		// as well as it can be.
		(void)replacer.Abort();
		return result;
	}
	result = replacer.Commit();
	if (!result)
		return result;
	if (replacer.WritesDocument()) {
		BNodeInfo info(&replacer.TextFile());
		info.SetType(kSourceType);
	}
	return {};
}
