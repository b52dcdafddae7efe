// SPDX-License-Identifier: MIT
#pragma once

// The program's application: turns every request to open something into a
// new image window at the next frame of the cascade — file names on the
// command line, dropped or chosen files, the "Open" command (the Open panel)
// the "NewD" command (an untitled window) and the paste command (an untitled
// window showing the clipboard's image). Launched with nothing to open,
// it shows a usage alert and quits. Launched with the one argument "--open"
// (the desktop entry's "Open an image…"), it shows its Open panel instead,
// and quits when the panel is closed with nothing opened. A first argument
// "--" is dropped, so that every argument after it names a file ("--open"
// or "--help" included).
//
// Every operation runs on the application's thread.

#include "app/framework/DocumentApp.h"
#include "app/framework/WindowStagger.h"

#include "image/BitmapImageWindow.h"

#include <Bitmap.h>
#include <FilePanel.h>

#include <memory>

class QuillpixApp : public DocumentApp {
public:
	QuillpixApp();
	~QuillpixApp() override;

	void MessageReceived(BMessage* message) override;
	void ReadyToRun() override;
	void ArgvReceived(int32 argc, char** argv) override;
	void RefsReceived(BMessage* message) override;

private:
	// An untitled window, empty or showing `image`.
	void NewUntitledWindow(std::unique_ptr<BBitmap> image = nullptr);
	// The image on the clipboard in a new untitled window; an alert says so
	// when the clipboard holds none.
	void PasteNewImage();
	// A window for the image file `path`, or, untitled, named `path` and
	// showing `image` when given.
	void OpenWindow(const char* path, DocumentBinding binding = DocumentBinding::kFile,
		std::unique_ptr<BBitmap> image = nullptr);
	void MakeOpenPanel();
	// The Open panel shown at launch was answered: quits when nothing came
	// of it.
	void LaunchPanelAnswered();

	int32 fUntitledCount;
	WindowStagger fStagger;
	std::unique_ptr<BFilePanel> fOpenPanel;
	bool fOpenPanelAtLaunch; // "--open" was the launch's argument
	bool fLaunchPanelShowing; // that panel is up and not yet answered
};
