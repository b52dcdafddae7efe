// SPDX-License-Identifier: MIT
#include "QtAlert.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>

namespace BPrivate {

namespace {

constexpr const char* kIndexProperty = "be:index";

QMessageBox::Icon
IconFor(alert_type type)
{
	switch (type) {
	case B_EMPTY_ALERT:
		return QMessageBox::NoIcon;
	case B_WARNING_ALERT:
		return QMessageBox::Warning;
	case B_STOP_ALERT:
		return QMessageBox::Critical;
	case B_INFO_ALERT:
	case B_IDEA_ALERT:
	default:
		return QMessageBox::Information;
	}
}

} // namespace

std::unique_ptr<QMessageBox>
MakeAlertBox(const AlertInfo& alert)
{
	auto box = std::make_unique<QMessageBox>();
	box->setWindowTitle(QString::fromStdString(alert.title));
	box->setText(QString::fromStdString(alert.text));
	box->setTextFormat(Qt::PlainText);
	box->setIcon(IconFor(alert.type));
	// One role for all keeps the buttons in the order given on every desktop.
	QPushButton* last = nullptr;
	for (size_t index = 0; index < alert.buttons.size(); index++) {
		last = box->addButton(
			QString::fromStdString(alert.buttons[index]), QMessageBox::ActionRole);
		last->setProperty(kIndexProperty, static_cast<int>(index));
	}
	if (last != nullptr) {
		box->setDefaultButton(last);
		if (alert.buttons.size() == 1)
			box->setEscapeButton(last);
	}
	return box;
}

int32
AlertButtonIndex(const QObject* button)
{
	if (button == nullptr)
		return -1;
	bool valid = false;
	int index = button->property(kIndexProperty).toInt(&valid);
	return valid ? index : -1;
}

int32
AlertAnswer(const QMessageBox& box)
{
	int32 index = AlertButtonIndex(box.clickedButton());
	if (index >= 0)
		return index;
	return std::max<int32>(0, static_cast<int32>(box.buttons().size()) - 1);
}

} // namespace BPrivate
