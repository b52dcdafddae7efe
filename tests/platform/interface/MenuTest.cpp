// SPDX-License-Identifier: MIT
#include "support/WindowFixture.h"

#include <Looper.h>
#include <Menu.h>
#include <MenuBar.h>
#include <MenuItem.h>

namespace {

using namespace testsupport;

const char* kOpen = "Open\xE2\x80\xA6";

// A looper standing in for the application as a menu target.
using TargetLooper = MessageLogger<BLooper>;

class MenuTest : public WindowFixture {
protected:
	void SetUp() override
	{
		WindowFixture::SetUp();
		fTarget = new TargetLooper("target", fLog);
		fTarget->Run();
		fWindow = new LoggingWindow(BRect(30, 30, 430, 280), "Menus", fLog);

		auto* bar = new BMenuBar(BRect(0, 0, 0, 0), "Menu");
		auto* file = new BMenu("File");
		auto* open = new BMenuItem(kOpen, new BMessage('Open'), 'O');
		open->SetTarget(fTarget);
		file->AddItem(open);
		file->AddSeparatorItem();
		file->AddItem(new BMenuItem("Save", new BMessage('fdSA')));
		file->AddSeparatorItem();
		auto* colors = new BMenu("Color space");
		fCmap8 = new BMenuItem("B_CMAP8", new BMessage('CoM8'));
		fRgb32 = new BMenuItem("B_RGB32", new BMessage('Co32'), 'R', B_SHIFT_KEY);
		colors->AddItem(fCmap8);
		colors->AddItem(fRgb32);
		file->AddItem(new BMenuItem(colors));
		file->AddSeparatorItem();
		fClose = new BMenuItem("Close", new BMessage(B_QUIT_REQUESTED), 'W');
		file->AddItem(fClose);
		bar->AddItem(file);
		fWindow->AddChild(bar);
		fWindow->Show();
		fId = fWindow->ServerId();
	}

	void TearDown() override
	{
		QuitWindow(fWindow);
		fTarget->Lock();
		fTarget->Quit();
	}

	// Runs `change` on the menus with the window locked, as its thread would.
	void WithWindowLocked(const std::function<void()>& change)
	{
		BMessenger messenger(nullptr, fWindow);
		ASSERT_TRUE(messenger.LockTarget());
		change();
		fWindow->Unlock();
	}

	// Everything sent to the window so far has been handled once this returns.
	void Settle()
	{
		size_t count = fLog.Count();
		BMessenger(nullptr, fWindow).SendMessage('sync');
		ASSERT_TRUE(fLog.WaitForCount(count + 1));
		ASSERT_TRUE(fLog.WaitFor("sync"));
	}

