// SPDX-License-Identifier: MIT
#include "support/XSession.h"

#include "export/BitmapConversion.h"
#include "support/ChildProcess.h"
#include "support/Program.h"
#include "support/Waiting.h"

#include <RetryOnInterrupt.h>
#include <TranslationUtils.h>
#include <UniqueFd.h>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>

extern char** environ;

namespace testsupport {

namespace {

using BPrivate::RetryOnInterrupt;
using BPrivate::UniqueFd;
using Clock = std::chrono::steady_clock;

// The number after `label` in xwininfo's report.
std::optional<int>
NumberAfter(const std::string& text, const std::string& label)
{
	size_t found = text.find(label);
	if (found == std::string::npos)
		return std::nullopt;
	return std::atoi(text.c_str() + found + label.size());
}

// The first line `fd` gives before `deadline`, without its newline; empty
// when none came.
std::string
FirstLine(int fd, Clock::time_point deadline)
{
	std::string text;
	while (text.find('\n') == std::string::npos && Clock::now() < deadline) {
		int left = int(
			std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count());
		struct pollfd entry = {fd, POLLIN, 0};
		if (RetryOnInterrupt([&] { return poll(&entry, 1, std::max(left, 1)); }) <= 0)
			break;
		char buffer[256];
		ssize_t got = RetryOnInterrupt([&] { return read(fd, buffer, sizeof(buffer)); });
		if (got <= 0)
			break;
		text.append(buffer, size_t(got));
	}
	size_t end = text.find('\n');
	return end == std::string::npos ? std::string() : text.substr(0, end);
}

// `variables` with "NAME=value" in place of any NAME there was.
void
SetVariable(std::vector<std::string>& variables, const std::string& entry)
{
	const std::string prefix = entry.substr(0, entry.find('=') + 1);
	variables.erase(
		std::remove_if(variables.begin(), variables.end(),
			[&](const std::string& variable) { return variable.rfind(prefix, 0) == 0; }),
		variables.end());
	variables.push_back(entry);
}

} // namespace

const char*
Describe(WindowManager manager)
{
	return manager == WindowManager::kOpenbox ? "openbox" : "no window manager";
}

Pixel
Shot::At(int32 x, int32 y) const
{
	if (!IsValid() || x < 0 || y < 0 || x >= Width() || y >= Height())
		return Pixel{0, 0, 0};
	const uint8* bytes = static_cast<const uint8*>(fBitmap->Bits()) + y * fBitmap->BytesPerRow()
		+ x * 4;
	return Pixel{bytes[2], bytes[1], bytes[0]};
}

XSession::XSession(WindowManager manager, int width, int height, Reach reach)
	: fWidth(width), fHeight(height), fManager(manager), fReach(reach)
{
	char scratch[] = "/tmp/quillpix-x-XXXXXX";
	if (mkdtemp(scratch) == nullptr) {
		fFailure = "no scratch folder";
		return;
	}
	fScratch = scratch;
	if (reach == Reach::kThisProcessToo) {
		setenv("XDG_CONFIG_HOME", (fScratch + "/config").c_str(), 1);
		setenv("XDG_CACHE_HOME", (fScratch + "/cache").c_str(), 1);
		// The windows are painted without OpenGL; leaving Qt's GL
		// integration out keeps the GL libraries, which the thread checker
		// misreads at the process's end, out of the tests.
		setenv("QT_XCB_GL_INTEGRATION", "none", 1);
	}

	// Xvfb picks a free display and writes its number to the pipe once it
	// is ready.
	int ends[2];
	if (pipe2(ends, O_CLOEXEC) != 0) {
		fFailure = "no pipe";
		return;
	}
	UniqueFd reading(ends[0]);
	UniqueFd writing(ends[1]);
	std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
	pid_t server = Spawn({"Xvfb", "-displayfd", std::to_string(writing.Get()), "-screen", "0",
							 screen, "-nolisten", "tcp", "-noreset"},
		{}, writing.Get());
	writing.Reset();
	std::string number = FirstLine(reading.Get(), Clock::now() + kWatchdog);
	if (server < 0 || number.empty()) {
		fFailure = "Xvfb did not start (is it installed? scripts/install-deps.sh)";
		return;
	}
	fDisplay = ":" + number;
	if (reach == Reach::kThisProcessToo)
		setenv("DISPLAY", fDisplay.c_str(), 1);

	if (manager == WindowManager::kOpenbox) {
		// On a loaded machine openbox now and then exits before it has
		// taken over a display that has only just come up; it is started
		// again, a few times, before the session counts as failed.
		auto managing = [&] {
			int status = -1;
			std::string answer = RunTool({"wmctrl", "-m"}, &status);
			return status == 0 && answer.find("Openbox") != std::string::npos;
		};
		bool managed = false;
		pid_t openbox = -1;
		for (int attempt = 0; attempt < 3 && !managed; attempt++) {
			if (openbox > 0)
				Stop(openbox);
			openbox = Spawn({"openbox", "--sm-disable"}, {}, -1);
			managed = PollUntil([&] {
				if (WaitForChild(openbox, std::chrono::milliseconds(0))) {
					Forget(openbox);
					openbox = -1;
					return true;
				}
				return managing();
			}) && managing();
		}
		if (!managed)
			fFailure = "openbox did not take over the display " + fDisplay + ": "
				+ Run("wmctrl -m 2>&1; xprop -root _NET_SUPPORTING_WM_CHECK 2>&1");
	}
}

XSession::~XSession()
{
	// The programs first, the display last.
	for (auto process = fProcesses.rbegin(); process != fProcesses.rend(); ++process)
		StopChild(*process);
	if (!fScratch.empty()) {
		std::error_code ignored;
		std::filesystem::remove_all(fScratch, ignored);
	}
}

BRect
XSession::Screen() const
{
	return BRect(0, 0, fWidth - 1, fHeight - 1);
}

std::vector<std::string>
XSession::Environment(const std::vector<std::string>& extra) const
{
	std::vector<std::string> variables;
	for (char** entry = environ; *entry != nullptr; entry++) {
		std::string variable = *entry;
		bool dropped = false;
		for (const char* name :
			{"DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM=", "QUILLPIX_SERVER="}) {
			dropped = dropped || variable.rfind(name, 0) == 0;
		}
		if (!dropped)
			variables.push_back(variable);
	}
	if (!fDisplay.empty())
		variables.push_back("DISPLAY=" + fDisplay);
	variables.push_back("QT_QPA_PLATFORM=xcb");
	if (fReach == Reach::kStartedPrograms && kSanitized) {
		for (std::string& variable : variables) {
			if (variable.rfind("TSAN_OPTIONS=", 0) == 0)
				variable += ":report_bugs=0";
		}
	}
	if (fReach == Reach::kThisProcessToo) {
		// A sanitized program keeps the rules SanitizerSuppressions.cpp sets
		// for the desktop tests themselves, besides the options the run gives.
		for (const char* sanitizer : {"LSAN", "TSAN"}) {
			std::string name = std::string(sanitizer) + "_OPTIONS";
			const char* given = getenv(name.c_str());
			std::string file = std::string(QUILLPIX_SOURCE_DIR "/tests/desktop/")
				+ (sanitizer[0] == 'L' ? "lsan.supp" : "tsan.supp");
			SetVariable(variables,
				name + "=" + (given != nullptr ? std::string(given) + ":" : "")
					+ "suppressions=" + file);
		}
	}
	for (const std::string& variable : extra)
		SetVariable(variables, variable);
	return variables;
}

pid_t
XSession::Spawn(const std::vector<std::string>& arguments,
	const std::vector<std::string>& environment, int keptDescriptor)
{
	Program program{arguments};
	program.environment = Environment(environment);
	program.onlyThisEnvironment = true;
	program.keptDescriptor = keptDescriptor;
	program.outputPath = "/dev/null";
	// Xvfb and the window manager talk a lot; the program's own words stay,
	// for a failing test to show.
	const std::string& name = arguments.empty() ? std::string() : arguments[0];
	bool quillpix = name == "quillpix" || name.find("/quillpix") != std::string::npos;
	if (!quillpix && getenv("QUILLPIX_DESKTOP_TEST_VERBOSE") == nullptr)
		program.errorPath = "/dev/null";
	pid_t child = StartProgram(program);
	if (child > 0)
		fProcesses.push_back(child);
	return child;
}

void
XSession::Stop(pid_t child)
{
	StopChild(child);
	Forget(child);
}

void
XSession::Forget(pid_t child)
{
	fProcesses.erase(std::remove(fProcesses.begin(), fProcesses.end(), child), fProcesses.end());
}

pid_t
XSession::Start(
	const std::vector<std::string>& arguments, const std::vector<std::string>& environment)
{
	return Spawn(arguments, environment, -1);
}

int
XSession::WaitForExit(pid_t child, std::chrono::milliseconds timeout)
{
	std::optional<ChildOutcome> ended = WaitForChild(child, timeout);
	if (!ended) {
		kill(child, SIGKILL);
		WaitForChild(child);
	}
	Forget(child);
	if (!ended)
		return -1;
	return ended->exited ? ended->exitCode : 128 + ended->signal;
}

std::string
XSession::RunTool(const std::vector<std::string>& arguments, int* status) const
{
	Program tool{arguments};
	tool.environment = Environment({});
	tool.onlyThisEnvironment = true;
	tool.errorPath = "/dev/null";
	tool.limits.seconds = unsigned(kWatchdog.count()) + 5;
	ProgramOutcome run = RunProgram(tool);
	if (status != nullptr)
		*status = run.ExitCode();
	return run.out;
}

std::string
XSession::Run(const std::string& command) const
{
	Program shell{{"/bin/sh", "-c", command}};
	shell.environment = Environment({});
	shell.onlyThisEnvironment = true;
	return RunProgram(shell).out;
}

unsigned long
XSession::WindowNamed(const std::string& title) const
{
	std::string found = RunTool(
		{"xdotool", "search", "--onlyvisible", "--name", "^" + title + "$"});
	return std::strtoul(found.c_str(), nullptr, 10);
}

unsigned long
XSession::MappedWindow(const std::string& title) const
{
	unsigned long window = 0;
	PollUntil([&] { return (window = WindowNamed(title)) != 0; });
	return window;
}

std::optional<std::string>
XSession::WaitForWindow(const std::string& title) const
{
	std::string id;
	bool found = PollUntil([&] {
		int status = -1;
		std::string answer = RunTool(
			{"xdotool", "search", "--onlyvisible", "--name", "^" + title + "$"}, &status);
		if (status != 0 || answer.empty())
			return false;
		id = answer.substr(0, answer.find('\n'));
		return true;
	});
	if (!found)
		return std::nullopt;
	return id;
}

std::optional<BRect>
XSession::ClientArea(unsigned long window) const
{
	std::string info = RunTool({"xwininfo", "-id", std::to_string(window)});
	std::optional<int> left = NumberAfter(info, "Absolute upper-left X:");
	std::optional<int> top = NumberAfter(info, "Absolute upper-left Y:");
	std::optional<int> width = NumberAfter(info, "Width:");
	std::optional<int> height = NumberAfter(info, "Height:");
	if (!left || !top || !width || !height)
		return std::nullopt;
	return BRect(*left, *top, *left + *width - 1, *top + *height - 1);
}

std::vector<int>
XSession::FrameExtents(unsigned long window) const
{
	std::string property = RunTool(
		{"xprop", "-id", std::to_string(window), "-notype", "_NET_FRAME_EXTENTS"});
	std::vector<int> extents;
	size_t equals = property.find('=');
	if (equals != std::string::npos) {
		std::istringstream numbers(property.substr(equals + 1));
		std::string item;
		while (std::getline(numbers, item, ','))
			extents.push_back(std::atoi(item.c_str()));
	}
	if (extents.size() != 4)
		extents.assign(4, 0);
	return extents;
}

std::optional<BRect>
XSession::OuterFrame(unsigned long window) const
{
	std::optional<BRect> client = ClientArea(window);
	if (!client)
		return client;
	std::vector<int> extents = FrameExtents(window);
	return BRect(client->left - extents[0], client->top - extents[2], client->right + extents[1],
		client->bottom + extents[3]);
}

std::string
XSession::WindowState(unsigned long window) const
{
	return RunTool({"xprop", "-id", std::to_string(window), "_NET_WM_STATE"});
}

bool
XSession::Focus(const std::string& window) const
{
	int status = -1;
	// A window manager hands the focus on when the window is activated;
	// without one, X gives it straight to the window.
	if (fManager == WindowManager::kOpenbox)
		RunTool({"xdotool", "windowactivate", "--sync", window}, &status);
	else
		RunTool({"xdotool", "windowfocus", "--sync", window}, &status);
	return status == 0;
}

bool
XSession::Keys(const std::vector<std::string>& keys) const
{
	std::vector<std::string> command = {"xdotool", "key", "--delay", "30"};
	command.insert(command.end(), keys.begin(), keys.end());
	int status = -1;
	RunTool(command, &status);
	return status == 0;
}

bool
XSession::Click(const std::string& window, int x, int y, int button, int count) const
{
	int status = -1;
	RunTool({"xdotool", "mousemove", "--window", window, "--sync", std::to_string(x),
				std::to_string(y)},
		&status);
	if (status != 0)
		return false;
	RunTool({"xdotool", "click", "--repeat", std::to_string(count), "--delay", "30",
				std::to_string(button)},
		&status);
	return status == 0;
}

Shot
XSession::Screenshot(const std::string& window) const
{
	static int sCount = 0;
	std::string path = fScratch + "/shot-" + std::to_string(sCount++) + ".png";
	int status = -1;
	RunTool({"import", "-window", window, "PNG24:" + path}, &status);
	if (status != 0)
		return Shot(nullptr);
	std::unique_ptr<BBitmap> loaded(BTranslationUtils::GetBitmapFile(path.c_str()));
	std::filesystem::remove(path);
	if (!loaded)
		return Shot(nullptr);
	if (loaded->ColorSpace() != B_RGB32)
		return Shot(ConvertedBitmap(*loaded, B_RGB32).Value());
	return Shot(std::move(loaded));
}

bool
XSession::SaveScreen(const std::string& path, const std::string& geometry) const
{
	std::vector<std::string> command = {"import", "-window", "root"};
	if (!geometry.empty()) {
		command.push_back("-crop");
		command.push_back(geometry);
	}
	command.push_back("PNG24:" + path);
	int status = -1;
	RunTool(command, &status);
	return status == 0;
}

bool
PollUntil(const std::function<bool()>& predicate, std::chrono::milliseconds timeout)
{
	auto deadline = Clock::now() + timeout;
	while (true) {
		if (predicate())
			return true;
		if (Clock::now() >= deadline)
			return false;
		std::this_thread::sleep_for(std::chrono::milliseconds(50));
	}
}

std::string
DescribeRect(const BRect& rect)
{
	std::ostringstream text;
	text << "(" << rect.left << ", " << rect.top << ", " << rect.right << ", " << rect.bottom
		 << ")";
	return text.str();
}

} // namespace testsupport
