// SPDX-License-Identifier: MIT
#include "BitmapImageWindow.h"

#include "AImageView.h"
#include "EditMenu.h"
#include "ImageClipboard.h"
#include "StatusLine.h"
#include "SpaceSwitch.h"
#include "StatusText.h"
#include "export/BitmapSourceExport.h"
#include "app/commands/Commands.h"
#include "export/ImageIdentifier.h"
#include "export/LeafName.h"

#include <Alert.h>
#include <AppDefs.h>
#include <Application.h>
#include <Menu.h>
#include <MenuBar.h>
#include <MenuItem.h>
#include <TranslationUtils.h>

#include <iterator>
#include <string>

namespace {

constexpr const char* kNoImage = "there is no image to save";

// The "Color space" items after the seed's two, in menu order: the first
// six, a separator, then the byte orders displays take.
struct OtherSpace {
	const char* label;
	uint32 command;
	color_space space;
};

constexpr OtherSpace kOtherSpaces[] = {
	{"B_RGBA32", kMsgRgba32, B_RGBA32},
	{"B_RGB16", kMsgRgb16, B_RGB16},
	{"B_RGB15", kMsgRgb15, B_RGB15},
	{"B_RGBA15", kMsgRgba15, B_RGBA15},
	{"B_GRAY8", kMsgGray8, B_GRAY8},
	{"B_GRAY1", kMsgGray1, B_GRAY1},
	{"B_RGB24", kMsgRgb24, B_RGB24},
	{"B_RGB24_BIG", kMsgRgb24Big, B_RGB24_BIG},
	{"B_RGB16_BIG", kMsgRgb16Big, B_RGB16_BIG},
	{"B_RGB15_BIG", kMsgRgb15Big, B_RGB15_BIG},
	{"B_RGBA15_BIG", kMsgRgba15Big, B_RGBA15_BIG},
	{"B_RGB32_BIG", kMsgRgb32Big, B_RGB32_BIG},
	{"B_RGBA32_BIG", kMsgRgba32Big, B_RGBA32_BIG},
};
constexpr size_t kFirstByteOrderItem = 6;

static_assert(std::size(kOtherSpaces) == 13, "one item each");

// What the view says when the file gave no image, naming the file by the
// leaf of the path as it was given.
std::string
FailureText(const char* path, const BPrivate::Failure& failure)
{
	return BPrivate::DescribeReadFailure(failure, LeafName(path));
}

} // namespace

BitmapImageWindow::BitmapImageWindow(
	BRect frame, const char* path, DocumentBinding binding, std::unique_ptr<BBitmap> image)
	: FileDocumentWindow(frame, path, B_TITLED_WINDOW, B_WILL_ACCEPT_FIRST_CLICK),
	  fImageView(nullptr), fMenuBar(nullptr), fCmap8Item(nullptr),
	  fRgb32Item(nullptr), fOtherSpaceItems{}, fStatusLine(nullptr),
	  fImagePath(binding == DocumentBinding::kFile ? path : "")
{
	fMenuBar = BuildMenuBar();
	AddChild(fMenuBar);
	// The status line takes its height from the bottom of the window.
	fStatusLine = new StatusLine(Bounds());
	AddChild(fStatusLine);

	// The image view fills the window below the menu bar, which sized itself
	// to its items when it was added; scroll bars take their room from it
	// where the image does not fit.
	fImageView = new AImageView(ImageArea());

	if (binding == DocumentBinding::kFile) {
		BPrivate::ReadFacts facts;
		BPrivate::Result<std::unique_ptr<BBitmap>> image = BPrivate::ReadBitmapFile(
			path, nullptr, &facts);
		TakeImage(image ? image.Value().release() : nullptr, facts);
		if (!image)
			fImageView->SetStatusText(FailureText(path, image.Error()).c_str());
	} else if (image) {
		fImageView->SetBitmap(image.release());
	}
	MarkColorSpace();
	AddChild(fImageView);
	fImageView->LayOut(ImageArea());
	fImageView->MakeFocus();
	// "Zoom in" answers to the keys that give '+' and to the '=' key
	// beneath it, with and without Shift.
	AddShortcut('+', B_SHIFT_KEY, new BMessage(kMsgZoomIn));
	AddShortcut('=', 0, new BMessage(kMsgZoomIn));

	std::string documentName = std::string(path) + ".h";
	SetDocumentName(documentName.c_str());
	UpdateStatus();

	Show();
}

BitmapImageWindow::~BitmapImageWindow() = default;

