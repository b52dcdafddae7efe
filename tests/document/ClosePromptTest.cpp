// SPDX-License-Identifier: MIT
// Closing a modified document: the prompt, its three answers, and how they
// meet the application's quit, on the real loops of an application and its
// windows.

#include "support/DocumentFixture.h"

#include "support/RunWithPerson.h"
#include "support/WindowFixture.h"
#include "export/LeafName.h"

namespace {

using namespace testsupport;

class ClosePromptTest : public ApplicationFixture {
protected:
	void SetUp() override
	{
		ApplicationFixture::SetUp();
		fDesk = std::make_unique<AlertDesk>(fServer);
	}

	void TearDown() override
	{
		fDesk.reset();
		ApplicationFixture::TearDown();
	}

	// Has the application make a document window and waits until it shows.
	BMessenger MakeDocument(DocumentTestApp& app, const std::string& name, bool modified)
	{
		BMessage make(kMsgMakeDocument);
		make.AddString("name", name.c_str());
		make.AddBool("modified", modified);
		be_app_messenger.SendMessage(&make);
		EXPECT_TRUE(fServer->WaitUntil(
			[&] {
				int32 id = fProbe->FindWindow(LeafName(name.c_str()));
				return id >= 0 && fProbe->IsVisible(id);
			},
			kWatchdogMicroseconds));
		return app.Document(name);
	}

	int32 ServerIdOf(const std::string& name) const
	{
		return fProbe->FindWindow(LeafName(name.c_str()));
	}

	void Close(const std::string& name) { fProbe->ClickCloseBox(ServerIdOf(name)); }

	// Waits until the application has handled everything posted to it so
	// far; what it logged is then in the journal.
	void SyncWithApplication()
	{
		size_t before = fLog.Count("application pinged");
		be_app_messenger.SendMessage(kMsgPing);
		ASSERT_TRUE(fLog.WaitFor("application pinged", before + 1));
	}

	bool WaitForWindows(size_t count)
	{
		return fServer->WaitUntil(
			[&] { return fServer->Windows().size() == count; }, kWatchdogMicroseconds);
	}

	// The modified document `name`, and beside it an unmodified "Untitled 2";
	// the modified one's window.
	BMessenger MakeModifiedAndUntitled2(DocumentTestApp& app, const std::string& name)
	{
		BMessenger modified = MakeDocument(app, name, true);
		MakeDocument(app, "Untitled 2", false);
		return modified;
	}

	// Asks the application to quit with the modified document `name` and an
	// unmodified one open, and waits for the prompt that asks about `name`.
	void AskToQuitWithAModifiedDocument(DocumentTestApp& app, const std::string& name)
	{
		MakeModifiedAndUntitled2(app, name);
		be_app_messenger.SendMessage(B_QUIT_REQUESTED);
		ASSERT_TRUE(fDesk->WaitForPrompts(1));
	}

	// Waits for the `count`-th prompt and answers it with `button`.
	void AnswerPrompt(size_t count, int32 button)
	{
		ASSERT_TRUE(fDesk->WaitForPrompts(count));
		fDesk->Answer(count - 1, button);
	}

	void ConfirmOnlyPanel(const entry_ref& directory, const char* name)
	{
		ASSERT_TRUE(WaitForOnlyPanel());
		ASSERT_EQ(fProbe->AcceptSavePanel(fServer->Panels()[0].id, directory, name), B_OK);
	}

	void CancelOnlyPanel()
	{
		ASSERT_TRUE(WaitForOnlyPanel());
		fProbe->CancelPanel(fServer->Panels()[0].id);
	}

	bool WaitForOnlyPanel()
	{
		return fServer->WaitUntil(
			[&] { return fServer->Panels().size() == 1; }, kWatchdogMicroseconds);
	}

	// Two close requests start two prompts; the first closes the window, so
	// the second's answer finds nothing to act on.
	void AnswerTheSecondPromptAfterTheWindowIsGone(int32 lateAnswer)
	{
		DocumentTestApp app(fLog);
		std::string name = (fScratch / "sunset.png.h");
		RunWithPerson(app, [&] {
			MakeModifiedAndUntitled2(app, name);
			Close(name);
			Close(name);
			ASSERT_TRUE(fDesk->WaitForPrompts(2));
			fDesk->Answer(0, kDontSave);
			ASSERT_TRUE(fLog.WaitFor("deleted sunset.png.h"));
			fDesk->Answer(1, lateAnswer);
			SyncWithApplication();
			EXPECT_EQ(fLog.Count("application quits"), 0u);
			EXPECT_EQ(fServer->Windows().size(), 1u);
			Close("Untitled 2");
		});
		EXPECT_EQ(fLog.StartingWith("save "), std::vector<std::string>{});
		EXPECT_EQ(fLog.Count("deleted Untitled 2"), 1u);
	}

