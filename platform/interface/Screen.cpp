// SPDX-License-Identifier: MIT
#include "Screen.h"

#include <DisplayServer.h>

BScreen::BScreen(screen_id id) : fId(id), fValid(id == B_MAIN_SCREEN_ID)
{ }

BScreen::BScreen(BWindow*) : fId(B_MAIN_SCREEN_ID), fValid(true)
{ }

BRect
BScreen::Frame() const
{
	if (!fValid)
		return BRect();
	return DisplayServer::Required("the screen frame")->ScreenFrame();
}