BMenuBar*
BitmapImageWindow::BuildMenuBar()
{
	auto* menuBar = new BMenuBar(
		BRect(0, 0, 0, 0), "Menu", B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP, B_ITEMS_IN_ROW, true);
	auto* fileMenu = new BMenu("File", B_ITEMS_IN_COLUMN);

	auto* openItem = new BMenuItem("Open\xE2\x80\xA6", new BMessage(kMsgOpen), 'O', 0);
	openItem->SetTarget(be_app);
	fileMenu->AddItem(openItem);
	fileMenu->AddSeparatorItem();
	fileMenu->AddItem(
		new BMenuItem("Save as source code\xE2\x80\xA6", new BMessage(kMsgSaveAs), 0, 0));
	fileMenu->AddSeparatorItem();

	auto* colorSpaceMenu = new BMenu("Color space", B_ITEMS_IN_COLUMN);
	fCmap8Item = new BMenuItem("B_CMAP8", new BMessage(kMsgCmap8), 0, 0);
	fRgb32Item = new BMenuItem("B_RGB32", new BMessage(kMsgRgb32), 0, 0);
	colorSpaceMenu->AddItem(fCmap8Item);
	colorSpaceMenu->AddItem(fRgb32Item);
	colorSpaceMenu->AddSeparatorItem();
	for (size_t index = 0; index < std::size(kOtherSpaces); index++) {
		if (index == kFirstByteOrderItem)
			colorSpaceMenu->AddSeparatorItem();
		fOtherSpaceItems[index] = new BMenuItem(
			kOtherSpaces[index].label, new BMessage(kOtherSpaces[index].command), 0, 0);
		colorSpaceMenu->AddItem(fOtherSpaceItems[index]);
	}
	fileMenu->AddItem(new BMenuItem(colorSpaceMenu, nullptr));
	fileMenu->AddSeparatorItem();

	fileMenu->AddItem(new BMenuItem("Close", new BMessage(B_QUIT_REQUESTED), 'W', 0));
	auto* quitItem = new BMenuItem("Quit", new BMessage(B_QUIT_REQUESTED), 'Q', 0);
	quitItem->SetTarget(be_app);
	fileMenu->AddItem(quitItem);

	menuBar->AddItem(fileMenu);
	menuBar->AddItem(BuildEditMenu());
	menuBar->AddItem(BuildViewMenu());
	menuBar->AddItem(fImageMenu.Build(!fImagePath.empty()));
	return menuBar;
}

BMenu*
BitmapImageWindow::BuildViewMenu()
{
	auto* viewMenu = new BMenu("View", B_ITEMS_IN_COLUMN);
	viewMenu->AddItem(new BMenuItem("Zoom in", new BMessage(kMsgZoomIn), '+', 0));
	viewMenu->AddItem(new BMenuItem("Zoom out", new BMessage(kMsgZoomOut), '-', 0));
	viewMenu->AddItem(new BMenuItem("Actual size", new BMessage(kMsgActualSize), '0', 0));
	viewMenu->AddItem(new BMenuItem("Fit in window", new BMessage(kMsgFitInWindow), 0, 0));
	viewMenu->AddSeparatorItem();
	viewMenu->AddItem(new BMenuItem("Show transparency", new BMessage(kMsgShowTransparency), 0, 0));
	return viewMenu;
}

BRect
BitmapImageWindow::ImageArea() const
{
	BRect area = Bounds();
	area.top = fMenuBar->Frame().bottom + 1.0f;
	area.bottom = fStatusLine->Frame().top - 1.0f;
	return area;
}

void
BitmapImageWindow::FrameResized(float, float)
{
	fImageView->LayOut(ImageArea());
	// Fitting in the window changes the zoom.
	UpdateStatus();
}

void
BitmapImageWindow::MessageReceived(BMessage* message)
{
	switch (message->what) {
	case kMsgCmap8:
		SwitchTo(B_CMAP8);
		break;
	case kMsgRgb32:
		SwitchTo(B_RGB32);
		break;
	case kMsgRgba32:
	case kMsgRgb16:
	case kMsgRgb15:
	case kMsgRgba15:
	case kMsgGray8:
	case kMsgGray1:
	case kMsgRgb24:
	case kMsgRgb24Big:
	case kMsgRgb16Big:
	case kMsgRgb15Big:
	case kMsgRgba15Big:
	case kMsgRgb32Big:
	case kMsgRgba32Big:
		for (const OtherSpace& other : kOtherSpaces) {
			if (other.command == message->what)
				SwitchTo(other.space);
		}
		break;
	case kMsgZoomIn:
		fImageView->ZoomIn();
		break;
	case kMsgZoomOut:
		fImageView->ZoomOut();
		break;
	case kMsgActualSize:
		fImageView->ActualSize();
		break;
	case kMsgFitInWindow:
		fImageView->FitInWindow();
		break;
	case kMsgShowTransparency: {
		fImageView->SetShowTransparency(!fImageView->ShowsTransparency());
		if (BMenuItem* item = fMenuBar->FindItem(kMsgShowTransparency))
			item->SetMarked(fImageView->ShowsTransparency());
		break;
	}
	case kMsgScaleChanged:
		break;
	case kMsgDitherNone:
	case kMsgDitherFloydSteinberg:
	case kMsgDitherOrdered:
		fImageMenu.ChooseDither(message->what);
		break;
	case kMsgRevertToFile:
		RevertToFile();
		break;
	case kMsgCopySource:
	case kMsgCopyImage:
		Copy(message->what);
		break;
	default:
		FileDocumentWindow::MessageReceived(message);
	}
	// Whatever changed (the image, its space, the zoom, the document name
	// after a save) shows in the status line; an unchanged text is not
	// redrawn.
	UpdateStatus();
}

