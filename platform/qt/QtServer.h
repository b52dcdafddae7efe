// SPDX-License-Identifier: MIT
#pragma once

// The display server on a real desktop, through Qt 6 Widgets: a top-level
// window per BWindow showing the pixels its views drew, the key menu bar as
// a native menu bar, alerts as message boxes, file panels as non-modal file
// dialogs, files dropped on any window sent to the application.
//
// Threads: Qt runs on the thread that creates the server, which must be the
// process's main thread and the one that later calls BApplication::Run (it
// becomes the application's thread). The DisplayServer calls may come from
// any thread; each is queued to the Qt thread in the order it was made and
// returns at once, so no window thread ever waits for Qt and Qt never waits
// for a window. RunAlert alone blocks its caller: on the Qt thread with a
// nested event loop (during which the application's messages wait), on any
// other thread until the person answers. Since the application's thread is
// Qt's, it must not wait for a window's lock while that window's thread
// holds it through an alert: nothing could answer the alert meanwhile.
//
// RunApplication runs Qt's event loop and drains the application's queue in
// it (see DisplayServer.h); it returns when the application has quit.
//
// The header is free of Qt so that the program's start-up can name it.

#include <DisplayServer.h>
#include <Result.h>

#include <memory>
#include <string>
#include <vector>

namespace BPrivate {
class QtDisplay;
} // namespace BPrivate

class QtServer : public DisplayServer {
public:
	// Starts Qt (a QApplication unless one exists) on the calling thread.
	// A failure, with a one-line reason, when Qt cannot be started here; the
	// process goes on unharmed.
	static BPrivate::Result<std::unique_ptr<QtServer>> Create();
	~QtServer() override;

	QtServer(const QtServer&) = delete;
	QtServer& operator=(const QtServer&) = delete;

	void WindowCreated(int32 id, const BMessenger& window, const WindowInfo& info) override;
	void WindowDestroyed(int32 id) override;
	void WindowShown(int32 id) override;
	void WindowHidden(int32 id) override;
	void WindowTitleChanged(int32 id, const std::string& title) override;
	void WindowFrameChanged(int32 id, BRect frame) override;
	void WindowMenuChanged(int32 id, const MenuBarState& menu) override;
	void WindowPixelsChanged(int32 id, BPoint where, std::unique_ptr<BBitmap> pixels) override;
	void WindowScrollBarsChanged(int32 id, const std::vector<ScrollBarState>& bars) override;
	int32 RunAlert(const AlertInfo& alert) override;
	void PanelShown(int32 id, const BMessenger& panel, const PanelInfo& info) override;
	void PanelChanged(int32 id, const PanelInfo& info) override;
	void PanelHidden(int32 id) override;
	BRect ScreenFrame() override;
	// Writing posts to the Qt thread. Reading on the Qt thread reads at once;
	// from any other it waits for the Qt thread, like RunAlert.
	void WriteClipboard(ClipboardInfo contents) override;
	ClipboardInfo ReadClipboard() override;
	void RunApplication(BPrivate::ApplicationLoop& loop) override;

	// One size of the application's icon: side by side pixels, R, G, B, A
	// bytes row by row.
	struct IconImage {
		int32 side = 0;
		std::vector<uint8> rgba;
	};
	// Every window, present and future, carries this icon (the window
	// manager's _NET_WM_ICON on X11), in all the sizes given.
	void SetApplicationIcon(const std::vector<IconImage>& sizes);

	// The Qt-side state, for QtProbe.
	BPrivate::QtDisplay& Display() const { return *fDisplay; }

private:
	class Application;
	struct Dispatch;

	explicit QtServer(std::unique_ptr<Application> application);

	// Any thread: asks for one DispatchApplication on the Qt thread.
	void ScheduleDispatch();
	// The Qt thread: hands the application its queued messages.
	void DispatchApplication();

	std::unique_ptr<Application> fApplication; // null when Qt was running already
	std::unique_ptr<BPrivate::QtDisplay> fDisplay;
	std::unique_ptr<Dispatch> fDispatch;
};
