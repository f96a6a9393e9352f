// Captions and buttons of the chooser: each reached by Alt and its access
// key, and read aloud by a screen reader as it reads, without the key.
#pragma once

class QLabel;
class QPushButton;
class QString;
class QWidget;

/// "赤(&R):" read aloud as "赤".
QString PlainCaption(const QString &caption);

/// A caption beside a control: its access key moves to the control, and a
/// screen reader reads it, without the key, as the control's name and its own.
QLabel *CaptionFor(QWidget *control, const QString &caption);

/// A button that Enter in another control does not press, read aloud
/// without its access key, as the captioned controls are.
QPushButton *PlainButton(const QString &caption, const char *name, QWidget *parent);
