// SPDX-License-Identifier: MIT
// The last document window going while its close prompt still runs: the
// application ends, is deleted at once as the program's main does, and the
// prompt's thread must not reach it afterwards.

#include "support/DocumentFixture.h"

#include "support/RunWithPerson.h"
#include "support/WindowFixture.h"
#include "export/LeafName.h"

namespace {

using namespace testsupport;

// The race it guards against is between the prompt's thread and the
// application's deletion: several rounds give it room to show.
constexpr int kRounds = 20;

class LastWindowTest : public ApplicationFixture {
protected:
	void MakeDocument(const char* name, bool modified)
	{
		BMessage make(kMsgMakeDocument);
		make.AddString("name", name);
		make.AddBool("modified", modified);
		be_app_messenger.SendMessage(&make);
		ASSERT_TRUE(fServer->WaitUntil(
			[&] {
				int32 id = fProbe->FindWindow(LeafName(name));
				return id >= 0 && fProbe->IsVisible(id);
			},
			kWatchdogMicroseconds));
	}

	// Runs a new application with one document window, deleted as soon as it
	// ends, `kRounds` times: `person` acts while it runs, `afterwards` once it
	// is gone. The window and the application end once each, every round.
	void ForEachRound(const std::function<void(EventLog&, AlertDesk&)>& person,
		const std::function<void(AlertDesk&)>& afterwards = nullptr)
	{
		for (int round = 0; round < kRounds; round++) {
			SCOPED_TRACE("round " + std::to_string(round));
			EventLog log;
			AlertDesk desk(fServer);
			RunAndDelete(new DocumentTestApp(log), [&] { person(log, desk); });
			if (afterwards)
				afterwards(desk);
			EXPECT_EQ(log.Count("deleted Untitled 1"), 1u);
			EXPECT_EQ(log.Count("application quits"), 1u);
		}
	}
};

TEST_F(LastWindowTest, DontSaveOnTheLastWindowDuringAQuitEndsTheApplicationCleanly)
{
	ForEachRound([&](EventLog& log, AlertDesk& desk) {
		MakeDocument("Untitled 1", true);
		be_app_messenger.SendMessage(B_QUIT_REQUESTED);
		ASSERT_TRUE(desk.WaitForPrompts(1));
		ASSERT_TRUE(log.WaitFor("application stays"));
		desk.Answer(0, kDontSave);
	});
}

// The window goes by other means while its prompt waits, which ends the
// application; the person then answers "Cancel" to a prompt whose window
// and application are both gone.
TEST_F(LastWindowTest, CancelAfterTheApplicationHasGoneDoesNothing)
{
	ForEachRound(
		[&](EventLog&, AlertDesk& desk) {
			MakeDocument("Untitled 1", true);
			fProbe->ClickCloseBox(fProbe->FindWindow("Untitled 1"));
			ASSERT_TRUE(desk.WaitForPrompts(1));
			BMessenger window(nullptr, be_app->WindowAt(0));
			QuitDocument(window);
		},
		[](AlertDesk& desk) { desk.Answer(0, kCancel); });
}

} // namespace
