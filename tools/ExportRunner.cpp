#include "ExportRunner.h"

#include "WriteFailures.h"

#include <algorithm>
#include <cerrno>
#include <system_error>
#include <thread>
#include <utility>

namespace {

constexpr std::chrono::seconds kProgressDelay(1);
constexpr std::chrono::milliseconds kProgressInterval(200);

} // namespace

ExportRunner::ExportRunner(const ExportOptions& options, FILE* messages, FILE* output,
	Progress progress, JobFactory factory)
	:
	fOptions(options),
	fMessages(messages),
	fOutput(output),
	fProgress(options.Quiet() ? Progress::kHidden : progress),
	fFactory(std::move(factory))
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
	fStarted.assign(fJobs.size(), Clock::time_point());

	if (threads == 0)
		threads = std::max(1u, std::thread::hardware_concurrency());
	threads = static_cast<unsigned>(std::min<size_t>(threads, fJobs.size()));
	// Each worker reads the next image while the texts before it go out.
	fLead = fOptions.ToStandardOutput() ? std::max(size_t(threads), size_t(1)) : fJobs.size();
	if (fOptions.ToStandardOutput())
		fChunks = std::make_unique<ItemChunks>(std::max(size_t(threads), size_t(1)) * 2 + 2);

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
		if (workers.empty()) {
			// No thread could be started: the jobs run here, one by one.
			fJobs[index]->Run();
		} else {
			WaitFor(index);
		}
		ExportJob& job = *fJobs[index];
		if (fOptions.ToStandardOutput()) {
			job.WriteTo(fOutput,
				[this](const uint8* bytes, int32 end) { return WriteItems(bytes, end); });
		}
		fputs(job.Messages().c_str(), fMessages);
		fflush(fMessages);
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
	return allWritten;
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
		fChanged.wait(lock, [this] {
			return fClosing || CanStartJob() || (fChunks && fChunks->Waiting());
		});
		// Reading the next image comes first: the chunks of the text being
		// written have the other workers, and the calling thread.
		if (CanStartJob()) {
			size_t index = fNextJob++;
			fStarted[index] = Clock::now();
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
	while (!fChunks->Finished()) {
		if (Cancelled()) {
			written = BPrivate::Failure(B_INTERRUPTED);
			break;
		}
		if (const ItemChunks::Chunk* chunk = fChunks->Next()) {
			// The chunk at the front stays where it is until Release.
			lock.unlock();
			errno = 0;
			size_t put = fwrite(chunk->block.get(), 1, chunk->length, fOutput);
			int writeError = errno;
			lock.lock();
			if (put != chunk->length) {
				written = WriteFailures::StreamFailure(writeError);
				break;
			}
			fChunks->Release();
			fChanged.notify_all();
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
		if (fProgress == Progress::kHidden) {
			fChanged.wait(lock);
			continue;
		}
		fChanged.wait_for(lock, kProgressInterval);
		if (fFinished[index] || fStarted[index] == Clock::time_point())
			continue;
		Clock::duration elapsed = Clock::now() - fStarted[index];
		if (elapsed >= kProgressDelay)
			ShowProgress(index, elapsed);
	}
	lock.unlock();
	ClearProgress();
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
ExportRunner::ShowProgress(size_t index, Clock::duration elapsed)
{
	const ExportJob& job = *fJobs[index];
	long seconds = static_cast<long>(
		std::chrono::duration_cast<std::chrono::seconds>(elapsed).count());
	// Back to the line's start, the text, and the rest of the line wiped.
	fprintf(fMessages, "\rquillpix-export: %s %s (image %zu of %zu, %ld s)\033[K",
		ExportJob::StageName(job.CurrentStage()), job.Image().c_str(), index + 1,
		fJobs.size(), seconds);
	fflush(fMessages);
	fProgressShown = true;
}

void
ExportRunner::ClearProgress()
{
	if (!fProgressShown)
		return;
	fputs("\r\033[K", fMessages);
	fflush(fMessages);
	fProgressShown = false;
}
