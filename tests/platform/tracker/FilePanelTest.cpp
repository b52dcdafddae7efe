// SPDX-License-Identifier: MIT
#include <Application.h>
#include <Entry.h>
#include <FilePanel.h>
#include <HeadlessProbe.h>
#include <Looper.h>
#include <Node.h>
#include <NodeInfo.h>

#include "support/Files.h"
#include "support/Waiting.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <climits>
#include <mutex>
#include <thread>

namespace {

using testsupport::CodeText;
using testsupport::EventLog;

// Writes each answer as text: the code, then every ref, directory and name.
std::string
Describe(const BMessage& message)
{
	std::string text = CodeText(message.what);
	entry_ref ref;
	for (int32 index = 0; message.FindRef("refs", index, &ref) == B_OK; index++)
		text += std::string(" ref=") + ref.directory + "/" + ref.name;
	if (message.FindRef("directory", &ref) == B_OK)
		text += std::string(" dir=") + ref.directory + "/" + ref.name;
	if (const char* name = message.GetString("name"))
		text += std::string(" name=") + name;
	return text;
}

class PanelTarget : public BLooper {
public:
	explicit PanelTarget(EventLog& log) : BLooper("panel target"), fLog(log) { }
	void MessageReceived(BMessage* message) override { fLog.Add(Describe(*message)); }

private:
	EventLog& fLog;
};

class FilePanelTest : public testing::Test {
protected:
	void SetUp() override
	{
		fServer = HeadlessServer::InstallNew();
		fProbe = std::make_unique<HeadlessProbe>(*fServer);
		fTarget = new PanelTarget(fLog);
		fTarget->Run();
		fMessenger = BMessenger(nullptr, fTarget);
	}

	void TearDown() override
	{
		fTarget->Lock();
		fTarget->Quit();
	}

	int32 OnlyPanelId()
	{
		std::vector<HeadlessServer::PanelState> panels = fServer->Panels();
		EXPECT_EQ(panels.size(), 1u);
		return panels.empty() ? -1 : panels[0].id;
	}

	HeadlessServer* fServer = nullptr;
	std::unique_ptr<HeadlessProbe> fProbe;
	EventLog fLog;
	PanelTarget* fTarget = nullptr;
	BMessenger fMessenger;
};

// Offers every entry but text files, and notes what it was asked with.
class NoTextFilter : public BRefFilter {
public:
	bool Filter(const entry_ref* ref, BNode* node, struct stat* stat, const char* mimeType) override
	{
		std::string name = ref->name;
		std::lock_guard<std::mutex> hold(fLock);
		fAsked.push_back(name + (node != nullptr && node->InitCheck() == B_OK ? " node" : "")
			+ (stat != nullptr && S_ISREG(stat->st_mode) ? " file " : " ") + mimeType);
		return name.size() < 4 || name.compare(name.size() - 4, 4, ".txt") != 0;
	}

