// SPDX-License-Identifier: MIT
#pragma once

// A BFilePanel on the desktop: a non-modal QFileDialog (Qt's own, the same
// on every desktop). An open panel lets the person pick files (several when
// the panel allows it) and answers with their refs; a save panel opens in
// its directory proposing its save text and answers with the directory and
// the name; closing it answers B_CANCEL. The answers go to the panel's
// messenger (see DisplayServer.h), which sends the reply to the target and
// hides the panel when it is done. A panel with a filter lists, in the
// folder shown, only the entries the filter offers, and answers with no
// other.
//
// Lives on the Qt thread; QtDisplay owns it.

#include <DisplayServer.h>

#include <functional>

class QFileDialog;

namespace BPrivate {

class OfferedEntries;

class QtFilePanel {
public:
	QtFilePanel(
		int32 id, const BMessenger& panel, const PanelInfo& info, std::function<void()> changed);
	~QtFilePanel();

	QtFilePanel(const QtFilePanel&) = delete;
	QtFilePanel& operator=(const QtFilePanel&) = delete;

	int32 Id() const { return fId; }
	QFileDialog* Dialog() const { return fDialog; }

	// Takes a new description. The dialog keeps what it was built with;
	// which showing answers and whether the panel stays after an answer
	// follow the new one.
	void Update(const PanelInfo& info);
	// Shows the dialog (again) and brings it to the front.
	void Show();
	// The panel is going away: closes the dialog without answering.
	void Retire();

private:
	void Accepted();
	void Rejected();
	void Answer(BMessage& answer);
	// Lists what the description's filter offers (every entry without one).
	void ApplyFilter();

	const int32 fId;
	const BMessenger fPanel;
	PanelInfo fInfo;
	std::function<void()> fChanged;
	QFileDialog* fDialog; // deleted later, never inside its own signal
	OfferedEntries* fOffered; // the dialog's; null until a filter is set
};

} // namespace BPrivate
