#include "BitmapSourceExport.h"

#include "FormatBitmapSource.h"
#include "document/LeafName.h"
#include "io/PlainBufferedFile.h"

#include <Entry.h>
#include <NodeInfo.h>
#include <Path.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <sys/random.h>
#include <sys/stat.h>

namespace {

constexpr uint32 kBufferSize = 4095;
constexpr const char* kSourceType = "text/x-source-code";
// Write only, created when missing, cut to zero length.
constexpr uint32 kInPlaceMode = B_WRITE_ONLY | B_CREATE_FILE | B_ERASE_FILE;
// The temporary file must be new: an existing one belongs to someone else.
constexpr uint32 kTemporaryMode = kInPlaceMode | B_FAIL_IF_EXISTS;
constexpr int kTemporaryAttempts = 100;

struct Source {
	const BBitmap* bitmap;
	const char* iconName;
};

// The reason of a failed write: the buffered file reports only short counts,
// and the failed system call left its errno behind.
status_t
WriteFailure(int error)
{
	return error != 0 ? errno_to_status(error) : B_IO_ERROR;
}

status_t
WriteText(PlainBufferedFile& file, const Source& source)
{
	BRect bounds = source.bitmap->Bounds();
	errno = 0;
	bool written = FormatBitmapSource(source.iconName, bounds.left, bounds.top, bounds.right,
		bounds.bottom, source.bitmap->ColorSpace(), static_cast<const uint8*>(source.bitmap->Bits()),
		source.bitmap->BitsLength(), BufferedFileConsumer{file});
	if (!written)
		return WriteFailure(errno);
	errno = 0;
	if (file.Flush() != B_OK)
		return WriteFailure(errno);
	return B_OK;
}

// For what cannot be replaced (a device, a FIFO) or when no file can be made
// beside the old one: the text goes straight into the file.
status_t
WriteInPlace(const char* path, const Source& source)
{
	PlainBufferedFile file(path, kInPlaceMode, kBufferSize);
	if (file.InitCheck() != B_OK)
		return file.InitCheck();
	status_t status = WriteText(file, source);
	if (status != B_OK)
		return status;
	struct stat info;
	if (file.GetStat(&info) == B_OK && S_ISREG(info.st_mode)) {
		BNodeInfo nodeInfo(&file);
		nodeInfo.SetType(kSourceType);
	}
	return B_OK;
}

// Without the right to make a file beside it, an existing file can only be
// written in place. Its old bytes are read first and the text is written
// over them without cutting the file; if the text does not all arrive, the
// old bytes go back, so a failed export leaves the file as it was.
status_t
OverwriteKeeping(const char* path, const Source& source)
{
	std::string previous;
	{
		BFile old(path, B_READ_ONLY);
		off_t size = 0;
		if (old.InitCheck() != B_OK || old.GetSize(&size) != B_OK)
			return WriteInPlace(path, source);
		previous.resize(size_t(size));
		if (old.ReadAt(0, previous.data(), previous.size()) != ssize_t(previous.size()))
			return WriteInPlace(path, source);
	}
	status_t status;
	{
		PlainBufferedFile file(path, B_WRITE_ONLY, kBufferSize);
		if (file.InitCheck() != B_OK)
			return file.InitCheck();
		status = WriteText(file, source);
		if (status == B_OK)
			status = file.SetSize(file.Position());
		if (status == B_OK) {
			BNodeInfo info(&file);
			info.SetType(kSourceType);
			return B_OK;
		}
	}
	BFile restore(path, B_WRITE_ONLY);
	restore.WriteAt(0, previous.data(), previous.size());
	restore.SetSize(off_t(previous.size()));
	return status;
}

// A new file ".leaf.XXXXXX" in `directory`, opened in `file`.
status_t
CreateTemporary(const std::string& directory, const char* leaf,
	std::unique_ptr<PlainBufferedFile>* file, std::string* path)
{
	static const char kLetters[] =
		"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
	// Room for the dot, the suffix and the NUL within a leaf's length.
	std::string prefix = "." + std::string(leaf).substr(0, B_FILE_NAME_LENGTH - 10) + ".";
	status_t status = B_ERROR;
	for (int attempt = 0; attempt < kTemporaryAttempts; attempt++) {
		uint8 random[6];
		if (getrandom(random, sizeof(random), 0) != static_cast<ssize_t>(sizeof(random)))
			return errno_to_status(errno);
		std::string name = prefix;
		for (uint8 value : random)
			name += kLetters[value % (sizeof(kLetters) - 1)];
		*path = directory == "/" ? "/" + name : directory + "/" + name;
		file->reset(new PlainBufferedFile(path->c_str(), kTemporaryMode, kBufferSize));
		status = (*file)->InitCheck();
		if (status != B_FILE_EXISTS)
			return status;
	}
	return status;
}

status_t
WriteReplacing(const BEntry& target, const Source& source)
{
	entry_ref ref;
	status_t status = target.GetRef(&ref);
	if (status != B_OK)
		return status;
	BPath targetPath(&ref);
	if (targetPath.InitCheck() != B_OK)
		return targetPath.InitCheck();

	struct stat old;
	bool replacing = target.GetStat(&old) == B_OK;

	std::unique_ptr<PlainBufferedFile> file;
	std::string temporaryPath;
	status = CreateTemporary(ref.directory, ref.name, &file, &temporaryPath);
	if (status == B_PERMISSION_DENIED && replacing)
		return OverwriteKeeping(targetPath.Path(), source);
	if (status != B_OK)
		return status;

	// Knowing the text's length, the file gets its size first: growing it
	// 4095 bytes at a time costs the file system several times more.
	BRect bounds = source.bitmap->Bounds();
	int64 length = BitmapSourceLength(source.iconName, bounds.left, bounds.top, bounds.right,
		bounds.bottom, source.bitmap->ColorSpace(), source.bitmap->BitsLength());
	file->SetSize(length);
	// The text is synced before the rename; its way to the disk starts
	// while the rest of it is still being formatted.
	file->SetWriteBehind(size_t(8) << 20);

	status = WriteText(*file, source);
	if (status == B_OK && file->Position() != length)
		status = file->SetSize(file->Position());
	if (status == B_OK && replacing)
		file->SetPermissions(old.st_mode & 07777);
	if (status == B_OK) {
		BNodeInfo info(file.get());
		info.SetType(kSourceType);
		// The text must be on the disk before its name replaces the old one,
		// or a crash could leave neither.
		status = file->Sync();
	}
	file.reset();

	BEntry temporary(temporaryPath.c_str(), false);
	if (status == B_OK)
		status = temporary.Rename(targetPath.Path(), true);
	if (status != B_OK)
		temporary.Remove();
	return status;
}

status_t
Export(const BBitmap* bitmap, const char* documentName, const char* iconName)
{
	if (bitmap == nullptr || bitmap->Bits() == nullptr || bitmap->BitsLength() <= 0
		|| documentName == nullptr || documentName[0] == '\0') {
		return B_BAD_VALUE;
	}
	// A name ending in '/' names a directory, which is never written.
	if (documentName[strlen(documentName) - 1] == '/')
		return B_IS_A_DIRECTORY;
	Source source = {bitmap, iconName != nullptr ? iconName : LeafName(documentName)};

	// Devices, FIFOs and pipes are written through the name as given: a
	// link such as /dev/stdout may lead to a pipe that has no path at all.
	struct stat info;
	if (stat(documentName, &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode))
		return WriteInPlace(documentName, source);

	BEntry target(documentName, true);
	if (target.InitCheck() != B_OK)
		return target.InitCheck();
	if (target.IsDirectory())
		return B_IS_A_DIRECTORY;
	if (target.Exists() && !target.IsFile()) {
		BPath path(&target);
		return WriteInPlace(path.Path(), source);
	}
	return WriteReplacing(target, source);
}

} // namespace

bool
ExportBitmapSource(const BBitmap* bitmap, const char* documentName, const char* iconName,
	status_t* status)
{
	status_t result = Export(bitmap, documentName, iconName);
	if (status != nullptr)
		*status = result;
	return result == B_OK;
}
