// Push buttons and number boxes for assistive technologies.
#pragma once

class QAbstractButton;
class QAccessibleInterface;
class QSpinBox;

QAccessibleInterface *CreateButtonAccessible(QAbstractButton *button);
QAccessibleInterface *CreateSpinBoxAccessible(QSpinBox *box);
