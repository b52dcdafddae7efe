#pragma once

// Saving a bitmap as C++ source: the text of FormatBitmapSource written into
// the file named by a document name, typed "text/x-source-code". Both the
// image window's save and the command-line exporter write through here.
//
// The file is replaced as a whole: the text goes into a new file beside it,
// which takes the old file's place only once everything was written, so a
// failed export leaves an existing file as it was. A document name that is a
// symbolic link has the link's target replaced; one that names a device or a
// FIFO is written straight into.
//
// Runs on the calling thread; the caller keeps the bitmap unchanged meanwhile
// (the window's thread with the window locked, or the exporter's main thread).

#include <Bitmap.h>
#include <SupportDefs.h>

// Writes `bitmap` into the file `documentName` (absolute, or relative to the
// working directory). The icon name of the text is `iconName`, or when null
// the leaf of `documentName`. True when the whole text reached the file;
// a failure to record the type does not count. A null bitmap or one without
// bits gives false without touching any file. When `status` is given it
// receives B_OK or the reason of the failure.
bool ExportBitmapSource(const BBitmap* bitmap, const char* documentName,
	const char* iconName = nullptr, status_t* status = nullptr);
