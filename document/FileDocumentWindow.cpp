// SPDX-License-Identifier: MIT
#include "FileDocumentWindow.h"

#include "export/LeafName.h"
#include "app/commands/Commands.h"
#include "app/framework/DocumentApp.h"

#include <Alert.h>
#include <AppDefs.h>
#include <Application.h>
#include <Errors.h>
#include <LockChecks.h>
#include <OS.h>
#include <Path.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// The close prompt's buttons, by the index BAlert::Go answers.
enum SavePromptAnswer : int32 {
	kDontSave = 0,
	kCancelClose = 1,
	kSave = 2,
};

std::unique_ptr<char[]>
CopyString(const char* text)
{
	size_t length = strlen(text);
	auto copy = std::make_unique<char[]>(length + 1);
	memcpy(copy.get(), text, length + 1);
	return copy;
}

DocumentApp*
RunningDocumentApp()
{
	return dynamic_cast<DocumentApp*>(be_app);
}

// Locks the window a close prompt belongs to; null when it is gone.
FileDocumentWindow*
LockWindow(BMessenger& messenger)
{
	if (!messenger.LockTarget())
		return nullptr;
	BLooper* looper = nullptr;
	messenger.Target(&looper);
	return static_cast<FileDocumentWindow*>(looper);
}

} // namespace

// What a close prompt's thread gets: messengers to the window and to the
// application, made while the window was locked (so the thread never touches
// a window or an application that may already be gone), and a copy of the
// leaf, since the window may rename its document meanwhile.
struct FileDocumentWindow::SavePrompt {
	BMessenger window;
	BMessenger application;
	std::string leaf;
};

FileDocumentWindow::FileDocumentWindow(
	BRect frame, const char* documentName, window_type type, uint32 flags, uint32 workspace)
	: BWindow(frame, ::LeafName(documentName), type, flags, workspace), fQuitAfterSave(false),
	  fModified(false)
{
	if (DocumentApp* app = RunningDocumentApp())
		app->AddDocumentWindow();
	fDocumentName = CopyString(documentName);
}

FileDocumentWindow::~FileDocumentWindow()
{
	fSavePanel.reset();
	fDocumentName.reset();
	if (DocumentApp* app = RunningDocumentApp())
		app->RemoveDocumentWindow();
}

bool
FileDocumentWindow::SaveDocument()
{
	return true;
}

BFilePanel*
FileDocumentWindow::CreateSavePanel(BMessenger* target, entry_ref* startDirectory)
{
	return new BFilePanel(
		B_SAVE_PANEL, target, startDirectory, 0, false, nullptr, nullptr, false, true);
}

void
FileDocumentWindow::SetDocumentName(const char* name)
{
	ASSERT_LOCKED(this);
	// Copy before letting go of the old name, so a name pointing into the
	// current one stays safe.
	fDocumentName = CopyString(name);
	SetTitle(LeafName());
}

bool
FileDocumentWindow::IsUntitled() const
{
	return strncmp(fDocumentName.get(), "Untitled", 8) == 0;
}

const char*
FileDocumentWindow::LeafName(const char* path) const
{
	return ::LeafName(path != nullptr ? path : fDocumentName.get());
}

void
FileDocumentWindow::SetQuitAfterSave()
{
	ASSERT_LOCKED(this);
	fQuitAfterSave = true;
}

void
FileDocumentWindow::MessageReceived(BMessage* message)
{
	switch (message->what) {
	case kMsgSaveAs:
		ShowSavePanel();
		break;

	case B_SAVE_REQUESTED:
		if (HandleSaveRequest(message) && fQuitAfterSave) {
			DocumentApp* app = RunningDocumentApp();
			if (app != nullptr && app->IsQuitting())
				be_app->PostMessage(B_QUIT_REQUESTED);
			Quit();
		}
		break;

	case B_CANCEL:
		// The panel that a close prompt's "Save" brought up was closed
		// without a name: the close is off, and so is an application quit
		// under way, as with the prompt's "Cancel". Otherwise a later
		// close of this window alone would quit the application.
		if (fQuitAfterSave) {
			if (DocumentApp* app = RunningDocumentApp())
				app->CancelQuit();
		}
		fQuitAfterSave = false;
		break;

	default:
		BWindow::MessageReceived(message);
	}
}

bool
FileDocumentWindow::HandleSaveRequest(BMessage* message)
{
	entry_ref directoryRef;
	if (message->FindRef("directory", &directoryRef) != B_OK) {
		// A bare request: write under the current name, unless there is none yet.
		if (!IsUntitled()) {
			BPrivate::Result<void> saved = Save();
			if (saved)
				return true;
			std::string leaf = LeafName();
			ShowSaveFailure(leaf.c_str(), saved.Error());
			return false;
		}
		ShowSavePanel();
		return false;
	}

	// A reply without a name is incomplete, not a failed save.
	const char* name = nullptr;
	if (message->FindString("name", &name) != B_OK || name[0] == '\0')
		return false;
	// A directory that no longer resolves (it, or a folder above it, went
	// away before the reply arrived) is a save that cannot be made: the
	// person is told, and nothing changes.
	BEntry directory(&directoryRef, false);
	BPath path;
	status_t status = directory.GetPath(&path);
	if (status != B_OK) {
		ShowSaveFailure(name, BPrivate::Failure(status));
		return false;
	}
	// A name that cannot be joined to the directory would leave the document
	// without a usable name: the request fails and nothing changes.
	status = path.Append(name);
	if (status != B_OK) {
		ShowSaveFailure(name, BPrivate::Failure(status));
		return false;
	}

	std::unique_ptr<char[]> previousName = CopyString(fDocumentName.get());
	SetDocumentName(path.Path());
	BPrivate::Result<void> saved = Save();
	if (saved)
		return true;
	// The alert names the file the person chose, once the old name is back.
	std::string leaf = LeafName();
	SetDocumentName(previousName.get());
	ShowSaveFailure(leaf.c_str(), saved.Error());
	return false;
}

BPrivate::Result<void>
FileDocumentWindow::Save()
{
	fSaveOutcome = {};
	bool saved = SaveDocument();
	BPrivate::Result<void> outcome = std::move(fSaveOutcome);
	fSaveOutcome = {};
	if (saved)
		return {};
	// A false that came without a reason.
	if (outcome)
		return BPrivate::Failure(B_ERROR);
	return outcome;
}

bool
FileDocumentWindow::SaveOutcome(BPrivate::Result<void> saved)
{
	bool ok = saved.Ok();
	fSaveOutcome = std::move(saved);
	return ok;
}

void
FileDocumentWindow::ShowSaveFailure(const char* leaf, const BPrivate::Failure& why)
{
	std::string text = std::string("Could not save \"") + leaf + "\": " + why.Reason() + ".";
	BAlert* alert = new BAlert(
		nullptr, text.c_str(), "OK", nullptr, nullptr, B_WIDTH_AS_USUAL, B_STOP_ALERT);
	// Answered on a thread of the alert's own: the window goes on meanwhile.
	alert->Go(nullptr);
}

void
FileDocumentWindow::ShowSavePanel()
{
	if (!fSavePanel)
		PrepareSavePanel();
	if (fSavePanel)
		fSavePanel->Show();
}

void
FileDocumentWindow::PrepareSavePanel()
{
	entry_ref startRef;
	entry_ref* startDirectory = nullptr;
	if (!IsUntitled()) {
		BEntry document(fDocumentName.get(), false);
		BEntry parent;
		if (document.GetParent(&parent) == B_OK && parent.InitCheck() == B_OK
			&& parent.GetRef(&startRef) == B_OK) {
			startDirectory = &startRef;
		}
	}

	status_t status = B_ERROR;
	BMessenger target(nullptr, this, &status);
	if (status != B_OK) {
		fprintf(stderr, "FileDocumentWindow failed to create a valid BMessenger for itself\n");
		return;
	}

	fSavePanel.reset(CreateSavePanel(&target, startDirectory));
	if (fSavePanel)
		fSavePanel->SetSaveText(LeafName());
}

bool
FileDocumentWindow::QuitRequested()
{
	ASSERT_LOCKED(this);
	if (!fModified)
		return true;

	auto* prompt = new SavePrompt{BMessenger(nullptr, this), be_app_messenger, LeafName()};
	thread_id thread = spawn_thread(
		SavePromptThread, "SavePromptThread", B_NORMAL_PRIORITY, prompt);
	if (thread < 0)
		delete prompt;
	else
		resume_thread(thread);
	return false;
}

int32
FileDocumentWindow::SavePromptThread(void* data)
{
	std::unique_ptr<SavePrompt> prompt(static_cast<SavePrompt*>(data));
	std::string text = "Save changes to the document \"" + prompt->leaf + "\"?";

	BAlert* alert = new BAlert(
		nullptr, text.c_str(), "Don't save", "Cancel", "Save", B_WIDTH_AS_USUAL, B_INFO_ALERT);
	int32 answer = alert->Go();

	switch (answer) {
	case kDontSave:
		// "Don't save": close the window without saving. The application is
		// asked to quit as well only when its quit is what closed the window;
		// closing one window must not take the others with it.
		if (FileDocumentWindow* window = LockWindow(prompt->window)) {
			// Once the window has quit, the application may be gone too (the
			// last window's destruction ends it), so everything needed
			// afterwards is taken now, while the locked window keeps it
			// alive, and the application is reached only by a messenger.
			DocumentApp* app = RunningDocumentApp();
			bool applicationQuitting = app != nullptr && app->IsQuitting();
			window->Quit();
			if (applicationQuitting) {
				BMessage request = DocumentApp::QuitRequest(DocumentApp::QuitReason::kResumeQuit);
				prompt->application.SendMessage(&request);
			}
		}
		break;
	case kCancelClose:
		// The window may be gone, and the application with it: reach the
		// application only through its messenger.
		if (prompt->application.LockTarget()) {
			BLooper* looper = nullptr;
			prompt->application.Target(&looper);
			if (auto* app = dynamic_cast<DocumentApp*>(looper))
				app->CancelQuit();
			looper->Unlock();
		}
		break;
	case kSave:
		if (FileDocumentWindow* window = LockWindow(prompt->window)) {
			window->SetQuitAfterSave();
			window->PostMessage(B_SAVE_REQUESTED);
			window->Unlock();
		}
		break;
	default:
		break;
	}
	return 0;
}
