// SPDX-License-Identifier: MIT
// be_clipboard over the display server's clipboard: what a commit hands on,
// what a lock reads, what a revert takes back, and the lock it needs.

#include <Clipboard.h>
#include <HeadlessServer.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace {

ClipboardInfo
Text(const std::string& text)
{
	return {{{"text/plain", std::vector<uint8>(text.begin(), text.end())}}};
}

// The "text/plain" of the clipboard's data; "(none)" without.
std::string
TextOf(BMessage* data)
{
	const void* bytes = nullptr;
	ssize_t length = 0;
	if (data == nullptr || data->FindData("text/plain", B_MIME_TYPE, &bytes, &length) != B_OK)
		return "(none)";
	return std::string(static_cast<const char*>(bytes), size_t(length));
}

TEST(ClipboardTest, CommitHandsOnAndEachLockReadsWhatTheDesktopHolds)
{
	HeadlessServer* server = HeadlessServer::InstallNew();
	server->WriteClipboard(Text("from another program"));

	ASSERT_TRUE(be_clipboard->Lock());
	EXPECT_EQ(TextOf(be_clipboard->Data()), "from another program");
	ASSERT_EQ(be_clipboard->Clear(), B_OK);
	EXPECT_EQ(TextOf(be_clipboard->Data()), "(none)");
	ASSERT_EQ(be_clipboard->Data()->AddData("text/plain", B_MIME_TYPE, "ours", 4), B_OK);
	ASSERT_EQ(be_clipboard->Commit(), B_OK);
	// After the commit the data is what the desktop holds: ours.
	EXPECT_EQ(TextOf(be_clipboard->Data()), "ours");
	be_clipboard->Unlock();
	ClipboardInfo held = server->ReadClipboard();
	ASSERT_EQ(held.items.size(), 1u);
	EXPECT_EQ(held.items[0].type, "text/plain");
	EXPECT_EQ(std::string(held.items[0].bytes.begin(), held.items[0].bytes.end()), "ours");

	// A change made and reverted never reaches the desktop; one made by
	// another program since the last lock shows at the next.
	server->WriteClipboard(Text("newer"));
	ASSERT_TRUE(be_clipboard->Lock());
	ASSERT_TRUE(be_clipboard->Lock());
	be_clipboard->Clear();
	ASSERT_EQ(be_clipboard->Revert(), B_OK);
	EXPECT_EQ(TextOf(be_clipboard->Data()), "newer");
	be_clipboard->Unlock();
	EXPECT_TRUE(be_clipboard->IsLocked());
	be_clipboard->Unlock();
	EXPECT_FALSE(be_clipboard->IsLocked());
}

TEST(ClipboardTest, WithoutTheLockNothingIsTouched)
{
	HeadlessServer* server = HeadlessServer::InstallNew();
	server->WriteClipboard(Text("kept"));
	EXPECT_EQ(be_clipboard->Data(), nullptr);
	EXPECT_EQ(be_clipboard->Clear(), B_NOT_ALLOWED);
	EXPECT_EQ(be_clipboard->Commit(), B_NOT_ALLOWED);
	EXPECT_EQ(be_clipboard->Revert(), B_NOT_ALLOWED);
	// Held by another thread, it is not the caller's.
	ASSERT_TRUE(be_clipboard->Lock());
	std::thread([] {
		EXPECT_FALSE(be_clipboard->IsLocked());
		EXPECT_EQ(be_clipboard->Commit(), B_NOT_ALLOWED);
	}).join();
	be_clipboard->Unlock();
	ClipboardInfo held = server->ReadClipboard();
	ASSERT_EQ(held.items.size(), 1u);
	EXPECT_EQ(std::string(held.items[0].bytes.begin(), held.items[0].bytes.end()), "kept");
}

} // namespace
