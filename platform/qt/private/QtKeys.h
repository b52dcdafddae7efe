// SPDX-License-Identifier: MIT
#pragma once

// Keys between the kit and Qt. The command key of the kit is Ctrl on the
// desktop; the kit's control key is Meta, its option key Alt.

#include <Message.h>

#include <QKeyEvent>
#include <QKeySequence>

namespace BPrivate {

// The kit's modifier bits for Qt's modifiers.
uint32 KitModifiers(Qt::KeyboardModifiers modifiers);
Qt::KeyboardModifiers QtModifiers(uint32 modifiers);

// The key sequence of a menu shortcut: `key` with the command key and
// `modifiers`. Empty for no key.
QKeySequence ShortcutSequence(char key, uint32 modifiers);
// The other way: the character and the modifiers (without the command key)
// of a one-key sequence that holds Ctrl; false for anything else.
bool ShortcutOf(const QKeySequence& sequence, char* key, uint32* modifiers);

// Fills a B_KEY_DOWN message ("bytes", "raw_char", "modifiers"); the arrows,
// Page Up and Down, Home and End carry the kit's key bytes. False for a
// key that carries no character.
bool KeyMessage(const QKeyEvent& event, BMessage& message);

} // namespace BPrivate
