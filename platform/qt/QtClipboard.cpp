// SPDX-License-Identifier: MIT
#include "QtClipboard.h"

#include "QtDisplay.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace BPrivate {

namespace {

constexpr char kText[] = "text/plain";
constexpr char kUriList[] = "text/uri-list";
constexpr char kPng[] = "image/png";

QByteArray
BytesOf(const std::vector<uint8>& bytes)
{
	return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

std::vector<uint8>
VectorOf(const QByteArray& bytes)
{
	const auto* data = reinterpret_cast<const uint8*>(bytes.constData());
	return std::vector<uint8>(data, data + bytes.size());
}

} // namespace

void
SetDesktopClipboard(const ClipboardInfo& contents)
{
	QClipboard* clipboard = QGuiApplication::clipboard();
	if (contents.items.empty()) {
		clipboard->clear(QClipboard::Clipboard);
		return;
	}
	auto* mime = new QMimeData;
	for (const ClipboardInfo::Item& item : contents.items) {
		if (item.type == kText)
			mime->setText(QString::fromUtf8(BytesOf(item.bytes)));
		else
			mime->setData(QString::fromStdString(item.type), BytesOf(item.bytes));
	}
	// The clipboard owns the data from here.
	clipboard->setMimeData(mime, QClipboard::Clipboard);
}

ClipboardInfo
DesktopClipboard()
{
	ClipboardInfo contents;
	const QMimeData* mime = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
	if (mime == nullptr)
		return contents;
	const QStringList formats = mime->formats();
	if (mime->hasText())
		contents.items.push_back({kText, VectorOf(mime->text().toUtf8())});
	if (formats.contains(QLatin1String(kUriList)))
		contents.items.push_back({kUriList, VectorOf(mime->data(QLatin1String(kUriList)))});
	QString image;
	if (formats.contains(QLatin1String(kPng))) {
		image = QLatin1String(kPng);
	} else {
		for (const QString& format : formats) {
			if (format.startsWith(QLatin1String("image/"))) {
				image = format;
				break;
			}
		}
	}
	if (!image.isEmpty()) {
		QByteArray bytes = mime->data(image);
		if (!bytes.isEmpty())
			contents.items.push_back({image.toStdString(), VectorOf(bytes)});
	}
	return contents;
}

void
WatchDesktopClipboard(QtDisplay& display)
{
	QObject::connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, &display,
		[&display] { display.Changed(); });
}

} // namespace BPrivate
