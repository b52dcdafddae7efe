#pragma once

// Saving a bitmap as C++ source: the text of FormatBitmapSource written into
// the file named by a document name, typed "text/x-source-code". Both the
// image window's save and the command-line exporter write through here; how
// an existing file is replaced is FileReplacer's to decide.
//
// Runs on the calling thread; the caller keeps the bitmap unchanged meanwhile
// (the window's thread with the window locked, or an exporter's thread).

#include <Bitmap.h>
#include <SupportDefs.h>

#include <atomic>

// Writes `bitmap` into the file `documentName` (absolute, or relative to the
// working directory). The icon name of the text is `iconName`, or when null
// the leaf of `documentName`. True when the whole text reached the file;
// a failure to record the type does not count. A null bitmap or one without
// bits gives false without touching any file. When `status` is given it
// receives B_OK or the reason of the failure. When `cancel` is given and
// becomes true while the text is written, the export stops, leaves the file
// as it was and answers B_INTERRUPTED.
bool ExportBitmapSource(const BBitmap* bitmap, const char* documentName,
	const char* iconName = nullptr, status_t* status = nullptr,
	const std::atomic<bool>* cancel = nullptr);
