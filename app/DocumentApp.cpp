#include "DocumentApp.h"

#include <AppDefs.h>
#include <OS.h>

DocumentApp::DocumentApp(const char* signature)
	:
	BApplication(signature),
	fDocumentCount(0),
	fQuitting(false)
{
}

// Windows left over (an application deleted without having run to its end)
// uncount themselves here, while this part of the object still exists.
DocumentApp::~DocumentApp()
{
	QuitAllWindows();
	WaitForWindowThreads();
}

bool
DocumentApp::QuitRequested()
{
	fQuitting = true;
	return BApplication::QuitRequested();
}

void
DocumentApp::AddDocumentWindow()
{
	fQuitting = false;
	atomic_add(&fDocumentCount, 1);
}

void
DocumentApp::RemoveDocumentWindow()
{
	if (atomic_add(&fDocumentCount, -1) == 1)
		be_app->PostMessage(B_QUIT_REQUESTED);
}

int32
DocumentApp::CountDocumentWindows() const
{
	return atomic_get(const_cast<int32*>(&fDocumentCount));
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
