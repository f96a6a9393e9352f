// What assistive technologies see of the slider, the edit boxes, the number
// boxes, the list, the buttons and the panel (an image described by its
// colour). Qt's own interfaces act on whatever number an AT-SPI client
// sends, so a slider's value wraps, a number box's 1e308 becomes 0, an
// offset far past the text pads it with spaces, and an index past the end
// reaches Qt, which prints a warning. These interfaces check every number
// first; a value outside the range is clamped, anything else invalid changes
// nothing and prints nothing. While a modal dialog holds a control's window,
// nothing asked of the control acts, as Qt already keeps the keys and the
// mouse from it.
#pragma once

/// Installs the factory for TScrollBar, TListBox, TButton, TPanel and every
/// QLineEdit and QSpinBox; once is enough.
void InstallControlAccessibility();
