#include "XSession.h"

#include "image/BitmapConversion.h"
#include "support/ChildProcess.h"
#include "support/Waiting.h"

#include <TranslationUtils.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

extern char** environ;

namespace onscreen {

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kPollInterval = std::chrono::milliseconds(50);

// The environment of everything started on the display: ours, with the
// display and Qt's X11 platform instead of any other.
std::vector<std::string>
Environment(const std::string& display)
{
	std::vector<std::string> environment;
	for (char** entry = environ; *entry != nullptr; entry++) {
		std::string variable = *entry;
		for (const char* dropped : {"DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM=",
				 "QUILLPIX_SERVER="}) {
			if (variable.rfind(dropped, 0) == 0)
				variable.clear();
		}
		if (!variable.empty())
			environment.push_back(variable);
	}
	if (!display.empty())
		environment.push_back("DISPLAY=" + display);
	environment.push_back("QT_QPA_PLATFORM=xcb");
	if (testsupport::kSanitized) {
		// Qt's xcb platform and the X libraries are not built for the thread
		// checker and lock in ways it cannot follow (a mutex unlocked by
		// another thread in libXrender, Qt's event-queue and D-Bus threads), so
		// its reports from the program here are not ours. Our own code runs
		// under the checker in the other suites, the Qt server's included;
		// these tests look at the screen.
		for (std::string& variable : environment) {
			if (variable.rfind("TSAN_OPTIONS=", 0) == 0)
				variable += ":report_bugs=0";
		}
	}
	return environment;
}

// Reads what `fd` gives until end of file or `deadline`.
std::string
ReadUntil(int fd, Clock::time_point deadline, bool lineOnly)
{
	std::string text;
	char buffer[4096];
	while (Clock::now() < deadline) {
		int left = int(std::chrono::duration_cast<std::chrono::milliseconds>(
			deadline - Clock::now()).count());
		pollfd entry{fd, POLLIN, 0};
		int ready = poll(&entry, 1, std::max(left, 1));
		if (ready < 0 && errno == EINTR)
			continue;
		if (ready <= 0)
			break;
		ssize_t got = read(fd, buffer, sizeof(buffer));
		if (got < 0 && errno == EINTR)
			continue;
		if (got <= 0)
			break;
		text.append(buffer, size_t(got));
		if (lineOnly && text.find('\n') != std::string::npos)
			break;
	}
	return text;
}

} // namespace

const char*
Name(WindowManager manager)
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

XSession::XSession(WindowManager manager, int width, int height)
	:
	fManager(manager)
{
	char pattern[] = "/tmp/quillpix-x-XXXXXX";
	if (mkdtemp(pattern) != nullptr)
		fScratch = pattern;

	// Xvfb writes the number of the display it took, once it is ready.
	int ready[2];
	if (pipe(ready) != 0) {
		fFailure = "no pipe";
		return;
	}
	fcntl(ready[0], F_SETFD, FD_CLOEXEC);
	std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
	pid_t server = Spawn({"Xvfb", "-displayfd", std::to_string(ready[1]), "-screen", "0", screen,
		"-nolisten", "tcp", "-noreset"}, -1, ready[1]);
	close(ready[1]);
	std::string number = ReadUntil(ready[0], Clock::now() + testsupport::kWatchdog, true);
	close(ready[0]);
	if (server < 0 || number.empty() || number.find('\n') == std::string::npos) {
		fFailure = "Xvfb did not start";
		return;
	}
	fDisplay = ":" + number.substr(0, number.find('\n'));

	if (manager == WindowManager::kOpenbox) {
		Start({"openbox", "--sm-disable"});
		bool managed = Poll([&] {
			int status = -1;
			std::string answer = Run({"wmctrl", "-m"}, &status);
			return status == 0 && answer.find("Openbox") != std::string::npos;
		});
		if (!managed)
			fFailure = "openbox did not take the display";
	}
}

XSession::~XSession()
{
	// The program first, the display last.
	for (auto process = fProcesses.rbegin(); process != fProcesses.rend(); ++process)
		Stop(*process);
	if (!fScratch.empty()) {
		std::error_code ignored;
		std::filesystem::remove_all(fScratch, ignored);
	}
}

pid_t
XSession::Spawn(const std::vector<std::string>& arguments, int outputFd, int keepFd)
{
	std::vector<std::string> environment = Environment(fDisplay);
	std::vector<char*> argv;
	for (const std::string& argument : arguments)
		argv.push_back(const_cast<char*>(argument.c_str()));
	argv.push_back(nullptr);
	std::vector<char*> envp;
	for (const std::string& variable : environment)
		envp.push_back(const_cast<char*>(variable.c_str()));
	envp.push_back(nullptr);
	int null = open("/dev/null", O_RDWR | O_CLOEXEC);

	pid_t child = fork();
	if (child == 0) {
		dup2(null, STDIN_FILENO);
		dup2(outputFd >= 0 ? outputFd : null, STDOUT_FILENO);
		// Xvfb and the window manager talk a lot; the program's own words
		// stay, for a failing test to show.
		if (arguments[0] != "quillpix" && arguments[0].find("/quillpix") == std::string::npos)
			dup2(null, STDERR_FILENO);
		for (int fd = 3; fd < 1024; fd++) {
			if (fd != keepFd)
				close(fd);
		}
		execvpe(argv[0], argv.data(), envp.data());
		_exit(127);
	}
	close(null);
	if (child > 0 && outputFd < 0)
		fProcesses.push_back(child);
	return child;
}

