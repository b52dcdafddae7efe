// SPDX-License-Identifier: MIT
#include "ExportRunner.h"

#include "tools/options/ImageInput.h"
#include "WriteFailures.h"

#include <algorithm>
#include <system_error>
#include <thread>
#include <utility>

ExportRunner::ExportRunner(const ExportOptions& options, FILE* messages, FILE* output,
	Progress progress, JobFactory factory)
	: fOptions(options), fMessages(messages), fOutput(output),
	  fProgress(options.Quiet() ? Progress::kHidden : progress), fFactory(std::move(factory))
{
	if (!fFactory) {
		fFactory = [](const std::string& image, const ExportOptions& jobOptions) {
			return std::make_unique<ExportJob>(image, jobOptions);
		};
	}
}

ExportRunner::~ExportRunner() = default;

bool
ExportRunner::Run(unsigned threads)
{
	for (const std::string& image : fOptions.Images()) {
		fJobs.push_back(fFactory(image, fOptions));
		fJobs.back()->SetCancel(fCancel);
	}
	fFinished.assign(fJobs.size(), false);
	if (fProgress == Progress::kOnTerminal)
		fProgressLine = std::make_unique<ProgressLine>(fMessages, Clock::now());

	if (threads == 0)
		threads = std::max(1u, std::thread::hardware_concurrency());
	threads = static_cast<unsigned>(std::min<size_t>(threads, fJobs.size()));
	// Each worker reads an image of its own ahead while the text before them
	// goes out: the one being written and one more per worker.
	fLead = fOptions.ToStandardOutput() ? std::max(size_t(threads), size_t(1)) + 1 : fJobs.size();
	if (fOptions.ToStandardOutput()) {
		fChunks = std::make_unique<ItemChunks>(std::max(size_t(threads), size_t(1)) * 2 + 2);
		OpenStandardOutput();
	}

	std::vector<std::thread> workers;
	for (unsigned i = 0; i < threads; i++) {
		try {
			workers.emplace_back(&ExportRunner::Work, this);
		} catch (const std::system_error&) {
			break;
		}
	}

	bool allWritten = true;
	for (size_t index = 0; index < fJobs.size(); index++) {
		fCurrent = index;
		ShowProgress(index);
		if (workers.empty()) {
			// No thread could be started: the jobs run here, one by one.
			fJobs[index]->Run();
		} else {
			WaitFor(index);
		}
		ExportJob& job = *fJobs[index];
		if (fOptions.ToStandardOutput()) {
			job.WriteTo(fStandardText,
				[this](const uint8* bytes, int32 end) { return WriteItems(bytes, end); });
		}
		if (!job.Messages().empty()) {
			ClearProgress();
			fputs(job.Messages().c_str(), fMessages);
			fflush(fMessages);
		}
		allWritten = job.Succeeded() && allWritten;
		Finish(index);
	}

	{
		std::lock_guard<std::mutex> lock(fLock);
		fClosing = true;
	}
	fChanged.notify_all();
	for (std::thread& worker : workers)
		worker.join();
	fStandardText = BPrivate::Failure(B_NO_INIT);
	fStandard.reset();
	ClearProgress();
	return allWritten;
}

void
ExportRunner::OpenStandardOutput()
{
	// Whatever the stream holds goes out before the texts.
	fflush(fOutput);
	fStandard = std::make_unique<FileReplacer>("/dev/stdout", kStandardBufferSize);
	BPrivate::Result<void> begun = fStandard->BeginHeld(fileno(fOutput));
	if (begun)
		fStandardText = &fStandard->TextFile();
	else
		fStandardText = begun.TakeError();
}

bool
ExportRunner::CanStartJob() const
{
	return fNextJob < fJobs.size() && fNextJob < fPrinted + fLead;
}

void
ExportRunner::Work()
{
	std::unique_lock<std::mutex> lock(fLock);
	for (;;) {
		fChanged.wait(
			lock, [this] { return fClosing || CanStartJob() || (fChunks && fChunks->Waiting()); });
		// Reading the next image comes first: the chunks of the text being
		// written have the other workers, and the calling thread.
		if (CanStartJob()) {
			size_t index = fNextJob++;
			lock.unlock();
			fJobs[index]->Run();
			lock.lock();
			fFinished[index] = true;
			fChanged.notify_all();
		} else if (ItemChunks::Chunk* chunk = fChunks ? fChunks->Claim() : nullptr) {
			lock.unlock();
			ItemChunks::Format(*chunk);
			lock.lock();
			fChunks->Done(*chunk);
			fChanged.notify_all();
		} else if (fClosing) {
			return;
		}
	}
}

// Runs on the calling thread, with the image's bitmap unchanged until it
// returns.
BPrivate::Result<void>
ExportRunner::WriteItems(const uint8* bytes, int32 end)
{
	std::unique_lock<std::mutex> lock(fLock);
	fChunks->Start(bytes, end);
	fChanged.notify_all();
	BPrivate::Result<void> written;
	int32 itemsOut = 0;
	while (!fChunks->Finished()) {
		if (Cancelled()) {
			written = BPrivate::Failure(B_INTERRUPTED);
			break;
		}
		if (const ItemChunks::Chunk* chunk = fChunks->Next()) {
			// The chunk at the front stays where it is until Release.
			lock.unlock();
			written = WriteFailures::WriteOut(
				*fStandardText.Value(), chunk->block.get(), chunk->length);
			lock.lock();
			if (!written)
				break;
			itemsOut = chunk->end;
			fChunks->Release();
			fChanged.notify_all();
			if (fProgressLine) {
				lock.unlock();
				ShowProgress(fCurrent, end > 0 ? double(itemsOut) / end : 0);
				lock.lock();
			}
		} else if (ItemChunks::Chunk* waiting = fChunks->Claim()) {
			// Nothing to write yet: this thread formats a chunk as well.
			lock.unlock();
			ItemChunks::Format(*waiting);
			lock.lock();
			fChunks->Done(*waiting);
		} else {
			fChanged.wait(lock);
		}
	}
	if (!fChunks->Finished()) {
		// The chunks being formatted read the bytes: they end first.
		fChunks->Stop();
		fChanged.wait(lock, [this] { return fChunks->Idle(); });
	}
	return written;
}

void
ExportRunner::WaitFor(size_t index)
{
	std::unique_lock<std::mutex> lock(fLock);
	while (!fFinished[index]) {
		if (!fProgressLine) {
			fChanged.wait(lock);
			continue;
		}
		fChanged.wait_for(lock, ProgressLine::kInterval);
		if (fFinished[index])
			break;
		lock.unlock();
		// The job stays until Finish, on this thread; a file output tells
		// how much of it is written.
		ShowProgress(index, fJobs[index]->Done());
		lock.lock();
	}
}

void
ExportRunner::Finish(size_t index)
{
	// The job's text and messages are out; what it held can go.
	std::unique_ptr<ExportJob> job;
	{
		std::lock_guard<std::mutex> lock(fLock);
		fPrinted = index + 1;
		job = std::move(fJobs[index]);
		fJobs[index] = nullptr;
	}
	fChanged.notify_all();
}

void
ExportRunner::ShowProgress(size_t index, double done)
{
	if (!fProgressLine)
		return;
	const size_t total = fOptions.Images().size();
	const int percent = int(100 * (double(index) + done) / double(total));
	fProgressLine->Show(
		Clock::now(), index + 1, total, ImageInput::MessageName(fOptions.Images()[index]), percent);
}

void
ExportRunner::ClearProgress()
{
	if (fProgressLine)
		fProgressLine->Erase();
}
