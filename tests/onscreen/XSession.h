#pragma once

// A real X display for tests: a private Xvfb (on a display number it picks
// itself), optionally a window manager on it, the program started on it
// with Qt's X11 platform, and the X tools a person's hands and eyes stand
// in for: xdotool (keys, the pointer, the wheel), import (screenshots),
// wmctrl. Everything started is stopped, by its process id, when the
// session ends.
//
// The screen tells nobody when it changed, so the session polls: Poll
// checks a condition every 50 ms until it holds or the watchdog runs out.

#include <Bitmap.h>

#include <sys/types.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace onscreen {

enum class WindowManager {
	kNone,
	kOpenbox,
};

const char* Name(WindowManager manager);

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
	explicit Shot(std::unique_ptr<BBitmap> bitmap) : fBitmap(std::move(bitmap)) {}
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
	XSession(WindowManager manager, int width = 1280, int height = 800);
	~XSession();
	XSession(const XSession&) = delete;
	XSession& operator=(const XSession&) = delete;

	// Empty when the display and the window manager came up; otherwise why
	// not.
	const std::string& Failure() const { return fFailure; }
	const std::string& Display() const { return fDisplay; }

	// Starts `arguments` on the display (Qt on X11); stopped with the session.
	pid_t Start(const std::vector<std::string>& arguments);
	// Runs a tool on the display and answers its standard output; `status`
	// gets its exit status (-1 when it had to be killed).
	std::string Run(const std::vector<std::string>& arguments, int* status = nullptr);

	// The id of the first window titled `title`, once it is mapped.
	std::optional<std::string> WaitForWindow(const std::string& title);
	// Gives the window the keyboard as the window manager (or, without one,
	// X itself) does.
	bool Focus(const std::string& window);
	// Presses keys (xdotool names: "End", "ctrl+plus", "KP_Add") one after
	// another into the focused window.
	bool Keys(const std::vector<std::string>& keys);
	// Moves the pointer to (x, y) of the window and clicks `button`
	// (1 left, 4/5 the wheel up/down, 6/7 left/right) `count` times.
	bool Click(const std::string& window, int x, int y, int button, int count = 1);

	// The window's contents (without a frame), or the whole screen ("root").
	Shot Screenshot(const std::string& window);
	// Saves the screen, or its part `geometry` ("WxH+X+Y"), as PNG.
	bool SaveScreen(const std::string& path, const std::string& geometry = "");

	// Checks `condition` until it holds; false at the watchdog.
	static bool Poll(const std::function<bool()>& condition);

private:
	pid_t Spawn(const std::vector<std::string>& arguments, int outputFd, int keepFd);
	void Stop(pid_t process);

	WindowManager fManager;
	std::string fDisplay;
	std::string fFailure;
	std::string fScratch;
	std::vector<pid_t> fProcesses; // started, newest last; Xvfb first
};

} // namespace onscreen
