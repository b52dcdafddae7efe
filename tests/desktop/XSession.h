#pragma once

// A virtual X display of its own for a test (Xvfb), with or without a
// window manager (openbox), and the X tools a person's actions and the
// desktop's view of the windows go through: xdotool for keys, moves and
// sizes, wmctrl for the window manager's maximize, xwininfo and xprop to
// read back where a window is and what it carries.
//
// The session points DISPLAY at its server for the whole process, so Qt
// started afterwards (in this process or in a child) uses it, and the
// settings and cache folders at a scratch folder of its own, so that Qt's
// dialogs and the window manager neither read nor leave anything in the
// user's. Only the processes the session started are stopped at its end.

#include <Rect.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace desktop_testing {

enum class WindowManager {
	kNone,
	kOpenbox,
};

const char* Describe(WindowManager manager);

class XSession {
public:
	XSession(int width, int height, WindowManager manager);
	~XSession();

	XSession(const XSession&) = delete;
	XSession& operator=(const XSession&) = delete;

	// Empty once the display (and the window manager) are up; else why not.
	const std::string& Failure() const { return fFailure; }
	WindowManager Manager() const { return fManager; }
	BRect Screen() const;

	// Runs a shell command against the display; its standard output.
	std::string Run(const std::string& command) const;
	// Starts `arguments` on the display (extra environment as "NAME=value").
	pid_t Start(const std::vector<std::string>& arguments,
		const std::vector<std::string>& environment = {}) const;

	// The first mapped top-level window whose title is exactly `title`;
	// 0 when there is none.
	unsigned long WindowNamed(const std::string& title) const;
	// The window's client area on the screen, from the X server.
	std::optional<BRect> ClientArea(unsigned long window) const;
	// _NET_FRAME_EXTENTS (left, right, top, bottom); zeros without a frame.
	std::vector<int> FrameExtents(unsigned long window) const;
	// The client area with the window manager's frame around it.
	std::optional<BRect> OuterFrame(unsigned long window) const;
	// The atoms of the window's _NET_WM_STATE, as xprop prints them.
	std::string WindowState(unsigned long window) const;
	// Gives the window the keyboard focus (activates it under a manager).
	void Focus(unsigned long window) const;

private:
	pid_t Spawn(const std::vector<std::string>& arguments,
		const std::vector<std::string>& environment, int keepFd = -1) const;

	int fWidth;
	int fHeight;
	WindowManager fManager;
	std::string fDisplay;
	pid_t fServer = -1;
	pid_t fManagerProcess = -1;
	std::string fSettings; // XDG_CONFIG_HOME and XDG_CACHE_HOME of the session
	std::string fFailure;
};

// Polls `predicate` every 50 ms until it holds; false after `timeout`. X
// state has no change events a test could wait on, so it is asked again.
bool PollUntil(const std::function<bool()>& predicate,
	std::chrono::milliseconds timeout = std::chrono::seconds(30));

// Waits for a child started with XSession::Start; its exit status, or -1
// when it did not end within `timeout` (it is then killed).
int WaitForExit(pid_t child, std::chrono::milliseconds timeout = std::chrono::seconds(15));

std::string DescribeRect(const BRect& rect);

} // namespace desktop_testing
