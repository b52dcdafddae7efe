#include "ExportJob.h"

#include "EmbedWriter.h"
#include "ImageIdentifier.h"
#include "WriteFailures.h"
#include "export/LeafName.h"
#include "export/BitmapConversion.h"
#include "export/BitmapSourceExport.h"
#include <ColorMapDither.h>
#include "export/FormatBitmapSource.h"
#include <SpaceConversion.h>

#include <TranslationUtils.h>

#include <cerrno>
#include <cstdarg>
#include <cstring>

using BPrivate::Failure;
using BPrivate::Result;
using WriteFailures::CannotWrite;

namespace {

const char* const kProgram = "quillpix-export";

// Replaces `bitmap` by its conversion into `space` unless it is in it
// already, a B_CMAP8 target dithered by `dither`; false when the new bitmap
// cannot be made.
bool
ConvertTo(std::unique_ptr<BBitmap>& bitmap, color_space space,
	DitherKind dither = DitherKind::kNone)
{
	if (bitmap->ColorSpace() == space)
		return true;
	if (space == B_CMAP8 && dither != DitherKind::kNone)
		bitmap = DitheredBitmap(*bitmap, dither);
	else {
		BPrivate::Result<std::unique_ptr<BBitmap>> converted = ConvertedBitmap(*bitmap, space);
		bitmap = converted ? std::move(converted).Value() : nullptr;
	}
	return bitmap != nullptr;
}

} // namespace

ExportJob::ExportJob(const std::string& image, const ExportOptions& options)
	:
	fImage(image),
	fOptions(options)
{
}

ExportJob::~ExportJob() = default;

const char*
ExportJob::StageName(Stage stage)
{
	switch (stage) {
		case Stage::kWaiting: return "waiting for";
		case Stage::kReading: return "reading";
		case Stage::kConverting: return "converting";
		case Stage::kWriting: return "writing";
		case Stage::kDone: return "done with";
	}
	return "";
}

void
ExportJob::Report(const char* format, ...)
{
	char line[1024];
	va_list arguments;
	va_start(arguments, format);
	vsnprintf(line, sizeof(line), format, arguments);
	va_end(arguments);
	fMessages += kProgram;
	fMessages += ": ";
	fMessages += line;
	fMessages += '\n';
}

// Decoding runs here, on the job's worker, beside the other workers'.
BPrivate::Result<std::unique_ptr<BBitmap>>
ExportJob::ReadImage()
{
	return BPrivate::ReadBitmapFile(fImage.c_str());
}

bool
ExportJob::Prepare()
{
	fStage = Stage::kReading;
	BPrivate::Result<std::unique_ptr<BBitmap>> read = ReadImage();
	if (read)
		fBitmap = std::move(read.Value());
	if (!fBitmap || !fBitmap->IsValid()) {
		// A reading that answers no usable bitmap and no reason is taken for
		// a file that is not an image.
		const BPrivate::Failure failure = read ? BPrivate::Failure(B_NO_TRANSLATOR)
			: read.Error();
		Report("%s", BPrivate::DescribeReadFailure(failure, fImage.c_str()).c_str());
		return false;
	}
	fStage = Stage::kConverting;
	const color_space wanted = fOptions.TargetColorSpace();
	bool converted;
	if (wanted == B_NO_COLOR_SPACE || wanted == B_RGB32 || wanted == B_CMAP8) {
		// First what an image window holds (B_CMAP8 stays, anything else
		// becomes B_RGB32), then the colour space asked for, as the window's
		// menu would.
		const color_space held = fBitmap->ColorSpace() == B_CMAP8 ? B_CMAP8 : B_RGB32;
		converted = ConvertTo(fBitmap, held)
			&& ConvertTo(fBitmap, wanted == B_NO_COLOR_SPACE ? held : wanted, fOptions.Dither());
	} else if (fBitmap->ColorSpace() != wanted) {
		// The other spaces come from the colour as decoded, partial alpha
		// included.
		fBitmap = BitmapInSpace(*fBitmap, {wanted, fOptions.Dither(), fOptions.Background()});
		converted = fBitmap != nullptr;
	} else {
		converted = true;
	}
	if (!converted) {
		Report("%s: cannot convert image: %s", fImage.c_str(), status_text(B_NO_MEMORY));
		return false;
	}
	return true;
}

