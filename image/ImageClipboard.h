// SPDX-License-Identifier: MIT
#pragma once

// What the "Edit" menu moves through the clipboard (be_clipboard): the
// source-code text of a bitmap, as a save writes it, as UTF-8 "text/plain";
// the bitmap as a PNG picture ("image/png"); and back, the image the
// clipboard holds, whichever way another program offers it (an image type
// the translation kit reads, or a copied file's "text/uri-list").
//
// Runs on the calling thread (a window's, with the window locked, or the
// application's), taking the clipboard's lock for the call; reading may
// wait for the program that owns the clipboard.

#include <Bitmap.h>
#include <Message.h>
#include <Result.h>

#include <memory>
#include <string>

namespace ImageClipboard {

// The most text the clipboard is given: beyond it, saving is the way.
constexpr int64 kMaxText = int64(64) << 20;

// Puts the text of `bitmap`, its icon named `iconName`, on the clipboard;
// a failure, with the sentence for a person, when there is no image or the
// text is over kMaxText.
BPrivate::Result<void> CopySource(const BBitmap* bitmap, const char* iconName);
// Puts `bitmap` on the clipboard as a PNG image.
BPrivate::Result<void> CopyImage(const BBitmap* bitmap);

// The image the clipboard holds, or the sentence saying there is none.
BPrivate::Result<std::unique_ptr<BBitmap>> Paste();
// The image in clipboard data (fields named by MIME type): a PNG first,
// then any other image type, then the first file of a "text/uri-list".
BPrivate::Result<std::unique_ptr<BBitmap>> ImageIn(const BMessage& data);

// The local path a "file:" URI names, %-escapes decoded; empty for any
// other URI or one that does not decode to a path.
std::string PathOfFileUri(const std::string& uri);

} // namespace ImageClipboard