	EventLog fLog;
	TargetLooper* fTarget = nullptr;
	LoggingWindow* fWindow = nullptr;
	BMenuItem* fCmap8 = nullptr;
	BMenuItem* fRgb32 = nullptr;
	BMenuItem* fClose = nullptr;
	int32 fId = -1;
};

TEST_F(MenuTest, TheServerSeesTheMenuTree)
{
	MenuBarState menu = fProbe->MenuBar(fId);
	EXPECT_EQ(menu.frame, BRect(0, 0, 400, 19));
	ASSERT_EQ(menu.items.size(), 1u);
	const MenuItemState& file = menu.items[0];
	EXPECT_EQ(file.label, "File");
	ASSERT_TRUE(file.hasSubmenu);

	struct Row {
		const char* label;
		bool separator;
		char shortcut;
		uint32 command;
		bool submenu;
	};
	const Row rows[] = {
		{kOpen, false, 'O', 'Open', false},
		{"", true, 0, 0, false},
		{"Save", false, 0, 'fdSA', false},
		{"", true, 0, 0, false},
		{"Color space", false, 0, 0, true},
		{"", true, 0, 0, false},
		{"Close", false, 'W', B_QUIT_REQUESTED, false},
	};
	ASSERT_EQ(file.items.size(), std::size(rows));
	for (size_t index = 0; index < std::size(rows); index++) {
		const MenuItemState& item = file.items[index];
		EXPECT_EQ(item.label, rows[index].label) << index;
		EXPECT_EQ(item.separator, rows[index].separator) << index;
		EXPECT_EQ(item.shortcut, rows[index].shortcut) << index;
		EXPECT_EQ(item.command, rows[index].command) << index;
		EXPECT_EQ(item.hasSubmenu, rows[index].submenu) << index;
	}
	std::optional<MenuItemState> rgb = fProbe->MenuItem(fId, {"File", "Color space", "B_RGB32"});
	ASSERT_TRUE(rgb);
	EXPECT_EQ(rgb->modifiers, static_cast<uint32>(B_SHIFT_KEY));
}

TEST_F(MenuTest, PickingAnItemSendsItsMessageToItsTarget)
{
	ASSERT_EQ(fProbe->PickMenuItem(fId, {"File", "Save"}), B_OK);
	ASSERT_EQ(fProbe->PickMenuItem(fId, {"File", "Color space", "B_CMAP8"}), B_OK);
	ASSERT_EQ(fProbe->PickMenuItem(fId, {"File", kOpen}), B_OK);
	ASSERT_TRUE(fLog.WaitFor("target Open"));
	Settle();

	EXPECT_EQ(fLog.Count("fdSA"), 1u) << "default target: the window, on its thread, locked";
	EXPECT_EQ(fLog.Count("CoM8"), 1u);
	EXPECT_EQ(fLog.Count("target Open"), 1u);
	EXPECT_EQ(fLog.Count("Open"), 0u);
}

TEST_F(MenuTest, PicksThatNameNoCommandAreRefused)
{
	EXPECT_EQ(fProbe->PickMenuItem(fId, {"File", "Print"}), B_NAME_NOT_FOUND);
	EXPECT_EQ(fProbe->PickMenuItem(fId, {"Edit"}), B_NAME_NOT_FOUND);
	EXPECT_EQ(fProbe->PickMenuItem(fId, {"File", "Color space"}), B_NOT_ALLOWED);
	EXPECT_EQ(fProbe->PickMenuItem(-3, {"File", "Save"}), B_BAD_VALUE);

	WithWindowLocked([&] { fCmap8->SetEnabled(false); });
	EXPECT_EQ(fProbe->PickMenuItem(fId, {"File", "Color space", "B_CMAP8"}), B_NOT_ALLOWED);
}

TEST_F(MenuTest, ShortcutsInvokeTheirItems)
{
	fWindow->fAllowQuit = false;
	ASSERT_EQ(fProbe->PressShortcut(fId, 'W'), B_OK);
	ASSERT_EQ(fProbe->PressShortcut(fId, 'o'), B_OK);
	// Shift is part of B_RGB32's shortcut; without it, nothing.
	ASSERT_EQ(fProbe->PressShortcut(fId, 'R'), B_OK);
	ASSERT_EQ(fProbe->PressShortcut(fId, 'r', B_SHIFT_KEY), B_OK);
	// Each item posts its message when its key is handled; wait for the last.
	ASSERT_TRUE(fLog.WaitFor("target Open"));
	ASSERT_TRUE(fLog.WaitFor("Co32"));
	Settle();

	EXPECT_EQ(fLog.Count("asked to quit"), 1u);
	EXPECT_EQ(fLog.Count("Co32"), 1u);
	EXPECT_EQ(fLog.Count("_KYD"), 1u) << "the unmatched key goes on to the window";
}

TEST_F(MenuTest, MarksReachTheServer)
{
	auto marked = [this](const char* label) {
		std::optional<MenuItemState> item = fProbe->MenuItem(fId, {"File", "Color space", label});
		return item && item->marked;
	};
	EXPECT_FALSE(marked("B_CMAP8"));
	WithWindowLocked([&] {
		fCmap8->SetMarked(true);
		fRgb32->SetMarked(false);
	});
	EXPECT_TRUE(marked("B_CMAP8"));
	EXPECT_FALSE(marked("B_RGB32"));
	EXPECT_TRUE(fCmap8->IsMarked());

	WithWindowLocked([&] {
		fCmap8->Menu()->SetRadioMode(true);
		fRgb32->SetMarked(true);
	});
	EXPECT_FALSE(marked("B_CMAP8")) << "radio mode unmarks the others";
	EXPECT_TRUE(marked("B_RGB32"));
}

TEST_F(MenuTest, MenusFindAndOwnTheirItems)
{
	WithWindowLocked([&] {
		BMenu* file = fWindow->KeyMenuBar()->SubmenuAt(0);
		ASSERT_NE(file, nullptr);
		EXPECT_EQ(file->CountItems(), 7);
		EXPECT_EQ(file->FindItem("B_RGB32"), fRgb32) << "searches submenus";
		EXPECT_EQ(file->FindItem('CoM8'), fCmap8);
		EXPECT_EQ(file->FindItem("Nothing"), nullptr);
		EXPECT_EQ(fCmap8->Menu()->Supermenu(), file);
		EXPECT_EQ(fCmap8->Window(), fWindow);

		ASSERT_TRUE(file->RemoveItem(fClose));
		EXPECT_EQ(fClose->Menu(), nullptr);
		EXPECT_FALSE(file->AddItem(fCmap8)) << "an item belongs to one menu";
		delete fClose;
		fClose = nullptr;
		EXPECT_EQ(file->CountItems(), 6);
	});
	EXPECT_FALSE(fProbe->MenuItem(fId, {"File", "Close"}));
}

// A menu answers shortcut and id queries without a window.
TEST(MenuQueryTest, ShortcutsMatchTheirKeyAndExactlyTheirModifiers)
{
	BMenu file("File");
	auto* open = new BMenuItem(kOpen, new BMessage('Open'), 'O');
	auto* close = new BMenuItem("Close", new BMessage(B_QUIT_REQUESTED), 'W');
	auto* colors = new BMenu("Color space");
	auto* rgb32 = new BMenuItem("B_RGB32", new BMessage('Co32'), 'R', B_SHIFT_KEY);
	colors->AddItem(rgb32);
	file.AddItem(open);
	file.AddItem(colors);
	file.AddItem(close);

	struct Row {
		char key;
		uint32 modifiers;
		BMenuItem* found;
	};
	const Row rows[] = {
		{'O', B_COMMAND_KEY, open},
		{'o', B_COMMAND_KEY, open},
		{'o', B_COMMAND_KEY | B_CAPS_LOCK, open},
		{'o', 0, nullptr},
		{'o', B_COMMAND_KEY | B_SHIFT_KEY, nullptr},
		{'o', B_COMMAND_KEY | B_OPTION_KEY, nullptr},
		{'r', B_COMMAND_KEY, nullptr},
		{'r', B_COMMAND_KEY | B_SHIFT_KEY, rgb32},
		{'W', B_COMMAND_KEY | B_CONTROL_KEY, nullptr},
		{'x', B_COMMAND_KEY, nullptr},
	};
	for (const Row& row : rows) {
		EXPECT_EQ(file.FindShortcut(row.key, row.modifiers), row.found)
			<< row.key << " with modifiers " << row.modifiers;
	}

	close->SetEnabled(false);
	EXPECT_EQ(file.FindShortcut('w', B_COMMAND_KEY), nullptr) << "a disabled item";
	colors->Superitem()->SetEnabled(false);
	EXPECT_EQ(file.FindShortcut('r', B_COMMAND_KEY | B_SHIFT_KEY), nullptr)
		<< "an item in a disabled submenu";

	for (BMenuItem* item : {open, close, rgb32, colors->Superitem()})
		EXPECT_EQ(file.FindItemById(item->Id()), item) << item->Label();
	EXPECT_EQ(colors->FindItemById(open->Id()), nullptr) << "not in that submenu";
}

} // namespace
