// SPDX-License-Identifier: MIT
#pragma once

// What the platform reads about the application besides its code: the
// signature, the launch flags, the supported file types and the version
// record. On the desktop the same facts live in the .desktop entry
// (quillpix.desktop: multiple launch through Exec with %F, one process per
// launch; the image types in MimeType) and the icons (AppIcons.h).

#include <SupportDefs.h>

// "BEOS:APP_SIG"; the application passes the same string to BApplication.
constexpr const char* kAppSignature = "application/x-vnd.Zq-Quillpix";

// "BEOS:APP_FLAGS": multiple launch, so every launch is a process of its own.
constexpr uint32 kMultipleLaunch = 0x1;
constexpr uint32 kAppFlags = kMultipleLaunch;

// "BEOS:FILE_TYPES": the field "types" holds this one supertype, so that
// every image file offers the application.
constexpr const char* kSupportedTypes[] = {"image"};

// "BEOS:APP_VERSION": the record, whose content is all zero.
struct AppVersionInfo {
	uint32 major;
	uint32 middle;
	uint32 minor;
	uint32 variety;
	uint32 internal;
	char shortInfo[64];
	char longInfo[256];
};
constexpr AppVersionInfo kAppVersion{};
