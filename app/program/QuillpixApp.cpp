// SPDX-License-Identifier: MIT
#include "QuillpixApp.h"

#include "app/commands/Commands.h"
#include "image/BitmapImageWindow.h"
#include "image/ImageClipboard.h"

#include <Alert.h>
#include <AppDefs.h>
#include <Entry.h>
#include <OS.h>
#include <Path.h>

#include <cstring>
#include <new>
#include <string>

namespace {

const char* kSignature = "application/x-vnd.Zq-Quillpix";
// The launch argument of the desktop entry's "Open an image…" action.
const char* kOpenPanelArgument = "--open";
const char* kUsage = "Usage: Drop an image onto the Quillpix application or pass the image "
					 "filename as an argument at the command line\n";

} // namespace

QuillpixApp::QuillpixApp()
	: DocumentApp(kSignature), fUntitledCount(1), fStagger(BRect(30, 30, 430, 280)),
	  fOpenPanelAtLaunch(false), fLaunchPanelShowing(false)
{
	MakeOpenPanel();
}

QuillpixApp::~QuillpixApp() = default;

void
QuillpixApp::MakeOpenPanel()
{
	status_t status = B_ERROR;
	BMessenger application(nullptr, this, &status);
	if (status != B_OK)
		return;
	fOpenPanel = std::make_unique<BFilePanel>(
		B_OPEN_PANEL, &application, nullptr, 0, true, nullptr, nullptr, false, true);
}

void
QuillpixApp::MessageReceived(BMessage* message)
{
	switch (message->what) {
	case kMsgNewUntitled:
		NewUntitledWindow();
		break;
	case kMsgPasteNewImage:
		PasteNewImage();
		break;
	case kMsgOpen:
		// Making the panel failed at start: try once more now that it is
		// wanted, and do nothing if there is still none.
		if (!fOpenPanel)
			MakeOpenPanel();
		if (fOpenPanel)
			fOpenPanel->Show();
		break;
	case B_CANCEL:
		// The Open panel closed without a choice.
		if (fLaunchPanelShowing)
			LaunchPanelAnswered();
		break;
	default:
		BApplication::MessageReceived(message);
	}
}

void
QuillpixApp::NewUntitledWindow(std::unique_ptr<BBitmap> image)
{
	int32 number = atomic_add(&fUntitledCount, 1);
	std::string name = "Untitled " + std::to_string(number);
	OpenWindow(name.c_str(), DocumentBinding::kUntitled, std::move(image));
}

// The alert does not hold up the application's thread, which the windows
// need while it shows.
void
QuillpixApp::PasteNewImage()
{
	BPrivate::Result<std::unique_ptr<BBitmap>> image = ImageClipboard::Paste();
	if (image) {
		NewUntitledWindow(std::move(image.Value()));
		return;
	}
	BAlert* alert = new BAlert(nullptr, image.Error().detail.c_str(), "OK", nullptr, nullptr,
		B_WIDTH_AS_USUAL, B_WARNING_ALERT);
	alert->Go(nullptr);
}

void
QuillpixApp::RefsReceived(BMessage* message)
{
	type_code type = 0;
	int32 count = 0;
	if (message->GetInfo("refs", &type, &count) != B_OK || type != B_REF_TYPE)
		return;

	for (int32 index = 0; index < count; index++) {
		entry_ref ref;
		if (message->FindRef("refs", index, &ref) != B_OK)
			continue;
		BEntry entry(&ref, true);
		if (entry.InitCheck() != B_OK)
			continue;
		BPath path;
		if (entry.GetPath(&path) != B_OK)
			continue;
		OpenWindow(path.Path());
	}
	if (fLaunchPanelShowing)
		LaunchPanelAnswered();
}

void
QuillpixApp::LaunchPanelAnswered()
{
	fLaunchPanelShowing = false;
	if (!HadDocumentWindows())
		PostMessage(B_QUIT_REQUESTED);
}

void
QuillpixApp::ArgvReceived(int32 argc, char** argv)
{
	if (argc == 2 && strcmp(argv[1], kOpenPanelArgument) == 0) {
		fOpenPanelAtLaunch = true;
		return;
	}
	// "--" ends the options: what follows is a file, whatever its name.
	int32 first = argc > 1 && strcmp(argv[1], "--") == 0 ? 2 : 1;
	for (int32 index = first; index < argc; index++)
		OpenWindow(argv[index]);
}

// A launch window that was closed again before this runs still counts as
// opened: its closing ends the application by itself.
void
QuillpixApp::ReadyToRun()
{
	if (HadDocumentWindows())
		return;
	if (fOpenPanelAtLaunch) {
		if (!fOpenPanel)
			MakeOpenPanel();
		if (fOpenPanel) {
			fLaunchPanelShowing = true;
			fOpenPanel->Show();
			return;
		}
	}
	BAlert* alert = new BAlert(
		nullptr, kUsage, "OK", nullptr, nullptr, B_WIDTH_AS_USUAL, B_INFO_ALERT);
	alert->Go();
	PostMessage(B_QUIT_REQUESTED);
}

// The window is allocated before it takes a frame, so a window that cannot
// be allocated leaves the cascade where it was. It shows itself and lives on
// its own from here; the application keeps no reference to it.
void
QuillpixApp::OpenWindow(const char* path, DocumentBinding binding, std::unique_ptr<BBitmap> image)
{
	void* memory = ::operator new(sizeof(BitmapImageWindow), std::nothrow);
	if (memory == nullptr)
		return;
	new (memory) BitmapImageWindow(fStagger.NextFrame(), path, binding, std::move(image));
}
