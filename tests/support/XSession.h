// SPDX-License-Identifier: MIT
#pragma once

// A real X display of its own for a test: a private Xvfb (on a display
// number it picks itself), with or without a window manager (openbox), and
// the X tools a person's hands and eyes stand in for: xdotool for keys, the
// pointer, the wheel, moves and focus, wmctrl for the window manager,
// xwininfo and xprop to read back where a window is and what it carries,
// ImageMagick's import for screenshots.
//
// Programs started on the display get an environment of their own: the
// test's, with the display and Qt's X11 platform instead of any other. With
// Reach::kThisProcessToo the session also points DISPLAY at its server for
// the whole test process, so Qt started in the test itself uses it, and the
// settings and cache folders at a scratch folder of its own, so that Qt's
// dialogs and the window manager neither read nor leave anything in the
// user's.
//
// Everything the session started is stopped, by its process id, when the
// session ends. The screen tells nobody when it changed, so tests poll
// (PollUntil).

#include <Bitmap.h>
#include <Rect.h>

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

enum class WindowManager {
	kNone,
	kOpenbox,
};

const char* Describe(WindowManager manager);

// The colour of one pixel of a screenshot.
struct Pixel {
	uint8 red;
	uint8 green;
	uint8 blue;
	bool IsWhite() const { return red == 255 && green == 255 && blue == 255; }
};

// A screenshot: B_RGB32 pixels.
class Shot {
public:
	explicit Shot(std::unique_ptr<BBitmap> bitmap) : fBitmap(std::move(bitmap)) { }
	bool IsValid() const { return fBitmap && fBitmap->IsValid(); }
	int32 Width() const { return IsValid() ? fBitmap->Width() : 0; }
	int32 Height() const { return IsValid() ? fBitmap->Height() : 0; }
	// Black outside the shot.
	Pixel At(int32 x, int32 y) const;

private:
	std::unique_ptr<BBitmap> fBitmap;
};

class XSession {
public:
	// Who uses the display.
	enum class Reach {
		// Programs the test starts on it. The thread checker's reports from
		// them are muted: Qt's xcb platform and the X libraries are not
		// built for it and lock in ways it cannot follow (a mutex unlocked
		// by another thread in libXrender, Qt's event-queue and D-Bus
		// threads), so they are not ours. Our own code runs under the
		// checker in the other suites, the Qt server's included.
		kStartedPrograms,
		// The test process too (see above). Sanitized programs started on
		// the display keep the rules the desktop suite sets for itself
		// (tests/desktop/lsan.supp and tsan.supp).
		kThisProcessToo,
	};

	XSession(WindowManager manager, int width = 1280, int height = 800,
		Reach reach = Reach::kStartedPrograms);
	~XSession();
	XSession(const XSession&) = delete;
	XSession& operator=(const XSession&) = delete;

	// Empty once the display (and the window manager) are up; else why not.
	const std::string& Failure() const { return fFailure; }
	const std::string& Display() const { return fDisplay; }
	WindowManager Manager() const { return fManager; }
	BRect Screen() const;

	// Starts `arguments` on the display (extra environment as "NAME=value");
	// stopped with the session unless WaitForExit collected it before.
	pid_t Start(const std::vector<std::string>& arguments,
		const std::vector<std::string>& environment = {});
	// Waits for a program Start started; its exit status (128 + the signal
	// when a signal ended it), or -1 when it did not end within `timeout`
	// (it is then killed).
	int WaitForExit(pid_t child, std::chrono::milliseconds timeout = std::chrono::seconds(15));

	// Runs a tool on the display and answers its standard output; `status`
	// gets its exit status (-1 when it did not exit by itself within the
	// watchdog).
	std::string RunTool(const std::vector<std::string>& arguments, int* status = nullptr) const;
	// Runs a shell command against the display; its standard output.
	std::string Run(const std::string& command) const;

	// The first mapped top-level window whose title is exactly `title`;
	// 0 when there is none.
	unsigned long WindowNamed(const std::string& title) const;
	// WindowNamed once there is such a window; 0 when none came in time.
	unsigned long MappedWindow(const std::string& title) const;
	// The id of the first window titled `title`, once it is mapped.
	std::optional<std::string> WaitForWindow(const std::string& title) const;
	// The window's client area on the screen, from the X server.
	std::optional<BRect> ClientArea(unsigned long window) const;
	// _NET_FRAME_EXTENTS (left, right, top, bottom); zeros without a frame.
	std::vector<int> FrameExtents(unsigned long window) const;
	// The client area with the window manager's frame around it.
	std::optional<BRect> OuterFrame(unsigned long window) const;
	// The atoms of the window's _NET_WM_STATE, as xprop prints them.
	std::string WindowState(unsigned long window) const;

	// Gives the window the keyboard as the window manager (activating it)
	// or, without one, X itself does.
	bool Focus(const std::string& window) const;
	bool Focus(unsigned long window) const { return Focus(std::to_string(window)); }
	// Presses keys (xdotool names: "End", "ctrl+plus", "KP_Add") one after
	// another into the focused window.
	bool Keys(const std::vector<std::string>& keys) const;
	// Moves the pointer to (x, y) of the window and clicks `button`
	// (1 left, 4/5 the wheel up/down, 6/7 left/right) `count` times.
	bool Click(const std::string& window, int x, int y, int button, int count = 1) const;

	// The window's contents (without a frame), or the whole screen ("root").
	Shot Screenshot(const std::string& window) const;
	// Saves the screen, or its part `geometry` ("WxH+X+Y"), as PNG.
	bool SaveScreen(const std::string& path, const std::string& geometry = "") const;

private:
	std::vector<std::string> Environment(const std::vector<std::string>& extra) const;
	pid_t Spawn(const std::vector<std::string>& arguments,
		const std::vector<std::string>& environment, int keptDescriptor);
	// Stops a process the session started, and forgets it.
	void Stop(pid_t child);
	// A process collected elsewhere is no longer the session's to stop.
	void Forget(pid_t child);

	int fWidth;
	int fHeight;
	WindowManager fManager;
	Reach fReach;
	std::string fDisplay;
	std::string fFailure;
	std::string fScratch; // settings, cache and screenshots of the session
	std::vector<pid_t> fProcesses; // started and not yet collected; Xvfb first
};

// Polls `predicate` every 50 ms until it holds; false after `timeout`. X
// state has no change events a test could wait on, so it is asked again.
bool PollUntil(const std::function<bool()>& predicate,
	std::chrono::milliseconds timeout = std::chrono::seconds(30));

std::string DescribeRect(const BRect& rect);

} // namespace testsupport
