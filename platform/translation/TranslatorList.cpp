#include "TranslatorList.h"

#include "QtImageTranslator.h"
#include "TgaTranslator.h"

#include <algorithm>
#include <utility>

namespace BPrivate {

TranslatorList::TranslatorList() = default;

TranslatorList::~TranslatorList() = default;

const TranslatorList& TranslatorList::Default()
{
	static const TranslatorList sList = [] {
		TranslatorList list;
		list.AddTranslator(std::make_unique<QtImageTranslator>());
		list.AddTranslator(std::make_unique<TgaTranslator>());
		return list;
	}();
	return sList;
}

void TranslatorList::AddTranslator(std::unique_ptr<ImageTranslator> translator)
{
	fTranslators.push_back(std::move(translator));
}

std::unique_ptr<BBitmap> TranslatorList::Translate(const ImageSource& source) const
{
	std::vector<std::pair<float, const ImageTranslator*>> candidates;
	for (const auto& translator : fTranslators) {
		float quality = translator->Identify(source);
		if (quality > 0)
			candidates.emplace_back(quality, translator.get());
	}
	// Stable, so that equally good translators keep the list's order.
	std::stable_sort(candidates.begin(), candidates.end(),
		[](const auto& a, const auto& b) { return a.first > b.first; });
	for (const auto& [quality, translator] : candidates) {
		if (auto bitmap = translator->Translate(source))
			return bitmap;
	}
	return nullptr;
}

} // namespace BPrivate
