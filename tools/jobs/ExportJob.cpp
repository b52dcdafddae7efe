// SPDX-License-Identifier: MIT
#include "ExportJob.h"

#include "EmbedWriter.h"
#include "StandaloneText.h"
#include "export/ImageIdentifier.h"
#include "tools/options/ImageInput.h"
#include "tools/options/PrintableName.h"
#include "WriteFailures.h"
#include "export/LeafName.h"
#include "export/BitmapConversion.h"
#include "export/BitmapSourceExport.h"
#include <ColorMapDither.h>
#include "export/FormatBitmapSource.h"
#include "export/FramedSource.h"
#include <SpaceConversion.h>

#include <TranslationUtils.h>

using BPrivate::Failure;
using BPrivate::Result;
using WriteFailures::CannotWrite;

namespace {

const char* const kProgram = "quillpix-export";

// Replaces `bitmap` by its conversion into `space` unless it is in it
// already, a B_CMAP8 target dithered by `dither`; false when the new bitmap
// cannot be made.
bool
ConvertTo(
	std::unique_ptr<BBitmap>& bitmap, color_space space, DitherKind dither = DitherKind::kNone)
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

// The standalone text of `bitmap` as the frame around its items.
SourceFrame
StandaloneFrame(const BBitmap& bitmap, const std::string& image, const char* iconName)
{
	BRect bounds = bitmap.Bounds();
	EmbeddedImage facts = {image, iconName, "", "", bitmap.BitsLength(), 0,
		bounds.IntegerWidth() + 1, bounds.IntegerHeight() + 1, bitmap.BytesPerRow(),
		int32(bitmap.ColorSpace())};
	return {StandaloneText::TextHead(facts), StandaloneText::TextTail(facts)};
}

} // namespace

ExportJob::ExportJob(const std::string& image, const ExportOptions& options)
	: fImage(image), fOptions(options)
{ }

ExportJob::~ExportJob() = default;

void
ExportJob::Report(const std::string& line)
{
	fMessages += kProgram;
	fMessages += ": ";
	fMessages += line;
	fMessages += '\n';
}

// Decoding runs here, on the job's worker, beside the other workers'.
BPrivate::Result<std::unique_ptr<BBitmap>>
ExportJob::ReadImage()
{
	BPrivate::ReadFacts facts;
	BPrivate::Result<std::unique_ptr<BBitmap>> read = ImageInput::Read(fImage, &facts);
	fKeepsColorSpace = facts.namesColorSpace;
	return read;
}

bool
ExportJob::Prepare()
{
	BPrivate::Result<std::unique_ptr<BBitmap>> read = ReadImage();
	if (read)
		fBitmap = std::move(read.Value());
	if (!fBitmap || !fBitmap->IsValid()) {
		// A reading that answers no usable bitmap and no reason is taken for
		// a file that is not an image.
		const BPrivate::Failure failure = read ? BPrivate::Failure(B_NO_TRANSLATOR) : read.Error();
		Report(BPrivate::DescribeReadFailure(failure, ImageInput::MessageName(fImage).c_str()));
		return false;
	}
	const color_space wanted = fOptions.TargetColorSpace();
	bool converted;
	if (wanted == B_NO_COLOR_SPACE || wanted == B_RGB32 || wanted == B_CMAP8) {
		// First what an image window holds (B_CMAP8 stays, anything else
		// becomes B_RGB32, but a text read back keeps the space it was
		// written in), then the colour space asked for, as the window's menu
		// would.
		const color_space held = fKeepsColorSpace || fBitmap->ColorSpace() == B_CMAP8
			? fBitmap->ColorSpace()
			: B_RGB32;
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
		Report(ImageInput::MessageName(fImage)
			+ ": cannot convert image: " + status_text(B_NO_MEMORY));
		return false;
	}
	return true;
}

