#include "HeadlessServer.h"

#include <AppDefs.h>
#include <Looper.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

constexpr BRect kDefaultScreen(0, 0, 1023, 767);

std::unique_ptr<BBitmap>
BlankPixels(BRect frame)
{
	return std::make_unique<BBitmap>(BRect(0, 0, frame.Width(), frame.Height()), B_RGB32);
}

// Copies `source` into `target` with its top-left corner at (x, y), clipped.
void
CopyPixels(BBitmap& target, const BBitmap& source, int32 x, int32 y)
{
	if (!target.IsValid() || !source.IsValid())
		return;
	int32 firstColumn = std::max<int32>(0, -x);
	int32 firstRow = std::max<int32>(0, -y);
	int32 columns = std::min(source.Width(), target.Width() - x) - firstColumn;
	int32 rows = std::min(source.Height(), target.Height() - y) - firstRow;
	if (columns <= 0 || rows <= 0)
		return;
	const uint8* from = static_cast<const uint8*>(source.Bits());
	uint8* to = static_cast<uint8*>(target.Bits());
	for (int32 row = firstRow; row < firstRow + rows; row++) {
		memcpy(to + (y + row) * target.BytesPerRow() + (x + firstColumn) * 4,
			from + row * source.BytesPerRow() + firstColumn * 4, columns * 4);
	}
}

const MenuItemState*
FindByPath(const std::vector<MenuItemState>& items, const std::vector<std::string>& path,
	size_t depth = 0)
{
	if (depth >= path.size())
		return nullptr;
	for (const MenuItemState& item : items) {
		if (item.separator || item.label != path[depth])
			continue;
		if (depth + 1 == path.size())
			return &item;
		if (item.hasSubmenu)
			return FindByPath(item.items, path, depth + 1);
	}
	return nullptr;
}

} // namespace

struct HeadlessServer::WindowRecord {
	WindowState state;
	BMessenger messenger;
	std::unique_ptr<BBitmap> pixels;
};

HeadlessServer::HeadlessServer()
	:
	fScreenFrame(kDefaultScreen)
{
}

HeadlessServer::~HeadlessServer() = default;

HeadlessServer*
HeadlessServer::InstallNew()
{
	auto* server = new HeadlessServer();
	DisplayServer::Install(std::unique_ptr<DisplayServer>(server));
	return server;
}

void
HeadlessServer::Changed()
{
	fChanges.Bump();
}

std::vector<int32>
HeadlessServer::Windows() const
{
	std::lock_guard<std::mutex> lock(fLock);
	return fOrder;
}

int32
HeadlessServer::FindWindow(const char* title) const
{
	if (title == nullptr)
		return -1;
	std::lock_guard<std::mutex> lock(fLock);
	for (int32 id : fOrder) {
		if (fWindows.at(id)->state.title == title)
			return id;
	}
	return -1;
}

std::optional<HeadlessServer::WindowState>
HeadlessServer::Window(int32 id) const
{
	std::lock_guard<std::mutex> lock(fLock);
	auto found = fWindows.find(id);
	if (found == fWindows.end())
		return std::nullopt;
	return found->second->state;
}

std::string
HeadlessServer::Title(int32 id) const
{
	std::optional<WindowState> state = Window(id);
	return state ? state->title : std::string();
}

BRect
HeadlessServer::Frame(int32 id) const
{
	std::optional<WindowState> state = Window(id);
	return state ? state->frame : BRect();
}

bool
HeadlessServer::IsVisible(int32 id) const
{
	std::optional<WindowState> state = Window(id);
	return state && state->visible;
}

MenuBarState
HeadlessServer::Menu(int32 id) const
{
	std::optional<WindowState> state = Window(id);
	return state ? state->menu : MenuBarState();
}

std::optional<MenuItemState>
HeadlessServer::MenuItem(int32 id, const std::vector<std::string>& path) const
{
	std::lock_guard<std::mutex> lock(fLock);
	auto found = fWindows.find(id);
	if (found == fWindows.end())
		return std::nullopt;
	const MenuItemState* item = FindByPath(found->second->state.menu.items, path);
	if (item == nullptr)
		return std::nullopt;
	return *item;
}

