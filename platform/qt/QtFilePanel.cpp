#include "QtFilePanel.h"

#include <Entry.h>
#include <Path.h>

#include <QFileDialog>
#include <QFileInfo>

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

} // namespace

QtFilePanel::QtFilePanel(std::shared_ptr<FilePanelLink> link, std::function<void()> changed)
	:
	fLink(std::move(link)),
	fChanged(std::move(changed)),
	fDialog(new QFileDialog())
{
	bool save = fLink->Mode() == B_SAVE_PANEL;
	fDialog->setOption(QFileDialog::DontUseNativeDialog);
	fDialog->setModal(false);
	fDialog->setWindowTitle(save ? QStringLiteral("Save") : QStringLiteral("Open"));
	fDialog->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
	if (save)
		fDialog->setFileMode(QFileDialog::AnyFile);
	else if (fLink->NodeFlavors() == B_DIRECTORY_NODE)
		fDialog->setFileMode(QFileDialog::Directory);
	else
		fDialog->setFileMode(fLink->AllowsMultipleSelection() ? QFileDialog::ExistingFiles
			: QFileDialog::ExistingFile);

	QString directory = PathOf(fLink->Directory());
	if (!directory.isEmpty())
		fDialog->setDirectory(directory);
	if (save)
		fDialog->selectFile(QString::fromStdString(fLink->SaveText()));
	std::string label = fLink->ButtonLabel(B_DEFAULT_BUTTON);
	if (!label.empty())
		fDialog->setLabelText(QFileDialog::Accept, QString::fromStdString(label));
	label = fLink->ButtonLabel(B_CANCEL_BUTTON);
	if (!label.empty())
		fDialog->setLabelText(QFileDialog::Reject, QString::fromStdString(label));

	QObject::connect(fDialog, &QFileDialog::accepted, fDialog, [this] { Accepted(); });
	QObject::connect(fDialog, &QFileDialog::rejected, fDialog, [this] { Rejected(); });
}

QtFilePanel::~QtFilePanel()
{
	Retire();
}

void
QtFilePanel::Show()
{
	fDialog->show();
	fDialog->activateWindow();
	fChanged();
}

void
QtFilePanel::Raise()
{
	fDialog->raise();
	fDialog->activateWindow();
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
	if (fLink->Mode() == B_SAVE_PANEL) {
		entry_ref directory;
		QFileInfo file(chosen.value(0));
		if (!chosen.isEmpty() && RefOf(file.absolutePath(), &directory))
			fLink->Save(directory, file.fileName().toLocal8Bit().constData());
	} else {
		std::vector<entry_ref> refs;
		for (const QString& path : chosen) {
			entry_ref ref;
			if (RefOf(path, &ref))
				refs.push_back(ref);
		}
		if (!refs.empty())
			fLink->Open(refs);
	}
	// A panel that stays up after an answer comes back; one that hides is
	// retired when the server hears of it.
	if (fLink->IsShowing())
		fDialog->show();
	fChanged();
}

void
QtFilePanel::Rejected()
{
	fLink->Cancel();
	fChanged();
}

} // namespace BPrivate
