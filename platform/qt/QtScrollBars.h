// SPDX-License-Identifier: MIT
#pragma once

// A window's scroll bars as native QScrollBars, each laid exactly over its
// bar view's frame. The kit owns the values: a bar the person moves reports
// the new value (the `moved` function) and shows what the kit answers,
// except while the person holds its slider, so that a drag is not pulled
// back by answers to its own earlier steps.
//
// Lives on the Qt thread, its bars children of the QtWindow.

#include <ScrollBarState.h>

#include <QScrollBar>

#include <functional>
#include <map>
#include <vector>

namespace BPrivate {

class QtScrollBars {
public:
	using MoveFunction = std::function<void(uint32 barId, float value)>;

	QtScrollBars(QWidget* window, MoveFunction moved);

	// Applies the kit's bars: new ones appear, gone ones go.
	void Update(const std::vector<ScrollBarState>& bars);
	// The native bar of the kit's bar `barId`; null for none.
	QScrollBar* Bar(uint32 barId) const;
	const std::vector<ScrollBarState>& States() const { return fStates; }

private:
	void Apply(QScrollBar* bar, const ScrollBarState& state);

	QWidget* fWindow;
	MoveFunction fMoved;
	std::map<uint32, QScrollBar*> fBars;
	std::vector<ScrollBarState> fStates;
	bool fApplying;
};

} // namespace BPrivate