bool
HeadlessServer::WaitUntil(const std::function<bool()>& predicate, bigtime_t timeout) const
{
	return fChanges.WaitUntil(predicate, timeout);
}

uint64
HeadlessServer::Changes() const
{
	return fChanges.Count();
}

BMessenger
HeadlessServer::Messenger(int32 id) const
{
	std::lock_guard<std::mutex> lock(fLock);
	auto found = fWindows.find(id);
	return found != fWindows.end() ? found->second->messenger : BMessenger();
}

status_t
HeadlessServer::PickMenuItem(int32 id, const std::vector<std::string>& path)
{
	BMessenger messenger;
	uint32 itemId = 0;
	{
		std::lock_guard<std::mutex> lock(fLock);
		auto found = fWindows.find(id);
		if (found == fWindows.end())
			return B_BAD_VALUE;
		const MenuItemState* item = FindByPath(found->second->state.menu.items, path);
		if (item == nullptr)
			return B_NAME_NOT_FOUND;
		if (!item->enabled || item->hasSubmenu)
			return B_NOT_ALLOWED;
		messenger = found->second->messenger;
		itemId = item->id;
	}
	BMessage pick(BPrivate::kMsgMenuItemPicked);
	pick.AddInt32(BPrivate::kFieldItem, static_cast<int32>(itemId));
	return messenger.SendMessage(&pick);
}

status_t
HeadlessServer::PressShortcut(int32 id, char key, uint32 modifiers)
{
	return SendKeyDown(id, key, std::tolower(static_cast<unsigned char>(key)),
		modifiers | B_COMMAND_KEY);
}

status_t
HeadlessServer::PressKey(int32 id, char key, uint32 modifiers)
{
	return SendKeyDown(id, key, static_cast<unsigned char>(key),
		modifiers & ~uint32(B_COMMAND_KEY));
}

status_t
HeadlessServer::SendKeyDown(int32 id, char key, int32 rawChar, uint32 modifiers) const
{
	BMessenger messenger = Messenger(id);
	if (!messenger.IsValid())
		return B_BAD_VALUE;
	char bytes[2] = {key, '\0'};
	BMessage press(B_KEY_DOWN);
	press.AddString("bytes", bytes);
	press.AddInt32("raw_char", rawChar);
	press.AddInt32("modifiers", static_cast<int32>(modifiers));
	return messenger.SendMessage(&press);
}

status_t
HeadlessServer::TurnWheel(int32 id, BPoint where, float deltaY, float deltaX)
{
	BMessenger messenger = Messenger(id);
	if (!messenger.IsValid())
		return B_BAD_VALUE;
	BMessage wheel(B_MOUSE_WHEEL_CHANGED);
	wheel.AddFloat("be:wheel_delta_x", deltaX);
	wheel.AddFloat("be:wheel_delta_y", deltaY);
	wheel.AddPoint("where", where);
	return messenger.SendMessage(&wheel);
}

std::vector<ScrollBarState>
HeadlessServer::ScrollBars(int32 id) const
{
	std::lock_guard<std::mutex> lock(fLock);
	auto found = fWindows.find(id);
	if (found == fWindows.end())
		return {};
	return found->second->state.scrollBars;
}

std::optional<ScrollBarState>
HeadlessServer::ScrollBar(int32 id, orientation direction) const
{
	for (const ScrollBarState& bar : ScrollBars(id)) {
		if (bar.direction == direction)
			return bar;
	}
	return std::nullopt;
}

