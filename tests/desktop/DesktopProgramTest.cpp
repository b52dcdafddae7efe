// SPDX-License-Identifier: MIT
// The installed program as the desktop starts it, on a real X server: every
// window carries the application's icon, and the desktop entry's "Open an
// image…" (quillpix --open) shows the Open dialog and quits when it is
// closed.

#include "resources/AppIcons.h"
#include "support/XSession.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <sstream>

using namespace testsupport;

namespace {

const std::string kProgram = std::string(QUILLPIX_BINARY_DIR) + "/app/quillpix";
const std::string kColour = std::string(QUILLPIX_SOURCE_DIR) + "/tests/data/images/colour.png";

// The icons of _NET_WM_ICON: side and ARGB pixels of each.
std::map<int, std::vector<uint32>>
IconsOf(const XSession& session, unsigned long window)
{
	std::string property = session.Run(
		"xprop -id " + std::to_string(window) + " -notype 32c _NET_WM_ICON 2>/dev/null");
	std::map<int, std::vector<uint32>> icons;
	size_t equals = property.find('=');
	if (equals == std::string::npos)
		return icons;
	std::vector<uint32> values;
	std::istringstream numbers(property.substr(equals + 1));
	std::string item;
	while (std::getline(numbers, item, ','))
		values.push_back(uint32(std::strtoul(item.c_str(), nullptr, 10)));
	for (size_t at = 0; at + 2 <= values.size();) {
		uint32 width = values[at];
		uint32 height = values[at + 1];
		size_t count = size_t(width) * height;
		if (width == 0 || width != height || at + 2 + count > values.size())
			break;
		icons[int(width)].assign(values.begin() + at + 2, values.begin() + at + 2 + count);
		at += 2 + count;
	}
	return icons;
}

// The resource icon as the window manager should get it: ARGB, the colour
// of transparent pixels not mattering.
void
ExpectIcon(const std::vector<uint32>& shown, const uint8* indices, int32 side)
{
	std::vector<uint8> rgba = IconRgba(indices, side);
	ASSERT_EQ(shown.size(), size_t(side) * side);
	for (int32 pixel = 0; pixel < side * side; pixel++) {
		const uint8* expected = &rgba[pixel * 4];
		uint32 alpha = shown[pixel] >> 24;
		ASSERT_EQ(alpha, expected[3]) << side << ": pixel " << pixel;
		if (alpha == 0)
			continue;
		uint32 argb = (uint32(expected[3]) << 24) | (uint32(expected[0]) << 16)
			| (uint32(expected[1]) << 8) | expected[2];
		ASSERT_EQ(shown[pixel], argb) << side << ": pixel " << pixel;
	}
}

class DesktopProgramTest : public testing::TestWithParam<WindowManager> {
protected:
	void SetUp() override
	{
		fSession = std::make_unique<XSession>(
			GetParam(), 1024, 768, XSession::Reach::kThisProcessToo);
		ASSERT_EQ(fSession->Failure(), "");
	}

	std::unique_ptr<XSession> fSession;
};

TEST_P(DesktopProgramTest, EveryWindowCarriesTheApplicationIconInBothSizes)
{
	pid_t program = fSession->Start({kProgram, kColour, kColour}, {"QT_QPA_PLATFORM=xcb"});
	std::vector<unsigned long> windows;
	PollUntil([&] {
		std::istringstream found(
			fSession->Run("xdotool search --onlyvisible --name '^colour.png.h$' 2>/dev/null"));
		windows.clear();
		unsigned long window;
		while (found >> window)
			windows.push_back(window);
		return windows.size() == 2;
	});
	ASSERT_EQ(windows.size(), 2u);
	for (unsigned long window : windows) {
		std::map<int, std::vector<uint32>> icons;
		PollUntil([&] { return (icons = IconsOf(*fSession, window)).size() == 2; });
		ASSERT_EQ(icons.size(), 2u) << fSession->Run("xprop -id " + std::to_string(window));
		ExpectIcon(icons[kMiniIconSide], kMiniIcon, kMiniIconSide);
		ExpectIcon(icons[kLargeIconSide], kLargeIcon, kLargeIconSide);
	}
	kill(program, SIGTERM);
	fSession->WaitForExit(program);
}

// Closing the dialog (Escape) quits the program, with status 0.
TEST_P(DesktopProgramTest, OpenAnImageShowsTheOpenDialogAndClosingItQuits)
{
	pid_t program = fSession->Start({kProgram, "--open"}, {"QT_QPA_PLATFORM=xcb"});
	unsigned long dialog = fSession->MappedWindow("Open");
	ASSERT_NE(dialog, 0u);
	fSession->Focus(dialog);
	fSession->Run("xdotool key Escape");
	EXPECT_EQ(fSession->WaitForExit(program), 0);
	EXPECT_EQ(fSession->WindowNamed("Open"), 0u);
}

INSTANTIATE_TEST_SUITE_P(Managers, DesktopProgramTest,
	testing::Values(WindowManager::kNone, WindowManager::kOpenbox),
	[](const testing::TestParamInfo<WindowManager>& info) {
		return std::string(info.param == WindowManager::kOpenbox ? "Openbox" : "NoManager");
	});

} // namespace
