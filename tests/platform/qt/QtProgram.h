#pragma once

// Runs the real program (QuillpixApp) on a fresh Qt server: the application
// on the calling (main) thread, inside Qt's loop, and `drive` on a second
// thread that reads and drives the widgets through a QtProbe as a person
// would. Returns once the application has quit.
//
// The probe works only while the application runs (Qt's loop runs inside
// it). With Ending::kAskToQuit the application is asked to quit when
// `drive` returns; with Ending::kQuitsByItself `drive` ends with the action
// that quits it, and the test fails unless it does.

#include <QtProbe.h>

#include "support/Waiting.h"

#include <functional>
#include <string>
#include <vector>

namespace qt_testing {

using testsupport::kWatchdogMicroseconds;

// Files under the source tree.
std::string SourcePath(const char* relative);

enum class Ending {
	kAskToQuit,
	kQuitsByItself,
};

void RunProgram(const std::vector<std::string>& arguments, Ending ending,
	const std::function<void(QtProbe& probe)>& drive);
inline void
RunProgram(const std::vector<std::string>& arguments,
	const std::function<void(QtProbe& probe)>& drive)
{
	RunProgram(arguments, Ending::kAskToQuit, drive);
}

// Waits for `count` live windows and answers their ids in creation order
// (empty at the watchdog).
std::vector<int32> WaitForWindows(QtProbe& probe, size_t count);

// The item at a label path of a menu bar read back from Qt; null if none.
const MenuItemState* FindItem(const MenuBarState& bar, const std::vector<std::string>& path);

} // namespace qt_testing
