#pragma once

// A BFilePanel on the desktop: a non-modal QFileDialog (Qt's own, the same
// on every desktop). An open panel lets the person pick files (several when
// the panel allows it) and answers with their refs; a save panel opens in
// its directory proposing its save text and answers with the directory and
// the name; closing it answers B_CANCEL. The answers go through the panel's
// FilePanelLink, which sends them to the target and hides the panel.
//
// Lives on the Qt thread; QtDisplay owns it.

#include <FilePanelLink.h>

#include <functional>
#include <memory>

class QFileDialog;

namespace BPrivate {

class QtFilePanel {
public:
	QtFilePanel(std::shared_ptr<FilePanelLink> link, std::function<void()> changed);
	~QtFilePanel();

	QtFilePanel(const QtFilePanel&) = delete;
	QtFilePanel& operator=(const QtFilePanel&) = delete;

	int32 Id() const { return fLink->Id(); }
	const std::shared_ptr<FilePanelLink>& Link() const { return fLink; }
	QFileDialog* Dialog() const { return fDialog; }

	void Show();
	void Raise();
	// The panel is going away: closes the dialog without answering.
	void Retire();

private:
	void Accepted();
	void Rejected();

	std::shared_ptr<FilePanelLink> fLink;
	std::function<void()> fChanged;
	QFileDialog* fDialog; // deleted later, never inside its own signal
};

} // namespace BPrivate