	std::vector<std::string> Asked()
	{
		std::lock_guard<std::mutex> hold(fLock);
		return fAsked;
	}

private:
	std::mutex fLock;
	std::vector<std::string> fAsked;
};

TEST_F(FilePanelTest, AnOpenPanelTakesOnlyWhatItsFilterOffersUntilTheFilterGoes)
{
	testsupport::ScratchDirectory directory;
	std::string picturePath = directory.Path() + "/picture.png";
	std::string notesPath = directory.Path() + "/notes.txt";
	ASSERT_TRUE(testsupport::WriteWhole(picturePath, "x"));
	ASSERT_TRUE(testsupport::WriteWhole(notesPath, "y"));
	BNode pictureNode(picturePath.c_str());
	ASSERT_EQ(BNodeInfo(&pictureNode).SetType("image/png"), B_OK);
	entry_ref picture;
	entry_ref notes;
	ASSERT_EQ(BEntry(picturePath.c_str()).GetRef(&picture), B_OK);
	ASSERT_EQ(BEntry(notesPath.c_str()).GetRef(&notes), B_OK);

	NoTextFilter filter;
	BFilePanel panel(B_OPEN_PANEL, &fMessenger, nullptr, 0, true, nullptr, &filter);
	EXPECT_EQ(panel.RefFilter(), &filter);
	panel.Show();
	int32 id = OnlyPanelId();
	EXPECT_EQ(fProbe->AcceptOpenPanel(id, {notes}), B_NOT_ALLOWED);
	// One entry the panel does not offer refuses the whole choice.
	EXPECT_EQ(fProbe->AcceptOpenPanel(id, {picture, notes}), B_NOT_ALLOWED);
	// What cannot be read is not offered, and the filter is not asked.
	EXPECT_EQ(fProbe->AcceptOpenPanel(id, {entry_ref(directory.Path().c_str(), "gone.png")}),
		B_NOT_ALLOWED);
	EXPECT_TRUE(panel.IsShowing());
	EXPECT_EQ(filter.Asked(),
		(std::vector<std::string>{
			"notes.txt node file ", "picture.png node file image/png", "notes.txt node file "}));

	ASSERT_EQ(fProbe->AcceptOpenPanel(id, {picture}), B_OK);
	ASSERT_TRUE(fLog.WaitForCount(1));
	EXPECT_EQ(fLog.Events()[0], std::string("_RRC ref=") + picture.directory + "/picture.png");

	// Taken away while the panel shows, the filter is asked no more.
	panel.Show();
	panel.SetRefFilter(nullptr);
	EXPECT_EQ(panel.RefFilter(), nullptr);
	size_t asked = filter.Asked().size();
	ASSERT_EQ(fProbe->AcceptOpenPanel(OnlyPanelId(), {notes}), B_OK);
	ASSERT_TRUE(fLog.WaitForCount(2));
	EXPECT_EQ(fLog.Events()[1], std::string("_RRC ref=") + notes.directory + "/notes.txt");
	EXPECT_EQ(filter.Asked().size(), asked);
}

TEST_F(FilePanelTest, AnOpenPanelSendsOneRefPerChosenFileAndHides)
{
	BFilePanel panel(B_OPEN_PANEL, &fMessenger);
	EXPECT_TRUE(fServer->Panels().empty()) << "not shown before Show";
	panel.Show();
	EXPECT_TRUE(panel.IsShowing());

	std::optional<HeadlessServer::PanelState> state = fServer->Panel(OnlyPanelId());
	ASSERT_TRUE(state);
	EXPECT_EQ(state->mode, B_OPEN_PANEL);
	EXPECT_EQ(state->target, fMessenger);
	char cwd[PATH_MAX];
	ASSERT_NE(getcwd(cwd, sizeof(cwd)), nullptr);
	entry_ref here;
	ASSERT_EQ(BEntry(cwd).GetRef(&here), B_OK);
	EXPECT_EQ(state->directory, here) << "with no directory given: the working directory";

	std::vector<entry_ref> chosen{entry_ref("/tmp", "a.png"), entry_ref("/srv", "b.gif")};
	ASSERT_EQ(fProbe->AcceptOpenPanel(state->id, chosen), B_OK);
	ASSERT_TRUE(fLog.WaitForCount(1));
	EXPECT_EQ(fLog.Events(), (std::vector<std::string>{"_RRC ref=/tmp/a.png ref=/srv/b.gif"}));
	EXPECT_FALSE(panel.IsShowing());
	EXPECT_TRUE(fServer->Panels().empty());

	panel.Show();
	EXPECT_EQ(fServer->Panels().size(), 1u) << "the same panel shows again";
}

TEST_F(FilePanelTest, ASavePanelSendsDirectoryAndName)
{
	entry_ref start("/", "tmp");
	BFilePanel panel(B_SAVE_PANEL, &fMessenger, &start, 0, false);
	panel.SetSaveText("pic.png.h");
	panel.Show();

	std::optional<HeadlessServer::PanelState> state = fServer->Panel(OnlyPanelId());
	ASSERT_TRUE(state);
	EXPECT_EQ(state->mode, B_SAVE_PANEL);
	EXPECT_EQ(state->saveText, "pic.png.h");
	EXPECT_EQ(state->directory, start);

	EXPECT_EQ(fProbe->AcceptOpenPanel(state->id, {entry_ref("/tmp", "x")}), B_NOT_ALLOWED);
	EXPECT_EQ(fProbe->AcceptSavePanel(state->id, entry_ref("/home", "src"), ""), B_BAD_VALUE);
	ASSERT_EQ(fProbe->AcceptSavePanel(state->id, entry_ref("/home", "src"), "pic.h"), B_OK);
	ASSERT_TRUE(fLog.WaitForCount(1));
	EXPECT_EQ(fLog.Events(), (std::vector<std::string>{"SAVE dir=/home/src name=pic.h"}));
	EXPECT_FALSE(panel.IsShowing());
}

TEST_F(FilePanelTest, ClosingWithoutAChoiceSendsCancel)
{
	BFilePanel panel(B_SAVE_PANEL, &fMessenger);
	panel.Show();
	ASSERT_EQ(fProbe->CancelPanel(OnlyPanelId()), B_OK);
	ASSERT_TRUE(fLog.WaitForCount(1));
	EXPECT_EQ(fLog.Events(), (std::vector<std::string>{"_CNC"}));
	EXPECT_FALSE(panel.IsShowing());
	EXPECT_EQ(fProbe->CancelPanel(12345), B_BAD_VALUE);
}

TEST_F(FilePanelTest, APanelThatStaysAnswersAgainAndUsesItsOwnMessage)
{
	BMessage chosen('Pick');
	BFilePanel panel(B_OPEN_PANEL, &fMessenger, nullptr, 0, false, &chosen, nullptr, false, false);
	panel.Show();
	int32 id = OnlyPanelId();
	EXPECT_EQ(
		fProbe->AcceptOpenPanel(id, {entry_ref("/a", "1"), entry_ref("/a", "2")}), B_NOT_ALLOWED)
		<< "one file only";
	ASSERT_EQ(fProbe->AcceptOpenPanel(id, {entry_ref("/a", "1")}), B_OK);
	ASSERT_EQ(fProbe->AcceptOpenPanel(id, {entry_ref("/a", "2")}), B_OK);
	ASSERT_TRUE(fLog.WaitForCount(2));
	EXPECT_EQ(fLog.Events(), (std::vector<std::string>{"Pick ref=/a/1", "Pick ref=/a/2"}));
	EXPECT_TRUE(panel.IsShowing());
}

TEST_F(FilePanelTest, DeletingAShownPanelTakesItOffTheScreen)
{
	{
		BFilePanel panel(B_OPEN_PANEL, &fMessenger);
		panel.Show();
		EXPECT_EQ(fServer->Panels().size(), 1u);
	}
	EXPECT_TRUE(fServer->Panels().empty());
	EXPECT_EQ(fLog.Count(), 0u) << "and sends nothing";
}

TEST_F(FilePanelTest, ChangesWhileShowingReachTheServer)
{
	BFilePanel panel(B_SAVE_PANEL, &fMessenger);
	panel.SetSaveText("first.h");
	panel.Show();
	int32 id = OnlyPanelId();
	EXPECT_EQ(fServer->Panel(id)->saveText, "first.h");

	panel.SetSaveText("second.h");
	entry_ref directory("/", "tmp");
	panel.SetPanelDirectory(&directory);
	BMessenger other(nullptr, fTarget);
	panel.SetTarget(other);
	std::optional<HeadlessServer::PanelState> state = fServer->Panel(id);
	ASSERT_TRUE(state);
	EXPECT_EQ(state->saveText, "second.h");
	EXPECT_EQ(state->directory, directory);
	EXPECT_EQ(state->target, other);
}

// The person answers a panel that its owner shows again before the answer
// reaches it: the answer is delivered, and the panel stays on the screen.
TEST_F(FilePanelTest, APanelShownAgainBeforeItsAnswerArrivesStaysUp)
{
	BFilePanel panel(B_SAVE_PANEL, &fMessenger);
	panel.Show();
	int32 id = OnlyPanelId();
	BMessenger answers = fServer->Panel(id)->panel;
	ASSERT_TRUE(answers.LockTarget()) << "holds the answer back";
	BLooper* looper = nullptr;
	answers.Target(&looper);
	ASSERT_EQ(fProbe->AcceptSavePanel(id, entry_ref("/home", "src"), "pic.h"), B_OK);
	EXPECT_TRUE(fServer->Panels().empty()) << "the dialog closes as it is answered";
	panel.Show();
	looper->Unlock();

	ASSERT_TRUE(fLog.WaitForCount(1));
	EXPECT_EQ(fLog.Events(), (std::vector<std::string>{"SAVE dir=/home/src name=pic.h"}));
	EXPECT_TRUE(panel.IsShowing());
	EXPECT_EQ(fServer->Panels().size(), 1u);

	ASSERT_EQ(fProbe->CancelPanel(id), B_OK);
	ASSERT_TRUE(fLog.WaitForCount(2));
	EXPECT_FALSE(panel.IsShowing()) << "an answer to the showing on the screen hides it";
}

class PanelApp : public BApplication {
public:
	explicit PanelApp(EventLog& log) : BApplication("application/x-vnd.panel"), fLog(log) { }

	void ReadyToRun() override
	{
		fPanel = std::make_unique<BFilePanel>();
		fPanel->Show();
	}

	void RefsReceived(BMessage* message) override
	{
		fLog.Add(Describe(*message));
		PostMessage(B_QUIT_REQUESTED);
	}

	std::unique_ptr<BFilePanel> fPanel;

private:
	EventLog& fLog;
};

TEST_F(FilePanelTest, APanelWithoutATargetAnswersTheApplication)
{
	const char* arguments[] = {"app"};
	BApplication::SetLaunchArguments(1, arguments);
	EventLog log;
	PanelApp app(log);
	std::thread person([&] {
		ASSERT_TRUE(fServer->WaitUntil([&] { return !fServer->Panels().empty(); }, 20000000));
		EXPECT_EQ(fServer->Panels()[0].target, be_app_messenger);
		fProbe->AcceptOpenPanel(fServer->Panels()[0].id, {entry_ref("/tmp", "dropped")});
	});
	app.Run();
	person.join();
	EXPECT_EQ(log.Events(), (std::vector<std::string>{"_RRC ref=/tmp/dropped"}));
	BApplication::SetLaunchArguments(0, nullptr);
}

} // namespace
