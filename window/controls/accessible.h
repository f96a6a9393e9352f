// What assistive technologies see of the slider, the edit box, the list and
// the panel (an image described by its colour). For the first three:
// Qt's own interfaces act on whatever number an AT-SPI client sends, so a
// slider's value wraps and an index past the end reaches Qt, which prints a
// warning. These interfaces check every number first; a value outside the
// range is clamped, anything else invalid changes nothing and prints
// nothing.
#pragma once

/// Installs the factory for TScrollBar, TEdit, TListBox and TPanel; once
/// is enough.
void InstallControlAccessibility();
