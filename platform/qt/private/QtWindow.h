// SPDX-License-Identifier: MIT
#pragma once

// One BWindow on the desktop: a top-level widget as large as the window's
// frame, painting the pixels the window's views drew, with the key menu bar
// as a native QMenuBar laid exactly over the menu bar view's frame.
//
// What the person does goes to the window's looper as messages: the close
// box as B_QUIT_REQUESTED (the window decides), resizing and moving as
// B_WINDOW_RESIZED / B_WINDOW_MOVED, keys as B_KEY_DOWN, menu choices as
// kMsgMenuItemPicked, the wheel as B_MOUSE_WHEEL_CHANGED, scroll bars as
// kMsgScrollBarMoved; files dropped go to the application as
// B_REFS_RECEIVED.
//
// Lives on the Qt thread; QtDisplay owns it.

#include "QtFrameSync.h"

#include <DisplayServer.h>

#include <QImage>
#include <QWidget>

#include <memory>

namespace BPrivate {

class QtMenuBar;
class QtScrollBars;

class QtWindow : public QWidget {
public:
	QtWindow(int32 id, const BMessenger& messenger, const WindowInfo& info);
	~QtWindow() override;

	int32 Id() const { return fId; }
	// The frame as the kit last reported it (screen coordinates).
	BRect Frame() const { return fFrame; }
	QtMenuBar* MenuBar() const { return fMenuBar; }
	const QImage& Pixels() const { return fPixels; }

	void SetTitle(const std::string& title);
	void SetFrame(BRect frame);
	void SetMenu(const MenuBarState& menu);
	void SetScrollBars(const std::vector<ScrollBarState>& bars);
	QtScrollBars* ScrollBars() const { return fScrollBars.get(); }
	// Copies `pixels` (B_RGB32) to `where` in window coordinates.
	void DrawPixels(BPoint where, const BBitmap& pixels);
	// The window is going away: hide, and report nothing more.
	void Retire();

protected:
	void paintEvent(QPaintEvent* event) override;
	void closeEvent(QCloseEvent* event) override;
	void resizeEvent(QResizeEvent* event) override;
	void moveEvent(QMoveEvent* event) override;
	void keyPressEvent(QKeyEvent* event) override;
	void wheelEvent(QWheelEvent* event) override;
	void dragEnterEvent(QDragEnterEvent* event) override;
	void dropEvent(QDropEvent* event) override;

private:
	void Send(BMessage& message);
	void PlaceMenuBar();

	const int32 fId;
	BMessenger fMessenger;
	BRect fFrame;
	QImage fPixels;
	QtMenuBar* fMenuBar; // a child widget; null without a key menu bar
	std::unique_ptr<QtScrollBars> fScrollBars;
	QPoint fWheelRemainder; // eighths of a degree not yet a notch
	BRect fMenuFrame;
	// What the window manager did and the kit has not yet echoed.
	QtFrameSync fSync;
	bool fRetired;
};

} // namespace BPrivate