status_t
HeadlessServer::DragScrollBar(int32 id, orientation direction, float value)
{
	BMessenger messenger = Messenger(id);
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
HeadlessServer::ClickCloseBox(int32 id)
{
	BMessenger messenger = Messenger(id);
	if (!messenger.IsValid())
		return B_BAD_VALUE;
	return messenger.SendMessage(B_QUIT_REQUESTED);
}

status_t
HeadlessServer::ResizeWindow(int32 id, float width, float height)
{
	BMessenger messenger = Messenger(id);
	if (!messenger.IsValid())
		return B_BAD_VALUE;
	BMessage resized(B_WINDOW_RESIZED);
	resized.AddFloat("width", width);
	resized.AddFloat("height", height);
	return messenger.SendMessage(&resized);
}

status_t
HeadlessServer::DropFiles(const std::vector<entry_ref>& refs)
{
	if (refs.empty())
		return B_BAD_VALUE;
	BMessage drop(B_REFS_RECEIVED);
	for (const entry_ref& ref : refs)
		drop.AddRef("refs", &ref);
	return be_app_messenger.SendMessage(&drop);
}

status_t
HeadlessServer::DropFiles(const std::vector<std::string>& paths)
{
	std::vector<entry_ref> refs;
	for (const std::string& path : paths) {
		entry_ref ref;
		status_t status = BEntry(path.c_str()).GetRef(&ref);
		if (status != B_OK)
			return status;
		refs.push_back(ref);
	}
	return DropFiles(refs);
}

void
HeadlessServer::SetAlertHandler(AlertHandler handler)
{
	std::lock_guard<std::mutex> lock(fLock);
	fAlertHandler = std::move(handler);
}

void
HeadlessServer::SetPanelHandler(PanelHandler handler)
{
	std::lock_guard<std::mutex> lock(fLock);
	fPanelHandler = std::move(handler);
}

std::vector<AlertInfo>
HeadlessServer::Alerts() const
{
	std::lock_guard<std::mutex> lock(fLock);
	return fAlerts;
}

std::vector<HeadlessServer::PanelState>
HeadlessServer::Panels() const
{
	std::lock_guard<std::mutex> lock(fLock);
	std::vector<PanelState> states;
	for (const PanelRecord& record : fPanels) {
		const PanelInfo& info = record.info;
		states.push_back(PanelState{record.id, info.mode, info.directory, info.saveText,
			info.target, info.allowMultipleSelection, record.panel});
	}
	return states;
}

std::optional<HeadlessServer::PanelState>
HeadlessServer::Panel(int32 panelId) const
{
	for (PanelState& state : Panels()) {
		if (state.id == panelId)
			return state;
	}
	return std::nullopt;
}

status_t
HeadlessServer::ConfirmOpenPanel(int32 panelId, const std::vector<entry_ref>& refs)
{
	BMessage answer(B_REFS_RECEIVED);
	for (const entry_ref& ref : refs)
		answer.AddRef("refs", &ref);
	return AnswerPanel(panelId, answer);
}

status_t
HeadlessServer::ConfirmSavePanel(int32 panelId, const entry_ref& directory, const char* name)
{
	BMessage answer(B_SAVE_REQUESTED);
	answer.AddRef("directory", &directory);
	if (name != nullptr)
		answer.AddString("name", name);
	return AnswerPanel(panelId, answer);
}

status_t
HeadlessServer::CancelPanel(int32 panelId)
{
	BMessage answer(B_CANCEL);
	return AnswerPanel(panelId, answer);
}

status_t
HeadlessServer::AnswerPanel(int32 panelId, BMessage& answer)
{
	BMessenger panel;
	{
		std::lock_guard<std::mutex> lock(fLock);
		auto found = std::find_if(fPanels.begin(), fPanels.end(),
			[panelId](const PanelRecord& record) { return record.id == panelId; });
		if (found == fPanels.end())
			return B_BAD_VALUE;
		const PanelInfo& info = found->info;
		if (answer.what == B_REFS_RECEIVED) {
			type_code type;
			int32 count = 0;
			answer.GetInfo("refs", &type, &count);
			if (info.mode != B_OPEN_PANEL || (!info.allowMultipleSelection && count > 1))
				return B_NOT_ALLOWED;
			if (count == 0)
				return B_BAD_VALUE;
		} else if (answer.what == B_SAVE_REQUESTED) {
			const char* name = answer.GetString("name");
			if (info.mode != B_SAVE_PANEL)
				return B_NOT_ALLOWED;
			if (name == nullptr || name[0] == '\0')
				return B_BAD_VALUE;
		}
		answer.AddInt32(BPrivate::kFieldShowing, info.showing);
		panel = found->panel;
		if (answer.what == B_CANCEL || info.hideWhenDone) {
			fPanels.erase(found);
			Changed();
		}
	}
	status_t status = panel.SendMessage(&answer);
	if (status == B_OK)
		WaitUntilHandled(panel);
	return status;
}

// A person's answer reaches the panel's owner through the panel's own
// looper. Waiting until that looper has passed it on keeps a test's next
// step (a menu pick, another answer) behind it in the owner's queue, as a
// person could not act before the dialog had closed.
void
HeadlessServer::WaitUntilHandled(const BMessenger& panel)
{
	auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
	while (std::chrono::steady_clock::now() < deadline) {
		if (panel.LockTargetWithTimeout(100000) != B_OK)
			return;
		BLooper* looper = nullptr;
		panel.Target(&looper);
		bool waiting = looper != nullptr && looper->IsMessageWaiting();
		if (looper != nullptr)
			looper->Unlock();
		if (!waiting)
			return;
		std::this_thread::sleep_for(std::chrono::microseconds(200));
	}
}

std::unique_ptr<BBitmap>
HeadlessServer::Snapshot(int32 id) const
{
	std::lock_guard<std::mutex> lock(fLock);
	auto found = fWindows.find(id);
	if (found == fWindows.end())
		return nullptr;
	const BBitmap& pixels = *found->second->pixels;
	auto copy = std::make_unique<BBitmap>(pixels.Bounds(), B_RGB32);
	if (copy->IsValid() && pixels.IsValid())
		memcpy(copy->Bits(), pixels.Bits(), pixels.BitsLength());
	return copy;
}

rgb_color
HeadlessServer::ReadPixel(int32 id, int32 x, int32 y) const
{
	std::lock_guard<std::mutex> lock(fLock);
	auto found = fWindows.find(id);
	if (found == fWindows.end())
		return rgb_color{0, 0, 0, 0};
	const BBitmap& pixels = *found->second->pixels;
	if (!pixels.IsValid() || x < 0 || y < 0 || x >= pixels.Width() || y >= pixels.Height())
		return rgb_color{0, 0, 0, 0};
	const uint8* pixel = static_cast<const uint8*>(pixels.Bits()) + y * pixels.BytesPerRow()
		+ x * 4;
	return rgb_color{pixel[2], pixel[1], pixel[0], pixel[3]};
}

void
HeadlessServer::SetScreenFrame(BRect frame)
{
	std::lock_guard<std::mutex> lock(fLock);
	fScreenFrame = frame;
	Changed();
}

void
HeadlessServer::WindowCreated(int32 id, const BMessenger& messenger, const WindowInfo& info)
{
	auto window = std::make_unique<WindowRecord>();
	window->state.id = id;
	window->state.title = info.title;
	window->state.frame = info.frame;
	window->state.type = info.type;
	window->state.flags = info.flags;
	window->messenger = messenger;
	window->pixels = BlankPixels(info.frame);

	std::lock_guard<std::mutex> lock(fLock);
	fWindows[id] = std::move(window);
	fOrder.push_back(id);
	Changed();
}

void
HeadlessServer::WindowDestroyed(int32 id)
{
	std::unique_ptr<WindowRecord> gone;
	std::lock_guard<std::mutex> lock(fLock);
	auto found = fWindows.find(id);
	if (found == fWindows.end())
		return;
	gone = std::move(found->second);
	fWindows.erase(found);
	fOrder.erase(std::remove(fOrder.begin(), fOrder.end(), id), fOrder.end());
	Changed();
}

void
HeadlessServer::WindowShown(int32 id)
{
	std::lock_guard<std::mutex> lock(fLock);
	auto found = fWindows.find(id);
	if (found == fWindows.end())
		return;
	found->second->state.visible = true;
	Changed();
}

void
HeadlessServer::WindowHidden(int32 id)
{
	std::lock_guard<std::mutex> lock(fLock);
	auto found = fWindows.find(id);
	if (found == fWindows.end())
		return;
	found->second->state.visible = false;
	Changed();
}

void
HeadlessServer::WindowTitleChanged(int32 id, const std::string& title)
{
	std::lock_guard<std::mutex> lock(fLock);
	auto found = fWindows.find(id);
	if (found == fWindows.end())
		return;
	found->second->state.title = title;
	Changed();
}

void
HeadlessServer::WindowFrameChanged(int32 id, BRect frame)
{
	std::lock_guard<std::mutex> lock(fLock);
	auto found = fWindows.find(id);
	if (found == fWindows.end())
		return;
	WindowRecord& window = *found->second;
	if (frame.Width() != window.state.frame.Width()
		|| frame.Height() != window.state.frame.Height()) {
		std::unique_ptr<BBitmap> resized = BlankPixels(frame);
		CopyPixels(*resized, *window.pixels, 0, 0);
		window.pixels = std::move(resized);
	}
	window.state.frame = frame;
	Changed();
}

void
HeadlessServer::WindowMenuChanged(int32 id, const MenuBarState& menu)
{
	std::lock_guard<std::mutex> lock(fLock);
	auto found = fWindows.find(id);
	if (found == fWindows.end())
		return;
	found->second->state.menu = menu;
	Changed();
}

void
HeadlessServer::WindowPixelsChanged(int32 id, BPoint where, std::unique_ptr<BBitmap> pixels)
{
	std::lock_guard<std::mutex> lock(fLock);
	auto found = fWindows.find(id);
	if (found == fWindows.end() || !pixels)
		return;
	CopyPixels(*found->second->pixels, *pixels, static_cast<int32>(where.x),
		static_cast<int32>(where.y));
	found->second->state.pixelUpdates++;
	Changed();
}

void
HeadlessServer::WindowScrollBarsChanged(int32 id, const std::vector<ScrollBarState>& bars)
{
	std::lock_guard<std::mutex> lock(fLock);
	auto found = fWindows.find(id);
	if (found == fWindows.end())
		return;
	found->second->state.scrollBars = bars;
	Changed();
}

int32
HeadlessServer::RunAlert(const AlertInfo& alert)
{
	AlertHandler handler;
	{
		std::lock_guard<std::mutex> lock(fLock);
		fAlerts.push_back(alert);
		handler = fAlertHandler;
		Changed();
	}
	if (!handler) {
		// Nobody will ever press a button: fail loudly rather than hang.
		fprintf(stderr, "HeadlessServer: alert with no answer installed: title \"%s\", text \"%s\"\n",
			alert.title.c_str(), alert.text.c_str());
		fflush(stderr);
		abort();
	}
	return handler(alert);
}

void
HeadlessServer::PanelShown(int32 id, const BMessenger& panel, const PanelInfo& info)
{
	PanelHandler handler;
	{
		std::lock_guard<std::mutex> lock(fLock);
		auto found = std::find_if(fPanels.begin(), fPanels.end(),
			[id](const PanelRecord& record) { return record.id == id; });
		if (found == fPanels.end())
			fPanels.push_back(PanelRecord{id, panel, info});
		else
			found->info = info;
		handler = fPanelHandler;
		Changed();
	}
	if (handler)
		handler(*this, id);
}

void
HeadlessServer::PanelChanged(int32 id, const PanelInfo& info)
{
	std::lock_guard<std::mutex> lock(fLock);
	for (PanelRecord& record : fPanels) {
		if (record.id == id)
			record.info = info;
	}
	Changed();
}

void
HeadlessServer::PanelHidden(int32 id)
{
	std::lock_guard<std::mutex> lock(fLock);
	auto found = std::find_if(fPanels.begin(), fPanels.end(),
		[id](const PanelRecord& record) { return record.id == id; });
	if (found == fPanels.end())
		return;
	fPanels.erase(found);
	Changed();
}

BRect
HeadlessServer::ScreenFrame()
{
	std::lock_guard<std::mutex> lock(fLock);
	return fScreenFrame;
}
