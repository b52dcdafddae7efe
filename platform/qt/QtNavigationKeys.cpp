// SPDX-License-Identifier: MIT
#include "QtNavigationKeys.h"

#include <InterfaceDefs.h>

#include <Qt>

namespace BPrivate {

namespace {

struct KeyPair {
	int qt;
	uint8 kit;
};

constexpr KeyPair kNavigationKeys[] = {
	{Qt::Key_Left, B_LEFT_ARROW},
	{Qt::Key_Right, B_RIGHT_ARROW},
	{Qt::Key_Up, B_UP_ARROW},
	{Qt::Key_Down, B_DOWN_ARROW},
	{Qt::Key_PageUp, B_PAGE_UP},
	{Qt::Key_PageDown, B_PAGE_DOWN},
	{Qt::Key_Home, B_HOME},
	{Qt::Key_End, B_END},
	{Qt::Key_Insert, B_INSERT},
	{Qt::Key_Delete, B_DELETE},
};

} // namespace

char
NavigationKeyByte(int qtKey)
{
	for (const KeyPair& pair : kNavigationKeys) {
		if (pair.qt == qtKey)
			return char(pair.kit);
	}
	return 0;
}

} // namespace BPrivate
