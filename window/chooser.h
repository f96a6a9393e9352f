// The colour chooser's own dialog: a hue and saturation field, a brightness
// bar, red/green/blue entry, the sixteen custom colours with a button that
// adds the current colour to them, and OK, Cancel and Help. It is composed
// from plain Qt widgets and keeps nothing beyond one opening: the caller
// passes the colour and the custom colours in and reads them back on OK.
#pragma once

#include "colordialog.h"

#include <QDialog>

#include <array>

class QPushButton;
class QSpinBox;
class THueSaturationField;
class TBrightnessBar;
class TSwatchButton;
class QFrame;

class TColorChooser : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TColorChooser)

public:
    explicit TColorChooser(const TChooseColorRequest &request);

    TColor color() const { return m_color; }
    TCustomColors customColors() const { return m_custom; }

    /// Sets the current colour as if the user had chosen it.
    void setColor(TColor color);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void setHsv(int hue, int saturation, int value);
    void addCustomColor();
    void pickCustomSlot(int slot);
    void refresh();

    TColor m_color = 0;
    int m_hue = 0;
    int m_saturation = 0;
    int m_value = 0;
    TCustomColors m_custom{};
    int m_nextSlot = 0;
    bool m_refreshing = false;

    THueSaturationField *m_field = nullptr;
    TBrightnessBar *m_brightness = nullptr;
    QFrame *m_preview = nullptr;
    QSpinBox *m_red = nullptr;
    QSpinBox *m_green = nullptr;
    QSpinBox *m_blue = nullptr;
    std::array<TSwatchButton *, CustomColorCount> m_swatches{};
};
