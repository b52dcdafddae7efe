#include "QtFrameSync.h"

#include <algorithm>

namespace BPrivate {

namespace {

// An echo of a reported value settles it and every report before it (the
// window handles reports in order, and may skip one that changed nothing).
template<typename Value>
void
Settle(std::deque<Value>& reported, const Value& echoed)
{
	auto found = std::find(reported.begin(), reported.end(), echoed);
	if (found != reported.end())
		reported.erase(reported.begin(), found + 1);
}

} // namespace

QtFrameSync::QtFrameSync(const QRect& frame)
	:
	fFrame(frame)
{
}

bool
QtFrameSync::SizeChanged(const QSize& size)
{
	QSize last = fSizes.empty() ? fFrame.size() : fSizes.back();
	if (size == last)
		return false;
	fSizes.push_back(size);
	return true;
}

bool
QtFrameSync::PositionChanged(const QPoint& position)
{
	QPoint last = fPositions.empty() ? fFrame.topLeft() : fPositions.back();
	if (position == last)
		return false;
	fPositions.push_back(position);
	return true;
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