void
ExportJob::Run()
{
	if (Cancelled() || !Prepare()) {
		fBitmap.reset();
		return;
	}

	if (fOptions.EmbedHeader() != nullptr) {
		Conclude(WriteEmbedded(
			fOptions.IconName() != nullptr ? fOptions.IconName() : ImageIdentifier::For(fImage)));
		fBitmap.reset();
		return;
	}

	const bool toFile = !fOptions.ToStandardOutput();
	const std::string output = fOptions.Output() != nullptr ? fOptions.Output() : fImage + ".h";
	const std::string identifier = ImageIdentifier::For(fImage);
	const char* iconName = fOptions.IconName();
	if (iconName == nullptr)
		iconName = toFile ? LeafName(output.c_str()) : identifier.c_str();
	if (!fOptions.Quiet() && !ImageIdentifier::IsIdentifier(iconName)) {
		Report("warning: icon name \"" + PrintableName(iconName)
			+ "\" is not a valid C++ identifier; the source written to "
			+ (toFile ? PrintableName(output) : std::string("standard output"))
			+ " will not compile as it is");
	}
	if (!toFile) {
		// The text goes out in argument order, from the caller's thread.
		fSucceeded = true;
		return;
	}

	SourceExportOptions exportOptions{iconName, fCancel};
	SourceFrame frame;
	if (fOptions.Standalone()) {
		frame = StandaloneFrame(*fBitmap, fImage, iconName);
		exportOptions.frame = &frame;
	}
	exportOptions.progress = [this](int64 writtenSoFar, int64 total) {
		fDone.store(
			total > 0 ? double(writtenSoFar) / double(total) : 0, std::memory_order_relaxed);
	};
	Result<void> written = ExportBitmapSource(fBitmap.get(), output.c_str(), exportOptions);
	Conclude(written ? written : CannotWrite(output, written.Error()));
	fBitmap.reset();
}

void
ExportJob::Conclude(const Result<void>& written)
{
	fSucceeded = written.Ok();
	if (!written && written.Error().status != B_INTERRUPTED)
		Report(written.Error().detail);
}

// The build form: written as build outputs are, without the syncs and the
// keeping of owners and modes that a person's file gets.
Result<void>
ExportJob::WriteEmbedded(const std::string& name)
{
	const char* imageName = fOptions.EmbedImageName();
	EmbedWriter writer({imageName != nullptr ? imageName : fImage, name, fOptions.EmbedScope(),
						   fOptions.Standalone()},
		{fOptions.EmbedHeader(), fOptions.EmbedSource(), fOptions.EmbedData()},
		fOptions.Compression());
	return writer.Write(*fBitmap, fCancel);
}

void
ExportJob::WriteTo(const Result<PlainBufferedFile*>& output, const ItemWriter& writeItems)
{
	if (!fSucceeded || !fBitmap)
		return;
	Result<void> written = output ? WriteText(*output.Value(), writeItems)
								  : Result<void>(output.Error());
	// A cancel stops the text wherever it was: whatever failed then is not
	// told.
	if (!written && Cancelled())
		written = Failure(B_INTERRUPTED);
	Conclude(written ? written : CannotWrite("standard output", written.Error()));
	fBitmap.reset();
}

Result<void>
ExportJob::WriteText(PlainBufferedFile& output, const ItemWriter& writeItems)
{
	const std::string identifier = ImageIdentifier::For(fImage);
	const char* iconName = fOptions.IconName() != nullptr ? fOptions.IconName()
														  : identifier.c_str();
	const uint8* bytes = static_cast<const uint8*>(fBitmap->Bits());
	const int32 count = fBitmap->BitsLength();
	BRect bounds = fBitmap->Bounds();

	// The few pieces around the items go through the output's buffer, the
	// items come as formatted blocks; the first failure stops the text and
	// is the one told. The buffer is flushed whatever happened, so that what
	// was written so far goes out before the next image's text.
	Result<void> written;
	auto put = [this, &output, &written](const char* piece, size_t length) {
		written = Cancelled() ? Result<void>(Failure(B_INTERRUPTED))
							  : WriteFailures::WriteOut(output, piece, length);
		return written.Ok();
	};
	if (count <= 0)
		return Failure(B_BAD_VALUE);
	if (fOptions.Standalone()) {
		const SourceFrame frame = StandaloneFrame(*fBitmap, fImage, iconName);
		char closing[SourceText::kClosingByteLength];
		SourceText::FormatClosingByte(closing, bytes[count - 1]);
		if (put(frame.head.data(), frame.head.size())) {
			written = writeItems(bytes, count - 1);
			if (written && put(closing, sizeof(closing)))
				put(frame.tail.data(), frame.tail.size());
		}
	} else if (SourceText::PutHead(iconName, count, put)) {
		written = writeItems(bytes, count - 1);
		if (written) {
			SourceText::PutTail(iconName, bounds.left, bounds.top, bounds.right, bounds.bottom,
				fBitmap->ColorSpace(), bytes[count - 1], put);
		}
	}
	Result<void> flushed = WriteFailures::FlushOut(output);
	return written ? flushed : written;
}
