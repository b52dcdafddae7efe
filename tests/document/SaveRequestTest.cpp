// SPDX-License-Identifier: MIT
// Save requests reaching a document window, row by row: the save panel's
// replies and bare requests, each against the name the document has, with
// SaveDocument succeeding or failing.

#include "support/DocumentFixture.h"

#include "export/LeafName.h"

namespace {

using namespace testsupport;

enum class Request {
	Bare, // no fields, as the close prompt sends it
	Reply, // "directory" and "name", as the save panel sends it
	DirectoryOnly,
	NameOnly,
	MissingDirectory, // a "directory" that does not resolve, and a "name"
};

struct SaveRow {
	const char* behaviour;
	const char* startName; // "@" stands for the scratch directory
	Request request;
	const char* name; // the "name" field, where the request has one
	bool saveSucceeds;
	const char* savedAs; // the name SaveDocument sees; null: it is not called
	const char* finalName;
	bool panelShown;
	const char* alert = nullptr; // what the person is told; null: nothing
};

const SaveRow kRows[] = {
	{"a bare request writes a named document under its name", "@/sunset.png.h", Request::Bare,
		nullptr, true, "@/sunset.png.h", "@/sunset.png.h", false},
	{"a failed bare save leaves the name", "@/sunset.png.h", Request::Bare, nullptr, false,
		"@/sunset.png.h", "@/sunset.png.h", false,
		"Could not save \"sunset.png.h\": Permission denied."},
	{"a bare request on an untitled document shows the panel", "Untitled 2", Request::Bare, nullptr,
		true, nullptr, "Untitled 2", true},
	{"any name beginning with Untitled is untitled: it shows the panel", "Untitledness.h",
		Request::Bare, nullptr, true, nullptr, "Untitledness.h", true},
	{"a lower-case untitled name is a name like any other", "untitled.h", Request::Bare, nullptr,
		true, "untitled.h", "untitled.h", false},
	{"a panel reply renames the document and saves it", "@/sunset.png.h", Request::Reply, "pic.h",
		true, "@/src/pic.h", "@/src/pic.h", false},
	{"a panel reply whose save fails restores the previous name", "@/sunset.png.h", Request::Reply,
		"pic.h", false, "@/src/pic.h", "@/sunset.png.h", false,
		"Could not save \"pic.h\": Permission denied."},
	{"a panel reply names an untitled document", "Untitled 1", Request::Reply, "pic.h", true,
		"@/src/pic.h", "@/src/pic.h", false},
	{"a failed first save of an untitled document keeps it untitled", "Untitled 1", Request::Reply,
		"pic.h", false, "@/src/pic.h", "Untitled 1", false,
		"Could not save \"pic.h\": Permission denied."},
	{"a directory without a name changes nothing", "@/sunset.png.h", Request::DirectoryOnly,
		nullptr, true, nullptr, "@/sunset.png.h", false},
	{"a name without a directory is a bare request", "@/sunset.png.h", Request::NameOnly, "pic.h",
		true, "@/sunset.png.h", "@/sunset.png.h", false},
	{"a directory that does not resolve changes nothing and says why", "@/sunset.png.h",
		Request::MissingDirectory, "pic.h", true, nullptr, "@/sunset.png.h", false,
		"Could not save \"pic.h\": No such file or directory."},
	{"an empty name is an incomplete reply: it changes nothing, silently", "@/sunset.png.h",
		Request::Reply, "", true, nullptr, "@/sunset.png.h", false},
	{"a name with a slash cannot be appended and changes nothing", "@/sunset.png.h", Request::Reply,
		"sub/pic.h", true, nullptr, "@/sunset.png.h", false,
		"Could not save \"sub/pic.h\": Invalid argument."},
	{"a name of .. cannot be appended and changes nothing", "@/sunset.png.h", Request::Reply, "..",
		true, nullptr, "@/sunset.png.h", false, "Could not save \"..\": Invalid argument."},
};

class SaveRequest : public DocumentWindowFixture, public testing::WithParamInterface<SaveRow> {
protected:
	std::string Expand(const char* text) const
	{
		std::string expanded = text;
		if (!expanded.empty() && expanded[0] == '@')
			expanded.replace(0, 1, fScratch.Path());
		return expanded;
	}

	BMessage RequestFor(const SaveRow& row) const
	{
		BMessage message(B_SAVE_REQUESTED);
		entry_ref directory = fScratch.Ref("src");
		entry_ref missing((fScratch.Path() + "/no such directory").c_str(), "src");
		switch (row.request) {
		case Request::Bare:
			break;
		case Request::Reply:
			message.AddRef("directory", &directory);
			message.AddString("name", row.name);
			break;
		case Request::DirectoryOnly:
			message.AddRef("directory", &directory);
			break;
		case Request::NameOnly:
			message.AddString("name", row.name);
			break;
		case Request::MissingDirectory:
			message.AddRef("directory", &missing);
			message.AddString("name", row.name);
			break;
		}
		return message;
	}
};

TEST_P(SaveRequest, EndsAsTheRowSays)
{
	const SaveRow& row = GetParam();
	SCOPED_TRACE(row.behaviour);
	std::string startName = Expand(row.startName);
	fServer->SetAlertHandler([](const AlertInfo&) { return 0; });
	BMessenger window = Open(startName);
	WithWindow(
		window, [&](TestDocumentWindow* document) { document->fSaveSucceeds = row.saveSucceeds; });

	ASSERT_TRUE(Deliver(window, RequestFor(row)));

	std::vector<std::string> saves = fLog.StartingWith("save ");
	if (row.savedAs == nullptr) {
		EXPECT_TRUE(saves.empty()) << saves.front();
	} else {
		// The document carries its new name and title while it is written.
		std::string savedAs = Expand(row.savedAs);
		EXPECT_EQ(saves,
			(std::vector<std::string>{"save " + savedAs + " titled " + LeafName(savedAs.c_str())}));
	}
	std::string finalName = Expand(row.finalName);
	EXPECT_EQ(DocumentNameOf(window), finalName);
	EXPECT_EQ(fProbe->Title(ServerId()), LeafName(finalName.c_str()));

	std::vector<HeadlessServer::PanelState> panels = fServer->Panels();
	ASSERT_EQ(panels.size(), row.panelShown ? 1u : 0u);
	if (row.panelShown) {
		EXPECT_EQ(panels[0].mode, B_SAVE_PANEL);
		EXPECT_EQ(panels[0].saveText, startName);
	}
	EXPECT_TRUE(std::filesystem::is_empty((fScratch / "src"))) << "the test window writes no file";

	// A failure is told once, in an alert with one "OK", shown by a thread
	// of its own while the window goes on.
	if (row.alert != nullptr) {
		ASSERT_TRUE(Eventually([&] { return !fServer->Alerts().empty(); }));
		std::vector<AlertInfo> alerts = fServer->Alerts();
		ASSERT_EQ(alerts.size(), 1u);
		EXPECT_EQ(alerts[0].text, row.alert);
		EXPECT_EQ(alerts[0].buttons, std::vector<std::string>{"OK"});
	} else {
		EXPECT_TRUE(fServer->Alerts().empty()) << fServer->Alerts()[0].text;
	}
}

INSTANTIATE_TEST_SUITE_P(Rows, SaveRequest, testing::ValuesIn(kRows));

} // namespace
