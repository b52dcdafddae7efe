#include "QtImageTranslator.h"

#include "BitmapBuilder.h"
#include "QtDecoderThread.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>

#include <climits>
#include <mutex>

namespace BPrivate {

namespace {

bool IsPaletteFormat(QImage::Format format)
{
	return format == QImage::Format_Indexed8 || format == QImage::Format_Mono
		|| format == QImage::Format_MonoLSB;
}

bool IsWithinLimits(QSize size)
{
	return size.width() > 0 && size.height() > 0
		&& int64(size.width()) * size.height() <= kMaxImagePixels;
}

// Whatever layout the decoder gave, into the closest colour space.
std::unique_ptr<BBitmap> BitmapFromImage(QImage image, PixelOrigin origin)
{
	if (image.isNull() || !IsWithinLimits(image.size()))
		return nullptr;
	if (image.format() == QImage::Format_Mono || image.format() == QImage::Format_MonoLSB)
		image = image.convertToFormat(QImage::Format_Indexed8);
	if (image.format() == QImage::Format_Indexed8) {
		const QList<QRgb> palette = image.colorTable();
		static_assert(sizeof(QRgb) == sizeof(uint32));
		auto bitmap = BitmapFromIndexed(image.constBits(), int32(image.bytesPerLine()),
			image.width(), image.height(), reinterpret_cast<const uint32*>(palette.constData()),
			int32(palette.size()));
		if (bitmap)
			return bitmap;
		origin = PixelOrigin::Palette;
	}
	if (image.format() == QImage::Format_Grayscale16)
		image = image.convertToFormat(QImage::Format_Grayscale8);
	if (image.format() == QImage::Format_Grayscale8) {
		return BitmapFromGray(image.constBits(), int32(image.bytesPerLine()), image.width(),
			image.height());
	}
	// Straight alpha: premultiplied formats are converted back.
	image = image.convertToFormat(
		image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
	if (image.isNull())
		return nullptr;
	return BitmapFromTrueColor(image.constBits(), int32(image.bytesPerLine()), image.width(),
		image.height(), origin);
}

color_space DirectSpace(QImage::Format format)
{
	switch (format) {
		case QImage::Format_RGB32:
			return B_RGB32;
		case QImage::Format_ARGB32:
			return B_RGBA32;
		case QImage::Format_Grayscale8:
			return B_GRAY8;
		default:
			return B_NO_COLOR_SPACE;
	}
}

} // namespace

// Qt's allocation limit is one for the process; it is raised once so that
// 8192 x 8192 images decode even through 64-bit intermediate formats, and
// stays low enough that a forged header cannot claim the machine's memory.
QtImageTranslator::QtImageTranslator()
{
	static std::once_flag sLimitOnce;
	std::call_once(sLimitOnce, [] {
		QImageReader::setAllocationLimit(int((kMaxImagePixels * 8) >> 20));
	});
}

float QtImageTranslator::Identify(const ImageSource& source) const
{
	// Qt recognises its formats by content while reading; it is the general
	// fallback behind translators that know a file better.
	return source.size > 0 ? 0.5f : 0.0f;
}

std::unique_ptr<BBitmap> QtImageTranslator::Translate(const ImageSource& source) const
{
	std::unique_ptr<BBitmap> bitmap;
	QtDecoderThread::Run([&] { bitmap = Decode(source); });
	return bitmap;
}

// Where the header tells a layout that is already a Be colour space, the
// decoder writes straight into the new bitmap's memory; otherwise (or when
// the decoder makes an image of its own after all) the pixels are
// converted from Qt's image. Runs on the decoder thread.
std::unique_ptr<BBitmap> QtImageTranslator::Decode(const ImageSource& source)
{
	if (source.size == 0 || source.size > size_t(INT_MAX))
		return nullptr;
	QBuffer buffer;
	buffer.setData(QByteArray::fromRawData(reinterpret_cast<const char*>(source.data),
		qsizetype(source.size)));
	if (!buffer.open(QIODevice::ReadOnly))
		return nullptr;
	QImageReader reader(&buffer);
	reader.setAutoTransform(false);

	QSize size = reader.size();
	if (size.isValid() && !IsWithinLimits(size))
		return nullptr;
	// A header that could not be read leaves some readers' format unset (the
	// JPEG reader's then holds whatever was in memory): it is asked for only
	// once the header has given a size.
	QImage::Format headerFormat =
		size.isValid() ? reader.imageFormat() : QImage::Format_Invalid;
	PixelOrigin origin = IsPaletteFormat(headerFormat) || reader.format() == "gif"
		? PixelOrigin::Palette
		: PixelOrigin::TrueColor;

	color_space direct = DirectSpace(headerFormat);
	if (size.isValid() && direct != B_NO_COLOR_SPACE) {
		auto bitmap = std::make_unique<BBitmap>(
			BRect(0, 0, float(size.width() - 1), float(size.height() - 1)), direct);
		if (!bitmap->IsValid())
			return nullptr;
		QImage image(static_cast<uchar*>(bitmap->Bits()), size.width(), size.height(),
			bitmap->BytesPerRow(), headerFormat);
		if (!reader.read(&image))
			return nullptr;
		bool inPlace = image.constBits() == bitmap->Bits() && image.format() == headerFormat
			&& image.size() == size;
		if (!inPlace)
			return BitmapFromImage(image, origin);
		if (direct == B_RGBA32
			&& IsOpaque(static_cast<const uint8*>(bitmap->Bits()), bitmap->BytesPerRow(),
				bitmap->Width(), bitmap->Height())) {
			return BitmapFromTrueColor(static_cast<const uint8*>(bitmap->Bits()),
				bitmap->BytesPerRow(), bitmap->Width(), bitmap->Height(), origin);
		}
		return bitmap;
	}

	QImage image;
	if (!reader.read(&image))
		return nullptr;
	return BitmapFromImage(image, origin);
}

} // namespace BPrivate
