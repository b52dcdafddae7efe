#pragma once

// The program's document window: one per image. Its document is the source
// file the image is exported to, named after the image path with ".h"
// appended. It shows the image below a "File" and a "View" menu, switches
// the image between B_CMAP8 and B_RGB32 and converts it into the six other
// spaces the export writes, zooms and scrolls it, and saves itself as C++
// source.

#include "document/FileDocumentWindow.h"

#include <GraphicsDefs.h>

class AImageView;
class BMenu;
class BMenuBar;
class BMenuItem;

class BitmapImageWindow : public FileDocumentWindow {
public:
	// Runs on the application's thread: loads the image, builds the window
	// and shows it. A file that gives no image still gets its window.
	BitmapImageWindow(BRect frame, const char* path);
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

private:
	BMenuBar* BuildMenuBar();
	BMenu* BuildViewMenu();
	// The part of the window below the menu bar.
	BRect ImageArea() const;
	void SwitchToCmap8();
	void SwitchToRgb32();
	// Converts the image into one of the other spaces, by the exporter's
	// rules (nearest values, laid over white where the space has no
	// transparency).
	void SwitchTo(color_space space);
	// Marks the item of the image's colour space alone ("B_RGB32" when
	// there is no image).
	void MarkColorSpace();
	void UnmarkOtherSpaces();
	BPrivate::Result<void> ExportDocument();

	AImageView* fImageView;
	BMenuBar* fMenuBar;
	BMenuItem* fCmap8Item;
	BMenuItem* fRgb32Item;
	// The items of the other spaces, in the order of the menu.
	BMenuItem* fOtherSpaceItems[6];
};
