// SPDX-License-Identifier: MIT
#include "QtScrollBars.h"

#include <cmath>

namespace BPrivate {

namespace {

int
Whole(float value)
{
	return int(std::lround(value));
}

} // namespace

QtScrollBars::QtScrollBars(QWidget* window, MoveFunction moved)
	: fWindow(window), fMoved(std::move(moved)), fApplying(false)
{ }

void
QtScrollBars::Update(const std::vector<ScrollBarState>& bars)
{
	std::map<uint32, QScrollBar*> kept;
	for (const ScrollBarState& state : bars) {
		QScrollBar* bar = nullptr;
		auto found = fBars.find(state.id);
		if (found != fBars.end()) {
			bar = found->second;
			fBars.erase(found);
		} else {
			bar = new QScrollBar(
				state.direction == B_HORIZONTAL ? Qt::Horizontal : Qt::Vertical, fWindow);
			// The window keeps the keyboard: the keys scroll through the kit.
			bar->setFocusPolicy(Qt::NoFocus);
			uint32 id = state.id;
			QObject::connect(bar, &QScrollBar::valueChanged, bar, [this, id](int value) {
				if (!fApplying)
					fMoved(id, float(value));
			});
			bar->show();
		}
		Apply(bar, state);
		kept[state.id] = bar;
	}
	for (auto& [id, bar] : fBars)
		delete bar;
	fBars = std::move(kept);
	fStates = bars;
}

QScrollBar*
QtScrollBars::Bar(uint32 barId) const
{
	auto found = fBars.find(barId);
	return found != fBars.end() ? found->second : nullptr;
}

void
QtScrollBars::Apply(QScrollBar* bar, const ScrollBarState& state)
{
	fApplying = true;
	bar->setGeometry(QRect(QPoint(int(state.frame.left), int(state.frame.top)),
		QPoint(int(state.frame.right), int(state.frame.bottom))));
	bar->setRange(Whole(state.minimum), Whole(state.maximum));
	bar->setSingleStep(std::max(Whole(state.smallStep), 1));
	bar->setPageStep(std::max(Whole(state.largeStep), 1));
	if (!bar->isSliderDown())
		bar->setValue(Whole(state.value));
	fApplying = false;
}

} // namespace BPrivate
