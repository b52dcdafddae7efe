// SPDX-License-Identifier: MIT
#pragma once

// Runs an application's real loop on the test's thread while a "person"
// acts on it from another thread, as the tests of the application framework
// and the document windows need. A watchdog quits the loop, failing the
// test, when it is still running after a generous bound.

#include <Application.h>

#include "support/Waiting.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>

namespace testsupport {

inline void
RunWithPerson(BApplication& application, const std::function<void()>& person)
{
	Gate loopEnded;
	std::thread watchdog([&] {
		if (loopEnded.Wait())
			return;
		ADD_FAILURE() << "the application was still running at the watchdog";
		application.Quit();
	});
	std::thread personThread(person);

	application.Run();

	loopEnded.Open();
	personThread.join();
	watchdog.join();
}

// As a program's main does it: runs `application` (made with new) on the
// test's thread and deletes it as soon as Run returns, while the person may
// still be acting from the other thread.
inline void
RunAndDelete(BApplication* application, const std::function<void()>& person)
{
	Gate loopEnded;
	std::thread watchdog([&] {
		if (loopEnded.Wait())
			return;
		ADD_FAILURE() << "the application was still running at the watchdog";
		application->Quit();
	});
	std::thread personThread(person);

	application->Run();

	loopEnded.Open();
	watchdog.join();
	delete application;
	personThread.join();
}

} // namespace testsupport
