#include "ExportRunner.h"

#include <algorithm>
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
	fLead = fOptions.ToStandardOutput() ? size_t(threads) * 2 : fJobs.size();

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
		if (fOptions.ToStandardOutput())
			job.WriteTo(fOutput);
		fputs(job.Messages().c_str(), fMessages);
		fflush(fMessages);
		allWritten = job.Succeeded() && allWritten;
		Finish(index);
	}

	for (std::thread& worker : workers)
		worker.join();
	return allWritten;
}

void
ExportRunner::Work()
{
	std::unique_lock<std::mutex> lock(fLock);
	for (;;) {
		fChanged.wait(lock, [this] {
			return fNextJob >= fJobs.size() || fNextJob < fPrinted + fLead;
		});
		if (fNextJob >= fJobs.size())
			return;
		size_t index = fNextJob++;
		fStarted[index] = Clock::now();
		lock.unlock();
		fJobs[index]->Run();
		lock.lock();
		fFinished[index] = true;
		fChanged.notify_all();
	}
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
