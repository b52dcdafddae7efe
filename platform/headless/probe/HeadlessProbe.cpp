// SPDX-License-Identifier: MIT
#include "HeadlessProbe.h"

#include <AppDefs.h>
#include <Path.h>

#include <cctype>

namespace {

// The entries `paths` name, in order; the first path that names none stops
// it with its status.
status_t
RefsFor(const std::vector<std::string>& paths, std::vector<entry_ref>& refs)
{
	for (const std::string& path : paths) {
		entry_ref ref;
		status_t status = BEntry(path.c_str()).GetRef(&ref);
		if (status != B_OK)
			return status;
		refs.push_back(ref);
	}
	return B_OK;
}

// Hands the refs of `paths` to `act`; the failure of the first path that has
// none, without acting.
template <typename Act>
status_t
WithRefsFor(const std::vector<std::string>& paths, Act act)
{
	std::vector<entry_ref> refs;
	status_t status = RefsFor(paths, refs);
	return status == B_OK ? act(refs) : status;
}

// Sends `message` to the looper of window `id`; B_BAD_VALUE when there is no
// such window.
status_t
SendToWindow(HeadlessServer& server, int32 id, BMessage& message)
{
	BMessenger messenger = server.Messenger(id);
	if (!messenger.IsValid())
		return B_BAD_VALUE;
	return messenger.SendMessage(&message);
}

// What an open panel or a drop sends: B_REFS_RECEIVED with the refs.
BMessage
RefsReceived(const std::vector<entry_ref>& refs)
{
	BMessage message(B_REFS_RECEIVED);
	for (const entry_ref& ref : refs)
		message.AddRef("refs", &ref);
	return message;
}

} // namespace

HeadlessProbe::HeadlessProbe(HeadlessServer& server) : fServer(server), fSeat(server.Seat())
{ }

bool
HeadlessProbe::WaitUntil(const std::function<bool()>& predicate, bigtime_t timeout) const
{
	return fServer.WaitUntil(predicate, timeout);
}

std::vector<int32>
HeadlessProbe::Windows() const
{
	return fServer.Windows();
}

std::optional<DisplayProbe::WindowView>
HeadlessProbe::Window(int32 id) const
{
	std::optional<HeadlessServer::WindowState> state = fServer.Window(id);
	if (!state)
		return std::nullopt;
	// Without a display no window is the active one.
	return WindowView{state->id, state->title, state->frame, state->visible, false};
}

MenuBarState
HeadlessProbe::MenuBar(int32 id) const
{
	std::optional<HeadlessServer::WindowState> state = fServer.Window(id);
	return state ? state->menu : MenuBarState();
}

std::vector<ScrollBarState>
HeadlessProbe::ScrollBars(int32 id) const
{
	std::optional<HeadlessServer::WindowState> state = fServer.Window(id);
	return state ? state->scrollBars : std::vector<ScrollBarState>();
}

std::unique_ptr<BBitmap>
HeadlessProbe::Snapshot(int32 id) const
{
	return fServer.Snapshot(id);
}

status_t
HeadlessProbe::PickMenuItem(int32 id, const std::vector<std::string>& path)
{
	BMessenger messenger = fServer.Messenger(id);
	std::optional<HeadlessServer::WindowState> state = fServer.Window(id);
	if (!state || !messenger.IsValid())
		return B_BAD_VALUE;
	const MenuItemState* item = FindMenuItem(state->menu.items, path);
	if (item == nullptr)
		return B_NAME_NOT_FOUND;
	if (!item->enabled || item->hasSubmenu)
		return B_NOT_ALLOWED;
	BMessage pick(BPrivate::kMsgMenuItemPicked);
	pick.AddInt32(BPrivate::kFieldItem, static_cast<int32>(item->id));
	return messenger.SendMessage(&pick);
}

status_t
HeadlessProbe::PressShortcut(int32 id, char key, uint32 modifiers)
{
	return SendKeyDown(
		id, key, std::tolower(static_cast<unsigned char>(key)), modifiers | B_COMMAND_KEY);
}

status_t
HeadlessProbe::PressKey(int32 id, char key, uint32 modifiers)
{
	return SendKeyDown(
		id, key, static_cast<unsigned char>(key), modifiers & ~uint32(B_COMMAND_KEY));
}

status_t
HeadlessProbe::SendKeyDown(int32 id, char key, int32 rawChar, uint32 modifiers) const
{
	char bytes[2] = {key, '\0'};
	BMessage press(B_KEY_DOWN);
	press.AddString("bytes", bytes);
	press.AddInt32("raw_char", rawChar);
	press.AddInt32("modifiers", static_cast<int32>(modifiers));
	return SendToWindow(fServer, id, press);
}

status_t
HeadlessProbe::TurnWheel(int32 id, BPoint where, float deltaY, float deltaX, uint32 modifiers)
{
	BMessage wheel(B_MOUSE_WHEEL_CHANGED);
	wheel.AddFloat("be:wheel_delta_x", deltaX);
	wheel.AddFloat("be:wheel_delta_y", deltaY);
	wheel.AddPoint("where", where);
	wheel.AddInt32("modifiers", static_cast<int32>(modifiers));
	return SendToWindow(fServer, id, wheel);
}

