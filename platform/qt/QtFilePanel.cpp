// SPDX-License-Identifier: MIT
#include "QtFilePanel.h"

#include <AppDefs.h>
#include <Entry.h>
#include <Path.h>
#include <ReadFormats.h>

#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLayout>
#include <QScreen>
#include <QSortFilterProxyModel>
#include <QTreeView>

#include <algorithm>

namespace BPrivate {

namespace {

QString
PathOf(const entry_ref& ref)
{
	BPath path;
	if (BEntry(&ref).GetPath(&path) != B_OK || path.Path() == nullptr)
		return QString();
	return QString::fromLocal8Bit(path.Path());
}

bool
RefOf(const QString& path, entry_ref* ref)
{
	return BEntry(path.toLocal8Bit().constData()).GetRef(ref) == B_OK;
}

// The directory a save goes to, even when it no longer resolves (it, or a
// folder above it, went away while the dialog was up): the window then
// tells the person the save cannot be made, instead of the answer being
// dropped.
entry_ref
DirectoryRefOf(const QString& path)
{
	entry_ref ref;
	if (RefOf(path, &ref))
		return ref;
	QFileInfo directory(path);
	QString parent = directory.absolutePath();
	return entry_ref(
		parent.toLocal8Bit().constData(), directory.fileName().toLocal8Bit().constData());
}

// The images the kit reads, by their usual extensions in either case, then
// everything.
QStringList
OpenFilters()
{
	QStringList patterns;
	for (const ReadFormat& format : ReadFormats()) {
		for (const char* extension : format.extensions) {
			QString lower = QString::fromLatin1(extension);
			patterns << QStringLiteral("*.") + lower << QStringLiteral("*.") + lower.toUpper();
		}
	}
	// Formats that share an extension (the two texts' .h) list it once.
	patterns.removeDuplicates();
	return {QStringLiteral("Images (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')'),
		QStringLiteral("All files (*)")};
}

// The list's columns as wide as their text, the name taking what is left.
void
FitColumns(QFileDialog* dialog)
{
	QTreeView* details = dialog->findChild<QTreeView*>();
	if (details == nullptr)
		return;
	QHeaderView* header = details->header();
	header->setStretchLastSection(false);
	for (int column = 0; column < header->count(); column++) {
		header->setSectionResizeMode(
			column, column == 0 ? QHeaderView::Stretch : QHeaderView::ResizeToContents);
	}
}

// Room the window manager's frame takes around a dialog before it is shown
// (after that, the real frame is known).
constexpr int kFrameAllowance = 40;

// The dialog's size and place inside the screen's available area: its
// preferred size, a little roomier than Qt's own so the columns fit, cut to
// the area with room for the frame, and centred on it. On a small screen
// (or a large scale factor) the layout may squeeze its parts below their
// preferred sizes so that every row, the buttons too, stays in view.
void
FitToScreen(QFileDialog* dialog)
{
	QScreen* screen = dialog->screen();
	if (screen == nullptr)
		screen = QGuiApplication::primaryScreen();
	if (screen == nullptr)
		return;
	QRect available = screen->availableGeometry();
	QSize room(std::max(1, available.width() - kFrameAllowance / 2),
		std::max(1, available.height() - kFrameAllowance));
	if (QLayout* layout = dialog->layout()) {
		QSize least = layout->minimumSize();
		if (least.width() > room.width() || least.height() > room.height())
			layout->setSizeConstraint(QLayout::SetNoConstraint);
	}
	dialog->setMinimumSize(dialog->minimumSize().boundedTo(room));
	QSize wanted = dialog->sizeHint().expandedTo(QSize(760, 460)).boundedTo(room);
	dialog->resize(wanted);
	QRect placed(QPoint(0, 0), wanted);
	placed.moveCenter(available.center());
	placed.moveTop(std::max(available.top() + kFrameAllowance / 2, placed.top()));
	dialog->move(placed.topLeft());
}

} // namespace

// The entries of the folder the dialog shows that the panel's filter
// offers; the folders above it stay, so the dialog can show where it is.
class OfferedEntries : public QSortFilterProxyModel {
public:
	explicit OfferedEntries(QObject* parent) : QSortFilterProxyModel(parent) { }

	void SetOffers(std::function<bool(const entry_ref&)> offers)
	{
		fOffers = std::move(offers);
		Refilter();
	}

