#include "XSession.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace desktop_testing {

namespace {

// The number after `label` in xwininfo's report.
std::optional<int>
NumberAfter(const std::string& text, const std::string& label)
{
	size_t found = text.find(label);
	if (found == std::string::npos)
		return std::nullopt;
	return std::atoi(text.c_str() + found + label.size());
}

void
Stop(pid_t process)
{
	if (process <= 0)
		return;
	kill(process, SIGTERM);
	if (WaitForExit(process, std::chrono::seconds(5)) == -1)
		waitpid(process, nullptr, 0);
}

} // namespace

const char*
Describe(WindowManager manager)
{
	return manager == WindowManager::kOpenbox ? "openbox" : "no window manager";
}

XSession::XSession(int width, int height, WindowManager manager)
	:
	fWidth(width),
	fHeight(height),
	fManager(manager)
{
	char settings[] = "/tmp/quillpix-desktop-XXXXXX";
	if (mkdtemp(settings) == nullptr) {
		fFailure = "no scratch folder";
		return;
	}
	fSettings = settings;
	setenv("XDG_CONFIG_HOME", (fSettings + "/config").c_str(), 1);
	setenv("XDG_CACHE_HOME", (fSettings + "/cache").c_str(), 1);
	// The windows are painted without OpenGL; leaving Qt's GL integration
	// out keeps the GL libraries, which the thread checker misreads at the
	// process's end, out of the tests.
	setenv("QT_XCB_GL_INTEGRATION", "none", 1);

	// Xvfb picks a free display and writes its number to the pipe.
	int pipeFds[2];
	if (pipe(pipeFds) != 0) {
		fFailure = "no pipe";
		return;
	}
	std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
	fServer = Spawn({"Xvfb", "-displayfd", std::to_string(pipeFds[1]), "-screen", "0", screen,
		"-nolisten", "tcp"}, {}, pipeFds[1]);
	close(pipeFds[1]);
	std::string number;
	struct pollfd wait = {pipeFds[0], POLLIN, 0};
	char character;
	while (poll(&wait, 1, 30000) > 0 && read(pipeFds[0], &character, 1) == 1
		&& character != '\n') {
		number += character;
	}
	close(pipeFds[0]);
	if (fServer < 0 || number.empty()) {
		fFailure = "Xvfb did not start (is it installed? scripts/install-deps.sh)";
		return;
	}
	fDisplay = ":" + number;
	setenv("DISPLAY", fDisplay.c_str(), 1);

	if (manager == WindowManager::kOpenbox) {
		// On a loaded machine openbox now and then exits before it has
		// taken over a display that has only just come up; it is started
		// again, a few times, before the session counts as failed.
		auto managing = [&] { return Run("wmctrl -m 2>/dev/null").find("Openbox") != std::string::npos; };
		bool managed = false;
		for (int attempt = 0; attempt < 3 && !managed; attempt++) {
			Stop(fManagerProcess);
			fManagerProcess = Spawn({"openbox", "--sm-disable"}, {});
			managed = PollUntil([&] {
				if (waitpid(fManagerProcess, nullptr, WNOHANG) == fManagerProcess) {
					fManagerProcess = -1;
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
	Stop(fManagerProcess);
	Stop(fServer);
	if (!fSettings.empty()) {
		std::error_code ignored;
		std::filesystem::remove_all(fSettings, ignored);
	}
}

BRect
XSession::Screen() const
{
	return BRect(0, 0, fWidth - 1, fHeight - 1);
}

pid_t
XSession::Spawn(const std::vector<std::string>& arguments,
	const std::vector<std::string>& environment, int keepFd) const
{
	// Everything the child needs is made before the fork: the test runs
	// threads (Qt's), and a forked child may only exec.
	std::vector<std::string> variables = environment;
	// A sanitized program the tests start keeps the rules SanitizerSuppressions.cpp
	// sets for the tests themselves, besides the options the run gives.
	for (const char* sanitizer : {"LSAN", "TSAN"}) {
		std::string name = std::string(sanitizer) + "_OPTIONS";
		const char* given = getenv(name.c_str());
		std::string file = std::string(QUILLPIX_SOURCE_DIR "/tests/desktop/")
			+ (sanitizer[0] == 'L' ? "lsan.supp" : "tsan.supp");
		variables.push_back(name + "=" + (given != nullptr ? std::string(given) + ":" : "")
			+ "suppressions=" + file);
	}
	for (char** variable = environ; *variable != nullptr; variable++)
		variables.push_back(*variable);
	std::vector<char*> envp;
	for (std::string& variable : variables)
		envp.push_back(variable.data());
	envp.push_back(nullptr);
	std::vector<std::string> words = arguments;
	std::vector<char*> argv;
	for (std::string& word : words)
		argv.push_back(word.data());
	argv.push_back(nullptr);
	bool quiet = getenv("QUILLPIX_DESKTOP_TEST_VERBOSE") == nullptr;

	pid_t child = fork();
	if (child != 0)
		return child;
	// The child: its output out of the test's way.
	int null = open("/dev/null", O_RDWR);
	dup2(null, STDIN_FILENO);
	dup2(null, STDOUT_FILENO);
	if (quiet)
		dup2(null, STDERR_FILENO);
	for (int fd = 3; fd < 256; fd++) {
		if (fd != keepFd)
			close(fd);
	}
	execvpe(argv[0], argv.data(), envp.data());
	_exit(127);
}

pid_t
XSession::Start(const std::vector<std::string>& arguments,
	const std::vector<std::string>& environment) const
{
	return Spawn(arguments, environment);
}

std::string
XSession::Run(const std::string& command) const
{
	std::string output;
	FILE* pipe = popen(command.c_str(), "r");
	if (pipe == nullptr)
		return output;
	char buffer[4096];
	size_t length;
	while ((length = fread(buffer, 1, sizeof(buffer), pipe)) > 0)
		output.append(buffer, length);
	pclose(pipe);
	return output;
}

unsigned long
XSession::WindowNamed(const std::string& title) const
{
	std::string found = Run("xdotool search --onlyvisible --name '^" + title + "$' 2>/dev/null");
	return std::strtoul(found.c_str(), nullptr, 10);
}

std::optional<BRect>
XSession::ClientArea(unsigned long window) const
{
	std::string info = Run("xwininfo -id " + std::to_string(window) + " 2>/dev/null");
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
	std::string property = Run("xprop -id " + std::to_string(window)
		+ " -notype _NET_FRAME_EXTENTS 2>/dev/null");
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
	return BRect(client->left - extents[0], client->top - extents[2],
		client->right + extents[1], client->bottom + extents[3]);
}

std::string
XSession::WindowState(unsigned long window) const
{
	return Run("xprop -id " + std::to_string(window) + " _NET_WM_STATE 2>/dev/null");
}

void
XSession::Focus(unsigned long window) const
{
	std::string id = std::to_string(window);
	if (fManager == WindowManager::kNone)
		Run("xdotool windowfocus --sync " + id + " 2>/dev/null");
	else
		Run("xdotool windowactivate --sync " + id + " 2>/dev/null");
}

bool
PollUntil(const std::function<bool()>& predicate, std::chrono::milliseconds timeout)
{
	auto deadline = std::chrono::steady_clock::now() + timeout;
	while (true) {
		if (predicate())
			return true;
		if (std::chrono::steady_clock::now() >= deadline)
			return false;
		std::this_thread::sleep_for(std::chrono::milliseconds(50));
	}
}

int
WaitForExit(pid_t child, std::chrono::milliseconds timeout)
{
	int status = 0;
	bool ended = PollUntil([&] { return waitpid(child, &status, WNOHANG) == child; }, timeout);
	if (!ended) {
		kill(child, SIGKILL);
		waitpid(child, nullptr, 0);
		return -1;
	}
	return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::string
DescribeRect(const BRect& rect)
{
	std::ostringstream text;
	text << "(" << rect.left << ", " << rect.top << ", " << rect.right << ", " << rect.bottom
		<< ")";
	return text.str();
}

} // namespace desktop_testing
