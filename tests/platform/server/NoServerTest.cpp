// SPDX-License-Identifier: MIT
#include <Alert.h>
#include <DisplayServer.h>
#include <Rect.h>
#include <Window.h>

#include <gtest/gtest.h>

namespace {

// Takes away the server the test executable installed, as in a program that
// never installs one. Only ever called in a death test's child process.
void
RemoveServer()
{
	DisplayServer::Install(nullptr).release();
}

TEST(NoServerDeathTest, AProgramWithoutAServerStopsClearlyAtItsFirstWindow)
{
	GTEST_FLAG_SET(death_test_style, "threadsafe");
	EXPECT_DEATH(
		{
			RemoveServer();
			new BWindow(BRect(0, 0, 10, 10), "first", B_TITLED_WINDOW, 0);
		},
		"no display server installed: a window needs one");
}

TEST(NoServerDeathTest, AnAlertWithoutAServerStopsClearlyInsteadOfBeingAnswered)
{
	GTEST_FLAG_SET(death_test_style, "threadsafe");
	EXPECT_DEATH(
		{
			RemoveServer();
			(new BAlert("t", "text", "OK"))->Go();
		},
		"no display server installed: an alert needs one");
}

} // namespace
