// Reading an image from a stream the process already holds (standard input,
// a pipe, a descriptor a shell handed over): read to its end into memory,
// within the same bound as a file, and decoded from there.

#include "TranslationUtils.h"

#include "DecodeLimits.h"
#include "ImageReaderList.h"
#include "Refusal.h"

#include <RetryOnInterrupt.h>

#include <algorithm>
#include <cerrno>
#include <new>
#include <string>
#include <unistd.h>

namespace BPrivate {

namespace {

// What is left of `stream`, or the refusal of more than `limit` bytes.
Result<std::string> ReadStream(int stream, size_t limit)
{
	constexpr size_t kFirstBlock = size_t(64) << 10;
	std::string bytes;
	size_t filled = 0;
	for (;;) {
		if (filled == bytes.size()) {
			if (bytes.size() > limit)
				return Refusal::FileTooLarge(limit);
			bytes.resize(std::min(limit + 1, std::max(kFirstBlock, bytes.size() * 2)));
		}
		const ssize_t count = RetryOnInterrupt([&] {
			return read(stream, bytes.data() + filled, bytes.size() - filled);
		});
		if (count < 0)
			return Refusal::Unreadable(errno_to_status(errno));
		if (count == 0)
			break;
		filled += size_t(count);
	}
	bytes.resize(filled);
	return bytes;
}

} // namespace

Result<std::unique_ptr<BBitmap>> ReadBitmapStream(int stream)
{
	try {
		Result<std::string> bytes = ReadStream(stream, kMaxImageFileSize);
		if (!bytes)
			return bytes.TakeError();
		const std::string& data = bytes.Value();
		if (data.empty())
			return Refusal::Empty();
		return ImageReaderList::Default().Read(
			ImageData{reinterpret_cast<const uint8*>(data.data()), data.size()});
	} catch (const std::bad_alloc&) {
		return Refusal::NoMemory();
	}
}

} // namespace BPrivate
