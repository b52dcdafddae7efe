// SPDX-License-Identifier: MIT
#pragma once

// Runs the jobs of one quillpix-export call: the images are read,
// converted and (to files) written on a pool of worker threads, one per
// core, each image wholly on one worker, while the calling thread prints
// each image's messages strictly in the order of the arguments.
//
// To standard output the calling thread writes the texts, in the same order.
// The workers read and convert the next images meanwhile, a worker's image
// at a time and no more than one image per worker ahead of the one being
// written; and the items of the text being written are formatted in chunks
// by every worker free for it (and by the calling thread while it waits),
// a few chunks per worker at a time. So the memory stays bounded by the
// bitmaps of the image being written and of one image per worker, and
// 2 N + 2 chunk blocks for N workers,
// however many and however large the images are.
//
// On a terminal, a run that has lasted a second shows a progress line on
// the message stream (ProgressLine): the count, the image and how much of
// the run is done; it is wiped before anything else is printed there.
//
// Thread rules: Run is called once, from one thread; it joins its workers
// before it returns. Everything shared with the workers is under fLock.

#include "ExportJob.h"
#include "tools/options/ExportOptions.h"
#include "ItemChunks.h"
#include "ProgressLine.h"
#include "io/FileReplacer.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class ExportRunner {
public:
	enum class Progress {
		kHidden,
		kOnTerminal
	};

	using JobFactory = std::function<std::unique_ptr<ExportJob>(
		const std::string& image, const ExportOptions& options)>;

	// Messages go to `messages`, texts for "-o -" to `output`'s descriptor,
	// written as the name /dev/stdout would be (FileReplacer's held
	// descriptor, at its offset), not through the stream's buffer. The jobs
	// are made by `factory`; by default plain ExportJobs.
	ExportRunner(const ExportOptions& options, FILE* messages, FILE* output, Progress progress,
		JobFactory factory = nullptr);
	~ExportRunner();

	// A flag that, once true, stops the export: images not begun are left
	// out and the one being written leaves its file as it was.
	void SetCancel(const std::atomic<bool>* cancel) { fCancel = cancel; }

	// True when every image was written. `threads` is the largest number of
	// workers; 0 means one per core.
	bool Run(unsigned threads = 0);

private:
	using Clock = std::chrono::steady_clock;
	// Texts reach standard output in writes of this size.
	static constexpr uint32 kStandardBufferSize = uint32(256) << 10;

	void Work();
	bool CanStartJob() const;
	void WaitFor(size_t index);
	BPrivate::Result<void> WriteItems(const uint8* bytes, int32 end);
	bool Cancelled() const
	{
		return fCancel != nullptr && fCancel->load(std::memory_order_relaxed);
	}
	void Finish(size_t index);
	// Sets fStandard and fStandardText up on `output`.
	void OpenStandardOutput();
	// Without the lock: `done` is the share of image `index` already out.
	void ShowProgress(size_t index, double done = 0);
	void ClearProgress();

	const ExportOptions& fOptions;
	FILE* fMessages;
	FILE* fOutput;
	// While Run writes to standard output: the text file on `output`'s
	// descriptor, or why it could not be had.
	std::unique_ptr<FileReplacer> fStandard;
	BPrivate::Result<PlainBufferedFile*> fStandardText = BPrivate::Failure(B_NO_INIT);
	const Progress fProgress;
	JobFactory fFactory;
	// Null when no progress is shown.
	std::unique_ptr<ProgressLine> fProgressLine;
	// The image whose text and messages are printed next.
	size_t fCurrent = 0;
	const std::atomic<bool>* fCancel = nullptr;

	std::vector<std::unique_ptr<ExportJob>> fJobs;

	std::mutex fLock;
	std::condition_variable fChanged;
	size_t fNextJob = 0;
	size_t fPrinted = 0;
	// How far workers may run ahead of the printing, when finished jobs hold
	// their bitmaps for standard output; unbounded otherwise.
	size_t fLead = 0;
	// The items of the text being written to standard output.
	std::unique_ptr<ItemChunks> fChunks;
	// Every job is printed: the workers leave.
	bool fClosing = false;
	std::vector<bool> fFinished;
};
