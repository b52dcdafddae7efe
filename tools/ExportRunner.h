#pragma once

// Runs the jobs of one quillpix-export call: the images are read,
// converted and (to files) written on a pool of worker threads, one per
// core, each image wholly on one worker, while the calling thread prints each image's messages, and writes its text when
// the output is standard output, strictly in the order of the arguments.
//
// On a terminal, while the calling thread waits for an image that has taken
// more than a second, a progress line on the message stream names it; the
// line is wiped before anything else is printed there.
//
// Thread rules: Run is called once, from one thread; it joins its workers
// before it returns. Everything shared with the workers is under fLock.

#include "ExportJob.h"
#include "ExportOptions.h"

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
	enum class Progress { kHidden, kOnTerminal };

	using JobFactory = std::function<std::unique_ptr<ExportJob>(const std::string& image,
		const ExportOptions& options)>;

	// Messages go to `messages`, texts for "-o -" to `output`. The jobs are
	// made by `factory`; by default plain ExportJobs.
	ExportRunner(const ExportOptions& options, FILE* messages, FILE* output,
		Progress progress, JobFactory factory = nullptr);
	~ExportRunner();

	// A flag that, once true, stops the export: images not begun are left
	// out and the one being written leaves its file as it was.
	void SetCancel(const std::atomic<bool>* cancel) { fCancel = cancel; }

	// True when every image was written. `threads` is the largest number of
	// workers; 0 means one per core.
	bool Run(unsigned threads = 0);

private:
	using Clock = std::chrono::steady_clock;

	void Work();
	void WaitFor(size_t index);
	void Finish(size_t index);
	void ShowProgress(size_t index, Clock::duration elapsed);
	void ClearProgress();

	const ExportOptions& fOptions;
	FILE* fMessages;
	FILE* fOutput;
	const Progress fProgress;
	JobFactory fFactory;
	bool fProgressShown = false;
	const std::atomic<bool>* fCancel = nullptr;

	std::vector<std::unique_ptr<ExportJob>> fJobs;

	std::mutex fLock;
	std::condition_variable fChanged;
	size_t fNextJob = 0;
	size_t fPrinted = 0;
	// How far workers may run ahead of the printing, when finished jobs hold
	// their bitmaps for standard output; unbounded otherwise.
	size_t fLead = 0;
	std::vector<bool> fFinished;
	std::vector<Clock::time_point> fStarted;
};
