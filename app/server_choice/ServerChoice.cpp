// SPDX-License-Identifier: MIT
#include "ServerChoice.h"

#include <HeadlessProbe.h>

#include <cstdio>
#include <cstdlib>
#include <utility>

using BPrivate::Failure;
using BPrivate::Result;

namespace {

std::string
Variable(const char* name)
{
	const char* value = getenv(name);
	return value != nullptr ? value : "";
}

// Nobody can answer an alert without a display: it is written out and its
// default button taken.
int32
AnswerOnStandardError(const AlertInfo& alert)
{
	fprintf(stderr, "%s", alert.text.c_str());
	if (alert.text.empty() || alert.text.back() != '\n')
		fputc('\n', stderr);
	fflush(stderr);
	return alert.buttons.empty() ? 0 : static_cast<int32>(alert.buttons.size()) - 1;
}

// The person at the headless server while the program runs on it.
std::unique_ptr<HeadlessProbe> sHeadlessPerson;

} // namespace

ServerEnvironment
ServerEnvironment::FromProcess()
{
	return ServerEnvironment{Variable("QUILLPIX_SERVER"), Variable("DISPLAY"),
		Variable("WAYLAND_DISPLAY"), Variable("QT_QPA_PLATFORM")};
}

Result<ServerKind>
ChooseServerKind(const ServerEnvironment& environment, bool qtBuilt)
{
	const std::string& server = environment.server;
	if (server == "headless")
		return ServerKind::kHeadless;
	if (!server.empty() && server != "qt") {
		return Failure(B_ERROR,
			"unknown display server \"" + server + "\" in QUILLPIX_SERVER (use headless or qt)");
	}
	bool wanted = server == "qt" || !environment.display.empty()
		|| !environment.waylandDisplay.empty() || !environment.qtPlatform.empty();
	if (!wanted) {
		return Failure(B_ERROR,
			"no display found (set DISPLAY or WAYLAND_DISPLAY, or QT_QPA_PLATFORM=offscreen)");
	}
	if (!qtBuilt) {
		return Failure(B_ERROR,
			"built without the Qt display server (QUILLPIX_SERVER=headless runs without one)");
	}
	return ServerKind::kQt;
}

Result<void>
InstallProgramServer(QtServerFactory makeQtServer)
{
	Result<ServerKind> kind = ChooseServerKind(
		ServerEnvironment::FromProcess(), makeQtServer != nullptr);
	if (!kind)
		return kind.TakeError();
	switch (kind.Value()) {
	case ServerKind::kHeadless: {
		sHeadlessPerson = std::make_unique<HeadlessProbe>(*HeadlessServer::InstallNew());
		sHeadlessPerson->SetAlertHandler(AnswerOnStandardError);
		// Nor can anyone choose in a file panel: it is closed at once.
		sHeadlessPerson->SetPanelHandler(
			[](HeadlessProbe& person, int32 panel) { person.CancelPanel(panel); });
		return {};
	}
	case ServerKind::kQt: {
		Result<std::unique_ptr<DisplayServer>> server = makeQtServer();
		if (!server)
			return server.TakeError();
		DisplayServer::Install(std::move(server).Value());
		return {};
	}
	}
	return Failure(B_ERROR);
}

void
RemoveProgramServer()
{
	DisplayServer::Install(nullptr);
	sHeadlessPerson.reset();
}