bool
BitmapImageWindow::SaveDocument()
{
	return SaveOutcome(ExportDocument());
}

BPrivate::Result<void>
BitmapImageWindow::ExportDocument()
{
	const BBitmap* bitmap = fImageView->Bitmap();
	if (bitmap == nullptr)
		return BPrivate::Failure(B_NO_INIT, kNoImage);
	SourceExportOptions options;
	options.progress = [this](int64 written, int64 total) {
		// The save holds the window's thread: draw the line and show it now.
		if (fStatusLine->SaveProgressed(written, total))
			UpdateIfNeeded();
	};
	fStatusLine->SaveStarted();
	BPrivate::Result<void> saved = ExportBitmapSource(bitmap, DocumentName(), options);
	UpdateStatus();
	return saved;
}

void
BitmapImageWindow::RevertToFile()
{
	if (fImagePath.empty())
		return;
	BPrivate::ReadFacts facts;
	BPrivate::Result<std::unique_ptr<BBitmap>> image = BPrivate::ReadBitmapFile(
		fImagePath.c_str(), nullptr, &facts);
	if (!image) {
		std::string text = FailureText(fImagePath.c_str(), image.Error());
		// A window without an image says it in its view, as at opening; one
		// with an image keeps it and tells in an alert.
		if (fImageView->Bitmap() == nullptr) {
			fImageView->SetStatusText(text.c_str());
			return;
		}
		BAlert* alert = new BAlert(
			nullptr, text.c_str(), "OK", nullptr, nullptr, B_WIDTH_AS_USUAL, B_STOP_ALERT);
		alert->Go(nullptr);
		return;
	}
	fImageView->SetStatusText("");
	TakeImage(image.Value().release(), facts);
	MarkColorSpace();
}

// A decoded image is held as opening holds it (B_RGB32 unless it is
// B_CMAP8); a text read back stays in the space it was written in, which is
// what it was saved for.
void
BitmapImageWindow::TakeImage(BBitmap* bitmap, const BPrivate::ReadFacts& facts)
{
	if (bitmap != nullptr && facts.namesColorSpace)
		fImageView->KeepBitmap(bitmap);
	else
		fImageView->SetBitmap(bitmap);
}

// The text names the icon as the exporter's standard output does: after the
// image file's name (an untitled window's after its own), so that it
// compiles wherever it is pasted.
void
BitmapImageWindow::Copy(uint32 command)
{
	const BBitmap* bitmap = fImageView->Bitmap();
	BPrivate::Result<void> copied;
	if (command == kMsgCopyImage) {
		copied = ImageClipboard::CopyImage(bitmap);
	} else {
		const std::string iconName = ImageIdentifier::For(
			fImagePath.empty() ? DocumentName() : fImagePath);
		copied = ImageClipboard::CopySource(bitmap, iconName.c_str());
	}
	if (copied)
		return;
	BAlert* alert = new BAlert(nullptr, copied.Error().detail.c_str(), "OK", nullptr, nullptr,
		B_WIDTH_AS_USUAL, B_WARNING_ALERT);
	alert->Go(nullptr);
}

void
BitmapImageWindow::UpdateStatus()
{
	const char* fileName = LeafName(fImagePath.empty() ? DocumentName() : fImagePath.c_str());
	fStatusLine->SetText(StatusText::Describe(
		ImageFacts::Of(fImageView->Bitmap(), fileName, LeafName(), fImageView->Scale())));
}

const BBitmap*
BitmapImageWindow::Image() const
{
	return fImageView->Bitmap();
}

// The view keeps a B_RGB32 or B_CMAP8 result as SetBitmap does, and any
// other as it is: its space is the point.
void
BitmapImageWindow::SwitchTo(color_space space)
{
	BBitmap* current = fImageView->Bitmap();
	if (current == nullptr || current->ColorSpace() == space)
		return;

	std::unique_ptr<BBitmap> result = SwitchedBitmap(*current, space, fImageMenu.Dither());
	if (!result)
		return;
	if (space == B_CMAP8 || space == B_RGB32)
		fImageView->SetBitmap(result.release());
	else
		fImageView->KeepBitmap(result.release());
	MarkColorSpace();
}

// Exactly one item is marked: the one of the image's colour space, "B_RGB32"
// for a window whose file gave no image.
void
BitmapImageWindow::MarkColorSpace()
{
	const color_space space = fImageView->Bitmap() != nullptr ? fImageView->Bitmap()->ColorSpace()
															  : B_RGB32;
	fCmap8Item->SetMarked(space == B_CMAP8);
	fRgb32Item->SetMarked(space == B_RGB32);
	for (size_t index = 0; index < std::size(kOtherSpaces); index++)
		fOtherSpaceItems[index]->SetMarked(space == kOtherSpaces[index].space);
}
