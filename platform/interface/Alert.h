// SPDX-License-Identifier: MIT
#pragma once

// An alert: a title, a text and up to three buttons, shown by the display
// server. Go() blocks the calling thread until the person presses a button,
// then deletes the alert and answers the button's index (0, 1 or 2). The
// alert is not a window of the application (it is not asked to quit and
// does not count among its windows).
//
// Make and run an alert on any thread except a window's own while that
// window must keep handling messages. One thread uses an alert.

#include <InterfaceDefs.h>
#include <SupportDefs.h>

#include <string>
#include <vector>

class BInvoker;

class BAlert {
public:
	// Null buttons are left out; null title or text counts as empty.
	BAlert(const char* title, const char* text, const char* button0, const char* button1 = nullptr,
		const char* button2 = nullptr, button_width width = B_WIDTH_AS_USUAL,
		alert_type type = B_INFO_ALERT);
	virtual ~BAlert();

	BAlert(const BAlert&) = delete;
	BAlert& operator=(const BAlert&) = delete;

	// Blocks until answered, deletes the alert, answers the button index.
	int32 Go();
	// Asynchronous: answers at once; a thread of its own waits for the
	// answer, sends a copy of the invoker's message with the button index in
	// "which" (int32), and deletes the alert and the invoker. B_OK, or the
	// failure to start the thread (the alert is then deleted as well).
	status_t Go(BInvoker* invoker);

	const char* Title() const { return fTitle.c_str(); }
	const char* Text() const { return fText.c_str(); }
	void SetText(const char* text);
	int32 CountButtons() const { return static_cast<int32>(fButtons.size()); }
	const char* ButtonLabel(int32 index) const;
	button_width ButtonWidth() const { return fWidth; }
	alert_type Type() const { return fType; }

private:
	int32 Ask() const;

	std::string fTitle;
	std::string fText;
	std::vector<std::string> fButtons;
	button_width fWidth;
	alert_type fType;
};
