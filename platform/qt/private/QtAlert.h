// SPDX-License-Identifier: MIT
#pragma once

// A BAlert as a QMessageBox: the title, the text, an icon for the alert's
// kind and the buttons in the order given, the last one the default (as
// Enter presses it on the platform). The box cannot be closed without a
// button when it has several; with one, closing it presses that one.

#include <DisplayServer.h>

#include <memory>

class QMessageBox;
class QObject;

namespace BPrivate {

// A new box, not yet shown.
std::unique_ptr<QMessageBox> MakeAlertBox(const AlertInfo& alert);
// The index of the button the person pressed; the last one when the box was
// closed some other way.
int32 AlertAnswer(const QMessageBox& box);
// The index `button` was made with; -1 for a button that is not the alert's.
int32 AlertButtonIndex(const QObject* button);

} // namespace BPrivate
