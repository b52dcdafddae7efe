#include "BitmapImageWindow.h"

#include "AImageView.h"
#include "StatusLine.h"
#include "StatusText.h"
#include "export/BitmapConversion.h"
#include "export/BitmapSourceExport.h"
#include "app/Commands.h"
#include "export/FormatBitmapSource.h"
#include "export/LeafName.h"

#include <Alert.h>
#include <AppDefs.h>
#include <Application.h>
#include <Menu.h>
#include <MenuBar.h>
#include <MenuItem.h>
#include <SpaceConversion.h>
#include <TranslationUtils.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>

namespace {

constexpr const char* kNoImage = "there is no image to save";
// What the image view posts to its window when its scale changed.
constexpr uint32 kScaleChanged = 'ZmCh';
// A save that lasts longer than this shows its progress.
constexpr bigtime_t kProgressDelay = 1000000;

// The "Color space" items after the seed's two, in menu order.
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
};

static_assert(std::size(kOtherSpaces) == 6, "one item each");

// What the view says when the file gave no image, naming the file by the
// leaf of the path as it was given.
std::string
FailureText(const char* path, const BPrivate::Failure& failure)
{
	return BPrivate::DescribeReadFailure(failure, LeafName(path));
}

} // namespace

BitmapImageWindow::BitmapImageWindow(BRect frame, const char* path, DocumentBinding binding)
	:
	FileDocumentWindow(frame, path, B_TITLED_WINDOW, B_WILL_ACCEPT_FIRST_CLICK,
		B_CURRENT_WORKSPACE, binding),
	fImageView(nullptr),
	fMenuBar(nullptr),
	fCmap8Item(nullptr),
	fRgb32Item(nullptr),
	fOtherSpaceItems{},
	fStatusLine(nullptr),
	fImagePath(binding == DocumentBinding::kFile ? path : ""),
	fSaveStart(0),
	fSavePercent(-1)
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

	if (!IsUntitled()) {
		BPrivate::Result<std::unique_ptr<BBitmap>> image = BPrivate::ReadBitmapFile(path);
		fImageView->SetBitmap(image ? image.Value().release() : nullptr);
		if (!image)
			fImageView->SetStatusText(FailureText(path, image.Error()).c_str());
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
	auto* menuBar = new BMenuBar(BRect(0, 0, 0, 0), "Menu", B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP,
		B_ITEMS_IN_ROW, true);
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
		fOtherSpaceItems[index] = new BMenuItem(kOtherSpaces[index].label,
			new BMessage(kOtherSpaces[index].command), 0, 0);
		colorSpaceMenu->AddItem(fOtherSpaceItems[index]);
	}
	fileMenu->AddItem(new BMenuItem(colorSpaceMenu, nullptr));
	fileMenu->AddSeparatorItem();

	fileMenu->AddItem(new BMenuItem("Close", new BMessage(B_QUIT_REQUESTED), 'W', 0));
	auto* quitItem = new BMenuItem("Quit", new BMessage(B_QUIT_REQUESTED), 'Q', 0);
	quitItem->SetTarget(be_app);
	fileMenu->AddItem(quitItem);

	menuBar->AddItem(fileMenu);
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
			SwitchToCmap8();
			break;
		case kMsgRgb32:
			SwitchToRgb32();
			break;
		case kMsgRgba32:
		case kMsgRgb16:
		case kMsgRgb15:
		case kMsgRgba15:
		case kMsgGray8:
		case kMsgGray1:
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
		case kScaleChanged:
			break;
		case kMsgDitherNone:
		case kMsgDitherFloydSteinberg:
		case kMsgDitherOrdered:
			fImageMenu.ChooseDither(message->what);
			break;
		case kMsgRevertToFile:
			RevertToFile();
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
	options.progress = [this](int64 written, int64 total) { ShowSaveProgress(written, total); };
	fSaveStart = system_time();
	fSavePercent = -1;
	BPrivate::Result<void> saved = ExportBitmapSource(bitmap, DocumentName(), options);
	UpdateStatus();
	return saved;
}

void
BitmapImageWindow::ShowSaveProgress(int64 written, int64 total)
{
	if (total <= 0 || system_time() - fSaveStart < kProgressDelay)
		return;
	const int32 percent = static_cast<int32>(std::min<int64>(written * 100 / total, 100));
	if (percent == fSavePercent)
		return;
	fSavePercent = percent;
	fStatusLine->SetText(StatusText::Saving(percent));
	// The save holds the window's thread: draw the line and show it now.
	UpdateIfNeeded();
}