	std::unique_ptr<AlertDesk> fDesk;
	EventLog fLog;
	DocumentScratch fScratch;
};

TEST_F(ClosePromptTest, ThePromptAsksInItsOwnThreadWithTheExactTextAndButtons)
{
	DocumentTestApp app(fLog);
	std::string name = (fScratch / "sunset.png.h");
	RunWithPerson(app, [&] {
		BMessenger window = MakeDocument(app, name, true);
		Close(name);
		ASSERT_TRUE(fDesk->WaitForPrompts(1));

		AlertDesk::Prompt prompt = fDesk->PromptAt(0);
		EXPECT_EQ(prompt.alert.title, "");
		EXPECT_EQ(prompt.alert.text, "Save changes to the document \"sunset.png.h\"?");
		EXPECT_EQ(prompt.alert.buttons, (std::vector<std::string>{"Don't save", "Cancel", "Save"}));
		EXPECT_EQ(prompt.alert.width, B_WIDTH_AS_USUAL);
		EXPECT_EQ(prompt.alert.type, B_INFO_ALERT);
		EXPECT_EQ(prompt.threadName, "SavePromptThread");
		EXPECT_EQ(prompt.priority, 10);

		// While the prompt waits, the window goes on handling messages.
		window.SendMessage(kMsgPing);
		EXPECT_TRUE(fLog.WaitFor("handled ping"));

		fDesk->Answer(0, kCancel);
		EXPECT_EQ(fServer->Windows().size(), 1u) << "Cancel keeps the window";
		Close(name);
		AnswerPrompt(2, kDontSave);
	});
	EXPECT_EQ(fLog.StartingWith("save "), std::vector<std::string>{});
	EXPECT_EQ(fLog.Count("deleted sunset.png.h"), 1u);
}

TEST_F(ClosePromptTest, DontSaveClosesOnlyThatWindow)
{
	DocumentTestApp app(fLog);
	RunWithPerson(app, [&] {
		MakeModifiedAndUntitled2(app, "Untitled 1");
		Close("Untitled 1");
		AnswerPrompt(1, kDontSave);
		ASSERT_TRUE(fLog.WaitFor("deleted Untitled 1"));
		SyncWithApplication();
		EXPECT_EQ(fLog.Count("application quits"), 0u);
		EXPECT_EQ(fServer->Windows().size(), 1u);
		EXPECT_EQ(app.CountDocumentWindows(), 1);
		Close("Untitled 2");
	});
	EXPECT_EQ(fLog.Count("application quits"), 1u);
}

TEST_F(ClosePromptTest, DontSaveDuringTheApplicationsQuitLetsTheQuitGoOn)
{
	DocumentTestApp app(fLog);
	RunWithPerson(app, [&] {
		AskToQuitWithAModifiedDocument(app, "Untitled 1");
		ASSERT_TRUE(fLog.WaitFor("application stays"));
		EXPECT_TRUE(app.IsQuitting());
		fDesk->Answer(0, kDontSave);
	});
	// The prompt asked the application again, which then let the other
	// window go and quit.
	std::vector<std::string> events = fLog.Events();
	ASSERT_GE(events.size(), 3u);
	EXPECT_EQ(std::vector<std::string>(events.end() - 3, events.end()),
		(std::vector<std::string>{
			"deleted Untitled 1", "deleted Untitled 2", "application quits"}));
}

TEST_F(ClosePromptTest, CancelCallsOffTheApplicationsQuit)
{
	DocumentTestApp app(fLog);
	RunWithPerson(app, [&] {
		AskToQuitWithAModifiedDocument(app, "Untitled 1");
		ASSERT_TRUE(fLog.WaitFor("application stays"));
		fDesk->Answer(0, kCancel);
		EXPECT_FALSE(app.IsQuitting());
		EXPECT_EQ(fServer->Windows().size(), 2u);

		Close("Untitled 2");
		Close("Untitled 1");
		AnswerPrompt(2, kDontSave);
	});
	EXPECT_EQ(fLog.Count("application stays"), 1u);
}

TEST_F(ClosePromptTest, SaveWritesANamedDocumentAndClosesOnlyThatWindow)
{
	DocumentTestApp app(fLog);
	std::string name = (fScratch / "sunset.png.h");
	RunWithPerson(app, [&] {
		MakeModifiedAndUntitled2(app, name);
		Close(name);
		AnswerPrompt(1, kSave);
		// The window quits on its own thread once the save is done.
		ASSERT_TRUE(WaitForWindows(1));
		SyncWithApplication();
		EXPECT_EQ(fLog.Count("application quits"), 0u);
		Close("Untitled 2");
	});
	EXPECT_EQ(fLog.StartingWith("save "),
		std::vector<std::string>{"save " + name + " titled sunset.png.h"});
}

TEST_F(ClosePromptTest, SaveDuringTheApplicationsQuitLetsTheQuitGoOn)
{
	DocumentTestApp app(fLog);
	std::string name = (fScratch / "sunset.png.h");
	RunWithPerson(app, [&] {
		AskToQuitWithAModifiedDocument(app, name);
		fDesk->Answer(0, kSave);
	});
	EXPECT_EQ(fLog.StartingWith("save "),
		std::vector<std::string>{"save " + name + " titled sunset.png.h"});
	EXPECT_EQ(fLog.Count("deleted Untitled 2"), 1u);
}

TEST_F(ClosePromptTest, AFailedSaveKeepsTheWindowUntilALaterSaveSucceeds)
{
	DocumentTestApp app(fLog);
	std::string name = (fScratch / "sunset.png.h");
	RunWithPerson(app, [&] {
		BMessenger window = MakeDocument(app, name, true);
		WithWindow(window, [](TestDocumentWindow* document) { document->fSaveSucceeds = false; });
		Close(name);
		AnswerPrompt(1, kSave);
		ASSERT_TRUE(fLog.WaitFor("handled SAVE"));
		EXPECT_EQ(fServer->Windows().size(), 1u);
		EXPECT_EQ(DocumentNameOf(window), name);
		// The person is told, and the window's thread did not wait for it.
		ASSERT_TRUE(fDesk->WaitForPrompts(2));
		EXPECT_EQ(
			fDesk->PromptAt(1).alert.text, "Could not save \"sunset.png.h\": Permission denied.");
		EXPECT_EQ(fDesk->PromptAt(1).alert.buttons, std::vector<std::string>{"OK"});
		fDesk->Answer(1, 0);

		// The wish to close stays: the next successful save closes it.
		WithWindow(window, [](TestDocumentWindow* document) { document->fSaveSucceeds = true; });
		window.SendMessage(B_SAVE_REQUESTED);
	});
	EXPECT_EQ(fLog.StartingWith("save ").size(), 2u);
	EXPECT_EQ(fLog.Count("deleted sunset.png.h"), 1u);
}

TEST_F(ClosePromptTest, SaveOnAnUntitledDocumentWaitsForThePanel)
{
	DocumentTestApp app(fLog);
	RunWithPerson(app, [&] {
		MakeDocument(app, "Untitled 1", true);
		Close("Untitled 1");
		AnswerPrompt(1, kSave);
		ConfirmOnlyPanel(fScratch.Ref("src"), "pic.h");
	});
	EXPECT_EQ(fLog.StartingWith("save "),
		std::vector<std::string>{"save " + (fScratch / "src/pic.h") + " titled pic.h"});
	EXPECT_EQ(fLog.Count("deleted pic.h"), 1u);
}

TEST_F(ClosePromptTest, AFailedSaveFromThePanelRestoresTheNameAndKeepsTheWishToClose)
{
	DocumentTestApp app(fLog);
	RunWithPerson(app, [&] {
		BMessenger window = MakeDocument(app, "Untitled 1", true);
		WithWindow(window, [](TestDocumentWindow* document) { document->fSaveSucceeds = false; });
		Close("Untitled 1");
		AnswerPrompt(1, kSave);
		ConfirmOnlyPanel(fScratch.Ref("src"), "pic.h");
		ASSERT_TRUE(fLog.WaitFor("handled SAVE", 2));
		EXPECT_EQ(DocumentNameOf(window), "Untitled 1");
		EXPECT_EQ(fProbe->Title(ServerIdOf("Untitled 1")), "Untitled 1");
		// The alert names the file that was asked for, not the old name.
		ASSERT_TRUE(fDesk->WaitForPrompts(2));
		EXPECT_EQ(fDesk->PromptAt(1).alert.text, "Could not save \"pic.h\": Permission denied.");
		fDesk->Answer(1, 0);

		WithWindow(window, [](TestDocumentWindow* document) { document->fSaveSucceeds = true; });
		window.SendMessage(kMsgSaveAs);
		ConfirmOnlyPanel(fScratch.Ref("src"), "second.h");
	});
	EXPECT_EQ(fLog.Count("deleted second.h"), 1u);
}

TEST_F(ClosePromptTest, CancellingThePanelForgetsTheWishToClose)
{
	DocumentTestApp app(fLog);
	RunWithPerson(app, [&] {
		BMessenger window = MakeDocument(app, "Untitled 1", true);
		Close("Untitled 1");
		AnswerPrompt(1, kSave);
		CancelOnlyPanel();
		ASSERT_TRUE(fLog.WaitFor("handled _CNC"));

		window.SendMessage(kMsgSaveAs);
		ConfirmOnlyPanel(fScratch.Ref("src"), "pic.h");
		ASSERT_TRUE(fLog.WaitFor("handled SAVE", 2));
		EXPECT_EQ(fServer->Windows().size(), 1u) << "a save after the cancel keeps the window";
		EXPECT_EQ(fProbe->Title(fServer->Windows()[0]), "pic.h");

		Close("pic.h");
		AnswerPrompt(2, kDontSave);
	});
}

TEST_F(ClosePromptTest, DontSaveFromAPromptWhoseWindowIsGoneDoesNothing)
{
	AnswerTheSecondPromptAfterTheWindowIsGone(kDontSave);
}

TEST_F(ClosePromptTest, SaveFromAPromptWhoseWindowIsGoneDoesNothing)
{
	AnswerTheSecondPromptAfterTheWindowIsGone(kSave);
}

TEST_F(ClosePromptTest, CancelStillCallsOffTheQuitWhenTheWindowIsGone)
{
	DocumentTestApp app(fLog);
	RunWithPerson(app, [&] {
		BMessenger window = MakeModifiedAndUntitled2(app, "Untitled 1");
		Close("Untitled 1");
		ASSERT_TRUE(fDesk->WaitForPrompts(1));
		// The window goes by other means while its prompt waits, and the
		// application is asked to quit by someone else and is refused.
		QuitDocument(window);
		ASSERT_TRUE(fLog.WaitFor("deleted Untitled 1"));
		MakeDocument(app, "Untitled 3", true);
		be_app_messenger.SendMessage(B_QUIT_REQUESTED);
		ASSERT_TRUE(fDesk->WaitForPrompts(2));
		ASSERT_TRUE(app.IsQuitting());

		fDesk->Answer(0, kCancel);
		EXPECT_FALSE(app.IsQuitting());
		// Not quitting any more: this closes the last window, which ends
		// the application by itself.
		fDesk->Answer(1, kDontSave);
	});
}

// The prompt names the document as it was when the close was asked for,
// even when the window renames it before the prompt's thread builds the
// text.
TEST_F(ClosePromptTest, ThePromptKeepsTheNameOfTheMomentOfClosing)
{
	DocumentTestApp app(fLog);
	std::string name = (fScratch / "sunset.png.h");
	RunWithPerson(app, [&] {
		BMessenger window = MakeDocument(app, name, true);
		BMessage rename(B_SAVE_REQUESTED);
		entry_ref directory = fScratch.Ref("src");
		rename.AddRef("directory", &directory);
		rename.AddString("name", "renamed.h");
		Close(name);
		window.SendMessage(&rename);
		ASSERT_TRUE(fDesk->WaitForPrompts(1));
		ASSERT_TRUE(fLog.WaitFor("handled SAVE"));
		EXPECT_EQ(fDesk->PromptAt(0).alert.text, "Save changes to the document \"sunset.png.h\"?");
		fDesk->Answer(0, kDontSave);
	});
	EXPECT_EQ(fLog.Count("deleted renamed.h"), 1u);
}

// The person chose "Save" during the application's quit, then closed the
// panel without a name: the close is off, and so is the quit, as with the
// prompt's "Cancel". Closing that window alone later leaves the others.
TEST_F(ClosePromptTest, CancellingThePanelOfASaveDuringAQuitCallsOffTheQuit)
{
	DocumentTestApp app(fLog);
	RunWithPerson(app, [&] {
		AskToQuitWithAModifiedDocument(app, "Untitled 1");
		fDesk->Answer(0, kSave);
		CancelOnlyPanel();
		ASSERT_TRUE(fLog.WaitFor("handled _CNC"));
		EXPECT_FALSE(app.IsQuitting());

		Close("Untitled 1");
		AnswerPrompt(2, kDontSave);
		SyncWithApplication();
		EXPECT_EQ(fServer->Windows().size(), 1u) << "the other window stays";
		Close("Untitled 2");
	});
	EXPECT_EQ(fLog.Count("deleted Untitled 2"), 1u);
}

} // namespace
