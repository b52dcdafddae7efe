#pragma once

// The translators the kit knows, tried in turn: those that recognise a file
// best go first, and when one fails to read it the next one tries. Private
// to the translation kit; the public roster type stays opaque.

#include "ImageTranslator.h"

#include <vector>

namespace BPrivate {

class TranslatorList {
public:
	TranslatorList();
	~TranslatorList();
	TranslatorList(TranslatorList&&) = default;
	TranslatorList& operator=(TranslatorList&&) = default;

	// The list every GetBitmapFile call uses: the TGA translator for TGA
	// files, Qt's readers for everything else. Made on first use; read-only,
	// so any thread may use it.
	static const TranslatorList& Default();

	void AddTranslator(std::unique_ptr<ImageTranslator> translator);

	// The first bitmap a recognising translator makes, or null.
	std::unique_ptr<BBitmap> Translate(const ImageSource& source) const;

private:
	std::vector<std::unique_ptr<ImageTranslator>> fTranslators;
};

} // namespace BPrivate
