// SPDX-License-Identifier: MIT
// FormatBitmapSource with whatever the fuzzer makes up: an icon name, four
// bounds (any float bits, NaN and infinities included), a colour-space code,
// a byte count with its bytes, and a consumer that takes everything or stops
// at a random byte, in one of the ways a consumer can fail. The pieces must
// add up to exactly the reference text, or to a prefix of it that ends with
// the refused piece, after which nothing more may be produced.

#include "ReferenceSourceText.h"
#include "export/FormatBitmapSource.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// How the consumer answers the piece it refuses.
enum class Refusal : uint8 {
	kShort,
	kNegative,
	kTooMany,
	kZero
};

[[noreturn]] void
Fail(const char* what)
{
	fprintf(stderr, "fuzz_format_source: %s\n", what);
	abort();
}

float
AnyFloat(FuzzedDataProvider& data)
{
	uint32 bits = data.ConsumeIntegral<uint32>();
	float value;
	memcpy(&value, &bits, sizeof(value));
	return value;
}

} // namespace

extern "C" int
LLVMFuzzerTestOneInput(const uint8_t* input, size_t size)
{
	FuzzedDataProvider data(input, size);
	const bool hasName = data.ConsumeIntegralInRange<uint8>(0, 15) != 0;
	const std::string name = data.ConsumeRandomLengthString(300);
	const float left = AnyFloat(data);
	const float top = AnyFloat(data);
	const float right = AnyFloat(data);
	const float bottom = AnyFloat(data);
	int32 colorSpace = data.PickValueInArray<int32>({4, 8, 0, 5, -1});
	if (data.ConsumeBool())
		colorSpace = data.ConsumeIntegral<int32>();
	const bool stops = data.ConsumeBool();
	const Refusal refusal = data.PickValueInArray(
		{Refusal::kShort, Refusal::kNegative, Refusal::kTooMany, Refusal::kZero});
	const uint32 stopAt = data.ConsumeIntegralInRange<uint32>(0, 20000);
	int32 count = data.ConsumeIntegralInRange<int32>(-2, 3000);
	std::vector<uint8> bytes = data.ConsumeBytes<uint8>(std::max<int32>(count, 0));
	bytes.resize(std::max<int32>(count, 0));
	const bool hasBytes = data.ConsumeIntegralInRange<uint8>(0, 15) != 0;

	const char* iconName = hasName ? name.c_str() : nullptr;
	const uint8* bits = hasBytes ? bytes.data() : nullptr;
	std::string received;
	bool refused = false;
	bool calledAfterRefusal = false;
	const size_t longestPiece = std::max(SourceText::kPieceCapacity, strlen(name.c_str()));
	auto consume = [&](const char* piece, size_t length) -> ssize_t {
		if (refused)
			calledAfterRefusal = true;
		if (length > longestPiece)
			Fail("a piece longer than any piece may be");
		received.append(piece, length);
		if (!stops || received.size() <= stopAt)
			return ssize_t(length);
		refused = true;
		switch (refusal) {
		case Refusal::kShort:
			return ssize_t(length - std::min<size_t>(length, received.size() - stopAt));
		case Refusal::kNegative:
			return -1;
		case Refusal::kTooMany:
			return ssize_t(length + 1);
		case Refusal::kZero:
			break;
		}
		return 0;
	};
	const bool result = FormatBitmapSource(
		iconName, left, top, right, bottom, colorSpace, bits, count, consume);

	if (calledAfterRefusal)
		Fail("a piece was produced after one was refused");
	if (iconName == nullptr || bits == nullptr || count <= 0) {
		if (result || !received.empty())
			Fail("text produced without a name or bytes");
		return 0;
	}
	const std::string expected = ReferenceSourceText(
		iconName, left, top, right, bottom, colorSpace, bits, count);
	if (result == refused)
		Fail("the result does not say whether every piece was taken");
	if (result) {
		if (received != expected)
			Fail("the text differs from the reference");
		if (BitmapSourceLength(iconName, left, top, right, bottom, colorSpace, count)
			!= int64(expected.size())) {
			Fail("BitmapSourceLength differs from the text's length");
		}
		return 0;
	}
	if (received.size() > expected.size() || expected.compare(0, received.size(), received) != 0)
		Fail("the pieces before the refusal are not the reference's beginning");
	return 0;
}
