// SPDX-License-Identifier: MIT
#pragma once

// Saving a bitmap as C++ source: the text of FormatBitmapSource written into
// the file named by a document name, typed "text/x-source-code". Both the
// image window's save and the command-line exporter write through here; how
// an existing file is replaced is FileReplacer's to decide.
//
// Runs on the calling thread; the caller keeps the bitmap unchanged meanwhile
// (the window's thread with the window locked, or an exporter's thread).

#include <Bitmap.h>
#include <Result.h>
#include <SupportDefs.h>

#include <atomic>
#include <functional>

struct SourceFrame;

// What an export may be told besides the bitmap and the file.
struct SourceExportOptions {
	// The icon name of the text; null for the leaf of the document name.
	const char* iconName = nullptr;
	// When given and it becomes true while the text is written, the export
	// stops, leaves the file as it was and fails with B_INTERRUPTED.
	const std::atomic<bool>* cancel = nullptr;
	// When given, called on the exporting thread as the text is written:
	// the bytes written so far and the whole text's length, about every
	// mebibyte.
	std::function<void(int64 written, int64 total)> progress = nullptr;
	// When given, the text is this frame around the bytes' items (see
	// FramedSource.h) instead of the Be text; the icon name is not used.
	const SourceFrame* frame = nullptr;
};

// Writes `bitmap` into the file `documentName` (absolute, or relative to the
// working directory). Succeeds when the whole text reached the file; a
// failure to record the type does not count. A null bitmap, one without
// bits, or no document name fails with B_BAD_VALUE without touching any
// file; any other failure says why the text did not reach the file.
BPrivate::Result<void> ExportBitmapSource(
	const BBitmap* bitmap, const char* documentName, const SourceExportOptions& options = {});
