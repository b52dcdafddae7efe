// SPDX-License-Identifier: MIT
#pragma once

// The program's document window: one per image. Its document is the source
// file the image is exported to, named after the image path with ".h"
// appended. It shows the image below a "File", an "Edit", a "View" and an
// "Image" menu, with a status line along its bottom; switches the image between
// B_CMAP8 and B_RGB32 and converts it into the six other spaces the export
// writes (dithered as the "Image" menu says), reads it again from its file
// on request, zooms and scrolls it, saves itself as C++ source and copies
// that source, or the picture, to the clipboard.

#include "ImageMenu.h"
#include "document/FileDocumentWindow.h"

#include <Bitmap.h>
#include <GraphicsDefs.h>
#include <TranslationUtils.h>

#include <memory>
#include <string>

class AImageView;
class StatusLine;
class BMenu;
class BMenuBar;
class BMenuItem;

// Whether a new window's path names an image file to read. A new document
// (the "Untitled" windows) reads nothing, whatever the working directory holds
// under its name.
enum class DocumentBinding {
	kFile, // the path names the image file
	kUntitled, // the path is only the new document's name
};

class BitmapImageWindow : public FileDocumentWindow {
public:
	// Runs on the application's thread: loads the image, builds the window
	// and shows it. A file that gives no image still gets its window. An
	// untitled window reads no file: `path` is only its name, and it shows
	// `image` (a pasted one) when given.
	BitmapImageWindow(BRect frame, const char* path,
		DocumentBinding binding = DocumentBinding::kFile, std::unique_ptr<BBitmap> image = nullptr);
	~BitmapImageWindow() override;

	void MessageReceived(BMessage* message) override;
	void FrameResized(float newWidth, float newHeight) override;
	// The source-code export of the image into DocumentName(); the reason
	// of a failure goes to the save's alert.
	bool SaveDocument() override;

	// The image the window holds; null when its file gave none.
	const BBitmap* Image() const;
	// The view that shows the image, or says why there is none.
	const AImageView* ImageView() const { return fImageView; }
	// The line along the window's bottom.
	const StatusLine* Status() const { return fStatusLine; }

private:
	BMenuBar* BuildMenuBar();
	BMenu* BuildViewMenu();
	// The part of the window below the menu bar and above the status line.
	BRect ImageArea() const;
	// Converts the image into `space` (SpaceSwitch.h), dithered as the
	// "Image" menu says, and marks that space's item alone.
	void SwitchTo(color_space space);
	// Hands a bitmap read from the image file to the view.
	void TakeImage(BBitmap* bitmap, const BPrivate::ReadFacts& facts);
	// Marks the item of the image's colour space alone ("B_RGB32" when
	// there is no image).
	void MarkColorSpace();
	BPrivate::Result<void> ExportDocument();
	// Reads the image file again and shows it as when it was opened, in the
	// colour space it came in, keeping the document name and the zoom. A
	// failure is told with the words opening uses, and the image stays.
	void RevertToFile();
	// Puts the bitmap's text (kMsgCopySource) or picture (kMsgCopyImage) on
	// the clipboard; a failure is told in an alert.
	void Copy(uint32 command);
	// Says what the window holds in the status line.
	void UpdateStatus();

	AImageView* fImageView;
	BMenuBar* fMenuBar;
	BMenuItem* fCmap8Item;
	BMenuItem* fRgb32Item;
	// The items of the other spaces, in the order of the menu.
	BMenuItem* fOtherSpaceItems[13];
	StatusLine* fStatusLine;
	ImageMenu fImageMenu;
	// The image file as given; empty for an untitled window.
	std::string fImagePath;
};
