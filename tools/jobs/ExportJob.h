// SPDX-License-Identifier: MIT
#pragma once

// One image of a quillpix-export call: reading it, bringing its bitmap into
// the colour space an image window would hold (or the one asked for), and
// writing the text. The job keeps its messages instead of printing them, so
// that the caller can print the messages of all images in argument order.
//
// Thread rules: Run runs on one worker thread. WriteTo, Succeeded and
// Messages are for the thread that orders the output, once Run has returned
// (the caller's lock makes that visible).

#include "tools/options/ExportOptions.h"

#include <Bitmap.h>
#include <Result.h>
#include <TranslationUtils.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>

class PlainBufferedFile;

class ExportJob {
public:
	ExportJob(const std::string& image, const ExportOptions& options);
	virtual ~ExportJob();

	ExportJob(const ExportJob&) = delete;
	ExportJob& operator=(const ExportJob&) = delete;

	// Reads and converts the image; when the output is a file, writes it too.
	virtual void Run();
	// Writes the items of bytes[0] to bytes[end - 1] to the output, in
	// order; succeeds when they all went out, fails with B_INTERRUPTED when
	// the export was cancelled, or with the output's failure (see
	// WriteFailures::WriteOut).
	using ItemWriter = std::function<BPrivate::Result<void>(const uint8* bytes, int32 end)>;

	// Writes the text to `output` (standard output, or why it could not be
	// opened), after a successful Run that left the text for the caller: the
	// pieces around the items through the output's buffer, the items
	// through `writeItems`, which may have them formatted on other threads;
	// the buffer is flushed at the end. Releases the bitmap.
	void WriteTo(const BPrivate::Result<PlainBufferedFile*>& output, const ItemWriter& writeItems);

	// A flag that, once true, makes the job stop writing and leave its
	// output file as it was. Set before Run.
	void SetCancel(const std::atomic<bool>* cancel) { fCancel = cancel; }
	bool Cancelled() const
	{
		return fCancel != nullptr && fCancel->load(std::memory_order_relaxed);
	}

	// How much of the job's output file has been written, from 0 to 1; any
	// thread may ask while the job runs.
	double Done() const { return fDone.load(std::memory_order_relaxed); }

	bool Succeeded() const { return fSucceeded; }
	const std::string& Messages() const { return fMessages; }
	const std::string& Image() const { return fImage; }

protected:
	// Reads the image into a new bitmap, or answers why it could not. Runs
	// on the job's worker thread; a test may stand in here to hold the job
	// up.
	virtual BPrivate::Result<std::unique_ptr<BBitmap>> ReadImage();

private:
	// Adds one line, the program's name before it.
	void Report(const std::string& line);
	bool Prepare();
	BPrivate::Result<void> WriteEmbedded(const std::string& name);
	BPrivate::Result<void> WriteText(PlainBufferedFile& output, const ItemWriter& writeItems);
	// Records how the writing went; a failure other than a cancel is
	// reported with its sentence.
	void Conclude(const BPrivate::Result<void>& written);

	const std::string fImage;
	const ExportOptions& fOptions;
	std::unique_ptr<BBitmap> fBitmap;
	// The image was a text read back, whose colour space is kept.
	bool fKeepsColorSpace = false;
	std::string fMessages;
	bool fSucceeded = false;
	const std::atomic<bool>* fCancel = nullptr;
	std::atomic<double> fDone{0};
};
