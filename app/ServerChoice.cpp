#include "ServerChoice.h"

#include <HeadlessProbe.h>

#include <cstdio>
#include <cstdlib>

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

ServerKind
ChooseServerKind(const ServerEnvironment& environment, bool qtBuilt, std::string* reason)
{
	const std::string& server = environment.server;
	if (server == "headless")
		return ServerKind::kHeadless;
	if (!server.empty() && server != "qt") {
		*reason = "unknown display server \"" + server
			+ "\" in QUILLPIX_SERVER (use headless or qt)";
		return ServerKind::kNone;
	}
	bool wanted = server == "qt" || !environment.display.empty()
		|| !environment.waylandDisplay.empty() || !environment.qtPlatform.empty();
	if (!wanted) {
		*reason = "no display found (set DISPLAY or WAYLAND_DISPLAY, or QT_QPA_PLATFORM=offscreen)";
		return ServerKind::kNone;
	}
	if (!qtBuilt) {
		*reason = "built without the Qt display server (QUILLPIX_SERVER=headless runs without one)";
		return ServerKind::kNone;
	}
	return ServerKind::kQt;
}

status_t
InstallProgramServer(QtServerFactory makeQtServer, std::string* reason)
{
	switch (ChooseServerKind(ServerEnvironment::FromProcess(), makeQtServer != nullptr,
		reason)) {
		case ServerKind::kHeadless:
		{
			sHeadlessPerson = std::make_unique<HeadlessProbe>(*HeadlessServer::InstallNew());
			sHeadlessPerson->SetAlertHandler(AnswerOnStandardError);
			// Nor can anyone choose in a file panel: it is closed at once.
			sHeadlessPerson->SetPanelHandler(
				[](HeadlessProbe& person, int32 panel) { person.CancelPanel(panel); });
			return B_OK;
		}
		case ServerKind::kQt:
		{
			std::unique_ptr<DisplayServer> server = makeQtServer(reason);
			if (!server)
				return B_ERROR;
			DisplayServer::Install(std::move(server));
			return B_OK;
		}
		case ServerKind::kNone:
			break;
	}
	return B_ERROR;
}

void
RemoveProgramServer()
{
	DisplayServer::Install(nullptr);
	sHeadlessPerson.reset();
}
