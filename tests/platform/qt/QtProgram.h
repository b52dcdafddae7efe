// SPDX-License-Identifier: MIT
#pragma once

// Runs the real program (QuillpixApp) on a fresh display server: the
// application on the calling (main) thread (on the Qt server inside Qt's
// loop), and `drive` on a second thread that reads and drives the windows
// through the server's probe as a person would. Returns once the
// application has quit.
//
// The probe works only while the application runs. With Ending::kAskToQuit
// the application is asked to quit when `drive` returns; with
// Ending::kQuitsByItself `drive` ends with the action that quits it, and
// the test fails unless it does.
//
// Suites that make sense on every server take the server as their
// parameter (OnEachServer) and drive it through DisplayProbe alone.

#include <DisplayProbe.h>
#include <QtProbe.h>

#include "support/Waiting.h"

#include <gtest/gtest.h>

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

enum class Server {
	kHeadless,
	kQt,
};

// The program on the Qt server.
void RunProgram(const std::vector<std::string>& arguments, Ending ending,
	const std::function<void(QtProbe& probe)>& drive);
inline void
RunProgram(
	const std::vector<std::string>& arguments, const std::function<void(QtProbe& probe)>& drive)
{
	RunProgram(arguments, Ending::kAskToQuit, drive);
}

// The program on the server named.
void RunProgram(Server server, const std::vector<std::string>& arguments, Ending ending,
	const std::function<void(DisplayProbe& probe)>& drive);
inline void
RunProgram(Server server, const std::vector<std::string>& arguments,
	const std::function<void(DisplayProbe& probe)>& drive)
{
	RunProgram(server, arguments, Ending::kAskToQuit, drive);
}

// A suite run once on each server.
class OnEachServer : public testing::TestWithParam<Server> { };
std::string ServerName(const testing::TestParamInfo<Server>& info);
#define QUILLPIX_ON_EACH_SERVER(suite)                                                             \
	INSTANTIATE_TEST_SUITE_P(, suite,                                                              \
		testing::Values(qt_testing::Server::kHeadless, qt_testing::Server::kQt),                   \
		qt_testing::ServerName)

// Waits for `count` visible windows and answers their ids in creation order
// (empty at the watchdog).
std::vector<int32> WaitForWindows(DisplayProbe& probe, size_t count);

} // namespace qt_testing