void
XSession::Stop(pid_t process)
{
	kill(process, SIGTERM);
	auto deadline = Clock::now() + std::chrono::seconds(5);
	while (Clock::now() < deadline) {
		if (waitpid(process, nullptr, WNOHANG) == process)
			return;
		std::this_thread::sleep_for(std::chrono::milliseconds(10));
	}
	kill(process, SIGKILL);
	waitpid(process, nullptr, 0);
}

pid_t
XSession::Start(const std::vector<std::string>& arguments)
{
	return Spawn(arguments, -1, -1);
}

std::string
XSession::Run(const std::vector<std::string>& arguments, int* status)
{
	int output[2];
	if (pipe2(output, O_CLOEXEC) != 0) {
		if (status != nullptr)
			*status = -1;
		return std::string();
	}
	pid_t child = Spawn(arguments, output[1], -1);
	close(output[1]);
	std::string text = ReadUntil(output[0], Clock::now() + testsupport::kWatchdog, false);
	close(output[0]);
	int result = -1;
	if (child > 0) {
		int raw = 0;
		auto deadline = Clock::now() + std::chrono::seconds(5);
		pid_t done = 0;
		while ((done = waitpid(child, &raw, WNOHANG)) == 0 && Clock::now() < deadline)
			std::this_thread::sleep_for(std::chrono::milliseconds(5));
		if (done == 0) {
			kill(child, SIGKILL);
			waitpid(child, &raw, 0);
		} else if (WIFEXITED(raw)) {
			result = WEXITSTATUS(raw);
		}
	}
	if (status != nullptr)
		*status = result;
	return text;
}

std::optional<std::string>
XSession::WaitForWindow(const std::string& title)
{
	std::string id;
	bool found = Poll([&] {
		int status = -1;
		std::string answer = Run({"xdotool", "search", "--onlyvisible", "--name",
			"^" + title + "$"}, &status);
		if (status != 0 || answer.empty())
			return false;
		id = answer.substr(0, answer.find('\n'));
		return true;
	});
	if (!found)
		return std::nullopt;
	return id;
}

bool
XSession::Focus(const std::string& window)
{
	int status = -1;
	// A window manager hands the focus on when the window is activated;
	// without one, X gives it straight to the window.
	if (fManager == WindowManager::kOpenbox) {
		Run({"xdotool", "windowactivate", "--sync", window}, &status);
	} else {
		Run({"xdotool", "windowfocus", "--sync", window}, &status);
	}
	return status == 0;
}

bool
XSession::Keys(const std::vector<std::string>& keys)
{
	std::vector<std::string> command = {"xdotool", "key", "--delay", "30"};
	command.insert(command.end(), keys.begin(), keys.end());
	int status = -1;
	Run(command, &status);
	return status == 0;
}

bool
XSession::Click(const std::string& window, int x, int y, int button, int count)
{
	int status = -1;
	Run({"xdotool", "mousemove", "--window", window, "--sync", std::to_string(x),
			std::to_string(y)},
		&status);
	if (status != 0)
		return false;
	Run({"xdotool", "click", "--repeat", std::to_string(count), "--delay", "30",
			std::to_string(button)},
		&status);
	return status == 0;
}

Shot
XSession::Screenshot(const std::string& window)
{
	static int sCount = 0;
	std::string path = fScratch + "/shot-" + std::to_string(sCount++) + ".png";
	int status = -1;
	Run({"import", "-window", window, "PNG24:" + path}, &status);
	if (status != 0)
		return Shot(nullptr);
	std::unique_ptr<BBitmap> loaded(BTranslationUtils::GetBitmapFile(path.c_str()));
	std::filesystem::remove(path);
	if (!loaded)
		return Shot(nullptr);
	if (loaded->ColorSpace() != B_RGB32)
		return Shot(ConvertedBitmap(*loaded, B_RGB32));
	return Shot(std::move(loaded));
}

bool
XSession::SaveScreen(const std::string& path, const std::string& geometry)
{
	std::vector<std::string> command = {"import", "-window", "root"};
	if (!geometry.empty()) {
		command.push_back("-crop");
		command.push_back(geometry);
	}
	command.push_back("PNG24:" + path);
	int status = -1;
	Run(command, &status);
	return status == 0;
}

bool
XSession::Poll(const std::function<bool()>& condition)
{
	auto deadline = Clock::now() + testsupport::kWatchdog;
	while (!condition()) {
		if (Clock::now() >= deadline)
			return false;
		std::this_thread::sleep_for(kPollInterval);
	}
	return true;
}

} // namespace onscreen