	void Refilter() { invalidateFilter(); }

protected:
	bool filterAcceptsRow(int row, const QModelIndex& parent) const override
	{
		auto* files = qobject_cast<QFileSystemModel*>(sourceModel());
		if (!fOffers || files == nullptr || files->filePath(parent) != files->rootPath())
			return true;
		entry_ref ref;
		return !RefOf(files->filePath(files->index(row, 0, parent)), &ref) || fOffers(ref);
	}

private:
	std::function<bool(const entry_ref&)> fOffers;
};

QtFilePanel::QtFilePanel(
	int32 id, const BMessenger& panel, const PanelInfo& info, std::function<void()> changed)
	: fId(id), fPanel(panel), fInfo(info), fChanged(std::move(changed)), fDialog(new QFileDialog()),
	  fOffered(nullptr)
{
	bool save = fInfo.mode == B_SAVE_PANEL;
	fDialog->setOption(QFileDialog::DontUseNativeDialog);
	fDialog->setModal(false);
	fDialog->setWindowTitle(save ? QStringLiteral("Save") : QStringLiteral("Open"));
	fDialog->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
	if (save)
		fDialog->setFileMode(QFileDialog::AnyFile);
	else if (fInfo.nodeFlavors == B_DIRECTORY_NODE)
		fDialog->setFileMode(QFileDialog::Directory);
	else
		fDialog->setFileMode(
			fInfo.allowMultipleSelection ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);

	QString directory = PathOf(fInfo.directory);
	if (!directory.isEmpty())
		fDialog->setDirectory(directory);
	if (save)
		fDialog->selectFile(QString::fromStdString(fInfo.saveText));
	if (!fInfo.defaultButtonLabel.empty()) {
		fDialog->setLabelText(
			QFileDialog::Accept, QString::fromStdString(fInfo.defaultButtonLabel));
	}
	if (!fInfo.cancelButtonLabel.empty()) {
		fDialog->setLabelText(QFileDialog::Reject, QString::fromStdString(fInfo.cancelButtonLabel));
	}

	if (!save && fDialog->fileMode() != QFileDialog::Directory) {
		// The patterns would make the choice too wide to read.
		fDialog->setOption(QFileDialog::HideNameFilterDetails);
		fDialog->setNameFilters(OpenFilters());
	}
	ApplyFilter();
	FitColumns(fDialog);
	FitToScreen(fDialog);

	QObject::connect(fDialog, &QFileDialog::accepted, fDialog, [this] { Accepted(); });
	QObject::connect(fDialog, &QFileDialog::rejected, fDialog, [this] { Rejected(); });
}

QtFilePanel::~QtFilePanel()
{
	Retire();
}

void
QtFilePanel::Update(const PanelInfo& info)
{
	fInfo = info;
	ApplyFilter();
}

void
QtFilePanel::ApplyFilter()
{
	if (fDialog == nullptr || (!fInfo.offers && fOffered == nullptr))
		return;
	if (fOffered == nullptr) {
		fOffered = new OfferedEntries(fDialog);
		fDialog->setProxyModel(fOffered);
		// What was loaded before is asked again for the folder now shown.
		QObject::connect(fDialog, &QFileDialog::directoryEntered, fOffered,
			[offered = fOffered] { offered->Refilter(); });
	}
	fOffered->SetOffers(fInfo.offers);
}

void
QtFilePanel::Show()
{
	if (fDialog == nullptr)
		return;
	fDialog->show();
	fDialog->raise();
	fDialog->activateWindow();
	fChanged();
}

void
QtFilePanel::Retire()
{
	if (fDialog == nullptr)
		return;
	QObject::disconnect(fDialog, nullptr, fDialog, nullptr);
	fDialog->hide();
	fDialog->deleteLater();
	fDialog = nullptr;
	fChanged();
}

void
QtFilePanel::Accepted()
{
	QStringList chosen = fDialog->selectedFiles();
	bool answered = false;
	if (fInfo.mode == B_SAVE_PANEL) {
		QFileInfo file(chosen.value(0));
		if (!chosen.isEmpty() && !file.fileName().isEmpty()) {
			entry_ref directory = DirectoryRefOf(file.absolutePath());
			BMessage answer(B_SAVE_REQUESTED);
			answer.AddRef("directory", &directory);
			answer.AddString("name", file.fileName().toLocal8Bit().constData());
			Answer(answer);
			answered = true;
		}
	} else {
		BMessage answer(B_REFS_RECEIVED);
		int32 count = 0;
		for (const QString& path : chosen) {
			entry_ref ref;
			// A typed name may name what the list does not offer.
			if (RefOf(path, &ref) && (!fInfo.offers || fInfo.offers(ref))) {
				answer.AddRef("refs", &ref);
				count++;
			}
		}
		if (count > 0) {
			Answer(answer);
			answered = true;
		}
	}
	// The dialog closed itself on accepting. It comes back when nothing was
	// answered or the panel stays up after an answer; otherwise it is
	// retired when the kits hide the panel.
	if (!answered || !fInfo.hideWhenDone)
		fDialog->show();
	fChanged();
}

void
QtFilePanel::Rejected()
{
	BMessage answer(B_CANCEL);
	Answer(answer);
	fChanged();
}

void
QtFilePanel::Answer(BMessage& answer)
{
	answer.AddInt32(kFieldShowing, fInfo.showing);
	fPanel.SendMessage(&answer);
}

} // namespace BPrivate
