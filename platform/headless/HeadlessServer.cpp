// SPDX-License-Identifier: MIT
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
// How long an alert without a handler waits for a button before the
// process gives up on it.
constexpr bigtime_t kUnansweredAlert = 30000000;

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

} // namespace

struct HeadlessServer::WindowRecord {
	WindowState state;
	BMessenger messenger;
	std::unique_ptr<BBitmap> pixels;
};

HeadlessServer::HeadlessServer() : fSeat(std::make_shared<int>(0)), fScreenFrame(kDefaultScreen)
{ }

std::shared_ptr<void>
HeadlessServer::Seat()
{
	return fSeat;
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

void
HeadlessServer::ChangeWindow(int32 id, const std::function<void(WindowRecord&)>& change)
{
	std::lock_guard<std::mutex> lock(fLock);
	auto found = fWindows.find(id);
	if (found == fWindows.end())
		return;
	change(*found->second);
	Changed();
}

std::vector<int32>
HeadlessServer::Windows() const
{
	std::lock_guard<std::mutex> lock(fLock);
	return fOrder;
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
	for (const PanelRecord& record : fPanels)
		states.push_back(StateOf(record));
	return states;
}

std::optional<HeadlessServer::PanelState>
HeadlessServer::Panel(int32 panelId) const
{
	std::lock_guard<std::mutex> lock(fLock);
	auto found = std::find_if(fPanels.begin(), fPanels.end(),
		[panelId](const PanelRecord& record) { return record.id == panelId; });
	if (found == fPanels.end())
		return std::nullopt;
	return StateOf(*found);
}

HeadlessServer::PanelState
HeadlessServer::StateOf(const PanelRecord& record)
{
	const PanelInfo& info = record.info;
	return PanelState{record.id, info.mode, info.directory, info.saveText, info.target,
		info.allowMultipleSelection, record.panel, info.modal};
}

status_t
HeadlessServer::AnswerPanel(int32 panelId, BMessage& answer)
{
	// A person can choose only what the panel lists: its filter is asked
	// first, outside the server's lock, since it is the program's code.
	if (answer.what == B_REFS_RECEIVED) {
		std::function<bool(const entry_ref&)> offers;
		{
			std::lock_guard<std::mutex> lock(fLock);
			auto found = std::find_if(fPanels.begin(), fPanels.end(),
				[panelId](const PanelRecord& record) { return record.id == panelId; });
			if (found != fPanels.end())
				offers = found->info.offers;
		}
		entry_ref ref;
		for (int32 index = 0; offers && answer.FindRef("refs", index, &ref) == B_OK; index++) {
			if (!offers(ref))
				return B_NOT_ALLOWED;
		}
	}
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
	ChangeWindow(id, [](WindowRecord& window) { window.state.visible = true; });
}

void
HeadlessServer::WindowHidden(int32 id)
{
	ChangeWindow(id, [](WindowRecord& window) { window.state.visible = false; });
}

void
HeadlessServer::WindowTitleChanged(int32 id, const std::string& title)
{
	ChangeWindow(id, [&title](WindowRecord& window) { window.state.title = title; });
}

void
HeadlessServer::WindowFrameChanged(int32 id, BRect frame)
{
	ChangeWindow(id, [frame](WindowRecord& window) {
		if (frame.Width() != window.state.frame.Width()
			|| frame.Height() != window.state.frame.Height()) {
			std::unique_ptr<BBitmap> resized = BlankPixels(frame);
			CopyPixels(*resized, *window.pixels, 0, 0);
			window.pixels = std::move(resized);
		}
		window.state.frame = frame;
	});
}

void
HeadlessServer::WindowMenuChanged(int32 id, const MenuBarState& menu)
{
	ChangeWindow(id, [&menu](WindowRecord& window) { window.state.menu = menu; });
}

void
HeadlessServer::WindowPixelsChanged(int32 id, BPoint where, std::unique_ptr<BBitmap> pixels)
{
	if (!pixels)
		return;
	ChangeWindow(id, [&pixels, where](WindowRecord& window) {
		CopyPixels(
			*window.pixels, *pixels, static_cast<int32>(where.x), static_cast<int32>(where.y));
		window.state.pixelUpdates++;
	});
}

void
HeadlessServer::WindowScrollBarsChanged(int32 id, const std::vector<ScrollBarState>& bars)
{
	ChangeWindow(id, [&bars](WindowRecord& window) { window.state.scrollBars = bars; });
}

int32
HeadlessServer::RunAlert(const AlertInfo& alert)
{
	AlertHandler handler;
	uint64 token = 0;
	{
		std::lock_guard<std::mutex> lock(fLock);
		fAlerts.push_back(alert);
		token = fNextAlert++;
		fShowing.push_back(ShowingAlert{token, alert});
		handler = fAlertHandler;
		Changed();
	}
	int32 answer = -1;
	if (handler) {
		answer = handler(alert);
	} else if (fSeat.use_count() > 1) {
		fChanges.WaitUntil(
			[&] {
				std::lock_guard<std::mutex> lock(fLock);
				for (const ShowingAlert& showing : fShowing) {
					if (showing.token == token)
						return showing.answer >= 0;
				}
				return true;
			},
			kUnansweredAlert);
	}
	std::lock_guard<std::mutex> lock(fLock);
	auto found = std::find_if(fShowing.begin(), fShowing.end(),
		[token](const ShowingAlert& showing) { return showing.token == token; });
	if (found != fShowing.end()) {
		if (!handler)
			answer = found->answer;
		fShowing.erase(found);
		Changed();
	}
	if (!handler && answer < 0) {
		// Nobody pressed a button: fail loudly rather than hang.
		fprintf(stderr,
			"HeadlessServer: alert with no answer installed: title \"%s\", text \"%s\"\n",
			alert.title.c_str(), alert.text.c_str());
		fflush(stderr);
		abort();
	}
	return answer;
}

std::vector<AlertInfo>
HeadlessServer::ShowingAlerts() const
{
	std::lock_guard<std::mutex> lock(fLock);
	std::vector<AlertInfo> alerts;
	for (const ShowingAlert& showing : fShowing) {
		if (showing.answer < 0)
			alerts.push_back(showing.info);
	}
	return alerts;
}

status_t
HeadlessServer::AnswerAlert(int32 index)
{
	std::lock_guard<std::mutex> lock(fLock);
	for (auto showing = fShowing.rbegin(); showing != fShowing.rend(); showing++) {
		if (showing->answer >= 0)
			continue;
		if (index < 0 || index >= static_cast<int32>(showing->info.buttons.size()))
			return B_BAD_VALUE;
		showing->answer = index;
		Changed();
		return B_OK;
	}
	return B_BAD_VALUE;
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
		handler(id);
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

void
HeadlessServer::WriteClipboard(ClipboardInfo contents)
{
	std::lock_guard<std::mutex> lock(fLock);
	fClipboard = std::move(contents);
	Changed();
}

ClipboardInfo
HeadlessServer::ReadClipboard()
{
	std::lock_guard<std::mutex> lock(fLock);
	return fClipboard;
}
