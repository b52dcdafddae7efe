// SPDX-License-Identifier: MIT
#include "support/WindowFixture.h"

#include <Alert.h>
#include <Invoker.h>
#include <Looper.h>
#include <Screen.h>

#include <atomic>
#include <thread>

namespace {

using namespace testsupport;

class AlertTest : public WindowFixture { };

TEST_F(AlertTest, GoAnswersTheButtonTheHandlerPressed)
{
	AlertInfo seen;
	fServer->SetAlertHandler([&](const AlertInfo& alert) {
		seen = alert;
		return 2;
	});
	auto* alert = new BAlert(nullptr, "Save changes to the document \"a.h\"?", "Don't save",
		"Cancel", "Save", B_WIDTH_AS_USUAL, B_INFO_ALERT);
	EXPECT_EQ(alert->Go(), 2);

	EXPECT_EQ(seen.title, "");
	EXPECT_EQ(seen.text, "Save changes to the document \"a.h\"?");
	EXPECT_EQ(seen.buttons, (std::vector<std::string>{"Don't save", "Cancel", "Save"}));
	EXPECT_EQ(seen.width, B_WIDTH_AS_USUAL);
	EXPECT_EQ(seen.type, B_INFO_ALERT);
	ASSERT_EQ(fServer->Alerts().size(), 1u);
}

// Without a handler an alert shows until a button is pressed by its label.
TEST_F(AlertTest, WithoutAHandlerAnAlertShowsUntilAButtonIsPressed)
{
	EXPECT_EQ(fProbe->PressAlertButton("OK"), B_BAD_VALUE) << "no alert shows";
	std::atomic<int32> answer{-1};
	std::thread asking([&] { answer = (new BAlert("Question", "Which?", "One", "Two"))->Go(); });

	std::vector<DisplayProbe::AlertView> showing;
	ASSERT_TRUE(Eventually([&] {
		showing = fProbe->Alerts();
		return !showing.empty();
	}));
	ASSERT_EQ(showing.size(), 1u);
	EXPECT_EQ(showing[0].title, "Question");
	EXPECT_EQ(showing[0].text, "Which?");
	EXPECT_EQ(showing[0].buttons, (std::vector<std::string>{"One", "Two"}));
	EXPECT_EQ(showing[0].defaultButton, "Two");
	EXPECT_EQ(fProbe->PressAlertButton("Three"), B_NAME_NOT_FOUND);
	EXPECT_EQ(fServer->AnswerAlert(2), B_BAD_VALUE);
	EXPECT_EQ(answer, -1) << "still waiting for a button";

	EXPECT_EQ(fProbe->PressAlertButton("One"), B_OK);
	asking.join();
	EXPECT_EQ(answer, 0);
	EXPECT_TRUE(fProbe->Alerts().empty());
	EXPECT_EQ(fServer->Alerts().size(), 1u) << "the log keeps it";
}

TEST_F(AlertTest, GoBlocksItsThreadUntilAPersonAnswers)
{
	Gate shown;
	Gate pressed;
	fServer->SetAlertHandler([&](const AlertInfo&) {
		shown.Open();
		pressed.Wait();
		return 0;
	});
	std::atomic<int32> answer{-1};
	std::thread asking([&] { answer = (new BAlert("t", "slow person", "OK"))->Go(); });

	ASSERT_TRUE(shown.Wait());
	EXPECT_EQ(answer, -1) << "still waiting for the button";
	pressed.Open();
	asking.join();
	EXPECT_EQ(answer, 0);
}

class AnswerLooper : public BLooper {
public:
	explicit AnswerLooper(EventLog& log) : BLooper("answers"), fLog(log) { }
	void MessageReceived(BMessage* message) override
	{
		fLog.Add(CodeText(message->what) + " " + std::to_string(message->GetInt32("which", -1)));
	}

private:
	EventLog& fLog;
};

TEST_F(AlertTest, AnAsynchronousAlertSendsTheAnswerToItsInvoker)
{
	fServer->SetAlertHandler([](const AlertInfo&) { return 1; });
	EventLog log;
	auto* looper = new AnswerLooper(log);
	looper->Run();
	auto* alert = new BAlert("t", "text", "A", "B");
	ASSERT_EQ(alert->Go(new BInvoker(new BMessage('answ'), looper)), B_OK);
	ASSERT_TRUE(log.WaitFor("answ 1"));
	looper->Lock();
	looper->Quit();
}

TEST_F(AlertTest, AnAlertNobodyAnswersFailsLoudlyInsteadOfHanging)
{
	GTEST_FLAG_SET(death_test_style, "threadsafe");
	EXPECT_DEATH(
		{
			HeadlessServer::InstallNew();
			(new BAlert(nullptr, "Usage: nobody answers this", "OK"))->Go();
		},
		"Usage: nobody answers this");
}

TEST_F(AlertTest, TheScreenIsTheServersScreen)
{
	EXPECT_EQ(BScreen().Frame(), BRect(0, 0, 1023, 767));
	EXPECT_EQ(BScreen(B_MAIN_SCREEN_ID).Frame(), BRect(0, 0, 1023, 767));
	fServer->SetScreenFrame(BRect(0, 0, 639, 479));
	EXPECT_EQ(BScreen().Frame(), BRect(0, 0, 639, 479)) << "read anew every time";
	EXPECT_FALSE(BScreen(screen_id{3}).IsValid());
}

} // namespace
