// SPDX-License-Identifier: MIT
#pragma once

// Which display server a program runs on, chosen at start from the
// environment:
// * QUILLPIX_SERVER=headless: the headless server (how tests run the
//   program); alerts go to standard error and are answered with their last
//   (default) button, since nobody can press one, and file panels are
//   closed as soon as they show, since nobody can choose in one;
// * QUILLPIX_SERVER=qt, or else a display named by DISPLAY or
//   WAYLAND_DISPLAY, or a Qt platform chosen with QT_QPA_PLATFORM: the Qt
//   server;
// * otherwise none: the program says why and ends.
// Empty variables count as unset.

#include <Result.h>
#include <SupportDefs.h>

#include <memory>
#include <string>

class DisplayServer;

enum class ServerKind {
	kHeadless,
	kQt,
};

struct ServerEnvironment {
	std::string server; // QUILLPIX_SERVER
	std::string display; // DISPLAY
	std::string waylandDisplay; // WAYLAND_DISPLAY
	std::string qtPlatform; // QT_QPA_PLATFORM

	static ServerEnvironment FromProcess();
};

// The server to use, or none: a B_ERROR failure whose detail is the reason
// (one line, no newline). `qtBuilt`: whether this build has the Qt server.
BPrivate::Result<ServerKind> ChooseServerKind(const ServerEnvironment& environment, bool qtBuilt);

// Makes the Qt server, or says why not in one line.
using QtServerFactory = BPrivate::Result<std::unique_ptr<DisplayServer>> (*)();

// Chooses from the process's environment and installs the server as the
// current one. `makeQtServer` is null in a build without the Qt server; the
// program that links it passes its factory, so that nothing here needs Qt.
// On the main thread, before the application is made. Succeeds, or fails
// with B_ERROR and the reason as the detail.
BPrivate::Result<void> InstallProgramServer(QtServerFactory makeQtServer);
// Ends the server installed, and with it what it shows; on the main thread,
// once the application is gone.
void RemoveProgramServer();