void
ExportJob::Run()
{
	if (Cancelled() || !Prepare()) {
		fBitmap.reset();
		fStage = Stage::kDone;
		return;
	}

	if (fOptions.EmbedHeader() != nullptr) {
		fStage = Stage::kWriting;
		Conclude(WriteEmbedded(fOptions.IconName() != nullptr ? fOptions.IconName()
			: ImageIdentifier::For(fImage)));
		fBitmap.reset();
		fStage = Stage::kDone;
		return;
	}

	const bool toFile = !fOptions.ToStandardOutput();
	const std::string output = fOptions.Output() != nullptr ? fOptions.Output() : fImage + ".h";
	const std::string identifier = ImageIdentifier::For(fImage);
	const char* iconName = fOptions.IconName();
	if (iconName == nullptr)
		iconName = toFile ? LeafName(output.c_str()) : identifier.c_str();
	if (!fOptions.Quiet() && !ImageIdentifier::IsIdentifier(iconName)) {
		Report("warning: icon name \"%s\" is not a valid C++ identifier; "
			"the source written to %s will not compile as it is", iconName,
			toFile ? output.c_str() : "standard output");
	}
	if (!toFile) {
		// The text goes out in argument order, from the caller's thread.
		fSucceeded = true;
		return;
	}

	fStage = Stage::kWriting;
	Result<void> written = ExportBitmapSource(fBitmap.get(), output.c_str(), {iconName, fCancel});
	Conclude(written ? written : CannotWrite(output, written.Error()));
	fBitmap.reset();
	fStage = Stage::kDone;
}

void
ExportJob::Conclude(const Result<void>& written)
{
	fSucceeded = written.Ok();
	if (!written && written.Error().status != B_INTERRUPTED)
		Report("%s", written.Error().detail.c_str());
}

// The build form: written as build outputs are, without the syncs and the
// keeping of owners and modes that a person's file gets.
Result<void>
ExportJob::WriteEmbedded(const std::string& name)
{
	const char* imageName = fOptions.EmbedImageName();
	EmbedWriter writer({imageName != nullptr ? imageName : fImage, name, fOptions.EmbedScope()},
		{fOptions.EmbedHeader(), fOptions.EmbedSource(), fOptions.EmbedData()});
	return writer.Write(*fBitmap, fCancel);
}

void
ExportJob::WriteTo(FILE* stream, const ItemWriter& writeItems)
{
	if (!fSucceeded || !fBitmap)
		return;
	fStage = Stage::kWriting;
	Result<void> written = WriteText(stream, writeItems);
	// A cancel stops the text wherever it was: whatever failed then is not
	// told.
	if (!written && Cancelled())
		written = Failure(B_INTERRUPTED);
	Conclude(written ? written : CannotWrite("standard output", written.Error()));
	fBitmap.reset();
	fStage = Stage::kDone;
}

Result<void>
ExportJob::WriteText(FILE* stream, const ItemWriter& writeItems)
{
	const std::string identifier = ImageIdentifier::For(fImage);
	const char* iconName = fOptions.IconName() != nullptr ? fOptions.IconName()
		: identifier.c_str();
	const uint8* bytes = static_cast<const uint8*>(fBitmap->Bits());
	const int32 count = fBitmap->BitsLength();
	BRect bounds = fBitmap->Bounds();

	// The few pieces around the items go through the stream's buffer; the
	// items come as formatted blocks. `error` is what a failed stream write
	// left in errno (-1 for nothing); a failure of the items is their own.
	int error = 0;
	auto put = [this, stream, &error](const char* piece, size_t length) {
		if (Cancelled())
			return false;
		errno = 0;
		if (fwrite(piece, 1, length, stream) == length)
			return true;
		error = errno != 0 ? errno : -1;
		return false;
	};
	Result<void> items;
	bool written = count > 0 && SourceText::PutHead(iconName, count, put);
	if (written) {
		items = writeItems(bytes, count - 1);
		written = items.Ok();
	}
	written = written && SourceText::PutTail(iconName, bounds.left, bounds.top, bounds.right,
		bounds.bottom, fBitmap->ColorSpace(), bytes[count - 1], put);
	if (fflush(stream) != 0) {
		if (written || error == 0)
			error = errno != 0 ? errno : -1;
		written = false;
	}
	if (written)
		return {};
	if (!items)
		return items;
	return WriteFailures::StreamFailure(error);
}
