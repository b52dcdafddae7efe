// SPDX-License-Identifier: MIT
#include "DocumentApp.h"

#include <AppDefs.h>
#include <OS.h>

namespace {

// Where a quit request says why it was posted.
const char* kQuitReasonField = "document:quit reason";

} // namespace

DocumentApp::DocumentApp(const char* signature)
	: BApplication(signature), fDocumentCount(0), fHadDocuments(false), fQuitting(false)
{ }

// Windows left over (an application deleted without having run to its end)
// uncount themselves here, while this part of the object still exists.
DocumentApp::~DocumentApp()
{
	QuitAllWindows();
	WaitForWindowThreads();
}

BMessage
DocumentApp::QuitRequest(QuitReason reason)
{
	BMessage request(B_QUIT_REQUESTED);
	request.AddInt32(kQuitReasonField, static_cast<int32>(reason));
	return request;
}

bool
DocumentApp::QuitRequested()
{
	if (!StillApplies(CurrentMessage()))
		return false;
	fQuitting = true;
	return BApplication::QuitRequested();
}

// A request without a reason (the "Quit" item, another program) always
// applies; one the framework posted is checked against the state it
// answered.
bool
DocumentApp::StillApplies(const BMessage* request) const
{
	int32 reason = 0;
	if (request == nullptr || request->what != B_QUIT_REQUESTED
		|| request->FindInt32(kQuitReasonField, &reason) != B_OK) {
		return true;
	}
	switch (static_cast<QuitReason>(reason)) {
	case QuitReason::kLastWindowClosed:
		return CountDocumentWindows() == 0;
	case QuitReason::kResumeQuit:
		return fQuitting;
	}
	return true;
}

void
DocumentApp::AddDocumentWindow()
{
	fQuitting = false;
	fHadDocuments = true;
	atomic_add(&fDocumentCount, 1);
}

// The application outlives every document window (its destructor waits for
// their threads), so posting to it here is safe.
void
DocumentApp::RemoveDocumentWindow()
{
	if (atomic_add(&fDocumentCount, -1) != 1)
		return;
	BMessage request = QuitRequest(QuitReason::kLastWindowClosed);
	PostMessage(&request);
}

int32
DocumentApp::CountDocumentWindows() const
{
	return atomic_get(const_cast<int32*>(&fDocumentCount));
}

bool
DocumentApp::HadDocumentWindows() const
{
	return fHadDocuments;
}

bool
DocumentApp::IsQuitting() const
{
	return fQuitting;
}

void
DocumentApp::CancelQuit()
{
	fQuitting = false;
}
