#pragma once

// The whole program on the headless server (ProgramFixture), with what the
// reliability tests add: saving through the panel to a chosen place, and
// knowing when the window has handled what was sent to it before.

#include "program/ProgramFixture.h"

#include <Entry.h>

#include <string>
#include <vector>

namespace reliability {

class WindowFixture : public testing_support::ProgramFixture {
public:
	// Everything sent to window `id` before this call has been handled once it
	// answers true: it asks for the save panel, a command queued behind the
	// others, waits for the panel to show, and cancels it.
	bool Settle(int32 id)
	{
		if (fServer->PickMenuItem(id, {"File", "Save as source code\xE2\x80\xA6"}) != B_OK)
			return false;
		int32 panel = ShownSavePanel();
		return panel >= 0 && fServer->CancelPanel(panel) == B_OK
			&& Eventually([&] { return !fServer->Panel(panel); });
	}

	// The save panel showing now; -1 when none shows within the watchdog.
	int32 ShownSavePanel()
	{
		int32 panel = -1;
		Eventually([&] {
			for (const HeadlessServer::PanelState& state : fServer->Panels()) {
				if (state.mode == B_SAVE_PANEL)
					panel = state.id;
			}
			return panel >= 0;
		});
		return panel;
	}

	// Shows window `id`'s save panel and confirms it with `directory` and
	// `name`; false when no panel showed.
	bool SaveThroughPanel(int32 id, const std::string& directory, const char* name)
	{
		if (fServer->PickMenuItem(id, {"File", "Save as source code\xE2\x80\xA6"}) != B_OK)
			return false;
		int32 panel = ShownSavePanel();
		if (panel < 0)
			return false;
		entry_ref ref(directory.c_str(), nullptr);
		size_t slash = directory.find_last_of('/');
		if (slash != std::string::npos && slash + 1 < directory.size()) {
			ref = entry_ref(slash == 0 ? "/" : directory.substr(0, slash).c_str(),
				directory.substr(slash + 1).c_str());
		}
		return fServer->ConfirmSavePanel(panel, ref, name) == B_OK;
	}

	// From now on every alert is answered with its first button ("OK").
	void AnswerAlerts()
	{
		fServer->SetAlertHandler([](const AlertInfo&) { return 0; });
	}

	// The texts of the alerts shown so far, once there are `count` of them
	// (fewer when the watchdog ran out first).
	std::vector<std::string> AlertTexts(size_t count)
	{
		Eventually([&] { return fServer->Alerts().size() >= count; });
		std::vector<std::string> texts;
		for (const AlertInfo& alert : fServer->Alerts())
			texts.push_back(alert.text);
		return texts;
	}

	std::string DocumentNameOf(const std::string& title)
	{
		std::string name = "(no window)";
		WithImageWindow(title.c_str(),
			[&](BitmapImageWindow& window) { name = window.DocumentName(); });
		return name;
	}

	// Whether the window titled `title` holds an image; -1: no such window.
	int HasImage(const std::string& title)
	{
		int has = -1;
		WithImageWindow(title.c_str(),
			[&](BitmapImageWindow& window) { has = window.Image() != nullptr; });
		return has;
	}
};

} // namespace reliability