void
BitmapImageWindow::RevertToFile()
{
	if (fImagePath.empty())
		return;
	BPrivate::Result<std::unique_ptr<BBitmap>> image
		= BPrivate::ReadBitmapFile(fImagePath.c_str());
	if (!image) {
		std::string text = FailureText(fImagePath.c_str(), image.Error());
		// A window without an image says it in its view, as at opening; one
		// with an image keeps it and tells in an alert.
		if (fImageView->Bitmap() == nullptr) {
			fImageView->SetStatusText(text.c_str());
			return;
		}
		BAlert* alert = new BAlert(nullptr, text.c_str(), "OK", nullptr, nullptr,
			B_WIDTH_AS_USUAL, B_STOP_ALERT);
		alert->Go(nullptr);
		return;
	}
	fImageView->SetStatusText("");
	fImageView->SetBitmap(image.Value().release());
	MarkColorSpace();
}

void
BitmapImageWindow::UpdateStatus()
{
	ImageFacts facts;
	facts.fileName = LeafName(fImagePath.empty() ? DocumentName() : fImagePath.c_str());
	facts.documentLeaf = LeafName();
	facts.scale = fImageView->Scale();
	if (const BBitmap* bitmap = fImageView->Bitmap()) {
		BRect bounds = bitmap->Bounds();
		facts.hasImage = true;
		facts.width = bitmap->Width();
		facts.height = bitmap->Height();
		facts.space = bitmap->ColorSpace();
		facts.textBytes = BitmapSourceLength(facts.documentLeaf.c_str(), bounds.left, bounds.top,
			bounds.right, bounds.bottom, facts.space, bitmap->BitsLength());
	}
	fStatusLine->SetText(StatusText::Describe(facts));
}

const BBitmap*
BitmapImageWindow::Image() const
{
	return fImageView->Bitmap();
}

// To B_CMAP8 through the platform's drawing: the image is drawn unscaled into
// an 8-bit offscreen bitmap, whose pixels are then copied into a plain one.
void
BitmapImageWindow::SwitchToCmap8()
{
	BBitmap* current = fImageView->Bitmap();
	if (current == nullptr || current->ColorSpace() == B_CMAP8)
		return;

	if (fImageMenu.Dither() != DitherKind::kNone) {
		std::unique_ptr<BBitmap> dithered = DitheredBitmap(*current, fImageMenu.Dither());
		if (!dithered)
			return;
		fImageView->SetBitmap(dithered.release());
		MarkColorSpace();
		return;
	}

	BRect bounds = current->Bounds();
	auto offscreen = std::make_unique<BBitmap>(bounds, B_CMAP8, true, false);
	auto result = std::make_unique<BBitmap>(bounds, B_CMAP8, false, false);
	if (!offscreen->IsValid() || !result->IsValid())
		return;

	BView* drawing = new BView(bounds, nullptr, B_FOLLOW_ALL, 0);
	offscreen->AddChild(drawing);
	if (drawing->Window()->Lock()) {
		drawing->DrawBitmap(current, bounds);
		drawing->Window()->Unlock();
	}
	result->SetBits(offscreen->Bits(), offscreen->BitsLength(), 0, B_CMAP8);
	offscreen.reset();

	fImageView->SetBitmap(result.release());
	fCmap8Item->SetMarked(true);
	fRgb32Item->SetMarked(false);
	UnmarkOtherSpaces();
}

// To B_RGB32 through the bitmap's own data conversion.
void
BitmapImageWindow::SwitchToRgb32()
{
	BBitmap* current = fImageView->Bitmap();
	if (current == nullptr || current->ColorSpace() == B_RGB32)
		return;

	std::unique_ptr<BBitmap> result = ConvertedBitmap(*current, B_RGB32);
	if (!result)
		return;
	fImageView->SetBitmap(result.release());
	fCmap8Item->SetMarked(false);
	fRgb32Item->SetMarked(true);
	UnmarkOtherSpaces();
}

// The view keeps the converted bitmap as it is: its space is the point.
void
BitmapImageWindow::SwitchTo(color_space space)
{
	BBitmap* current = fImageView->Bitmap();
	if (current == nullptr || current->ColorSpace() == space)
		return;

	SpaceConversion conversion;
	conversion.space = space;
	if (SpaceDithers(space))
		conversion.dither = fImageMenu.Dither();
	std::unique_ptr<BBitmap> result = BitmapInSpace(*current, conversion);
	if (!result)
		return;
	fImageView->KeepBitmap(result.release());
	MarkColorSpace();
}

void
BitmapImageWindow::UnmarkOtherSpaces()
{
	for (BMenuItem* item : fOtherSpaceItems)
		item->SetMarked(false);
}

// Exactly one item is marked: the one of the image's colour space, "B_RGB32"
// for a window whose file gave no image.
void
BitmapImageWindow::MarkColorSpace()
{
	const color_space space = fImageView->Bitmap() != nullptr
		? fImageView->Bitmap()->ColorSpace() : B_RGB32;
	fCmap8Item->SetMarked(space == B_CMAP8);
	fRgb32Item->SetMarked(space == B_RGB32);
	for (size_t index = 0; index < std::size(kOtherSpaces); index++)
		fOtherSpaceItems[index]->SetMarked(space == kOtherSpaces[index].space);
}
