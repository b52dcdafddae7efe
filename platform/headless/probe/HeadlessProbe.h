// SPDX-License-Identifier: MIT
#pragma once

// A person at the headless server, as code: reads what the server keeps
// and sends what a person's actions send (see DisplayProbe.h). Tests use
// it, and so does the program when it runs without a display.
//
// Any thread. The probe keeps a reference to its server: make it after the
// server and drop it before.

#include <DisplayProbe.h>
#include <HeadlessServer.h>

class HeadlessProbe : public DisplayProbe {
public:
	explicit HeadlessProbe(HeadlessServer& server);

	HeadlessServer& Server() const { return fServer; }

	bool WaitUntil(const std::function<bool()>& predicate, bigtime_t timeout) const override;
	std::vector<int32> Windows() const override;
	std::optional<WindowView> Window(int32 id) const override;
	MenuBarState MenuBar(int32 id) const override;
	std::vector<ScrollBarState> ScrollBars(int32 id) const override;
	std::unique_ptr<BBitmap> Snapshot(int32 id) const override;

	status_t PickMenuItem(int32 id, const std::vector<std::string>& path) override;
	status_t PressShortcut(int32 id, char key, uint32 modifiers = 0) override;
	status_t PressKey(int32 id, char key, uint32 modifiers = 0) override;
	status_t TurnWheel(
		int32 id, BPoint where, float deltaY, float deltaX = 0, uint32 modifiers = 0) override;
	status_t DragScrollBar(int32 id, orientation direction, float value) override;
	status_t ClickCloseBox(int32 id) override;
	status_t ResizeWindow(int32 id, float width, float height) override;
	// B_ENTRY_NOT_FOUND when a path names nothing.
	status_t DropFiles(int32 id, const std::vector<std::string>& paths) override;
	// Drops references as they are, whether or not they resolve.
	status_t DropRefs(int32 id, const std::vector<entry_ref>& refs);

	// The default button is the last, as the kit places it.
	std::vector<AlertView> Alerts() const override;
	status_t PressAlertButton(const std::string& label) override;
	// A person who answers every alert as it shows, on the thread that
	// runs it; null leaves alerts to PressAlertButton.
	void SetAlertHandler(HeadlessServer::AlertHandler handler);

	ClipboardInfo Clipboard() const override;
	status_t SetClipboard(const ClipboardInfo& contents) override;

	std::vector<PanelView> Panels() const override;
	status_t AcceptOpenPanel(int32 panelId, const std::vector<std::string>& paths) override;
	status_t AcceptOpenPanel(int32 panelId, const std::vector<entry_ref>& refs);
	status_t AcceptSavePanel(
		int32 panelId, const std::string& directory, const std::string& name) override;
	// `name` null: an answer without one, which the panel refuses.
	status_t AcceptSavePanel(int32 panelId, const entry_ref& directory, const char* name);
	status_t CancelPanel(int32 panelId) override;
	// A person who hears of every panel as it shows (see
	// HeadlessServer::SetPanelHandler); null removes it.
	void SetPanelHandler(std::function<void(HeadlessProbe& probe, int32 panelId)> handler);

private:
	// A B_KEY_DOWN of `key` to window `id`.
	status_t SendKeyDown(int32 id, char key, int32 rawChar, uint32 modifiers) const;

	HeadlessServer& fServer;
	std::shared_ptr<void> fSeat; // alerts wait for this probe's buttons
};