status_t
HeadlessProbe::DragScrollBar(int32 id, orientation direction, float value)
{
	BMessenger messenger = fServer.Messenger(id);
	if (!messenger.IsValid())
		return B_BAD_VALUE;
	std::optional<ScrollBarState> bar = ScrollBar(id, direction);
	if (!bar)
		return B_NAME_NOT_FOUND;
	BMessage moved(BPrivate::kMsgScrollBarMoved);
	moved.AddInt32(BPrivate::kFieldScrollBar, static_cast<int32>(bar->id));
	moved.AddFloat(BPrivate::kFieldValue, value);
	return messenger.SendMessage(&moved);
}

status_t
HeadlessProbe::ClickCloseBox(int32 id)
{
	BMessage quit(B_QUIT_REQUESTED);
	return SendToWindow(fServer, id, quit);
}

status_t
HeadlessProbe::ResizeWindow(int32 id, float width, float height)
{
	BMessage resized(B_WINDOW_RESIZED);
	resized.AddFloat("width", width);
	resized.AddFloat("height", height);
	return SendToWindow(fServer, id, resized);
}

status_t
HeadlessProbe::DropFiles(int32 id, const std::vector<std::string>& paths)
{
	return WithRefsFor(paths, [&](const auto& refs) { return DropRefs(id, refs); });
}

status_t
HeadlessProbe::DropRefs(int32 id, const std::vector<entry_ref>& refs)
{
	if (!fServer.Messenger(id).IsValid() || refs.empty())
		return B_BAD_VALUE;
	// A drop on any window is the application's to open.
	BMessage drop = RefsReceived(refs);
	return be_app_messenger.SendMessage(&drop);
}

std::vector<DisplayProbe::AlertView>
HeadlessProbe::Alerts() const
{
	std::vector<AlertView> views;
	for (const AlertInfo& alert : fServer.ShowingAlerts()) {
		views.push_back(AlertView{alert.title, alert.text, alert.buttons,
			alert.buttons.empty() ? std::string() : alert.buttons.back()});
	}
	return views;
}

status_t
HeadlessProbe::PressAlertButton(const std::string& label)
{
	std::vector<AlertInfo> showing = fServer.ShowingAlerts();
	if (showing.empty())
		return B_BAD_VALUE;
	const std::vector<std::string>& buttons = showing.back().buttons;
	for (size_t index = 0; index < buttons.size(); index++) {
		if (buttons[index] == label)
			return fServer.AnswerAlert(static_cast<int32>(index));
	}
	return B_NAME_NOT_FOUND;
}

void
HeadlessProbe::SetAlertHandler(HeadlessServer::AlertHandler handler)
{
	fServer.SetAlertHandler(std::move(handler));
}

std::vector<DisplayProbe::PanelView>
HeadlessProbe::Panels() const
{
	std::vector<PanelView> views;
	for (const HeadlessServer::PanelState& state : fServer.Panels()) {
		BPath directory(&state.directory);
		views.push_back(PanelView{state.id, state.mode, true, state.modal,
			state.mode == B_OPEN_PANEL && state.allowMultipleSelection,
			directory.Path() != nullptr ? directory.Path() : "", state.saveText});
	}
	return views;
}

status_t
HeadlessProbe::AcceptOpenPanel(int32 panelId, const std::vector<std::string>& paths)
{
	return WithRefsFor(paths, [&](const auto& refs) { return AcceptOpenPanel(panelId, refs); });
}

status_t
HeadlessProbe::AcceptOpenPanel(int32 panelId, const std::vector<entry_ref>& refs)
{
	BMessage answer = RefsReceived(refs);
	return fServer.AnswerPanel(panelId, answer);
}

status_t
HeadlessProbe::AcceptSavePanel(int32 panelId, const std::string& directory, const std::string& name)
{
	entry_ref ref;
	status_t status = BEntry(directory.c_str()).GetRef(&ref);
	if (status != B_OK)
		return status;
	return AcceptSavePanel(panelId, ref, name.c_str());
}

status_t
HeadlessProbe::AcceptSavePanel(int32 panelId, const entry_ref& directory, const char* name)
{
	BMessage answer(B_SAVE_REQUESTED);
	answer.AddRef("directory", &directory);
	if (name != nullptr)
		answer.AddString("name", name);
	return fServer.AnswerPanel(panelId, answer);
}

status_t
HeadlessProbe::CancelPanel(int32 panelId)
{
	BMessage answer(B_CANCEL);
	return fServer.AnswerPanel(panelId, answer);
}

void
HeadlessProbe::SetPanelHandler(std::function<void(HeadlessProbe& probe, int32 panelId)> handler)
{
	if (!handler) {
		fServer.SetPanelHandler(nullptr);
		return;
	}
	fServer.SetPanelHandler([this, handler](int32 panelId) { handler(*this, panelId); });
}

ClipboardInfo
HeadlessProbe::Clipboard() const
{
	return fServer.ReadClipboard();
}

status_t
HeadlessProbe::SetClipboard(const ClipboardInfo& contents)
{
	fServer.WriteClipboard(contents);
	return B_OK;
}
