// SPDX-License-Identifier: MIT
#include "QtKeys.h"

#include "QtNavigationKeys.h"

#include <InterfaceDefs.h>

#include <cctype>
#include <string>

namespace BPrivate {

namespace {

struct ModifierPair {
	uint32 kit;
	Qt::KeyboardModifier qt;
};

constexpr ModifierPair kModifiers[] = {
	{B_COMMAND_KEY, Qt::ControlModifier},
	{B_SHIFT_KEY, Qt::ShiftModifier},
	{B_OPTION_KEY, Qt::AltModifier},
	{B_CONTROL_KEY, Qt::MetaModifier},
};

} // namespace

uint32
KitModifiers(Qt::KeyboardModifiers modifiers)
{
	uint32 kit = 0;
	for (const ModifierPair& pair : kModifiers) {
		if (modifiers.testFlag(pair.qt))
			kit |= pair.kit;
	}
	return kit;
}

Qt::KeyboardModifiers
QtModifiers(uint32 modifiers)
{
	Qt::KeyboardModifiers qt;
	for (const ModifierPair& pair : kModifiers) {
		if ((modifiers & pair.kit) != 0)
			qt |= pair.qt;
	}
	return qt;
}

// Qt names printable ASCII keys by their (upper-case) character codes.
QKeySequence
ShortcutSequence(char key, uint32 modifiers)
{
	unsigned char character = static_cast<unsigned char>(key);
	if (character <= ' ' || character >= 0x7f)
		return QKeySequence();
	int code = std::toupper(character);
	return QKeySequence(
		QKeyCombination(QtModifiers(modifiers | B_COMMAND_KEY), static_cast<Qt::Key>(code)));
}

bool
ShortcutOf(const QKeySequence& sequence, char* key, uint32* modifiers)
{
	if (sequence.count() != 1)
		return false;
	QKeyCombination combination = sequence[0];
	int code = combination.key();
	if (!combination.keyboardModifiers().testFlag(Qt::ControlModifier) || code <= ' '
		|| code >= 0x7f) {
		return false;
	}
	*key = static_cast<char>(code);
	*modifiers = KitModifiers(combination.keyboardModifiers()) & ~uint32(B_COMMAND_KEY);
	return true;
}

bool
KeyMessage(const QKeyEvent& event, BMessage& message)
{
	QByteArray text = event.text().toUtf8();
	int key = event.key();
	if (char navigation = NavigationKeyByte(key)) {
		message.AddString("bytes", std::string(1, navigation).c_str());
		message.AddInt32("raw_char", navigation);
		message.AddInt32("modifiers", static_cast<int32>(KitModifiers(event.modifiers())));
		return true;
	}
	char character = 0;
	if (key > ' ' && key < 0x7f)
		character = static_cast<char>(std::tolower(key));
	if (text.isEmpty() || static_cast<unsigned char>(text[0]) < ' ') {
		// With Ctrl held Qt gives a control character; the kit wants the key.
		if (character == 0)
			return false;
		text = QByteArray(1, character);
	}
	message.AddString("bytes", text.constData());
	message.AddInt32("raw_char", character != 0 ? character : static_cast<unsigned char>(text[0]));
	message.AddInt32("modifiers", static_cast<int32>(KitModifiers(event.modifiers())));
	return true;
}

} // namespace BPrivate
