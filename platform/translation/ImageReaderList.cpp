// SPDX-License-Identifier: MIT
#include "ImageReaderList.h"

#include "BmpReader.h"
#include "EmbedHeaderReader.h"
#include "GifReader.h"
#include "IcoReader.h"
#include "JpegReader.h"
#include "PngReader.h"
#include "PnmReader.h"
#include "Refusal.h"
#include "SourceTextReader.h"
#include "TgaReader.h"
#include "TiffReader.h"
#include "WebpReader.h"
#include "XpmReader.h"

#include <cstring>
#include <new>
#include <utility>

namespace BPrivate {

const ImageReaderList&
ImageReaderList::Default()
{
	static const ImageReaderList sList = [] {
		ImageReaderList list;
		// Icons hold PNG entries, which the PNG reader reads.
		const ImageReader& png = list.Add(std::make_unique<PngReader>());
		list.Add(std::make_unique<JpegReader>());
		list.Add(std::make_unique<GifReader>());
		list.Add(std::make_unique<WebpReader>());
		list.Add(std::make_unique<TiffReader>());
		list.Add(std::make_unique<BmpReader>());
		list.Add(std::make_unique<IcoReader>(png));
		list.Add(std::make_unique<PnmReader>());
		list.Add(std::make_unique<XpmReader>());
		// The texts the export writes, read back.
		list.Add(std::make_unique<SourceTextReader>());
		list.Add(std::make_unique<EmbedHeaderReader>());
		// No signature: asked last.
		list.Add(std::make_unique<TgaReader>());
		return list;
	}();
	return sList;
}

const ImageReader&
ImageReaderList::Add(std::unique_ptr<ImageReader> reader)
{
	fReaders.push_back(std::move(reader));
	return *fReaders.back();
}

const ImageReader*
ImageReaderList::ReaderFor(const ImageData& image) const
{
	for (const auto& reader : fReaders) {
		if (reader->Recognizes(image))
			return reader.get();
	}
	return nullptr;
}

const ImageReader*
ImageReaderList::ReaderNamed(const char* formatName) const
{
	for (const auto& reader : fReaders) {
		if (std::strcmp(reader->FormatName(), formatName) == 0)
			return reader.get();
	}
	return nullptr;
}

BitmapResult
ImageReaderList::Read(const ImageData& image, const ImageReader** used) const
{
	const ImageReader* reader = ReaderFor(image);
	if (used != nullptr)
		*used = reader;
	if (reader == nullptr)
		return Refusal::NotAnImage();
	try {
		BitmapResult bitmap = reader->Read(image);
		// A reader that answers no bitmap and no reason is taken at its
		// format's word that the file is damaged.
		if (bitmap.Ok() && !bitmap.Value())
			return Refusal::Damaged(reader->FormatName());
		return bitmap;
	} catch (const std::bad_alloc&) {
		return Refusal::NoMemory();
	}
}

} // namespace BPrivate
