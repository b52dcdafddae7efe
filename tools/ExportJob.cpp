#include "ExportJob.h"

#include "EmbedWriter.h"
#include "ImageIdentifier.h"
#include "document/LeafName.h"
#include "image/BitmapConversion.h"
#include "image/BitmapSourceExport.h"
#include "image/FormatBitmapSource.h"

#include <TranslationUtils.h>

#include <cerrno>
#include <cstdarg>
#include <cstring>

namespace {

const char* const kProgram = "quillpix-export";

// Replaces `bitmap` by its conversion into `space` unless it is in it
// already; false when the new bitmap cannot be made.
bool
ConvertTo(std::unique_ptr<BBitmap>& bitmap, color_space space)
{
	if (bitmap->ColorSpace() == space)
		return true;
	bitmap = ConvertedBitmap(*bitmap, space);
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
BBitmap*
ExportJob::ReadImage(BTranslationFailure* failure)
{
	return BTranslationUtils::GetBitmapFile(fImage.c_str(), nullptr, failure);
}

bool
ExportJob::Prepare()
{
	fStage = Stage::kReading;
	BTranslationFailure failure;
	fBitmap.reset(ReadImage(&failure));
	if (!fBitmap || !fBitmap->IsValid()) {
		if (failure.status == B_OK)
			failure.status = B_NO_TRANSLATOR;
		Report("%s", failure.Describe(fImage.c_str()).c_str());
		return false;
	}
	// First what an image window holds (B_CMAP8 stays, anything else becomes
	// B_RGB32), then the colour space asked for, as the window's menu would.
	fStage = Stage::kConverting;
	color_space held = fBitmap->ColorSpace() == B_CMAP8 ? B_CMAP8 : B_RGB32;
	color_space wanted = held;
	if (fOptions.TargetColorSpace() == ExportOptions::ColorSpace::kRgb32)
		wanted = B_RGB32;
	else if (fOptions.TargetColorSpace() == ExportOptions::ColorSpace::kCmap8)
		wanted = B_CMAP8;
	if (!ConvertTo(fBitmap, held) || !ConvertTo(fBitmap, wanted)) {
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
		WriteEmbedded(fOptions.IconName() != nullptr ? fOptions.IconName()
			: ImageIdentifier::For(fImage));
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
	status_t status = B_OK;
	fSucceeded = ExportBitmapSource(fBitmap.get(), output.c_str(), iconName, &status, fCancel);
	if (!fSucceeded && status != B_INTERRUPTED)
		Report("cannot write %s: %s", output.c_str(), status_text(status));
	fBitmap.reset();
	fStage = Stage::kDone;
}

// The build form: written as build outputs are, without the syncs and the
// keeping of owners and modes that a person's file gets.
void
ExportJob::WriteEmbedded(const std::string& name)
{
	EmbedWriter writer(fImage, name, {fOptions.EmbedHeader(), fOptions.EmbedSource(),
		fOptions.EmbedData()});
	status_t status = writer.Write(*fBitmap, fCancel);
	fSucceeded = status == B_OK;
	if (!fSucceeded && status != B_INTERRUPTED)
		Report("cannot write %s: %s", writer.FailedFile().c_str(), status_text(status));
}

void
ExportJob::WriteTo(FILE* stream)
{
	if (!fSucceeded || !fBitmap)
		return;
	fStage = Stage::kWriting;
	const std::string identifier = ImageIdentifier::For(fImage);
	const char* iconName = fOptions.IconName() != nullptr ? fOptions.IconName()
		: identifier.c_str();
	BRect bounds = fBitmap->Bounds();
	errno = 0;
	bool written = FormatBitmapSource(iconName, bounds.left, bounds.top, bounds.right,
		bounds.bottom, fBitmap->ColorSpace(), static_cast<const uint8*>(fBitmap->Bits()),
		fBitmap->BitsLength(), [this, stream](const char* piece, size_t length) {
			if (Cancelled())
				return ssize_t(-1);
			return static_cast<ssize_t>(fwrite(piece, 1, length, stream));
		});
	if (fflush(stream) != 0)
		written = false;
	if (!written && Cancelled()) {
		fSucceeded = false;
	} else if (!written) {
		Report("cannot write standard output: %s",
			errno != 0 ? strerror(errno) : "Write error");
		fSucceeded = false;
	}
	fBitmap.reset();
	fStage = Stage::kDone;
}
