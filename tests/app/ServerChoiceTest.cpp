// SPDX-License-Identifier: MIT
// Which display server the program starts on, from its environment.

#include "app/server_choice/ServerChoice.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

// No server: the choice fails with a reason.
constexpr std::optional<ServerKind> kNone;

struct Case {
	const char* name;
	ServerEnvironment environment;
	bool qtBuilt;
	std::optional<ServerKind> expected;
	const char* reasonStart; // for kNone
};

const Case kCases[] = {
	{"NothingSet", {"", "", "", ""}, true, kNone, "no display found"},
	{"X11", {"", ":0", "", ""}, true, ServerKind::kQt, ""},
	{"Wayland", {"", "", "wayland-0", ""}, true, ServerKind::kQt, ""},
	{"QtPlatformChosen", {"", "", "", "offscreen"}, true, ServerKind::kQt, ""},
	{"HeadlessWins", {"headless", ":0", "wayland-0", "xcb"}, true, ServerKind::kHeadless, ""},
	{"HeadlessWithoutQt", {"headless", "", "", ""}, false, ServerKind::kHeadless, ""},
	{"QtAsked", {"qt", "", "", ""}, true, ServerKind::kQt, ""},
	{"UnknownServer", {"vnc", ":0", "", ""}, true, kNone, "unknown display server"},
	{"DisplayWithoutQt", {"", ":0", "", ""}, false, kNone, "built without"},
	{"QtAskedWithoutQt", {"qt", ":0", "", ""}, false, kNone, "built without"},
};

class ServerChoiceTest : public testing::TestWithParam<Case> { };

} // namespace

TEST_P(ServerChoiceTest, ChoosesFromTheEnvironment)
{
	const Case& row = GetParam();
	BPrivate::Result<ServerKind> chosen = ChooseServerKind(row.environment, row.qtBuilt);
	ASSERT_EQ(chosen.Ok(), row.expected.has_value());
	if (row.expected) {
		EXPECT_EQ(chosen.Value(), *row.expected);
	} else {
		const std::string& reason = chosen.Error().detail;
		EXPECT_EQ(chosen.Error().status, B_ERROR);
		EXPECT_EQ(reason.rfind(row.reasonStart, 0), 0u) << reason;
		EXPECT_EQ(reason.find('\n'), std::string::npos);
	}
}

INSTANTIATE_TEST_SUITE_P(Rows, ServerChoiceTest, testing::ValuesIn(kCases),
	[](const testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });
