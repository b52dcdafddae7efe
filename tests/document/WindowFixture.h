#pragma once

// A fixture for document windows without an application: a fresh headless
// server, a scratch directory, and windows the test makes, drives through
// messages and closes.

#include "document/DocumentTestSupport.h"

namespace testing_support {

class DocumentWindowFixture : public testing::Test {
protected:
	void SetUp() override { fServer = HeadlessServer::InstallNew(); }

	void TearDown() override
	{
		for (const BMessenger& window : fWindows)
			QuitDocument(window);
		EXPECT_TRUE(Eventually([&] { return fServer->Windows().empty(); }));
	}

	bool Eventually(const std::function<bool()>& predicate)
	{
		return fServer->WaitUntil(predicate, WatchdogMicroseconds());
	}

	BMessenger Open(const std::string& documentName, bool modified = false)
	{
		auto* window = new TestDocumentWindow(documentName.c_str(), fLog, modified);
		BMessenger messenger(nullptr, window);
		fServerIds.push_back(window->ServerId());
		window->Show();
		fWindows.push_back(messenger);
		return messenger;
	}

	int32 ServerId(size_t index = 0) const { return fServerIds.at(index); }

	// Sends `message` and waits until the window has handled it.
	bool Deliver(const BMessenger& window, const BMessage& message)
	{
		std::string handled = "handled " + CodeText(message.what);
		size_t before = fLog.Count(handled);
		if (window.SendMessage(&message) != B_OK)
			return false;
		return fLog.WaitFor(handled, before + 1);
	}

	bool Deliver(const BMessenger& window, uint32 command)
	{
		BMessage message(command);
		return Deliver(window, message);
	}

	HeadlessServer* fServer = nullptr;
	ScratchDirectory fScratch;
	Journal fLog;
	std::vector<BMessenger> fWindows;
	std::vector<int32> fServerIds;
};

} // namespace testing_support
