// SPDX-License-Identifier: MIT
#include "QtFrameSync.h"

#include <algorithm>

namespace BPrivate {

namespace {

// An echo of a reported value settles it and every report before it (the
// window handles reports in order, and may skip one that changed nothing).
template <typename Value>
void
Settle(std::deque<Value>& reported, const Value& echoed)
{
	auto found = std::find(reported.begin(), reported.end(), echoed);
	if (found != reported.end())
		reported.erase(reported.begin(), found + 1);
}

// Notes `value` as reported unless it equals the last one reported, or with
// none waiting, `settled`; whether it was new.
template <typename Value>
bool
Report(std::deque<Value>& reported, const Value& settled, const Value& value)
{
	const Value& last = reported.empty() ? settled : reported.back();
	if (value == last)
		return false;
	reported.push_back(value);
	return true;
}

} // namespace

QtFrameSync::QtFrameSync(const QRect& frame) : fFrame(frame)
{ }

bool
QtFrameSync::SizeChanged(const QSize& size)
{
	return Report(fSizes, fFrame.size(), size);
}

bool
QtFrameSync::PositionChanged(const QPoint& position)
{
	return Report(fPositions, fFrame.topLeft(), position);
}

bool
QtFrameSync::FrameArrived(const QRect& frame)
{
	fFrame = frame;
	Settle(fSizes, frame.size());
	Settle(fPositions, frame.topLeft());
	return fSizes.empty() && fPositions.empty();
}

} // namespace BPrivate
