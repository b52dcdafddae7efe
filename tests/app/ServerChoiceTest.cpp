// Which display server the program starts on, from its environment.

#include <ServerChoice.h>

#include <gtest/gtest.h>

namespace {

struct Case {
	const char* name;
	ServerEnvironment environment;
	bool qtBuilt;
	ServerKind expected;
	const char* reasonStart; // for kNone
};

const Case kCases[] = {
	{"NothingSet", {"", "", "", ""}, true, ServerKind::kNone, "no display found"},
	{"X11", {"", ":0", "", ""}, true, ServerKind::kQt, ""},
	{"Wayland", {"", "", "wayland-0", ""}, true, ServerKind::kQt, ""},
	{"QtPlatformChosen", {"", "", "", "offscreen"}, true, ServerKind::kQt, ""},
	{"HeadlessWins", {"headless", ":0", "wayland-0", "xcb"}, true, ServerKind::kHeadless, ""},
	{"HeadlessWithoutQt", {"headless", "", "", ""}, false, ServerKind::kHeadless, ""},
	{"QtAsked", {"qt", "", "", ""}, true, ServerKind::kQt, ""},
	{"UnknownServer", {"vnc", ":0", "", ""}, true, ServerKind::kNone, "unknown display server"},
	{"DisplayWithoutQt", {"", ":0", "", ""}, false, ServerKind::kNone, "built without"},
	{"QtAskedWithoutQt", {"qt", ":0", "", ""}, false, ServerKind::kNone, "built without"},
};

class ServerChoiceTest : public testing::TestWithParam<Case> {
};

} // namespace

TEST_P(ServerChoiceTest, ChoosesFromTheEnvironment)
{
	const Case& row = GetParam();
	std::string reason;
	EXPECT_EQ(ChooseServerKind(row.environment, row.qtBuilt, &reason), row.expected);
	if (row.expected == ServerKind::kNone) {
		EXPECT_EQ(reason.rfind(row.reasonStart, 0), 0u) << reason;
		EXPECT_EQ(reason.find('\n'), std::string::npos);
	}
}

INSTANTIATE_TEST_SUITE_P(Rows, ServerChoiceTest, testing::ValuesIn(kCases),
	[](const testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });
