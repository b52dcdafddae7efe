// SPDX-License-Identifier: MIT
#include "Alert.h"

#include <DisplayServer.h>
#include <Invoker.h>
#include <OS.h>

#include <memory>

namespace {

struct AsyncAlert {
	std::unique_ptr<BAlert> alert;
	std::unique_ptr<BInvoker> invoker;
};

} // namespace

BAlert::BAlert(const char* title, const char* text, const char* button0, const char* button1,
	const char* button2, button_width width, alert_type type)
	: fTitle(title != nullptr ? title : ""), fText(text != nullptr ? text : ""), fWidth(width),
	  fType(type)
{
	for (const char* label : {button0, button1, button2}) {
		if (label != nullptr)
			fButtons.emplace_back(label);
	}
}

BAlert::~BAlert() = default;

int32
BAlert::Go()
{
	int32 answer = Ask();
	delete this;
	return answer;
}

status_t
BAlert::Go(BInvoker* invoker)
{
	auto* job = new AsyncAlert{std::unique_ptr<BAlert>(this), std::unique_ptr<BInvoker>(invoker)};
	thread_func run = [](void* data) -> int32 {
		std::unique_ptr<AsyncAlert> job(static_cast<AsyncAlert*>(data));
		int32 which = job->alert->Ask();
		if (job->invoker && job->invoker->Message() != nullptr) {
			BMessage message(*job->invoker->Message());
			message.AddInt32("which", which);
			job->invoker->Invoke(&message);
		}
		return 0;
	};
	thread_id thread = spawn_thread(run, "alert", B_DISPLAY_PRIORITY, job);
	if (thread < 0) {
		delete job;
		return thread;
	}
	resume_thread(thread);
	return B_OK;
}

void
BAlert::SetText(const char* text)
{
	fText = text != nullptr ? text : "";
}

const char*
BAlert::ButtonLabel(int32 index) const
{
	if (index < 0 || index >= CountButtons())
		return nullptr;
	return fButtons[index].c_str();
}

int32
BAlert::Ask() const
{
	AlertInfo info{fTitle, fText, fButtons, fWidth, fType};
	return DisplayServer::Required("an alert")->RunAlert(info);
}
