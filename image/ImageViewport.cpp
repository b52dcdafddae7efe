// SPDX-License-Identifier: MIT
#include "ImageViewport.h"

#include <algorithm>
#include <cmath>

namespace {

// A scale a hair below a whole number still draws that many pixels.
constexpr double kRoundingSlack = 1e-4;

int32
Content(int32 imagePixels, float scale)
{
	if (imagePixels <= 0)
		return 2 * ImageViewport::kMargin;
	return 2 * ImageViewport::kMargin + ImageViewport::ScaledLength(imagePixels, scale);
}

} // namespace

int32
ImageViewport::ScaledLength(int32 imagePixels, float scale)
{
	if (imagePixels <= 0)
		return 0;
	double length = std::floor(double(imagePixels) * double(scale) + kRoundingSlack);
	return int32(std::clamp(length, 1.0, double(1 << 30)));
}

ViewportLayout
ImageViewport::Layout(
	int32 areaWidth, int32 areaHeight, int32 imageWidth, int32 imageHeight, float scale)
{
	ViewportLayout layout;
	layout.contentWidth = Content(imageWidth, scale);
	layout.contentHeight = Content(imageHeight, scale);
	bool hasImage = imageWidth > 0 && imageHeight > 0;

	int32 width = std::max(areaWidth, 0);
	int32 height = std::max(areaHeight, 0);
	// Each bar that appears narrows the other direction; two rounds settle it.
	for (int round = 0; round < 2 && hasImage; round++) {
		int32 availableWidth = width - (layout.verticalBar ? kBarThickness : 0);
		int32 availableHeight = height - (layout.horizontalBar ? kBarThickness : 0);
		layout.horizontalBar = layout.contentWidth > availableWidth;
		layout.verticalBar = layout.contentHeight > availableHeight;
	}
	layout.viewWidth = std::max(width - (layout.verticalBar ? kBarThickness : 0), 0);
	layout.viewHeight = std::max(height - (layout.horizontalBar ? kBarThickness : 0), 0);
	layout.maxScrollX = std::max(layout.contentWidth - layout.viewWidth, 0);
	layout.maxScrollY = std::max(layout.contentHeight - layout.viewHeight, 0);
	if (!hasImage) {
		layout.maxScrollX = 0;
		layout.maxScrollY = 0;
	}
	return layout;
}

float
ImageViewport::FitScale(int32 areaWidth, int32 areaHeight, int32 imageWidth, int32 imageHeight)
{
	if (imageWidth <= 0 || imageHeight <= 0)
		return 1;
	double roomWidth = std::max(areaWidth - 2 * kMargin, 1);
	double roomHeight = std::max(areaHeight - 2 * kMargin, 1);
	double scale = std::min(roomWidth / imageWidth, roomHeight / imageHeight);
	if (scale >= 1)
		return float(std::min(std::floor(scale + kRoundingSlack), double(kMaximumZoom)));
	return float(scale);
}

float
ImageViewport::ZoomedIn(float scale)
{
	const float slack = float(kRoundingSlack);
	if (scale < 1 - slack) {
		float step = kMinimumZoom;
		while (step <= scale + slack)
			step *= 2;
		return step;
	}
	return std::min(std::floor(scale + slack) + 1, float(kMaximumZoom));
}

float
ImageViewport::ZoomedOut(float scale)
{
	const float slack = float(kRoundingSlack);
	if (scale > 1 + slack)
		return std::max(std::ceil(scale - slack) - 1, 1.0f);
	if (scale < kMinimumZoom + slack)
		return scale;
	float step = 0.5f;
	while (step >= scale - slack)
		step /= 2;
	return step;
}

int32
ImageViewport::KeepCentre(int32 origin, int32 oldViewLength, float oldScale, float newScale,
	int32 newViewLength, int32 maxScroll)
{
	double centre = origin + oldViewLength / 2.0;
	double imagePoint = (centre - kMargin) / oldScale;
	double newCentre = kMargin + imagePoint * newScale;
	return Clamp(int32(std::lround(newCentre - newViewLength / 2.0)), maxScroll);
}

int32
ImageViewport::KeepPoint(
	int32 origin, double offset, float oldScale, float newScale, int32 maxScroll)
{
	double imagePoint = (origin + offset - kMargin) / oldScale;
	double newPoint = kMargin + imagePoint * newScale;
	return Clamp(int32(std::lround(newPoint - offset)), maxScroll);
}

int32
ImageViewport::Clamp(int32 origin, int32 maxScroll)
{
	return std::clamp(origin, 0, std::max(maxScroll, 0));
}
